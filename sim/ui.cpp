// The host's commands, dialogs and their components, and the modal run that
// plays the user's steps. Behaviour and statuses: sim/ui.hpp.
//
// A dialog resource is a JSON file "<resource>.json" in the resource folder:
//
//   {
//     "title": "the window title",                       (optional)
//     "components": [
//       { "name": "CtiValue", "kind": "inputpanel", "label": "...", "text": "..." },
//       { "name": "Export", "kind": "pushbutton", "enabled": true },
//       { "name": "DeleteVTQ", "kind": "checkbutton", "checked": false },
//       { "name": "AttributeType", "kind": "optionmenu",
//         "items": ["Part", "Assembly", "Both"], "selected": ["Part"] },
//       { "name": "AttributeTable", "kind": "table", "columns": ["NameColumn", ...] }
//     ]
//   }
//
// Every component has a name, unique in the dialog, and a kind; "label" is
// optional for all. "text", "enabled" (default true), "checked" (default
// false) and "selected" (default: the first item) are optional; "items" and
// "columns" are required for their kinds, with names that are non-empty and
// unique. Tables start without rows. Any other key makes the file unreadable,
// so that a misspelt one cannot pass unnoticed.
#include "sim/ui.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <utility>

#include <nlohmann/json.hpp>

#include "sim/handout.hpp"
#include "sim/messages.hpp"
#include "sim/text.hpp"
#include "sim/world.hpp"

namespace sim {
namespace {

using Json = nlohmann::ordered_json;

std::string text(const char* s) { return s == nullptr ? std::string("(null)") : std::string(s); }
std::string text(const ProWchar* s) { return s == nullptr ? std::string("(null)") : utf8(s); }

const char* kindName(ComponentKind kind) {
  switch (kind) {
    case ComponentKind::InputPanel: return "an input panel";
    case ComponentKind::PushButton: return "a push button";
    case ComponentKind::CheckButton: return "a check button";
    case ComponentKind::OptionMenu: return "an option menu";
    case ComponentKind::Table: return "a table";
  }
  return "?";
}

// A file name that the host looks for in its folder alone.
bool plainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos;
}

bool isRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::u8path(path), error);
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// ---------------------------------------------------------------------------
// The dialog resource

bool readNames(const Json& j, const std::string& where, std::vector<std::string>& out, std::string& error) {
  if (!j.is_array()) {
    error = where + " is not a list of names";
    return false;
  }
  std::set<std::string> seen;
  for (const auto& item : j) {
    if (!item.is_string() || item.get<std::string>().empty()) {
      error = where + " holds something other than a non-empty name";
      return false;
    }
    if (!seen.insert(item.get<std::string>()).second) {
      error = where + " names \"" + item.get<std::string>() + "\" twice";
      return false;
    }
    out.push_back(item.get<std::string>());
  }
  return true;
}

