#include "model/weld_stages.hpp"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>
#include <limits>
#include <map>
#include <utility>

#include "model/weld_reference.hpp"

namespace veltrosan::detail {

// Why the fast point weld gives exactly what the ordered map gives
// -----------------------------------------------------------------
// The map orders points by TolerantLess, which per axis asks a < fl(b - eps)
// and a > fl(b + eps) (fl: rounded to double) and moves to the next axis when
// neither holds. Near ties that is not always a strict weak order, and then
// only the map itself can say what it does. So the fast weld first shows that
// on this soup TolerantLess is a strict weak order whose equivalence it knows,
// and leaves the soup to the map when it cannot.
//
// Take one axis and the distinct values of the soup's points on it (+0 and
// -0 are one value: every comparison treats them alike), sorted ascending.
// Call p < q "apart" when p < fl(q - eps) and q > fl(p + eps). As fl is
// monotone, if p <= c <= c' <= q and p, q are not apart, neither are c, c';
// and if neighbours p < q are apart, every a <= p and b >= q are apart. Cut
// the sorted values into clusters wherever neighbours are apart:
//  (1) values of different clusters are apart, and for apart a < b the axis
//      says "less" for (a, b) and "greater" for (b, a): it decides as the
//      values' order does;
//  (2) in a cluster lo..hi with lo >= fl(hi - eps) and hi <= fl(lo + eps)
//      ("tight"), every pair a <= b has a >= fl(b - eps) and b <= fl(a + eps)
//      (and a <= fl(b + eps), b >= fl(a - eps) anyway): the axis ties.
// A value's key is the smallest value of its cluster when that is tight, else
// ("loose") the value itself; zero as +0. Points with equal keys on all three
// axes tie on every axis, so TolerantLess makes them equivalent; call such a
// set a class.
//
// Now compare two classes A and B axis by axis. While their keys are equal
// and not loose the axis ties. At the first other axis k, if the values are
// apart the axis decides by their order. If not, both lie in one loose
// cluster, and A and B fall into one "block": classes with equal, not loose
// keys before k whose values on k form a run without an apart neighbour pair
// (by the first remark, everything between two values that are not apart
// stays in their run). So TolerantLess orders the classes lexicographically,
// axis by axis, by key, except that inside each block it orders them as it
// does there. The weld sorts each block by TolerantLess and asks every pair
// of it both ways; when every block comes out strictly and totally ordered,
// TolerantLess is a strict total order on the classes, hence a strict weak
// order on the points whose equivalence is "same class". On such an order the
// map is an ordinary map: each point welds to the first earlier point of its
// class, and vertices are numbered by first appearance and keep that first
// point's coordinates. That is what weldPointsFast computes: exact
// deduplication, one radix sort per axis, a second deduplication on the keys
// and the check of the blocks. A block that is not so ordered, blocks too
// large to check within a budget of comparisons, or a NaN (which compares
// false with everything) send the whole soup to the map. Usually every
// cluster holds one value, and the second deduplication and the check are
// skipped.

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

std::uint64_t bitsOf(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

double doubleOf(std::uint64_t b) {
  double v;
  std::memcpy(&v, &b, sizeof v);
  return v;
}

// A point's coordinates as bit patterns: equal patterns are the same point.
struct PointBits {
  std::array<std::uint64_t, 3> axis;
  bool operator==(const PointBits& o) const {
    return axis[0] == o.axis[0] && axis[1] == o.axis[1] && axis[2] == o.axis[2];
  }
};

PointBits bitsOf(const Vec3& p) { return PointBits{{bitsOf(p.x), bitsOf(p.y), bitsOf(p.z)}}; }

Vec3 pointOf(const PointBits& b) { return Vec3(doubleOf(b.axis[0]), doubleOf(b.axis[1]), doubleOf(b.axis[2])); }

std::uint64_t hashOf(const PointBits& b) {
  std::uint64_t h = b.axis[0] * 0x9E3779B97F4A7C15u + b.axis[1] * 0xC2B2AE3D27D4EB4Fu + b.axis[2] * 0x165667B19E3779F9u;
  // Nice values have zero low mantissa bits; fold the high bits down.
  h ^= h >> 32;
  h *= 0xD6E8FEB86659FD93u;
  h ^= h >> 29;
  return h;
}

// Numbers distinct bit patterns in order of first appearance (open
// addressing, linear probing, kept at most half full).
class ExactIndex {
 public:
  explicit ExactIndex(std::size_t expected) {
    std::size_t capacity = 16;
    while (capacity < 2 * expected) capacity *= 2;
    slots_.assign(capacity, kNone);
    mask_ = capacity - 1;
    keys_.reserve(expected);
  }

  // The pattern's number; an unseen pattern gets the next one.
  std::uint32_t insert(const PointBits& b) {
    for (std::size_t i = hashOf(b) & mask_;; i = (i + 1) & mask_) {
      const std::uint32_t slot = slots_[i];
      if (slot == kNone) {
        const auto id = static_cast<std::uint32_t>(keys_.size());
        slots_[i] = id;
        keys_.push_back(b);
        if (2 * keys_.size() > slots_.size()) grow();
        return id;
      }
      if (keys_[slot] == b) return slot;
    }
  }

  std::vector<PointBits>& keys() { return keys_; }

  // Frees the table; the keys stay.
  void dropTable() { std::vector<std::uint32_t>().swap(slots_); }

 private:
  void grow() {
    std::vector<std::uint32_t>(2 * slots_.size(), kNone).swap(slots_);
    mask_ = slots_.size() - 1;
    for (std::uint32_t id = 0; id < keys_.size(); ++id) {
      std::size_t i = hashOf(keys_[id]) & mask_;
      while (slots_[i] != kNone) i = (i + 1) & mask_;
      slots_[i] = id;
    }
  }

  std::vector<std::uint32_t> slots_;
  std::vector<PointBits> keys_;
  std::size_t mask_ = 0;
};

// A sort key with the item it belongs to.
struct Keyed {
  std::uint64_t key;
  std::uint32_t item;
};

// Stable LSD radix sort by key, 11 bits a pass; passes in which every key has
// the same digit are skipped.
void radixSort(std::vector<Keyed>& data) {
  constexpr int kBits = 11;
  constexpr std::size_t kBuckets = std::size_t{1} << kBits;
  constexpr int kPasses = (64 + kBits - 1) / kBits;
  std::vector<std::array<std::uint32_t, kBuckets>> counts(kPasses);
  for (auto& c : counts) c.fill(0);
  for (const Keyed& k : data) {
    for (int pass = 0; pass < kPasses; ++pass) ++counts[pass][(k.key >> (pass * kBits)) & (kBuckets - 1)];
  }
  std::vector<Keyed> other(data.size());
  for (int pass = 0; pass < kPasses; ++pass) {
    auto& c = counts[pass];
    if (std::find(c.begin(), c.end(), static_cast<std::uint32_t>(data.size())) != c.end()) continue;
    std::uint32_t sum = 0;
    for (std::uint32_t& n : c) {
      const std::uint32_t here = n;
      n = sum;
      sum += here;
    }
    for (const Keyed& k : data) other[c[(k.key >> (pass * kBits)) & (kBuckets - 1)]++] = k;
    data.swap(other);
  }
}

// Orders doubles as unsigned integers; -0 is taken as +0 and NaN never
// reaches here.
std::uint64_t orderKey(double v) {
  const std::uint64_t b = bitsOf(v == 0.0 ? 0.0 : v);
  return (b >> 63) != 0 ? ~b : b | (std::uint64_t{1} << 63);
}

double valueOfOrderKey(std::uint64_t key) { return doubleOf((key >> 63) != 0 ? key & ~(std::uint64_t{1} << 63) : ~key); }

// Neighbouring values p < q that every comparison keeps in order both ways.
bool apart(double p, double q) { return p < q - kWeldEpsilon && q > p + kWeldEpsilon; }

// Every pair in lo..hi ties both ways (see the proof above).
bool tiesThroughout(double lo, double hi) { return lo >= hi - kWeldEpsilon && hi <= lo + kWeldEpsilon; }

// Replaces each pattern's coordinate on one axis by its key (see above).
// False when a value is NaN. Sets `changed` when any coordinate's bits change
// and marks, in `loose`, the patterns whose value lies in a loose cluster.
bool keyAxis(std::vector<PointBits>& keys, int axis, bool& changed, std::vector<std::uint8_t>& loose) {
  std::vector<Keyed> sorted(keys.size());
  for (std::uint32_t i = 0; i < keys.size(); ++i) {
    const double v = doubleOf(keys[i].axis[axis]);
    if (v != v) return false;
    sorted[i] = Keyed{orderKey(v), i};
  }
  radixSort(sorted);

  auto set = [&](std::size_t i, std::uint64_t key) {
    std::uint64_t& bits = keys[sorted[i].item].axis[axis];
    if (bits != key) {
      bits = key;
      changed = true;
    }
  };
  // Closes the cluster sorted[start, end) running from lo to hi.
  auto close = [&](std::size_t start, std::size_t end, double lo, double hi) {
    if (tiesThroughout(lo, hi)) {
      for (std::size_t i = start; i < end; ++i) set(i, bitsOf(lo));
      return;
    }
    for (std::size_t i = start; i < end; ++i) {
      set(i, bitsOf(valueOfOrderKey(sorted[i].key)));
      loose[sorted[i].item] |= static_cast<std::uint8_t>(1u << axis);
    }
  };
  if (sorted.empty()) return true;
  std::size_t start = 0;
  double lo = valueOfOrderKey(sorted[0].key);
  double prev = lo;
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    if (sorted[i].key == sorted[i - 1].key) continue;
    const double v = valueOfOrderKey(sorted[i].key);
    if (!apart(prev, v)) {
      prev = v;
      continue;
    }
    close(start, i, lo, prev);
    start = i;
    lo = prev = v;
  }
  close(start, sorted.size(), lo, prev);
  return true;
}

// Checks that TolerantLess orders each block of `axis` (see above) strictly
// and totally: the block's classes (`classes` holds each class's keys) are
// sorted by TolerantLess itself and every pair is then asked both ways. A
// class with a loose key on an earlier axis belongs to a block of that axis. `budget` bounds the comparisons over all axes; false when it runs
// out or a block is not so ordered.
bool looseBlocksOrdered(const std::vector<Vec3>& classes, const std::vector<std::uint8_t>& loose, int axis,
                        std::size_t& budget) {
  auto at = [](const Vec3& p, int a) { return a == 0 ? p.x : a == 1 ? p.y : p.z; };
  const auto earlier = static_cast<std::uint8_t>((1u << axis) - 1);
  std::vector<std::uint32_t> doubtful;
  for (std::uint32_t i = 0; i < classes.size(); ++i) {
    if ((loose[i] & (1u << axis)) != 0 && (loose[i] & earlier) == 0) doubtful.push_back(i);
  }
  if (doubtful.empty()) return true;
  // Keys are never NaN or -0, so plain comparisons order them.
  auto keyLess = [&](std::uint32_t i, std::uint32_t j) {
    for (int a = 0; a <= axis; ++a) {
      const double u = at(classes[i], a), v = at(classes[j], a);
      if (u != v) return u < v;
    }
    return false;
  };
  std::sort(doubtful.begin(), doubtful.end(), keyLess);
  // Neighbours in this order open a new block where the keys before `axis`
  // differ or the values on it are apart; across such a cut the key order
  // decides and agrees with TolerantLess.
  auto sameBlock = [&](std::uint32_t i, std::uint32_t j) {
    for (int a = 0; a < axis; ++a) {
      if (at(classes[i], a) != at(classes[j], a)) return false;
    }
    return !apart(at(classes[i], axis), at(classes[j], axis));
  };
  const TolerantLess less;
  std::vector<const Vec3*> block;
  for (std::size_t first = 0; first < doubtful.size();) {
    std::size_t last = first + 1;
    while (last < doubtful.size() && sameBlock(doubtful[last - 1], doubtful[last])) ++last;
    const std::size_t n = last - first;
    if (n * n > budget) return false;
    budget -= n * n;
    block.clear();
    for (std::size_t i = first; i < last; ++i) block.push_back(&classes[doubtful[i]]);
    // Insertion sort, bounded at both ends: the order is not yet known to
    // be one.
    for (std::size_t i = 1; i < n; ++i) {
      const Vec3* p = block[i];
      std::size_t j = i;
      for (; j > 0 && less(*p, *block[j - 1]); --j) block[j] = block[j - 1];
      block[j] = p;
    }
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = i + 1; j < n; ++j) {
        if (!less(*block[i], *block[j]) || less(*block[j], *block[i])) return false;
      }
    }
    first = last;
  }
  return true;
}

