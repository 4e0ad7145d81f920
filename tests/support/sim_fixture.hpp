// Base fixture of every test that drives the gateway through the simulated
// host: a fresh world before each test, and after it no outstanding host
// allocation and no wrong or double release.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/toolkit.h"
#include "sim/world.hpp"

namespace testing_support {

inline std::string joinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += "  " + l + "\n";
  return out;
}

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override { sim::reset(); }
  void TearDown() override { expectLedgerClean(); }

  static sim::World& world() { return sim::world(); }

  // Clears the planned faults and releases, through their own calls, the
  // blocks that releases made to fail left with the host; then nothing is
  // outstanding. Off Windows, keys and handles whose close failed are let go.
  static void releaseLeftovers() {
    auto& w = sim::world();
    w.faults.clear();
    using sim::Allocation;
    for (void* p : w.ledger.live(Allocation::Array)) {
      ProArray array = p;
      ProArrayFree(&array);
    }
    for (void* p : w.ledger.live(Allocation::PartTessellation)) {
      auto* tess = static_cast<ProSurfaceTessellationData*>(p);
      ProPartTessellationFree(&tess);
    }
    for (void* p : w.ledger.live(Allocation::SurfaceTessellation)) ProTessellationFree(static_cast<ProTessellation>(p));
    for (void* p : w.ledger.live(Allocation::TessellationInput))
      ProSurfacetessellationinputFree(static_cast<ProSurfaceTessellationInput>(p));
    for (void* p : w.ledger.live(Allocation::Geomitemdata)) {
      auto* data = static_cast<ProGeomitemdata*>(p);
      ProGeomitemdataFree(&data);
    }
    for (void* p : w.ledger.live(Allocation::FacetVertices)) ProFacetverticesFree(static_cast<ProFacetVertex*>(p));
    for (void* p : w.ledger.live(Allocation::Wstring)) ProWstringFree(static_cast<ProWchar*>(p));
    for (void* p : w.ledger.live(Allocation::StringArray))
      ProStringarrayFree(static_cast<char**>(p), w.ledger.find(p)->elements);
    w.os.openKeys.clear();
    w.os.openHandles.clear();
  }

  static void expectLedgerClean() {
    const auto& ledger = sim::world().ledger;
    EXPECT_TRUE(ledger.outstanding().empty()) << "outstanding host allocations:\n"
                                              << joinLines(ledger.outstanding());
    EXPECT_TRUE(ledger.violations().empty()) << "ledger violations:\n" << joinLines(ledger.violations());
    EXPECT_TRUE(sim::world().os.openKeys.empty()) << "registry keys left open";
    EXPECT_TRUE(sim::world().os.openHandles.empty()) << "process or thread handles left open";
  }
};

}  // namespace testing_support
