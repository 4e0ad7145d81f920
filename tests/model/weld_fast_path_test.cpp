// The keyed weld against the reference weld (exact repeats merged, then the
// ordered map over the distinct values): the same vertices bit for bit, the
// same triangles and the same surface CTIs, on realistic soups and on soups
// built to catch a shortcut out; and neither ever gives two exactly equal
// points two vertices, which the map alone over every point does near ties.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "model/mesh.hpp"
#include "model/weld_reference.hpp"
#include "model/weld_stages.hpp"
#include "support/geometry_printing.hpp"
#include "support/mesh_helpers.hpp"

namespace veltrosan {
namespace {

using test::bodyWithCtis;
using test::ctisOf;
using test::pureMapWeld;
using test::splitsEqualPoints;
using test::vertexBits;

constexpr double kEps = kWeldEpsilon;
constexpr double kPi = 3.14159265358979323846;

// A soup straight from corner triples, bypassing addTriangle's check, so that
// near points can sit in one triangle.
TriangleSoup rawSoup(const std::vector<Vec3>& corners, std::int32_t surfaces = 1) {
  TriangleSoup soup;
  soup.points = corners;
  for (std::size_t k = 0; 3 * k + 2 < corners.size(); ++k) {
    const auto n = static_cast<std::int32_t>(3 * k);
    soup.triangles.push_back(Triangle{n, n + 1, n + 2, static_cast<std::int32_t>(k) % surfaces});
  }
  return soup;
}

// Whether the fast point weld accepts the soup.
bool takesFastPath(const TriangleSoup& soup) {
  std::vector<Vec3> vertices;
  std::vector<std::int32_t> weldedTo;
  return detail::weldPointsFast(soup.points, vertices, weldedTo);
}

// weldMesh and the reference on the same soup and surfaces give one body,
// exactly equal points share a vertex, and where the map alone over every
// point splits no such pair the weld is the same as that. Returns whether
// the map alone splits one.
bool expectSameAsReference(const TriangleSoup& soup, const BodyRecord& start, const std::string& what) {
  BodyRecord fast = start;
  BodyRecord reference = start;
  weldMesh(soup, fast);
  detail::weldMeshReference(soup, reference);
  EXPECT_EQ(vertexBits(fast.vertices), vertexBits(reference.vertices)) << what;
  EXPECT_EQ(fast.triangles, reference.triangles) << what;
  EXPECT_EQ(ctisOf(fast), ctisOf(reference)) << what;

  std::vector<Vec3> vertices, mapVertices;
  std::vector<std::int32_t> weldedTo, mapWeldedTo;
  detail::weldPointsReference(soup.points, mapVertices, mapWeldedTo);
  EXPECT_FALSE(splitsEqualPoints(soup.points, mapWeldedTo)) << what;
  const std::vector<std::int32_t> pure = pureMapWeld(soup.points);
  const bool pureSplits = splitsEqualPoints(soup.points, pure);
  if (!pureSplits) {
    EXPECT_EQ(mapWeldedTo, pure) << what;
  }

  // Where the keyed weld decides, it alone matches the reference as well.
  if (detail::weldPointsFast(soup.points, vertices, weldedTo)) {
    EXPECT_EQ(vertexBits(vertices), vertexBits(mapVertices)) << what;
    EXPECT_EQ(weldedTo, mapWeldedTo) << what;
  }
  return pureSplits;
}

// A UV sphere. With `shared` the corners come from one vertex grid with exact
// poles and seam, as a tessellator hands out an indexed mesh; without it every
// triangle computes its own corners, so the pole rows collapse and are
// dropped and the poles, the seam and the equator carry coordinates that are
// off zero by a few 1e-17 times the radius.
TriangleSoup sphereSoup(int rings, int segments, double radius, std::int32_t surfaces, bool shared) {
  TriangleSoup soup;
  auto at = [&](int i, int j) {
    if (shared && (i == 0 || i == rings)) return Vec3(0, 0, i == 0 ? radius : -radius);
    if (shared) j %= segments;
    const double theta = kPi * i / rings;
    const double phi = 2 * kPi * j / segments;
    return Vec3(radius * std::sin(theta) * std::cos(phi), radius * std::sin(theta) * std::sin(phi),
                radius * std::cos(theta));
  };
  for (int i = 0; i < rings; ++i) {
    for (int j = 0; j < segments; ++j) {
      const std::int32_t s = (i * surfaces) / rings;
      soup.addTriangle(at(i, j), at(i + 1, j), at(i + 1, j + 1), s);
      soup.addTriangle(at(i, j), at(i + 1, j + 1), at(i, j + 1), s);
    }
  }
  return soup;
}

// A height field on a grid, split into surface patches whose seams share
// their points exactly.
TriangleSoup gridSoup(int n, double size, double offset) {
  TriangleSoup soup;
  auto at = [&](int i, int j) {
    const double x = offset + size * i / n;
    const double y = offset + size * j / n;
    return Vec3(x, y, 0.1 * std::sin(x) * std::cos(y));
  };
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const std::int32_t s = (i / 4) * 8 + (j / 4) % 8;
      soup.addTriangle(at(i, j), at(i + 1, j), at(i + 1, j + 1), s % 16);
      soup.addTriangle(at(i, j), at(i + 1, j + 1), at(i, j + 1), s % 16);
    }
  }
  return soup;
}

