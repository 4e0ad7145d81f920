// The simulated operating system's registry data, shared by the Win32 calls
// of sim/win32.cpp and by tests that set up or read stored values.
#include "sim/world.hpp"

namespace sim {

namespace {

std::u16string folded(const std::u16string& text) {
  std::u16string out = text;
  for (char16_t& c : out)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return out;
}

}  // namespace

RegistryKey& OperatingSystem::key(const std::u16string& path) {
  const std::u16string full = folded(path);
  auto make = [this](const std::u16string& keyPath) -> RegistryKey& {
    auto [it, made] = keys.try_emplace(keyPath);
    if (made && keyPath.rfind(u"HKEY_LOCAL_MACHINE", 0) == 0) it->second.writable = false;
    return it->second;
  };
  // Windows keys exist with their parents: make every prefix too.
  for (size_t i = full.find(u'\\'); i != std::u16string::npos; i = full.find(u'\\', i + 1)) make(full.substr(0, i));
  return make(full);
}

const RegistryKey* OperatingSystem::findKey(const std::u16string& path) const {
  auto it = keys.find(folded(path));
  return it == keys.end() ? nullptr : &it->second;
}

void OperatingSystem::setString(const std::u16string& path, const std::u16string& name, const std::u16string& value,
                                bool terminated, uint32_t type) {
  std::u16string units = value;
  if (terminated) units.push_back(u'\0');
  std::vector<unsigned char> data;
  for (char16_t u : units) {
    data.push_back(static_cast<unsigned char>(u & 0xFF));
    data.push_back(static_cast<unsigned char>(u >> 8));
  }
  setValue(path, name, type, std::move(data));
}

void OperatingSystem::setValue(const std::u16string& path, const std::u16string& name, uint32_t type,
                               std::vector<unsigned char> data) {
  RegistryValue& v = key(path).values[folded(name)];
  v.type = type;
  v.data = std::move(data);
}

const RegistryValue* OperatingSystem::value(const std::u16string& path, const std::u16string& name) const {
  const RegistryKey* k = findKey(path);
  if (k == nullptr) return nullptr;
  auto it = k->values.find(folded(name));
  return it == k->values.end() ? nullptr : &it->second;
}

}  // namespace sim
