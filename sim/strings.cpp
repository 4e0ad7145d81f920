// Host arrays, host strings and the toolkit's narrow/wide copies.
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/toolkit.h"
#include "sim/handout.hpp"
#include "sim/text.hpp"
#include "sim/world.hpp"

namespace sim {

void* handOutArray(int count, int size, const char* origin, Allocation kind) {
  const size_t bytes = static_cast<size_t>(count > 0 ? count : 0) * static_cast<size_t>(size > 0 ? size : 0);
  void* p = std::calloc(bytes > 0 ? bytes : 1, 1);
  world().ledger.add(p, kind, origin, count, size);
  return p;
}

void freeArrayBlock(void* p) { std::free(p); }

ProWchar* handOutWstring(const std::u16string& text, const char* origin) {
  auto* p = new ProWchar[text.size() + 1];
  std::memcpy(p, text.data(), text.size() * sizeof(ProWchar));
  p[text.size()] = 0;
  world().ledger.add(p, Allocation::Wstring, origin);
  return p;
}

char** handOutStringArray(const std::vector<std::string>& names, const char* origin) {
  auto** array = new char*[names.size() + 1];
  for (size_t i = 0; i < names.size(); ++i) {
    array[i] = new char[names[i].size() + 1];
    std::memcpy(array[i], names[i].c_str(), names[i].size() + 1);
  }
  array[names.size()] = nullptr;
  world().ledger.add(array, Allocation::StringArray, origin, static_cast<int>(names.size()));
  return array;
}

}  // namespace sim

using sim::Allocation;
using sim::world;

extern "C" {

StatusCode ProArrayAlloc(int n_objs, int obj_size, int reallocation_size, ProArray* p_array) {
  SIM_ENTER("ProArrayAlloc", std::to_string(n_objs) + "," + std::to_string(obj_size) + "," +
                                 std::to_string(reallocation_size));
  if (p_array == nullptr || n_objs < 0 || obj_size <= 0 || reallocation_size <= 0) return PRO_TK_BAD_INPUTS;
  *p_array = sim::handOutArray(n_objs, obj_size, "ProArrayAlloc");
  return PRO_TK_NO_ERROR;
}

StatusCode ProArrayFree(ProArray* p_array) {
  // The block is named by the call that handed it out: one release call
  // serves arrays of many origins.
  const auto* entry = p_array == nullptr ? nullptr : world().ledger.find(*p_array);
  SIM_ENTER_RELEASE("ProArrayFree", entry != nullptr && entry->kind == Allocation::Array ? entry->origin : "?",
                    p_array == nullptr ? nullptr : *p_array, Allocation::Array);
  if (p_array == nullptr || !world().ledger.remove(*p_array, Allocation::Array, "ProArrayFree")) {
    return PRO_TK_BAD_INPUTS;
  }
  sim::freeArrayBlock(*p_array);
  *p_array = nullptr;
  return PRO_TK_NO_ERROR;
}

StatusCode ProArraySizeGet(ProArray array, int* p_size) {
  SIM_ENTER("ProArraySizeGet", "");
  const auto* entry = world().ledger.find(array);
  if (p_size == nullptr || entry == nullptr ||
      (entry->kind != Allocation::Array && entry->kind != Allocation::PartTessellation)) {
    return PRO_TK_BAD_INPUTS;
  }
  *p_size = entry->elements;
  return PRO_TK_NO_ERROR;
}

StatusCode ProWstringFree(ProWchar* string) {
  // Only a live host string is read for the log: a released or foreign one may not be readable.
  const auto* entry = world().ledger.find(string);
  SIM_ENTER_RELEASE("ProWstringFree", entry != nullptr && entry->kind == Allocation::Wstring ? sim::utf8(string) : "?",
                    string, Allocation::Wstring);
  if (!world().ledger.remove(string, Allocation::Wstring, "ProWstringFree")) return PRO_TK_BAD_INPUTS;
  delete[] string;
  return PRO_TK_NO_ERROR;
}

StatusCode ProStringarrayFree(char** array, int n) {
  SIM_ENTER_RELEASE("ProStringarrayFree", std::to_string(n), array, Allocation::StringArray);
  const auto* entry = world().ledger.find(array);
  if (entry != nullptr && entry->kind == Allocation::StringArray && entry->elements != n) {
    return PRO_TK_BAD_INPUTS;  // the host needs the count it handed out
  }
  if (!world().ledger.remove(array, Allocation::StringArray, "ProStringarrayFree")) return PRO_TK_BAD_INPUTS;
  for (int i = 0; i < n; ++i) delete[] array[i];
  delete[] array;
  return PRO_TK_NO_ERROR;
}

ProWchar* ProStringToWstring(ProWchar* target, const char* source) {
  const std::u16string w = sim::utf16(source == nullptr ? "" : source);
  std::memcpy(target, w.c_str(), (w.size() + 1) * sizeof(ProWchar));
  return target;
}

char* ProWstringToString(char* target, const ProWchar* source) {
  const std::string s = sim::utf8(source);
  std::memcpy(target, s.c_str(), s.size() + 1);
  return target;
}

}  // extern "C"
