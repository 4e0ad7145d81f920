// On Windows the end-to-end tests use the machine's real keys, which may
// hold a user's install folder and options: after a test they are there
// again exactly, and keys that were missing are missing again, with the
// parents that the test made for them.
#include "module_fixture.hpp"
#include "sim/text.hpp"
#include "support/registry.hpp"
#include "support/registry_guard.hpp"

#ifdef _WIN32

namespace veltrosan::test {
namespace {

class OneModuleTest : public testing_support::WholeFixture<ModuleTest> {
 protected:
  // What the tests do to the keys: register an install folder, let the
  // closing dialog save into the options key, and take the install key away.
  void body() override {
    install(false);
    createOptionsKey();
    startGateway();
    runCommand({sim::user::type("CtiValue", u"TEST_CTI"), sim::user::press("Cancel")});
    EXPECT_EQ(storedCtiParameter(), u"TEST_CTI");
    uninstall();
  }
};

struct UserValue {
  HKEY root;
  std::u16string key;
  std::u16string name;
  StoredValue value;
};

TEST(ModuleFixture, PutsBackTheMachinesKeys) {
  const std::u16string vendor = u"SOFTWARE\\Marbeltix";
  const std::u16string install = kInstallKey;
  const std::u16string options = kOptionsKey;
  // This test's own changes go too.
  KeyGuard machineUser(HKEY_CURRENT_USER, vendor);
  KeyGuard machineWide(HKEY_LOCAL_MACHINE, vendor);

  deleteKey(HKEY_CURRENT_USER, vendor);
  deleteKey(HKEY_LOCAL_MACHINE, vendor);
  const UserValue users[] = {
      {HKEY_LOCAL_MACHINE, install, u"Path", {REG_SZ, wideBytes(std::u16string(u"C:\\Apps\\Veltrosan\0", 18))}},
      {HKEY_LOCAL_MACHINE, install + u"\\Licence", u"Seat", {REG_DWORD, {7, 0, 0, 0}}},
      {HKEY_CURRENT_USER, options, u"CtiParameter", {REG_SZ, wideBytes(u"USER_CTI")}},
      {HKEY_CURRENT_USER, options, u"ImportAttributes", {REG_MULTI_SZ, wideBytes(std::u16string(u"MASS\0" u"3\0", 7))}},
  };
  for (const UserValue& v : users) {
    createKey(v.root, v.key);
    setValue(v.root, v.key, v.name, v.value.type, v.value.data);
  }
  OneModuleTest().run();
  for (const UserValue& v : users) {
    SCOPED_TRACE(sim::utf8(v.name));
    EXPECT_EQ(getValue(v.root, v.key, v.name), std::optional<StoredValue>(v.value));
  }
  EXPECT_EQ(valueNames(HKEY_LOCAL_MACHINE, install).size(), 1u);
  EXPECT_EQ(subkeyNames(HKEY_LOCAL_MACHINE, install), std::vector<std::u16string>{u"Licence"});
  EXPECT_EQ(valueNames(HKEY_CURRENT_USER, options).size(), 2u);
  EXPECT_TRUE(subkeyNames(HKEY_CURRENT_USER, options).empty());

  deleteKey(HKEY_CURRENT_USER, vendor);
  deleteKey(HKEY_LOCAL_MACHINE, vendor);
  OneModuleTest().run();
  EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, vendor));
  EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, vendor));

  machineWide.restore();
  machineUser.restore();
}

}  // namespace
}  // namespace veltrosan::test

#endif
