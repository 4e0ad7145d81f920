// The meeting point of the host's toolkit binding and the application it
// loads. The binding (part of the toolkit library, not of the gateway)
// exports the two entry points that the host looks up in the loaded module;
// after its own start-up steps it calls the application's start-up function,
// and at unload its terminate function.
#pragma once

#include "host/toolkit.h"

#if defined(_WIN32)
#define PRO_TK_ENTRY_EXPORT __declspec(dllexport)
#else
#define PRO_TK_ENTRY_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// Provided by the application. The five arguments are the host's argument
// count and strings, its version and build texts and a wide error buffer of
// PRO_LINE_SIZE units; 0 keeps the module loaded, anything else fails the load.
StatusCode initializeGateway(int argc, char** argv, const char* version, const char* build, ProWchar* errbuf);
void terminateGateway(void);

// Exported by the binding from the loaded module; the host calls them by name.
typedef int (*ProUserInitializeFn)(int argc, char** argv, const char* version, const char* build,
                                   ProWchar* errbuf);
typedef void (*ProUserTerminateFn)(void);

}  // extern "C"

// The names the host looks the entry points up by.
inline constexpr char kUserInitializeEntry[] = "user_initialize_plus";
inline constexpr char kUserTerminateEntry[] = "user_terminate_plus";
