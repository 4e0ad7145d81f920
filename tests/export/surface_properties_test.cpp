// Surface properties: the CTI search over the surface, its feature and the
// feature's parents, the colour, the shape class and the shape data.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "export_fixture.hpp"
#include "messages/status_names.hpp"
#include "sim/builders.hpp"
#include "sim/handles.hpp"
#include "support/geometry_printing.hpp"

namespace veltrosan::test {
namespace {

using sim::Parameter;

Parameter cti(int value) { return Parameter::integer(u"COMPARATIVE_TRACKING_INDEX", value); }

class ProcessSurfaceTest : public CurrentPartTest {
 protected:
  void SetUp() override {
    CurrentPartTest::SetUp();
    part = &world().addModel(u"BLOCK", PRO_MDL_PART);
  }

  // A cylinder of feature 20, whose parents are features 10, 11, 12 in host order.
  sim::Surface& standardSurface() {
    sim::addFeature(*part, 10);
    sim::addFeature(*part, 11, {10});
    sim::addFeature(*part, 12, {10});
    sim::addFeature(*part, 20, {10, 11, 12});
    sim::Surface& s = sim::addCylinder(*part, {1, 2, 3}, {0, 0, 1}, 4.5);
    s.featureId = 20;
    s.color = sim::Rgb{0.25, 0.5, 0.75};
    return s;
  }

  StatusCode process(sim::Surface& surface) {
    return exporter->processSurface(sim::handle(*part), sim::handle(surface), record);
  }

