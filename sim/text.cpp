#include "sim/text.hpp"

#include <cstdint>

namespace sim {

namespace {

void appendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

void appendUtf8(std::string& out, char32_t cp) {
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

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

std::u16string utf16(const std::string& in) {
  std::u16string out;
  out.reserve(in.size());
  size_t i = 0;
  while (i < in.size()) {
    const auto b0 = static_cast<unsigned char>(in[i]);
    int len = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (b0 < 0x80) {
      len = 1, cp = b0;
    } else if ((b0 & 0xE0) == 0xC0) {
      len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
      len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
      len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
      appendUtf16(out, kReplacement);
      ++i;
      continue;
    }
    bool ok = i + static_cast<size_t>(len) <= in.size();
    for (int k = 1; ok && k < len; ++k) {
      const auto b = static_cast<unsigned char>(in[i + static_cast<size_t>(k)]);
      if ((b & 0xC0) != 0x80) {
        ok = false;
      } else {
        cp = (cp << 6) | (b & 0x3F);
      }
    }
    if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      appendUtf16(out, kReplacement);
      ++i;
      continue;
    }
    appendUtf16(out, cp);
    i += static_cast<size_t>(len);
  }
  return out;
}

std::string utf8(const std::u16string& in) {
  std::string out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    const char16_t u = in[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
      appendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (in[i + 1] - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      appendUtf8(out, kReplacement);
    } else {
      appendUtf8(out, u);
    }
  }
  return out;
}

std::string utf8(const char16_t* in) { return in == nullptr ? std::string() : utf8(std::u16string(in)); }

}  // namespace sim
