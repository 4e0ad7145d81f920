// Collecting a part's triangles and welding them into the indexed mesh of its body.
#pragma once

#include <cstdint>
#include <vector>

#include "model/geometry.hpp"
#include "model/records.hpp"

namespace veltrosan {

// Corners closer than this in every coordinate are one point, both when a
// triangle is added and when the soup is welded.
inline constexpr double kWeldEpsilon = 1e-15;

// Triangles with unshared corners: triangle k has corners 3k, 3k+1, 3k+2.
struct TriangleSoup {
  std::vector<Vec3> points;
  std::vector<Triangle> triangles;

  // Empties both lists and releases their storage.
  void clear();
  // Appends the triangle unless two of its corners coincide.
  void addTriangle(const Vec3& p0, const Vec3& p1, const Vec3& p2, std::int32_t surfaceIndex);
};

// Replaces the body's vertices and triangles with the welded mesh of the
// soup: coincident points become one vertex (numbered by first appearance;
// points that are exactly equal always share theirs, so the mesh never
// cracks between them), collapsed triangles are dropped, and identical triangles are reduced to one
// after the CTI of the surfaces that share them has been merged. Only the
// body's mesh and its surfaces' cti change.
void weldMesh(const TriangleSoup& soup, BodyRecord& body);

}  // namespace veltrosan
