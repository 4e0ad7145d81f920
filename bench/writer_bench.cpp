// The transfer-file writer on a model of 10^6 triangles against writing the
// same number of bytes into a file from one buffer through the same sink.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_support.hpp"
#include "model/binary_writer.hpp"

namespace veltrosan::bench {
namespace {

constexpr std::size_t kTriangles = 1000000;

std::vector<char> readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct WriterFixture {
  TransferModel model;
  std::string path;
  std::vector<char> bytes;  // the file the model gives

  WriterFixture() : model(modelOf(sphereSoup(kTriangles))), path(outputFolder() + "/veltrosan_bench.vtq") {
    if (model.write(path) == kWriteOk) bytes = readWhole(path);
  }
  ~WriterFixture() { std::remove(path.c_str()); }
};

WriterFixture& fixture() {
  static WriterFixture f;
  return f;
}

void writeModel(benchmark::State& state) {
  WriterFixture& f = fixture();
  for (auto _ : state) {
    if (f.model.write(f.path) != kWriteOk) {
      state.SkipWithError("cannot write the transfer file");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(f.bytes.size()));
  state.counters["file_MB"] = static_cast<double>(f.bytes.size()) / 1e6;
}

void writeOneBuffer(benchmark::State& state) {
  WriterFixture& f = fixture();
  for (auto _ : state) {
    FileSink sink;
    if (!sink.open(f.path) || !sink.write(f.bytes.data(), f.bytes.size()) || !sink.close()) {
      state.SkipWithError("cannot write the file");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(f.bytes.size()));
  state.counters["file_MB"] = static_cast<double>(f.bytes.size()) / 1e6;
}

const bool registered = [] {
  benchmark::RegisterBenchmark("WriteModel/1000000", writeModel)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("WriteOneBuffer/1000000", writeOneBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();
  // Times of the same bytes: one buffer over the writer is the writer's share
  // of the one-buffer rate.
  reportRatio("writer rate / one-buffer rate", "WriteOneBuffer/1000000/real_time", "WriteModel/1000000/real_time");
  return true;
}();

}  // namespace
}  // namespace veltrosan::bench
