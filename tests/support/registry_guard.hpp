// Keeps a registry key as a test found it. The tests' keys are the
// gateway's own, and on a Windows machine with the product installed they
// hold a user's options and the install folder: a guard made before a test
// touches the key puts back exactly what it held (values with their types
// and data, subkeys all the way down) when the test ends, or makes it
// missing again, with any parent the test made, when it was missing.
#pragma once

#include <memory>
#include <string>

#include "host/win32.h"

namespace veltrosan::test {

class KeyGuard {
 public:
  KeyGuard(HKEY root, std::u16string subkey);
  // Restores, if restore() was not called; reports a failure on stderr.
  ~KeyGuard();
  KeyGuard(const KeyGuard&) = delete;
  KeyGuard& operator=(const KeyGuard&) = delete;

  // Puts the key back as it was at the guard's making; once. Throws
  // std::runtime_error when the registry refuses.
  void restore();

 private:
  struct Saved;
  std::unique_ptr<Saved> saved_;
};

}  // namespace veltrosan::test
