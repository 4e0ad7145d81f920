#include "support/registry_guard.hpp"

#include <cstdio>
#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "support/registry.hpp"

namespace veltrosan::test {

namespace {

struct KeyContents {
  std::vector<std::pair<std::u16string, StoredValue>> values;
  std::vector<std::pair<std::u16string, KeyContents>> subkeys;
};

KeyContents read(HKEY root, const std::u16string& subkey) {
  KeyContents contents;
  for (const std::u16string& name : valueNames(root, subkey)) {
    std::optional<StoredValue> value = getValue(root, subkey, name);
    if (value) contents.values.emplace_back(name, std::move(*value));
  }
  for (const std::u16string& name : subkeyNames(root, subkey))
    contents.subkeys.emplace_back(name, read(root, subkey + u"\\" + name));
  return contents;
}

void write(HKEY root, const std::u16string& subkey, const KeyContents& contents) {
  createKey(root, subkey);
  for (const auto& [name, value] : contents.values) setValue(root, subkey, name, value.type, value.data);
  for (const auto& [name, inner] : contents.subkeys) write(root, subkey + u"\\" + name, inner);
}

}  // namespace

struct KeyGuard::Saved {
  HKEY root;
  std::u16string subkey;
  std::optional<KeyContents> contents;  // none: the key was missing
  std::u16string firstMissing;          // the outermost of the key and its parents that was missing
  bool restored = false;
};

KeyGuard::KeyGuard(HKEY root, std::u16string subkey) : saved_(std::make_unique<Saved>()) {
  saved_->root = root;
  saved_->subkey = std::move(subkey);
  const std::u16string& path = saved_->subkey;
  if (keyExists(root, path)) {
    saved_->contents = read(root, path);
    return;
  }
  for (size_t end = path.find(u'\\');; end = path.find(u'\\', end + 1)) {
    const std::u16string prefix = path.substr(0, end);
    if (!keyExists(root, prefix)) {
      saved_->firstMissing = prefix;
      break;
    }
    if (end == std::u16string::npos) break;
  }
}

KeyGuard::~KeyGuard() {
  try {
    restore();
  } catch (const std::exception& error) {
    const std::string name(saved_->subkey.begin(), saved_->subkey.end());  // the tests' key names are ASCII
    std::fprintf(stderr, "registry key %s not restored: %s\n", name.c_str(), error.what());
  }
}

void KeyGuard::restore() {
  if (saved_->restored) return;
  saved_->restored = true;
  if (!saved_->contents) {
    deleteKey(saved_->root, saved_->firstMissing.empty() ? saved_->subkey : saved_->firstMissing);
    return;
  }
  deleteKey(saved_->root, saved_->subkey);
  write(saved_->root, saved_->subkey, *saved_->contents);
}

}  // namespace veltrosan::test
