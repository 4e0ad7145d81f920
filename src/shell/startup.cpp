// Start-up and unload of the gateway: the host registers the one command,
// "Veltrosan Gateway", and its texts and icon.
#include "host/binding.h"
#include "messages/messages.hpp"
#include "shell/gui.hpp"

using namespace veltrosan;

namespace {

constexpr char kCommandName[] = "Veltrosan Gateway";
constexpr char kCommandKey[] = "VeltrosanGateway";  // label, help and description
constexpr char kCommandIcon[] = "icon_large.png";
constexpr int kCommandPriority = 2;

}  // namespace

extern "C" StatusCode initializeGateway(int /*argc*/, char** /*argv*/, const char* /*version*/,
                                        const char* /*build*/, ProWchar* /*errbuf*/) {
  setMessageFile();

  // The resource folder first: the icon here and the dialog later are found there.
  StatusCode status = ProUITranslationFilesEnable();
  if (status != PRO_TK_NO_ERROR) return failed("ProUITranslationFilesEnable", status);

  ProCmdId command = 0;
  status = ProCmdActionAdd(kCommandName, onExportCommand, kCommandPriority, commandAccess, 1, 1, &command);
  if (status != PRO_TK_NO_ERROR) return failed("ProCmdActionAdd", status);
  status = ProCmdDesignate(command, kCommandKey, kCommandKey, kCommandKey, messageFile.c_str());
  if (status != PRO_TK_NO_ERROR) return failed("ProCmdDesignate", status);
  status = ProCmdIconSet(command, kCommandIcon);
  if (status != PRO_TK_NO_ERROR) return failed("ProCmdIconSet", status);
  return PRO_TK_NO_ERROR;
}

extern "C" void terminateGateway(void) {}
