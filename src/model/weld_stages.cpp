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

// Why the keyed weld gives exactly what the map gives
// ---------------------------------------------------
// The reference weld first merges exactly equal points (+0 and -0 are one
// value) and then runs the ordered map under TolerantLess over the distinct
// values once each, in order of first appearance: a lookup, and a plain
// insert with a new vertex when the lookup does not match. Every point gets
// its value's vertex. The keyed weld shares the first step and stands in for
// the map only where it can show what the map does.
//
// TolerantLess per axis asks a < fl(b - eps) and a > fl(b + eps) (fl: rounded
// to double) and moves to the next axis when neither holds. Near ties that is
// not always a strict weak order, and then a lookup's answer can depend on
// the shape of the tree.
//
// Take one axis and the distinct values of the soup on it (+0 and -0 are one
// value: every comparison treats them alike), sorted ascending. Call p < q
// "apart" when p < fl(q - eps) and q > fl(p + eps). As fl is monotone, if
// p <= c <= c' <= q and p, q are not apart, neither are c, c'; and if
// neighbours p < q are apart, every a <= p and b >= q are apart. Cut the
// sorted values into clusters wherever neighbours are apart:
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
// Compare two classes A and B axis by axis. While their keys are equal and
// not loose the axis ties. At the first other axis k, if the values are apart
// the axis decides by their order. If not, both lie in one loose cluster, and
// A and B fall into one "block": classes with equal, not loose keys before k
// whose values on k form a run without an apart neighbour pair (by the first
// remark, everything between two values that are not apart stays in their
// run). So TolerantLess orders the classes lexicographically, axis by axis,
// by key, except inside each block, and each block is a contiguous stretch of
// that order. Call the blocks and the classes outside every block "units":
// TolerantLess orders any two values of different units as the key order
// does.
//
// That fixes where the map's tree keeps its keys, whatever happens inside a
// unit. An insert lands between the two in-order neighbours of the slot it
// reaches, both of which it compared with: it went right at one, which is
// thus not greater, and left at the other, which is greater; and it inserts
// only when the first is less. So the keys stay sorted by unit. A lookup
// returns a key that is not less than the value, which thus lies in the
// value's unit or a later one, and matches only a key that is not greater
// either: one of the value's own unit. Inside a unit:
//  - where TolerantLess orders the unit's classes strictly and totally, every
//    comparison of a value with the tree's keys agrees with one order, so the
//    map behaves as an ordinary map: a value finds the key of its class when
//    that is in the tree, and is inserted (not refused) otherwise;
//  - where every two of the unit's classes compare strictly one way, even in
//    a cycle, and every class holds a single value, no key is equivalent to
//    a value that is looked up (each value is looked up once), so no lookup
//    matches: each value becomes a vertex of its own.
// In both cases each value welds to the first value of its class, and the
// vertices are numbered by the first appearance of their class. That is what
// weldDistinctFast computes: one radix sort per axis, a deduplication on the
// keys and the check of the blocks, each block asked pair by pair both ways.
// Two classes of a block that tie, a cycle through a class of several values,
// blocks too large to check within a budget of comparisons, or a NaN (which
// compares false with everything) leave the soup to the map. Usually every
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

// One bit pattern per value: -0 as +0. A NaN keeps its own pattern, so a
// point copied with its NaN is still the same point.
std::uint64_t valueBits(double v) { return bitsOf(v == 0.0 ? 0.0 : v); }

bool sameValue(double a, double b) { return a == b || bitsOf(a) == bitsOf(b); }

bool sameValue(const Vec3& p, const Vec3& q) { return sameValue(p.x, q.x) && sameValue(p.y, q.y) && sameValue(p.z, q.z); }

std::uint64_t hashOf(const Vec3& p) {
  std::uint64_t h = valueBits(p.x) * 0x9E3779B97F4A7C15u + valueBits(p.y) * 0xC2B2AE3D27D4EB4Fu +
                    valueBits(p.z) * 0x165667B19E3779F9u;
  // Nice values have zero low mantissa bits; fold the high bits down.
  h ^= h >> 32;
  h *= 0xD6E8FEB86659FD93u;
  h ^= h >> 29;
  return h;
}