bool readComponent(const Json& j, const std::string& where, Component& c, std::string& error) {
  if (!j.is_object()) {
    error = where + " is not an object";
    return false;
  }
  if (!j.contains("name") || !j["name"].is_string() || j["name"].get<std::string>().empty()) {
    error = where + " has no name";
    return false;
  }
  c.name = j["name"].get<std::string>();
  const std::string at = where + " (\"" + c.name + "\")";
  if (!j.contains("kind") || !j["kind"].is_string()) {
    error = at + " has no kind";
    return false;
  }
  const std::string kind = j["kind"].get<std::string>();
  std::set<std::string> keys = {"name", "kind", "label"};
  if (kind == "inputpanel") {
    c.kind = ComponentKind::InputPanel;
    keys.insert("text");
  } else if (kind == "pushbutton") {
    c.kind = ComponentKind::PushButton;
    keys.insert("enabled");
  } else if (kind == "checkbutton") {
    c.kind = ComponentKind::CheckButton;
    keys.insert("checked");
  } else if (kind == "optionmenu") {
    c.kind = ComponentKind::OptionMenu;
    keys.insert({"items", "selected"});
  } else if (kind == "table") {
    c.kind = ComponentKind::Table;
    keys.insert("columns");
  } else {
    error = at + " is of the unknown kind \"" + kind + "\"";
    return false;
  }
  for (const auto& item : j.items()) {
    if (keys.count(item.key()) == 0) {
      error = at + " has the key \"" + item.key() + "\", which a " + kind + " does not take";
      return false;
    }
  }
  auto readText = [&](const char* key, std::string& out) {
    if (!j.contains(key)) return true;
    if (!j[key].is_string()) {
      error = at + ": \"" + key + "\" is not a text";
      return false;
    }
    out = j[key].get<std::string>();
    return true;
  };
  auto readFlag = [&](const char* key, bool& out) {
    if (!j.contains(key)) return true;
    if (!j[key].is_boolean()) {
      error = at + ": \"" + key + "\" is not true or false";
      return false;
    }
    out = j[key].get<bool>();
    return true;
  };
  std::string initialText;
  if (!readText("label", c.label) || !readText("text", initialText) || !readFlag("enabled", c.enabled) ||
      !readFlag("checked", c.checked)) {
    return false;
  }
  c.text = utf16(initialText);
  if (c.kind == ComponentKind::OptionMenu) {
    if (!j.contains("items")) {
      error = at + " has no items";
      return false;
    }
    if (!readNames(j["items"], at + ": \"items\"", c.items, error)) return false;
    if (j.contains("selected")) {
      if (!readNames(j["selected"], at + ": \"selected\"", c.selected, error)) return false;
      for (const auto& name : c.selected) {
        if (!contains(c.items, name)) {
          error = at + " selects \"" + name + "\", which is none of its items";
          return false;
        }
      }
    } else if (!c.items.empty()) {
      c.selected = {c.items.front()};
    }
  }
  if (c.kind == ComponentKind::Table) {
    if (!j.contains("columns")) {
      error = at + " has no columns";
      return false;
    }
    if (!readNames(j["columns"], at + ": \"columns\"", c.columns, error)) return false;
  }
  return true;
}

std::optional<Dialog> readResource(const std::string& path, std::string& error) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  if (!in) {
    error = path + " cannot be read";
    return std::nullopt;
  }
  const Json j = Json::parse(in, nullptr, false);
  if (j.is_discarded()) {
    error = path + " is not JSON";
    return std::nullopt;
  }
  if (!j.is_object()) {
    error = path + " does not hold an object";
    return std::nullopt;
  }
  for (const auto& item : j.items()) {
    if (item.key() != "title" && item.key() != "components") {
      error = path + " has the unknown key \"" + item.key() + "\"";
      return std::nullopt;
    }
  }
  Dialog dialog;
  if (j.contains("title")) {
    if (!j["title"].is_string()) {
      error = path + ": \"title\" is not a text";
      return std::nullopt;
    }
    dialog.title = j["title"].get<std::string>();
  }
  if (!j.contains("components") || !j["components"].is_array()) {
    error = path + " has no list of components";
    return std::nullopt;
  }
  const Json& components = j["components"];
  for (size_t i = 0; i < components.size(); ++i) {
    Component c;
    if (!readComponent(components[i], path + ": component " + std::to_string(i), c, error)) return std::nullopt;
    const std::string name = c.name;
    if (!dialog.components.emplace(name, std::move(c)).second) {
      error = path + " has two components named \"" + name + "\"";
      return std::nullopt;
    }
  }
  return dialog;
}

// ---------------------------------------------------------------------------
// Lookups that answer why they found nothing

StatusCode lookUpDialog(const char* name, Dialog*& out) {
  if (name == nullptr) return PRO_TK_BAD_INPUTS;
  auto it = world().ui.dialogs.find(name);
  if (it == world().ui.dialogs.end()) return PRO_TK_E_NOT_FOUND;
  out = &it->second;
  return PRO_TK_NO_ERROR;
}

StatusCode lookUp(const char* dialog, const char* component, ComponentKind kind, Component*& out,
                  Dialog** owner = nullptr) {
  Dialog* d = nullptr;
  if (const StatusCode status = lookUpDialog(dialog, d); status != PRO_TK_NO_ERROR) return status;
  if (component == nullptr) return PRO_TK_BAD_INPUTS;
  auto it = d->components.find(component);
  if (it == d->components.end()) return PRO_TK_E_NOT_FOUND;
  if (it->second.kind != kind) return PRO_TK_INVALID_TYPE;
  out = &it->second;
  if (owner != nullptr) *owner = d;
  return PRO_TK_NO_ERROR;
}

