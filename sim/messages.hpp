// The message file as the simulated host reads it, for the parts of the host
// that take their texts from it (command designations).
#pragma once

#include <optional>
#include <string>

#include "host/toolkit.h"

namespace sim {

// The text of `key` in the message file named `file` in the application's
// text directory (its translation where it has one), or nothing when the file
// or the key is not there.
std::optional<std::string> messageText(const ProWchar* file, const std::string& key);

}  // namespace sim
