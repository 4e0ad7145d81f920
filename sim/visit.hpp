// The host's rules for every visit: a filter, when given, answers
// PRO_TK_CONTINUE to pass an item over and any other status is handed to the
// action as its status; a non-zero action result ends the visit and is
// returned; a visit that visits nothing answers PRO_TK_E_NOT_FOUND.
#pragma once

#include <type_traits>

#include "host/status.h"
#include "host/toolkit.h"

namespace sim {

// `handleOf(item)` gives what the host passes for one item: a handle that is
// a pointer is passed as it is, a record (a model item, a parameter) by its
// address.
template <typename Items, typename HandleOf, typename Filter, typename Action>
StatusCode visitEach(Items& items, HandleOf handleOf, Filter filter, Action action, ProAppData data) {
  bool visited = false;
  for (auto& item : items) {
    auto handle = handleOf(item);
    auto argument = [&handle] {
      if constexpr (std::is_pointer_v<decltype(handle)>) {
        return handle;
      } else {
        return &handle;
      }
    }();
    StatusCode status = PRO_TK_NO_ERROR;
    if (filter != nullptr) {
      status = filter(argument, data);
      if (status == PRO_TK_CONTINUE) continue;
    }
    visited = true;
    const StatusCode result = action(argument, status, data);
    if (result != PRO_TK_NO_ERROR) return result;
  }
  return visited ? PRO_TK_NO_ERROR : PRO_TK_E_NOT_FOUND;
}

}  // namespace sim
