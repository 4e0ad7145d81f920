// The simulated registry and process start, which stand in for Windows off
// Windows: the gateway's registry and process code must behave the same on
// both, so these check the Windows semantics it relies on.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
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

// A key or handle whose close was made to fail stays open, and it alone may:
// the fixture lets it go and names whatever else is open.
TEST_F(OperatingSystemSim, AFailedCloseExcusesOnlyWhatItWasGiven) {
  world().os.key(kOptions);
  HKEY failed = open(u"SOFTWARE\\Marbeltix\\Veltrosan\\Options", KEY_READ);
  HKEY forgotten = open(u"SOFTWARE\\Marbeltix\\Veltrosan\\Options", KEY_WRITE);
  char commandLine[] = "app";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  world().faults.failOn("RegCloseKey", 1, ERROR_ACCESS_DENIED);
  world().faults.failOn("CloseHandle", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCloseKey(failed), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(CloseHandle(info.hProcess));

  releaseLeftovers();
  ASSERT_EQ(world().os.openKeys.size(), 1u);
  EXPECT_EQ(world().os.openKeys.begin()->first, reinterpret_cast<uintptr_t>(forgotten));
  ASSERT_EQ(world().os.openHandles.size(), 1u);
  EXPECT_EQ(world().os.openHandles.begin()->second, "thread");
  EXPECT_EQ(RegCloseKey(forgotten), ERROR_SUCCESS);
  EXPECT_TRUE(CloseHandle(info.hThread));
}

// What a user's process meets on Windows but the Windows test runs (with
// every right) cannot show: a key that does not let the user change it
// refuses any open that asks to change it, and the machine's keys are such
// keys. Reading them stays allowed, MAXIMUM_ALLOWED included. The calls'
// answers otherwise are held to the real registry's in registry_calls_test.
TEST_F(OperatingSystemSim, KeysTheUserMayNotChangeOpenForReadingOnly) {
  world().os.key(kOptions).writable = false;
  world().os.setString(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Marbeltix\\Veltrosan", u"Path", u"C:\\Apps");
  struct Case {
    HKEY root;
    const char16_t* subkey;
  };
  for (const Case& c : {Case{HKEY_CURRENT_USER, u"SOFTWARE\\Marbeltix\\Veltrosan\\Options"},
                        Case{HKEY_LOCAL_MACHINE, u"SOFTWARE\\Marbeltix\\Veltrosan"},
                        Case{HKEY_LOCAL_MACHINE, u"SOFTWARE"}}) {
    SCOPED_TRACE(sim::utf8(c.subkey));
    for (REGSAM denied : std::initializer_list<REGSAM>{KEY_WRITE, KEY_SET_VALUE, KEY_CREATE_SUB_KEY | KEY_READ, KEY_ALL_ACCESS, GENERIC_WRITE,
                          GENERIC_ALL}) {
      HKEY key = nullptr;
      EXPECT_EQ(RegOpenKeyExW(c.root, c.subkey, 0, denied, &key), ERROR_ACCESS_DENIED) << denied;
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(c.root, c.subkey, 0, MAXIMUM_ALLOWED, &key), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_NE(RegQueryValueExW(key, u"Path", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    const char16_t text[] = u"AB!";
    EXPECT_EQ(RegSetValueExW(key, u"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 4), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExW(c.root, c.subkey, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  }
  EXPECT_EQ(world().os.value(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Marbeltix\\Veltrosan", u"Path")->data,
            (std::vector<unsigned char>{'C', 0, ':', 0, '\\', 0, 'A', 0, 'p', 0, 'p', 0, 's', 0, 0, 0}));
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
