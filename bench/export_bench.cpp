// The model walk on a large assembly through the simulated host: 1,000
// occurrences of 100 distinct parts of about 10,000 triangles each, in ten
// sub-assemblies. Each distinct part is tessellated once; the other 900
// occurrences cost a few host queries each.
//
// The world, meshes included, is built before timing. What the simulated host
// itself spends handing out the tessellations (copying each mesh into host
// arrays and releasing them) is measured on its own by BM_SimTessellationShare
// and reported beside the walk, so that the gateway's share can be told apart.
// Peak memory is the most heap held above the start of one walk, the
// transfer model's records and the host's transient arrays included.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "export/creo_export.hpp"
#include "messages/messages.hpp"
#include "sim/handles.hpp"
#include "sim/shapes.hpp"
#include "sim/world.hpp"

namespace {

// Heap accounting of this binary: every block carries its size in front.
std::atomic<std::size_t> heapInUse{0};
std::atomic<std::size_t> heapPeak{0};
constexpr std::size_t kHeader = 16;

void* allocate(std::size_t size) {
  void* block = std::malloc(size + kHeader);
  if (block == nullptr) throw std::bad_alloc();
  *static_cast<std::size_t*>(block) = size;
  const std::size_t now = heapInUse += size;
  std::size_t peak = heapPeak.load();
  while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
  }
  return static_cast<char*>(block) + kHeader;
}