// Numbers distinct values in order of first appearance, keeping the first
// point of each (open addressing, linear probing, kept at most half full).
class FirstSeenIndex {
 public:
  explicit FirstSeenIndex(std::size_t expected) {
    std::size_t capacity = 16;
    while (capacity < 2 * expected) capacity *= 2;
    slots_.assign(capacity, kNone);
    mask_ = capacity - 1;
    keys_.reserve(expected);
  }

  // The value's number; an unseen value gets the next one.
  std::uint32_t insert(const Vec3& p) {
    for (std::size_t i = hashOf(p) & mask_;; i = (i + 1) & mask_) {
      const std::uint32_t slot = slots_[i];
      if (slot == kNone) {
        const auto id = static_cast<std::uint32_t>(keys_.size());
        slots_[i] = id;
        keys_.push_back(p);
        if (2 * keys_.size() > slots_.size()) grow();
        return id;
      }
      if (sameValue(keys_[slot], p)) return slot;
    }
  }

  std::size_t size() const { return keys_.size(); }

  // Frees the table and hands over the first points.
  std::vector<Vec3> takeKeys() {
    std::vector<std::uint32_t>().swap(slots_);
    return std::move(keys_);
  }

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
  std::vector<Vec3> keys_;
  std::size_t mask_ = 0;
};

// A point's coordinates as value patterns, as the keying works on them.
struct PointBits {
  std::array<std::uint64_t, 3> axis;
};

Vec3 pointOf(const PointBits& b) { return Vec3(doubleOf(b.axis[0]), doubleOf(b.axis[1]), doubleOf(b.axis[2])); }

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
  const std::uint64_t b = valueBits(v);
  return (b >> 63) != 0 ? ~b : b | (std::uint64_t{1} << 63);
}

double valueOfOrderKey(std::uint64_t key) { return doubleOf((key >> 63) != 0 ? key & ~(std::uint64_t{1} << 63) : ~key); }

// Neighbouring values p < q that every comparison keeps in order both ways.
bool apart(double p, double q) { return p < q - kWeldEpsilon && q > p + kWeldEpsilon; }

// Every pair in lo..hi ties both ways (see the proof above).
bool tiesThroughout(double lo, double hi) { return lo >= hi - kWeldEpsilon && hi <= lo + kWeldEpsilon; }

// Replaces each value's coordinate on one axis by its key (see above). Sets
// `changed` when any coordinate's bits change and marks, in `loose`, the
// values whose coordinate lies in a loose cluster.
void keyAxis(std::vector<PointBits>& keys, int axis, bool& changed, std::vector<std::uint8_t>& loose) {
  if (keys.empty()) return;
  std::vector<Keyed> sorted(keys.size());
  for (std::uint32_t i = 0; i < keys.size(); ++i) sorted[i] = Keyed{orderKey(doubleOf(keys[i].axis[axis])), i};
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
    for (std::size_t i = start; i < end; ++i) loose[sorted[i].item] |= static_cast<std::uint8_t>(1u << axis);
  };
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
}

// The classes that the keyed weld found: their keys, the axes on which a key
// is loose, and whether a class holds more than one distinct value.
struct Classes {
  std::vector<Vec3> keys;
  std::vector<std::uint8_t> loose;
  std::vector<std::uint8_t> several;  // empty: every class is one value
};

