// The guard that keeps a user's registry keys through the tests: whatever a
// test does to the gateway's keys, the user's values and subkeys come back
// exactly, and keys that were missing are missing again. On Windows against
// the real registry, natively against the simulated one.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/win32.h"
#include "support/registry.hpp"
#include "support/registry_guard.hpp"
#include "support/sim_fixture.hpp"

namespace veltrosan::test {
namespace {

const std::u16string kOptions = kOptionsKey;
const std::u16string kInstall = kInstallKey;

// What a user's machine holds: values of every kind, the default value
// among them, and keys below with values of their own.
struct UserValue {
  HKEY root;
  std::u16string key;
  std::u16string name;
  StoredValue value;
};

std::vector<UserValue> usersValues() {
  return {
      {HKEY_CURRENT_USER, kOptions, u"CtiParameter", {REG_SZ, wideBytes(u"USER_CTI")}},
      {HKEY_CURRENT_USER, kOptions, u"ImportAttributes",
       {REG_MULTI_SZ, wideBytes(std::u16string(u"MASS\0" u"3\0\0", 8))}},
      {HKEY_CURRENT_USER, kOptions, u"", {REG_SZ, wideBytes(std::u16string(u"default\0", 8))}},
      {HKEY_CURRENT_USER, kOptions, u"Empty", {REG_BINARY, {}}},
      {HKEY_CURRENT_USER, kOptions + u"\\Window", u"Size", {REG_DWORD, {0x20, 0x03, 0, 0}}},
      {HKEY_CURRENT_USER, kOptions + u"\\Window\\Recent", u"File1", {REG_EXPAND_SZ, wideBytes(u"%TEMP%\\a.vtq")}},
      {HKEY_LOCAL_MACHINE, kInstall, u"Path", {REG_SZ, wideBytes(std::u16string(u"C:\\Apps\\Veltrosan\0", 18))}},
      {HKEY_LOCAL_MACHINE, kInstall, u"Version", {REG_BINARY, {1, 3, 0, 0xFF}}},
      {HKEY_LOCAL_MACHINE, kInstall + u"\\Licence", u"Seat", {REG_SZ, wideBytes(u"7")}},
  };
}

void putUsersValues() {
  for (const UserValue& v : usersValues()) {
    createKey(v.root, v.key);
    setValue(v.root, v.key, v.name, v.value.type, v.value.data);
  }
}

std::vector<std::u16string> sorted(std::vector<std::u16string> names) {
  for (auto& name : names)
    for (char16_t& c : name)
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  std::sort(names.begin(), names.end());
  return names;
}

// Exactly the user's values and keys are there, nothing more.
void expectUsersValues() {
  for (const UserValue& v : usersValues()) {
    SCOPED_TRACE(std::string(v.name.begin(), v.name.end()));
    const std::optional<StoredValue> found = getValue(v.root, v.key, v.name);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->type, v.value.type);
    EXPECT_EQ(found->data, v.value.data);
  }
  EXPECT_EQ(sorted(valueNames(HKEY_CURRENT_USER, kOptions)), sorted({u"", u"CtiParameter", u"Empty", u"ImportAttributes"}));
  EXPECT_EQ(sorted(subkeyNames(HKEY_CURRENT_USER, kOptions)), sorted({u"Window"}));
  EXPECT_EQ(sorted(subkeyNames(HKEY_CURRENT_USER, kOptions + u"\\Window")), sorted({u"Recent"}));
  EXPECT_EQ(sorted(valueNames(HKEY_CURRENT_USER, kOptions + u"\\Window")), sorted({u"Size"}));
  EXPECT_EQ(sorted(valueNames(HKEY_LOCAL_MACHINE, kInstall)), sorted({u"Path", u"Version"}));
  EXPECT_EQ(sorted(subkeyNames(HKEY_LOCAL_MACHINE, kInstall)), sorted({u"Licence"}));
}

// What the tests do to the keys: delete them, make them afresh, store,
// change and add values and keys.
void doWhatTestsDo() {
  deleteKey(HKEY_CURRENT_USER, kOptions);
  deleteKey(HKEY_LOCAL_MACHINE, kInstall);
  createKey(HKEY_CURRENT_USER, kOptions);
  setValue(HKEY_CURRENT_USER, kOptions, u"CtiParameter", REG_SZ, wideBytes(u"TEST_CTI"));
  setValue(HKEY_CURRENT_USER, kOptions, u"Other", REG_BINARY, {1});
  createKey(HKEY_CURRENT_USER, kOptions + u"\\Window\\Recent");
  setValue(HKEY_CURRENT_USER, kOptions + u"\\Window\\Recent", u"File2", REG_SZ, wideBytes(u"b"));
  createKey(HKEY_LOCAL_MACHINE, kInstall);
  setValue(HKEY_LOCAL_MACHINE, kInstall, u"Path", REG_SZ, wideBytes(u"Z:\\tmp\\install"));
}

class RegistryGuard : public testing_support::SimTest {
 protected:
  // The machine's own state of both keys, kept by guards of their own
  // around each test here.
  void SetUp() override {
    SimTest::SetUp();
    machineOptions_.emplace(HKEY_CURRENT_USER, kOptions);
    machineInstall_.emplace(HKEY_LOCAL_MACHINE, kInstall);
    deleteKey(HKEY_CURRENT_USER, kOptions);
    deleteKey(HKEY_LOCAL_MACHINE, kInstall);
  }
  void TearDown() override {
    if (machineOptions_) machineOptions_->restore();
    if (machineInstall_) machineInstall_->restore();
    SimTest::TearDown();
  }

