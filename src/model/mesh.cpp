#include "model/mesh.hpp"

#include <cmath>
#include <utility>
#include <vector>

#include "model/weld_reference.hpp"
#include "model/weld_stages.hpp"

namespace veltrosan {

namespace {

bool coincide(const Vec3& p, const Vec3& q) {
  return std::fabs(p.x - q.x) <= kWeldEpsilon && std::fabs(p.y - q.y) <= kWeldEpsilon &&
         std::fabs(p.z - q.z) <= kWeldEpsilon;
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

void weldMesh(const TriangleSoup& soup, BodyRecord& body) {
  // The old mesh goes first, so that it does not add to the weld's peak.
  std::vector<Vec3>().swap(body.vertices);
  std::vector<Triangle>().swap(body.triangles);
  std::vector<Vec3> vertices;
  std::vector<std::int32_t> weldedTo;
  detail::weldPoints(soup.points, vertices, weldedTo);
  body.vertices = std::move(vertices);
  detail::buildTrianglesFast(soup, weldedTo, body.vertices.size(), body);
}

namespace detail {

void weldMeshReference(const TriangleSoup& soup, BodyRecord& body) {
  std::vector<std::int32_t> weldedTo;
  weldPointsReference(soup.points, body.vertices, weldedTo);
  buildTrianglesReference(soup, weldedTo, body);
}

}  // namespace detail

}  // namespace veltrosan
