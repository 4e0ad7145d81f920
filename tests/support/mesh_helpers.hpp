// Small builders of bodies for the weld's suites.
#pragma once

#include <cstdint>
#include <vector>

#include "model/records.hpp"

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

}  // namespace veltrosan::test
