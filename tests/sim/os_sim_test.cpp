// The simulated registry and process start, which stand in for Windows off
// Windows: the gateway's registry and process code must behave the same on
// both, so these check the Windows semantics it relies on.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/win32.h"
#include "sim/text.hpp"
#include "support/sim_fixture.hpp"

namespace {

using testing_support::SimTest;

const std::u16string kOptions = u"HKEY_CURRENT_USER\\SOFTWARE\\Marbeltix\\Veltrosan\\Options";

class OperatingSystemSim : public SimTest {
 protected:
  HKEY open(const char16_t* subkey, REGSAM access, LONG expected = ERROR_SUCCESS) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, subkey, 0, access, &key), expected);
    return key;
  }
};

TEST_F(OperatingSystemSim, KeysOpenOnlyWhenTheyExistWithTheirParents) {
  open(u"SOFTWARE\\Marbeltix\\Veltrosan\\Options", KEY_READ, ERROR_FILE_NOT_FOUND);
  world().os.key(kOptions);
  // Parents exist, and paths compare without case.
  HKEY parent = open(u"software\\MARBELTIX\\veltrosan", KEY_READ);
  HKEY child = nullptr;
  ASSERT_EQ(RegOpenKeyExW(parent, u"Options", 0, KEY_READ, &child), ERROR_SUCCESS);
  EXPECT_EQ(world().os.openKeys.size(), 2u);
  EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(parent), ERROR_SUCCESS);
  EXPECT_NE(RegCloseKey(parent), ERROR_SUCCESS) << "a closed key cannot be closed again";
  // The other root holds nothing of it.
  HKEY machine = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Marbeltix\\Veltrosan", 0, KEY_READ, &machine),
            ERROR_FILE_NOT_FOUND);
}

