// Base fixture of every test that drives the gateway through the simulated
// host: a fresh world before each test, and after it no outstanding host
// allocation and no wrong or double release.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
