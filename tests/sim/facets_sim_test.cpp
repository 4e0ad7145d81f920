// The simulated host's facet sets: visits with their filters, facet vertices
// and their release.
#include <gtest/gtest.h>

#include <vector>

#include "host/toolkit.h"
#include "sim/handles.hpp"
#include "sim/shapes.hpp"
#include "support/sim_fixture.hpp"

namespace {

struct Seen {
  std::vector<int> ids;
  StatusCode answer = PRO_TK_NO_ERROR;
};

StatusCode recordSet(ProFacetset* set, StatusCode, ProAppData data) {
  auto* seen = static_cast<Seen*>(data);
  seen->ids.push_back(set->id);
  return seen->answer;
}

StatusCode recordFacet(ProFacet* facet, StatusCode, ProAppData data) {
  static_cast<Seen*>(data)->ids.push_back(facet->id);
  return PRO_TK_NO_ERROR;
}

StatusCode skipOdd(ProModelitem* item, ProAppData) { return item->id % 2 == 1 ? PRO_TK_CONTINUE : PRO_TK_NO_ERROR; }

class FacetsSim : public testing_support::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    part = &world().addModel(u"MESHED", PRO_MDL_PART);
    for (int id = 1; id <= 3; ++id) {
      sim::FacetSet fs;
      fs.id = id;
      fs.facets = {{sim::Vec{0, 0, 0}, sim::Vec{1, 0, 0}, sim::Vec{0, 1, double(id)}},
                   {sim::Vec{1, 0, 0}, sim::Vec{1, 1, 0}, sim::Vec{0, 1, double(id)}}};
      part->facetSets.push_back(fs);
    }
  }
  sim::Model* part = nullptr;
};

TEST_F(FacetsSim, VisitsHonourFilterAndActionAndReportNothingVisited) {
  Seen seen;
  EXPECT_EQ(ProSolidFacetsetVisit(sim::handle(*part), recordSet, nullptr, &seen), PRO_TK_NO_ERROR);
  EXPECT_EQ(seen.ids, (std::vector<int>{1, 2, 3}));
  seen = Seen{};
  EXPECT_EQ(ProSolidFacetsetVisit(sim::handle(*part), recordSet, skipOdd, &seen), PRO_TK_NO_ERROR);
  EXPECT_EQ(seen.ids, (std::vector<int>{2}));
  seen = Seen{{}, PRO_TK_GENERAL_ERROR};
  EXPECT_EQ(ProSolidFacetsetVisit(sim::handle(*part), recordSet, nullptr, &seen), PRO_TK_GENERAL_ERROR);
  EXPECT_EQ(seen.ids.size(), 1u);

  part->facetSets[1].facets.clear();
  seen = Seen{};
  ProFacetset second{PRO_TYPE_FACETSET, 2, sim::handle(*part)};
  EXPECT_EQ(ProFacetsetFacetVisit(&second, recordFacet, nullptr, &seen), PRO_TK_E_NOT_FOUND);
  ProFacetset third{PRO_TYPE_FACETSET, 3, sim::handle(*part)};
  EXPECT_EQ(ProFacetsetFacetVisit(&third, recordFacet, nullptr, &seen), PRO_TK_NO_ERROR);
  EXPECT_EQ(seen.ids, (std::vector<int>{2, 3}));  // facets counted across the part's sets

  part->facetSets.clear();
  EXPECT_EQ(ProSolidFacetsetVisit(sim::handle(*part), recordSet, nullptr, &seen), PRO_TK_E_NOT_FOUND);
}

TEST_F(FacetsSim, FacetVerticesGiveTheCornersAndGoBackThroughTheirOwnRelease) {
  ProFacet facet{PRO_TYPE_FACET, 5, sim::handle(*part)};  // the second facet of set 3
  ProFacetVertex* vertices = nullptr;
  ASSERT_EQ(ProFacetVerticesGet(&facet, &vertices), PRO_TK_NO_ERROR);
  ProVector p;
  ASSERT_EQ(ProFacetvertexPointGet(&vertices[2], p), PRO_TK_NO_ERROR);
  EXPECT_EQ(p[0], 0);
  EXPECT_EQ(p[1], 1);
  EXPECT_EQ(p[2], 3);
  ASSERT_EQ(ProFacetvertexPointGet(&vertices[1], p), PRO_TK_NO_ERROR);
  EXPECT_EQ(p[0], 1);
  EXPECT_EQ(p[1], 1);

  ProArray wrong = vertices;
  EXPECT_EQ(ProArrayFree(&wrong), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProFacetverticesFree(vertices), PRO_TK_NO_ERROR);
  EXPECT_EQ(world().ledger.violations().size(), 1u);
  world().ledger.clear();

  ProFacet none{PRO_TYPE_FACET, 6, sim::handle(*part)};
  EXPECT_EQ(ProFacetVerticesGet(&none, &vertices), PRO_TK_BAD_INPUTS);
}

}  // namespace
