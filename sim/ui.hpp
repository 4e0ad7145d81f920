// The simulated host's commands and dialogs as tests (and the demo) reach
// them: the user's steps that a modal run plays, a command invoked as a user
// would, and lookups of what the host holds (world().ui).
//
// How the host behaves (sim/ui.cpp):
// - ProUITranslationFilesEnable registers the folder "resource" inside the
//   application's text directory. Until then ProUIDialogCreate and
//   ProCmdIconSet find no files and answer PRO_TK_E_NOT_FOUND; without that
//   folder the call itself answers PRO_TK_E_NOT_FOUND.
// - A dialog resource named R is the file R.json in that folder (its format
//   is described in sim/ui.cpp); one that cannot be read as such answers
//   PRO_TK_INVALID_FILE, with the reason in world().ui.resourceError.
// - Statuses: PRO_TK_BAD_INPUTS for a null pointer, a negative count, an
//   empty or repeated name in a list, or a command id never handed out;
//   PRO_TK_E_NOT_FOUND for a dialog, component, table row or column, option
//   item, or file that is not there; PRO_TK_INVALID_TYPE for a component of
//   another kind than the function serves; PRO_TK_E_FOUND for a command or
//   dialog name already in use, a component name already taken in the dialog
//   or a table cell that already holds a component; PRO_TK_MSG_NOT_FOUND when
//   ProCmdDesignate finds a key missing from the message file;
//   PRO_TK_BAD_CONTEXT for ProUIDialogExit outside a modal run of that
//   dialog, and for activating or destroying a dialog that is running.
// - ProUIDialogActivate plays world().ui.script from the front, one step at a
//   time, until an action has called ProUIDialogExit for that dialog; steps
//   left over stay for the next run. When the script runs out first it
//   answers PRO_TK_E_DEADLOCK: a real user would be waited for forever.
// - Actions get writable copies of the dialog and component names and the
//   data bound with them. The close action gets the dialog's name as both.
//   A dialog without a close action does not close.
// - Setting a component's state through the toolkit runs no action; only the
//   user's steps do.
// - A cell copy takes the template's present state (text, items, selection,
//   enabled, checked), not its actions.
// - ProUITableRownamesSet keeps the cells of rows that are named again and
//   removes the rows that are not, with the components in their cells.
// - The call log records each user step as "User:<step>" and each action the
//   host runs as "Action:<kind>", between the toolkit calls; they are no
//   toolkit functions and no fault applies to them (see isHostCall).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/toolkit.h"
#include "sim/world.hpp"

namespace sim {

// The user's steps, to put into the script.
namespace user {
UserStep type(std::string component, std::u16string text);
UserStep enter(std::string component);
UserStep press(std::string component);
UserStep check(std::string component, bool checked = true);
UserStep select(std::string component, std::string item);
// A selection of any number of items, for the option menu's list of names.
UserStep select(std::string component, std::vector<std::string> items);
UserStep close();
UserStep run(std::function<void()> check);
}  // namespace user

// Appends the steps to the user's script.
void script(std::vector<UserStep> steps);

// Invokes the command as a user would: asks its access function (with
// `mode`) and runs its action when the answer is PRO_CMD_ACCESS_AVAILABLE,
// returning the action's status. PRO_TK_E_NOT_FOUND for a command that does
// not exist, PRO_TK_BAD_CONTEXT for one that is not available.
StatusCode invokeCommand(const std::string& name, ProCmdAccessMode mode = 0);

// What the host holds now; null when it holds no such thing.
Command* findCommand(const std::string& name);
Dialog* findDialog(const std::string& name);
Component* findComponent(const std::string& dialog, const std::string& component);

// The resource folder of the application's text directory (world().textDirectory).
std::string resourceFolder();

// False for the log's entries of user steps and actions, which are no toolkit
// calls: a fault sweep over the log's counts skips them.
bool isHostCall(const std::string& function);

}  // namespace sim
