// The simulated host's bookkeeping: the call log, the allocation ledger and
// fault injection. Every simulated toolkit function starts with SIM_ENTER,
// which logs the call and answers a planned fault instead of running it;
// the releases start with SIM_ENTER_RELEASE, which also tells the ledger
// which block a release made to fail left with the host.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/status.h"

namespace sim {

// ---------------------------------------------------------------------------
// Call log

struct Call {
  std::string function;
  std::string args;  // key arguments, formatted by the function itself
  StatusCode injected = 0;  // the planned fault it answered, or 0
};

class CallLog {
 public:
  void add(Call call) { calls_.push_back(std::move(call)); }
  const std::vector<Call>& calls() const { return calls_; }
  // The functions called, in order; optionally only those named in `only`.
  std::vector<std::string> names() const;
  std::vector<std::string> names(const std::vector<std::string>& only) const;
  int count(const std::string& function) const;
  // Number of calls per function, for sweeping a fault over every call site.
  std::map<std::string, int> counts() const;
  void clear() { calls_.clear(); }

 private:
  std::vector<Call> calls_;
};

// ---------------------------------------------------------------------------
// Allocation ledger

enum class Allocation {
  Array,                 // ProArrayAlloc, and host arrays handed out (ids, vertices, facets)
  StringArray,           // name lists released with ProStringarrayFree
  Wstring,               // wide strings released with ProWstringFree
  PartTessellation,      // ProPartTessellate's array, released with ProPartTessellationFree
  SurfaceTessellation,   // ProSurfaceTessellationGet, released with ProTessellationFree
  TessellationInput,     // ProSurfacetessellationinputAlloc, released with ProSurfacetessellationinputFree
  Geomitemdata,          // ProSurfaceDataGet / ProEdgeDataGet, released with ProGeomitemdataFree
  FacetVertices,         // ProFacetVerticesGet, released with ProFacetverticesFree
};

const char* allocationName(Allocation kind);

class Ledger {
 public:
  struct Entry {
    Allocation kind;
    std::string origin;  // the function that handed it out
    int elements = 0;    // element count of host arrays (ProArraySizeGet)
    int elementSize = 0;
  };

  void add(const void* p, Allocation kind, std::string origin, int elements = 0, int elementSize = 0);
  // Removes the entry. A pointer never handed out, already released or of
  // another kind is a violation: recorded, printed to stderr, and answered
  // with false so the caller returns a failure.
  bool remove(const void* p, Allocation kind, const std::string& releaser);
  // A release made to fail leaves its block with the host: it may stay
  // outstanding, and it alone. What the failed release was given is checked
  // as remove() checks it.
  void keepFailedRelease(const void* p, Allocation kind, const std::string& releaser);
  const Entry* find(const void* p) const;
  Entry* find(const void* p);

  std::vector<std::string> outstanding() const;  // "kind from origin", one per live entry
  // The live blocks of one kind.
  std::vector<void*> live(Allocation kind) const;
  // The live blocks of one kind that a release made to fail was given.
  std::vector<void*> kept(Allocation kind) const;
  const std::vector<std::string>& violations() const { return violations_; }
  bool clean() const { return entries_.empty() && violations_.empty(); }
  void clear();

 private:
  // Why `releaser` may not release `p` as a `kind`; empty when it may.
  std::string problem(const void* p, Allocation kind, const std::string& releaser) const;
  void violation(const std::string& what);

  std::map<const void*, Entry> entries_;
  std::set<const void*> kept_;  // live blocks a release made to fail was given
  std::vector<std::string> violations_;
};

// ---------------------------------------------------------------------------
// Fault injection

class Faults {
 public:
  // The nth call (counted from 1) of `function` answers `status`.
  void failOn(const std::string& function, int nth, StatusCode status);
  // The nth call and every later one answer `status`.
  void failFrom(const std::string& function, int nth, StatusCode status);
  void failAlways(const std::string& function, StatusCode status) { failFrom(function, 1, status); }
  void clear();

  // Counts the call and answers the planned status, if any.
  std::optional<StatusCode> check(const std::string& function);
  int calls(const std::string& function) const;

 private:
  struct Plan {
    int nth;
    bool onward;
    StatusCode status;
  };
  std::map<std::string, std::vector<Plan>> plans_;
  std::map<std::string, int> counts_;
};

// Logs the call and answers a planned fault, if any. Functions call it through
// SIM_ENTER, or directly when they return nothing.
std::optional<StatusCode> enter(const char* function, std::string args = {});
// enter() for a release given `block`: when a planned fault answers, the
// block stays with the host, and the ledger notes that it may.
std::optional<StatusCode> enterRelease(const char* function, std::string args, const void* block, Allocation kind);

}  // namespace sim

#define SIM_ENTER(function, args)                           \
  do {                                                      \
    if (auto sim_fault_ = ::sim::enter(function, args)) {   \
      return *sim_fault_;                                   \
    }                                                       \
  } while (false)

#define SIM_ENTER_RELEASE(function, args, block, kind)                          \
  do {                                                                         \
    if (auto sim_fault_ = ::sim::enterRelease(function, args, block, kind)) {  \
      return *sim_fault_;                                                      \
    }                                                                          \
  } while (false)
