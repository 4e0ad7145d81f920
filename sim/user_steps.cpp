#include "sim/user_steps.hpp"


#include <nlohmann/json.hpp>

#include "sim/text.hpp"
#include "sim/text_file.hpp"
#include "sim/ui.hpp"

namespace sim {
namespace {

using Json = nlohmann::ordered_json;

struct Fault {
  std::string where;
  std::string what;
};

[[noreturn]] void fail(const std::string& where, const std::string& what) { throw Fault{where, what}; }

std::string text(const Json& j, const std::string& at) {
  if (!j.is_string()) fail(at, "expected a text");
  return j.get<std::string>();
}

std::string name(const Json& j, const std::string& at) {
  std::string n = text(j, at);
  if (n.empty()) fail(at, "a name cannot be empty");
  return n;
}

// The keys the step may have besides its action key.
void onlyKeys(const Json& step, const std::string& at, const std::vector<std::string>& allowed) {
  for (const auto& item : step.items()) {
    bool known = false;
    for (const auto& key : allowed) known = known || item.key() == key;
    if (!known) fail(at + "/" + item.key(), "unknown field '" + item.key() + "'");
  }
}

UserStep readStep(const Json& j, const std::string& at) {
  if (!j.is_object()) fail(at, "expected an object with one action: type, enter, press, check, select or close");
  const char* actions[] = {"type", "enter", "press", "check", "select", "close"};
  std::string action;
  for (const char* a : actions) {
    if (!j.contains(a)) continue;
    if (!action.empty()) fail(at, "give one action per step, not '" + action + "' and '" + a + "'");
    action = a;
  }
  if (action.empty()) fail(at, "expected one action: type, enter, press, check, select or close");
  const std::string where = at + "/" + action;

  if (action == "type") {
    onlyKeys(j, at, {"type", "text"});
    if (!j.contains("text")) fail(at, "a type step needs \"text\"");
    return user::type(name(j["type"], where), utf16(text(j["text"], at + "/text")));
  }
  if (action == "enter") {
    onlyKeys(j, at, {"enter"});
    return user::enter(name(j["enter"], where));
  }
  if (action == "press") {
    onlyKeys(j, at, {"press"});
    return user::press(name(j["press"], where));
  }
  if (action == "check") {
    onlyKeys(j, at, {"check", "checked"});
    bool checked = true;
    if (j.contains("checked")) {
      if (!j["checked"].is_boolean()) fail(at + "/checked", "expected true or false");
      checked = j["checked"].get<bool>();
    }
    return user::check(name(j["check"], where), checked);
  }
  if (action == "select") {
    onlyKeys(j, at, {"select", "item", "items"});
    const std::string component = name(j["select"], where);
    if (j.contains("item") == j.contains("items")) fail(at, "a select step needs either \"item\" or \"items\"");
    if (j.contains("item")) return user::select(component, name(j["item"], at + "/item"));
    const Json& list = j["items"];
    if (!list.is_array()) fail(at + "/items", "expected a list of item names");
    std::vector<std::string> items;
    for (size_t i = 0; i < list.size(); ++i) items.push_back(name(list[i], at + "/items/" + std::to_string(i)));
    return user::select(component, items);
  }
  onlyKeys(j, at, {"close"});
  if (j["close"] != true) fail(where, "expected true");
  return user::close();
}

}  // namespace

bool parseUserSteps(const std::string& content, const std::string& origin, std::vector<UserStep>& steps,
                    std::string& error) {
  error.clear();
  try {
    const Json root = Json::parse(content);
    if (!root.is_array()) fail("", "expected a list of steps");
    std::vector<UserStep> read;
    for (size_t i = 0; i < root.size(); ++i) read.push_back(readStep(root[i], "/" + std::to_string(i)));
    steps = std::move(read);
    return true;
  } catch (const Fault& f) {
    error = origin + ": " + (f.where.empty() ? "" : f.where + ": ") + f.what;
  } catch (const Json::parse_error& e) {
    error = origin + ": not JSON (" + e.what() + ")";
  } catch (const std::exception& e) {
    error = origin + ": " + e.what();
  }
  return false;
}

bool loadUserSteps(const std::string& path, std::vector<UserStep>& steps, std::string& error) {
  std::string content;
  if (!readTextFile(path, content, error)) return false;
  return parseUserSteps(content, path, steps, error);
}

}  // namespace sim