std::vector<std::int32_t> sampleCtis(std::size_t n) {
  const std::int32_t values[] = {-1, 0, 100, 175, 250, 400, 600};
  std::vector<std::int32_t> out;
  for (std::size_t i = 0; i < n; ++i) out.push_back(values[(i * 5 + 3) % 7]);
  return out;
}

TEST(WeldFastPath, RealisticSoupsWeldFastAndMatchTheMap) {
  struct Case {
    std::string what;
    TriangleSoup soup;
  };
  const Case cases[] = {
      {"unit sphere, corners per triangle", sphereSoup(24, 48, 1.0, 6, false)},
      {"sphere of radius 250", sphereSoup(30, 40, 250.0, 5, true)},
      // At radius 250 the noise around the axis and the poles spans many
      // times the tolerance: loose clusters that the tolerant order still
      // orders consistently.
      {"sphere of radius 250, corners per triangle", sphereSoup(12, 40, 250.0, 3, false)},
      {"grid around 0", gridSoup(40, 2.0, -1.0)},
      {"grid at 1e6", gridSoup(30, 50.0, 1e6)},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(takesFastPath(c.soup)) << c.what;
    expectSameAsReference(c.soup, bodyWithCtis(sampleCtis(16)), c.what);
  }
}

// The sphere's poles: every ring point at a pole lies within 1e-16 of the
// axis, and they weld into one vertex with the first point's coordinates.
TEST(WeldFastPath, PointsThatDifferBelowTheToleranceWeldIntoTheFirst) {
  const TriangleSoup soup = sphereSoup(8, 16, 1.0, 1, false);
  BodyRecord body = bodyWithCtis({-1});
  weldMesh(soup, body);
  EXPECT_EQ(body.vertices.size(), 7u * 16u + 2u);
  EXPECT_EQ(vertexBits({body.vertices[0]}), vertexBits({soup.points[0]}));
}

