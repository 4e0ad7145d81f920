// The user options in the registry: the stored formats of "CtiParameter" and
// "ImportAttributes", what loading makes of any stored bytes, and what saving
// writes. Natively against the simulated registry, on Windows against the
// real one, so the two are held to the same behaviour.
#include "shell_fixture.hpp"
#include "support/registry_guard.hpp"

namespace veltrosan::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<unsigned char> bytesOf(std::initializer_list<unsigned> bytes) {
  std::vector<unsigned char> out;
  for (unsigned b : bytes) out.push_back(static_cast<unsigned char>(b));
  return out;
}

// Multi-string data: each string followed by one NUL, nothing after.
std::u16string multi(std::initializer_list<std::u16string> strings) {
  std::u16string data;
  for (const auto& s : strings) data += s + u'\0';
  return data;
}

class Options : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    createKey(HKEY_CURRENT_USER, kOptionsKey);
  }
  void TearDown() override {
    attributeList.clear();
    ShellTest::TearDown();
  }
  static void store(const char16_t* name, std::uint32_t type, const std::vector<unsigned char>& data) {
    setValue(HKEY_CURRENT_USER, kOptionsKey, name, type, data);
  }
  static std::optional<StoredValue> stored(const char16_t* name) {
    return getValue(HKEY_CURRENT_USER, kOptionsKey, name);
  }
};

TEST_F(Options, WithoutTheKeyNothingIsLoadedAndNothingIsSaved) {
  deleteKey(HKEY_CURRENT_USER, kOptionsKey);
  Attributes::loadOptions();
  EXPECT_EQ(ctiParameterName, kDefaultCti);
  EXPECT_THAT(attributeList, IsEmpty());

  ctiParameterName = u"CTI";
  attributeList = {{u"MATERIAL", 2}};
  Attributes::saveOptions();
  EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kOptionsKey)) << "the key is never created";
}