  sim::Model* part = nullptr;
  SurfaceRecord record;
};

TEST_F(ProcessSurfaceTest, TheCtiSearchOrder) {
  const struct {
    const char* what;
    std::vector<Parameter> surface, feature;
    std::map<int, std::vector<Parameter>> parents;
    int cti;
    int featureGets, parentsGets, parentInits;
  } cases[] = {
      {"the surface's own value wins", {cti(300)}, {cti(200)}, {{12, {cti(100)}}}, 300, 0, 0, 0},
      {"then the feature's, without asking for parents", {}, {cti(200)}, {{12, {cti(100)}}}, 200, 1, 0, 0},
      {"then the parent listed last", {}, {}, {{10, {cti(1)}}, {12, {cti(3)}}}, 3, 1, 1, 1},
      {"a parent without it is passed", {}, {}, {{10, {cti(1)}}, {11, {cti(2)}}}, 2, 1, 1, 2},
      {"-1 counts as none at every stage", {cti(-1)}, {cti(-1)}, {{12, {cti(-1)}}, {11, {cti(150)}}}, 150, 1, 1,
       2},
      {"another negative value stops the search", {}, {cti(-5)}, {{12, {cti(100)}}}, -1, 1, 0, 0},
      {"a negative parent value stops it too", {}, {}, {{10, {cti(7)}}, {11, {cti(-5)}}}, -1, 1, 1, 2},
      {"a double is no hit", {Parameter::real(u"COMPARATIVE_TRACKING_INDEX", 3.5)}, {cti(7)}, {}, 7, 1, 0, 0},
      {"nothing anywhere", {Parameter::integer(u"OTHER", 1)}, {}, {{10, {Parameter::integer(u"OTHER", 2)}}}, -1, 1,
       1, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sim::reset();
    setMessageFile();
    freshExport();
    part = &world().addModel(u"BLOCK", PRO_MDL_PART);
    sim::Surface& s = standardSurface();
    s.parameters = c.surface;
    part->feature(20)->parameters = c.feature;
    for (const auto& [id, parameters] : c.parents) part->feature(id)->parameters = parameters;
    record = SurfaceRecord();

    EXPECT_EQ(process(part->surfaces[0]), PRO_TK_NO_ERROR);
    EXPECT_EQ(record.cti, c.cti);
    EXPECT_EQ(world().log.count("ProGeomitemFeatureGet"), c.featureGets);
    EXPECT_EQ(world().log.count("ProFeatureParentsGet"), c.parentsGets);
    EXPECT_EQ(world().log.count("ProFeatureInit"), c.parentInits);
    EXPECT_TRUE(shownTexts().empty());
    expectLedgerClean();
  }
}

TEST_F(ProcessSurfaceTest, ParentsAreTakenFromTheLast) {
  standardSurface();
  exporter->foundCti = 999;  // reset on entry
  ASSERT_EQ(process(part->surfaces[0]), PRO_TK_NO_ERROR);
  EXPECT_EQ(world().log.names({"ProFeatureInit", "ProParameterVisit"}),
            (std::vector<std::string>{"ProParameterVisit", "ProParameterVisit", "ProFeatureInit", "ProParameterVisit",
                                      "ProFeatureInit", "ProParameterVisit", "ProFeatureInit",
                                      "ProParameterVisit"}));
  std::vector<std::string> inits;
  for (const auto& call : world().log.calls()) {
    if (call.function == "ProFeatureInit") inits.push_back(call.args);
  }
  EXPECT_EQ(inits, (std::vector<std::string>{"12", "11", "10"}));
  EXPECT_EQ(record.cti, -1);
  EXPECT_EQ(exporter->foundCti, -1);
}

TEST_F(ProcessSurfaceTest, AFeatureWithoutParentsFailsTheSearch) {
  sim::addFeature(*part, 20);
  sim::Surface& s = sim::addPlane(*part, {0, 0, 0}, {0, 0, 1});
  s.featureId = 20;
  EXPECT_EQ(process(s), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"Warning: ProFeatureParentsGet: (PRO_TK_E_NOT_FOUND)"});
  EXPECT_EQ(record.cti, -1);

  // Only when neither the surface nor its feature has the CTI.
  part->features[0].parameters = {cti(40)};
  world().messages.shown.clear();
  EXPECT_EQ(process(part->surfaces[0]), PRO_TK_NO_ERROR);
  EXPECT_EQ(record.cti, 40);
  EXPECT_TRUE(shownTexts().empty());
}

TEST_F(ProcessSurfaceTest, ASurfaceWithoutAFeatureIsReported) {
  sim::Surface& s = sim::addPlane(*part, {0, 0, 0}, {0, 0, 1});
  EXPECT_EQ(process(s), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"Warning: ProGeomitemFeatureGet: (PRO_TK_E_NOT_FOUND)"});
}

TEST_F(ProcessSurfaceTest, FailuresInTheSearchReleaseTheParentArray) {
  const struct {
    const char* function;
    int nth;
    StatusCode status;
    std::vector<std::string> lines;
  } cases[] = {
      {"ProFeatureInit", 2, PRO_TK_BAD_INPUTS, {"Warning: ProFeatureInit: (PRO_TK_BAD_INPUTS)"}},
      {"ProParameterVisit", 4, PRO_TK_GENERAL_ERROR, {"Warning: ProParameterVisit: (PRO_TK_GENERAL_ERROR)"}},
      {"ProParameterValueWithUnitsGet",
       1,
       PRO_TK_OUT_OF_MEMORY,
       {"Warning: ProParameterValueWithUnitsGet: (PRO_TK_OUT_OF_MEMORY)",
        "Warning: ProParameterVisit: (PRO_TK_OUT_OF_MEMORY)"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.function);
    sim::reset();
    setMessageFile();
    freshExport();
    part = &world().addModel(u"BLOCK", PRO_MDL_PART);
    standardSurface();
    part->feature(10)->parameters = {cti(5)};
    part->feature(11)->parameters = {cti(-1)};
    world().faults.failOn(c.function, c.nth, c.status);
    EXPECT_EQ(process(part->surfaces[0]), c.status);
    EXPECT_EQ(shownTexts(), c.lines);
    EXPECT_EQ(world().log.count("ProArrayFree"), 1);
    expectLedgerClean();
  }
}

TEST_F(ProcessSurfaceTest, AFailedReleaseOfTheParentArrayIsReportedUnderItsOrigin) {
  standardSurface();
  world().faults.failOn("ProArrayFree", 1, PRO_TK_BAD_CONTEXT);
  EXPECT_EQ(process(part->surfaces[0]), PRO_TK_BAD_CONTEXT);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"Warning: ProFeatureParentsGet: (PRO_TK_BAD_CONTEXT)"});
  releaseLeftovers();
}

