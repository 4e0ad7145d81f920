#include "sim/core.hpp"

#include <cstdio>

#include "sim/world.hpp"

namespace sim {

std::vector<std::string> CallLog::names() const {
  std::vector<std::string> out;
  out.reserve(calls_.size());
  for (const auto& c : calls_) out.push_back(c.function);
  return out;
}

std::vector<std::string> CallLog::names(const std::vector<std::string>& only) const {
  std::vector<std::string> out;
  for (const auto& c : calls_) {
    for (const auto& name : only) {
      if (c.function == name) {
        out.push_back(c.function);
        break;
      }
    }
  }
  return out;
}

int CallLog::count(const std::string& function) const {
  int n = 0;
  for (const auto& c : calls_) n += c.function == function ? 1 : 0;
  return n;
}

std::map<std::string, int> CallLog::counts() const {
  std::map<std::string, int> out;
  for (const auto& c : calls_) ++out[c.function];
  return out;
}

const char* allocationName(Allocation kind) {
  switch (kind) {
    case Allocation::Array: return "array";
    case Allocation::StringArray: return "string array";
    case Allocation::Wstring: return "wide string";
    case Allocation::PartTessellation: return "part tessellation";
    case Allocation::SurfaceTessellation: return "surface tessellation";
    case Allocation::TessellationInput: return "tessellation input";
    case Allocation::Geomitemdata: return "geometry data";
    case Allocation::FacetVertices: return "facet vertices";
  }
  return "?";
}

void Ledger::add(const void* p, Allocation kind, std::string origin, int elements, int elementSize) {
  entries_[p] = Entry{kind, std::move(origin), elements, elementSize};
  kept_.erase(p);  // a new block at the address of one released before
}

std::string Ledger::problem(const void* p, Allocation kind, const std::string& releaser) const {
  auto it = entries_.find(p);
  if (p == nullptr) return releaser + " was given a null " + allocationName(kind);
  if (it == entries_.end()) {
    return releaser + " was given a " + allocationName(kind) +
           " that the host never handed out or that was already released";
  }
  if (it->second.kind != kind) {
    return releaser + " was given a " + allocationName(it->second.kind) + " from " + it->second.origin +
           ", not a " + allocationName(kind);
  }
  return {};
}

void Ledger::violation(const std::string& what) {
  violations_.push_back(what);
  std::fprintf(stderr, "sim ledger violation: %s\n", what.c_str());
}

bool Ledger::remove(const void* p, Allocation kind, const std::string& releaser) {
  const std::string wrong = problem(p, kind, releaser);
  if (!wrong.empty()) {
    violation(wrong);
    return false;
  }
  entries_.erase(p);
  kept_.erase(p);
  return true;
}

void Ledger::keepFailedRelease(const void* p, Allocation kind, const std::string& releaser) {
  const std::string wrong = problem(p, kind, releaser + " (made to fail)");
  if (!wrong.empty()) {
    violation(wrong);
    return;
  }
  kept_.insert(p);
}

const Ledger::Entry* Ledger::find(const void* p) const {
  auto it = entries_.find(p);
  return it == entries_.end() ? nullptr : &it->second;
}

Ledger::Entry* Ledger::find(const void* p) {
  auto it = entries_.find(p);
  return it == entries_.end() ? nullptr : &it->second;
}

std::vector<std::string> Ledger::outstanding() const {
  std::vector<std::string> out;
  for (const auto& [p, e] : entries_) out.push_back(std::string(allocationName(e.kind)) + " from " + e.origin);
  return out;
}

std::vector<void*> Ledger::live(Allocation kind) const {
  std::vector<void*> out;
  for (const auto& [p, e] : entries_) {
    if (e.kind == kind) out.push_back(const_cast<void*>(p));
  }
  return out;
}

std::vector<void*> Ledger::kept(Allocation kind) const {
  std::vector<void*> out;
  for (const void* p : kept_) {
    if (entries_.at(p).kind == kind) out.push_back(const_cast<void*>(p));
  }
  return out;
}

void Ledger::clear() {
  entries_.clear();
  kept_.clear();
  violations_.clear();
}

void Faults::failOn(const std::string& function, int nth, StatusCode status) {
  plans_[function].push_back(Plan{nth, false, status});
}

void Faults::failFrom(const std::string& function, int nth, StatusCode status) {
  plans_[function].push_back(Plan{nth, true, status});
}

void Faults::clear() {
  plans_.clear();
  counts_.clear();
}

std::optional<StatusCode> Faults::check(const std::string& function) {
  const int n = ++counts_[function];
  auto it = plans_.find(function);
  if (it == plans_.end()) return std::nullopt;
  for (const auto& plan : it->second) {
    if (n == plan.nth || (plan.onward && n > plan.nth)) return plan.status;
  }
  return std::nullopt;
}

int Faults::calls(const std::string& function) const {
  auto it = counts_.find(function);
  return it == counts_.end() ? 0 : it->second;
}

std::optional<StatusCode> enter(const char* function, std::string args) {
  World& w = world();
  auto fault = w.faults.check(function);
  w.log.add(Call{function, std::move(args), fault.value_or(0)});
  return fault;
}

std::optional<StatusCode> enterRelease(const char* function, std::string args, const void* block, Allocation kind) {
  auto fault = enter(function, std::move(args));
  if (fault) world().ledger.keepFailedRelease(block, kind, function);
  return fault;
}

}  // namespace sim