// Checks that the map's welds are known inside each block of `axis` (see
// above): every two classes of the block compare strictly one way, and either
// each class is a single value or TolerantLess orders them totally. A class
// with a loose key on an earlier axis belongs to a block of that axis.
// `budget` bounds the comparisons over all axes; false when it runs out or a
// block fails the check.
bool blocksDecided(const Classes& classes, int axis, std::size_t& budget) {
  auto at = [](const Vec3& p, int a) { return a == 0 ? p.x : a == 1 ? p.y : p.z; };
  const auto earlier = static_cast<std::uint8_t>((1u << axis) - 1);
  std::vector<std::uint32_t> doubtful;
  for (std::uint32_t i = 0; i < classes.keys.size(); ++i) {
    if ((classes.loose[i] & (1u << axis)) != 0 && (classes.loose[i] & earlier) == 0) doubtful.push_back(i);
  }
  if (doubtful.empty()) return true;
  const std::vector<Vec3>& keys = classes.keys;
  // Keys are never NaN or -0, so plain comparisons order them.
  auto keyLess = [&](std::uint32_t i, std::uint32_t j) {
    for (int a = 0; a <= axis; ++a) {
      const double u = at(keys[i], a), v = at(keys[j], a);
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
      if (at(keys[i], a) != at(keys[j], a)) return false;
    }
    return !apart(at(keys[i], axis), at(keys[j], axis));
  };
  const TolerantLess less;
  std::vector<const Vec3*> block;
  for (std::size_t first = 0; first < doubtful.size();) {
    std::size_t last = first + 1;
    while (last < doubtful.size() && sameBlock(doubtful[last - 1], doubtful[last])) ++last;
    const std::size_t n = last - first;
    if (2 * n * n > budget) return false;
    budget -= 2 * n * n;
    bool singleValues = true;
    block.clear();
    for (std::size_t i = first; i < last; ++i) {
      block.push_back(&keys[doubtful[i]]);
      if (!classes.several.empty() && classes.several[doubtful[i]] != 0) singleValues = false;
    }
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = i + 1; j < n; ++j) {
        if (less(*block[i], *block[j]) == less(*block[j], *block[i])) return false;
      }
    }
    if (!singleValues) {
      // Insertion sort, bounded at both ends: the order is not yet known to
      // be one. A total order comes out with every pair in order.
      for (std::size_t i = 1; i < n; ++i) {
        const Vec3* p = block[i];
        std::size_t j = i;
        for (; j > 0 && less(*p, *block[j - 1]); --j) block[j] = block[j - 1];
        block[j] = p;
      }
      for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
          if (!less(*block[i], *block[j])) return false;
        }
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

DistinctPoints distinctPoints(const std::vector<Vec3>& points) {
  DistinctPoints out;
  // A tessellation shares each vertex among about six triangles, so about
  // one point in six is new; the table grows when there are more.
  FirstSeenIndex index(points.size() / 6);
  out.valueOf.resize(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) out.valueOf[i] = static_cast<std::int32_t>(index.insert(points[i]));
  out.values = index.takeKeys();
  return out;
}

bool weldDistinctFast(const std::vector<Vec3>& values, std::vector<std::int32_t>& vertexOf) {
  vertexOf.clear();
  std::vector<PointBits> keys;
  keys.reserve(values.size());
  for (const Vec3& p : values) {
    if (p.x != p.x || p.y != p.y || p.z != p.z) return false;
    keys.push_back(PointBits{{valueBits(p.x), valueBits(p.y), valueBits(p.z)}});
  }

  bool changed = false;
  Classes classes;
  classes.loose.assign(values.size(), 0);
  for (int axis = 0; axis < 3; ++axis) keyAxis(keys, axis, changed, classes.loose);

  // Values with equal keys weld; numbering the classes by their first value
  // keeps the order of first appearance. When no key differs from its value
  // every value is a class of its own.
  vertexOf.resize(values.size());
  if (changed) {
    FirstSeenIndex byKeys(values.size());
    std::vector<std::uint8_t> looseOfClass;
    for (std::size_t i = 0; i < values.size(); ++i) {
      const std::size_t before = byKeys.size();
      const std::uint32_t c = byKeys.insert(pointOf(keys[i]));
      vertexOf[i] = static_cast<std::int32_t>(c);
      if (c == before) {
        looseOfClass.push_back(classes.loose[i]);
        classes.several.push_back(0);
      } else {
        classes.several[c] = 1;
      }
    }
    classes.loose = std::move(looseOfClass);
    std::vector<PointBits>().swap(keys);
    classes.keys = byKeys.takeKeys();
  } else {
    for (std::size_t i = 0; i < values.size(); ++i) vertexOf[i] = static_cast<std::int32_t>(i);
    classes.keys.reserve(keys.size());
    for (const PointBits& b : keys) classes.keys.push_back(pointOf(b));
  }

  std::size_t budget = 64 * classes.keys.size() + (std::size_t{1} << 20);
  for (int axis = 0; axis < 3; ++axis) {
    if (!blocksDecided(classes, axis, budget)) {
      vertexOf.clear();
      return false;
    }
  }
  return true;
}

