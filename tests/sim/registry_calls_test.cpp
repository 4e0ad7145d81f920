// The registry calls that the gateway makes, with the answers of the Windows
// registry: on Windows this runs against the real one (under Wine in the
// test runs), natively against the simulated one, with the same
// expectations, so the simulation cannot drift from what Windows does.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host/win32.h"
#include "support/registry.hpp"
#include "support/registry_guard.hpp"
#include "support/sim_fixture.hpp"

namespace veltrosan::test {
namespace {

// A key of the tests' own, away from the gateway's.
constexpr char16_t kScratch[] = u"SOFTWARE\\VeltrosanTests\\RegistryCalls";
constexpr DWORD kUntouched = 77;  // a type no call writes
constexpr unsigned char kFill = 0xAB;

std::vector<unsigned char> bytes(const std::string& text) { return {text.begin(), text.end()}; }
std::u16string ascii(const std::string& text) { return {text.begin(), text.end()}; }

class RegistryCalls : public testing_support::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    guard_.emplace(HKEY_CURRENT_USER, kScratch);
    deleteKey(HKEY_CURRENT_USER, kScratch);
    createKey(HKEY_CURRENT_USER, kScratch);
  }
  void TearDown() override {
    if (guard_) guard_->restore();
    SimTest::TearDown();
  }

  static HKEY open(REGSAM access) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, win32Wide(kScratch), 0, access, &key), ERROR_SUCCESS);
    return key;
  }
  static void store(const std::u16string& name, DWORD type, const std::vector<unsigned char>& data) {
    setValue(HKEY_CURRENT_USER, kScratch, name, type, data);
  }
  static std::optional<StoredValue> stored(const std::u16string& name) {
    return getValue(HKEY_CURRENT_USER, kScratch, name);
  }

 private:
  std::optional<KeyGuard> guard_;
};

