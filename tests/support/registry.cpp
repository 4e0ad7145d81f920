#include "support/registry.hpp"

#include <algorithm>
#include <iterator>
#include <stdexcept>

#ifndef _WIN32
#include "sim/world.hpp"
#endif

namespace veltrosan::test {

std::vector<unsigned char> wideBytes(const std::u16string& units) {
  std::vector<unsigned char> bytes;
  for (char16_t u : units) {
    bytes.push_back(static_cast<unsigned char>(u & 0xFF));
    bytes.push_back(static_cast<unsigned char>(u >> 8));
  }
  return bytes;
}

#ifdef _WIN32

namespace {

const wchar_t* w(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

void check(LONG result, const char* what) {
  if (result != ERROR_SUCCESS) throw std::runtime_error(std::string(what) + " failed: " + std::to_string(result));
}

}  // namespace

void createKey(HKEY root, const std::u16string& subkey) {
  HKEY key = nullptr;
  check(RegCreateKeyExW(root, w(subkey), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), "RegCreateKeyExW");
  RegCloseKey(key);
}

void deleteKey(HKEY root, const std::u16string& subkey) {
  // Takes the key itself with everything below it.
  const LONG result = RegDeleteTreeW(root, w(subkey));
  if (result == ERROR_FILE_NOT_FOUND) return;
  check(result, "RegDeleteTreeW");
}

bool keyExists(HKEY root, const std::u16string& subkey) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, w(subkey), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void setValue(HKEY root, const std::u16string& subkey, const std::u16string& name, std::uint32_t type,
              const std::vector<unsigned char>& data) {
  HKEY key = nullptr;
  check(RegOpenKeyExW(root, w(subkey), 0, KEY_WRITE, &key), "RegOpenKeyExW");
  // A non-NUL guard after the data keeps the registry from counting a
  // terminator in for string types.
  std::vector<unsigned char> guarded = data;
  guarded.push_back(0xFF);
  guarded.push_back(0xFF);
  const LONG result = RegSetValueExW(key, w(name), 0, type, guarded.data(), static_cast<DWORD>(data.size()));
  RegCloseKey(key);
  check(result, "RegSetValueExW");
}

std::optional<StoredValue> getValue(HKEY root, const std::u16string& subkey, const std::u16string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, w(subkey), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  std::optional<StoredValue> out;
  if (RegQueryValueExW(key, w(name), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    StoredValue value;
    value.type = type;
    value.data.resize(size);
    if (RegQueryValueExW(key, w(name), nullptr, nullptr, value.data.data(), &size) == ERROR_SUCCESS) {
      value.data.resize(size);
      out = value;
    }
  }
  RegCloseKey(key);
  return out;
}

namespace {

// Enumerates names with `next` (RegEnumValueW or RegEnumKeyExW) into a
// buffer of `longest` characters and a NUL.
template <typename Next>
std::vector<std::u16string> names(HKEY root, const std::u16string& subkey, Next next) {
  std::vector<std::u16string> out;
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, w(subkey), 0, KEY_READ, &key) != ERROR_SUCCESS) return out;
  DWORD longestKey = 0;
  DWORD longestValue = 0;
  check(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &longestKey, nullptr, nullptr, &longestValue,
                         nullptr, nullptr, nullptr),
        "RegQueryInfoKeyW");
  std::vector<wchar_t> buffer(std::max(longestKey, longestValue) + 1);
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(buffer.size());
    const LONG result = next(key, i, buffer.data(), &length);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS) {
      RegCloseKey(key);
      check(result, "enumerating a key");
    }
    out.emplace_back(buffer.begin(), buffer.begin() + length);
  }
  RegCloseKey(key);
  return out;
}

}  // namespace

std::vector<std::u16string> valueNames(HKEY root, const std::u16string& subkey) {
  return names(root, subkey, [](HKEY key, DWORD i, wchar_t* name, DWORD* length) {
    return RegEnumValueW(key, i, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

std::vector<std::u16string> subkeyNames(HKEY root, const std::u16string& subkey) {
  return names(root, subkey, [](HKEY key, DWORD i, wchar_t* name, DWORD* length) {
    return RegEnumKeyExW(key, i, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

#else  // the simulated registry

namespace {

std::u16string fullPath(HKEY root, const std::u16string& subkey) {
  if (root == HKEY_CURRENT_USER) return u"HKEY_CURRENT_USER\\" + subkey;
  if (root == HKEY_LOCAL_MACHINE) return u"HKEY_LOCAL_MACHINE\\" + subkey;
  throw std::invalid_argument("tests set up keys under the two predefined roots only");
}

// Keys are held by their full path folded to upper case.
std::u16string foldedPath(HKEY root, const std::u16string& subkey) {
  std::u16string path = fullPath(root, subkey);
  for (char16_t& c : path)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return path;
}

bool isBelow(const std::u16string& key, const std::u16string& path) {
  return key.size() > path.size() && key.compare(0, path.size(), path) == 0 && key[path.size()] == u'\\';
}

}  // namespace

void createKey(HKEY root, const std::u16string& subkey) { sim::world().os.key(fullPath(root, subkey)); }

void deleteKey(HKEY root, const std::u16string& subkey) {
  const std::u16string path = foldedPath(root, subkey);
  auto& keys = sim::world().os.keys;
  for (auto it = keys.begin(); it != keys.end();) {
    it = (it->first == path || isBelow(it->first, path)) ? keys.erase(it) : std::next(it);
  }
}

std::vector<std::u16string> valueNames(HKEY root, const std::u16string& subkey) {
  std::vector<std::u16string> out;
  if (const sim::RegistryKey* key = sim::world().os.findKey(fullPath(root, subkey)))
    for (const auto& [name, value] : key->values) out.push_back(name);
  return out;
}

std::vector<std::u16string> subkeyNames(HKEY root, const std::u16string& subkey) {
  const std::u16string path = foldedPath(root, subkey);
  std::vector<std::u16string> out;
  for (const auto& [key, contents] : sim::world().os.keys) {
    if (isBelow(key, path) && key.find(u'\\', path.size() + 1) == std::u16string::npos)
      out.push_back(key.substr(path.size() + 1));
  }
  return out;
}

bool keyExists(HKEY root, const std::u16string& subkey) {
  return sim::world().os.findKey(fullPath(root, subkey)) != nullptr;
}

void setValue(HKEY root, const std::u16string& subkey, const std::u16string& name, std::uint32_t type,
              const std::vector<unsigned char>& data) {
  if (!keyExists(root, subkey)) throw std::runtime_error("no such key");
  sim::world().os.setValue(fullPath(root, subkey), name, type, data);
}

std::optional<StoredValue> getValue(HKEY root, const std::u16string& subkey, const std::u16string& name) {
  const sim::RegistryValue* value = sim::world().os.value(fullPath(root, subkey), name);
  if (value == nullptr) return std::nullopt;
  return StoredValue{value->type, value->data};
}

#endif

}  // namespace veltrosan::test
