// The process-wide export object and the helpers that every part of the
// export shares: text conversion and length units.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "export/creo_export.hpp"
#include "messages/messages.hpp"
#include "model/utf.hpp"

namespace veltrosan {

CreoExport* currentExport = nullptr;

namespace {

// The object of the latest export is kept until the next export replaces it;
// when the library is unloaded it goes with it.
struct ReleaseAtUnload {
  ~ReleaseAtUnload() {
    delete currentExport;
    currentExport = nullptr;
  }
} releaseAtUnload;

}  // namespace

// A name from the user's attribute list could in principle carry bytes that
// are not UTF-8; the shared converter turns them into U+FFFD instead of failing.
std::u16string toWide(const std::string& text) { return utf8ToUtf16(text); }

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
