// The command action and the export dialog "veltrosan".
#pragma once

#include "host/toolkit.h"

namespace veltrosan {

// The action of the command "Veltrosan Gateway": runs the dialog modally for
// one export session and tears it down. 0 unless the dialog cannot be made.
StatusCode onExportCommand(ProCmdId command, ProAppData value, ProAppData data);

namespace GUI {
// Binds the dialog's actions, sets up the attribute table and runs the
// dialog until an action exits it.
StatusCode initialize();
}  // namespace GUI

// The action of "Cancel" and of closing the window.
void onCancel(char* dialog, char* component, ProAppData data);

// The access function of the command: always available.
ProCmdAccessState commandAccess(ProCmdAccessMode mode);

}  // namespace veltrosan
