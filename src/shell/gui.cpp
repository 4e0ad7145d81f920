#include "shell/gui.hpp"

#include "messages/messages.hpp"
#include "shell/attributes.hpp"
#include "shell/dialog_names.hpp"
#include "shell/export_action.hpp"

namespace veltrosan {

namespace {

// Deletes the session; nothing can reach it afterwards.
void endSession() {
  delete activeExportSession;
  activeExportSession = nullptr;
}

}  // namespace

StatusCode onExportCommand(ProCmdId /*command*/, ProAppData /*value*/, ProAppData /*data*/) {
  setMessageFile();
  activeExportSession = new ExportSession();

  StatusCode status = ProUIDialogCreate(names::kDialog, names::kDialog);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProUIDialogCreate", status);
    endSession();
    return status;
  }

  status = GUI::initialize();
  if (status != PRO_TK_NO_ERROR) warn("GUI::initialize", status);

  Attributes::destroy();

  status = ProUIDialogDestroy(names::kDialog);
  if (status != PRO_TK_NO_ERROR) warn("ProUIDialogDestroy", status);

  endSession();
  return PRO_TK_NO_ERROR;
}

namespace GUI {

StatusCode initialize() {
  StatusCode status = ProUIPushbuttonActivateActionSet(names::kDialog, names::kExport, onExport, nullptr);
  if (status != PRO_TK_NO_ERROR) return failed("ProUIPushbuttonActivateActionSet", status);
  status = ProUIPushbuttonActivateActionSet(names::kDialog, names::kCancel, onCancel, nullptr);
  if (status != PRO_TK_NO_ERROR) return failed("ProUIPushbuttonActivateActionSet", status);
  status = Attributes::initialize();
  if (status != PRO_TK_NO_ERROR) return failed("Attributes::initialize", status);
  status = ProUIDialogCloseActionSet(names::kDialog, onCancel, nullptr);
  if (status != PRO_TK_NO_ERROR) return failed("ProUIDialogCloseActionSet", status);
  int exitStatus = 0;  // how the dialog was left is not used
  status = ProUIDialogActivate(names::kDialog, &exitStatus);
  if (status != PRO_TK_NO_ERROR) return failed("ProUIDialogActivate", status);
  return PRO_TK_NO_ERROR;
}

}  // namespace GUI

void onCancel(char* /*dialog*/, char* /*component*/, ProAppData /*data*/) {
  ProUIDialogExit(names::kDialog, 0);
  ProMessageClear();
}

ProCmdAccessState commandAccess(ProCmdAccessMode /*mode*/) { return PRO_CMD_ACCESS_AVAILABLE; }

}  // namespace veltrosan
