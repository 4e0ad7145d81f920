// The action of every parameter visit: finds the value of one attribute
// request (or of the CTI request) among the parameters of an item.
#include <charconv>
#include <cstring>
#include <string>

#include "export/creo_export.hpp"
#include "messages/messages.hpp"

namespace veltrosan {

namespace {

std::u16string asciiToWide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// Up to six significant digits in general notation, a "." for the point and
// an exponent of at least three digits: the text the standalone application
// has always received. std::to_chars is locale-free and gives the same
// digits everywhere; only the exponent width differs between runtimes, so it
// is normalised here.
std::u16string doubleText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
  std::string text(buffer, result.ec == std::errc() ? result.ptr : buffer);
  const std::size_t e = text.find('e');
  if (e != std::string::npos && e + 1 < text.size()) {
    const std::size_t digits = e + 2;  // after the sign
    const std::size_t width = text.size() - digits;
    if (width < 3) text.insert(digits, 3 - width, '0');
  }
  return asciiToWide(text);
}

std::u16string integerText(int value) { return asciiToWide(std::to_string(value)); }

// The host's text, up to its terminator but never past the buffer.
std::u16string boundedText(const ProWchar* text, std::size_t capacity) {
  std::size_t n = 0;
  while (n < capacity && text[n] != 0) ++n;
  return std::u16string(text, n);
}

}  // namespace

StatusCode CreoExport::visitParameter(ProParameter* parameter, StatusCode /*status*/, ProAppData data) {
  CreoExport* self = currentExport;
  if (self == nullptr || parameter == nullptr) return PRO_TK_BAD_CONTEXT;
  const std::int32_t index = data == nullptr ? 0 : *static_cast<const std::int32_t*>(data);
  if (index < 0 || static_cast<std::size_t>(index) >= self->requests.size()) return PRO_TK_BAD_INPUTS;

  const std::u16string wideName = boundedText(parameter->id, PRO_NAME_SIZE - 1);
  const std::string name = narrowCopy(wideName.c_str());
  if (std::strcmp(name.c_str(), self->requests[static_cast<std::size_t>(index)].name.c_str()) != 0) {
    return PRO_TK_NO_ERROR;
  }

  ProParamvalue value{};
  ProUnititem unit{};
  StatusCode status = ProParameterValueWithUnitsGet(parameter, &value, &unit);
  if (status != PRO_TK_NO_ERROR) return failed("ProParameterValueWithUnitsGet", status);
  ProParamvalueType type = 0;
  status = ProParamvalueTypeGet(&value, &type);
  if (status != PRO_TK_NO_ERROR) return failed("ProParamvalueTypeGet", status);

  if (index == 0) {
    if (type != PRO_PARAM_INTEGER) return PRO_TK_NO_ERROR;
    int cti = -1;
    status = ProParamvalueValueGet(&value, PRO_PARAM_INTEGER, &cti);
    if (status != PRO_TK_NO_ERROR) return failed("ProParamvalueValueGet", status);
    if (self->foundCti == -1) self->foundCti = cti;
    return PRO_TK_NO_ERROR;
  }

  if (!self->foundValue.empty()) return PRO_TK_NO_ERROR;
  switch (type) {
    case PRO_PARAM_DOUBLE: {
      double number = 0.0;
      status = ProParamvalueValueGet(&value, PRO_PARAM_DOUBLE, &number);
      if (status != PRO_TK_NO_ERROR) return failed("ProParamvalueValueGet", status);
      self->foundValue = doubleText(number);
      break;
    }
    case PRO_PARAM_STRING: {
      ProLine text{};
      status = ProParamvalueValueGet(&value, PRO_PARAM_STRING, text);
      if (status != PRO_TK_NO_ERROR) return failed("ProParamvalueValueGet", status);
      self->foundValue = boundedText(text, PRO_LINE_SIZE - 1);
      break;
    }
    case PRO_PARAM_INTEGER: {
      int number = 0;
      status = ProParamvalueValueGet(&value, PRO_PARAM_INTEGER, &number);
      if (status != PRO_TK_NO_ERROR) return failed("ProParamvalueValueGet", status);
      self->foundValue = integerText(number);
      break;
    }
    default:
      break;
  }
  return PRO_TK_NO_ERROR;
}

}  // namespace veltrosan
