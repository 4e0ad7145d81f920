#include <cstddef>
#include <string>

#include "messages/messages.hpp"
#include "messages/status_names.hpp"
#include "model/utf.hpp"
#include "shell/attributes.hpp"
#include "shell/dialog_names.hpp"

namespace veltrosan {

namespace Attributes {

std::vector<std::string> rowNames;
std::int32_t rowCount = 0;
char** columnNames = nullptr;
std::int32_t columnCount = 0;
char** typeItemNames = nullptr;
std::int32_t typeItemCount = 0;

}  // namespace Attributes

namespace {

using namespace names;

constexpr std::size_t kMaxNameLength = 31;
// The table needs a name field, a type menu and a remove button per row, and
// one type item for each of the types 1, 2 and 3.
constexpr std::int32_t kNeededColumns = 3;
constexpr std::int32_t kNeededTypeItems = 3;

bool isLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Builds the three cells of row i and binds their actions.
StatusCode buildRow(std::size_t i) {
  using namespace Attributes;
  AttributeEntry& entry = attributeList[i];
  const std::string number = std::to_string(i);
  const std::string& row = rowNames[i];
  const std::string nameField = kNamePrefix + number;
  const std::string typeMenu = kTypePrefix + number;
  const std::string removeButton = kDeletePrefix + number;

  StatusCode status = ProUITableCellComponentCopy(kDialog, kAttributeTable, row.c_str(), columnNames[0], kDialog,
                                                  kAttributeName, nameField.c_str());
  if (status != PRO_TK_NO_ERROR) return failed("ProUITableCellComponentCopy", status);
  status = ProUIInputpanelValueSet(kDialog, nameField.c_str(), entry.name.c_str());
  if (status != PRO_TK_NO_ERROR) return failed("ProUIInputpanelValueSet", status);
  status = ProUIInputpanelInputActionSet(kDialog, nameField.c_str(), onNameInput, nullptr);
  if (status != PRO_TK_NO_ERROR) return failed("ProUIInputpanelInputActionSet", status);

  status = ProUITableCellComponentCopy(kDialog, kAttributeTable, row.c_str(), columnNames[1], kDialog,
                                       kAttributeType, typeMenu.c_str());
  if (status != PRO_TK_NO_ERROR) return failed("ProUITableCellComponentCopy", status);
  if (entry.type < 1 || entry.type > 3) entry.type = 1;
  char* selected[1] = {typeItemNames[entry.type - 1]};
  status = ProUIOptionmenuSelectednamesSet(kDialog, typeMenu.c_str(), 1, selected);
  if (status != PRO_TK_NO_ERROR) return failed("ProUIOptionmenuSelectednamesSet", status);
  status = ProUIOptionmenuSelectActionSet(kDialog, typeMenu.c_str(), onTypeSelect, nullptr);
  if (status != PRO_TK_NO_ERROR) return failed("ProUIOptionmenuSelectActionSet", status);

  status = ProUITableCellComponentCopy(kDialog, kAttributeTable, row.c_str(), columnNames[2], kDialog,
                                       kAttributeRemove, removeButton.c_str());
  if (status != PRO_TK_NO_ERROR) return failed("ProUITableCellComponentCopy", status);
  status = ProUIPushbuttonActivateActionSet(kDialog, removeButton.c_str(), onRemove, nullptr);
  if (status != PRO_TK_NO_ERROR) return failed("ProUIPushbuttonActivateActionSet", status);
  return PRO_TK_NO_ERROR;
}

}  // namespace

bool isValidAttributeName(const std::u16string& name) {
  if (name.empty() || name.size() > kMaxNameLength) return false;
  if (!isLetter(name[0])) return false;
  for (std::size_t i = 1; i < name.size(); ++i) {
    const char16_t c = name[i];
    if (!isLetter(c) && !isDigit(c) && c != u'_') {
      showLog(std::to_string(name.size()) + " " + std::to_string(static_cast<unsigned>(c)));
      return false;
    }
  }
  return true;
}

std::string toUtf8(const std::u16string& text) { return utf16ToUtf8(text); }

namespace Attributes {

StatusCode initialize() {
  loadOptions();

  StatusCode status = ProUIInputpanelInputActionSet(kDialog, kCtiValue, onNameInput, nullptr);
  if (status != PRO_TK_NO_ERROR) return failed("ProUIInputpanelInputActionSet", status);
  status = ProUIInputpanelActivateActionSet(kDialog, kCtiValue, onNameInput, nullptr);
  if (status != PRO_TK_NO_ERROR) return failed("ProUIInputpanelActivateActionSet", status);

  // A resource with too few columns or type items cannot hold the rows; it
  // fails the set-up here rather than have the rows read past the names.
  // The lists are taken over only once the host has handed them out.
  int count = 0;
  char** list = nullptr;
  status = ProUITableColumnnamesGet(kDialog, kAttributeTable, &count, &list);
  if (status != PRO_TK_NO_ERROR) return failed("ProUITableColumnnamesGet", status);
  columnNames = list;
  columnCount = count;
  if (columnCount < kNeededColumns) return failed("ProUITableColumnnamesGet", VELTROSAN_NOT_SUPPORTED);
  count = 0;
  list = nullptr;
  status = ProUIOptionmenuNamesGet(kDialog, kAttributeType, &count, &list);
  if (status != PRO_TK_NO_ERROR) return failed("ProUIOptionmenuNamesGet", status);
  typeItemNames = list;
  typeItemCount = count;
  if (typeItemCount < kNeededTypeItems) return failed("ProUIOptionmenuNamesGet", VELTROSAN_NOT_SUPPORTED);

  status = ProUIPushbuttonActivateActionSet(kDialog, kAttributeAdd, onAdd, nullptr);
  if (status != PRO_TK_NO_ERROR) return failed("ProUIPushbuttonActivateActionSet", status);

  status = update();
  if (status != PRO_TK_NO_ERROR) return failed("Attributes::update", status);
  return PRO_TK_NO_ERROR;
}

StatusCode update() {
  StatusCode status = clear();
  if (status != PRO_TK_NO_ERROR) return failed("Attributes::clear", status);
  // Only a set-up that found enough columns and items gets this far; the
  // check keeps rows of any other state from reading past the host's lists.
  if (!attributeList.empty() && (columnCount < kNeededColumns || typeItemCount < kNeededTypeItems)) {
    return VELTROSAN_NOT_SUPPORTED;
  }

  status = ProUIInputpanelWidestringSet(kDialog, kCtiValue, ctiParameterName.c_str());
  if (status != PRO_TK_NO_ERROR) return failed("ProUIInputpanelWidestringSet", status);

  rowNames.clear();
  for (std::size_t i = 0; i < attributeList.size(); ++i) rowNames.push_back(kRowPrefix + std::to_string(i));
  rowCount = static_cast<std::int32_t>(rowNames.size());
  std::vector<char*> names;
  for (std::string& row : rowNames) names.push_back(row.data());
  status = ProUITableRownamesSet(kDialog, kAttributeTable, rowCount, names.empty() ? nullptr : names.data());
  if (status != PRO_TK_NO_ERROR) return failed("ProUITableRownamesSet", status);

  for (std::size_t i = 0; i < attributeList.size(); ++i) {
    status = buildRow(i);
    if (status != PRO_TK_NO_ERROR) return status;
  }

  status = setState();
  if (status != PRO_TK_NO_ERROR) return failed("Attributes::setState", status);
  return PRO_TK_NO_ERROR;
}

StatusCode clear() {
  static const char* const kDeleteContexts[kNeededColumns] = {
      "ProUITableCellComponentDelete1", "ProUITableCellComponentDelete2", "ProUITableCellComponentDelete3"};
  // Rows exist only where update found all three columns.
  while (!rowNames.empty()) {
    for (std::int32_t k = 0; k < kNeededColumns; ++k) {
      const StatusCode status =
          ProUITableCellComponentDelete(kDialog, kAttributeTable, rowNames.front().c_str(), columnNames[k]);
      if (status != PRO_TK_NO_ERROR) return failed(kDeleteContexts[k], status);
    }
    rowNames.erase(rowNames.begin());
    rowCount = static_cast<std::int32_t>(rowNames.size());
  }
  return PRO_TK_NO_ERROR;
}

StatusCode setState() {
  bool valid = isValidAttributeName(ctiParameterName);
  for (std::size_t i = 0; valid && i < attributeList.size(); ++i) valid = isValidAttributeName(attributeList[i].name);
  if (valid) {
    const StatusCode status = ProUIPushbuttonEnable(kDialog, kExport);
    if (status != PRO_TK_NO_ERROR) return failed("ProUIPushbuttonEnable", status);
  } else {
    const StatusCode status = ProUIPushbuttonDisable(kDialog, kExport);
    if (status != PRO_TK_NO_ERROR) return failed("ProUIPushbuttonDisable", status);
  }
  return PRO_TK_NO_ERROR;
}

StatusCode destroy() {
  const StatusCode status = clear();
  if (status != PRO_TK_NO_ERROR) warn("Attributes::clear", status);
  // The dialog, and every cell left in it, is destroyed right after this.
  // Row names kept past it would name cells of a dialog that no longer
  // exists, and every later opening would fail on them.
  rowNames.clear();
  rowCount = 0;

  if (columnNames != nullptr) {
    const StatusCode freed = ProStringarrayFree(columnNames, columnCount);
    if (freed != PRO_TK_NO_ERROR) warn("ProStringarrayFree", freed);
  }
  columnNames = nullptr;
  columnCount = 0;
  if (typeItemNames != nullptr) {
    const StatusCode freed = ProStringarrayFree(typeItemNames, typeItemCount);
    if (freed != PRO_TK_NO_ERROR) warn("ProStringarrayFree", freed);
  }
  typeItemNames = nullptr;
  typeItemCount = 0;

  saveOptions();
  attributeList.clear();
  attributeList.shrink_to_fit();
  return PRO_TK_NO_ERROR;
}

void exportList(AttributeRequestList& list) {
  list.push_back(AttributeRequest{toUtf8(ctiParameterName), 1});
  for (const AttributeEntry& entry : attributeList) list.push_back(AttributeRequest{toUtf8(entry.name), entry.type});
}

}  // namespace Attributes

}  // namespace veltrosan
