// The reference weld: exact duplicates merged, then the plain ordered map
// over the distinct values. Kept callable as what any faster weld must match
// result for result.
#pragma once

#include "model/mesh.hpp"

namespace veltrosan::detail {

// The tolerant order of the vertex map. The bounds b - eps and b + eps are
// computed in double precision and compared with the other coordinate; no
// difference is formed, so at large magnitudes the tolerance vanishes.
struct TolerantLess {
  bool operator()(const Vec3& a, const Vec3& b) const {
    if (a.x < b.x - kWeldEpsilon) return true;
    if (a.x > b.x + kWeldEpsilon) return false;
    if (a.y < b.y - kWeldEpsilon) return true;
    if (a.y > b.y + kWeldEpsilon) return false;
    return a.z < b.z - kWeldEpsilon;
  }
};

void weldMeshReference(const TriangleSoup& soup, BodyRecord& body);

}  // namespace veltrosan::detail