// A handle keeps the rights it was opened with: a query needs the right to
// query values, a set the right to set them, whatever else was asked for.
// The open itself succeeds on a key the user may change.
TEST_F(RegistryCalls, EachCallNeedsItsOwnRightOfTheHandle) {
  store(u"Value", REG_SZ, wideBytes(u"abc"));
  struct Case {
    const char* what;
    REGSAM access;
    LONG query;
    LONG set;
  };
  const Case cases[] = {
      {"KEY_READ", KEY_READ, ERROR_SUCCESS, ERROR_ACCESS_DENIED},
      {"KEY_WRITE", KEY_WRITE, ERROR_ACCESS_DENIED, ERROR_SUCCESS},
      {"KEY_READ | KEY_WRITE", KEY_READ | KEY_WRITE, ERROR_SUCCESS, ERROR_SUCCESS},
      {"KEY_QUERY_VALUE", KEY_QUERY_VALUE, ERROR_SUCCESS, ERROR_ACCESS_DENIED},
      {"KEY_SET_VALUE", KEY_SET_VALUE, ERROR_ACCESS_DENIED, ERROR_SUCCESS},
      {"KEY_READ | KEY_CREATE_SUB_KEY", KEY_READ | KEY_CREATE_SUB_KEY, ERROR_SUCCESS, ERROR_ACCESS_DENIED},
      {"KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY", KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY, ERROR_ACCESS_DENIED,
       ERROR_ACCESS_DENIED},
      {"no rights", 0, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
      {"KEY_ALL_ACCESS", KEY_ALL_ACCESS, ERROR_SUCCESS, ERROR_SUCCESS},
      {"GENERIC_READ", GENERIC_READ, ERROR_SUCCESS, ERROR_ACCESS_DENIED},
      {"GENERIC_WRITE", GENERIC_WRITE, ERROR_ACCESS_DENIED, ERROR_SUCCESS},
      {"GENERIC_ALL", GENERIC_ALL, ERROR_SUCCESS, ERROR_SUCCESS},
      {"MAXIMUM_ALLOWED", MAXIMUM_ALLOWED, ERROR_SUCCESS, ERROR_SUCCESS},
      {"a view flag alone", KEY_WOW64_64KEY, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
      {"a view flag and KEY_READ", KEY_WOW64_64KEY | KEY_READ, ERROR_SUCCESS, ERROR_ACCESS_DENIED},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HKEY key = open(c.access);
    ASSERT_NE(key, nullptr);
    const bool mayQuery = c.query == ERROR_SUCCESS;

    DWORD type = kUntouched;
    DWORD size = 99;
    EXPECT_EQ(RegQueryValueExW(key, win32Wide(u"Value"), nullptr, &type, nullptr, &size), c.query);
    EXPECT_EQ(size, mayQuery ? 6u : 0u) << "a size query without a buffer resets the size first";
    EXPECT_EQ(type, mayQuery ? static_cast<DWORD>(REG_SZ) : kUntouched);
    size = 99;
    EXPECT_EQ(RegQueryValueExW(key, win32Wide(u"Missing"), nullptr, nullptr, nullptr, &size),
              mayQuery ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
    EXPECT_EQ(size, 0u);
    char narrow[8] = {};
    size = sizeof narrow;
    EXPECT_EQ(RegQueryValueExA(key, "Value", nullptr, nullptr, reinterpret_cast<BYTE*>(narrow), &size), c.query);

    const std::u16string name = u"Set" + std::u16string(1, static_cast<char16_t>(u'A' + n++));
    const std::u16string data = u"xy!";  // "!" after the stated size keeps the registry from adding a NUL
    EXPECT_EQ(RegSetValueExW(key, win32Wide(name.c_str()), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()), 4),
              c.set);
    const auto written = stored(name);
    if (c.set == ERROR_SUCCESS) {
      ASSERT_TRUE(written);
      EXPECT_EQ(written->data, wideBytes(u"xy"));
    } else {
      EXPECT_FALSE(written) << "a denied set stores nothing";
    }
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  }
}

// Opening a key below an open one needs no right of the open one; the new
// handle has the rights asked for it.
TEST_F(RegistryCalls, AKeyOpensBelowAHandleWithoutRights) {
  createKey(HKEY_CURRENT_USER, std::u16string(kScratch) + u"\\Inner");
  store(u"Value", REG_BINARY, bytes("v"));
  HKEY outer = open(0);
  HKEY inner = nullptr;
  ASSERT_EQ(RegOpenKeyExW(outer, win32Wide(u"inner"), 0, KEY_READ, &inner), ERROR_SUCCESS);
  HKEY same = nullptr;
  ASSERT_EQ(RegOpenKeyExW(outer, win32Wide(u""), 0, KEY_QUERY_VALUE, &same), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(same, win32Wide(u"Value"), nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 1u);
  HKEY missing = nullptr;
  EXPECT_EQ(RegOpenKeyExW(outer, win32Wide(u"Other"), 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, win32Wide(kScratch), 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCloseKey(same), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(inner), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(outer), ERROR_SUCCESS);
}

// A handle that was never opened, or none at all, is refused by every call;
// a root is never closed, and closing it is no error. (A handle that was
// closed is no such test on Windows: its value may already stand for a key
// that the system opened since.)
TEST_F(RegistryCalls, AHandleThatIsNotOpenIsRefusedByEveryCall) {
  store(u"Value", REG_SZ, wideBytes(u"abc"));
  BYTE buffer[16] = {};
  for (HKEY bad : {reinterpret_cast<HKEY>(std::uintptr_t{0x7FF0}), static_cast<HKEY>(nullptr)}) {
    SCOPED_TRACE(bad == nullptr ? "no handle" : "a handle never opened");
    DWORD size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExW(bad, win32Wide(u"Value"), nullptr, nullptr, buffer, &size), ERROR_INVALID_HANDLE);
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(bad, "Value", nullptr, nullptr, buffer, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExW(bad, win32Wide(u"Value"), 0, REG_BINARY, buffer, 1), ERROR_INVALID_HANDLE);
    HKEY below = nullptr;
    EXPECT_EQ(RegOpenKeyExW(bad, win32Wide(u"Inner"), 0, KEY_READ, &below), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(bad), ERROR_INVALID_HANDLE);
  }
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(stored(u"Value")->data, wideBytes(u"abc"));
}

// What a narrow query gives for each stored form into a buffer of a given
// size: the result, the type, the size it reports and the buffer's bytes
// (filled with 0xAB before). String data comes converted to the ANSI code
// page, a NUL is put after unterminated text when the buffer has room, and a
// short buffer is left untouched with the size it would need.
TEST_F(RegistryCalls, NarrowQueriesConvertStringsAndReportTheSizeTheyNeed) {
  const std::string p512(512, 'p');
  struct Case {
    const char* what;
    DWORD type;
    std::vector<unsigned char> data;  // as stored
    const char* name;                 // as queried
    DWORD capacity;
    LONG result;
    DWORD typeOut;
    DWORD size;
    std::string buffer;  // the buffer's first bytes afterwards
  };
  const std::string fill(1, static_cast<char>(kFill));
  const Case cases[] = {
      {"512 units without a NUL, into 512 bytes", REG_SZ, wideBytes(ascii(p512)), "V", 512, ERROR_SUCCESS, REG_SZ,
       512, p512 + fill},
      {"511 units and a NUL", REG_SZ, wideBytes(ascii(std::string(511, 'p') + '\0')), "V", 512, ERROR_SUCCESS,
       REG_SZ, 512, std::string(511, 'p') + '\0' + fill},
      {"513 units", REG_SZ, wideBytes(ascii(p512 + "p")), "V", 512, ERROR_MORE_DATA, REG_SZ, 513, fill + fill},
      {"512 binary bytes", REG_BINARY, bytes(p512), "V", 512, ERROR_SUCCESS, REG_BINARY, 512, p512 + fill},
      {"513 binary bytes", REG_BINARY, bytes(p512 + "p"), "V", 512, ERROR_MORE_DATA, REG_BINARY, 513, fill},
      {"text without a NUL gets one", REG_SZ, wideBytes(u"abc"), "V", 16, ERROR_SUCCESS, REG_SZ, 3,
       std::string("abc\0", 4) + fill},
      {"value names compare without case", REG_SZ, wideBytes(u"abc"), "v", 16, ERROR_SUCCESS, REG_SZ, 3,
       std::string("abc\0", 4) + fill},
      {"no room for the NUL", REG_SZ, wideBytes(u"abc"), "V", 3, ERROR_SUCCESS, REG_SZ, 3, "abc" + fill},
      {"one byte short", REG_SZ, wideBytes(u"abc"), "V", 2, ERROR_MORE_DATA, REG_SZ, 3, fill + fill},
      {"text with its NUL", REG_SZ, wideBytes(std::u16string(u"abc\0", 4)), "V", 16, ERROR_SUCCESS, REG_SZ, 4,
       std::string("abc\0", 4) + fill},
      {"text after a NUL", REG_SZ, wideBytes(std::u16string(u"ab\0cd", 5)), "V", 16, ERROR_SUCCESS, REG_SZ, 5,
       std::string("ab\0cd\0", 6) + fill},
      {"an odd last byte", REG_SZ, bytes(std::string("a\0b\0c", 5)), "V", 16, ERROR_SUCCESS, REG_SZ, 2,
       std::string("ab\0", 3) + fill},
      {"no data", REG_SZ, {}, "V", 16, ERROR_SUCCESS, REG_SZ, 0, fill},
      {"an expandable string", REG_EXPAND_SZ, wideBytes(u"abc"), "V", 16, ERROR_SUCCESS, REG_EXPAND_SZ, 3,
       std::string("abc\0", 4) + fill},
      {"a multi-string", REG_MULTI_SZ, wideBytes(std::u16string(u"a\0b\0", 4)), "V", 16, ERROR_SUCCESS, REG_MULTI_SZ,
       4, std::string("a\0b\0", 4) + fill},
      {"binary data gets no NUL", REG_BINARY, bytes("abc"), "V", 16, ERROR_SUCCESS, REG_BINARY, 3, "abc" + fill},
      {"a missing value", REG_SZ, wideBytes(u"abc"), "Missing", 16, ERROR_FILE_NOT_FOUND, REG_NONE, 16, fill},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    store(u"V", c.type, c.data);
    HKEY key = open(KEY_READ);
    std::vector<unsigned char> buffer(1100, kFill);
    DWORD type = kUntouched;
    DWORD size = c.capacity;
    EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, buffer.data(), &size), c.result);
    EXPECT_EQ(type, c.typeOut);
    EXPECT_EQ(size, c.size);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + static_cast<long>(c.buffer.size())), c.buffer);
    // Without a buffer, the size the data needs, or 0 when it fails.
    size = 1234;
    EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, nullptr, nullptr, &size),
              c.result == ERROR_FILE_NOT_FOUND ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS);
    EXPECT_EQ(size, c.result == ERROR_FILE_NOT_FOUND ? 0u : c.size);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  }
}

