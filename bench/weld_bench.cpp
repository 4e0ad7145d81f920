// The weld on realistic soups of 10^4 to 10^6 triangles: weldMesh, its
// stages (exact duplicates, the keyed weld, the map over the distinct values,
// the triangles), the reference weld, and the exact vertex remap of
// meshoptimizer on the same points as the yardstick.
#include <benchmark/benchmark.h>
#include <meshoptimizer.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench_support.hpp"
#include "model/weld_reference.hpp"
#include "model/weld_stages.hpp"

namespace veltrosan::bench {
namespace {

const TriangleSoup& soupFor(const std::string& shape, std::size_t triangles) {
  static std::map<std::pair<std::string, std::size_t>, TriangleSoup> cache;
  auto it = cache.find({shape, triangles});
  if (it == cache.end()) {
    it = cache.emplace(std::make_pair(shape, triangles), shape == "grid" ? gridSoup(triangles) : sphereSoup(triangles))
             .first;
  }
  return it->second;
}

using WeldFn = void (*)(const TriangleSoup&, BodyRecord&);

void setCommonCounters(benchmark::State& state, const TriangleSoup& soup) {
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(soup.triangles.size()));
  state.counters["triangles"] = static_cast<double>(soup.triangles.size());
}

// One weld outside the timing measures the heap's high-water mark. The
// counters also give the number of exactly distinct points, which the
// vertices can only fall short of by welds within the tolerance, and for
// weldMesh whether the keyed weld decided (1) or the map (0).
void weldBench(benchmark::State& state, const std::string& shape, std::size_t n, WeldFn weld) {
  const TriangleSoup& soup = soupFor(shape, n);
  BodyRecord body = bodyWithSurfaces(64);
  std::size_t peak = 0;
  {
    BodyRecord fresh = bodyWithSurfaces(64);
    HeapPeak heap;
    weld(soup, fresh);
    peak = heap.peak();
  }
  for (auto _ : state) {
    weld(soup, body);
    benchmark::DoNotOptimize(body.triangles.data());
  }
  const detail::DistinctPoints distinct = detail::distinctPoints(soup.points);
  setCommonCounters(state, soup);
  state.counters["vertices"] = static_cast<double>(body.vertices.size());
  state.counters["distinct"] = static_cast<double>(distinct.values.size());
  if (weld == weldMesh) {
    std::vector<std::int32_t> vertexOf;
    state.counters["fast_path"] = detail::weldDistinctFast(distinct.values, vertexOf) ? 1 : 0;
  }
  state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
  state.counters["peak/soup"] = static_cast<double>(peak) / static_cast<double>(soupBytes(soup));
}

void distinctBench(benchmark::State& state, const std::string& shape, std::size_t n) {
  const TriangleSoup& soup = soupFor(shape, n);
  for (auto _ : state) {
    detail::DistinctPoints distinct = detail::distinctPoints(soup.points);
    benchmark::DoNotOptimize(distinct.valueOf.data());
  }
  setCommonCounters(state, soup);
}

void keyedBench(benchmark::State& state, const std::string& shape, std::size_t n) {
  const TriangleSoup& soup = soupFor(shape, n);
  const detail::DistinctPoints distinct = detail::distinctPoints(soup.points);
  std::vector<std::int32_t> vertexOf;
  bool fast = true;
  for (auto _ : state) {
    fast = detail::weldDistinctFast(distinct.values, vertexOf);
    benchmark::DoNotOptimize(vertexOf.data());
  }
  setCommonCounters(state, soup);
  state.counters["fast_path"] = fast ? 1 : 0;
}

void mapBench(benchmark::State& state, const std::string& shape, std::size_t n) {
  const TriangleSoup& soup = soupFor(shape, n);
  const detail::DistinctPoints distinct = detail::distinctPoints(soup.points);
  std::vector<std::int32_t> vertexOf;
  for (auto _ : state) {
    detail::weldDistinctByMap(distinct.values, vertexOf);
    benchmark::DoNotOptimize(vertexOf.data());
  }
  setCommonCounters(state, soup);
}

void fastTrianglesBench(benchmark::State& state, const std::string& shape, std::size_t n) {
  const TriangleSoup& soup = soupFor(shape, n);
  std::vector<Vec3> vertices;
  std::vector<std::int32_t> weldedTo;
  detail::weldPoints(soup.points, vertices, weldedTo);
  BodyRecord body = bodyWithSurfaces(64);
  for (auto _ : state) {
    detail::buildTrianglesFast(soup, weldedTo, vertices.size(), body);
    benchmark::DoNotOptimize(body.triangles.data());
  }
  setCommonCounters(state, soup);
}

void meshoptBench(benchmark::State& state, const std::string& shape, std::size_t n) {
  const TriangleSoup& soup = soupFor(shape, n);
  std::vector<unsigned int> remap(soup.points.size());
  std::size_t unique = 0;
  for (auto _ : state) {
    unique = meshopt_generateVertexRemap(remap.data(), nullptr, soup.points.size(), soup.points.data(),
                                         soup.points.size(), sizeof(Vec3));
    benchmark::DoNotOptimize(remap.data());
  }
  setCommonCounters(state, soup);
  state.counters["vertices"] = static_cast<double>(unique);
}

const bool registered = [] {
  const std::pair<const char*, std::size_t> cases[] = {{"sphere", 10000}, {"sphere", 100000}, {"sphere", 1000000},
                                                       {"grid", 10000},   {"grid", 100000},   {"grid", 1000000}};
  for (const auto& [shape, n] : cases) {
    const std::string s = shape;
    const std::string tail = "/" + s + "/" + std::to_string(n);
    auto add = [](const std::string& name, auto fn) {
      benchmark::RegisterBenchmark(name.c_str(), fn)->Unit(benchmark::kMillisecond)->UseRealTime();
    };
    add("WeldMesh" + tail, [s, n = n](benchmark::State& st) { weldBench(st, s, n, weldMesh); });
    add("DistinctPoints" + tail, [s, n = n](benchmark::State& st) { distinctBench(st, s, n); });
    add("WeldDistinctFast" + tail, [s, n = n](benchmark::State& st) { keyedBench(st, s, n); });
    add("WeldDistinctByMap" + tail, [s, n = n](benchmark::State& st) { mapBench(st, s, n); });
    add("BuildTrianglesFast" + tail, [s, n = n](benchmark::State& st) { fastTrianglesBench(st, s, n); });
    add("MeshoptRemap" + tail, [s, n = n](benchmark::State& st) { meshoptBench(st, s, n); });
    add("WeldMeshReference" + tail, [s, n = n](benchmark::State& st) { weldBench(st, s, n, detail::weldMeshReference); });
    reportRatio("weld / meshopt remap" + tail, "WeldMesh" + tail + "/real_time", "MeshoptRemap" + tail + "/real_time");
    reportRatio("reference weld / weld" + tail, "WeldMeshReference" + tail + "/real_time",
                "WeldMesh" + tail + "/real_time");
  }
  return true;
}();

}  // namespace
}  // namespace veltrosan::bench