bool collapsed(const Triangle& t) { return t.a == t.b || t.a == t.c || t.b == t.c; }

bool sameCorners(const Triangle& s, const Triangle& t) { return s.a == t.a && s.b == t.b && s.c == t.c; }

bool cornersLess(const Triangle& s, const Triangle& t) {
  if (s.a != t.a) return s.a < t.a;
  if (s.b != t.b) return s.b < t.b;
  return s.c < t.c;
}

bool restLess(const Triangle& s, const Triangle& t) {
  if (s.b != t.b) return s.b < t.b;
  return s.c < t.c;
}

// The soup's triangles on the welded vertices, in soup order, without the
// collapsed ones. A corner outside the soup's points cannot be mapped, so its
// triangle is dropped.
std::vector<Triangle> mapTriangles(const TriangleSoup& soup, const std::vector<std::int32_t>& weldedTo) {
  const auto pointCount = static_cast<std::int64_t>(weldedTo.size());
  auto inRange = [pointCount](std::int32_t i) { return i >= 0 && i < pointCount; };
  std::vector<Triangle> mapped;
  mapped.reserve(soup.triangles.size());
  for (const Triangle& t : soup.triangles) {
    if (!inRange(t.a) || !inRange(t.b) || !inRange(t.c)) continue;
    const Triangle m{weldedTo[static_cast<std::size_t>(t.a)], weldedTo[static_cast<std::size_t>(t.b)],
                     weldedTo[static_cast<std::size_t>(t.c)], t.surfaceIndex};
    if (!collapsed(m)) mapped.push_back(m);
  }
  return mapped;
}

