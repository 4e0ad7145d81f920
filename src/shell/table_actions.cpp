// The dialog actions of the attribute table: they change the CTI name and
// the attribute list as the user edits the dialog, and bring the table up to
// date.
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "messages/messages.hpp"
#include "messages/status_names.hpp"
#include "shell/attributes.hpp"
#include "shell/dialog_names.hpp"

namespace veltrosan {

namespace {

using namespace names;

// The row number of a per-row component: the plain decimal number that
// follows the prefix, below the present size of the list. -1 for anything
// else, so that no name, however made, leads to a read outside the list.
std::int64_t rowNumber(const char* component, const char* prefix) {
  if (component == nullptr) return -1;
  const std::size_t prefixLength = std::strlen(prefix);
  if (std::strncmp(component, prefix, prefixLength) != 0) return -1;
  const char* digits = component + prefixLength;
  if (*digits == '\0') return -1;
  std::int64_t value = 0;
  for (const char* p = digits; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return -1;
    value = value * 10 + (*p - '0');
    if (value > std::numeric_limits<std::int32_t>::max()) return -1;
  }
  if (value >= static_cast<std::int64_t>(attributeList.size())) return -1;
  return value;
}

// The end of an edit, once what the host handed out has been released: a
// failed release is reported, and ends the action unless the edit already
// ended it silently; a successful edit re-checks the state of "Export".
StatusCode finish(StatusCode outcome, StatusCode released, const char* releaseContext) {
  if (released != PRO_TK_NO_ERROR) {
    warn(releaseContext, released);
    if (outcome == PRO_TK_NO_ERROR) return released;
  }
  if (outcome != PRO_TK_NO_ERROR) return outcome;
  const StatusCode status = Attributes::setState();
  if (status != PRO_TK_NO_ERROR) return failed("Attributes::setState", status);
  return PRO_TK_NO_ERROR;
}

StatusCode nameInput(const char* dialog, const char* component) {
  ProWchar* text = nullptr;
  StatusCode status = ProUIInputpanelWidestringGet(dialog, component, &text);
  if (status != PRO_TK_NO_ERROR) return failed("ProUIInputpanelWidestringGet", status);

  StatusCode outcome = PRO_TK_NO_ERROR;
  const std::u16string value = text == nullptr ? std::u16string() : std::u16string(text);
  if (component != nullptr && std::strcmp(component, kCtiValue) == 0) {
    ctiParameterName = value;
  } else {
    const std::int64_t row = rowNumber(component, kNamePrefix);
    if (row < 0) {
      outcome = VELTROSAN_NOT_SUPPORTED;
    } else {
      attributeList[static_cast<std::size_t>(row)].name = value;
    }
  }

  return finish(outcome, ProWstringFree(text), "ProWstringFree");
}

StatusCode typeSelect(const char* dialog, const char* component) {
  int count = 0;
  char** selected = nullptr;
  StatusCode status = ProUIOptionmenuSelectednamesGet(dialog, component, &count, &selected);
  if (status != PRO_TK_NO_ERROR) return failed("ProUIOptionmenuSelectednamesGet", status);

  StatusCode outcome = PRO_TK_NO_ERROR;
  if (count == 1 && selected != nullptr && selected[0] != nullptr) {
    // An unknown row, or an item that is none of the first three, is not
    // supported.
    outcome = VELTROSAN_NOT_SUPPORTED;
    const std::int64_t row = rowNumber(component, kTypePrefix);
    const std::int32_t items = Attributes::typeItemCount < 3 ? Attributes::typeItemCount : 3;
    for (std::int32_t k = 0; row >= 0 && k < items; ++k) {
      if (Attributes::typeItemNames[k] != nullptr && std::strcmp(selected[0], Attributes::typeItemNames[k]) == 0) {
        attributeList[static_cast<std::size_t>(row)].type = k + 1;
        outcome = PRO_TK_NO_ERROR;
        break;
      }
    }
  }

  return finish(outcome, ProStringarrayFree(selected, count), "ProStringarrayFree");
}

StatusCode remove(const char* component) {
  const std::int64_t row = rowNumber(component, kDeletePrefix);
  if (row < 0) return VELTROSAN_NOT_SUPPORTED;
  attributeList.erase(attributeList.begin() + static_cast<std::ptrdiff_t>(row));
  const StatusCode status = Attributes::update();
  if (status != PRO_TK_NO_ERROR) return failed("Attributes::update", status);
  return PRO_TK_NO_ERROR;
}

StatusCode add() {
  attributeList.push_back(AttributeEntry{u"NEW_ATTRIBUTE", 1});
  const StatusCode status = Attributes::update();
  if (status != PRO_TK_NO_ERROR) return failed("Attributes::update", status);
  return PRO_TK_NO_ERROR;
}

}  // namespace

// The host reads no result from a dialog action; the outcomes above are what
// the tests observe through the dialog and the message area.
namespace Attributes {

void onNameInput(char* dialog, char* component, ProAppData /*data*/) { nameInput(dialog, component); }
void onTypeSelect(char* dialog, char* component, ProAppData /*data*/) { typeSelect(dialog, component); }
void onRemove(char* /*dialog*/, char* component, ProAppData /*data*/) { remove(component); }
void onAdd(char* /*dialog*/, char* /*component*/, ProAppData /*data*/) { add(); }

}  // namespace Attributes

}  // namespace veltrosan
