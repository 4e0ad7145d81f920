// The registry and process calls off Windows, with the semantics of the
// Windows functions that the gateway relies on, as the registry of the
// Windows test runs answers them (tests/sim/registry_calls_test.cpp holds
// both to the same answers): keys open only when they exist, a handle keeps
// the rights it was opened with and each query or set needs its own, value
// names compare without case, a query reports the size it needs, narrow
// queries convert string data to the ANSI code page, and every handle must
// be closed. Built only where <windows.h> is absent.
#include <array>
#include <cstring>
#include <optional>
#include <string>

#include "host/win32.h"
#include "sim/text.hpp"
#include "sim/world.hpp"

namespace {

sim::OperatingSystem& os() { return sim::world().os; }

uintptr_t handleValue(HKEY key) { return reinterpret_cast<uintptr_t>(key); }

// Rights that change a key: a key that is not writable grants none of them
// (DELETE, WRITE_DAC and WRITE_OWNER besides the key's own).
constexpr REGSAM kChangeRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | 0x10000 | 0x40000 | 0x80000;

// The rights a handle gets for the access asked: the registry-view flags are
// no rights, a generic right stands for the key rights it maps to, and
// MAXIMUM_ALLOWED for all that the key allows. None when a right to change
// the key is asked of a key that does not allow it.
std::optional<REGSAM> grantedRights(REGSAM asked, bool writable) {
  REGSAM rights = asked & ~(KEY_WOW64_64KEY | KEY_WOW64_32KEY | MAXIMUM_ALLOWED | GENERIC_READ | GENERIC_WRITE |
                            GENERIC_EXECUTE | GENERIC_ALL);
  if ((asked & (GENERIC_READ | GENERIC_EXECUTE)) != 0) rights |= KEY_READ;
  if ((asked & GENERIC_WRITE) != 0) rights |= KEY_WRITE;
  if ((asked & GENERIC_ALL) != 0) rights |= KEY_ALL_ACCESS;
  if (!writable && (rights & kChangeRights) != 0) return std::nullopt;
  if ((asked & MAXIMUM_ALLOWED) != 0) rights |= writable ? KEY_ALL_ACCESS : KEY_READ;
  return rights;
}

bool isRoot(HKEY key) { return key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE; }

// What a handle stands for: an open key, or a predefined root, which is
// always there and opened with all the rights its key allows (the machine's
// keys do not let a user change them).
std::optional<sim::OperatingSystem::OpenKey> keyOf(HKEY key) {
  if (key == HKEY_CURRENT_USER) return sim::OperatingSystem::OpenKey{u"HKEY_CURRENT_USER", KEY_ALL_ACCESS};
  if (key == HKEY_LOCAL_MACHINE) return sim::OperatingSystem::OpenKey{u"HKEY_LOCAL_MACHINE", KEY_READ};
  auto it = os().openKeys.find(handleValue(key));
  if (it == os().openKeys.end()) return std::nullopt;
  return it->second;
}

// Windows code page 1252, the ANSI code page of the Windows test runs:
// what its bytes 0x80 to 0x9F stand for. The bytes below and above are the
// code points of the same value.
constexpr std::array<char16_t, 32> kAnsiHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// One byte per UTF-16 unit, as Windows converts for narrow callers. A unit
// the code page lacks becomes "?" (Windows maps a few of them to a similar
// letter instead, also one byte).
std::string ansi(const std::u16string& units) {
  std::string out;
  for (char16_t u : units) {
    char byte = '?';
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      byte = static_cast<char>(u);
    } else {
      for (size_t i = 0; i < kAnsiHigh.size(); ++i)
        if (kAnsiHigh[i] == u) byte = static_cast<char>(0x80 + i);
    }
    out.push_back(byte);
  }
  return out;
}

std::u16string fromAnsi(LPCSTR text) {
  std::u16string units;
  for (const char* p = text == nullptr ? "" : text; *p != '\0'; ++p) {
    const auto byte = static_cast<unsigned char>(*p);
    units.push_back(byte >= 0x80 && byte < 0xA0 ? kAnsiHigh[byte - 0x80] : static_cast<char16_t>(byte));
  }
  return units;
}