// CTI where surfaces share a triangle: a zero wins, otherwise the larger.
std::int32_t mergedCti(std::int32_t c1, std::int32_t c2) {
  if (c1 == 0 || c2 == 0) return 0;
  return std::max(c1, c2);
}

// On sorted triangles: merges the CTI of the surfaces of each neighbouring
// equal pair, in order, each pair seeing what earlier pairs wrote (a surface
// index outside the body's surfaces has no CTI to merge), then keeps the
// first of each run of equal triangles.
void mergeSharedCtiAndDropRepeats(BodyRecord& body) {
  std::vector<SurfaceRecord>& surfaces = body.surfaces;
  auto surfaceAt = [&surfaces](std::int32_t i) -> SurfaceRecord* {
    if (i < 0 || static_cast<std::size_t>(i) >= surfaces.size()) return nullptr;
    return &surfaces[static_cast<std::size_t>(i)];
  };
  for (std::size_t k = 0; k + 1 < body.triangles.size(); ++k) {
    const Triangle& s = body.triangles[k];
    const Triangle& t = body.triangles[k + 1];
    if (!sameCorners(s, t)) continue;
    SurfaceRecord* first = surfaceAt(s.surfaceIndex);
    SurfaceRecord* second = surfaceAt(t.surfaceIndex);
    if (first == nullptr || second == nullptr || first->cti == second->cti) continue;
    const std::int32_t merged = mergedCti(first->cti, second->cti);
    first->cti = merged;
    second->cti = merged;
  }
  body.triangles.erase(std::unique(body.triangles.begin(), body.triangles.end(), sameCorners), body.triangles.end());
}

}  // namespace

