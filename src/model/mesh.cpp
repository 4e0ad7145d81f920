#include "model/mesh.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <map>

#include "model/weld_reference.hpp"

namespace veltrosan {

namespace {

bool coincide(const Vec3& p, const Vec3& q) {
  return std::fabs(p.x - q.x) <= kWeldEpsilon && std::fabs(p.y - q.y) <= kWeldEpsilon &&
         std::fabs(p.z - q.z) <= kWeldEpsilon;
}

bool sameCorners(const Triangle& s, const Triangle& t) { return s.a == t.a && s.b == t.b && s.c == t.c; }

bool cornersLess(const Triangle& s, const Triangle& t) {
  if (s.a != t.a) return s.a < t.a;
  if (s.b != t.b) return s.b < t.b;
  return s.c < t.c;
}

// CTI where surfaces share a triangle: a zero wins, otherwise the larger.
std::int32_t mergedCti(std::int32_t c1, std::int32_t c2) {
  if (c1 == 0 || c2 == 0) return 0;
  return std::max(c1, c2);
}

}  // namespace

void TriangleSoup::clear() {
  std::vector<Vec3>().swap(points);
  std::vector<Triangle>().swap(triangles);
}

void TriangleSoup::addTriangle(const Vec3& p0, const Vec3& p1, const Vec3& p2, std::int32_t surfaceIndex) {
  if (coincide(p1, p0) || coincide(p2, p0) || coincide(p2, p1)) return;
  const auto n = static_cast<std::int32_t>(points.size());
  points.push_back(p0);
  points.push_back(p1);
  points.push_back(p2);
  triangles.push_back(Triangle{n, n + 1, n + 2, surfaceIndex});
}

void weldMesh(const TriangleSoup& soup, BodyRecord& body) { detail::weldMeshReference(soup, body); }

namespace detail {

void weldMeshReference(const TriangleSoup& soup, BodyRecord& body) {
  body.vertices.clear();
  body.triangles.clear();

  // Weld the points: each soup point gets the vertex of the first key not
  // less than it when it is not less than that key either.
  std::map<Vec3, std::int32_t, TolerantLess> vertexMap;
  std::vector<std::int32_t> weldedTo;
  weldedTo.reserve(soup.points.size());
  const TolerantLess less;
  for (const Vec3& p : soup.points) {
    auto it = vertexMap.lower_bound(p);
    if (it != vertexMap.end() && !less(p, it->first)) {
      weldedTo.push_back(it->second);
      continue;
    }
    const auto n = static_cast<std::int32_t>(body.vertices.size());
    // The tolerant order is not transitive, so the map may refuse a point
    // that the lookup did not match; the point keeps its own vertex anyway.
    vertexMap.emplace_hint(it, p, n);
    body.vertices.push_back(p);
    weldedTo.push_back(n);
  }

  // Map the triangles onto the vertices, dropping collapsed ones. A corner
  // outside the soup's points cannot be mapped, so its triangle is dropped.
  const auto pointCount = static_cast<std::int64_t>(weldedTo.size());
  auto inRange = [pointCount](std::int32_t i) { return i >= 0 && i < pointCount; };
  body.triangles.reserve(soup.triangles.size());
  for (const Triangle& t : soup.triangles) {
    if (!inRange(t.a) || !inRange(t.b) || !inRange(t.c)) continue;
    const Triangle mapped{weldedTo[static_cast<std::size_t>(t.a)], weldedTo[static_cast<std::size_t>(t.b)],
                          weldedTo[static_cast<std::size_t>(t.c)], t.surfaceIndex};
    if (mapped.a == mapped.b || mapped.a == mapped.c || mapped.b == mapped.c) continue;
    body.triangles.push_back(mapped);
  }

  // A stable sort keeps triangles with equal corners in soup order, which
  // fixes both the order the CTI merge sees and which triangle survives.
  std::stable_sort(body.triangles.begin(), body.triangles.end(), cornersLess);

  // Merge the CTI of surfaces that share a triangle; each pair sees the
  // values earlier pairs wrote. A surface index outside the body's surfaces
  // has no CTI to merge.
  std::vector<SurfaceRecord>& surfaces = body.surfaces;
  auto surfaceAt = [&surfaces](std::int32_t i) -> SurfaceRecord* {
    if (i < 0 || static_cast<std::size_t>(i) >= surfaces.size()) return nullptr;
    return &surfaces[static_cast<std::size_t>(i)];
  };
  for (std::size_t k = 0; k + 1 < body.triangles.size(); ++k) {
    const Triangle& s = body.triangles[k];
    const Triangle& t = body.triangles[k + 1];
    if (!sameCorners(s, t)) continue;
    SurfaceRecord* first = surfaceAt(s.surfaceIndex);
    SurfaceRecord* second = surfaceAt(t.surfaceIndex);
    if (first == nullptr || second == nullptr || first->cti == second->cti) continue;
    const std::int32_t merged = mergedCti(first->cti, second->cti);
    first->cti = merged;
    second->cti = merged;
  }

  // Keep the first of each run of equal triangles.
  body.triangles.erase(std::unique(body.triangles.begin(), body.triangles.end(), sameCorners), body.triangles.end());
}

}  // namespace detail

}  // namespace veltrosan
