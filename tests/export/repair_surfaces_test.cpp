// Repair surfaces: a surface that the host cannot tessellate is kept with
// its properties, its area and its contours and edges.
#include <gtest/gtest.h>

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

class SurfaceRepairTest : public CurrentPartTest {
 protected:
  void SetUp() override {
    CurrentPartTest::SetUp();
    build();
  }

  // A part whose feature 20 (parent 10) owns the surfaces; every surface
  // carries its own CTI.
  void build() {
    part = &world().addModel(u"BLOCK", PRO_MDL_PART);
    sim::addFeature(*part, 10);
    sim::addFeature(*part, 20, {10});
  }

  sim::Surface& addCylinder(std::vector<sim::Contour> contours = {}) {
    sim::Surface& s = sim::addCylinder(*part, {1, 2, 3}, {0, 0, 1}, 2.0);
    s.featureId = 20;
    s.parameters = {Parameter::integer(u"COMPARATIVE_TRACKING_INDEX", 250)};
    s.area = 1.0;
    s.contours = std::move(contours);
    return s;
  }

  // Repairs the surface as the per-surface visit does.
  StatusCode repair(sim::Surface& surface) {
    enterPart(*part, unit, unitFactorValue);
    repairing(surface);
    return exporter->surfaceRepair(sim::handle(surface));
  }

  const RepairSurfaceRecord& only() {
    EXPECT_EQ(body.repairSurfaces.size(), 1u);
    return body.repairSurfaces.back();
  }

  sim::Model* part = nullptr;
};

TEST_F(SurfaceRepairTest, ASurfaceWithoutContoursKeepsItsPropertiesAndArea) {
  sim::Surface& s = addCylinder();
  s.color = sim::Rgb{0.1, 0.2, 0.3};
  body.surfaces.resize(3);  // tessellated surfaces do not count
  body.totalArea = 5.0;
  EXPECT_EQ(repair(s), PRO_TK_NO_ERROR);
  const RepairSurfaceRecord& r = only();
  EXPECT_EQ(r.index, 0);
  EXPECT_EQ(r.cti, 250);
  EXPECT_EQ(r.rgb, (Rgb{0.1, 0.2, 0.3}));
  EXPECT_EQ(r.shapeClass, 2);
  EXPECT_EQ(r.origin, Vec3(1, 2, 3));
  EXPECT_EQ(r.axis, Vec3(0, 0, 1));
  EXPECT_EQ(r.param1, 2.0);
  EXPECT_EQ(r.flag, 1);
  EXPECT_TRUE(r.contours.empty());
  EXPECT_EQ(body.totalArea, 6.0);
  EXPECT_TRUE(shownTexts().empty());
}

TEST_F(SurfaceRepairTest, RecordsAreNumberedAmongRepairSurfacesOnly) {
  addCylinder();
  addCylinder();
  EXPECT_EQ(repair(part->surfaces[0]), PRO_TK_NO_ERROR);
  EXPECT_EQ(repair(part->surfaces[1]), PRO_TK_NO_ERROR);
  ASSERT_EQ(body.repairSurfaces.size(), 2u);
  EXPECT_EQ(body.repairSurfaces[0].index, 0);
  EXPECT_EQ(body.repairSurfaces[1].index, 1);
}

TEST_F(SurfaceRepairTest, ContoursWithTheirBoxAndTraversal) {
  const struct {
    ProContourTraversal host;
    std::int32_t traversal;
  } cases[] = {{1, 2}, {-1, 1}, {0, 0}, {2, 0}, {-2, 0}};
  std::vector<sim::Contour> contours;
  for (const auto& c : cases) {
    const double d = static_cast<double>(contours.size());
    contours.push_back(sim::makeContour(c.host, {d, -1, 0.5}, {d + 1, 4, 2.5}));
  }
  sim::Surface& s = addCylinder(contours);
  ASSERT_EQ(repair(s), PRO_TK_NO_ERROR);
  const RepairSurfaceRecord& r = only();
  ASSERT_EQ(r.contours.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const double d = static_cast<double>(i);
    EXPECT_EQ(r.contours[i].traversal, cases[i].traversal);
    EXPECT_EQ(r.contours[i].bboxMin, Vec3(d, -1, 0.5));
    EXPECT_EQ(r.contours[i].bboxMax, Vec3(d + 1, 4, 2.5));
    EXPECT_TRUE(r.contours[i].edges.empty());
  }
  EXPECT_TRUE(shownTexts().empty());
}

