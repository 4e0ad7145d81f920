// Surfaces into records, area and triangles: from the whole-part tessellation
// and surface by surface, with the unit and area rules and reversed corners.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export_fixture.hpp"
#include "messages/status_names.hpp"
#include "sim/builders.hpp"
#include "sim/shapes.hpp"

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

}  // namespace
}  // namespace veltrosan::test