// Hands out one of a component's name lists as the host does: a string
// array released with ProStringarrayFree, and its count.
StatusCode handOutNames(const char* dialog, const char* component, ComponentKind kind,
                        std::vector<std::string> Component::*list, const char* origin, int* count, char*** names) {
  if (count == nullptr || names == nullptr) return PRO_TK_BAD_INPUTS;
  Component* c = nullptr;
  if (const StatusCode status = lookUp(dialog, component, kind, c); status != PRO_TK_NO_ERROR) return status;
  *names = handOutStringArray(c->*list, origin);
  *count = static_cast<int>((c->*list).size());
  return PRO_TK_NO_ERROR;
}

Command* commandById(ProCmdId id) {
  for (auto& command : world().ui.commands) {
    if (command.id == id) return &command;
  }
  return nullptr;
}

StatusCode bind(const char* dialog, const char* component, ComponentKind kind, UIBinding Component::*slot,
                ProUIAction action, ProAppData data) {
  Component* c = nullptr;
  if (const StatusCode status = lookUp(dialog, component, kind, c); status != PRO_TK_NO_ERROR) return status;
  c->*slot = UIBinding{action, data};
  return PRO_TK_NO_ERROR;
}

// The two ways of enabling a push button, and of filling an input panel, do
// the same to the component.
StatusCode setEnabled(const char* dialog, const char* component, bool enabled) {
  Component* c = nullptr;
  if (const StatusCode status = lookUp(dialog, component, ComponentKind::PushButton, c); status != PRO_TK_NO_ERROR) {
    return status;
  }
  c->enabled = enabled;
  return PRO_TK_NO_ERROR;
}

StatusCode setPanelText(const char* dialog, const char* component, const ProWchar* text) {
  if (text == nullptr) return PRO_TK_BAD_INPUTS;
  Component* c = nullptr;
  if (const StatusCode status = lookUp(dialog, component, ComponentKind::InputPanel, c); status != PRO_TK_NO_ERROR) {
    return status;
  }
  c->text = text;
  return PRO_TK_NO_ERROR;
}

// A name list the caller hands in: `count` non-null, non-empty, distinct names.
std::optional<std::vector<std::string>> nameList(int count, char** names) {
  if (count < 0 || (count > 0 && names == nullptr)) return std::nullopt;
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) {
    if (names[i] == nullptr || names[i][0] == '\0' || contains(out, names[i])) return std::nullopt;
    out.emplace_back(names[i]);
  }
  return out;
}

// Removes the row's cells and the components in them.
void removeCells(Dialog& dialog, Component& table, const std::string& row) {
  for (auto it = table.cells.begin(); it != table.cells.end();) {
    if (it->first.first == row) {
      dialog.components.erase(it->second);
      it = table.cells.erase(it);
    } else {
      ++it;
    }
  }
}

// ---------------------------------------------------------------------------
// The modal run

void note(const char* what, std::string args) { world().log.add(Call{what, std::move(args), 0}); }

// Runs a bound action, if any, with writable copies of the names: the action
// may delete the very component that called it.
void runAction(const UIBinding& binding, const char* kind, const std::string& dialog, const std::string& component) {
  if (binding.action == nullptr) return;
  note((std::string("Action:") + kind).c_str(), dialog + "," + component);
  std::string dialogCopy = dialog;
  std::string componentCopy = component;
  const UIBinding bound = binding;
  bound.action(dialogCopy.data(), componentCopy.data(), bound.data);
}

// The component a step acts on, or null after noting why the user could not.
Component* stepTarget(const std::string& dialog, const UserStep& step, ComponentKind kind, const char* what,
                      const std::string& args) {
  Component* c = findComponent(dialog, step.component);
  std::string problem;
  if (c == nullptr) {
    problem = "no such component";
  } else if (c->kind != kind) {
    problem = std::string("not ") + kindName(kind) + " but " + kindName(c->kind);
  }
  if (problem.empty()) return c;
  note(what, args + " (missed: " + problem + ")");
  world().ui.missedSteps.push_back(std::string(what) + " " + args + ": " + problem);
  return nullptr;
}

