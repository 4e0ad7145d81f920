// What the simulated host hands out to the gateway: every block is recorded
// in the ledger under the function that made it, and released only by its
// matching free call.
#pragma once

#include <string>
#include <vector>

#include "host/toolkit.h"
#include "sim/core.hpp"

namespace sim {

// A host array of `count` elements of `size` bytes, zero-filled.
void* handOutArray(int count, int size, const char* origin, Allocation kind = Allocation::Array);
template <typename T>
T* handOutArrayOf(const std::vector<T>& items, const char* origin, Allocation kind = Allocation::Array) {
  T* p = static_cast<T*>(handOutArray(static_cast<int>(items.size()), static_cast<int>(sizeof(T)), origin, kind));
  for (size_t i = 0; i < items.size(); ++i) p[i] = items[i];
  return p;
}
// Frees a block made by handOutArray after the ledger has let it go.
void freeArrayBlock(void* p);

ProWchar* handOutWstring(const std::u16string& text, const char* origin);
char** handOutStringArray(const std::vector<std::string>& names, const char* origin);

}  // namespace sim
