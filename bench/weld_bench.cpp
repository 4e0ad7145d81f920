// The weld on realistic soups of 10^4 to 10^6 triangles: the fast weld, its
// two stages, the ordered-map reference, and the exact vertex remap of
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

// One weld outside the timing measures the heap's high-water mark.
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
  setCommonCounters(state, soup);
  state.counters["vertices"] = static_cast<double>(body.vertices.size());
  state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
  state.counters["peak/soup"] = static_cast<double>(peak) / static_cast<double>(soupBytes(soup));
}

void fastPointsBench(benchmark::State& state, const std::string& shape, std::size_t n) {
  const TriangleSoup& soup = soupFor(shape, n);
  std::vector<Vec3> vertices;
  std::vector<std::int32_t> weldedTo;
  bool fast = true;
  for (auto _ : state) {
    fast = detail::weldPointsFast(soup.points, vertices, weldedTo);
    benchmark::DoNotOptimize(weldedTo.data());
  }
  setCommonCounters(state, soup);
  state.counters["fast_path"] = fast ? 1 : 0;
}

void fastTrianglesBench(benchmark::State& state, const std::string& shape, std::size_t n) {
  const TriangleSoup& soup = soupFor(shape, n);
  std::vector<Vec3> vertices;
  std::vector<std::int32_t> weldedTo;
  detail::weldPointsReference(soup.points, vertices, weldedTo);
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
  const std::pair<const char*, std::size_t> cases[] = {
      {"sphere", 10000}, {"sphere", 100000}, {"sphere", 1000000}, {"grid", 1000000}};
  for (const auto& [shape, n] : cases) {
    const std::string s = shape;
    const std::string tail = "/" + s + "/" + std::to_string(n);
    auto withUnit = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond)->UseRealTime(); };
    withUnit(benchmark::RegisterBenchmark(("WeldMesh" + tail).c_str(),
                                          [s, n = n](benchmark::State& st) { weldBench(st, s, n, weldMesh); }));
    withUnit(benchmark::RegisterBenchmark(("WeldPointsFast" + tail).c_str(),
                                          [s, n = n](benchmark::State& st) { fastPointsBench(st, s, n); }));
    withUnit(benchmark::RegisterBenchmark(("BuildTrianglesFast" + tail).c_str(),
                                          [s, n = n](benchmark::State& st) { fastTrianglesBench(st, s, n); }));
    withUnit(benchmark::RegisterBenchmark(("MeshoptRemap" + tail).c_str(),
                                          [s, n = n](benchmark::State& st) { meshoptBench(st, s, n); }));
    withUnit(benchmark::RegisterBenchmark(("WeldMeshReference" + tail).c_str(), [s, n = n](benchmark::State& st) {
      weldBench(st, s, n, detail::weldMeshReference);
    }));
    reportRatio("weld / meshopt remap" + tail, "WeldMesh" + tail + "/real_time", "MeshoptRemap" + tail + "/real_time");
    reportRatio("reference weld / weld" + tail, "WeldMeshReference" + tail + "/real_time",
                "WeldMesh" + tail + "/real_time");
  }
  return true;
}();

}  // namespace
}  // namespace veltrosan::bench