TEST_F(SurfaceRepairTest, InchesScaleTheShapeAndTheAreaButNotTheBoundary) {
  sim::Surface& s = addCylinder({sim::makeContour(1, {1, 1, 1}, {2, 2, 2},
                                                  {sim::lineEdge({1, 0, 0}, {0, 1, 0}),
                                                   sim::arrayEdge(40, {{0, 0, 0}, {1, 1, 1}})})});
  unit = "in";
  unitFactorValue = 25.4;
  ASSERT_EQ(repair(s), PRO_TK_NO_ERROR);
  const RepairSurfaceRecord& r = only();
  EXPECT_DOUBLE_EQ(r.origin.x, 25.4);
  EXPECT_DOUBLE_EQ(r.origin.y, 50.8);
  EXPECT_DOUBLE_EQ(r.origin.z, 76.2);
  EXPECT_DOUBLE_EQ(r.param1, 50.8);
  EXPECT_EQ(r.axis, Vec3(0, 0, 1));
  EXPECT_DOUBLE_EQ(body.totalArea, 645.16);
  ASSERT_EQ(r.contours.size(), 1u);
  EXPECT_EQ(r.contours[0].bboxMin, Vec3(1, 1, 1));
  EXPECT_EQ(r.contours[0].bboxMax, Vec3(2, 2, 2));
  ASSERT_EQ(r.contours[0].edges.size(), 2u);
  EXPECT_EQ(r.contours[0].edges[0].points, (std::vector<Vec3>{{1, 0, 0}, {0, 1, 0}}));
  EXPECT_EQ(r.contours[0].edges[1].points, (std::vector<Vec3>{{0, 0, 0}, {1, 1, 1}}));
}

TEST_F(SurfaceRepairTest, BothShapeValuesScaleWhateverTheUnitNameAndMillimetresStayAsTheyAre) {
  sim::Surface& torus = sim::addTorus(*part, {1, 0, 0}, {0, 1, 0}, 3, 0.5);
  torus.featureId = 20;
  torus.area = 2.0;
  torus.parameters = {Parameter::integer(u"COMPARATIVE_TRACKING_INDEX", 1)};
  unit = "dm";  // outside the table: factor 1, yet "not mm"
  unitFactorValue = 2.0;  // made visible here
  ASSERT_EQ(repair(part->surfaces[0]), PRO_TK_NO_ERROR);
  EXPECT_EQ(body.repairSurfaces[0].origin, Vec3(2, 0, 0));
  EXPECT_EQ(body.repairSurfaces[0].param1, 6.0);
  EXPECT_EQ(body.repairSurfaces[0].param2, 1.0);
  EXPECT_EQ(body.totalArea, 8.0);

  unit = "mm";
  unitFactorValue = 1.0;
  body = BodyRecord();
  ASSERT_EQ(repair(part->surfaces[0]), PRO_TK_NO_ERROR);
  EXPECT_EQ(body.repairSurfaces[0].origin, Vec3(1, 0, 0));
  EXPECT_EQ(body.repairSurfaces[0].param1, 3.0);
  EXPECT_EQ(body.repairSurfaces[0].param2, 0.5);
  EXPECT_EQ(body.totalArea, 2.0);
}