std::u16string wide(LPCWSTR text) { return text == nullptr ? std::u16string() : std::u16string(text); }

LONG openKey(const char* function, HKEY key, const std::u16string& subkey, DWORD options, REGSAM access,
             PHKEY result) {
  if (auto fault = sim::enter(function, sim::utf8(subkey) + "," + std::to_string(access))) return *fault;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  // A root opens as itself, whatever the access.
  if (isRoot(key) && subkey.empty()) {
    *result = key;
    return ERROR_SUCCESS;
  }
  // Windows takes more options; the gateway passes none.
  if (options != 0) return ERROR_INVALID_PARAMETER;
  const auto parent = keyOf(key);
  if (!parent) return ERROR_INVALID_HANDLE;
  // Opening below a handle needs no right of it.
  const std::u16string path = subkey.empty() ? parent->path : parent->path + u"\\" + subkey;
  const sim::RegistryKey* found = os().findKey(path);
  if (found == nullptr) return ERROR_FILE_NOT_FOUND;
  const std::optional<REGSAM> rights = grantedRights(access, found->writable);
  if (!rights) return ERROR_ACCESS_DENIED;
  const uintptr_t handle = os().nextHandle++;
  os().openKeys[handle] = sim::OperatingSystem::OpenKey{path, *rights};
  *result = reinterpret_cast<HKEY>(handle);
  return ERROR_SUCCESS;
}

bool isStringType(DWORD type) { return type == REG_SZ || type == REG_MULTI_SZ || type == REG_EXPAND_SZ; }

// The steps both queries share before the value is looked up: the
// arguments, the sizes and types they reset, the handle and its right to
// query. The stored value, or the error to return.
struct Lookup {
  const sim::RegistryValue* value = nullptr;
  LONG error = ERROR_SUCCESS;
};
Lookup lookUp(HKEY key, const std::u16string& name, LPDWORD reserved, LPDWORD typeOut, LPBYTE buffer, LPDWORD size,
              bool narrow) {
  if ((buffer != nullptr && size == nullptr) || reserved != nullptr) return {nullptr, ERROR_INVALID_PARAMETER};
  if (key == nullptr) return {nullptr, ERROR_INVALID_HANDLE};
  // Reset before the key is looked at, so failures of any kind show them.
  if (buffer == nullptr && size != nullptr) *size = 0;
  if (narrow && typeOut != nullptr) *typeOut = REG_NONE;
  const auto opened = keyOf(key);
  if (!opened) return {nullptr, ERROR_INVALID_HANDLE};
  if ((opened->access & KEY_QUERY_VALUE) == 0) return {nullptr, ERROR_ACCESS_DENIED};
  const sim::RegistryValue* stored = os().value(opened->path, name);
  if (stored == nullptr) return {nullptr, ERROR_FILE_NOT_FOUND};
  return {stored, ERROR_SUCCESS};
}