TEST_F(OperatingSystemSim, QueriesReportTheSizeTheyNeedAndConvertForNarrowCallers) {
  world().os.setString(kOptions, u"CtiParameter", u"CTI\u00e9", /*terminated=*/false);
  HKEY key = open(u"SOFTWARE\\Marbeltix\\Veltrosan\\Options", KEY_READ);

  DWORD type = 0;
  DWORD size = 0;
  ASSERT_EQ(RegQueryValueExW(key, u"ctiparameter", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 8u);

  BYTE shortBuffer[4] = {};
  size = sizeof shortBuffer;
  EXPECT_EQ(RegQueryValueExW(key, u"CtiParameter", nullptr, nullptr, shortBuffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 8u);

  char16_t units[4] = {};
  size = sizeof units;
  ASSERT_EQ(RegQueryValueExW(key, u"CtiParameter", nullptr, nullptr, reinterpret_cast<BYTE*>(units), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(units, 4), u"CTI\u00e9");

  char narrow[16] = {};
  size = sizeof narrow;
  ASSERT_EQ(RegQueryValueExA(key, "CTIPARAMETER", nullptr, nullptr, reinterpret_cast<BYTE*>(narrow), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(narrow, size), "CTI\xc3\xa9");

  EXPECT_EQ(RegQueryValueExW(key, u"Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(OperatingSystemSim, WritingNeedsAKeyOpenedForWritingThatAllowsIt) {
  world().os.key(kOptions);
  HKEY reader = open(u"SOFTWARE\\Marbeltix\\Veltrosan\\Options", KEY_READ);
  const char16_t text[] = u"AB!";  // "!" after the stated size: see StringsGetTheirTerminatorCountedIn
  EXPECT_EQ(RegSetValueExW(reader, u"CtiParameter", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 4),
            ERROR_ACCESS_DENIED);
  RegCloseKey(reader);

  HKEY writer = open(u"SOFTWARE\\Marbeltix\\Veltrosan\\Options", KEY_WRITE);
  ASSERT_EQ(RegSetValueExW(writer, u"CtiParameter", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 4),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(writer, u"ImportAttributes", 0, REG_MULTI_SZ, nullptr, 0), ERROR_SUCCESS);
  RegCloseKey(writer);
  const auto* stored = world().os.value(kOptions, u"CtiParameter");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->data, (std::vector<unsigned char>{'A', 0, 'B', 0}));
  EXPECT_TRUE(world().os.value(kOptions, u"ImportAttributes")->data.empty());

  world().os.key(kOptions).writable = false;
  open(u"SOFTWARE\\Marbeltix\\Veltrosan\\Options", KEY_WRITE, ERROR_ACCESS_DENIED);
}

// What the Windows registry does with string data (checked against it in the
// Windows test runs): a size that stops just before a NUL unit gets that NUL
// counted in on writing, and reading into a larger buffer puts a NUL unit
// after data that lacks one, without counting it.
TEST_F(OperatingSystemSim, StringsGetTheirTerminatorCountedIn) {
  world().os.key(kOptions);
  HKEY key = open(u"SOFTWARE\\Marbeltix\\Veltrosan\\Options", KEY_WRITE | KEY_READ);
  struct Case {
    const char16_t* value;
    DWORD type;
    std::u16string units;  // the buffer given, beyond the stated size too
    DWORD size;
    size_t stored;
  };
  const Case cases[] = {
      {u"SzNulAfter", REG_SZ, std::u16string(u"XYZ\0", 4), 6, 8},
      {u"SzGuarded", REG_SZ, u"XYZ!", 6, 6},
      {u"MultiEndsInNul", REG_MULTI_SZ, std::u16string(u"A\0" u"2\0\0", 5), 8, 8},
      {u"MultiNulAfter", REG_MULTI_SZ, std::u16string(u"A\0" u"2\0", 4), 6, 8},
      {u"BinaryNulAfter", REG_BINARY, std::u16string(u"XY\0", 3), 4, 4},
      {u"Empty", REG_SZ, std::u16string(u"\0", 1), 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(sim::utf8(c.value));
    ASSERT_EQ(RegSetValueExW(key, c.value, 0, c.type, reinterpret_cast<const BYTE*>(c.units.data()), c.size),
              ERROR_SUCCESS);
    EXPECT_EQ(world().os.value(kOptions, c.value)->data.size(), c.stored);
  }

  unsigned char buffer[16];
  std::memset(buffer, 0xAB, sizeof buffer);
  DWORD size = sizeof buffer;
  ASSERT_EQ(RegQueryValueExW(key, u"SzGuarded", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(std::vector<unsigned char>(buffer, buffer + 10),
            (std::vector<unsigned char>{'X', 0, 'Y', 0, 'Z', 0, 0, 0, 0xAB, 0xAB}));
  std::memset(buffer, 0xAB, sizeof buffer);
  size = 6;  // no room after the data: nothing is written there
  ASSERT_EQ(RegQueryValueExW(key, u"SzGuarded", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(buffer[6], 0xAB);
  RegCloseKey(key);
}

TEST_F(OperatingSystemSim, ProcessStartRecordsTheCallAndHandsOutHandlesToClose) {
  char commandLine[] = "\"C:\\Apps\\Veltrosan.exe\" \"C:\\work\\a.vtq\" -d";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  ASSERT_EQ(world().os.processes.size(), 1u);
  EXPECT_EQ(world().os.processes[0].commandLine, commandLine);
  EXPECT_EQ(world().os.processes[0].startupInfoSize, 104u);
  EXPECT_EQ(world().os.openHandles.size(), 2u);
  EXPECT_TRUE(CloseHandle(info.hProcess));
  EXPECT_TRUE(CloseHandle(info.hThread));
  EXPECT_FALSE(CloseHandle(info.hThread));

  world().os.processesStart = false;
  PROCESS_INFORMATION none{};
  EXPECT_FALSE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &none));
  EXPECT_EQ(world().os.processes.size(), 1u);
}

// The fields that came non-zero are named, and the command line, which the
// start writes into while it runs, is as it was afterwards.
TEST_F(OperatingSystemSim, ProcessStartNamesTheFieldsThatWereSet) {
  char commandLine[] = "\"C:\\Apps\\Veltrosan.exe\" \"C:\\work\\a.vtq\"";
  const std::string before = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = 1;
  startup.hStdError = &startup;
  PROCESS_INFORMATION info{};
  info.dwThreadId = 7;
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  EXPECT_EQ(std::string(commandLine), before);
  ASSERT_EQ(world().os.processes.size(), 1u);
  EXPECT_EQ(world().os.processes[0].startupInfoFieldsSet, (std::vector<std::string>{"dwFlags", "hStdError"}));
  EXPECT_EQ(world().os.processes[0].processInformationFieldsSet, std::vector<std::string>{"dwThreadId"});
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
}

}  // namespace