 private:
  std::optional<KeyGuard> machineOptions_;
  std::optional<KeyGuard> machineInstall_;
};

TEST_F(RegistryGuard, PutsBackExactlyTheUsersValuesAndKeys) {
  putUsersValues();
  {
    KeyGuard options(HKEY_CURRENT_USER, kOptions);
    KeyGuard install(HKEY_LOCAL_MACHINE, kInstall);
    doWhatTestsDo();
    options.restore();
    install.restore();
  }
  expectUsersValues();

  // Values changed in place, with the key kept.
  KeyGuard options(HKEY_CURRENT_USER, kOptions);
  setValue(HKEY_CURRENT_USER, kOptions, u"CtiParameter", REG_BINARY, {});
  setValue(HKEY_CURRENT_USER, kOptions, u"Added", REG_SZ, wideBytes(u"x"));
  createKey(HKEY_CURRENT_USER, kOptions + u"\\Added");
  options.restore();
  expectUsersValues();
}

TEST_F(RegistryGuard, RestoresHoweverTheTestEnds) {
  putUsersValues();
  try {
    KeyGuard options(HKEY_CURRENT_USER, kOptions);
    KeyGuard install(HKEY_LOCAL_MACHINE, kInstall);
    doWhatTestsDo();
    throw std::runtime_error("the test failed");
  } catch (const std::runtime_error&) {
  }
  expectUsersValues();
}

// Keys that were missing are missing again, and so are the parents that the
// test made for them; parents that were there stay.
TEST_F(RegistryGuard, KeysThatWereMissingAreMissingAgain) {
  createKey(HKEY_CURRENT_USER, u"SOFTWARE");  // as on every Windows machine
  const std::u16string vendor = u"SOFTWARE\\Marbeltix";
  const bool vendorThere = keyExists(HKEY_CURRENT_USER, vendor);
  const std::u16string scratch = u"SOFTWARE\\VeltrosanTests\\Guard";
  ASSERT_FALSE(keyExists(HKEY_CURRENT_USER, u"SOFTWARE\\VeltrosanTests"));
  {
    KeyGuard options(HKEY_CURRENT_USER, kOptions);
    KeyGuard deep(HKEY_CURRENT_USER, scratch + u"\\Inner");
    doWhatTestsDo();
    createKey(HKEY_CURRENT_USER, scratch + u"\\Inner\\Below");
    setValue(HKEY_CURRENT_USER, scratch, u"Value", REG_SZ, wideBytes(u"x"));
  }
  EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kOptions));
  EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, u"SOFTWARE\\VeltrosanTests"));
  EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, u"SOFTWARE"));
  EXPECT_EQ(keyExists(HKEY_CURRENT_USER, vendor), vendorThere);

  // A parent that was there keeps what it holds.
  KeyGuard parent(HKEY_CURRENT_USER, vendor + u"\\Veltrosan");
  createKey(HKEY_CURRENT_USER, vendor + u"\\Veltrosan");
  setValue(HKEY_CURRENT_USER, vendor + u"\\Veltrosan", u"Kept", REG_SZ, wideBytes(u"k"));
  {
    KeyGuard options(HKEY_CURRENT_USER, kOptions);
    createKey(HKEY_CURRENT_USER, kOptions);
  }
  EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kOptions));
  ASSERT_TRUE(getValue(HKEY_CURRENT_USER, vendor + u"\\Veltrosan", u"Kept"));
  EXPECT_EQ(subkeyNames(HKEY_CURRENT_USER, vendor + u"\\Veltrosan"), std::vector<std::u16string>{});
  parent.restore();
}

}  // namespace
}  // namespace veltrosan::test
