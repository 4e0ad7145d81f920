// The weld on any soup: weldMesh never crashes and gives what the reference
// weld (exact repeats merged, then the ordered map over the distinct values)
// gives: the same vertices bit for bit, triangles and surface CTIs. Exactly
// equal points always share a vertex; where the map alone over every point
// keeps them together too, the reference is that map's result; and where
// the keyed weld decides on its own, it gives the reference's vertices.
//
// The first byte picks how the points are made: straight from the bytes, so
// that NaNs, infinities, subnormals and huge values occur; from a few values
// moved by ulps and by fractions of kWeldEpsilon; or as one-ulp chains whose
// next axis may order them in a cycle. Corners are drawn from a small pool
// and whole triangles repeat, so exact duplicates are common.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "model/mesh.hpp"
#include "model/weld_reference.hpp"
#include "model/weld_stages.hpp"
#include "support/mesh_helpers.hpp"

namespace {

using veltrosan::BodyRecord;
using veltrosan::Triangle;
using veltrosan::TriangleSoup;
using veltrosan::Vec3;
using veltrosan::kWeldEpsilon;
using veltrosan::fuzz::Input;
namespace test = veltrosan::test;
namespace detail = veltrosan::detail;

double ulps(double v, int n) {
  for (; n > 0; --n) v = std::nextafter(v, std::numeric_limits<double>::infinity());
  for (; n < 0; ++n) v = std::nextafter(v, -std::numeric_limits<double>::infinity());
  return v;
}

// A coordinate near one of a few base values: the value itself, a few ulps
// off, a fraction of the tolerance off either way, or far from it.
double nearCoordinate(Input& in, const std::vector<double>& bases) {
  static constexpr double kSteps[] = {0.3, 0.5, 0.6, 1.0, 1.1, 1.5, 2.0};
  const double base = bases[in.below(bases.size())];
  const std::uint8_t how = in.byte();
  switch (how % 5) {
    case 0:
      return base;
    case 1:
      return ulps(base, static_cast<int>(how / 5 % 9) - 4);
    case 2:
    case 3: {
      const double step = kSteps[how / 5 % std::size(kSteps)] * kWeldEpsilon;
      return how % 5 == 2 ? base + step : base - step;
    }
    default:
      return base * 0.5 + 3.0 * (how / 5 % 3);
  }
}

double baseValue(Input& in) {
  static const double kBases[] = {0.0,   -0.0,  1.0,     -1.0,   2.0,    3.0,
                                  10.0,  12.5,  -9.0,    16.0,   0.1,    100.0,
                                  1e6,   1e300, -1e300,  5e-324, -3e-310, std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()};
  const std::uint8_t pick = in.byte();
  if (pick < 192) return kBases[pick % std::size(kBases)];
  return in.f64();
}

std::vector<Vec3> pointPool(Input& in, int mode) {
  std::vector<Vec3> pool(1 + in.below(mode == 0 ? 24 : 64));
  if (mode == 0) {
    for (Vec3& p : pool) {
      const double x = in.f64();
      const double y = in.f64();
      p = Vec3(x, y, in.f64());
    }
  } else if (mode == 1 || mode == 3) {
    std::vector<double> bases(1 + in.below(4));
    for (double& b : bases) b = baseValue(in);
    for (Vec3& p : pool) {
      const double x = nearCoordinate(in, bases);
      const double y = nearCoordinate(in, bases);
      p = Vec3(x, y, nearCoordinate(in, bases));
    }
  } else {
    // Neighbours one ulp apart tie where one ulp is above half the tolerance,
    // and points two ulps apart do not; y may order them against x.
    static const double kChainBases[] = {3.0, 10.0, 12.5, -9.0, 6.0, 1.0 - 1.5 * kWeldEpsilon};
    const double base = kChainBases[in.below(std::size(kChainBases))];
    const int axis = static_cast<int>(in.below(3));
    for (Vec3& p : pool) {
      const double along = ulps(base, static_cast<int>(in.below(pool.size())));
      const double across = static_cast<double>(in.below(pool.size()));
      const double third = in.below(3) == 0 ? 1.0 : 0.0;
      p = axis == 0 ? Vec3(along, across, third) : axis == 1 ? Vec3(third, along, across) : Vec3(across, third, along);
    }
  }
  return pool;
}

bool coincide(const Vec3& p, const Vec3& q) {
  return std::fabs(p.x - q.x) <= kWeldEpsilon && std::fabs(p.y - q.y) <= kWeldEpsilon &&
         std::fabs(p.z - q.z) <= kWeldEpsilon;
}

TriangleSoup soupOf(Input& in, int mode, std::size_t surfaces) {
  const std::vector<Vec3> pool = pointPool(in, mode);
  TriangleSoup soup;
  const std::size_t triangles = in.below(300);
  for (std::size_t k = 0; k < triangles && !in.empty(); ++k) {
    const auto surface = static_cast<std::int32_t>(in.below(surfaces + 2)) - 1;  // -1 and one past the end occur
    Vec3 corners[3];
    if (!soup.triangles.empty() && in.below(4) == 0) {
      // A repeat of an earlier triangle's corners, usually from another surface.
      const Triangle& t = soup.triangles[in.below(soup.triangles.size())];
      corners[0] = soup.points[static_cast<std::size_t>(t.a)];
      corners[1] = soup.points[static_cast<std::size_t>(t.b)];
      corners[2] = soup.points[static_cast<std::size_t>(t.c)];
    } else {
      for (Vec3& c : corners) c = pool[in.below(pool.size())];
    }
    const auto n = static_cast<std::int32_t>(soup.points.size());
    if (mode == 3) {
      // As a tessellation hands its triangles over.
      const bool kept = !coincide(corners[1], corners[0]) && !coincide(corners[2], corners[0]) &&
                        !coincide(corners[2], corners[1]);
      soup.addTriangle(corners[0], corners[1], corners[2], surface);
      FUZZ_CHECK(soup.points.size() == static_cast<std::size_t>(n) + (kept ? 3 : 0), "addTriangle kept the wrong points");
      FUZZ_CHECK(soup.triangles.size() == static_cast<std::size_t>(n / 3) + (kept ? 1 : 0),
                 "addTriangle kept the wrong triangles");
      if (kept) {
        const Triangle& t = soup.triangles.back();
        FUZZ_CHECK(t.a == n && t.b == n + 1 && t.c == n + 2 && t.surfaceIndex == surface, "addTriangle's triangle");
      }
      continue;
    }
    for (const Vec3& c : corners) soup.points.push_back(c);
    soup.triangles.push_back(Triangle{n, n + 1, n + 2, surface});
  }
  // Corners that name no point, and points that no triangle names.
  if (in.below(8) == 0) {
    soup.points.push_back(pool[in.below(pool.size())]);
    const auto n = static_cast<std::int32_t>(soup.points.size());
    soup.triangles.push_back(Triangle{0, n, n - 1, 0});
    soup.triangles.push_back(Triangle{-1, 0, n - 1, 0});
    soup.triangles.push_back(Triangle{n - 1, std::numeric_limits<std::int32_t>::min(), 0, 0});
  }
  return soup;
}

std::string describe(const TriangleSoup& soup) {
  return std::to_string(soup.points.size()) + " points, " + std::to_string(soup.triangles.size()) + " triangles";
}

// Corners in range and distinct, triangles strictly ascending by corners:
// sorted, with each repeat reduced to one.
void checkTriangles(const BodyRecord& body) {
  const auto vertices = static_cast<std::int64_t>(body.vertices.size());
  for (std::size_t k = 0; k < body.triangles.size(); ++k) {
    const Triangle& t = body.triangles[k];
    for (std::int32_t c : {t.a, t.b, t.c}) FUZZ_CHECK(c >= 0 && c < vertices, "a corner outside the vertices");
    FUZZ_CHECK(t.a != t.b && t.a != t.c && t.b != t.c, "a collapsed triangle kept");
    if (k == 0) continue;
    const Triangle& s = body.triangles[k - 1];
    const bool ascending = s.a != t.a ? s.a < t.a : s.b != t.b ? s.b < t.b : s.c < t.c;
    FUZZ_CHECK(ascending, "triangles out of order or repeated at " + std::to_string(k));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  const int mode = in.byte() % 4;
  std::vector<std::int32_t> ctis(1 + in.below(6));
  static const std::int32_t kCtis[] = {-1, 0, 100, 175, 200, 250, 400, 600};
  for (std::int32_t& c : ctis) c = in.flag() ? in.i32() : kCtis[in.below(std::size(kCtis))];
  const TriangleSoup soup = soupOf(in, mode, ctis.size());
  const TriangleSoup soupBefore = soup;
  const std::string what = describe(soup);

  BodyRecord start = test::bodyWithCtis(ctis);
  start.bodyTag = 4;
  start.totalArea = 12.5;
  start.vertices = {Vec3(7, 7, 7)};  // an old mesh, which the weld replaces
  start.triangles = {Triangle{0, 0, 0, 0}};
  start.repairSurfaces.resize(1);
  start.repairSurfaces[0].cti = 11;

  BodyRecord fast = start;
  BodyRecord reference = start;
  veltrosan::weldMesh(soup, fast);
  detail::weldMeshReference(soup, reference);
  FUZZ_CHECK(test::vertexBits(fast.vertices) == test::vertexBits(reference.vertices), "vertices differ: " + what);
  FUZZ_CHECK(fast.triangles.size() == reference.triangles.size(), "triangle counts differ: " + what);
  for (std::size_t k = 0; k < fast.triangles.size(); ++k) {
    const Triangle& s = fast.triangles[k];
    const Triangle& t = reference.triangles[k];
    FUZZ_CHECK(s.a == t.a && s.b == t.b && s.c == t.c && s.surfaceIndex == t.surfaceIndex,
               "triangle " + std::to_string(k) + " differs: " + what);
  }
  FUZZ_CHECK(test::ctisOf(fast) == test::ctisOf(reference), "surface CTIs differ: " + what);
  checkTriangles(fast);

  // Only the mesh and the surfaces' CTI change; the soup not at all.
  FUZZ_CHECK(fast.bodyTag == 4 && fast.totalArea == 12.5 && fast.repairSurfaces.size() == 1 &&
                 fast.repairSurfaces[0].cti == 11 && fast.surfaces.size() == ctis.size(),
             "the weld changed more than the mesh");
  for (std::size_t i = 0; i < fast.surfaces.size(); ++i) {
    FUZZ_CHECK(fast.surfaces[i].index == static_cast<std::int32_t>(i), "the weld changed a surface's index");
  }
  FUZZ_CHECK(test::vertexBits(soup.points) == test::vertexBits(soupBefore.points), "the weld changed the soup");

  // The points alone: exact repeats share a vertex, the map alone agrees
  // where it keeps them together, and the keyed weld agrees where it decides.
  std::vector<Vec3> mapVertices, vertices;
  std::vector<std::int32_t> mapWeldedTo, weldedTo;
  detail::weldPointsReference(soup.points, mapVertices, mapWeldedTo);
  FUZZ_CHECK(!test::splitsEqualPoints(soup.points, mapWeldedTo), "exactly equal points on two vertices: " + what);
  const std::vector<std::int32_t> pure = test::pureMapWeld(soup.points);
  if (!test::splitsEqualPoints(soup.points, pure)) {
    FUZZ_CHECK(mapWeldedTo == pure, "the reference differs from the map alone that keeps repeats together: " + what);
  }
  if (detail::weldPointsFast(soup.points, vertices, weldedTo)) {
    FUZZ_CHECK(test::vertexBits(vertices) == test::vertexBits(mapVertices), "keyed weld vertices differ: " + what);
    FUZZ_CHECK(weldedTo == mapWeldedTo, "keyed weld differs: " + what);
  } else {
    FUZZ_CHECK(vertices.empty() && weldedTo.empty(), "a declined keyed weld left output behind");
  }
  return 0;
}