// Soups whose coordinates sit just inside, at or just outside the tolerance,
// or straddle zero, where a shortcut that is not the map would show.
TEST(WeldFastPath, NearTiesGiveTheMapsResult) {
  const double up1 = std::nextafter(1.0, 2.0);
  const double down1 = std::nextafter(1.0, 0.0);
  auto ulps = [](double v, int n) {
    for (; n > 0; --n) v = std::nextafter(v, 1e300);
    for (; n < 0; ++n) v = std::nextafter(v, -1e300);
    return v;
  };
  const double tiny = std::numeric_limits<double>::denorm_min();
  struct Case {
    std::string what;
    std::vector<Vec3> corners;
    bool fast;  // whether the fast point weld may decide
  };
  const Case cases[] = {
      {"half eps apart near zero", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5 * kEps, 0, 0}, {0, 2, 0}, {2, 0, 0}}, true},
      {"eps apart near zero", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {kEps, 0, 0}, {0, 2, 0}, {2, 0, 0}}, true},
      {"1.5 eps apart near zero", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1.5 * kEps, 0, 0}, {0, 2, 0}, {2, 0, 0}}, true},
      {"+0 and -0", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-0.0, -0.0, 0}, {0, 2, 0}, {2, -0.0, 0}}, true},
      {"-0 first", {{-0.0, 0, -0.0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}, {0, 2, 0}, {2, 0, 0}}, true},
      {"subnormals and zero",
       {{tiny, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -tiny, 0}, {0, 2, 0}, {-1e-310, 0, 3}, {0, 0, 1e-310}, {3, 0, 0}, {0, 3, 0}},
       true},
      {"one ulp at 1", {{1, 1, 1}, {2, 0, 0}, {0, 2, 0}, {up1, 1, 1}, {3, 0, 0}, {0, 3, 0}}, true},
      {"one ulp either side of 1",
       {{down1, 1, 1}, {2, 0, 0}, {0, 2, 0}, {up1, 1, 1}, {3, 0, 0}, {0, 3, 0}, {1, 1, 1}, {4, 0, 0}, {0, 4, 0}},
       true},
      {"few ulps at 16", {{16, 16, 16}, {2, 0, 0}, {0, 2, 0}, {ulps(16, 1), 16, ulps(16, -2)}, {3, 0, 0}, {0, 3, 0}}, true},
      {"few ulps at 100", {{100, 0, 0}, {2, 0, 0}, {0, 2, 0}, {ulps(100, 1), 0, 0}, {ulps(100, -1), 1, 0}, {0, 3, 0}}, true},
      {"few ulps at 1e6", {{1e6, 1e6, 0}, {2, 0, 0}, {0, 2, 0}, {ulps(1e6, 3), ulps(1e6, -3), 0}, {3, 0, 0}, {0, 3, 0}}, true},
      // A cycle: 0 < 1.2 eps by x, but each neighbouring pair ties in x and
      // y orders it the other way. Every two points still compare strictly
      // one way, and each is one value, so no lookup can match.
      {"chain 0, 0.6 eps, 1.2 eps",
       {{0, 5, 0}, {7, 0, 0}, {0, 7, 0}, {1.2 * kEps, 3, 0}, {8, 0, 0}, {0, 8, 0}, {0.6 * kEps, 4, 0}, {9, 0, 0}, {0, 9, 0}},
       true},
      {"chain in x, y against it", {{0, 5, 0}, {1.2 * kEps, 3, 0}, {0.6 * kEps, 4, 0}}, true},
      {"chain in y, z against it", {{5, 0, 2}, {5, 0.7 * kEps, 1}, {5, 1.4 * kEps, 0}}, true},
      // p ties with k and with k' = k - 1.5 eps, which is apart from k: the
      // tree decides where p goes, so the map must run.
      {"k, p, k', p",
       {{1, 1, 1}, {5, 0, 0}, {0, 5, 0}, {1 - 0.6 * kEps, 1, 1}, {6, 0, 0}, {0, 6, 0},
        {1 - 1.5 * kEps, 1, 1}, {7, 0, 0}, {0, 7, 0}, {1 - 0.6 * kEps, 1, 1}, {8, 0, 0}, {0, 8, 0}},
       false},
      // A chain wider than eps is harmless where the next axis orders its
      // points as the chain does, or an earlier axis already decides.
      {"chain in x, y along it",
       {{0, 1, 0}, {7, 0, 0}, {7, 7, 0}, {0.7 * kEps, 2, 0}, {8, 0, 0}, {8, 8, 0}, {1.4 * kEps, 3, 0}, {9, 0, 0}, {9, 9, 0}},
       true},
      {"chain in z, x decides",
       {{1, 1, 0}, {7, 0, 5}, {0, 7, 5}, {2, 1, 0.7 * kEps}, {8, 0, 5}, {0, 8, 5}, {3, 1, 1.4 * kEps}, {9, 0, 5}, {0, 9, 5}},
       true},
      {"ulp ladder at 3", {{3, 0, 0}, {9, 0, 0}, {0, 9, 0}, {ulps(3, 2), 0, 0}, {8, 0, 0}, {0, 8, 0},
                           {ulps(3, 4), 0, 0}, {7, 0, 0}, {0, 7, 0}}, false},
      {"ulp ladder at 6", {{6, 0, 0}, {9, 0, 0}, {0, 9, 0}, {ulps(6, 1), 0, 0}, {8, 0, 0}, {0, 8, 0},
                           {ulps(6, 2), 0, 0}, {7, 0, 0}, {0, 7, 0}}, false},
  };
  for (const Case& c : cases) {
    const TriangleSoup soup = rawSoup(c.corners, 2);
    EXPECT_EQ(takesFastPath(soup), c.fast) << c.what;
    expectSameAsReference(soup, bodyWithCtis({300, -1}), c.what);
  }
}

