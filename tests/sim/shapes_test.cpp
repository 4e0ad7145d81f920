// The shape generators: surface data as the host would give it, meshes whose
// neighbouring facets share vertices and face outwards, and their areas.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>

#include "sim/shapes.hpp"

namespace {

using sim::Vec;

Vec sub(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double length(const Vec& a) { return std::sqrt(dot(a, a)); }

struct Stats {
  double meshArea = 0;
  bool outward = true;
  bool closedEdges = true;  // every edge of the surface's mesh used once per direction at most
};

// Mesh area, winding against the shape's centre, and shared interior edges.
Stats inspect(const sim::Surface& s, const Vec& centre) {
  Stats st;
  std::map<std::pair<int, int>, int> directed;
  for (const auto& f : s.mesh->facets) {
    const Vec& a = s.mesh->vertices[static_cast<size_t>(f[0])];
    const Vec& b = s.mesh->vertices[static_cast<size_t>(f[1])];
    const Vec& c = s.mesh->vertices[static_cast<size_t>(f[2])];
    const Vec n = cross(sub(b, a), sub(c, a));
    st.meshArea += length(n) / 2;
    const Vec mid{(a[0] + b[0] + c[0]) / 3, (a[1] + b[1] + c[1]) / 3, (a[2] + b[2] + c[2]) / 3};
    if (dot(n, sub(mid, centre)) <= 0) st.outward = false;
    for (int k = 0; k < 3; ++k)
      if (++directed[{f[static_cast<size_t>(k)], f[static_cast<size_t>((k + 1) % 3)]}] > 1) st.closedEdges = false;
  }
  return st;
}

TEST(Shapes, BoxFacesArePlanesWithOutwardNormalsAndLineContours) {
  const auto faces = sim::boxSurfaces({2, 4, 6}, {10, 0, 0}, {5, 7});
  ASSERT_EQ(faces.size(), 6u);
  double area = 0;
  for (size_t i = 0; i < faces.size(); ++i) {
    const auto& s = faces[i];
    EXPECT_EQ(s.id, 5 + static_cast<int>(i));
    EXPECT_EQ(s.featureId, 7);
    EXPECT_EQ(s.type, PRO_SRF_PLANE);
    EXPECT_GT(dot(s.e3, sub(s.origin, {10, 0, 0})), 0) << "face " << i;
    EXPECT_EQ(cross(s.e1, s.e2), s.e3);
    const Stats st = inspect(s, {10, 0, 0});
    EXPECT_TRUE(st.outward) << "face " << i;
    EXPECT_NEAR(st.meshArea, s.area, 1e-12);
    ASSERT_EQ(s.contours.size(), 1u);
    EXPECT_EQ(s.contours[0].edges.size(), 4u);
    area += s.area;
  }
  EXPECT_DOUBLE_EQ(area, 2 * (8 + 12 + 24));
}

TEST(Shapes, CurvedShapesShareVerticesFaceOutwardsAndCarryTheirShapeValues) {
  const auto cylinder = sim::cylinderSurfaces(2, 5, 16, {0, 0, 0}, {});
  ASSERT_EQ(cylinder.size(), 3u);
  EXPECT_EQ(cylinder[0].type, PRO_SRF_CYL);
  EXPECT_EQ(cylinder[0].values[0], 2);
  EXPECT_EQ(cylinder[0].mesh->vertices.size(), 32u);  // two rings, each vertex shared by several facets
  EXPECT_EQ(cylinder[0].mesh->facets.size(), 32u);
  for (const auto& s : cylinder) {
    const Stats st = inspect(s, {0, 0, 2.5});
    EXPECT_TRUE(st.outward);
    EXPECT_TRUE(st.closedEdges);
    EXPECT_NEAR(st.meshArea, s.area, s.area * 0.03);  // a 16-gon is within 3% of the circle
  }
  EXPECT_EQ(cylinder[1].e3, (Vec{0, 0, -1}));
  EXPECT_EQ(cylinder[2].origin, (Vec{0, 0, 5}));

  const auto torus = sim::torusSurfaces(10, 2, 48, 24, {0, 0, 0}, {});
  ASSERT_EQ(torus.size(), 1u);
  EXPECT_EQ(torus[0].values, (std::array<double, 2>{10, 2}));
  EXPECT_EQ(torus[0].mesh->vertices.size(), 48u * 24u);
  // Outward from the tube's centre line rather than the torus's centre.
  size_t inward = 0;
  for (const auto& f : torus[0].mesh->facets) {
    const Vec& a = torus[0].mesh->vertices[static_cast<size_t>(f[0])];
    const Vec n = cross(sub(torus[0].mesh->vertices[static_cast<size_t>(f[1])], a),
                        sub(torus[0].mesh->vertices[static_cast<size_t>(f[2])], a));
    const double r = std::hypot(a[0], a[1]);
    const Vec ring{a[0] * 10 / r, a[1] * 10 / r, 0};
    if (dot(n, sub(a, ring)) <= 0) ++inward;
  }
  EXPECT_EQ(inward, 0u);
  EXPECT_NEAR(inspect(torus[0], {0, 0, 0}).meshArea, torus[0].area, torus[0].area * 0.02);

  const auto sphere = sim::sphereSurfaces(3, 12, {1, 1, 1}, {});
  ASSERT_EQ(sphere.size(), 1u);
  const Stats st = inspect(sphere[0], {1, 1, 1});
  EXPECT_TRUE(st.outward);
  EXPECT_TRUE(st.closedEdges);
  EXPECT_NEAR(st.meshArea, sphere[0].area, sphere[0].area * 0.03);
  EXPECT_EQ(sim::facetsOf(sphere).size(), sphere[0].mesh->facets.size());
}

TEST(Shapes, RotationIsTheHostsRowVectorForm) {
  const sim::Transform t = sim::rotation({0, 0, 2}, 90, {1, 2, 3});
  // x maps to y for a point as a row vector: row 0 of the block is the image of x.
  EXPECT_NEAR(t[0], 0, 1e-15);
  EXPECT_NEAR(t[1], 1, 1e-15);
  EXPECT_NEAR(t[4], -1, 1e-15);
  EXPECT_EQ(t[12], 1);
  EXPECT_EQ(t[14], 3);
  EXPECT_EQ(t[15], 1);
}

}  // namespace
