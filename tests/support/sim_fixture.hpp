// Base fixture of every test that drives the gateway through the simulated
// host: a fresh world before each test, and after it nothing held but what
// a release or close made to fail was given, and no wrong or double release.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/toolkit.h"
#include "sim/text.hpp"
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
  void TearDown() override {
    releaseLeftovers();
    expectLedgerClean();
  }

  static sim::World& world() { return sim::world(); }

  // What a run may leave: only the blocks handed to a release made to fail,
  // and off Windows only the keys and handles handed to a close made to
  // fail. Clears the planned faults, releases those blocks through their own
  // calls and lets go of those keys and handles; anything else held stays,
  // for expectLedgerClean to name.
  static void releaseLeftovers() {
    auto& w = sim::world();
    w.faults.clear();
    using sim::Allocation;
    for (void* p : w.ledger.kept(Allocation::Array)) {
      ProArray array = p;
      ProArrayFree(&array);
    }
    for (void* p : w.ledger.kept(Allocation::PartTessellation)) {
      auto* tess = static_cast<ProSurfaceTessellationData*>(p);
      ProPartTessellationFree(&tess);
    }
    for (void* p : w.ledger.kept(Allocation::SurfaceTessellation)) ProTessellationFree(static_cast<ProTessellation>(p));
    for (void* p : w.ledger.kept(Allocation::TessellationInput))
      ProSurfacetessellationinputFree(static_cast<ProSurfaceTessellationInput>(p));
    for (void* p : w.ledger.kept(Allocation::Geomitemdata)) {
      auto* data = static_cast<ProGeomitemdata*>(p);
      ProGeomitemdataFree(&data);
    }
    for (void* p : w.ledger.kept(Allocation::FacetVertices)) ProFacetverticesFree(static_cast<ProFacetVertex*>(p));
    for (void* p : w.ledger.kept(Allocation::Wstring)) ProWstringFree(static_cast<ProWchar*>(p));
    for (void* p : w.ledger.kept(Allocation::StringArray))
      ProStringarrayFree(static_cast<char**>(p), w.ledger.find(p)->elements);
    for (uintptr_t key : w.os.keysKeptByFailedClose) w.os.openKeys.erase(key);
    for (uintptr_t handle : w.os.handlesKeptByFailedClose) w.os.openHandles.erase(handle);
  }

  // Nothing held and no wrong release; what is held is named. After
  // releaseLeftovers, what it names was leaked by the gateway.
  static void expectLedgerClean() {
    const auto& w = sim::world();
    EXPECT_TRUE(w.ledger.outstanding().empty()) << "host allocations held (none given to a release made to fail):\n"
                                                << joinLines(w.ledger.outstanding());
    EXPECT_TRUE(w.ledger.violations().empty()) << "ledger violations:\n" << joinLines(w.ledger.violations());
    std::vector<std::string> keys;
    for (const auto& [handle, key] : w.os.openKeys)
      keys.push_back(sim::utf8(key.path) + " (access " + std::to_string(key.access) + ")");
    EXPECT_TRUE(keys.empty()) << "registry keys left open:\n" << joinLines(keys);
    std::vector<std::string> handles;
    for (const auto& [handle, what] : w.os.openHandles) handles.push_back(what);
    EXPECT_TRUE(handles.empty()) << "process or thread handles left open:\n" << joinLines(handles);
  }
};

// A fixture run whole inside another test: its set-up, `body` and its
// teardown, for tests of what a fixture leaves behind.
template <typename Fixture>
class WholeFixture : public Fixture {
 public:
  void run() {
    this->SetUp();
    if (!::testing::Test::HasFatalFailure()) body();
    this->TearDown();
  }

 protected:
  virtual void body() = 0;

 private:
  void TestBody() override { body(); }
};

}  // namespace testing_support