// Soups on which the map alone over every point gives an exact repeat of a
// point another vertex than its first occurrence got, so that the mesh
// cracks there. The weld decides once per value: each repeat keeps its
// vertex.
TEST(WeldFastPath, ExactRepeatsKeepTheirVertexWhereTheMapAloneSplitsThem) {
  const double a = 10.0;
  const double ulp = std::nextafter(a, 20.0) - a;  // above half the tolerance
  auto chain = [&](int ulps, double y) { return Vec3(a + ulps * ulp, y, 0); };
  struct Case {
    std::string what;
    std::vector<Vec3> corners;
    bool fast;
    std::vector<std::int32_t> weldedTo;
  };
  const Case cases[] = {
      // p ties with k; k' = k - 1.5 eps is apart from k and ties with p. Once
      // k' is in the map, the map alone gives the second p to k'.
      {"k, p, k', p",
       {{1, 1, 1}, {5, 0, 0}, {0, 5, 0}, {1 - 0.6 * kEps, 1, 1}, {6, 0, 0}, {0, 6, 0},
        {1 - 1.5 * kEps, 1, 1}, {7, 0, 0}, {0, 7, 0}, {1 - 0.6 * kEps, 1, 1}, {8, 0, 0}, {0, 8, 0}},
       false,
       {0, 1, 2, 0, 3, 4, 5, 6, 7, 0, 8, 9}},
      // Nine values one ulp apart at 10, each neighbouring pair tying in x, y
      // ordering them in cycles; then a repeat of the eighth. Every value
      // is a vertex of its own.
      {"one-ulp chain",
       {chain(5, 5), chain(8, 2), chain(7, 0), chain(2, 7), chain(4, 6), chain(3, 8), chain(0, 4), chain(6, 3),
        chain(1, 1), chain(6, 3), {0, 0, 0}, {0, 1, 0}},
       true,
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 7, 9, 10}},
  };
  for (const Case& c : cases) {
    const TriangleSoup soup = rawSoup(c.corners);
    EXPECT_TRUE(splitsEqualPoints(c.corners, pureMapWeld(c.corners))) << c.what << ": the fixture no longer shows it";
    EXPECT_EQ(takesFastPath(soup), c.fast) << c.what;
    std::vector<Vec3> vertices;
    std::vector<std::int32_t> weldedTo;
    detail::weldPoints(soup.points, vertices, weldedTo);
    EXPECT_EQ(weldedTo, c.weldedTo) << c.what;
    expectSameAsReference(soup, bodyWithCtis({-1}), c.what);
  }
}

TEST(WeldFastPath, PlusAndMinusZeroWeldAndTheFirstSignStays) {
  const TriangleSoup soup = rawSoup({{-0.0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -0.0, -0.0}, {0, 1, 0}, {1, 0, 0}});
  BodyRecord body = bodyWithCtis({-1});
  weldMesh(soup, body);
  ASSERT_EQ(body.vertices.size(), 3u);
  EXPECT_TRUE(std::signbit(body.vertices[0].x));
  EXPECT_FALSE(std::signbit(body.vertices[0].y));
}

