// The toolkit binding's part of an application module: the two entries that
// the host looks up by name once it has loaded the module. Linked into the
// module, it calls the application's start-up and terminate functions
// directly; everything else of the host the application reaches through the
// toolkit library.
#include <type_traits>

#include "host/binding.h"

extern "C" {

PRO_TK_ENTRY_EXPORT int user_initialize_plus(int argc, char** argv, const char* version, const char* build,
                                             ProWchar* errbuf) {
  // A host hands over its arguments and an error buffer of PRO_LINE_SIZE
  // units; a call without them comes from no host, and the application is
  // not started for it.
  if (argc < 0 || (argc > 0 && argv == nullptr) || errbuf == nullptr) return PRO_TK_BAD_INPUTS;
  return initializeGateway(argc, argv, version, build, errbuf);
}

PRO_TK_ENTRY_EXPORT void user_terminate_plus(void) { terminateGateway(); }

}  // extern "C"

static_assert(std::is_same_v<decltype(&user_initialize_plus), ProUserInitializeFn>, "the host calls it by this type");
static_assert(std::is_same_v<decltype(&user_terminate_plus), ProUserTerminateFn>, "the host calls it by this type");