TEST_F(ProcessSurfaceTest, Colour) {
  const struct {
    std::optional<sim::Rgb> colour;
    Rgb rgb;
  } cases[] = {
      {std::nullopt, {-1, -1, -1}},
      {sim::Rgb{0, 0, 0}, {0, 0, 0}},
      {sim::Rgb{1, 0.5, 0.25}, {1, 0.5, 0.25}},
  };
  sim::Surface& s = standardSurface();
  s.parameters = {cti(1)};
  for (const auto& c : cases) {
    part->surfaces[0].color = c.colour;
    record.rgb = {9, 9, 9};
    ASSERT_EQ(process(part->surfaces[0]), PRO_TK_NO_ERROR);
    EXPECT_EQ(record.rgb, c.rgb);
  }
  world().faults.failOn("ProSurfaceAppearancepropsGet", 4, PRO_TK_GENERAL_ERROR);
  EXPECT_EQ(process(part->surfaces[0]), PRO_TK_GENERAL_ERROR);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"Warning: ProSurfaceAppearancepropsGet: (PRO_TK_GENERAL_ERROR)"});
}

TEST_F(ProcessSurfaceTest, ShapeDataByType) {
  struct Expected {
    int shapeClass;
    Vec3 origin, axis;
    double param1, param2;
    int flag;
  };
  const Vec3 zero;
  const Expected other{0, zero, zero, 0, 0, 1};
  const Expected freeForm{6, zero, zero, 0, 0, 1};
  const struct {
    const char* what;
    ProSrftype type;
    int orientation;
    Expected expected;
  } cases[] = {
      {"plane", 34, 1, {1, {1, 2, 3}, {0.6, 0, 0.8}, 0, 0, 1}},
      {"plane turned over", 34, -1, {1, {1, 2, 3}, {-0.6, -0, -0.8}, 0, 0, 1}},
      {"cylinder", 36, 1, {2, {1, 2, 3}, {0.6, 0, 0.8}, 7, 0, 1}},
      {"cylinder turned over", 36, -1, {2, {1, 2, 3}, {0.6, 0, 0.8}, 7, 0, 0}},
      {"cone turned over", 37, -1, {3, {1, 2, 3}, {0.6, 0, 0.8}, 7, 0, 1}},
      {"torus turned over", 38, -1, {5, {1, 2, 3}, {0.6, 0, 0.8}, 7, 1.5, 1}},
      {"type 35", 35, 1, other},
      {"type 47", 47, 1, other},
      {"type 49", 49, -1, other},
      {"type 51", 51, 1, other},
      {"type 39", 39, 1, freeForm},
      {"type 43", 43, -1, freeForm},
      {"type 46", 46, 1, freeForm},
      {"type 48", 48, 1, freeForm},
      {"type 50", 50, 1, freeForm},
  };
  sim::Surface& s = standardSurface();
  s.parameters = {cti(1)};
  s.e1 = {0, 1, 0};
  s.e2 = {-0.8, 0, 0.6};
  s.e3 = {0.6, 0, 0.8};
  s.values = {7, 1.5};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    part->surfaces[0].type = c.type;
    part->surfaces[0].orientation = c.orientation;
    record = SurfaceRecord();
    record.origin = Vec3(9, 9, 9);
    record.param2 = 9;
    ASSERT_EQ(process(part->surfaces[0]), PRO_TK_NO_ERROR);
    EXPECT_EQ(record.shapeClass, c.expected.shapeClass);
    EXPECT_EQ(record.origin, c.expected.origin);
    EXPECT_EQ(record.axis, c.expected.axis);
    EXPECT_EQ(record.param1, c.expected.param1);
    EXPECT_EQ(record.param2, c.expected.param2);
    EXPECT_EQ(record.flag, c.expected.flag);
    EXPECT_EQ(record.cti, 1);
  }
  EXPECT_EQ(world().log.count("ProSurfaceDataGet"), world().log.count("ProGeomitemdataFree"));
}

