// The user's two choices in the export dialog, the name of the CTI parameter
// and the attributes to take over, as process-wide values that are stored
// per user in the registry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace veltrosan {

// One attribute that the export is to read.
struct AttributeEntry {
  std::u16string name;    // the parameter name; may be empty while the user edits it
  std::int32_t type = 1;  // 1 read on parts, 2 on the top assembly, 3 both
};

// "COMPARATIVE_TRACKING_INDEX" from library load; a stored name replaces it
// at each opening of the dialog, and it keeps its value between openings.
extern std::u16string ctiParameterName;
// Empty whenever the dialog is closed.
extern std::vector<AttributeEntry> attributeList;

namespace Attributes {

// Reads both stored values: a stored CTI name replaces ctiParameterName, the
// stored attributes are appended to attributeList. Silent on every failure.
void loadOptions();
// Writes both values into the existing options key (never created). An empty
// CTI name or an empty list leaves its stored value as it was. Silent.
void saveOptions();

}  // namespace Attributes

}  // namespace veltrosan
