// Facet sets into free-form records after the surfaces, their CTI from the
// owning feature or its parents, and their facets as triangles in the host's
// corner order.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export_fixture.hpp"
#include "sim/builders.hpp"

namespace veltrosan::test {
namespace {

using ::testing::ElementsAre;

class FacetSets : public CurrentPartTest {
 protected:
  void SetUp() override {
    CurrentPartTest::SetUp();
    part = &world().addModel(u"MESHED", PRO_MDL_PART);
  }

  sim::FacetSet& addSet(int id, int featureId, int facets) {
    sim::FacetSet fs;
    fs.id = id;
    fs.featureId = featureId;
    for (int i = 0; i < facets; ++i)
      fs.facets.push_back({sim::Vec{double(i), 0, 0}, sim::Vec{double(i), 1, 0}, sim::Vec{double(i), 0, 1}});
    part->facetSets.push_back(fs);
    return part->facetSets.back();
  }

  StatusCode visit() {
    enterPart(*part);
    return ProSolidFacetsetVisit(sim::handle(*part), CreoExport::visitFacetset, acceptAllFilter, nullptr);
  }

  static sim::Parameter cti(int value) { return sim::Parameter::integer(u"COMPARATIVE_TRACKING_INDEX", value); }

  sim::Model* part = nullptr;
};

TEST_F(FacetSets, RecordsFollowTheSurfacesAndFacetsKeepTheirCornerOrder) {
  sim::addFeature(*part, 5, {}, {cti(175)});
  addSet(1, 5, 10);
  addSet(2, 5, 4);
  body.surfaces.resize(6);  // records 0 to 5 from the part's surfaces
  ASSERT_EQ(visit(), PRO_TK_NO_ERROR);
  EXPECT_TRUE(shownTexts().empty());
  ASSERT_EQ(body.surfaces.size(), 8u);
  for (size_t i : {6u, 7u}) {
    const SurfaceRecord& r = body.surfaces[i];
    EXPECT_EQ(r.index, static_cast<int>(i));
    EXPECT_EQ(r.cti, 175);
    EXPECT_EQ(r.shapeClass, 6);
    EXPECT_EQ(r.rgb, (Rgb{-1, -1, -1}));
    EXPECT_EQ(r.flag, 1);
    EXPECT_EQ(r.param1, 0);
  }
  ASSERT_EQ(soup.triangles.size(), 14u);
  EXPECT_EQ(soup.triangles[9].surfaceIndex, 6);
  EXPECT_EQ(soup.triangles[10].surfaceIndex, 7);
  const Vec3& second = soup.points[static_cast<size_t>(soup.triangles[3].b)];
  EXPECT_EQ(second.x, 3);
  EXPECT_EQ(second.y, 1);  // vertex 1 stays second
  EXPECT_EQ(world().log.count("ProFeatureParentsGet"), 0);  // the feature decided
}

struct ParentCase {
  const char* what;
  std::vector<std::optional<int>> parents;  // CTI of P, Q, R in host order; none: no parameter
  int expected;
  int initialised;  // parents made with ProFeatureInit
};

class FacetSetParents : public FacetSets, public ::testing::WithParamInterface<ParentCase> {};

TEST_P(FacetSetParents, SearchRunsFromTheLastParentToTheFirstHit) {
  const ParentCase c = GetParam();
  std::vector<int> ids;
  for (size_t i = 0; i < c.parents.size(); ++i) {
    const int id = 10 + static_cast<int>(i);
    ids.push_back(id);
    sim::addFeature(*part, id, {}, c.parents[i] ? std::vector<sim::Parameter>{cti(*c.parents[i])}
                                                : std::vector<sim::Parameter>{});
  }
  sim::addFeature(*part, 5, ids);
  addSet(1, 5, 1);
  ASSERT_EQ(visit(), PRO_TK_NO_ERROR);
  EXPECT_EQ(body.surfaces.at(0).cti, c.expected);
  EXPECT_EQ(world().log.count("ProFeatureInit"), c.initialised);
}

INSTANTIATE_TEST_SUITE_P(
    Ctis, FacetSetParents,
    ::testing::Values(ParentCase{"last_wins", {300, std::nullopt, 400}, 400, 1},
                      ParentCase{"minus_five_stops", {200, -5, std::nullopt}, -1, 2},
                      ParentCase{"minus_one_passes", {200, std::nullopt, -1}, 200, 3},
                      ParentCase{"none", {std::nullopt, std::nullopt}, -1, 2}),
    [](const ::testing::TestParamInfo<ParentCase>& param) { return std::string(param.param.what); });

TEST_F(FacetSets, EmptySetEndsTheVisitWithItsWarning) {
  sim::addFeature(*part, 5, {}, {cti(250)});
  addSet(1, 5, 2);
  addSet(2, 5, 0);
  addSet(3, 5, 2);
  EXPECT_EQ(visit(), PRO_TK_E_NOT_FOUND);
  EXPECT_THAT(shownTexts(), ElementsAre("Warning: ProFacetsetFacetVisit: (PRO_TK_E_NOT_FOUND)"));
  ASSERT_EQ(body.surfaces.size(), 2u);
  EXPECT_EQ(body.surfaces[1].cti, 250);
  EXPECT_EQ(soup.triangles.size(), 2u);
}

TEST_F(FacetSets, SetWithoutOwningFeatureKeepsItsRecord) {
  addSet(1, 0, 2);
  EXPECT_EQ(visit(), PRO_TK_E_NOT_FOUND);
  EXPECT_THAT(shownTexts(), ElementsAre("Warning: ProGeomitemFeatureGet: (PRO_TK_E_NOT_FOUND)"));
  ASSERT_EQ(body.surfaces.size(), 1u);
  EXPECT_EQ(body.surfaces[0].cti, -1);
  EXPECT_TRUE(soup.triangles.empty());
}

TEST_F(FacetSets, FailingVertexReadReleasesTheVerticesAndCascades) {
  sim::addFeature(*part, 5, {}, {cti(250)});
  addSet(1, 5, 3);
  world().faults.failOn("ProFacetvertexPointGet", 5, PRO_TK_GENERAL_ERROR);  // the second facet's middle corner
  EXPECT_EQ(visit(), PRO_TK_GENERAL_ERROR);
  EXPECT_THAT(shownTexts(), ElementsAre("Warning: ProFacetvertexPointGet: (PRO_TK_GENERAL_ERROR)",
                                        "Warning: ProFacetsetFacetVisit: (PRO_TK_GENERAL_ERROR)"));
  EXPECT_EQ(soup.triangles.size(), 1u);
  EXPECT_EQ(world().log.count("ProFacetverticesFree"), 2);
}

TEST_F(FacetSets, ParentIdsAreReleasedWhenTheSearchFails) {
  sim::addFeature(*part, 10);
  sim::addFeature(*part, 11);
  sim::addFeature(*part, 5, {10, 11});
  addSet(1, 5, 1);
  world().faults.failOn("ProFeatureInit", 1, PRO_TK_BAD_INPUTS);
  EXPECT_EQ(visit(), PRO_TK_BAD_INPUTS);
  EXPECT_THAT(shownTexts(), ElementsAre("Warning: ProFeatureInit: (PRO_TK_BAD_INPUTS)"));
  EXPECT_EQ(world().log.count("ProArrayFree"), 1);
}

}  // namespace
}  // namespace veltrosan::test