bool weldPointsFast(const std::vector<Vec3>& points, std::vector<Vec3>& vertices, std::vector<std::int32_t>& weldedTo) {
  vertices.clear();
  weldedTo.clear();
  // Vertex positions are int32.
  if (points.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return false;

  // Exact duplicates first: weldedTo holds each point's pattern number.
  // A tessellation shares each vertex among about six triangles, so about
  // one point in six is new; the table grows when there are more.
  ExactIndex exact(points.size() / 6);
  weldedTo.resize(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) weldedTo[i] = static_cast<std::int32_t>(exact.insert(bitsOf(points[i])));
  exact.dropTable();
  std::vector<PointBits>& distinct = exact.keys();

  // Vertices keep the coordinates of their first point: the patterns as seen.
  std::vector<Vec3> firstPoints;
  firstPoints.reserve(distinct.size());
  for (const PointBits& b : distinct) firstPoints.push_back(pointOf(b));

  bool changed = false;
  std::vector<std::uint8_t> loose(distinct.size(), 0);
  for (int axis = 0; axis < 3; ++axis) {
    if (!keyAxis(distinct, axis, changed, loose)) {
      weldedTo.clear();
      return false;
    }
  }

  // Patterns with equal keys weld; numbering groups by their first pattern
  // keeps the order of first appearance in the soup. When no key differs
  // from its value every pattern is a group of its own.
  std::vector<Vec3> classes;
  std::vector<std::uint8_t> classLoose;
  if (changed) {
    ExactIndex byKeys(distinct.size());
    std::vector<std::uint32_t> group(distinct.size());
    for (std::size_t i = 0; i < distinct.size(); ++i) {
      const auto before = static_cast<std::uint32_t>(byKeys.keys().size());
      group[i] = byKeys.insert(distinct[i]);
      if (group[i] == before) {
        vertices.push_back(firstPoints[i]);
        classLoose.push_back(loose[i]);
      }
    }
    for (std::int32_t& w : weldedTo) w = static_cast<std::int32_t>(group[static_cast<std::size_t>(w)]);
    byKeys.dropTable();
    classes.reserve(byKeys.keys().size());
    for (const PointBits& b : byKeys.keys()) classes.push_back(pointOf(b));
  } else {
    vertices = std::move(firstPoints);
    classLoose = std::move(loose);
  }

  std::size_t budget = 64 * vertices.size() + (std::size_t{1} << 20);
  for (int axis = 0; axis < 3; ++axis) {
    const std::vector<Vec3>& keyed = changed ? classes : vertices;
    if (!looseBlocksOrdered(keyed, classLoose, axis, budget)) {
      vertices.clear();
      weldedTo.clear();
      return false;
    }
  }
  return true;
}

void weldPointsReference(const std::vector<Vec3>& points, std::vector<Vec3>& vertices,
                         std::vector<std::int32_t>& weldedTo) {
  vertices.clear();
  weldedTo.clear();
  // Each point gets the vertex of the first key not less than it when it is
  // not less than that key either.
  std::map<Vec3, std::int32_t, TolerantLess> vertexMap;
  weldedTo.reserve(points.size());
  const TolerantLess less;
  for (const Vec3& p : points) {
    auto it = vertexMap.lower_bound(p);
    if (it != vertexMap.end() && !less(p, it->first)) {
      weldedTo.push_back(it->second);
      continue;
    }
    const auto n = static_cast<std::int32_t>(vertices.size());
    // A plain insert, not one at the lookup's position: near ties the
    // tolerant order can say a < b and b < a at once, and an insert at a hint
    // then links the node where the tree already has one, corrupting it. A
    // plain insert's walk always ends at a free slot. The order is not
    // transitive either, so the map may refuse a point that the lookup did
    // not match; the point keeps its own vertex anyway.
    vertexMap.insert(std::pair<const Vec3, std::int32_t>(p, n));
    vertices.push_back(p);
    weldedTo.push_back(n);
  }
}

void buildTrianglesFast(const TriangleSoup& soup, const std::vector<std::int32_t>& weldedTo, std::size_t vertexCount,
                        BodyRecord& body) {
  std::vector<Triangle> mapped = mapTriangles(soup, weldedTo);

  // Counting sort by the first corner keeps soup order within each bucket...
  std::vector<std::uint32_t> start(vertexCount + 1, 0);
  for (const Triangle& t : mapped) {
    assert(t.a >= 0 && static_cast<std::size_t>(t.a) < vertexCount);
    ++start[static_cast<std::size_t>(t.a) + 1];
  }
  for (std::size_t v = 0; v < vertexCount; ++v) start[v + 1] += start[v];
  std::vector<Triangle> sorted(mapped.size());
  {
    std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
    for (const Triangle& t : mapped) sorted[next[static_cast<std::size_t>(t.a)]++] = t;
  }
  std::vector<Triangle>().swap(mapped);

  // ...and a stable sort of each bucket by the other two finishes the order.
  // Buckets hold about as many triangles as a vertex has, so most are tiny.
  for (std::size_t v = 0; v < vertexCount; ++v) {
    Triangle* first = sorted.data() + start[v];
    Triangle* last = sorted.data() + start[v + 1];
    if (last - first < 2) continue;
    if (last - first > 32) {
      std::stable_sort(first, last, restLess);
      continue;
    }
    for (Triangle* i = first + 1; i < last; ++i) {
      const Triangle t = *i;
      Triangle* j = i;
      for (; j > first && restLess(t, *(j - 1)); --j) *j = *(j - 1);
      *j = t;
    }
  }
  body.triangles = std::move(sorted);
  mergeSharedCtiAndDropRepeats(body);
}

void buildTrianglesReference(const TriangleSoup& soup, const std::vector<std::int32_t>& weldedTo, BodyRecord& body) {
  body.triangles = mapTriangles(soup, weldedTo);
  // A stable sort keeps triangles with equal corners in soup order, which
  // fixes both the order the CTI merge sees and which triangle survives.
  std::stable_sort(body.triangles.begin(), body.triangles.end(), cornersLess);
  mergeSharedCtiAndDropRepeats(body);
}

}  // namespace veltrosan::detail
