// Registry keys and values of the tests' own making, in the registry that
// the gateway uses on this platform: the simulated one natively, the real
// one on Windows. The gateway never creates keys; tests do it here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/win32.h"

namespace veltrosan::test {

struct StoredValue {
  std::uint32_t type = 0;
  std::vector<unsigned char> data;
  bool operator==(const StoredValue& o) const { return type == o.type && data == o.data; }
};

// The gateway's two keys.
inline constexpr char16_t kOptionsKey[] = u"SOFTWARE\\Marbeltix\\Veltrosan\\Options";
inline constexpr char16_t kInstallKey[] = u"SOFTWARE\\Marbeltix\\Veltrosan";

// Creates the key with its parents.
void createKey(HKEY root, const std::u16string& subkey);
// Deletes the key with its values and subkeys; its parents stay. Nothing
// happens when it does not exist.
void deleteKey(HKEY root, const std::u16string& subkey);
bool keyExists(HKEY root, const std::u16string& subkey);
// Stores exactly these bytes under the type, in a key that exists.
void setValue(HKEY root, const std::u16string& subkey, const std::u16string& name, std::uint32_t type,
              const std::vector<unsigned char>& data);
std::optional<StoredValue> getValue(HKEY root, const std::u16string& subkey, const std::u16string& name);
// The names of the key's values (the default value's is empty) and of its
// subkeys, in the registry's order; none when the key does not exist.
std::vector<std::u16string> valueNames(HKEY root, const std::u16string& subkey);
std::vector<std::u16string> subkeyNames(HKEY root, const std::u16string& subkey);

// UTF-16LE bytes of the units, with no terminator added.
std::vector<unsigned char> wideBytes(const std::u16string& units);

}  // namespace veltrosan::test
