// Files of user steps: what a scripted user does while the host's dialogs run
// modally, for the demo and for anyone who wants to play a session of their
// own. A file is a JSON list of steps, played in order; each step is an
// object with one action key:
//
//   [
//     { "type": "CtiValue", "text": "CTI" },          types the text into the input panel
//     { "enter": "CtiValue" },                        presses Enter in the input panel
//     { "press": "AttributeAdd" },                    presses the push button
//     { "check": "DeleteVTQ" },                       sets the check button;
//     { "check": "DeleteVTQ", "checked": false },     or clears it
//     { "select": "veltrosanType0", "item": "Both" },  selects one item of the option menu,
//     { "select": "veltrosanType0", "items": [] },     or any number of items
//     { "close": true }                               closes the dialog's window
//   ]
//
// Component and item names are the dialog's own (the installed resource,
// and the table's per-row copies "veltrosanName0", "veltrosanType0",
// "veltrosanDelete0", ...). A step applies to the dialog that runs when it is
// played. Any other key, or a value of the wrong kind, makes the file
// invalid.
#pragma once

#include <string>
#include <vector>

#include "sim/world.hpp"

namespace sim {

// The steps of the file at the UTF-8 path. False, with a message naming the
// file and the JSON path of the fault in `error`, when the file cannot be
// read or is not a valid list of steps.
bool loadUserSteps(const std::string& path, std::vector<UserStep>& steps, std::string& error);
// The same from text; `origin` names it in messages.
bool parseUserSteps(const std::string& text, const std::string& origin, std::vector<UserStep>& steps,
                    std::string& error);

}  // namespace sim