TEST_F(SurfaceRepairTest, AnAreaThatTheHostCannotEvaluate) {
  sim::Surface& s = addCylinder({sim::makeContour(1, {0, 0, 0}, {1, 1, 1})});
  s.area = 7.0;
  s.areaStatus = -65;
  body.totalArea = 10.0;
  ASSERT_EQ(repair(s), PRO_TK_NO_ERROR);
  EXPECT_EQ(body.totalArea, 10.0);
  EXPECT_EQ(only().contours.size(), 1u);
  EXPECT_TRUE(shownTexts().empty());

  body = BodyRecord();
  part->surfaces[0].areaStatus = PRO_TK_GENERAL_ERROR;
  unit = "in";
  unitFactorValue = 25.4;
  EXPECT_EQ(repair(part->surfaces[0]), PRO_TK_GENERAL_ERROR);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"Warning: ProSurfaceAreaEval: (PRO_TK_GENERAL_ERROR)"});
  EXPECT_EQ(body.totalArea, 0.0);
  EXPECT_TRUE(only().contours.empty());
  EXPECT_DOUBLE_EQ(only().param1, 50.8);  // scaled before the area was asked for
}

TEST_F(SurfaceRepairTest, AFailedPropertyStepKeepsADefinedRecord) {
  sim::Surface& s = addCylinder({sim::makeContour(1, {0, 0, 0}, {1, 1, 1})});
  s.hasGeomitem = false;
  EXPECT_EQ(repair(s), VELTROSAN_TESSELLATION_FAILED);
  EXPECT_EQ(shownTexts(),
            std::vector<std::string>{"Warning: CreoExport::processSurface: (VELTROSAN_TESSELLATION_FAILED)"});
  const RepairSurfaceRecord& r = only();
  EXPECT_EQ(r.index, 0);
  EXPECT_EQ(r.cti, -1);
  EXPECT_EQ(r.rgb, (Rgb{0, 0, 0}));
  EXPECT_EQ(r.shapeClass, 0);
  EXPECT_EQ(r.origin, Vec3());
  EXPECT_EQ(r.axis, Vec3());
  EXPECT_EQ(r.param1, 0.0);
  EXPECT_EQ(r.param2, 0.0);
  EXPECT_EQ(r.flag, 1);
  EXPECT_TRUE(r.contours.empty());
  EXPECT_EQ(world().log.count("ProSurfaceAreaEval"), 0);

  // A feature whose parents cannot be had: the host's status, reported twice.
  body = BodyRecord();
  world().messages.shown.clear();
  part->surfaces[0].hasGeomitem = true;
  part->surfaces[0].parameters.clear();
  part->feature(20)->parents.clear();
  EXPECT_EQ(repair(part->surfaces[0]), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(shownTexts(), (std::vector<std::string>{"Warning: ProFeatureParentsGet: (PRO_TK_E_NOT_FOUND)",
                                                    "Warning: CreoExport::processSurface: (PRO_TK_E_NOT_FOUND)"}));
  EXPECT_EQ(only().cti, -1);
  EXPECT_EQ(only().rgb, (Rgb{0, 0, 0}));

  // A surface without orientation.
  body = BodyRecord();
  world().messages.shown.clear();
  part->surfaces[0].parameters = {Parameter::integer(u"COMPARATIVE_TRACKING_INDEX", 3)};
  part->surfaces[0].orientation = 0;
  EXPECT_EQ(repair(part->surfaces[0]), VELTROSAN_NOT_SUPPORTED);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"Warning: CreoExport::processSurface: (VELTROSAN_NOT_SUPPORTED)"});
  EXPECT_EQ(only().cti, 3);
  EXPECT_EQ(only().rgb, (Rgb{-1, -1, -1}));
}