void release(void* p) noexcept {
  if (p == nullptr) return;
  void* block = static_cast<char*>(p) - kHeader;
  heapInUse -= *static_cast<std::size_t*>(block);
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

namespace {

constexpr int kParts = 100;
constexpr int kSubAssemblies = 10;

// 100 parts, each a torus of 50 x 100 segments (10,000 triangles) beside a
// box, owned by a feature that carries the CTI.
void buildWorld() {
  sim::reset();
  veltrosan::setMessageFile();
  auto& w = sim::world();
  std::vector<sim::Model*> parts;
  for (int p = 0; p < kParts; ++p) {
    sim::Model& part = w.addModel(u"PART_" + std::u16string(1, char16_t(u'A' + p / 10)) +
                                      std::u16string(1, char16_t(u'0' + p % 10)),
                                  PRO_MDL_PART);
    sim::Feature solid;
    solid.id = 1;
    solid.parameters = {sim::Parameter::integer(u"COMPARATIVE_TRACKING_INDEX", 100 + p)};
    part.features = {solid};
    const double size = 10 + p;
    part.surfaces = sim::torusSurfaces(size, size / 5, 50, 100, {0, 0, 0}, {1, 1});
    auto box = sim::boxSurfaces({size, size, size / 10}, {0, 0, -size / 2}, {2, 1});
    part.surfaces.insert(part.surfaces.end(), box.begin(), box.end());
    parts.push_back(&part);
  }
  sim::Model& top = w.addModel(u"PLANT", PRO_MDL_ASSEMBLY);
  for (int s = 0; s < kSubAssemblies; ++s) {
    sim::Model& sub = w.addModel(u"LINE_" + std::u16string(1, char16_t(u'0' + s)), PRO_MDL_ASSEMBLY);
    int id = 1;
    for (int p = 0; p < kParts; ++p) {
      sim::Feature f;
      f.id = id++;
      f.type = PRO_FEAT_COMPONENT;
      f.model = parts[static_cast<size_t>(p)];
      f.placement = sim::translation({1000.0 * p, 1000.0 * s, 0});
      f.color = sim::Rgb{0.1 * (p % 10), 0.5, 0.1 * s};
      sub.features.push_back(f);
    }
    sim::Feature f;
    f.id = s + 1;
    f.type = PRO_FEAT_COMPONENT;
    f.model = &sub;
    f.placement = sim::translation({0, 0, 100.0 * s});
    top.features.push_back(f);
  }
  w.current = &top;
}

const veltrosan::AttributeRequestList& requests() {
  static const veltrosan::AttributeRequestList list = {{"COMPARATIVE_TRACKING_INDEX", 1}};
  return list;
}

void BM_ExportAssembly(benchmark::State& state) {
  buildWorld();
  std::size_t peak = 0;
  std::size_t triangles = 0;
  std::size_t instances = 0;
  for (auto _ : state) {
    state.PauseTiming();
    sim::world().log.clear();
    auto model = std::make_unique<veltrosan::TransferModel>();
    const std::size_t base = heapInUse.load();
    heapPeak = base;
    state.ResumeTiming();

    const StatusCode status = veltrosan::CreoExport::exportModel(model.get(), requests());

    state.PauseTiming();
    if (status != PRO_TK_NO_ERROR) state.SkipWithError("the export failed");
    peak = std::max(peak, heapPeak.load() - base);
    triangles = 0;
    for (const auto& part : model->parts) triangles += part.bodies[0].triangles.size();
    instances = model->instances.size();
    model.reset();
    state.ResumeTiming();
  }
  delete veltrosan::currentExport;
  veltrosan::currentExport = nullptr;
  state.counters["peak_MiB"] = double(peak) / (1024.0 * 1024.0);
  state.counters["triangles"] = double(triangles);
  state.counters["instances"] = double(instances);
  state.counters["host_calls"] = double(sim::world().log.calls().size());
}
BENCHMARK(BM_ExportAssembly)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);

// What the simulated host spends on the walk's whole-part tessellations:
// the same 100 ProPartTessellate calls and their releases, nothing else.
void BM_SimTessellationShare(benchmark::State& state) {
  buildWorld();
  std::vector<ProMdl> parts;
  for (auto& m : sim::world().models)
    if (m->type == PRO_MDL_PART) parts.push_back(sim::handle(*m));
  for (auto _ : state) {
    for (ProMdl part : parts) {
      ProSurfaceTessellationData* tess = nullptr;
      if (ProPartTessellate(part, 0.06, 0.6, 1, &tess) != PRO_TK_NO_ERROR) state.SkipWithError("tessellation failed");
      benchmark::DoNotOptimize(tess);
      ProPartTessellationFree(&tess);
    }
    state.PauseTiming();
    sim::world().log.clear();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SimTessellationShare)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);

// The cost of one further occurrence: 1,000 placements of one small part.
void BM_ExportRepeatedOccurrences(benchmark::State& state) {
  sim::reset();
  veltrosan::setMessageFile();
  auto& w = sim::world();
  sim::Model& part = w.addModel(u"PIN", PRO_MDL_PART);
  sim::Feature solid;
  solid.id = 1;
  solid.parameters = {sim::Parameter::integer(u"COMPARATIVE_TRACKING_INDEX", 600)};
  part.features = {solid};
  part.surfaces = sim::boxSurfaces({1, 1, 1}, {0, 0, 0}, {1, 1});
  sim::Model& top = w.addModel(u"RACK", PRO_MDL_ASSEMBLY);
  for (int i = 0; i < 1000; ++i) {
    sim::Feature f;
    f.id = i + 1;
    f.type = PRO_FEAT_COMPONENT;
    f.model = &part;
    f.placement = sim::translation({10.0 * (i % 40), 10.0 * (i / 40), 0});
    top.features.push_back(f);
  }
  w.current = &top;
  for (auto _ : state) {
    state.PauseTiming();
    w.log.clear();
    veltrosan::TransferModel model;
    state.ResumeTiming();
    if (veltrosan::CreoExport::exportModel(&model, requests()) != PRO_TK_NO_ERROR) state.SkipWithError("failed");
  }
  state.counters["occurrences"] = 1000;
  state.counters["host_calls_per_occurrence"] = double(w.log.calls().size()) / 1000.0;
  delete veltrosan::currentExport;
  veltrosan::currentExport = nullptr;
}
BENCHMARK(BM_ExportRepeatedOccurrences)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