// Copies `data` out as RegQueryValueEx does: the size alone without a
// buffer, ERROR_MORE_DATA with the needed size and the buffer untouched when
// it is short. String data whose last character (`unit` bytes: 2 wide, 1
// narrow) is not NUL gets a NUL character written after it when the buffer
// has room, not counted in the size.
LONG answerQuery(const std::vector<unsigned char>& data, DWORD type, LPDWORD typeOut, LPBYTE buffer, LPDWORD size,
                 size_t unit) {
  if (typeOut != nullptr) *typeOut = type;
  const auto needed = static_cast<DWORD>(data.size());
  if (buffer == nullptr) {
    if (size != nullptr) *size = needed;
    return ERROR_SUCCESS;
  }
  if (*size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
  const size_t n = data.size();
  if (isStringType(type) && n >= unit && *size >= needed + unit) {
    bool lastIsNul = true;
    for (size_t i = n - unit; i < n; ++i) lastIsNul = lastIsNul && data[i] == 0;
    if (!lastIsNul) std::memset(buffer + n, 0, unit);
  }
  *size = needed;
  return ERROR_SUCCESS;
}

std::u16string unitsOf(const std::vector<unsigned char>& data) {
  std::u16string units;
  for (size_t i = 0; i + 1 < data.size(); i += 2)
    units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  return units;
}

// The names of the fields that are not zero: every field of the structure
// but the size of a STARTUPINFOA.
template <typename Field>
void noteSet(std::vector<std::string>& names, const char* name, Field value) {
  if (value != Field{}) names.push_back(name);
}

std::vector<std::string> fieldsSet(const STARTUPINFOA& info) {
  std::vector<std::string> names;
  noteSet(names, "lpReserved", info.lpReserved);
  noteSet(names, "lpDesktop", info.lpDesktop);
  noteSet(names, "lpTitle", info.lpTitle);
  noteSet(names, "dwX", info.dwX);
  noteSet(names, "dwY", info.dwY);
  noteSet(names, "dwXSize", info.dwXSize);
  noteSet(names, "dwYSize", info.dwYSize);
  noteSet(names, "dwXCountChars", info.dwXCountChars);
  noteSet(names, "dwYCountChars", info.dwYCountChars);
  noteSet(names, "dwFillAttribute", info.dwFillAttribute);
  noteSet(names, "dwFlags", info.dwFlags);
  noteSet(names, "wShowWindow", info.wShowWindow);
  noteSet(names, "cbReserved2", info.cbReserved2);
  noteSet(names, "lpReserved2", info.lpReserved2);
  noteSet(names, "hStdInput", info.hStdInput);
  noteSet(names, "hStdOutput", info.hStdOutput);
  noteSet(names, "hStdError", info.hStdError);
  return names;
}

std::vector<std::string> fieldsSet(const PROCESS_INFORMATION& info) {
  std::vector<std::string> names;
  noteSet(names, "hProcess", info.hProcess);
  noteSet(names, "hThread", info.hThread);
  noteSet(names, "dwProcessId", info.dwProcessId);
  noteSet(names, "dwThreadId", info.dwThreadId);
  return names;
}

}  // namespace

