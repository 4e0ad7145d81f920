// The stages of the weld: points, then triangles. Split so that the fast point
// weld can stand in for the ordered map wherever it provably gives the same
// vertices and numbering.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/mesh.hpp"

namespace veltrosan::detail {

// Welds the points as the ordered map under TolerantLess does: `vertices`
// gets the first point of each welded group in order of first appearance and
// `weldedTo` the vertex of every point. Runs without the map, in n log n, and
// only where that gives exactly the map's result; returns false, with both
// outputs empty, when the soup's coordinates are too close for that (then the
// map has to decide).
bool weldPointsFast(const std::vector<Vec3>& points, std::vector<Vec3>& vertices, std::vector<std::int32_t>& weldedTo);

// The same through the ordered map itself.
void weldPointsReference(const std::vector<Vec3>& points, std::vector<Vec3>& vertices,
                         std::vector<std::int32_t>& weldedTo);

// Maps the soup's triangles onto the welded vertices, drops collapsed ones,
// sorts them by corners keeping soup order among equal ones, merges the CTI of
// surfaces that share a triangle and keeps the first of each repeat.
void buildTrianglesFast(const TriangleSoup& soup, const std::vector<std::int32_t>& weldedTo, std::size_t vertexCount,
                        BodyRecord& body);

// The same with a comparison sort.
void buildTrianglesReference(const TriangleSoup& soup, const std::vector<std::int32_t>& weldedTo, BodyRecord& body);

}  // namespace veltrosan::detail
