// The attribute table of the export dialog: the CTI parameter name in the
// input panel "CtiValue", one row per attribute in "AttributeTable", the
// guard that keeps "Export" enabled only while every name is valid, and the
// attribute requests handed to the export.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/creo_export.hpp"
#include "host/toolkit.h"
#include "shell/options.hpp"

namespace veltrosan {

// Whether the text is a parameter name the export can ask for: 1 to 31
// UTF-16 units, an ASCII letter first, then ASCII letters, digits or "_".
// An invalid unit after the first shows a log line with the name's length
// and the unit's code.
bool isValidAttributeName(const std::u16string& name);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string toUtf8(const std::u16string& text);

namespace Attributes {

// Process-wide state of the table, empty (null, 0) while the dialog is closed.
extern std::vector<std::string> rowNames;  // "veltrosanRow" and i, in row order
extern std::int32_t rowCount;
extern char** columnNames;  // host-allocated; columns of the name field, type menu, remove button
extern std::int32_t columnCount;
extern char** typeItemNames;  // host-allocated; items 0, 1, 2 stand for types 1, 2, 3
extern std::int32_t typeItemCount;

// At each opening of the dialog: loads the options, binds the actions,
// reads the column and item names and builds the rows.
StatusCode initialize();
// At each closing, also after a failed set-up: deletes the rows' cells,
// releases the host arrays, saves the options and empties the list. Reports
// its failures and goes on; always 0.
StatusCode destroy();
// Rebuilds every row from ctiParameterName and attributeList.
StatusCode update();
// Deletes the cell components of every row.
StatusCode clear();
// Enables "Export" when every name is valid, else disables it.
StatusCode setState();
// Appends the CTI parameter (flags 1) and then every attribute.
void exportList(AttributeRequestList& list);

// Dialog actions.
void onNameInput(char* dialog, char* component, ProAppData data);
void onTypeSelect(char* dialog, char* component, ProAppData data);
void onRemove(char* dialog, char* component, ProAppData data);
void onAdd(char* dialog, char* component, ProAppData data);

}  // namespace Attributes

}  // namespace veltrosan