TEST_F(SurfaceRepairTest, EveryEdgeTypeWithItsPoints) {
  const sim::Vec a{1, 2, 3}, b{4, 5, 6}, c{7, 8, 9}, d{-1, -2, -3}, e{0.5, 0.25, 0.125};
  const Vec3 A(1, 2, 3), B(4, 5, 6), C(7, 8, 9), D(-1, -2, -3), E(0.5, 0.25, 0.125);
  auto counted = [](sim::Edge edge, int count) {
    edge.countOverride = count;
    return edge;
  };
  const struct {
    const char* what;
    sim::Edge edge;
    std::int32_t edgeType;
    std::vector<Vec3> points;
  } cases[] = {
      {"no curve", sim::edgeOfType(-1), 0, {}},
      {"point", sim::pointEdge(1, a), 1, {A}},
      {"line", sim::lineEdge(a, b), 2, {A, B}},
      {"arc", sim::arcEdge(c), 3, {C}},
      {"type 6", sim::edgeOfType(6), 4, {}},
      {"type 8", sim::edgeOfType(8), 5, {}},
      {"type 10", sim::pointEdge(10, d), 6, {D}},
      {"spline", sim::arrayEdge(12, {a, b, c, d, e}), 7, {A, B, C, D, E}},
      {"spline without points", sim::arrayEdge(12, {}), 7, {}},
      {"b-spline", sim::arrayEdge(19, {a, b, c, d}), 8, {A, D}},
      {"b-spline of one point", sim::arrayEdge(19, {e}), 8, {E, E}},
      {"b-spline without points", sim::arrayEdge(19, {}), 8, {}},
      {"b-spline of a negative count", counted(sim::arrayEdge(19, {a, b}), -2), 8, {}},
      {"type 30", sim::pointEdge(30, e), 9, {E}},
      {"polyline", sim::arrayEdge(40, {c, a, b, d, e}), 10, {C, A, B, D, E}},
      {"polyline of count 0", counted(sim::arrayEdge(40, {a}), 0), 10, {}},
      {"type 41", sim::edgeOfType(41), 11, {}},
      {"type 56", sim::edgeOfType(56), 12, {}},
      {"type 62", sim::edgeOfType(62), 13, {}},
      {"unknown type 7", sim::edgeOfType(7), 0, {}},
      {"unknown type 99", sim::edgeOfType(99), 0, {}},
  };
  std::vector<sim::Edge> edges;
  for (const auto& k : cases) edges.push_back(k.edge);
  sim::Surface& s = addCylinder({sim::makeContour(1, {0, 0, 0}, {1, 1, 1}, edges)});
  ASSERT_EQ(repair(s), PRO_TK_NO_ERROR);
  ASSERT_EQ(only().contours.size(), 1u);
  const auto& stored = only().contours[0].edges;
  ASSERT_EQ(stored.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].what);
    EXPECT_EQ(stored[i].edgeType, cases[i].edgeType);
    EXPECT_EQ(stored[i].points, cases[i].points);
  }
  EXPECT_EQ(world().log.count("ProEdgeDataGet"), static_cast<int>(std::size(cases)));
  EXPECT_EQ(world().log.count("ProGeomitemdataFree"), static_cast<int>(std::size(cases)) + 1);
  EXPECT_TRUE(shownTexts().empty());
}

TEST_F(SurfaceRepairTest, AFailedEdgeReadShowsAsACascade) {
  sim::Surface& s = addCylinder({sim::makeContour(1, {0, 0, 0}, {1, 1, 1},
                                                  {sim::lineEdge({0, 0, 0}, {1, 0, 0}),
                                                   sim::lineEdge({1, 0, 0}, {1, 1, 0})}),
                                 sim::makeContour(-1, {0, 0, 0}, {1, 1, 1}, {sim::arcEdge({0, 0, 0})})});
  world().faults.failOn("ProEdgeDataGet", 2, PRO_TK_GENERAL_ERROR);
  EXPECT_EQ(repair(s), PRO_TK_GENERAL_ERROR);
  EXPECT_EQ(shownTexts(), (std::vector<std::string>{"Warning: ProEdgeDataGet: (PRO_TK_GENERAL_ERROR)",
                                                    "Warning: ProContourEdgeVisit: (PRO_TK_GENERAL_ERROR)",
                                                    "Warning: ProSurfaceContourVisit: (PRO_TK_GENERAL_ERROR)"}));
  // What was made before the failure stays; the failed edge has no kind.
  const RepairSurfaceRecord& r = only();
  ASSERT_EQ(r.contours.size(), 1u);
  ASSERT_EQ(r.contours[0].edges.size(), 2u);
  EXPECT_EQ(r.contours[0].edges[0].edgeType, 2);
  EXPECT_EQ(r.contours[0].edges[1].edgeType, 0);
  EXPECT_TRUE(r.contours[0].edges[1].points.empty());
}

