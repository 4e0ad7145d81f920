#include "model/utf.hpp"

#include <cstddef>
#include <cstdint>

namespace veltrosan {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void appendCodePoint(std::u16string& out, std::uint32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

// The range that the second byte of a sequence must lie in, given its lead
// byte; this is what rules out overlong forms, surrogates and values above
// U+10FFFF.
bool secondByteFits(unsigned char lead, unsigned char b) {
  if (lead == 0xE0) return b >= 0xA0 && b <= 0xBF;
  if (lead == 0xED) return b >= 0x80 && b <= 0x9F;
  if (lead == 0xF0) return b >= 0x90 && b <= 0xBF;
  if (lead == 0xF4) return b >= 0x80 && b <= 0x8F;
  return b >= 0x80 && b <= 0xBF;
}

}  // namespace

std::u16string utf8ToUtf16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      out.push_back(static_cast<char16_t>(lead));
      ++i;
      continue;
    }
    int length = 0;
    std::uint32_t cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      cp = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      cp = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      cp = lead & 0x07u;
    } else {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    bool complete = true;
    for (int k = 1; k < length; ++k, ++j) {
      if (j >= n) {
        complete = false;
        break;
      }
      const auto b = static_cast<unsigned char>(text[j]);
      const bool fits = k == 1 ? secondByteFits(lead, b) : (b >= 0x80 && b <= 0xBF);
      if (!fits) {
        complete = false;
        break;
      }
      cp = (cp << 6) | (b & 0x3Fu);
    }
    if (complete) {
      appendCodePoint(out, cp);
    } else {
      out.push_back(kReplacement);
    }
    i = j;
  }
  return out;
}

std::string utf16ToUtf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    std::uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace veltrosan