TEST_F(Options, CtiNameLoadsFromEveryStoredForm) {
  struct Case {
    const char* what;
    std::uint32_t type;
    std::vector<unsigned char> data;
    std::u16string expected;
  };
  const std::u16string unchanged = u"BEFORE";
  const Case cases[] = {
      {"units without a NUL", REG_SZ, wideBytes(u"XYZ"), u"XYZ"},
      {"with its NUL", REG_SZ, wideBytes(std::u16string(u"XYZ\0", 4)), u"XYZ"},
      {"text after a NUL", REG_SZ, wideBytes(std::u16string(u"XY\0VW", 5)), u"XY"},
      {"a single NUL", REG_SZ, wideBytes(std::u16string(u"\0", 1)), u""},
      // The read takes whole units only, so it cannot take the whole value.
      {"an odd last byte", REG_SZ, bytesOf({'X', 0, 'Y', 0, 'Z', 0, 'Q'}), unchanged},
      {"one byte only", REG_SZ, bytesOf({'X'}), unchanged},
      {"non-ASCII units", REG_SZ, wideBytes(u"CTI_\u00e9\U0001F600"), u"CTI_\u00e9\U0001F600"},
      {"size 0", REG_SZ, {}, unchanged},
      {"an expandable string", 2 /* REG_EXPAND_SZ */, wideBytes(u"XYZ"), unchanged},
      {"a multi-string", REG_MULTI_SZ, wideBytes(multi({u"XYZ"})), unchanged},
      {"binary data", REG_BINARY, wideBytes(u"XYZ"), unchanged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ctiParameterName = unchanged;
    store(u"CtiParameter", c.type, c.data);
    Attributes::loadOptions();
    EXPECT_EQ(sim::utf8(ctiParameterName), sim::utf8(c.expected));
    EXPECT_THAT(attributeList, IsEmpty());
  }
}

TEST_F(Options, AttributesLoadFromEveryStoredForm) {
  struct Case {
    const char* what;
    std::uint32_t type;
    std::vector<unsigned char> data;
    std::vector<AttributeEntry> expected;
  };
  const Case cases[] = {
      {"skipped pair and a name without type", REG_MULTI_SZ, wideBytes(multi({u"MATERIAL", u"2", u"MASS", u"x", u"COST"})),
       {{u"MATERIAL", 2}, {u"COST", 1}}},
      {"every type code", REG_MULTI_SZ, wideBytes(multi({u"A", u"1", u"B", u"2", u"C", u"3"})),
       {{u"A", 1}, {u"B", 2}, {u"C", 3}}},
      {"closing NUL after complete pairs", REG_MULTI_SZ, wideBytes(multi({u"A", u"1", u"B", u"3", u""})),
       {{u"A", 1}, {u"B", 3}}},
      {"closing NUL after a lone name", REG_MULTI_SZ, wideBytes(multi({u"A", u"1", u"B", u""})), {{u"A", 1}}},
      {"two closing NULs", REG_MULTI_SZ, wideBytes(multi({u"A", u"2", u"", u""})), {{u"A", 2}}},
      {"empty name", REG_MULTI_SZ, wideBytes(multi({u"", u"2", u"MASS", u"3"})), {{u"MASS", 3}}},
      {"empty type string", REG_MULTI_SZ, wideBytes(multi({u"MASS", u""})), {}},
      {"codes that are not one digit of 1 to 3", REG_MULTI_SZ,
       wideBytes(multi({u"A", u"0", u"B", u"4", u"C", u"22", u"D", u" 1", u"E", u"3"})), {{u"E", 3}}},
      {"no NUL after the last type", REG_MULTI_SZ, wideBytes(std::u16string(u"A\0" u"2", 3)), {{u"A", 2}}},
      {"an odd last byte", REG_MULTI_SZ, [] {
         auto b = wideBytes(multi({u"A", u"2"}));
         b.push_back('B');
         return b;
       }(),
       {}},
      {"non-ASCII names", REG_MULTI_SZ, wideBytes(multi({u"MAT\u00c9RIAU", u"1"})), {{u"MAT\u00c9RIAU", 1}}},
      {"size 0", REG_MULTI_SZ, {}, {}},
      {"a plain string", REG_SZ, wideBytes(multi({u"A", u"1"})), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    attributeList.clear();
    store(u"ImportAttributes", c.type, c.data);
    Attributes::loadOptions();
    EXPECT_EQ(attributeList, c.expected);
    EXPECT_EQ(ctiParameterName, kDefaultCti);
  }
}

TEST_F(Options, LoadedAttributesFollowTheListsEntries) {
  store(u"ImportAttributes", REG_MULTI_SZ, wideBytes(multi({u"MASS", u"3"})));
  attributeList = {{u"KEPT", 2}};
  Attributes::loadOptions();
  EXPECT_THAT(attributeList, ElementsAre(AttributeEntry{u"KEPT", 2}, AttributeEntry{u"MASS", 3}));
}

TEST_F(Options, SavingWritesTheExactFormats) {
  ctiParameterName = u"XYZ";
  attributeList = {{u"MATERIAL", 1}, {u"MASS", 3}};
  Attributes::saveOptions();
  auto cti = stored(u"CtiParameter");
  ASSERT_TRUE(cti);
  EXPECT_EQ(cti->type, static_cast<std::uint32_t>(REG_SZ));
  EXPECT_EQ(cti->data, wideBytes(u"XYZ")) << "no terminating NUL: 6 bytes";
  auto attributes = stored(u"ImportAttributes");
  ASSERT_TRUE(attributes);
  EXPECT_EQ(attributes->type, static_cast<std::uint32_t>(REG_MULTI_SZ));
  EXPECT_EQ(attributes->data, wideBytes(multi({u"MATERIAL", u"1", u"MASS", u"3"})));
  EXPECT_EQ(attributes->data.size(), 36u) << "no closing empty string";

  // Empty names are left out; every type but 2 and 3 is stored as 1.
  attributeList = {{u"A", 2}, {u"", 1}, {u"B", 7}};
  Attributes::saveOptions();
  EXPECT_EQ(stored(u"ImportAttributes")->data, wideBytes(multi({u"A", u"2", u"B", u"1"})));
  EXPECT_EQ(stored(u"ImportAttributes")->data.size(), 16u);
}

TEST_F(Options, EmptyValuesLeaveWhatIsStored) {
  ctiParameterName = u"STORED_CTI";
  attributeList = {{u"MASS", 3}};
  Attributes::saveOptions();

  ctiParameterName = u"";
  attributeList.clear();
  Attributes::saveOptions();
  EXPECT_EQ(stored(u"CtiParameter")->data, wideBytes(u"STORED_CTI"));
  EXPECT_EQ(stored(u"ImportAttributes")->data, wideBytes(multi({u"MASS", u"3"})));
  Attributes::loadOptions();
  EXPECT_EQ(ctiParameterName, u"STORED_CTI");
  EXPECT_THAT(attributeList, ElementsAre(AttributeEntry{u"MASS", 3}));

  // A list of only empty names is stored as an empty value, which loads as none.
  attributeList = {{u"", 2}, {u"", 1}};
  Attributes::saveOptions();
  ASSERT_TRUE(stored(u"ImportAttributes"));
  EXPECT_THAT(stored(u"ImportAttributes")->data, IsEmpty());
  attributeList.clear();
  Attributes::loadOptions();
  EXPECT_THAT(attributeList, IsEmpty());
}

TEST_F(Options, WhatIsSavedLoadsBack) {
  ctiParameterName = u"CTI_\u00e9\U0001F600";
  attributeList = {{u"A", 0}, {u"B", 1}, {u"", 2}, {u"C", 2}, {u"D\u00fc", 3}, {u"E", 4}, {u"F", -1}};
  Attributes::saveOptions();
  ctiParameterName = u"OTHER";
  attributeList.clear();
  Attributes::loadOptions();
  EXPECT_EQ(ctiParameterName, u"CTI_\u00e9\U0001F600");
  EXPECT_THAT(attributeList, ElementsAre(AttributeEntry{u"A", 1}, AttributeEntry{u"B", 1}, AttributeEntry{u"C", 2},
                                         AttributeEntry{u"D\u00fc", 3}, AttributeEntry{u"E", 1},
                                         AttributeEntry{u"F", 1}));
}

#ifndef _WIN32

// Failures of the registry itself, which only the simulated one can be made
// to show: each leaves the values as they were, and every key opened is closed.
TEST_F(Options, RegistryFailuresChangeNothingAndCloseTheKey) {
  store(u"CtiParameter", REG_SZ, wideBytes(u"STORED"));
  store(u"ImportAttributes", REG_MULTI_SZ, wideBytes(multi({u"MASS", u"3"})));
  struct Case {
    const char* function;
    int nth;
    LONG status;
    std::u16string cti;
    std::vector<AttributeEntry> attributes;
  };
  const Case cases[] = {
      {"RegOpenKeyExW", 1, ERROR_ACCESS_DENIED, kDefaultCti, {}},
      {"RegQueryValueExW", 1, ERROR_FILE_NOT_FOUND, kDefaultCti, {{u"MASS", 3}}},
      // The value grew between the size query and the read.
      {"RegQueryValueExW", 2, ERROR_MORE_DATA, kDefaultCti, {{u"MASS", 3}}},
      {"RegQueryValueExW", 3, ERROR_ACCESS_DENIED, u"STORED", {}},
      {"RegQueryValueExW", 4, ERROR_MORE_DATA, u"STORED", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.function) + " #" + std::to_string(c.nth));
    ctiParameterName = kDefaultCti;
    attributeList.clear();
    world().faults.clear();
    world().faults.failOn(c.function, c.nth, c.status);
    Attributes::loadOptions();
    EXPECT_EQ(ctiParameterName, c.cti);
    EXPECT_EQ(attributeList, c.attributes);
    EXPECT_THAT(world().os.openKeys, IsEmpty());
  }
  world().faults.clear();
  attributeList.clear();
}

TEST_F(Options, AKeyThatCannotBeWrittenKeepsItsValues) {
  store(u"CtiParameter", REG_SZ, wideBytes(u"STORED"));
  world().os.key(u"HKEY_CURRENT_USER\\SOFTWARE\\Marbeltix\\Veltrosan\\Options").writable = false;
  ctiParameterName = u"NEW";
  attributeList = {{u"MASS", 3}};
  Attributes::saveOptions();
  EXPECT_EQ(stored(u"CtiParameter")->data, wideBytes(u"STORED"));
  EXPECT_FALSE(stored(u"ImportAttributes"));

  // A failing write is not noticed, and the key is still closed.
  world().os.key(u"HKEY_CURRENT_USER\\SOFTWARE\\Marbeltix\\Veltrosan\\Options").writable = true;
  world().faults.failAlways("RegSetValueExW", ERROR_ACCESS_DENIED);
  Attributes::saveOptions();
  EXPECT_THAT(world().os.openKeys, IsEmpty());
  EXPECT_EQ(world().log.count("RegSetValueExW"), 2);
}

#endif

#ifdef _WIN32

// On Windows the shell's tests use the real options key, which may hold a
// user's options: after a test they are there again exactly (values, types,
// data and keys below), and a key that was missing is missing again, with
// the parents that the test made for it.
class OneShellTest : public testing_support::WholeFixture<ShellTest> {
 protected:
  // What the tests do to the key: make it, store and save into it, delete it.
  void body() override {
    storeOptions(u"TEST_CTI", {u"MASS", u"3"});
    ctiParameterName = u"SAVED_CTI";
    attributeList = {{u"COST", 2}};
    Attributes::saveOptions();
    attributeList.clear();
    setValue(HKEY_CURRENT_USER, kOptionsKey, u"Extra", REG_BINARY, {1, 2});
    deleteKey(HKEY_CURRENT_USER, kOptionsKey);
    createKey(HKEY_CURRENT_USER, kOptionsKey);
  }
};

TEST(ShellFixture, PutsBackTheUsersOptions) {
  const std::u16string vendor = u"SOFTWARE\\Marbeltix";
  const std::u16string options = kOptionsKey;
  KeyGuard machine(HKEY_CURRENT_USER, vendor);  // this test's own changes go too

  deleteKey(HKEY_CURRENT_USER, vendor);
  createKey(HKEY_CURRENT_USER, options + u"\\Window");
  const std::vector<std::pair<std::u16string, StoredValue>> users = {
      {u"CtiParameter", {REG_SZ, wideBytes(std::u16string(u"USER_CTI\0", 9))}},
      {u"ImportAttributes", {REG_MULTI_SZ, wideBytes(std::u16string(u"MATERIAL\0" u"1\0\0", 13))}},
      {u"", {REG_BINARY, {}}},
  };
  for (const auto& [name, value] : users) setValue(HKEY_CURRENT_USER, options, name, value.type, value.data);
  setValue(HKEY_CURRENT_USER, options + u"\\Window", u"Size", REG_DWORD, {1, 2, 3, 4});
  OneShellTest().run();
  EXPECT_EQ(valueNames(HKEY_CURRENT_USER, options).size(), users.size());
  for (const auto& [name, value] : users) {
    SCOPED_TRACE(sim::utf8(name));
    EXPECT_EQ(getValue(HKEY_CURRENT_USER, options, name), std::optional<StoredValue>(value));
  }
  EXPECT_EQ(subkeyNames(HKEY_CURRENT_USER, options), std::vector<std::u16string>{u"Window"});
  EXPECT_EQ(getValue(HKEY_CURRENT_USER, options + u"\\Window", u"Size"),
            std::optional<StoredValue>(StoredValue{REG_DWORD, {1, 2, 3, 4}}));

  deleteKey(HKEY_CURRENT_USER, vendor);
  OneShellTest().run();
  EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, vendor));
  machine.restore();
}

#endif

}  // namespace
}  // namespace veltrosan::test
