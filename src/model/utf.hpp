// UTF-8 <-> UTF-16 conversion of the gateway's own texts. Neither direction
// throws: whatever is not well formed becomes U+FFFD and the conversion goes
// on after it, so a stray byte or an unpaired surrogate typed by a user can
// never take the host process down.
#pragma once

#include <string>

namespace veltrosan {

// Each ill-formed sequence becomes one U+FFFD (its longest valid prefix
// counts as one).
std::u16string utf8ToUtf16(const std::string& text);
// A surrogate pair becomes one code point; an unpaired surrogate becomes
// U+FFFD. No byte-order mark.
std::string utf16ToUtf8(const std::u16string& text);

}  // namespace veltrosan