extern "C" {

LONG RegOpenKeyExW(HKEY key, LPCWSTR subkey, DWORD options, REGSAM access, PHKEY result) {
  return openKey("RegOpenKeyExW", key, wide(subkey), options, access, result);
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subkey, DWORD options, REGSAM access, PHKEY result) {
  return openKey("RegOpenKeyExA", key, fromAnsi(subkey), options, access, result);
}

LONG RegQueryValueExW(HKEY key, LPCWSTR value, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (auto fault = sim::enter("RegQueryValueExW", sim::utf8(wide(value)))) return *fault;
  const Lookup found = lookUp(key, wide(value), reserved, type, data, size, /*narrow=*/false);
  if (found.value == nullptr) return found.error;
  return answerQuery(found.value->data, found.value->type, type, data, size, 2);
}

LONG RegQueryValueExA(HKEY key, LPCSTR value, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (auto fault = sim::enter("RegQueryValueExA", value == nullptr ? "" : value)) return *fault;
  const Lookup found = lookUp(key, fromAnsi(value), reserved, type, data, size, /*narrow=*/true);
  if (found.value == nullptr) return found.error;
  const sim::RegistryValue& stored = *found.value;
  if (!isStringType(stored.type)) return answerQuery(stored.data, stored.type, type, data, size, 1);
  // String data reaches a narrow caller converted, NULs and all; an odd last
  // byte belongs to no character.
  const std::string narrow = ansi(unitsOf(stored.data));
  return answerQuery(std::vector<unsigned char>(narrow.begin(), narrow.end()), stored.type, type, data, size, 1);
}

LONG RegSetValueExW(HKEY key, LPCWSTR value, DWORD /*reserved: Windows does not look at it*/, DWORD type,
                    const BYTE* data, DWORD size) {
  if (auto fault = sim::enter("RegSetValueExW", sim::utf8(wide(value)) + "," + std::to_string(type) + "," +
                                                    std::to_string(size))) {
    return *fault;
  }
  const auto opened = keyOf(key);
  if (!opened) return ERROR_INVALID_HANDLE;
  if ((opened->access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  // Windows reads the data whatever its pointer: a null one faults.
  if (data == nullptr && size != 0) return ERROR_NOACCESS;
  // Windows counts a forgotten terminator in: string data whose last unit is
  // not NUL but whose next unit, just past the stated size, is NUL is stored
  // with that NUL. Like Windows, this reads the unit after the data, so a
  // caller that wants its exact size stored has to give a non-NUL unit there.
  if (data != nullptr && size >= 2 && isStringType(type)) {
    const DWORD last = (size / 2 - 1) * 2;
    const bool lastIsNul = data[last] == 0 && data[last + 1] == 0;
    const bool nextIsNul = data[last + 2] == 0 && data[last + 3] == 0;
    if (!lastIsNul && nextIsNul) size += 2;
  }
  os().setValue(opened->path, wide(value), type,
                data == nullptr ? std::vector<unsigned char>() : std::vector<unsigned char>(data, data + size));
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  if (auto fault = sim::enter("RegCloseKey", "")) {
    os().keysKeptByFailedClose.insert(handleValue(key));
    return *fault;
  }
  // The roots are never closed, and closing one is no error.
  if (isRoot(key)) return ERROR_SUCCESS;
  if (os().openKeys.erase(handleValue(key)) == 0) return ERROR_INVALID_HANDLE;
  return ERROR_SUCCESS;
}

BOOL CreateProcessA(LPCSTR application, LPSTR command_line, LPSECURITY_ATTRIBUTES process_attributes,
                    LPSECURITY_ATTRIBUTES thread_attributes, BOOL inherit_handles, DWORD creation_flags,
                    LPVOID environment, LPCSTR current_directory, LPSTARTUPINFOA startup_info,
                    LPPROCESS_INFORMATION process_information) {
  if (sim::enter("CreateProcessA", command_line == nullptr ? "" : command_line)) return FALSE;
  if (startup_info == nullptr || process_information == nullptr || process_attributes != nullptr ||
      thread_attributes != nullptr) {
    return FALSE;
  }
  sim::StartedProcess started;
  started.commandLine = command_line == nullptr ? "" : command_line;
  // CreateProcess may change the command line in place while it parses it,
  // and restores it: the caller's buffer has to be writable.
  if (command_line != nullptr) {
    volatile char* line = command_line;
    for (size_t i = 0; i < started.commandLine.size(); ++i) line[i] = '\0';
    for (size_t i = 0; i < started.commandLine.size(); ++i) line[i] = started.commandLine[i];
  }
  started.startupInfoFieldsSet = fieldsSet(*startup_info);
  started.processInformationFieldsSet = fieldsSet(*process_information);
  started.startupInfoSize = startup_info->cb;
  started.creationFlags = creation_flags;
  started.inheritHandles = inherit_handles != FALSE;
  started.applicationNameGiven = application != nullptr;
  started.environmentGiven = environment != nullptr;
  started.directoryGiven = current_directory != nullptr;
  if (os().onStart) os().onStart(started.commandLine);
  if (!os().processesStart) return FALSE;
  os().processes.push_back(started);
  const uintptr_t process = os().nextHandle++;
  const uintptr_t thread = os().nextHandle++;
  os().openHandles[process] = "process";
  os().openHandles[thread] = "thread";
  process_information->hProcess = reinterpret_cast<HANDLE>(process);
  process_information->hThread = reinterpret_cast<HANDLE>(thread);
  process_information->dwProcessId = static_cast<DWORD>(os().processes.size());
  process_information->dwThreadId = static_cast<DWORD>(os().processes.size());
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  if (sim::enter("CloseHandle", "")) {
    os().handlesKeptByFailedClose.insert(reinterpret_cast<uintptr_t>(handle));
    return FALSE;
  }
  return os().openHandles.erase(reinterpret_cast<uintptr_t>(handle)) == 1 ? TRUE : FALSE;
}

}  // extern "C"
