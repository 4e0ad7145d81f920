// What the model benchmarks share: realistic soups and models, the heap
// counter behind the peak-memory figures, and the ratios printed at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/mesh.hpp"
#include "model/transfer_model.hpp"

namespace veltrosan::bench {

// A sphere as a tessellator hands it out: one vertex grid (poles and seam
// shared exactly) of `rings` x 2*rings points, emitted triangle by triangle
// through addTriangle, which drops the collapsed pole triangles. Every
// vertex away from the poles is shared by six triangles. Latitude bands form
// `surfaces` surfaces. At radius 100 the points near the coordinate planes
// carry the usual trigonometric noise of a few 1e-15.
TriangleSoup sphereSoup(std::size_t triangles, double radius = 100.0, int surfaces = 64);

// A height field over a square grid of about the given number of triangles,
// split into square surface patches.
TriangleSoup gridSoup(std::size_t triangles, int surfaces = 64);

// A body with `surfaces` surfaces of varied CTI.
BodyRecord bodyWithSurfaces(int surfaces);

// Bytes of the soup's two lists.
std::size_t soupBytes(const TriangleSoup& soup);

// A model of one part whose body is the welded soup, with one instance.
TransferModel modelOf(const TriangleSoup& soup);

// A folder for written files: $VELTROSAN_BENCH_DIR, else the temp folder.
std::string outputFolder();

// Heap use through the global operator new of the benchmark binary.
class HeapPeak {
 public:
  HeapPeak();                // starts a measurement from the current use
  std::size_t peak() const;  // most bytes held above the start since then
 private:
  std::size_t start_;
};

// Registers a ratio of two benchmarks' times per iteration, printed after all
// runs as "label: numerator / denominator = r" (median over repetitions, with
// the range when repeated).
void reportRatio(const std::string& label, const std::string& numerator, const std::string& denominator);

}  // namespace veltrosan::bench
