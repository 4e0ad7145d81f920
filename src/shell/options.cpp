#include "shell/options.hpp"

#include <algorithm>
#include <cstddef>

#include "host/win32.h"

namespace veltrosan {

std::u16string ctiParameterName = u"COMPARATIVE_TRACKING_INDEX";
std::vector<AttributeEntry> attributeList;

namespace {

constexpr char16_t kOptionsKey[] = u"SOFTWARE\\Marbeltix\\Veltrosan\\Options";
constexpr char16_t kCtiValue[] = u"CtiParameter";
constexpr char16_t kAttributesValue[] = u"ImportAttributes";

// Reads a value of the expected type into UTF-16 units. Only the units that
// the read itself reports are returned, never more than the buffer holds, so
// odd sizes, missing NULs or a value that grew since the size query cannot
// make the caller read past the data. False when there is nothing to read.
bool readUnits(HKEY key, const char16_t* name, DWORD expectedType, std::u16string& units) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExW(key, win32Wide(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  if (type != expectedType || size == 0) return false;
  // An odd last byte belongs to no unit.
  std::u16string buffer(size / 2, u'\0');
  DWORD read = static_cast<DWORD>(buffer.size() * 2);
  if (RegQueryValueExW(key, win32Wide(name), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &read) !=
      ERROR_SUCCESS) {
    return false;
  }
  buffer.resize(std::min<std::size_t>(read / 2, buffer.size()));
  units = std::move(buffer);
  return true;
}

// The strings of a multi-string's data: each runs to the next NUL or to the
// end of the data; an empty string between two NULs counts like any other.
std::vector<std::u16string> splitStrings(const std::u16string& data) {
  std::vector<std::u16string> strings;
  std::size_t start = 0;
  while (start < data.size()) {
    std::size_t end = data.find(u'\0', start);
    if (end == std::u16string::npos) end = data.size();
    strings.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  return strings;
}

void appendLittleEndian(std::vector<BYTE>& bytes, const std::u16string& units) {
  for (char16_t unit : units) {
    bytes.push_back(static_cast<BYTE>(unit & 0xFF));
    bytes.push_back(static_cast<BYTE>(unit >> 8));
  }
}

// Sets a string value to exactly `units`. The registry counts a terminator
// in for a string whose stated size stops just before a NUL unit; a guard
// unit after the data keeps the stored size at what was asked for.
void setUnits(HKEY key, const char16_t* name, DWORD type, const std::u16string& units) {
  std::vector<BYTE> bytes;
  bytes.reserve(units.size() * 2 + 2);
  appendLittleEndian(bytes, units);
  const auto size = static_cast<DWORD>(bytes.size());
  appendLittleEndian(bytes, u"\xFFFF");
  RegSetValueExW(key, win32Wide(name), 0, type, bytes.data(), size);
}

}  // namespace

namespace Attributes {

void loadOptions() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, win32Wide(kOptionsKey), 0, KEY_READ, &key) != ERROR_SUCCESS) return;

  std::u16string cti;
  if (readUnits(key, kCtiValue, REG_SZ, cti)) {
    // Up to the first NUL, or all units read when there is none; an empty
    // stored name counts too.
    ctiParameterName = cti.substr(0, cti.find(u'\0'));
  }

  std::u16string data;
  const bool haveAttributes = readUnits(key, kAttributesValue, REG_MULTI_SZ, data);
  RegCloseKey(key);
  if (!haveAttributes) return;

  const std::vector<std::u16string> strings = splitStrings(data);
  for (std::size_t i = 0; i < strings.size(); i += 2) {
    const std::u16string& name = strings[i];
    if (name.empty()) continue;
    std::int32_t type = 1;
    if (i + 1 < strings.size()) {
      const std::u16string& code = strings[i + 1];
      if (code == u"1") {
        type = 1;
      } else if (code == u"2") {
        type = 2;
      } else if (code == u"3") {
        type = 3;
      } else {
        continue;
      }
    }
    attributeList.push_back(AttributeEntry{name, type});
  }
}

void saveOptions() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, win32Wide(kOptionsKey), 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;

  if (!ctiParameterName.empty()) setUnits(key, kCtiValue, REG_SZ, ctiParameterName);

  if (!attributeList.empty()) {
    std::u16string data;
    for (const AttributeEntry& entry : attributeList) {
      if (entry.name.empty()) continue;
      data += entry.name;
      data += u'\0';
      data += entry.type == 2 ? u'2' : entry.type == 3 ? u'3' : u'1';
      data += u'\0';
    }
    // No empty string closes the list: the data ends with the last type's NUL.
    setUnits(key, kAttributesValue, REG_MULTI_SZ, data);
  }
  RegCloseKey(key);
}

}  // namespace Attributes

}  // namespace veltrosan
