// Names of status codes for warning lines: the host's codes, the gateway's
// own codes, and the decimal number of any other value.
#pragma once

#include <string>

#include "host/status.h"

namespace veltrosan {

// The gateway's own status codes.
enum : StatusCode {
  VELTROSAN_NOT_SUPPORTED = -1000,
  VELTROSAN_NOT_SUPPORTED_TYPE = -1001,
  VELTROSAN_FILE_ACCESS = -1002,
  VELTROSAN_TESSELLATION_FAILED = -1003,
  VELTROSAN_RESTART = -1010,
  VELTROSAN_CONTINUE = -1011,
  VELTROSAN_LOAD = -1012,
  VELTROSAN_STORE = -1013,
};

std::string errorName(StatusCode status);

}  // namespace veltrosan
