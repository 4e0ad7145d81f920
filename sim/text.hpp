// UTF-8 / UTF-16 conversions of the simulated host (its narrow/wide copies)
// and of tests. Ill-formed input becomes U+FFFD; nothing throws.
#pragma once

#include <string>

namespace sim {

std::u16string utf16(const std::string& utf8);
std::string utf8(const std::u16string& utf16);
std::string utf8(const char16_t* utf16);  // up to the terminator; null gives ""

}  // namespace sim
