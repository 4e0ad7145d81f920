// The few facts that differ between the platforms the model is built for.
// Everything platform-specific in the model goes through here.
#pragma once

namespace veltrosan::platform {

#if defined(_WIN32)
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif

// GCC and MinGW-w64 both define the byte-order macros. On a little-endian host
// the in-memory layout of doubles and int32 arrays is already the file layout.
inline constexpr bool kLittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

}  // namespace veltrosan::platform