void play(const std::string& dialog, const UserStep& step) {
  const std::string at = dialog + "," + step.component;
  switch (step.kind) {
    case UserStep::Kind::Type: {
      const std::string args = at + "," + utf8(step.text);
      Component* c = stepTarget(dialog, step, ComponentKind::InputPanel, "User:type", args);
      if (c == nullptr) return;
      note("User:type", args);
      c->text = step.text;
      runAction(c->input, "input", dialog, step.component);
      return;
    }
    case UserStep::Kind::Enter: {
      Component* c = stepTarget(dialog, step, ComponentKind::InputPanel, "User:enter", at);
      if (c == nullptr) return;
      note("User:enter", at);
      runAction(c->activate, "activate", dialog, step.component);
      return;
    }
    case UserStep::Kind::Press: {
      Component* c = stepTarget(dialog, step, ComponentKind::PushButton, "User:press", at);
      if (c == nullptr) return;
      if (!c->enabled) {
        note("User:press", at + " (disabled)");
        return;
      }
      note("User:press", at);
      runAction(c->activate, "activate", dialog, step.component);
      return;
    }
    case UserStep::Kind::Check: {
      const std::string args = at + (step.checked ? ",set" : ",cleared");
      Component* c = stepTarget(dialog, step, ComponentKind::CheckButton, "User:check", args);
      if (c == nullptr) return;
      note("User:check", args);
      c->checked = step.checked;
      return;
    }
    case UserStep::Kind::Select: {
      std::string args = at;
      for (const auto& item : step.items) args += "," + item;
      Component* c = stepTarget(dialog, step, ComponentKind::OptionMenu, "User:select", args);
      if (c == nullptr) return;
      for (const auto& item : step.items) {
        if (!contains(c->items, item)) {
          note("User:select", args + " (missed: no item " + item + ")");
          world().ui.missedSteps.push_back("User:select " + args + ": no item " + item);
          return;
        }
      }
      note("User:select", args);
      c->selected = step.items;
      runAction(c->select, "select", dialog, step.component);
      return;
    }
    case UserStep::Kind::Close: {
      note("User:close", dialog);
      const Dialog* d = findDialog(dialog);
      if (d != nullptr) runAction(d->close, "close", dialog, dialog);
      return;
    }
    case UserStep::Kind::Run:
      note("User:run", dialog);
      if (step.check) step.check();
      return;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Helpers of ui.hpp

namespace user {

UserStep type(std::string component, std::u16string text) {
  UserStep step;
  step.kind = UserStep::Kind::Type;
  step.component = std::move(component);
  step.text = std::move(text);
  return step;
}

UserStep enter(std::string component) {
  UserStep step;
  step.kind = UserStep::Kind::Enter;
  step.component = std::move(component);
  return step;
}

UserStep press(std::string component) {
  UserStep step;
  step.kind = UserStep::Kind::Press;
  step.component = std::move(component);
  return step;
}

UserStep check(std::string component, bool checked) {
  UserStep step;
  step.kind = UserStep::Kind::Check;
  step.component = std::move(component);
  step.checked = checked;
  return step;
}

UserStep select(std::string component, std::string item) {
  return select(std::move(component), std::vector<std::string>{std::move(item)});
}

UserStep select(std::string component, std::vector<std::string> items) {
  UserStep step;
  step.kind = UserStep::Kind::Select;
  step.component = std::move(component);
  step.items = std::move(items);
  return step;
}

UserStep close() {
  UserStep step;
  step.kind = UserStep::Kind::Close;
  return step;
}

UserStep run(std::function<void()> check) {
  UserStep step;
  step.kind = UserStep::Kind::Run;
  step.check = std::move(check);
  return step;
}

}  // namespace user

void script(std::vector<UserStep> steps) {
  for (auto& step : steps) world().ui.script.push_back(std::move(step));
}

StatusCode invokeCommand(const std::string& name, ProCmdAccessMode mode) {
  const Command* command = findCommand(name);
  if (command == nullptr) {
    note("User:command", name + " (missed: no such command)");
    return PRO_TK_E_NOT_FOUND;
  }
  // Copies: the action may add commands, which moves the host's list.
  const ProCmdId id = command->id;
  const ProCmdActionFn action = command->action;
  const ProCmdAccessState state = command->access(mode);
  if (state != PRO_CMD_ACCESS_AVAILABLE) {
    note("User:command", name + " (not available: " + std::to_string(state) + ")");
    return PRO_TK_BAD_CONTEXT;
  }
  note("User:command", name);
  note("Action:command", name);
  return action(id, nullptr, nullptr);
}

Command* findCommand(const std::string& name) {
  for (auto& command : world().ui.commands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

Dialog* findDialog(const std::string& name) {
  auto it = world().ui.dialogs.find(name);
  return it == world().ui.dialogs.end() ? nullptr : &it->second;
}

Component* findComponent(const std::string& dialog, const std::string& component) {
  Dialog* d = findDialog(dialog);
  if (d == nullptr) return nullptr;
  auto it = d->components.find(component);
  return it == d->components.end() ? nullptr : &it->second;
}

std::string resourceFolder() { return world().textDirectory + "/resource"; }

bool isHostCall(const std::string& function) {
  return function.rfind("User:", 0) != 0 && function.rfind("Action:", 0) != 0;
}

}  // namespace sim

using sim::Component;
using sim::ComponentKind;
using sim::Dialog;
using sim::world;

extern "C" {

// ---------------------------------------------------------------------------
// Resource folder and commands

StatusCode ProUITranslationFilesEnable(void) {
  SIM_ENTER("ProUITranslationFilesEnable", "");
  const std::string folder = sim::resourceFolder();
  std::error_code error;
  if (!std::filesystem::is_directory(std::filesystem::u8path(folder), error)) return PRO_TK_E_NOT_FOUND;
  world().ui.resourceDirectory = folder;
  return PRO_TK_NO_ERROR;
}

StatusCode ProCmdActionAdd(const char* name, ProCmdActionFn action, int priority, ProCmdAccessFn access,
                           ProBoolean allow_in_non_active_window, ProBoolean allow_in_accessory_window,
                           ProCmdId* id) {
  SIM_ENTER("ProCmdActionAdd", sim::text(name) + "," + std::to_string(priority) + "," +
                                   std::to_string(allow_in_non_active_window) + "," +
                                   std::to_string(allow_in_accessory_window));
  if (name == nullptr || name[0] == '\0' || action == nullptr || access == nullptr || id == nullptr) {
    return PRO_TK_BAD_INPUTS;
  }
  if (sim::findCommand(name) != nullptr) return PRO_TK_E_FOUND;
  sim::Command command;
  command.id = world().ui.nextCommandId++;
  command.name = name;
  command.action = action;
  command.priority = priority;
  command.access = access;
  command.allowInNonActiveWindow = allow_in_non_active_window;
  command.allowInAccessoryWindow = allow_in_accessory_window;
  world().ui.commands.push_back(command);
  *id = command.id;
  return PRO_TK_NO_ERROR;
}

StatusCode ProCmdDesignate(ProCmdId id, const char* label, const char* help, const char* description,
                           const ProWchar* message_file) {
  SIM_ENTER("ProCmdDesignate", std::to_string(id) + "," + sim::text(label) + "," + sim::text(help) + "," +
                                   sim::text(description) + "," + sim::text(message_file));
  if (label == nullptr || help == nullptr || description == nullptr || message_file == nullptr) {
    return PRO_TK_BAD_INPUTS;
  }
  sim::Command* command = sim::commandById(id);
  if (command == nullptr) return PRO_TK_BAD_INPUTS;
  const auto labelText = sim::messageText(message_file, label);
  const auto helpText = sim::messageText(message_file, help);
  const auto descriptionText = sim::messageText(message_file, description);
  if (!labelText || !helpText || !descriptionText) return PRO_TK_MSG_NOT_FOUND;
  command->designated = true;
  command->labelKey = label;
  command->helpKey = help;
  command->descriptionKey = description;
  command->messageFile = message_file;
  command->label = *labelText;
  command->help = *helpText;
  command->description = *descriptionText;
  return PRO_TK_NO_ERROR;
}

StatusCode ProCmdIconSet(ProCmdId id, const char* icon) {
  SIM_ENTER("ProCmdIconSet", std::to_string(id) + "," + sim::text(icon));
  if (icon == nullptr) return PRO_TK_BAD_INPUTS;
  sim::Command* command = sim::commandById(id);
  if (command == nullptr) return PRO_TK_BAD_INPUTS;
  const auto& folder = world().ui.resourceDirectory;
  if (!folder || !sim::plainFileName(icon) || !sim::isRegularFile(*folder + "/" + icon)) return PRO_TK_E_NOT_FOUND;
  command->icon = icon;
  return PRO_TK_NO_ERROR;
}

// ---------------------------------------------------------------------------
// Dialogs

StatusCode ProUIDialogCreate(const char* dialog, const char* resource) {
  SIM_ENTER("ProUIDialogCreate", sim::text(dialog) + "," + sim::text(resource));
  if (dialog == nullptr || dialog[0] == '\0' || resource == nullptr) return PRO_TK_BAD_INPUTS;
  if (sim::findDialog(dialog) != nullptr) return PRO_TK_E_FOUND;
  const auto& folder = world().ui.resourceDirectory;
  const std::string file = std::string(resource) + ".json";
  if (!folder || !sim::plainFileName(resource) || !sim::isRegularFile(*folder + "/" + file)) {
    return PRO_TK_E_NOT_FOUND;
  }
  std::string error;
  auto made = sim::readResource(*folder + "/" + file, error);
  if (!made) {
    world().ui.resourceError = error;
    return PRO_TK_INVALID_FILE;
  }
  made->name = dialog;
  made->resource = resource;
  world().ui.dialogs.emplace(dialog, std::move(*made));
  return PRO_TK_NO_ERROR;
}

StatusCode ProUIDialogActivate(const char* dialog, int* exit_status) {
  SIM_ENTER("ProUIDialogActivate", sim::text(dialog));
  if (exit_status == nullptr) return PRO_TK_BAD_INPUTS;
  Dialog* d = nullptr;
  if (const StatusCode status = sim::lookUpDialog(dialog, d); status != PRO_TK_NO_ERROR) return status;
  if (d->running) return PRO_TK_BAD_CONTEXT;
  const std::string name = dialog;
  d->running = true;
  d->exitCalled = false;
  // The dialog stays where it is while it runs (it cannot be destroyed then),
  // but look it up afresh after every step all the same.
  for (;;) {
    d = sim::findDialog(name);
    if (d == nullptr) return PRO_TK_E_NOT_FOUND;  // a test's own step took it out of the world
    if (d->exitCalled) break;
    if (world().ui.script.empty()) {
      d->running = false;
      return PRO_TK_E_DEADLOCK;
    }
    const sim::UserStep step = std::move(world().ui.script.front());
    world().ui.script.pop_front();
    sim::play(name, step);
  }
  d->running = false;
  d->exitCalled = false;
  *exit_status = d->exitStatus;
  return PRO_TK_NO_ERROR;
}

StatusCode ProUIDialogExit(const char* dialog, int exit_status) {
  SIM_ENTER("ProUIDialogExit", sim::text(dialog) + "," + std::to_string(exit_status));
  Dialog* d = nullptr;
  if (const StatusCode status = sim::lookUpDialog(dialog, d); status != PRO_TK_NO_ERROR) return status;
  if (!d->running) return PRO_TK_BAD_CONTEXT;
  d->exitCalled = true;
  d->exitStatus = exit_status;
  return PRO_TK_NO_ERROR;
}

StatusCode ProUIDialogDestroy(const char* dialog) {
  SIM_ENTER("ProUIDialogDestroy", sim::text(dialog));
  Dialog* d = nullptr;
  if (const StatusCode status = sim::lookUpDialog(dialog, d); status != PRO_TK_NO_ERROR) return status;
  if (d->running) return PRO_TK_BAD_CONTEXT;
  world().ui.dialogs.erase(dialog);
  return PRO_TK_NO_ERROR;
}

StatusCode ProUIDialogCloseActionSet(const char* dialog, ProUIAction action, ProAppData data) {
  SIM_ENTER("ProUIDialogCloseActionSet", sim::text(dialog));
  Dialog* d = nullptr;
  if (const StatusCode status = sim::lookUpDialog(dialog, d); status != PRO_TK_NO_ERROR) return status;
  d->close = sim::UIBinding{action, data};
  return PRO_TK_NO_ERROR;
}

// ---------------------------------------------------------------------------
// Push buttons and check buttons

StatusCode ProUIPushbuttonActivateActionSet(const char* dialog, const char* component, ProUIAction action,
                                            ProAppData data) {
  SIM_ENTER("ProUIPushbuttonActivateActionSet", sim::text(dialog) + "," + sim::text(component));
  return sim::bind(dialog, component, ComponentKind::PushButton, &Component::activate, action, data);
}

StatusCode ProUIPushbuttonEnable(const char* dialog, const char* component) {
  SIM_ENTER("ProUIPushbuttonEnable", sim::text(dialog) + "," + sim::text(component));
  return sim::setEnabled(dialog, component, true);
}

StatusCode ProUIPushbuttonDisable(const char* dialog, const char* component) {
  SIM_ENTER("ProUIPushbuttonDisable", sim::text(dialog) + "," + sim::text(component));
  return sim::setEnabled(dialog, component, false);
}

StatusCode ProUICheckbuttonGetState(const char* dialog, const char* component, ProBoolean* state) {
  SIM_ENTER("ProUICheckbuttonGetState", sim::text(dialog) + "," + sim::text(component));
  if (state == nullptr) return PRO_TK_BAD_INPUTS;
  Component* c = nullptr;
  if (const StatusCode status = sim::lookUp(dialog, component, ComponentKind::CheckButton, c);
      status != PRO_TK_NO_ERROR) {
    return status;
  }
  *state = c->reportedState ? *c->reportedState : c->checked ? 1 : 0;
  return PRO_TK_NO_ERROR;
}

// ---------------------------------------------------------------------------
// Input panels

StatusCode ProUIInputpanelInputActionSet(const char* dialog, const char* component, ProUIAction action,
                                         ProAppData data) {
  SIM_ENTER("ProUIInputpanelInputActionSet", sim::text(dialog) + "," + sim::text(component));
  return sim::bind(dialog, component, ComponentKind::InputPanel, &Component::input, action, data);
}

StatusCode ProUIInputpanelActivateActionSet(const char* dialog, const char* component, ProUIAction action,
                                            ProAppData data) {
  SIM_ENTER("ProUIInputpanelActivateActionSet", sim::text(dialog) + "," + sim::text(component));
  return sim::bind(dialog, component, ComponentKind::InputPanel, &Component::activate, action, data);
}

StatusCode ProUIInputpanelWidestringSet(const char* dialog, const char* component, const ProWchar* text) {
  SIM_ENTER("ProUIInputpanelWidestringSet", sim::text(dialog) + "," + sim::text(component) + "," + sim::text(text));
  return sim::setPanelText(dialog, component, text);
}

StatusCode ProUIInputpanelValueSet(const char* dialog, const char* component, const ProWchar* text) {
  SIM_ENTER("ProUIInputpanelValueSet", sim::text(dialog) + "," + sim::text(component) + "," + sim::text(text));
  return sim::setPanelText(dialog, component, text);
}

StatusCode ProUIInputpanelWidestringGet(const char* dialog, const char* component, ProWchar** text) {
  SIM_ENTER("ProUIInputpanelWidestringGet", sim::text(dialog) + "," + sim::text(component));
  if (text == nullptr) return PRO_TK_BAD_INPUTS;
  Component* c = nullptr;
  if (const StatusCode status = sim::lookUp(dialog, component, ComponentKind::InputPanel, c);
      status != PRO_TK_NO_ERROR) {
    return status;
  }
  *text = sim::handOutWstring(c->text, "ProUIInputpanelWidestringGet");
  return PRO_TK_NO_ERROR;
}

// ---------------------------------------------------------------------------
// Tables

StatusCode ProUITableColumnnamesGet(const char* dialog, const char* table, int* count, char*** names) {
  SIM_ENTER("ProUITableColumnnamesGet", sim::text(dialog) + "," + sim::text(table));
  return sim::handOutNames(dialog, table, ComponentKind::Table, &Component::columns, "ProUITableColumnnamesGet", count,
                           names);
}

StatusCode ProUITableRownamesSet(const char* dialog, const char* table, int count, char** names) {
  SIM_ENTER("ProUITableRownamesSet", sim::text(dialog) + "," + sim::text(table) + "," + std::to_string(count));
  const auto rows = sim::nameList(count, names);
  if (!rows) return PRO_TK_BAD_INPUTS;
  Component* t = nullptr;
  Dialog* d = nullptr;
  if (const StatusCode status = sim::lookUp(dialog, table, ComponentKind::Table, t, &d); status != PRO_TK_NO_ERROR) {
    return status;
  }
  for (const auto& row : t->rows) {
    if (!sim::contains(*rows, row)) sim::removeCells(*d, *t, row);
  }
  t->rows = *rows;
  return PRO_TK_NO_ERROR;
}

StatusCode ProUITableCellComponentCopy(const char* dialog, const char* table, const char* row, const char* column,
                                       const char* source_dialog, const char* source_component,
                                       const char* new_component) {
  SIM_ENTER("ProUITableCellComponentCopy", sim::text(dialog) + "," + sim::text(table) + "," + sim::text(row) + "," +
                                               sim::text(column) + "," + sim::text(source_dialog) + "," +
                                               sim::text(source_component) + "," + sim::text(new_component));
  if (row == nullptr || column == nullptr || source_dialog == nullptr || source_component == nullptr ||
      new_component == nullptr || new_component[0] == '\0') {
    return PRO_TK_BAD_INPUTS;
  }
  Component* t = nullptr;
  Dialog* d = nullptr;
  if (const StatusCode status = sim::lookUp(dialog, table, ComponentKind::Table, t, &d); status != PRO_TK_NO_ERROR) {
    return status;
  }
  if (!sim::contains(t->rows, row) || !sim::contains(t->columns, column)) return PRO_TK_E_NOT_FOUND;
  Dialog* source = nullptr;
  if (const StatusCode status = sim::lookUpDialog(source_dialog, source); status != PRO_TK_NO_ERROR) return status;
  auto templ = source->components.find(source_component);
  if (templ == source->components.end()) return PRO_TK_E_NOT_FOUND;
  if (templ->second.kind == ComponentKind::Table) return PRO_TK_INVALID_TYPE;  // no tables inside tables
  if (d->components.count(new_component) != 0) return PRO_TK_E_FOUND;
  const std::pair<std::string, std::string> cell{row, column};
  if (t->cells.count(cell) != 0) return PRO_TK_E_FOUND;

  Component copy = templ->second;
  copy.name = new_component;
  copy.activate = {};
  copy.input = {};
  copy.select = {};
  d->components.emplace(new_component, std::move(copy));
  t->cells[cell] = new_component;
  return PRO_TK_NO_ERROR;
}

StatusCode ProUITableCellComponentDelete(const char* dialog, const char* table, const char* row,
                                         const char* column) {
  SIM_ENTER("ProUITableCellComponentDelete",
            sim::text(dialog) + "," + sim::text(table) + "," + sim::text(row) + "," + sim::text(column));
  if (row == nullptr || column == nullptr) return PRO_TK_BAD_INPUTS;
  Component* t = nullptr;
  Dialog* d = nullptr;
  if (const StatusCode status = sim::lookUp(dialog, table, ComponentKind::Table, t, &d); status != PRO_TK_NO_ERROR) {
    return status;
  }
  auto cell = t->cells.find({row, column});
  if (cell == t->cells.end()) return PRO_TK_E_NOT_FOUND;  // an unknown row or column has no component either
  d->components.erase(cell->second);
  t->cells.erase(cell);
  return PRO_TK_NO_ERROR;
}

// ---------------------------------------------------------------------------
// Option menus

StatusCode ProUIOptionmenuNamesGet(const char* dialog, const char* component, int* count, char*** names) {
  SIM_ENTER("ProUIOptionmenuNamesGet", sim::text(dialog) + "," + sim::text(component));
  return sim::handOutNames(dialog, component, ComponentKind::OptionMenu, &Component::items, "ProUIOptionmenuNamesGet", count, names);
}

StatusCode ProUIOptionmenuSelectednamesGet(const char* dialog, const char* component, int* count, char*** names) {
  SIM_ENTER("ProUIOptionmenuSelectednamesGet", sim::text(dialog) + "," + sim::text(component));
  return sim::handOutNames(dialog, component, ComponentKind::OptionMenu, &Component::selected, "ProUIOptionmenuSelectednamesGet", count, names);
}

StatusCode ProUIOptionmenuSelectednamesSet(const char* dialog, const char* component, int count, char** names) {
  SIM_ENTER("ProUIOptionmenuSelectednamesSet",
            sim::text(dialog) + "," + sim::text(component) + "," + std::to_string(count));
  const auto selected = sim::nameList(count, names);
  if (!selected) return PRO_TK_BAD_INPUTS;
  Component* c = nullptr;
  if (const StatusCode status = sim::lookUp(dialog, component, ComponentKind::OptionMenu, c);
      status != PRO_TK_NO_ERROR) {
    return status;
  }
  for (const auto& name : *selected) {
    if (!sim::contains(c->items, name)) return PRO_TK_E_NOT_FOUND;
  }
  c->selected = *selected;
  return PRO_TK_NO_ERROR;
}

StatusCode ProUIOptionmenuSelectActionSet(const char* dialog, const char* component, ProUIAction action,
                                          ProAppData data) {
  SIM_ENTER("ProUIOptionmenuSelectActionSet", sim::text(dialog) + "," + sim::text(component));
  return sim::bind(dialog, component, ComponentKind::OptionMenu, &Component::select, action, data);
}

}  // extern "C"
