// The process-wide export object and the helpers that every part of the
// export shares: text conversion and length units.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "export/creo_export.hpp"
#include "messages/messages.hpp"

namespace veltrosan {

CreoExport* currentExport = nullptr;

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

// A name from the user's attribute list could in principle carry bytes that
// are not UTF-8; such a name must never take the host process down, so every
// ill-formed sequence becomes one U+FFFD (its longest valid prefix counts as
// one) and decoding goes on after it.
std::u16string toWide(const std::string& text) {
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

std::string narrowCopy(const ProWchar* text) {
  if (text == nullptr) return std::string();
  std::size_t units = 0;
  while (text[units] != 0) ++units;
  // A UTF-16 unit takes at most three UTF-8 bytes (a surrogate pair four
  // bytes for two units).
  std::vector<char> buffer(3 * units + 1, '\0');
  ProWstringToString(buffer.data(), text);
  const auto end = std::find(buffer.begin(), buffer.end(), '\0');
  return std::string(buffer.begin(), end);
}

StatusCode modelUnit(ProMdl model, std::string& unit) {
  unit = "mm";
  ProUnitsystem system{};
  StatusCode status = ProMdlPrincipalunitsystemGet(model, &system);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProMdlPrincipalunitsystemGet", status);
    return status;
  }
  ProUnititem length{};
  status = ProUnitsystemUnitGet(&system, PRO_UNITTYPE_LENGTH, &length);
  if (status == PRO_TK_E_NOT_FOUND) return PRO_TK_NO_ERROR;
  if (status != PRO_TK_NO_ERROR) {
    warn("ProUnitsystemUnitGet", status);
    return status;
  }
  ProLine expression{};
  status = ProUnitExpressionGet(&length, expression);
  if (status == PRO_TK_E_NOT_FOUND) return PRO_TK_NO_ERROR;
  if (status != PRO_TK_NO_ERROR) {
    warn("ProUnitExpressionGet", status);
    return status;
  }
  expression[PRO_LINE_SIZE - 1] = 0;
  unit = narrowCopy(expression);
  return PRO_TK_NO_ERROR;
}

double unitFactor(const std::string& unit) {
  struct Row {
    const char* name;
    double factor;
  };
  static const Row kUnits[] = {
      {"mm", 1.0},     {"in", 25.4},     {"nm", 0.000001}, {"micron", 0.001}, {"cm", 10.0},
      {"m", 1000.0},   {"km", 1000000.0}, {"mil", 0.0254}, {"ft", 304.8},     {"mile", 1609344.0},
  };
  for (const Row& row : kUnits) {
    if (unit == row.name) return row.factor;
  }
  return 1.0;
}

}  // namespace veltrosan
