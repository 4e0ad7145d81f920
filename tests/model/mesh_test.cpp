#include "model/mesh.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "model/weld_reference.hpp"
#include "support/geometry_printing.hpp"
#include "support/mesh_helpers.hpp"

namespace veltrosan {
namespace {

using test::bodyWithCtis;
using test::ctisOf;

// A soup built straight from point triples, bypassing addTriangle's check.
TriangleSoup rawSoup(const std::vector<Vec3>& corners, const std::vector<std::int32_t>& surfaces) {
  TriangleSoup soup;
  soup.points = corners;
  for (std::size_t k = 0; k < surfaces.size(); ++k) {
    const auto n = static_cast<std::int32_t>(3 * k);
    soup.triangles.push_back(Triangle{n, n + 1, n + 2, surfaces[k]});
  }
  return soup;
}



const Vec3 kO(0, 0, 0), kX(1, 0, 0), kY(0, 1, 0), kXY(1, 1, 0);

TEST(TriangleSoup, AddTriangleDropsTrianglesWithCoincidingCorners) {
  struct Case {
    const char* what;
    Vec3 p0, p1, p2;
    bool kept;
  };
  const Case cases[] = {
      {"p1 1e-15 from p0", kO, Vec3(1e-15, 0, 0), kY, false},
      {"p2 1e-15 from p0", kO, kX, Vec3(0, -1e-15, 1e-15), false},
      {"p2 equal to p1", kO, kX, kX, false},
      {"p1 2e-15 from p0", kO, Vec3(2e-15, 0, 0), kY, true},
      {"p1 close in x only", kO, Vec3(1e-15, 1, 0), Vec3(0, 0, 1), true},
      {"distinct", kO, kX, kY, true},
  };
  for (const Case& c : cases) {
    TriangleSoup soup;
    soup.addTriangle(c.p0, c.p1, c.p2, 7);
    EXPECT_EQ(soup.triangles.size(), c.kept ? 1u : 0u) << c.what;
    EXPECT_EQ(soup.points.size(), c.kept ? 3u : 0u) << c.what;
  }
}

TEST(TriangleSoup, AddTriangleKeepsCornerOrderAndNumbersCornersInSequence) {
  TriangleSoup soup;
  soup.addTriangle(kO, kX, kY, 3);
  soup.addTriangle(kO, kO, kY, 4);  // dropped, takes no positions
  soup.addTriangle(kXY, kY, kX, 5);
  ASSERT_EQ(soup.points.size(), 6u);
  EXPECT_EQ(soup.points, (std::vector<Vec3>{kO, kX, kY, kXY, kY, kX}));
  EXPECT_EQ(soup.triangles, (std::vector<Triangle>{{0, 1, 2, 3}, {3, 4, 5, 5}}));
}

TEST(TriangleSoup, ClearReleasesStorage) {
  TriangleSoup soup;
  for (int i = 0; i < 100; ++i) soup.addTriangle(kO, kX, kY, i);
  soup.clear();
  EXPECT_TRUE(soup.points.empty());
  EXPECT_TRUE(soup.triangles.empty());
  EXPECT_EQ(soup.points.capacity(), 0u);
  EXPECT_EQ(soup.triangles.capacity(), 0u);
}

TEST(WeldMesh, SharedEdgeWeldsIntoFourVerticesInOrderOfFirstAppearance) {
  TriangleSoup soup;
  soup.addTriangle(kXY, kX, kY, 0);
  soup.addTriangle(kX, kO, kY, 1);
  BodyRecord body = bodyWithCtis({-1, -1});
  weldMesh(soup, body);
  EXPECT_EQ(body.vertices, (std::vector<Vec3>{kXY, kX, kY, kO}));
  // (0,1,2) and (1,3,2), already in sorted order.
  EXPECT_EQ(body.triangles, (std::vector<Triangle>{{0, 1, 2, 0}, {1, 3, 2, 1}}));
}

TEST(WeldMesh, TrianglesAreSortedByCornersAsSignedIntegers) {
  TriangleSoup soup;
  soup.addTriangle(kO, kX, kY, 0);     // vertices 0 1 2
  soup.addTriangle(kXY, kY, kX, 1);    // 3 2 1
  soup.addTriangle(kX, kXY, kO, 2);    // 1 3 0
  BodyRecord body = bodyWithCtis({1, 2, 3});
  weldMesh(soup, body);
  EXPECT_EQ(body.triangles, (std::vector<Triangle>{{0, 1, 2, 0}, {1, 3, 0, 2}, {3, 2, 1, 1}}));
}

TEST(WeldMesh, ToleranceFollowsDoublePrecisionBounds) {
  struct Case {
    const char* what;
    Vec3 p, q;
    std::size_t vertices;
  };
  const double above100 = std::nextafter(100.0, 200.0);
  const Case cases[] = {
      {"5e-16 apart near zero", kO, Vec3(5e-16, 0, 0), 1},
      {"1e-15 apart near zero", kO, Vec3(0, 0, 1e-15), 1},
      {"3e-15 apart near zero", kO, Vec3(0, 3e-15, 0), 2},
      {"100 and the next double", Vec3(100, 0, 0), Vec3(above100, 0, 0), 2},
      {"equal at 100", Vec3(100, 5, 5), Vec3(100, 5, 5), 1},
  };
  for (const Case& c : cases) {
    // q in a second triangle, so addTriangle's own check does not see the pair.
    const TriangleSoup soup = rawSoup({c.p, Vec3(7, 0, 0), Vec3(0, 7, 0), c.q, Vec3(9, 0, 0), Vec3(0, 9, 0)}, {0, 0});
    BodyRecord body = bodyWithCtis({-1});
    weldMesh(soup, body);
    EXPECT_EQ(body.vertices.size(), c.vertices + 4) << c.what;
    // A vertex keeps the coordinates of its first point.
    EXPECT_EQ(body.vertices[0], c.p) << c.what;
    EXPECT_EQ(body.triangles.size(), 2u) << c.what;
  }
}

// p ties with k, and k' = k - 1.5e-15 ties with p but not with k. However the
// tolerance chains, both copies of p are one point: they get one vertex (k's,
// which p met first), and the two triangles through p keep their common edge.
TEST(WeldMesh, ExactlyEqualPointsShareAVertexWhereTheToleranceChains) {
  const Vec3 k(1, 1, 1), p(1 - 0.6e-15, 1, 1), kPrime(1 - 1.5e-15, 1, 1);
  const Vec3 x5(5, 0, 0), y5(0, 5, 0), x6(6, 0, 0), y6(0, 6, 0), x7(7, 0, 0), y7(0, 7, 0), x8(8, 0, 0);
  TriangleSoup soup;
  soup.addTriangle(k, x5, y5, 0);
  soup.addTriangle(p, x6, y6, 1);
  soup.addTriangle(kPrime, x7, y7, 2);
  soup.addTriangle(p, y6, x8, 3);
  BodyRecord body = bodyWithCtis({-1, -1, -1, -1});
  weldMesh(soup, body);
  EXPECT_EQ(body.vertices, (std::vector<Vec3>{k, x5, y5, x6, y6, kPrime, x7, y7, x8}));
  EXPECT_EQ(body.triangles, (std::vector<Triangle>{{0, 1, 2, 0}, {0, 3, 4, 1}, {0, 4, 8, 3}, {5, 6, 7, 2}}));
}

TEST(WeldMesh, DropsTrianglesThatCollapse) {
  // The second triangle's corners 3 and 5 weld into one vertex.
  const TriangleSoup soup = rawSoup({kO, kX, kY, kO, kXY, Vec3(4e-16, 0, 0)}, {0, 0});
  BodyRecord body = bodyWithCtis({5});
  weldMesh(soup, body);
  EXPECT_EQ(body.vertices.size(), 4u);
  EXPECT_EQ(body.triangles, (std::vector<Triangle>{{0, 1, 2, 0}}));
}

// Two identical triangles on two surfaces: one remains, and both surfaces
// end with the merged CTI.
TEST(WeldMesh, MergesCtiOfSurfacesSharingATriangle) {
  struct Case {
    std::int32_t first, second, merged;
  };
  const Case cases[] = {
      {200, 600, 600}, {600, 200, 600}, {-1, 400, 400}, {400, -1, 400},
      {0, 400, 0},     {400, 0, 0},     {300, 300, 300}, {-1, 0, 0},
      {-1, -1, -1},    {-5, -2, -2},
  };
  for (const Case& c : cases) {
    TriangleSoup soup;
    soup.addTriangle(kO, kX, kY, 0);
    soup.addTriangle(kO, kX, kY, 1);
    BodyRecord body = bodyWithCtis({c.first, c.second});
    weldMesh(soup, body);
    EXPECT_EQ(ctisOf(body), (std::vector<std::int32_t>{c.merged, c.merged})) << c.first << " and " << c.second;
    EXPECT_EQ(body.triangles, (std::vector<Triangle>{{0, 1, 2, 0}})) << c.first << " and " << c.second;
  }
}

TEST(WeldMesh, EachMergeSeesTheValuesEarlierPairsWrote) {
  TriangleSoup soup;
  soup.addTriangle(kO, kX, kY, 0);
  soup.addTriangle(kO, kX, kY, 1);
  soup.addTriangle(kO, kX, kY, 2);
  BodyRecord body = bodyWithCtis({100, 200, 0, 999});
  weldMesh(soup, body);
  EXPECT_EQ(ctisOf(body), (std::vector<std::int32_t>{200, 0, 0, 999}));
  EXPECT_EQ(body.triangles, (std::vector<Triangle>{{0, 1, 2, 0}}));
}

TEST(WeldMesh, CornerOrderMakesTrianglesDistinct) {
  TriangleSoup soup;
  soup.addTriangle(kO, kX, kY, 0);  // (0, 1, 2)
  soup.addTriangle(kX, kY, kO, 1);  // (1, 2, 0)
  soup.addTriangle(kO, kY, kX, 2);  // (0, 2, 1)
  BodyRecord body = bodyWithCtis({100, 200, 0});
  weldMesh(soup, body);
  EXPECT_EQ(body.triangles, (std::vector<Triangle>{{0, 1, 2, 0}, {0, 2, 1, 2}, {1, 2, 0, 1}}));
  EXPECT_EQ(ctisOf(body), (std::vector<std::int32_t>{100, 200, 0}));
}

// Enough equal triangles, mixed with others, that an unstable sort would
// reorder them: the survivor is the first in soup order, and the merge runs
// through the surfaces in soup order.
TEST(WeldMesh, FirstTriangleInSoupOrderSurvives) {
  TriangleSoup soup;
  std::vector<std::int32_t> ctis;
  for (int i = 0; i < 40; ++i) {
    soup.addTriangle(kXY, kX, kY, static_cast<std::int32_t>(ctis.size()));
    ctis.push_back(-1);
    soup.addTriangle(kO, kX, kY, static_cast<std::int32_t>(ctis.size()));
    ctis.push_back(i + 1);
  }
  ctis[1] = 5;  // so that the run does not start with its smallest value
  BodyRecord body = bodyWithCtis(ctis);
  weldMesh(soup, body);
  // Vertices: kXY 0, kX 1, kY 2, kO 3. Triangles (0,1,2) from surface 0 and (3,1,2) from surface 1.
  EXPECT_EQ(body.triangles, (std::vector<Triangle>{{0, 1, 2, 0}, {3, 1, 2, 1}}));
  // Along the run of (3,1,2) each surface ends with the largest CTI up to
  // its successor, which only holds when the run is in soup order.
  for (std::size_t i = 0; i < 40; ++i) {
    std::int32_t expected = 0;
    for (std::size_t j = 0; j <= std::min<std::size_t>(i + 1, 39); ++j) expected = std::max(expected, ctis[2 * j + 1]);
    EXPECT_EQ(body.surfaces[2 * i + 1].cti, expected) << "surface " << 2 * i + 1;
  }
}

TEST(WeldMesh, EmptySoupClearsTheMesh) {
  BodyRecord body = bodyWithCtis({3});
  body.vertices = {kO, kX};
  body.triangles = {{0, 1, 1, 0}};
  weldMesh(TriangleSoup(), body);
  EXPECT_TRUE(body.vertices.empty());
  EXPECT_TRUE(body.triangles.empty());
  EXPECT_EQ(ctisOf(body), (std::vector<std::int32_t>{3}));
}

TEST(WeldMesh, PointsWithoutTrianglesStillBecomeVertices) {
  TriangleSoup soup;
  soup.points = {kO, kX, kO};
  BodyRecord body;
  weldMesh(soup, body);
  EXPECT_EQ(body.vertices, (std::vector<Vec3>{kO, kX}));
  EXPECT_TRUE(body.triangles.empty());
}

TEST(WeldMesh, ChangesOnlyTheMeshAndSurfaceCti) {
  TriangleSoup soup;
  soup.addTriangle(kO, kX, kY, 0);
  soup.addTriangle(kO, kX, kY, 1);
  const TriangleSoup before = soup;

  BodyRecord body = bodyWithCtis({200, 600});
  body.bodyTag = 4;
  body.totalArea = 12.5;
  body.bodyMark = 9;
  body.rgb = {0.5, 0.5, 0.5};
  body.surfaces[1].rgb = {0.1, 0.2, 0.3};
  body.surfaces[1].shapeClass = 2;
  body.surfaces[1].param1 = 3.0;
  body.repairSurfaces.resize(1);
  body.repairSurfaces[0].cti = 11;
  weldMesh(soup, body);

  EXPECT_EQ(soup.points, before.points);
  EXPECT_EQ(soup.triangles, before.triangles);
  EXPECT_EQ(body.bodyTag, 4);
  EXPECT_EQ(body.totalArea, 12.5);
  EXPECT_EQ(body.bodyMark, 9);
  EXPECT_EQ(body.rgb, (Rgb{0.5, 0.5, 0.5}));
  EXPECT_EQ(body.surfaces[1].rgb, (Rgb{0.1, 0.2, 0.3}));
  EXPECT_EQ(body.surfaces[1].shapeClass, 2);
  EXPECT_EQ(body.surfaces[1].param1, 3.0);
  EXPECT_EQ(body.surfaces[1].index, 1);
  ASSERT_EQ(body.repairSurfaces.size(), 1u);
  EXPECT_EQ(body.repairSurfaces[0].cti, 11);
  EXPECT_EQ(ctisOf(body), (std::vector<std::int32_t>{600, 600}));
}

// Indices that point outside the soup or the body must not be followed.
TEST(WeldMesh, IgnoresIndicesOutsideTheirLists) {
  TriangleSoup soup;
  soup.addTriangle(kO, kX, kY, 0);
  soup.addTriangle(kO, kX, kY, 7);   // no surface 7
  soup.addTriangle(kO, kX, kY, -1);  // nor -1
  soup.triangles.push_back(Triangle{0, 1, 99, 0});
  soup.triangles.push_back(Triangle{-3, 1, 2, 0});
  BodyRecord body = bodyWithCtis({200});
  weldMesh(soup, body);
  EXPECT_EQ(body.triangles, (std::vector<Triangle>{{0, 1, 2, 0}}));
  EXPECT_EQ(ctisOf(body), (std::vector<std::int32_t>{200}));
}

TEST(WeldMesh, MatchesTheReferenceWeld) {
  TriangleSoup soup;
  for (int i = 0; i < 30; ++i) {
    const double x = i * 0.5;
    soup.addTriangle(Vec3(x, 0, 0), Vec3(x + 0.5, 0, 0), Vec3(x, 1, 0), i % 3);
    soup.addTriangle(Vec3(x + 0.5, 0, 0), Vec3(x + 0.5, 1, 0), Vec3(x, 1, 0), (i + 1) % 3);
  }
  BodyRecord fast = bodyWithCtis({100, 0, 300});
  BodyRecord reference = fast;
  weldMesh(soup, fast);
  detail::weldMeshReference(soup, reference);
  EXPECT_EQ(fast.vertices, reference.vertices);
  EXPECT_EQ(fast.triangles, reference.triangles);
  EXPECT_EQ(ctisOf(fast), ctisOf(reference));
  EXPECT_EQ(fast.vertices.size(), 62u);
  EXPECT_EQ(fast.triangles.size(), 60u);
}

}  // namespace
}  // namespace veltrosan
