// The registry and process calls off Windows, with the semantics of the
// Windows functions that the gateway relies on: keys open only when they
// exist, value names compare without case, a query reports the size it
// needs, narrow queries convert string data, and every handle must be
// closed. Built only where <windows.h> is absent.
#include <cstring>
#include <string>

#include "host/win32.h"
#include "sim/text.hpp"
#include "sim/world.hpp"

namespace {

sim::OperatingSystem& os() { return sim::world().os; }

uintptr_t handleValue(HKEY key) { return reinterpret_cast<uintptr_t>(key); }

// The full path of a key given as a root or an open key, and a subkey.
bool resolve(HKEY key, const std::u16string& subkey, std::u16string& path) {
  std::u16string base;
  if (key == HKEY_CURRENT_USER) {
    base = u"HKEY_CURRENT_USER";
  } else if (key == HKEY_LOCAL_MACHINE) {
    base = u"HKEY_LOCAL_MACHINE";
  } else {
    auto it = os().openKeys.find(handleValue(key));
    if (it == os().openKeys.end()) return false;
    base = it->second.path;
  }
  path = subkey.empty() ? base : base + u"\\" + subkey;
  return true;
}

LONG openKey(const char* function, HKEY key, const std::u16string& subkey, DWORD options, REGSAM access,
             PHKEY result) {
  if (auto fault = sim::enter(function, sim::utf8(subkey) + "," + std::to_string(access))) return *fault;
  std::u16string path;
  if (result == nullptr || options != 0 || !resolve(key, subkey, path)) return 87;  // ERROR_INVALID_PARAMETER
  const sim::RegistryKey* found = os().findKey(path);
  if (found == nullptr) return ERROR_FILE_NOT_FOUND;
  const bool write = (access & KEY_WRITE & ~KEY_READ) != 0;
  if (write && !found->writable) return ERROR_ACCESS_DENIED;
  const uintptr_t handle = os().nextHandle++;
  os().openKeys[handle] = sim::OperatingSystem::OpenKey{path, write};
  *result = reinterpret_cast<HKEY>(handle);
  return ERROR_SUCCESS;
}

const sim::OperatingSystem::OpenKey* openedKey(HKEY key) {
  auto it = os().openKeys.find(handleValue(key));
  return it == os().openKeys.end() ? nullptr : &it->second;
}

bool isStringType(DWORD type) { return type == REG_SZ || type == REG_MULTI_SZ || type == 2 /* REG_EXPAND_SZ */; }

// Copies `data` out as RegQueryValueEx does: the size alone without a buffer,
// ERROR_MORE_DATA with the needed size when the buffer is short. Wide string
// data that does not end in a NUL unit gets one written after it when the
// buffer has room, not counted in the size (as the Windows registry of the
// Windows test runs does).
LONG answerQuery(const std::vector<unsigned char>& data, DWORD type, LPDWORD typeOut, LPBYTE buffer, LPDWORD size,
                 bool wide) {
  if (typeOut != nullptr) *typeOut = type;
  const auto needed = static_cast<DWORD>(data.size());
  if (buffer == nullptr) {
    if (size != nullptr) *size = needed;
    return ERROR_SUCCESS;
  }
  if (size == nullptr) return 87;
  if (*size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
  const size_t n = data.size();
  if (wide && isStringType(type) && n >= 2 && (data[n - 2] != 0 || data[n - 1] != 0) && *size >= needed + 2) {
    buffer[n] = 0;
    buffer[n + 1] = 0;
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

std::u16string wide(LPCWSTR text) { return text == nullptr ? std::u16string() : std::u16string(text); }

}  // namespace

namespace {

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
  return openKey("RegOpenKeyExA", key, sim::utf16(subkey == nullptr ? "" : subkey), options, access, result);
}

LONG RegQueryValueExW(HKEY key, LPCWSTR value, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (auto fault = sim::enter("RegQueryValueExW", sim::utf8(wide(value)))) return *fault;
  const auto* opened = openedKey(key);
  if (opened == nullptr) return 6;  // ERROR_INVALID_HANDLE
  if (reserved != nullptr) return 87;
  const sim::RegistryValue* stored = os().value(opened->path, wide(value));
  if (stored == nullptr) return ERROR_FILE_NOT_FOUND;
  return answerQuery(stored->data, stored->type, type, data, size, /*wide=*/true);
}

LONG RegQueryValueExA(HKEY key, LPCSTR value, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (auto fault = sim::enter("RegQueryValueExA", value == nullptr ? "" : value)) return *fault;
  const auto* opened = openedKey(key);
  if (opened == nullptr) return 6;
  if (reserved != nullptr) return 87;
  const sim::RegistryValue* stored = os().value(opened->path, sim::utf16(value == nullptr ? "" : value));
  if (stored == nullptr) return ERROR_FILE_NOT_FOUND;
  if (!isStringType(stored->type)) return answerQuery(stored->data, stored->type, type, data, size, false);
  // String data reaches a narrow caller converted, NULs and all.
  const std::string narrow = sim::utf8(unitsOf(stored->data));
  return answerQuery(std::vector<unsigned char>(narrow.begin(), narrow.end()), stored->type, type, data, size, false);
}

LONG RegSetValueExW(HKEY key, LPCWSTR value, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
  if (auto fault = sim::enter("RegSetValueExW", sim::utf8(wide(value)) + "," + std::to_string(type) + "," +
                                                    std::to_string(size))) {
    return *fault;
  }
  const auto* opened = openedKey(key);
  if (opened == nullptr) return 6;
  if (!opened->write) return ERROR_ACCESS_DENIED;
  if (reserved != 0 || (data == nullptr && size != 0)) return 87;
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
  if (auto fault = sim::enter("RegCloseKey", "")) return *fault;
  if (os().openKeys.erase(handleValue(key)) == 0) return 6;
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
  if (sim::enter("CloseHandle", "")) return FALSE;
  return os().openHandles.erase(reinterpret_cast<uintptr_t>(handle)) == 1 ? TRUE : FALSE;
}

}  // extern "C"
