// A stand-in for the standalone application, for the tests on Windows. It
// writes a record of how it was started into "arguments.txt" beside itself:
// its command line, then each argument, one a line, in UTF-8. Given "-d" as
// its second argument, it first deletes the file its first argument names,
// as the application does.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::string utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.pop_back();
  return out;
}

}  // namespace

int main() {
  const wchar_t* commandLine = GetCommandLineW();
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
  if (arguments == nullptr) return 2;
  if (count == 3 && std::wstring(arguments[2]) == L"-d") DeleteFileW(arguments[1]);

  std::string record = utf8(commandLine) + "\n";
  for (int i = 1; i < count; ++i) record += utf8(arguments[i]) + "\n";
  LocalFree(arguments);

  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 3;
  std::wstring folder(self, length);
  folder.erase(folder.find_last_of(L"\\/") + 1);
  const std::wstring partial = folder + L"arguments.tmp";
  const std::wstring done = folder + L"arguments.txt";

  // Written aside and then renamed, so that a reader never sees half a record.
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 4;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != record.size()) return 5;
  return MoveFileExW(partial.c_str(), done.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 6;
}
