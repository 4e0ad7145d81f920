// The simulated host's tessellation: what it hands out, from which world
// data, and that every block goes back through its own release.
#include <gtest/gtest.h>

#include "host/toolkit.h"
#include "sim/handles.hpp"
#include "sim/shapes.hpp"
#include "support/sim_fixture.hpp"

namespace {

class TessellationSim : public testing_support::SimTest {
 protected:
  sim::Model& boxPart() {
    sim::Model& part = world().addModel(u"BLOCK", PRO_MDL_PART);
    part.surfaces = sim::boxSurfaces({2, 4, 6}, {0, 0, 0}, {});
    return part;
  }
};

TEST_F(TessellationSim, WholePartGivesOneElementPerSurfaceWithItsMesh) {
  sim::Model& part = boxPart();
  ProSurfaceTessellationData* tess = nullptr;
  ASSERT_EQ(ProPartTessellate(sim::handle(part), 0.06, 0.6, 1, &tess), PRO_TK_NO_ERROR);
  int n = 0;
  ASSERT_EQ(ProArraySizeGet(tess, &n), PRO_TK_NO_ERROR);
  ASSERT_EQ(n, 6);
  for (int i = 0; i < n; ++i) {
    const sim::Surface& s = part.surfaces[static_cast<size_t>(i)];
    EXPECT_EQ(tess[i].surface, sim::handle(part.surfaces[static_cast<size_t>(i)]));
    ASSERT_EQ(tess[i].n_vertices, 4);
    ASSERT_EQ(tess[i].n_facets, 2);
    EXPECT_EQ(tess[i].vertices[2][1], s.mesh->vertices[2][1]);
    EXPECT_EQ(tess[i].facets[1][2], s.mesh->facets[1][2]);
  }
  EXPECT_EQ(ProPartTessellationFree(&tess), PRO_TK_NO_ERROR);
  EXPECT_EQ(tess, nullptr);
}

TEST_F(TessellationSim, WholePartFailsWhenTheModelSaysSoOrASurfaceHasNoMesh) {
  sim::Model& part = boxPart();
  ProSurfaceTessellationData* tess = nullptr;
  part.wholeTessellationFails = true;
  EXPECT_EQ(ProPartTessellate(sim::handle(part), 0.06, 0.6, 1, &tess), PRO_TK_GENERAL_ERROR);
  part.wholeTessellationFails = false;
  part.surfaces[3].mesh.reset();
  EXPECT_EQ(ProPartTessellate(sim::handle(part), 0.06, 0.6, 1, &tess), PRO_TK_GENERAL_ERROR);
  sim::Model& assembly = world().addModel(u"ASM", PRO_MDL_ASSEMBLY);
  EXPECT_EQ(ProPartTessellate(sim::handle(assembly), 0.06, 0.6, 1, &tess), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(tess, nullptr);
}

TEST_F(TessellationSim, WholePartArrayIsNoPlainArray) {
  sim::Model& part = boxPart();
  ProSurfaceTessellationData* tess = nullptr;
  ASSERT_EQ(ProPartTessellate(sim::handle(part), 0.06, 0.6, 1, &tess), PRO_TK_NO_ERROR);
  ProArray asArray = tess;
  EXPECT_EQ(ProArrayFree(&asArray), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(world().ledger.violations().size(), 1u);
  EXPECT_EQ(ProPartTessellationFree(&tess), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProPartTessellationFree(&tess), PRO_TK_BAD_INPUTS);  // already released
  world().ledger.clear();  // the two violations were the point
}

TEST_F(TessellationSim, PerSurfaceRecordsItsSettingsAndHandsOutSeparateArrays) {
  sim::Model& part = boxPart();
  ProSurfaceTessellationInput input = nullptr;
  ASSERT_EQ(ProSurfacetessellationinputAlloc(&input), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProSurfacetessellationinputChordheightSet(input, 0.06), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProSurfacetessellationinputAnglecontrolSet(input, 0.6), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProSurfacetessellationinputStepsizeSet(input, 0), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProSurfacetessellationinputUvprojectionSet(input, PRO_SRFTESS_NO_PROJECTION, nullptr), PRO_TK_NO_ERROR);
  ProTessellation tess = nullptr;
  ASSERT_EQ(ProSurfaceTessellationGet(sim::handle(part.surfaces[1]), input, &tess), PRO_TK_NO_ERROR);
  ASSERT_EQ(world().surfaceTessellations.size(), 1u);
  const auto& request = world().surfaceTessellations[0];
  EXPECT_EQ(request.surface, &part.surfaces[1]);
  EXPECT_DOUBLE_EQ(request.chordHeight, 0.06);
  EXPECT_DOUBLE_EQ(request.angleControl, 0.6);
  EXPECT_EQ(request.stepSize, 0);
  EXPECT_EQ(request.projection, 4);
  EXPECT_FALSE(request.projectionData);

  ProVector* vertices = nullptr;
  ProTriangle* facets = nullptr;
  ASSERT_EQ(ProTessellationVerticesGet(tess, &vertices), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProTessellationFacetsGet(tess, &facets), PRO_TK_NO_ERROR);
  int nv = 0, nf = 0;
  ASSERT_EQ(ProArraySizeGet(vertices, &nv), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProArraySizeGet(facets, &nf), PRO_TK_NO_ERROR);
  EXPECT_EQ(nv, 4);
  EXPECT_EQ(nf, 2);
  EXPECT_EQ(vertices[3][2], part.surfaces[1].mesh->vertices[3][2]);

  // The arrays outlive the tessellation they came from.
  EXPECT_EQ(ProTessellationFree(tess), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProSurfacetessellationinputFree(input), PRO_TK_NO_ERROR);
  ProArray a = vertices;
  EXPECT_EQ(ProArrayFree(&a), PRO_TK_NO_ERROR);
  a = facets;
  EXPECT_EQ(ProArrayFree(&a), PRO_TK_NO_ERROR);
}

TEST_F(TessellationSim, PerSurfaceFailsForASurfaceWithoutMeshOrABadInput) {
  sim::Model& part = boxPart();
  part.surfaces[0].mesh.reset();
  ProSurfaceTessellationInput input = nullptr;
  ASSERT_EQ(ProSurfacetessellationinputAlloc(&input), PRO_TK_NO_ERROR);
  ProTessellation tess = nullptr;
  // No chord height yet.
  EXPECT_EQ(ProSurfaceTessellationGet(sim::handle(part.surfaces[1]), input, &tess), PRO_TK_BAD_INPUTS);
  ASSERT_EQ(ProSurfacetessellationinputChordheightSet(input, 0.06), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProSurfaceTessellationGet(sim::handle(part.surfaces[0]), input, &tess), PRO_TK_GENERAL_ERROR);
  EXPECT_EQ(ProSurfaceTessellationGet(reinterpret_cast<ProSurface>(&part), input, &tess), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(tess, nullptr);
  EXPECT_TRUE(world().surfaceTessellations.empty());
  EXPECT_EQ(ProSurfacetessellationinputFree(input), PRO_TK_NO_ERROR);
}

}  // namespace