TEST_F(SurfaceRepairTest, NotFoundInsideAVisitEndsOnlyThatVisit) {
  auto twoContours = [] {
    return std::vector<sim::Contour>{
        sim::makeContour(1, {0, 0, 0}, {1, 1, 1}, {sim::lineEdge({0, 0, 0}, {1, 0, 0}), sim::arcEdge({0, 0, 0})}),
        sim::makeContour(-1, {2, 2, 2}, {3, 3, 3}, {sim::pointEdge(1, {5, 5, 5})})};
  };
  {
    SCOPED_TRACE("in an edge: the contour gets no further edges, the next contour is visited");
    sim::Surface& s = addCylinder(twoContours());
    world().faults.failOn("ProEdgeTypeGet", 1, PRO_TK_E_NOT_FOUND);
    EXPECT_EQ(repair(s), PRO_TK_NO_ERROR);
    EXPECT_EQ(shownTexts(), std::vector<std::string>{"Warning: ProEdgeTypeGet: (PRO_TK_E_NOT_FOUND)"});
    const RepairSurfaceRecord& r = only();
    ASSERT_EQ(r.contours.size(), 2u);
    ASSERT_EQ(r.contours[0].edges.size(), 1u);
    EXPECT_EQ(r.contours[0].edges[0].edgeType, 0);
    ASSERT_EQ(r.contours[1].edges.size(), 1u);
    EXPECT_EQ(r.contours[1].edges[0].points, std::vector<Vec3>{Vec3(5, 5, 5)});
  }
  {
    SCOPED_TRACE("in a contour: the surface gets no further contours");
    body = BodyRecord();
    world().messages.shown.clear();
    world().faults.clear();
    world().faults.failOn("ProContourTraversalGet", 1, PRO_TK_E_NOT_FOUND);
    EXPECT_EQ(repair(part->surfaces[0]), PRO_TK_NO_ERROR);
    EXPECT_EQ(shownTexts(), std::vector<std::string>{"Warning: ProContourTraversalGet: (PRO_TK_E_NOT_FOUND)"});
    const RepairSurfaceRecord& r = only();
    ASSERT_EQ(r.contours.size(), 1u);
    EXPECT_EQ(r.contours[0].traversal, 0);
    EXPECT_EQ(r.contours[0].bboxMax, Vec3(1, 1, 1));
    EXPECT_TRUE(r.contours[0].edges.empty());
  }
}

TEST_F(SurfaceRepairTest, FaultSweep) {
  auto scenario = [this]() -> sim::Surface& {
    return addCylinder({sim::makeContour(1, {0, 0, 0}, {1, 1, 1},
                                         {sim::lineEdge({0, 0, 0}, {1, 0, 0}), sim::arcEdge({0, 0, 0}),
                                          sim::arrayEdge(19, {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}})}),
                        sim::makeContour(-1, {0, 0, 0}, {1, 1, 1}, {sim::arrayEdge(40, {{0, 0, 0}, {1, 0, 0}})})});
  };
  unit = "in";
  unitFactorValue = 25.4;
  ASSERT_EQ(repair(scenario()), PRO_TK_NO_ERROR);
  sim::Surface* s = nullptr;
  const int runs = sweepFaults(
      world().log.counts(), PRO_TK_OUT_OF_MEMORY,
      [&] {
        build();
        s = &scenario();
      },
      [&](const std::string& function) {
        const StatusCode status = repair(*s);
        if (function == "ProSurfaceToGeomitem") {
          EXPECT_EQ(status, VELTROSAN_TESSELLATION_FAILED);
        } else {
          EXPECT_EQ(status, PRO_TK_OUT_OF_MEMORY);
          ASSERT_FALSE(shownTexts().empty());
          EXPECT_EQ(shownTexts().front(), "Warning: " + function + ": (PRO_TK_OUT_OF_MEMORY)");
        }
        EXPECT_EQ(body.repairSurfaces.size(), 1u);
        releaseLeftovers();
        expectLedgerClean();
      });
  EXPECT_GT(runs, 20);
}

}  // namespace
}  // namespace veltrosan::test