// Narrow text is in the ANSI code page, one byte for each UTF-16 unit; the
// test runs' code page is 1252, where "é" and "€" have a byte and a Chinese
// character has none.
TEST_F(RegistryCalls, NarrowQueriesGiveOneByteForEachUnit) {
#ifdef _WIN32
  if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page here is " << GetACP();
#endif
  store(u"V", REG_SZ, wideBytes(u"C\u00e9\u20ac\u4e2d\U0001F600"));
  HKEY key = open(KEY_QUERY_VALUE);
  char buffer[16];
  std::memset(buffer, kFill, sizeof buffer);
  DWORD size = sizeof buffer;
  ASSERT_EQ(RegQueryValueExA(key, "V", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(std::string(buffer, 7), std::string("C\xe9\x80???\0", 7));
  RegCloseKey(key);
}

// What a wide query gives: the stored bytes, a NUL unit after unterminated
// string data when the buffer has room for it (not counted), and a short
// buffer left untouched with the size it would need.
TEST_F(RegistryCalls, WideQueriesAddANulUnitTheyDoNotCount) {
  struct Case {
    const char* what;
    DWORD type;
    std::vector<unsigned char> data;
    DWORD capacity;
    LONG result;
    DWORD size;
    std::vector<unsigned char> buffer;  // the buffer's first bytes afterwards
  };
  const Case cases[] = {
      {"room for the NUL", REG_SZ, wideBytes(u"XYZ"), 16, ERROR_SUCCESS, 6, {'X', 0, 'Y', 0, 'Z', 0, 0, 0, kFill}},
      {"room for half of it", REG_SZ, wideBytes(u"XYZ"), 7, ERROR_SUCCESS, 6, {'X', 0, 'Y', 0, 'Z', 0, kFill}},
      {"terminated already", REG_SZ, wideBytes(std::u16string(u"XY\0", 3)), 16, ERROR_SUCCESS, 6,
       {'X', 0, 'Y', 0, 0, 0, kFill}},
      {"an odd last byte", REG_SZ, bytes(std::string("X\0Y\0Z", 5)), 16, ERROR_SUCCESS, 5,
       {'X', 0, 'Y', 0, 'Z', 0, 0, kFill}},
      {"a multi-string without its closing NUL", REG_MULTI_SZ, wideBytes(std::u16string(u"A\0B", 3)), 16,
       ERROR_SUCCESS, 6, {'A', 0, 0, 0, 'B', 0, 0, 0, kFill}},
      {"binary data", REG_BINARY, bytes("XYZ"), 16, ERROR_SUCCESS, 3, {'X', 'Y', 'Z', kFill}},
      {"a short buffer", REG_SZ, wideBytes(u"XYZ"), 4, ERROR_MORE_DATA, 6, {kFill, kFill, kFill, kFill, kFill}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    store(u"CtiParameter", c.type, c.data);
    HKEY key = open(KEY_QUERY_VALUE);
    std::vector<unsigned char> buffer(32, kFill);
    DWORD type = kUntouched;
    DWORD size = c.capacity;
    EXPECT_EQ(RegQueryValueExW(key, win32Wide(u"ctiPARAMETER"), nullptr, &type, buffer.data(), &size), c.result);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(size, c.size);
    EXPECT_EQ(std::vector<unsigned char>(buffer.begin(), buffer.begin() + static_cast<long>(c.buffer.size())),
              c.buffer);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  }
  HKEY key = open(KEY_QUERY_VALUE);
  std::vector<unsigned char> buffer(8, kFill);
  DWORD type = kUntouched;
  DWORD size = 8;
  EXPECT_EQ(RegQueryValueExW(key, win32Wide(u"Missing"), nullptr, &type, buffer.data(), &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(type, kUntouched);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

// A set stores the bytes given under the stated size, but string data whose
// stated size stops just before a NUL unit gets that NUL counted in: the
// registry reads one unit past the size. The options are written with a
// guard unit there for this reason.
TEST_F(RegistryCalls, SetsCountAForgottenNulIn) {
  HKEY key = open(KEY_SET_VALUE);
  struct Case {
    const char* value;  // the value's name, ASCII
    DWORD type;
    std::u16string units;  // the buffer given, beyond the stated size too
    DWORD size;
    size_t stored;
  };
  const Case cases[] = {
      {"SzNulAfter", REG_SZ, std::u16string(u"XYZ\0", 4), 6, 8},
      {"SzGuarded", REG_SZ, u"XYZ!", 6, 6},
      {"MultiEndsInNul", REG_MULTI_SZ, std::u16string(u"A\0" u"2\0\0", 5), 8, 8},
      {"MultiNulAfter", REG_MULTI_SZ, std::u16string(u"A\0" u"2\0", 4), 6, 8},
      {"BinaryNulAfter", REG_BINARY, std::u16string(u"XY\0", 3), 4, 4},
      {"Empty", REG_SZ, std::u16string(u"\0", 1), 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const std::u16string name = ascii(c.value);
    ASSERT_EQ(RegSetValueExW(key, win32Wide(name.c_str()), 0, c.type, reinterpret_cast<const BYTE*>(c.units.data()),
                             c.size),
              ERROR_SUCCESS);
    const auto value = stored(name);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, c.type);
    EXPECT_EQ(value->data.size(), c.stored);
  }
  // A set replaces type and data under any case of the name; no data with a
  // size is refused, and the reserved argument is not looked at.
  ASSERT_EQ(RegSetValueExW(key, win32Wide(u"szguarded"), 0, REG_BINARY, reinterpret_cast<const BYTE*>("z"), 1),
            ERROR_SUCCESS);
  EXPECT_EQ(stored(u"SzGuarded")->type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(stored(u"SzGuarded")->data, bytes("z"));
  EXPECT_EQ(RegSetValueExW(key, win32Wide(u"NoData"), 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS);
  EXPECT_FALSE(stored(u"NoData"));
  EXPECT_EQ(RegSetValueExW(key, win32Wide(u"Reserved"), 1, REG_BINARY, reinterpret_cast<const BYTE*>("r"), 1),
            ERROR_SUCCESS);
  EXPECT_EQ(stored(u"Reserved")->data, bytes("r"));
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

}  // namespace
}  // namespace veltrosan::test