// The map must decide wherever two near values that are not the same class
// tie, a cycle runs through a class of several values, or a coordinate is
// NaN; the keyed weld declines and leaves nothing behind.
TEST(WeldFastPath, AmbiguousSoupsFallBackToTheMap) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    std::string what;
    std::vector<Vec3> corners;
  };
  const Case cases[] = {
      // a < c by x, while b, a and c, b tie in x and y orders them the other
      // way; a is two values that tie throughout.
      {"cycle through a class of two values",
       {{0, 5, 0}, {1.2 * kEps, 3, 0}, {0.6 * kEps, 4, 0}, {0, 5, 0.5 * kEps}}},
      {"chain in z alone", {{1, 1, -1}, {1, 1, -1 + 0.7 * kEps}, {1, 1, -1 + 1.4 * kEps}}},
      {"NaN", {{0, 0, 0}, {1, nan, 0}, {0, 1, 0}}},
  };
  for (const Case& c : cases) {
    const TriangleSoup soup = rawSoup(c.corners);
    std::vector<Vec3> vertices{{1, 2, 3}};
    std::vector<std::int32_t> weldedTo{4};
    EXPECT_FALSE(detail::weldPointsFast(soup.points, vertices, weldedTo)) << c.what;
    EXPECT_TRUE(vertices.empty()) << c.what;
    EXPECT_TRUE(weldedTo.empty()) << c.what;
    expectSameAsReference(soup, bodyWithCtis({-1}), c.what);
  }
}