void weldDistinctByMap(const std::vector<Vec3>& values, std::vector<std::int32_t>& vertexOf) {
  vertexOf.clear();
  vertexOf.reserve(values.size());
  // Each value gets the vertex of the first key not less than it when it is
  // not less than that key either.
  std::map<Vec3, std::int32_t, TolerantLess> vertexMap;
  const TolerantLess less;
  std::int32_t vertices = 0;
  for (const Vec3& p : values) {
    auto it = vertexMap.lower_bound(p);
    if (it != vertexMap.end() && !less(p, it->first)) {
      vertexOf.push_back(it->second);
      continue;
    }
    // A plain insert, not one at the lookup's position: near ties the
    // tolerant order can say a < b and b < a at once, and an insert at a hint
    // then links the node where the tree already has one, corrupting it. A
    // plain insert's walk always ends at a free slot. The order is not
    // transitive either, so the map may refuse a value that the lookup did
    // not match; the value keeps its own vertex anyway.
    vertexMap.insert(std::pair<const Vec3, std::int32_t>(p, vertices));
    vertexOf.push_back(vertices++);
  }
}

namespace {

// Vertices from the values' welds, each the first value of its vertex, and
// every point's vertex in place of its value.
void finishPoints(DistinctPoints& distinct, const std::vector<std::int32_t>& vertexOf, std::vector<Vec3>& vertices,
                  std::vector<std::int32_t>& weldedTo) {
  vertices.clear();
  for (std::size_t v = 0; v < distinct.values.size(); ++v) {
    if (static_cast<std::size_t>(vertexOf[v]) == vertices.size()) vertices.push_back(distinct.values[v]);
  }
  std::vector<Vec3>().swap(distinct.values);
  weldedTo = std::move(distinct.valueOf);
  for (std::int32_t& w : weldedTo) w = vertexOf[static_cast<std::size_t>(w)];
}

}  // namespace

void weldPoints(const std::vector<Vec3>& points, std::vector<Vec3>& vertices, std::vector<std::int32_t>& weldedTo) {
  DistinctPoints distinct = distinctPoints(points);
  std::vector<std::int32_t> vertexOf;
  if (!weldDistinctFast(distinct.values, vertexOf)) weldDistinctByMap(distinct.values, vertexOf);
  finishPoints(distinct, vertexOf, vertices, weldedTo);
}

bool weldPointsFast(const std::vector<Vec3>& points, std::vector<Vec3>& vertices, std::vector<std::int32_t>& weldedTo) {
  DistinctPoints distinct = distinctPoints(points);
  std::vector<std::int32_t> vertexOf;
  if (!weldDistinctFast(distinct.values, vertexOf)) {
    vertices.clear();
    weldedTo.clear();
    return false;
  }
  finishPoints(distinct, vertexOf, vertices, weldedTo);
  return true;
}

void weldPointsReference(const std::vector<Vec3>& points, std::vector<Vec3>& vertices,
                         std::vector<std::int32_t>& weldedTo) {
  DistinctPoints distinct = distinctPoints(points);
  std::vector<std::int32_t> vertexOf;
  weldDistinctByMap(distinct.values, vertexOf);
  finishPoints(distinct, vertexOf, vertices, weldedTo);
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
