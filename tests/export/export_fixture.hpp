// Fixture of the export tests that drive single operations: a fresh
// simulated host with the message file set, a CreoExport object of the
// test's own behind currentExport, and a current-part context that the test
// fills as part processing would.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "export/creo_export.hpp"
#include "messages/messages.hpp"
#include "sim/handles.hpp"
#include "support/sim_fixture.hpp"

namespace veltrosan::test {

inline constexpr char kCti[] = "COMPARATIVE_TRACKING_INDEX";

class CurrentPartTest : public testing_support::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    setMessageFile();
    freshExport();
  }

  void TearDown() override {
    currentExport = nullptr;
    SimTest::TearDown();
  }

  // A new object behind currentExport, with the CTI request alone.
  void freshExport() {
    exporter = std::make_unique<CreoExport>();
    exporter->requests = {AttributeRequest{kCti, 1}};
    currentExport = exporter.get();
    body = BodyRecord();
    soup = TriangleSoup();
  }

  // The current-part context of `part`, as part processing fills it before
  // the surface visit.
  void enterPart(sim::Model& part, const std::string& unitName = "mm", double factor = 1.0) {
    partHandle = sim::handle(part);
    unit = unitName;
    unitFactorValue = factor;
    exporter->currentPart = &partHandle;
    exporter->currentUnit = &unit;
    exporter->currentFactor = &unitFactorValue;
    exporter->currentBody = &body;
    exporter->currentSoup = &soup;
  }

  // The surface being repaired, as the per-surface visit sets it.
  void repairing(sim::Surface& surface) {
    surfaceHandle = sim::handle(surface);
    exporter->currentSurface = &surfaceHandle;
  }

  // Every line the message area has shown, oldest first.
  static std::vector<std::string> shownTexts() {
    std::vector<std::string> out;
    for (const auto& line : world().messages.shown) out.push_back(line.text);
    return out;
  }

  // Reruns a scenario once per call of every host function in `counts` (the
  // log of a clean run), each time in a fresh world and object whose nth call
  // of that function answers `status`: `prepare` builds the world, `run`
  // makes the call and checks it for the failing function. Returns the runs.
  template <typename Prepare, typename Run>
  int sweepFaults(const std::map<std::string, int>& counts, StatusCode status, Prepare prepare, Run run) {
    int runs = 0;
    for (const auto& [function, count] : counts) {
      for (int n = 1; n <= count; ++n) {
        SCOPED_TRACE(function + " #" + std::to_string(n));
        sim::reset();
        setMessageFile();
        freshExport();
        prepare();
        world().faults.failOn(function, n, status);
        run(function);
        ++runs;
      }
    }
    return runs;
  }

  std::unique_ptr<CreoExport> exporter;
  BodyRecord body;
  TriangleSoup soup;
  ProMdl partHandle = nullptr;
  ProSurface surfaceHandle = nullptr;
  std::string unit = "mm";
  double unitFactorValue = 1.0;
};

}  // namespace veltrosan::test
