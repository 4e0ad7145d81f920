// Surfaces into records, area and triangles: from the whole-part tessellation
// and surface by surface, with the unit and area rules and reversed corners.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export_fixture.hpp"
#include "messages/status_names.hpp"
#include "sim/builders.hpp"
#include "sim/shapes.hpp"
#include "support/geometry_printing.hpp"
#include "walk_fixture.hpp"

namespace veltrosan::test {
namespace {

using ::testing::ElementsAre;

class SurfaceTessellation : public CurrentPartTest {
 protected:
  // A cylinder of radius 2 and height 1 at (1, 0, 0), owned by feature 2
  // (whose parent is feature 1): side, bottom cap, top cap.
  sim::Model& cylinderPart() {
    return sim::addSolidPart(u"ROD", sim::cylinderSurfaces(2, 1, 8, {1, 0, 0}, {1, 2}));
  }

  static Vec3 vec(const sim::Vec& v) { return Vec3(v[0], v[1], v[2]); }

  static void expectPoint(const Vec3& actual, const sim::Vec& expected) {
    EXPECT_EQ(actual.x, expected[0]);
    EXPECT_EQ(actual.y, expected[1]);
    EXPECT_EQ(actual.z, expected[2]);
  }
};

TEST_F(SurfaceTessellation, WholePartInInchesScalesLengthsAndAreasAndReversesCorners) {
  sim::Model& part = cylinderPart();
  ProSurfaceTessellationData* tess = nullptr;
  ASSERT_EQ(ProPartTessellate(sim::handle(part), 0.06, 0.6, 1, &tess), PRO_TK_NO_ERROR);
  ASSERT_EQ(exporter->tessellationSuccess(sim::handle(part), tess, "in", 25.4, body, soup), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProPartTessellationFree(&tess), PRO_TK_NO_ERROR);
  EXPECT_TRUE(shownTexts().empty());

  ASSERT_EQ(body.surfaces.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(body.surfaces[static_cast<size_t>(i)].index, i);
  const SurfaceRecord& side = body.surfaces[0];
  EXPECT_EQ(side.shapeClass, 2);
  EXPECT_DOUBLE_EQ(side.param1, 50.8);
  EXPECT_DOUBLE_EQ(side.origin.x, 25.4);
  EXPECT_EQ(side.axis.z, 1);  // a direction keeps its length
  EXPECT_DOUBLE_EQ(body.surfaces[2].origin.z, 25.4);
  double area = 0;
  for (const auto& s : part.surfaces) area += s.area;
  EXPECT_NEAR(body.totalArea, area * 645.16, 1e-9);

  // Facet (i0, i1, i2) of the host becomes the triangle (i0, i2, i1), unscaled.
  ASSERT_EQ(soup.triangles.size(), 8u * 2 + 8 + 8);
  const sim::Mesh& mesh = *part.surfaces[0].mesh;
  const auto& facet = mesh.facets[3];
  const Triangle& t = soup.triangles[3];
  EXPECT_EQ(t.surfaceIndex, 0);
  expectPoint(soup.points[static_cast<size_t>(t.a)], mesh.vertices[static_cast<size_t>(facet[0])]);
  expectPoint(soup.points[static_cast<size_t>(t.b)], mesh.vertices[static_cast<size_t>(facet[2])]);
  expectPoint(soup.points[static_cast<size_t>(t.c)], mesh.vertices[static_cast<size_t>(facet[1])]);
  EXPECT_EQ(soup.triangles.back().surfaceIndex, 2);
}

TEST_F(SurfaceTessellation, WholePartStopsSilentlyAtASurfaceWithoutGeometryItem) {
  sim::Model& part = cylinderPart();
  part.surfaces[1].hasGeomitem = false;
  ProSurfaceTessellationData* tess = nullptr;
  ASSERT_EQ(ProPartTessellate(sim::handle(part), 0.06, 0.6, 1, &tess), PRO_TK_NO_ERROR);
  EXPECT_EQ(exporter->tessellationSuccess(sim::handle(part), tess, "mm", 1, body, soup),
            VELTROSAN_TESSELLATION_FAILED);
  EXPECT_EQ(ProPartTessellationFree(&tess), PRO_TK_NO_ERROR);
  EXPECT_TRUE(shownTexts().empty());
  EXPECT_EQ(body.surfaces.size(), 2u);  // what was added stays for the caller to drop
  EXPECT_EQ(soup.triangles.size(), 16u);
}

TEST_F(SurfaceTessellation, WholePartWithoutSurfacesAddsNothing) {
  sim::Model& part = world().addModel(u"VOID", PRO_MDL_PART);
  ProSurfaceTessellationData* tess = nullptr;
  ASSERT_EQ(ProPartTessellate(sim::handle(part), 0.06, 0.6, 1, &tess), PRO_TK_NO_ERROR);
  EXPECT_EQ(exporter->tessellationSuccess(sim::handle(part), tess, "mm", 1, body, soup), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProPartTessellationFree(&tess), PRO_TK_NO_ERROR);
  EXPECT_TRUE(body.surfaces.empty());
  EXPECT_TRUE(soup.points.empty());
}

TEST_F(SurfaceTessellation, PerSurfaceRecordsInVisitOrderAndTakesFailedSurfacesByContours) {
  sim::Model& part = cylinderPart();
  part.surfaces[0].areaStatus = -65;  // the host cannot evaluate this area: it counts as 0
  part.surfaces[1].mesh.reset();
  enterPart(part);
  EXPECT_EQ(ProSolidSurfaceVisit(sim::handle(part), CreoExport::visitSurface, nullptr, nullptr), PRO_TK_NO_ERROR);
  EXPECT_TRUE(shownTexts().empty());
  EXPECT_TRUE(exporter->surfaceFailed);
  EXPECT_EQ(exporter->currentSurface, nullptr);
  ASSERT_EQ(body.surfaces.size(), 2u);
  EXPECT_EQ(body.surfaces[1].index, 1);
  EXPECT_EQ(body.surfaces[1].origin.z, 1);  // the top cap, in millimetres as given
  ASSERT_EQ(body.repairSurfaces.size(), 1u);
  EXPECT_EQ(body.repairSurfaces[0].contours.size(), 1u);
  EXPECT_DOUBLE_EQ(body.totalArea, part.surfaces[1].area + part.surfaces[2].area);
  EXPECT_EQ(soup.triangles.size(), 16u + 8u);
  const auto& facet = part.surfaces[2].mesh->facets[0];
  const Triangle& t = soup.triangles[16];
  EXPECT_EQ(t.surfaceIndex, 1);
  expectPoint(soup.points[static_cast<size_t>(t.b)], part.surfaces[2].mesh->vertices[static_cast<size_t>(facet[2])]);

  ASSERT_EQ(world().surfaceTessellations.size(), 2u);  // the failed surface's request was refused
  for (const auto& request : world().surfaceTessellations) {
    EXPECT_DOUBLE_EQ(request.chordHeight, 0.06);
    EXPECT_DOUBLE_EQ(request.angleControl, 0.6);
    EXPECT_EQ(request.projection, PRO_SRFTESS_NO_PROJECTION);
  }
}

TEST_F(SurfaceTessellation, PerSurfaceFailuresAreReportedAndStopTheVisit) {
  sim::Model& part = cylinderPart();
  part.surfaces[1].orientation = 0;
  enterPart(part);
  EXPECT_EQ(ProSolidSurfaceVisit(sim::handle(part), CreoExport::visitSurface, nullptr, nullptr),
            VELTROSAN_NOT_SUPPORTED);
  EXPECT_THAT(shownTexts(), ElementsAre("Warning: CreoExport::processSurface: (VELTROSAN_NOT_SUPPORTED)"));
  EXPECT_EQ(body.surfaces.size(), 2u);

  // A surface without geometry item is reported on this road.
  freshExport();
  world().messages.shown.clear();
  part.surfaces[1].orientation = 1;
  part.surfaces[0].hasGeomitem = false;
  enterPart(part);
  EXPECT_EQ(ProSolidSurfaceVisit(sim::handle(part), CreoExport::visitSurface, nullptr, nullptr),
            VELTROSAN_TESSELLATION_FAILED);
  EXPECT_THAT(shownTexts(), ElementsAre("Warning: CreoExport::processSurface: (VELTROSAN_TESSELLATION_FAILED)"));
}

TEST_F(SurfaceTessellation, FailingReleaseIsReportedAndTheOthersStillHappen) {
  sim::Model& part = cylinderPart();
  enterPart(part);
  world().faults.failOn("ProTessellationFree", 1, PRO_TK_GENERAL_ERROR);
  EXPECT_EQ(ProSolidSurfaceVisit(sim::handle(part), CreoExport::visitSurface, nullptr, nullptr),
            PRO_TK_GENERAL_ERROR);
  EXPECT_THAT(shownTexts(), ElementsAre("Warning: ProTessellationFree: (PRO_TK_GENERAL_ERROR)"));
  EXPECT_THAT(world().ledger.outstanding(), ElementsAre("surface tessellation from ProSurfaceTessellationGet"));
  world().faults.clear();
  for (void* p : world().ledger.live(sim::Allocation::SurfaceTessellation))
    EXPECT_EQ(ProTessellationFree(static_cast<ProTessellation>(p)), PRO_TK_NO_ERROR);
}

TEST_F(SurfaceTessellation, FacetNamingAMissingVertexIsPassedOver) {
  sim::Model& part = cylinderPart();
  part.surfaces.resize(1);
  part.surfaces[0].mesh->facets.push_back({0, 1, 999});
  part.surfaces[0].mesh->facets.push_back({-1, 1, 2});
  enterPart(part);
  EXPECT_EQ(ProSolidSurfaceVisit(sim::handle(part), CreoExport::visitSurface, nullptr, nullptr), PRO_TK_NO_ERROR);
  EXPECT_EQ(soup.triangles.size(), 16u);
}

// The lengths of a surface record reach millimetres by the part's own factor
// on every road a surface can take: the whole-part tessellation, the
// per-surface fallback and the repair of a surface the host cannot
// tessellate. Directions, contour boxes and edge points keep the host's
// values. The part is in inches under a top in millimetres, so that a road
// taking the top's unit or factor instead of the part's shows too.
class SurfaceLengths : public WalkTest {};

TEST_F(SurfaceLengths, EveryRoadScalesOriginsAndShapeValuesByThePartsFactor) {
  const struct {
    const char* what;
    ProSrftype type;
    sim::Vec origin, axis;  // in inches, as the host gives them
    double value1, value2;
    std::int32_t shapeClass;
    Vec3 originMm;
    double param1Mm, param2Mm;
  } shapes[] = {
      {"plane", PRO_SRF_PLANE, {1, -2, 3}, {0, 0, 1}, 0, 0, 1, Vec3(25.4, -50.8, 76.2), 0, 0},
      {"cylinder", PRO_SRF_CYL, {-4, 5, 0.5}, {0, 1, 0}, 2, 0, 2, Vec3(-101.6, 127, 12.7), 50.8, 0},
      // The cone's shape value is scaled like every other shape value.
      {"cone", PRO_SRF_CONE, {0.25, 1.5, -3}, {1, 0, 0}, 0.75, 0, 3, Vec3(6.35, 38.1, -76.2), 19.05, 0},
      {"torus", PRO_SRF_TORUS, {2, 0, -1}, {0, 0.6, 0.8}, 3, 0.5, 5, Vec3(50.8, 0, -25.4), 76.2, 12.7},
  };
  const sim::Vec boxMin{-1, -2, -3}, boxMax{4, 5, 6}, end1{0.5, 0, 0}, end2{0, 0.5, 0};

  const struct {
    const char* road;
    const char16_t* name;
    bool wholeFails, surfacesFail;
  } roads[] = {
      {"whole part", u"WHOLE", false, false},
      {"per surface", u"PER_SURFACE", true, false},
      {"repair", u"REPAIR", true, true},
  };

  sim::Model& top = assembly(u"TOP");
  int id = 1;
  for (const auto& road : roads) {
    sim::Model& p = sim::addSolidPart(road.name, {});
    p.lengthUnit = u"in";
    p.wholeTessellationFails = road.wholeFails;
    for (const auto& shape : shapes) {
      sim::Surface& s = sim::addSurface(p, shape.type);
      s.origin = shape.origin;
      s.e3 = shape.axis;
      s.values = {shape.value1, shape.value2};
      s.featureId = 2;
      s.area = static_cast<double>(s.id);
      const double z = static_cast<double>(s.id);
      if (!road.surfacesFail) s.mesh = sim::Mesh{{{0, 0, z}, {1, 0, z}, {0, 1, z}}, {{0, 1, 2}}};
      s.contours = {sim::makeContour(1, boxMin, boxMax, {sim::lineEdge(end1, end2)})};
    }
    place(top, p, id++);
  }
  ASSERT_EQ(run(top), PRO_TK_NO_ERROR);
  EXPECT_THAT(shown(), ElementsAre("Warning: Tessellation of a surface in part 'REPAIR' failed. This part may be incorrect."));

  for (const auto& road : roads) {
    SCOPED_TRACE(road.road);
    const BodyRecord& body = part(sim::utf8(road.name)).bodies.at(0);
    const size_t records = road.surfacesFail ? body.repairSurfaces.size() : body.surfaces.size();
    ASSERT_EQ(records, std::size(shapes));
    ASSERT_EQ(road.surfacesFail ? body.surfaces.size() : body.repairSurfaces.size(), 0u);
    EXPECT_DOUBLE_EQ(body.totalArea, (1 + 2 + 3 + 4) * 645.16);
    for (size_t i = 0; i < std::size(shapes); ++i) {
      const auto& shape = shapes[i];
      SCOPED_TRACE(shape.what);
      const SurfaceRecord& r = road.surfacesFail ? body.repairSurfaces[i] : body.surfaces[i];
      EXPECT_EQ(r.shapeClass, shape.shapeClass);
      EXPECT_DOUBLE_EQ(r.origin.x, shape.originMm.x);
      EXPECT_DOUBLE_EQ(r.origin.y, shape.originMm.y);
      EXPECT_DOUBLE_EQ(r.origin.z, shape.originMm.z);
      EXPECT_DOUBLE_EQ(r.param1, shape.param1Mm);
      EXPECT_DOUBLE_EQ(r.param2, shape.param2Mm);
      EXPECT_EQ(r.axis, Vec3(shape.axis[0], shape.axis[1], shape.axis[2]));
    }
    for (const RepairSurfaceRecord& r : body.repairSurfaces) {
      ASSERT_EQ(r.contours.size(), 1u);
      EXPECT_EQ(r.contours[0].bboxMin, Vec3(-1, -2, -3));
      EXPECT_EQ(r.contours[0].bboxMax, Vec3(4, 5, 6));
      ASSERT_EQ(r.contours[0].edges.size(), 1u);
      EXPECT_EQ(r.contours[0].edges[0].points, (std::vector<Vec3>{{0.5, 0, 0}, {0, 0.5, 0}}));
    }
  }
}

}  // namespace
}  // namespace veltrosan::test
