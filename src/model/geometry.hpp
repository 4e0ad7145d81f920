// Value types shared by the model, the mesh builder and the exporter.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace veltrosan {

// A point or a vector.
struct Vec3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;

  Vec3() = default;
  Vec3(double px, double py, double pz) : x(px), y(py), z(pz) {}

  // Multiplies every coordinate by the factor, in place.
  void scale(double factor) {
    x *= factor;
    y *= factor;
    z *= factor;
  }
};

// A 4x4 matrix stored row by row: element 4*r + c is row r, column c. Points
// are column vectors (p' = M*p), so the translation sits in elements 3, 7, 11.
struct Matrix4 {
  std::array<double, 16> m{};

  Matrix4() = default;  // all zeros
  explicit Matrix4(const std::array<double, 16>& elements) : m(elements) {}

  static Matrix4 identity() {
    Matrix4 result;
    result.m[0] = result.m[5] = result.m[10] = result.m[15] = 1.0;
    return result;
  }

  double& operator[](std::size_t i) { return m[i]; }
  const double& operator[](std::size_t i) const { return m[i]; }

  // Transposes in place; the diagonal stays.
  void transpose() {
    static constexpr std::size_t kPairs[6][2] = {{1, 4}, {2, 8}, {3, 12}, {6, 9}, {7, 13}, {11, 14}};
    for (const auto& pair : kPairs) {
      const double t = m[pair[0]];
      m[pair[0]] = m[pair[1]];
      m[pair[1]] = t;
    }
  }
};

// Three vertex positions and the position of the triangle's surface.
struct Triangle {
  std::int32_t a = 0;
  std::int32_t b = 0;
  std::int32_t c = 0;
  std::int32_t surfaceIndex = 0;
};

// Red, green, blue; -1 each where no colour is known.
using Rgb = std::array<double, 3>;

}  // namespace veltrosan
