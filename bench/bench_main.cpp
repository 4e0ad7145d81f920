// Runs the model benchmarks, then prints the registered ratios.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench_support.hpp"

namespace veltrosan::bench {

namespace {

struct Ratio {
  std::string label, numerator, denominator;
};

std::vector<Ratio>& ratios() {
  static std::vector<Ratio> list;
  return list;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The console output as usual, plus the seconds per iteration of every
// repetition, by benchmark name.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
      seconds_[run.run_name.str()].push_back(run.real_accumulated_time / static_cast<double>(run.iterations));
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    bool header = false;
    for (const Ratio& r : ratios()) {
      const auto num = seconds_.find(r.numerator);
      const auto den = seconds_.find(r.denominator);
      if (num == seconds_.end() || den == seconds_.end()) continue;
      if (!header) {
        std::printf("\nRatios of time per iteration (median over repetitions; range pairs repetition i with i)\n");
        header = true;
      }
      std::vector<double> each;
      for (std::size_t i = 0; i < std::min(num->second.size(), den->second.size()); ++i) {
        each.push_back(num->second[i] / den->second[i]);
      }
      std::printf("  %-44s %.3f", r.label.c_str(), median(num->second) / median(den->second));
      if (each.size() > 1) {
        std::printf("  (range %.3f .. %.3f over %zu)", *std::min_element(each.begin(), each.end()),
                    *std::max_element(each.begin(), each.end()), each.size());
      }
      std::printf("\n");
    }
  }

 private:
  std::map<std::string, std::vector<double>> seconds_;
};

}  // namespace

void reportRatio(const std::string& label, const std::string& numerator, const std::string& denominator) {
  ratios().push_back(Ratio{label, numerator, denominator});
}

}  // namespace veltrosan::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  veltrosan::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
