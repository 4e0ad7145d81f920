// Equality and gtest printing for the geometry value types, so that tests can
// compare whole lists of points and triangles and see readable failures.
#pragma once

#include <ostream>

#include "model/geometry.hpp"

namespace veltrosan {

inline bool operator==(const Vec3& p, const Vec3& q) { return p.x == q.x && p.y == q.y && p.z == q.z; }
inline bool operator!=(const Vec3& p, const Vec3& q) { return !(p == q); }
inline bool operator==(const Triangle& s, const Triangle& t) {
  return s.a == t.a && s.b == t.b && s.c == t.c && s.surfaceIndex == t.surfaceIndex;
}
inline bool operator!=(const Triangle& s, const Triangle& t) { return !(s == t); }

inline void PrintTo(const Vec3& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ", " << p.z << ")"; }
inline void PrintTo(const Triangle& t, std::ostream* os) {
  *os << "{" << t.a << ", " << t.b << ", " << t.c << " @" << t.surfaceIndex << "}";
}

}  // namespace veltrosan
