// Small builders of bodies for the weld's suites, and the notions the weld is
// checked against: vertices by their bits, exactly equal points as the weld
// defines them, and the map alone over every point.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "model/records.hpp"
#include "model/weld_reference.hpp"

namespace veltrosan::test {

// A body whose surface i has index i and the CTI ctis[i].
inline BodyRecord bodyWithCtis(const std::vector<std::int32_t>& ctis) {
  BodyRecord body;
  for (std::size_t i = 0; i < ctis.size(); ++i) {
    SurfaceRecord s;
    s.index = static_cast<std::int32_t>(i);
    s.cti = ctis[i];
    body.surfaces.push_back(s);
  }
  return body;
}

inline std::vector<std::int32_t> ctisOf(const BodyRecord& body) {
  std::vector<std::int32_t> out;
  for (const SurfaceRecord& s : body.surfaces) out.push_back(s.cti);
  return out;
}

inline std::uint64_t bitsOf(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// Vertices compared by their bits, so that -0 and +0, a NaN's payload or a
// welded-away neighbour show up as a difference.
inline std::vector<std::uint64_t> vertexBits(const std::vector<Vec3>& vertices) {
  std::vector<std::uint64_t> out;
  for (const Vec3& v : vertices) {
    out.push_back(bitsOf(v.x));
    out.push_back(bitsOf(v.y));
    out.push_back(bitsOf(v.z));
  }
  return out;
}

// The map alone over every soup point, repeats included, as the weld once
// ran: near ties a repeat can miss its own key and get a vertex of its own.
inline std::vector<std::int32_t> pureMapWeld(const std::vector<Vec3>& points) {
  std::map<Vec3, std::int32_t, detail::TolerantLess> vertexMap;
  const detail::TolerantLess less;
  std::vector<std::int32_t> weldedTo;
  std::int32_t vertices = 0;
  for (const Vec3& p : points) {
    auto it = vertexMap.lower_bound(p);
    if (it != vertexMap.end() && !less(p, it->first)) {
      weldedTo.push_back(it->second);
      continue;
    }
    vertexMap.insert(std::pair<const Vec3, std::int32_t>(p, vertices));
    weldedTo.push_back(vertices++);
  }
  return weldedTo;
}

// Whether two exactly equal points got different vertices. Equal as the weld
// defines it: +0 and -0 are one value, a NaN equals only its own bit pattern.
inline bool splitsEqualPoints(const std::vector<Vec3>& points, const std::vector<std::int32_t>& weldedTo) {
  auto value = [](double v) { return bitsOf(v == 0.0 ? 0.0 : v); };
  std::map<std::array<std::uint64_t, 3>, std::int32_t> seen;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const Vec3& p = points[i];
    const auto [it, added] = seen.emplace(std::array<std::uint64_t, 3>{value(p.x), value(p.y), value(p.z)}, weldedTo[i]);
    if (!added && it->second != weldedTo[i]) return true;
  }
  return false;
}

}  // namespace veltrosan::test
