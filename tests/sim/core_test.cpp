// The simulated host's bookkeeping: the ledger that catches wrong releases,
// planned faults, the call log, and host arrays.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/toolkit.h"
#include "sim/handout.hpp"
#include "support/sim_fixture.hpp"

namespace {

using Strings = std::vector<std::string>;
using testing_support::SimTest;

class SimCoreTest : public SimTest {
 protected:
  // Checks the one violation a case expects, then forgets it so that the
  // fixture's own check sees only what else went wrong.
  static void expectOneViolation(const std::string& mentioning) {
    auto& ledger = world().ledger;
    EXPECT_TRUE(ledger.outstanding().empty()) << testing_support::joinLines(ledger.outstanding());
    ASSERT_EQ(ledger.violations().size(), 1u) << testing_support::joinLines(ledger.violations());
    EXPECT_NE(ledger.violations()[0].find(mentioning), std::string::npos) << ledger.violations()[0];
    ledger.clear();
  }
};

TEST_F(SimCoreTest, WrongReleasesFailLoudlyAndFreeNothing) {
  struct Case {
    const char* what;
    std::function<StatusCode()> release;  // the wrong release, after any right ones
    const char* mentioning;
  };
  const std::vector<Case> cases = {
      {"double free of a wide string",
       [] {
         ProWchar* s = sim::handOutWstring(u"twice", "test");
         EXPECT_EQ(ProWstringFree(s), PRO_TK_NO_ERROR);
         return ProWstringFree(s);
       },
       "already released"},
      {"double free of an array",
       [] {
         ProArray a = nullptr;
         EXPECT_EQ(ProArrayAlloc(2, 4, 1, &a), PRO_TK_NO_ERROR);
         ProArray copy = a;
         EXPECT_EQ(ProArrayFree(&a), PRO_TK_NO_ERROR);
         EXPECT_EQ(a, nullptr);
         return ProArrayFree(&copy);
       },
       "already released"},
      {"wide string given to the array release",
       [] {
         ProWchar* s = sim::handOutWstring(u"text", "test");
         ProArray a = s;
         const StatusCode status = ProArrayFree(&a);
         EXPECT_EQ(a, static_cast<ProArray>(s)) << "a failed release keeps the pointer";
         EXPECT_EQ(ProWstringFree(s), PRO_TK_NO_ERROR);  // still live: the right release works
         return status;
       },
       "wide string from test, not a array"},
      {"array given to the wide-string release",
       [] {
         ProArray a = nullptr;
         EXPECT_EQ(ProArrayAlloc(1, 2, 1, &a), PRO_TK_NO_ERROR);
         const StatusCode status = ProWstringFree(static_cast<ProWchar*>(a));
         EXPECT_EQ(ProArrayFree(&a), PRO_TK_NO_ERROR);
         return status;
       },
       "array from ProArrayAlloc"},
      {"foreign wide string",
       [] {
         ProWchar own[] = u"mine";
         return ProWstringFree(own);
       },
       "never handed out"},
      {"foreign string array",
       [] {
         char name[] = "x";
         char* own[] = {name, nullptr};
         return ProStringarrayFree(own, 1);
       },
       "never handed out"},
      {"null array", [] {
         ProArray a = nullptr;
         return ProArrayFree(&a);
       },
       "null"},
      // Made to fail, a release still must have been given a block of its kind.
      {"foreign wide string given to a release made to fail",
       [] {
         world().faults.failOn("ProWstringFree", world().faults.calls("ProWstringFree") + 1, PRO_TK_BAD_INPUTS);
         ProWchar own[] = u"mine";
         return ProWstringFree(own);
       },
       "ProWstringFree (made to fail) was given a wide string that the host never handed out"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.release(), PRO_TK_BAD_INPUTS);
    expectOneViolation(c.mentioning);
  }
}

// A release made to fail keeps its block with the host, and only that
// block may be left when the test ends: the fixture releases it and names
// whatever else is held.
TEST_F(SimCoreTest, AFailedReleaseExcusesOnlyTheBlockItWasGiven) {
  ProArray kept = nullptr;
  ProArray other = nullptr;
  ASSERT_EQ(ProArrayAlloc(1, 4, 1, &kept), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProArrayAlloc(2, 4, 1, &other), PRO_TK_NO_ERROR);
  ProWchar* text = sim::handOutWstring(u"text", "test");
  world().faults.failOn("ProArrayFree", 1, PRO_TK_GENERAL_ERROR);
  world().faults.failOn("ProWstringFree", 1, PRO_TK_GENERAL_ERROR);
  EXPECT_EQ(ProArrayFree(&kept), PRO_TK_GENERAL_ERROR);
  EXPECT_EQ(ProWstringFree(text), PRO_TK_GENERAL_ERROR);
  EXPECT_EQ(world().ledger.kept(sim::Allocation::Array), std::vector<void*>{kept});
  EXPECT_EQ(world().ledger.kept(sim::Allocation::Wstring), std::vector<void*>{text});

  releaseLeftovers();
  EXPECT_EQ(world().ledger.outstanding(), Strings{"array from ProArrayAlloc"}) << "the array never released";
  EXPECT_EQ(world().ledger.live(sim::Allocation::Array), std::vector<void*>{other});
  EXPECT_TRUE(world().ledger.violations().empty());
  ASSERT_EQ(ProArrayFree(&other), PRO_TK_NO_ERROR);

  // A block released after all, or a new one at its address, is no longer excused.
  int at = 0;
  auto& ledger = world().ledger;
  ledger.add(&at, sim::Allocation::Array, "test");
  ledger.keepFailedRelease(&at, sim::Allocation::Array, "ProArrayFree");
  ASSERT_TRUE(ledger.remove(&at, sim::Allocation::Array, "ProArrayFree"));
  ledger.add(&at, sim::Allocation::Array, "test");
  EXPECT_TRUE(ledger.kept(sim::Allocation::Array).empty());
  ASSERT_TRUE(ledger.remove(&at, sim::Allocation::Array, "ProArrayFree"));
}

TEST_F(SimCoreTest, PlannedFaultsHitTheCallsTheyName) {
  struct Case {
    const char* what;
    std::function<void(sim::Faults&)> plan;
    std::vector<StatusCode> answers;  // of four calls of ProArraySizeGet
  };
  const std::vector<Case> cases = {
      {"none", [](sim::Faults&) {}, {0, 0, 0, 0}},
      {"the second only", [](sim::Faults& f) { f.failOn("ProArraySizeGet", 2, -11); }, {0, -11, 0, 0}},
      {"from the second on", [](sim::Faults& f) { f.failFrom("ProArraySizeGet", 2, -11); }, {0, -11, -11, -11}},
      {"always", [](sim::Faults& f) { f.failAlways("ProArraySizeGet", -70); }, {-70, -70, -70, -70}},
      {"two single calls",
       [](sim::Faults& f) {
         f.failOn("ProArraySizeGet", 1, -1);
         f.failOn("ProArraySizeGet", 3, -2);
       },
       {-1, 0, -2, 0}},
      {"another function", [](sim::Faults& f) { f.failAlways("ProArrayFree", -1); }, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sim::reset();
    ProArray a = nullptr;
    ASSERT_EQ(ProArrayAlloc(5, 4, 1, &a), PRO_TK_NO_ERROR);
    c.plan(world().faults);
    for (size_t k = 0; k < c.answers.size(); ++k) {
      int size = -1;
      EXPECT_EQ(ProArraySizeGet(a, &size), c.answers[k]) << "call " << k + 1;
      EXPECT_EQ(size, c.answers[k] == 0 ? 5 : -1) << "a planned fault does not run the call";
      EXPECT_EQ(world().log.calls().back().injected, c.answers[k]);
    }
    EXPECT_EQ(world().faults.calls("ProArraySizeGet"), 4);
    world().faults.clear();
    ASSERT_EQ(ProArrayFree(&a), PRO_TK_NO_ERROR);
    expectLedgerClean();
  }
}

TEST_F(SimCoreTest, CallLogKeepsOrderArgumentsAndCounts) {
  ProArray a = nullptr;
  ASSERT_EQ(ProArrayAlloc(3, 8, 2, &a), PRO_TK_NO_ERROR);
  int size = 0;
  ASSERT_EQ(ProArraySizeGet(a, &size), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProArraySizeGet(a, &size), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProArrayFree(&a), PRO_TK_NO_ERROR);

  const auto& log = world().log;
  EXPECT_EQ(log.names(), (Strings{"ProArrayAlloc", "ProArraySizeGet", "ProArraySizeGet", "ProArrayFree"}));
  EXPECT_EQ(log.names({"ProArrayFree", "ProArrayAlloc"}), (Strings{"ProArrayAlloc", "ProArrayFree"}));
  EXPECT_EQ(log.calls()[0].args, "3,8,2");
  EXPECT_EQ(log.count("ProArraySizeGet"), 2);
  EXPECT_EQ(log.count("ProMdlCurrentGet"), 0);
  EXPECT_EQ(log.counts(), (std::map<std::string, int>{{"ProArrayAlloc", 1}, {"ProArraySizeGet", 2}, {"ProArrayFree", 1}}));
}

TEST_F(SimCoreTest, HostArraysAreZeroFilledSizedAndChecked) {
  ProArray a = nullptr;
  ASSERT_EQ(ProArrayAlloc(3, 8, 1, &a), PRO_TK_NO_ERROR);
  const auto* bytes = static_cast<const unsigned char*>(a);
  for (int k = 0; k < 24; ++k) EXPECT_EQ(bytes[k], 0) << "byte " << k;
  int size = -1;
  EXPECT_EQ(ProArraySizeGet(a, &size), PRO_TK_NO_ERROR);
  EXPECT_EQ(size, 3);
  EXPECT_EQ(ProArraySizeGet(a, nullptr), PRO_TK_BAD_INPUTS);
  ProArray stale = a;
  ASSERT_EQ(ProArrayFree(&a), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProArraySizeGet(stale, &size), PRO_TK_BAD_INPUTS) << "a released array has no size";

  ProArray empty = nullptr;
  ASSERT_EQ(ProArrayAlloc(0, 4, 1, &empty), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProArraySizeGet(empty, &size), PRO_TK_NO_ERROR);
  EXPECT_EQ(size, 0);
  EXPECT_EQ(ProArrayFree(&empty), PRO_TK_NO_ERROR);

  ProWchar* text = sim::handOutWstring(u"not an array", "test");
  EXPECT_EQ(ProArraySizeGet(text, &size), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProWstringFree(text), PRO_TK_NO_ERROR);

  struct Bad {
    int count, size, step;
  };
  for (const Bad b : {Bad{-1, 4, 1}, Bad{1, 0, 1}, Bad{1, -4, 1}, Bad{1, 4, 0}}) {
    ProArray out = nullptr;
    EXPECT_EQ(ProArrayAlloc(b.count, b.size, b.step, &out), PRO_TK_BAD_INPUTS) << b.count << "," << b.size << "," << b.step;
    EXPECT_EQ(out, nullptr);
  }
  EXPECT_EQ(ProArrayAlloc(1, 4, 1, nullptr), PRO_TK_BAD_INPUTS);
}

}  // namespace