// Many small soups whose coordinates come from a few values, their ulp and
// eps neighbours, both zeros and subnormals, or from one-ulp chains whose
// next axis may order them in a cycle, so that exact repeats, welds within
// the tolerance and ambiguous chains all occur; triangles repeat on other
// surfaces to exercise the CTI merge. Both paths must be seen often, and so
// must soups on which the map alone splits exact repeats.
TEST(WeldFastPath, RandomSoupsMatchTheMap) {
  std::mt19937_64 rng(20240611);
  auto pick = [&rng](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  const double bases[] = {0.0, -0.0, 1.0, -1.0, 2.0, 4.0, 8.0, 16.0, 0.1, 100.0, 1e6, 5e-324, -3e-310};
  const double steps[] = {0.3 * kEps, 0.5 * kEps, kEps, 1.1 * kEps, 2 * kEps};
  auto coordinate = [&]() {
    double v = bases[pick(std::size(bases))];
    switch (pick(4)) {
      case 0:
        return v;
      case 1:
        for (std::size_t n = 1 + pick(3); n > 0; --n) v = std::nextafter(v, pick(2) ? 1e300 : -1e300);
        return v;
      case 2:
        return v + (pick(2) ? 1.0 : -1.0) * steps[pick(std::size(steps))];
      default:
        return v * 0.5 + 3.0 * static_cast<double>(pick(3));
    }
  };
  // Where one ulp is more than half the tolerance, neighbours in a chain
  // tie and points two ulps apart do not.
  const double chainBases[] = {3.0, 10.0, 12.5, -9.0};
  auto chainPoint = [&](double base, std::size_t n) {
    double x = base;
    for (std::size_t u = pick(n); u > 0; --u) x = std::nextafter(x, 1e300);
    return Vec3(x, static_cast<double>(pick(n)), pick(3) == 0 ? 1.0 : 0.0);
  };
  const std::int32_t ctiValues[] = {-1, 0, 100, 200, 600};
  int fast = 0, fallback = 0, split = 0, keyedSplit = 0;
  for (int round = 0; round < 3000; ++round) {
    // Every tenth soup is larger, so that loose blocks grow past a few points.
    const bool large = round % 10 == 0;
    std::vector<Vec3> pool(large ? 40 + pick(40) : 2 + pick(10));
    const double chainBase = chainBases[pick(std::size(chainBases))];
    for (Vec3& p : pool) {
      p = round % 3 == 1 ? chainPoint(chainBase, pool.size()) : Vec3(coordinate(), coordinate(), coordinate());
    }
    TriangleSoup soup;
    const std::size_t triangles = large ? 100 + pick(100) : 1 + pick(20);
    for (std::size_t k = 0; k < triangles; ++k) {
      const auto n = static_cast<std::int32_t>(soup.points.size());
      if (k > 0 && pick(4) == 0) {
        // A repeat of an earlier triangle, from another surface.
        const Triangle& t = soup.triangles[pick(soup.triangles.size())];
        for (std::int32_t i : {t.a, t.b, t.c}) soup.points.push_back(soup.points[static_cast<std::size_t>(i)]);
      } else {
        for (int i = 0; i < 3; ++i) soup.points.push_back(pool[pick(pool.size())]);
      }
      soup.triangles.push_back(Triangle{n, n + 1, n + 2, static_cast<std::int32_t>(pick(6)) - 1});
    }
    std::vector<std::int32_t> ctis(5);
    for (std::int32_t& c : ctis) c = ctiValues[pick(std::size(ctiValues))];
    const bool keyed = takesFastPath(soup);
    (keyed ? fast : fallback)++;
    if (expectSameAsReference(soup, bodyWithCtis(ctis), "round " + std::to_string(round))) {
      ++split;
      if (keyed) ++keyedSplit;
    }
    if (HasFailure()) break;
  }
  EXPECT_GT(fast, 500);
  EXPECT_GT(fallback, 30);
  EXPECT_GT(split, 20);
  EXPECT_GT(keyedSplit, 0);
}

// Many triangles around one vertex, more than the small-bucket sort takes,
// with repeats: order, survivors and CTI as the comparison sort gives them.
TEST(WeldFastPath, CrowdedVertexSortsLikeTheComparisonSort) {
  TriangleSoup soup;
  const Vec3 hub(0, 0, 0);
  for (int k = 0; k < 300; ++k) {
    const int j = (k * 37) % 50;
    const Vec3 p(std::cos(j * 0.1), std::sin(j * 0.1), 0);
    const Vec3 q(std::cos(j * 0.1 + 0.1), std::sin(j * 0.1 + 0.1), 0);
    if (k % 3 == 0) {
      soup.addTriangle(hub, p, q, k % 7);
    } else {
      soup.addTriangle(p, hub, q, k % 7);  // the hub second: buckets elsewhere
    }
  }
  ASSERT_TRUE(takesFastPath(soup));
  expectSameAsReference(soup, bodyWithCtis({100, 0, -1, 600, 250, 100, 400}), "fan");
}

TEST(WeldFastPath, EdgeCasesOfTheWeldMatchTheMap) {
  struct Case {
    std::string what;
    TriangleSoup soup;
  };
  TriangleSoup pointsOnly;
  pointsOnly.points = {{0, 0, 0}, {1, 0, 0}, {0, 0, 0}};
  TriangleSoup badIndices = rawSoup({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, 3);
  badIndices.triangles.push_back(Triangle{0, 1, 99, 0});
  badIndices.triangles.push_back(Triangle{-3, 1, 2, 1});
  badIndices.triangles.push_back(Triangle{0, 1, 2, 7});
  badIndices.triangles.push_back(Triangle{0, 1, 2, -1});
  const Case cases[] = {
      {"empty", TriangleSoup()},
      {"points only", pointsOnly},
      {"all collapse", rawSoup({{0, 0, 0}, {0.5 * kEps, 0, 0}, {0, 1, 0}})},
      {"indices outside their lists", badIndices},
      {"three equal triangles", rawSoup({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0},
                                         {0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, 3)},
  };
  for (const Case& c : cases) {
    BodyRecord start = bodyWithCtis({100, 200, 0});
    start.vertices = {{7, 7, 7}};
    start.triangles = {{0, 0, 0, 0}};
    expectSameAsReference(c.soup, start, c.what);
  }
}

}  // namespace
}  // namespace veltrosan
