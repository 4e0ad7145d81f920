// The few operating-system calls of the gateway: the registry (user options,
// install folder) and starting the standalone application. On Windows they
// are the real ones; elsewhere these declarations keep the same names, types
// and meanings, and the simulated host implements them.
#pragma once

#include <cstdint>

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

static_assert(sizeof(WCHAR) == 2, "Windows wide text is UTF-16");

#else  // not Windows

extern "C" {

typedef int32_t LONG;
typedef uint32_t DWORD;
typedef uint8_t BYTE;
typedef int32_t BOOL;
typedef char CHAR;
typedef char16_t WCHAR;
typedef void* HANDLE;
typedef void* LPVOID;
typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;
typedef const CHAR* LPCSTR;
typedef CHAR* LPSTR;
typedef const WCHAR* LPCWSTR;
typedef DWORD* LPDWORD;
typedef BYTE* LPBYTE;

typedef struct _SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef struct _STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  uint16_t wShowWindow;
  uint16_t cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
} STARTUPINFOA, *LPSTARTUPINFOA;

typedef struct _PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
} PROCESS_INFORMATION, *LPPROCESS_INFORMATION;

enum : LONG {
  ERROR_SUCCESS = 0,
  ERROR_FILE_NOT_FOUND = 2,
  ERROR_ACCESS_DENIED = 5,
  ERROR_INVALID_HANDLE = 6,
  ERROR_INVALID_PARAMETER = 87,
  ERROR_MORE_DATA = 234,
  ERROR_NOACCESS = 998
};
enum : DWORD { REG_NONE = 0, REG_SZ = 1, REG_EXPAND_SZ = 2, REG_BINARY = 3, REG_DWORD = 4, REG_MULTI_SZ = 7 };
// Access rights of a key handle; the generic rights and MAXIMUM_ALLOWED are
// mapped onto them when the key is opened.
enum : REGSAM {
  KEY_QUERY_VALUE = 0x0001,
  KEY_SET_VALUE = 0x0002,
  KEY_CREATE_SUB_KEY = 0x0004,
  KEY_ENUMERATE_SUB_KEYS = 0x0008,
  KEY_NOTIFY = 0x0010,
  KEY_CREATE_LINK = 0x0020,
  KEY_WOW64_64KEY = 0x0100,
  KEY_WOW64_32KEY = 0x0200,
  KEY_READ = 0x20019,
  KEY_WRITE = 0x20006,
  KEY_ALL_ACCESS = 0xF003F,
  MAXIMUM_ALLOWED = 0x02000000,
  GENERIC_ALL = 0x10000000,
  GENERIC_EXECUTE = 0x20000000,
  GENERIC_WRITE = 0x40000000,
  GENERIC_READ = 0x80000000
};
enum : BOOL { FALSE = 0, TRUE = 1 };

LONG RegOpenKeyExW(HKEY key, LPCWSTR subkey, DWORD options, REGSAM access, PHKEY result);
LONG RegOpenKeyExA(HKEY key, LPCSTR subkey, DWORD options, REGSAM access, PHKEY result);
LONG RegQueryValueExW(HKEY key, LPCWSTR value, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
LONG RegQueryValueExA(HKEY key, LPCSTR value, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
LONG RegSetValueExW(HKEY key, LPCWSTR value, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LONG RegCloseKey(HKEY key);

BOOL CreateProcessA(LPCSTR application, LPSTR command_line, LPSECURITY_ATTRIBUTES process_attributes,
                    LPSECURITY_ATTRIBUTES thread_attributes, BOOL inherit_handles, DWORD creation_flags,
                    LPVOID environment, LPCSTR current_directory, LPSTARTUPINFOA startup_info,
                    LPPROCESS_INFORMATION process_information);
BOOL CloseHandle(HANDLE handle);

}  // extern "C"

// The predefined root keys, with the values Windows gives them.
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(uintptr_t{0x80000001u});
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(uintptr_t{0x80000002u});

#endif  // _WIN32

static_assert(sizeof(STARTUPINFOA) == 104, "STARTUPINFOA of 64-bit Windows");

// Host wide text is char16_t everywhere; Windows spells the same UTF-16 units
// as wchar_t. This is the one place that bridges the two.
inline const WCHAR* win32Wide(const char16_t* text) { return reinterpret_cast<const WCHAR*>(text); }
inline WCHAR* win32Wide(char16_t* text) { return reinterpret_cast<WCHAR*>(text); }
