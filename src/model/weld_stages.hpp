// The stages of the weld: exact duplicates, the tolerant weld of the distinct
// values, then triangles. Split so that the keyed weld can stand in for the
// ordered map wherever it provably gives the same vertices and numbering (the
// argument is at the top of weld_stages.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/mesh.hpp"

namespace veltrosan::detail {

// The soup's points up to exact equality (+0 and -0 are one value; a NaN
// equals only its own bit pattern): `values` holds the first point of each
// distinct value in order of first appearance, `valueOf` each point's value.
struct DistinctPoints {
  std::vector<Vec3> values;
  std::vector<std::int32_t> valueOf;
};

DistinctPoints distinctPoints(const std::vector<Vec3>& points);

// The vertex of each distinct value (given in order of first appearance) as
// the ordered map under TolerantLess gives it, looking each value up once:
// vertices are numbered 0, 1, 2, ... by the first value that makes them.
// Runs without the map, in n log n, and only where that gives exactly the
// map's result; returns false, with `vertexOf` empty, when the values are too
// close for that (then the map has to decide).
bool weldDistinctFast(const std::vector<Vec3>& values, std::vector<std::int32_t>& vertexOf);

// The same through the ordered map itself.
void weldDistinctByMap(const std::vector<Vec3>& values, std::vector<std::int32_t>& vertexOf);

// Welds the soup's points: `vertices` gets the first point of each vertex in
// order of first appearance and `weldedTo` the vertex of every point; exactly
// equal points always share a vertex. Through the keyed weld where it
// decides, else through the map.
void weldPoints(const std::vector<Vec3>& points, std::vector<Vec3>& vertices, std::vector<std::int32_t>& weldedTo);

// Only through the keyed weld; false, with both outputs empty, where it does
// not decide.
bool weldPointsFast(const std::vector<Vec3>& points, std::vector<Vec3>& vertices, std::vector<std::int32_t>& weldedTo);

// Only through the map: the reference.
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
