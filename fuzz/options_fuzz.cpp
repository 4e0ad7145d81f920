// The user-options loader on any stored values: both registry values of any
// type and any bytes (odd sizes, no NULs, stray NULs, lone surrogates), a
// value that changes size between the size query and the read, and a list
// that already holds entries. Loading reads only what the registry returned
// (the sanitizers watch), closes every key it opens, appends only valid
// entries after those already held, and matches the stored format as the
// lines below decode it. What is then saved loads back to the same entries.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "host/win32.h"
#include "shell/options.hpp"
#include "sim/text.hpp"
#include "sim/world.hpp"

namespace {

using namespace veltrosan;
using veltrosan::fuzz::Input;

const std::u16string kKey = u"HKEY_CURRENT_USER\\SOFTWARE\\Marbeltix\\Veltrosan\\Options";

struct Stored {
  bool present = false;
  std::uint32_t type = 0;
  std::vector<unsigned char> data;
};

Stored storedValue(Input& in) {
  Stored v;
  v.present = in.byte() % 4 != 0;
  static const std::uint32_t kTypes[] = {REG_SZ, REG_MULTI_SZ, REG_SZ, REG_MULTI_SZ, REG_BINARY, 2 /* expandable */,
                                         REG_NONE, REG_DWORD};
  v.type = kTypes[in.below(8)];
  if (in.flag()) {
    // Units that are mostly names, digits and NULs, so that pairs form.
    static const char16_t kUnits[] = {u'\0', u'\0', u'1', u'2', u'3', u'A', u'B', u'_', u'x', 0xD800, 0xDC00, 0xFFFF};
    const std::size_t n = in.below(48);
    for (std::size_t i = 0; i < n; ++i) {
      const char16_t c = kUnits[in.below(sizeof kUnits / sizeof kUnits[0])];
      v.data.push_back(static_cast<unsigned char>(c & 0xFF));
      v.data.push_back(static_cast<unsigned char>(c >> 8));
    }
    if (in.flag()) v.data.push_back(in.byte());  // an odd last byte
  } else {
    const std::string raw = in.bytes(96);
    v.data.assign(raw.begin(), raw.end());
  }
  return v;
}

// The format as the options define it: whole units up to the first NUL for
// the name; for the list, strings split at NULs and taken two by two.
std::u16string unitsOf(const std::vector<unsigned char>& data) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2)
    units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  return units;
}

std::vector<AttributeEntry> expectedEntries(const Stored& v) {
  std::vector<AttributeEntry> out;
  const std::u16string units = unitsOf(v.data);
  std::vector<std::u16string> strings;
  std::size_t start = 0;
  while (start < units.size()) {
    std::size_t end = units.find(u'\0', start);
    if (end == std::u16string::npos) end = units.size();
    strings.push_back(units.substr(start, end - start));
    start = end + 1;
  }
  for (std::size_t i = 0; i < strings.size(); i += 2) {
    if (strings[i].empty()) continue;
    if (i + 1 == strings.size()) {
      out.push_back({strings[i], 1});
    } else if (strings[i + 1].size() == 1 && strings[i + 1][0] >= u'1' && strings[i + 1][0] <= u'3') {
      out.push_back({strings[i], strings[i + 1][0] - u'0'});
    }
  }
  return out;
}

bool same(const std::vector<AttributeEntry>& a, const std::vector<AttributeEntry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].name != b[i].name || a[i].type != b[i].type) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  sim::reset();
  const bool keyExists = in.byte() % 8 != 0;
  const Stored cti = storedValue(in);
  const Stored attributes = storedValue(in);
  // The value grows between the size query and the read: that read fails.
  const int grownRead = static_cast<int>(in.below(5));  // 0: none; else the nth query
  const std::u16string before = in.flag() ? u"BEFORE" : u"";
  const std::vector<AttributeEntry> held = in.flag() ? std::vector<AttributeEntry>{{u"HELD", 2}}
                                                     : std::vector<AttributeEntry>{};

  if (keyExists) {
    sim::world().os.key(kKey);
    if (cti.present) sim::world().os.setValue(kKey, u"CtiParameter", cti.type, cti.data);
    if (attributes.present) sim::world().os.setValue(kKey, u"ImportAttributes", attributes.type, attributes.data);
  }
  if (grownRead > 0) sim::world().faults.failOn("RegQueryValueExW", grownRead, ERROR_MORE_DATA);
  ctiParameterName = before;
  attributeList = held;

  Attributes::loadOptions();
  FUZZ_CHECK(sim::world().os.openKeys.empty(), "the options key was left open");

  // The queries the loader makes, in order, each counted as the registry
  // counts it: a value is read only after its size query found the right
  // type and some data, and a read fails when it is the one that grew or
  // when the value's odd last byte leaves it no whole unit to end on.
  int queries = 0;
  const auto query = [&] { return ++queries != grownRead; };
  const auto read = [&](const Stored& v, std::uint32_t type) {
    if (!query() || !v.present || v.type != type || v.data.empty()) return false;
    return query() && v.data.size() % 2 == 0;
  };
  const bool ctiRead = keyExists && read(cti, REG_SZ);
  const bool listRead = keyExists && read(attributes, REG_MULTI_SZ);
  std::u16string expectedCti = before;
  if (ctiRead) {
    const std::u16string units = unitsOf(cti.data);
    expectedCti = units.substr(0, units.find(u'\0'));
  }
  FUZZ_CHECK(ctiParameterName == expectedCti, "CTI name " + sim::utf8(ctiParameterName) + ", expected " +
                                                  sim::utf8(expectedCti));
  std::vector<AttributeEntry> expected = held;
  if (listRead) {
    for (const AttributeEntry& e : expectedEntries(attributes)) expected.push_back(e);
  }
  FUZZ_CHECK(same(attributeList, expected), "attributes differ from the stored format's");
  for (std::size_t i = held.size(); i < attributeList.size(); ++i) {
    const AttributeEntry& e = attributeList[i];
    FUZZ_CHECK(!e.name.empty() && e.name.find(u'\0') == std::u16string::npos, "an entry without a proper name");
    FUZZ_CHECK(e.type >= 1 && e.type <= 3, "an entry of an unknown type");
  }

  // What is saved loads back.
  sim::world().faults.clear();
  sim::world().os.key(kKey);
  Attributes::saveOptions();
  const std::u16string saved = ctiParameterName;
  const std::vector<AttributeEntry> savedList = attributeList;
  ctiParameterName = u"OTHER";
  attributeList.clear();
  Attributes::loadOptions();
  FUZZ_CHECK(sim::world().os.openKeys.empty(), "the options key was left open after saving");
  if (!saved.empty()) {
    FUZZ_CHECK(ctiParameterName == saved.substr(0, saved.find(u'\0')), "the saved CTI name does not load back");
  }
  if (!savedList.empty()) FUZZ_CHECK(same(attributeList, savedList), "the saved attributes do not load back");

  attributeList.clear();
  attributeList.shrink_to_fit();
  return 0;
}