TEST_F(ProcessSurfaceTest, SurfacesWithoutOrientationOrOfTypeNoneAreNotSupported) {
  sim::Surface& s = standardSurface();
  s.parameters = {cti(8)};
  s.type = 43;
  s.orientation = 0;
  record.shapeClass = 9;
  EXPECT_EQ(process(s), VELTROSAN_NOT_SUPPORTED);
  EXPECT_EQ(record.cti, 8);
  EXPECT_EQ(record.rgb, (Rgb{0.25, 0.5, 0.75}));
  EXPECT_EQ(record.shapeClass, 9);  // the shape is never looked at

  s.type = PRO_SRF_NONE;
  s.orientation = 1;
  EXPECT_EQ(process(s), VELTROSAN_NOT_SUPPORTED);
  EXPECT_EQ(record.shapeClass, 0);  // preset before the type is refused
  EXPECT_EQ(record.flag, 1);
  EXPECT_TRUE(shownTexts().empty());
  EXPECT_EQ(world().log.count("ProGeomitemdataFree"), 2);
}

TEST_F(ProcessSurfaceTest, ASurfaceWithoutAGeometryItemWritesNothingAndSaysNothing) {
  sim::Surface& s = standardSurface();
  s.hasGeomitem = false;
  record.cti = 77;
  EXPECT_EQ(process(s), VELTROSAN_TESSELLATION_FAILED);
  EXPECT_EQ(record.cti, 77);
  EXPECT_TRUE(shownTexts().empty());
  EXPECT_EQ(world().log.count("ProParameterVisit"), 0);
}

TEST_F(ProcessSurfaceTest, OtherFailuresAreReportedUnderTheirCall) {
  const char* functions[] = {"ProSurfaceTypeGet", "ProSurfaceDataGet", "ProGeomitemdataFree"};
  for (const char* f : functions) {
    SCOPED_TRACE(f);
    sim::reset();
    setMessageFile();
    freshExport();
    part = &world().addModel(u"BLOCK", PRO_MDL_PART);
    standardSurface().parameters = {cti(1)};
    world().faults.failOn(f, 1, PRO_TK_CANT_ACCESS);
    EXPECT_EQ(process(part->surfaces[0]), PRO_TK_CANT_ACCESS);
    EXPECT_EQ(shownTexts(), std::vector<std::string>{"Warning: " + std::string(f) + ": (PRO_TK_CANT_ACCESS)"});
    releaseLeftovers();
    expectLedgerClean();
  }
}

// Every host call of a full search fails in turn: nothing leaks, nothing is
// released twice, and the failure comes back.
TEST_F(ProcessSurfaceTest, FaultSweep) {
  auto build = [this] {
    part = &world().addModel(u"BLOCK", PRO_MDL_PART);
    sim::Surface& s = standardSurface();
    s.parameters = {Parameter::text(u"NOTE", u"x")};
    part->feature(20)->parameters = {Parameter::real(u"COMPARATIVE_TRACKING_INDEX", 2.5)};
    part->feature(12)->parameters = {Parameter::integer(u"OTHER", 3)};
    part->feature(11)->parameters = {cti(600)};
  };
  build();
  ASSERT_EQ(process(part->surfaces[0]), PRO_TK_NO_ERROR);
  ASSERT_EQ(record.cti, 600);
  const int runs = sweepFaults(world().log.counts(), PRO_TK_OUT_OF_MEMORY, build, [&](const std::string& function) {
    record = SurfaceRecord();
    const StatusCode status = process(part->surfaces[0]);
    if (function == "ProSurfaceToGeomitem") {
      EXPECT_EQ(status, VELTROSAN_TESSELLATION_FAILED);
    } else {
      EXPECT_EQ(status, PRO_TK_OUT_OF_MEMORY);
      ASSERT_FALSE(shownTexts().empty());
      const std::string reported = function == "ProArrayFree" ? "ProFeatureParentsGet" : function;
      EXPECT_EQ(shownTexts().front(), "Warning: " + reported + ": (PRO_TK_OUT_OF_MEMORY)");
    }
    releaseLeftovers();
    expectLedgerClean();
  });
  EXPECT_GT(runs, 15);
}

}  // namespace
}  // namespace veltrosan::test
