// Fixture of the shell's tests: a fresh simulated host with the resource
// folder registered, the gateway's process-wide dialog state as at library
// load, no stored options, and the command run with a scripted user. The
// options key is put back afterwards as it was (on Windows it is the real
// one, which may hold a user's options).
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "messages/messages.hpp"
#include "shell/attributes.hpp"
#include "shell/dialog_names.hpp"
#include "shell/export_action.hpp"
#include "shell/gui.hpp"
#include "shell/options.hpp"
#include "sim/text.hpp"
#include "sim/ui.hpp"
#include "support/registry.hpp"
#include "support/registry_guard.hpp"
#include "support/sim_fixture.hpp"
#include "support/temp_dir.hpp"

namespace veltrosan {

// Found by argument lookup in the namespace of the entry.
inline bool operator==(const AttributeEntry& a, const AttributeEntry& b) { return a.name == b.name && a.type == b.type; }
inline void PrintTo(const AttributeEntry& e, std::ostream* os) { *os << "{" << sim::utf8(e.name) << ", " << e.type << "}"; }

}  // namespace veltrosan

namespace veltrosan::test {

namespace user = sim::user;
using Strings = std::vector<std::string>;

inline constexpr char kDialog[] = "veltrosan";
inline constexpr char16_t kDefaultCti[] = u"COMPARATIVE_TRACKING_INDEX";

// One row of the attribute table as the dialog shows it.
struct ShownRow {
  std::string row;
  std::string nameField;
  std::u16string name;
  std::string typeMenu;
  Strings selected;
  std::string removeButton;

  bool operator==(const ShownRow& o) const {
    return row == o.row && nameField == o.nameField && name == o.name && typeMenu == o.typeMenu &&
           selected == o.selected && removeButton == o.removeButton;
  }
};

inline void PrintTo(const ShownRow& r, std::ostream* os) {
  *os << "{" << r.row << ": " << r.nameField << "=" << sim::utf8(r.name) << ", " << r.typeMenu << "=";
  for (const auto& s : r.selected) *os << s << ";";
  *os << " " << r.removeButton << "}";
}

// The row as the table shows row i of an entry named `name` of type item `item`.
inline ShownRow expectedRow(int i, std::u16string name, const std::string& item) {
  const std::string n = std::to_string(i);
  return ShownRow{"veltrosanRow" + n, "veltrosanName" + n, std::move(name), "veltrosanType" + n, {item},
                  "veltrosanDelete" + n};
}


class ShellTest : public testing_support::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    optionsKey_.emplace(HKEY_CURRENT_USER, kOptionsKey);
    deleteKey(HKEY_CURRENT_USER, kOptionsKey);
    // The process-wide state as the library has it when it is loaded.
    ctiParameterName = kDefaultCti;
    attributeList.clear();
    Attributes::rowNames.clear();
    Attributes::rowCount = 0;
    Attributes::columnNames = nullptr;
    Attributes::columnCount = 0;
    Attributes::typeItemNames = nullptr;
    Attributes::typeItemCount = 0;
    setMessageFile();
    ASSERT_EQ(ProUITranslationFilesEnable(), PRO_TK_NO_ERROR);
    world().log.clear();
  }

  void TearDown() override {
    if (optionsKey_) optionsKey_->restore();
    EXPECT_EQ(sim::findDialog(kDialog), nullptr) << "the dialog was left behind";
    EXPECT_EQ(activeExportSession, nullptr);
    EXPECT_TRUE(attributeList.empty()) << "the list outlived the dialog";
    EXPECT_TRUE(Attributes::rowNames.empty());
    EXPECT_EQ(Attributes::columnNames, nullptr);
    EXPECT_EQ(Attributes::typeItemNames, nullptr);
    EXPECT_THAT(world().ui.missedSteps, ::testing::IsEmpty());
    EXPECT_TRUE(world().ui.script.empty()) << "user steps left over: the dialog did not run them";
    SimTest::TearDown();
  }

  // Runs the command as the host does, with the user's steps.
  static StatusCode runCommand(std::vector<sim::UserStep> steps) {
    sim::script(std::move(steps));
    return onExportCommand(1, nullptr, nullptr);
  }

  // Stores the options as an earlier closing would have: the CTI name, and
  // the attribute strings (names and type codes) of the multi-string.
  static void storeOptions(const std::u16string& cti, const std::vector<std::u16string>& strings) {
    createKey(HKEY_CURRENT_USER, kOptionsKey);
    setValue(HKEY_CURRENT_USER, kOptionsKey, u"CtiParameter", REG_SZ, wideBytes(cti));
    std::u16string data;
    for (const auto& s : strings) data += s + u'\0';
    setValue(HKEY_CURRENT_USER, kOptionsKey, u"ImportAttributes", REG_MULTI_SZ, wideBytes(data));
  }

  // What the dialog shows now; call it from a user::run step.
  static std::vector<ShownRow> shownRows() {
    std::vector<ShownRow> rows;
    const sim::Component* table = sim::findComponent(kDialog, "AttributeTable");
    if (table == nullptr) return rows;
    for (const auto& row : table->rows) {
      ShownRow r;
      r.row = row;
      auto cell = [&](const std::string& column) {
        auto it = table->cells.find({row, column});
        return it == table->cells.end() ? std::string() : it->second;
      };
      r.nameField = cell(table->columns.at(0));
      r.typeMenu = cell(table->columns.at(1));
      r.removeButton = cell(table->columns.at(2));
      if (const sim::Component* c = sim::findComponent(kDialog, r.nameField)) r.name = c->text;
      if (const sim::Component* c = sim::findComponent(kDialog, r.typeMenu)) r.selected = c->selected;
      rows.push_back(r);
    }
    return rows;
  }
  static std::u16string shownCti() { return sim::findComponent(kDialog, "CtiValue")->text; }
  static bool exportEnabled() { return sim::findComponent(kDialog, "Export")->enabled; }

  // Every line the message area has shown, oldest first.
  static Strings shownTexts() {
    Strings out;
    for (const auto& line : world().messages.shown) out.push_back(line.text);
    return out;
  }

  // The option strings as stored now; none when the value is missing.
  static std::optional<std::vector<std::u16string>> storedAttributes() {
    const auto value = getValue(HKEY_CURRENT_USER, kOptionsKey, u"ImportAttributes");
    if (!value) return std::nullopt;
    std::u16string units;
    for (size_t i = 0; i + 1 < value->data.size(); i += 2)
      units.push_back(static_cast<char16_t>(value->data[i] | (value->data[i + 1] << 8)));
    std::vector<std::u16string> strings;
    size_t start = 0;
    while (start < units.size()) {
      size_t end = units.find(u'\0', start);
      if (end == std::u16string::npos) end = units.size();
      strings.push_back(units.substr(start, end - start));
      start = end + 1;
    }
    return strings;
  }

  // A text folder of the test's own whose dialog resource is `resource`.
  void useResource(const std::string& resource) {
    textFolder_ = std::make_unique<TempDir>();
    makeDirectory(textFolder_->file("resource"));
    std::ifstream messages(sim::defaultTextDirectory() + "/veltrosan_messages.txt", std::ios::binary);
    std::ostringstream text;
    text << messages.rdbuf();
    writeBytes(textFolder_->file("veltrosan_messages.txt"), text.str());
    writeBytes(textFolder_->file("resource/veltrosan.json"), resource);
    world().textDirectory = textFolder_->path();
    ASSERT_EQ(ProUITranslationFilesEnable(), PRO_TK_NO_ERROR);
  }

 private:
  std::unique_ptr<TempDir> textFolder_;
  std::optional<KeyGuard> optionsKey_;
};

// The installed resource with other columns for the table and other items
// for the type template.
inline std::string resourceWith(const std::string& columns, const std::string& items) {
  return R"({ "components": [
    { "name": "CtiValue", "kind": "inputpanel" },
    { "name": "AttributeTable", "kind": "table", "columns": )" +
         columns + R"( },
    { "name": "AttributeName", "kind": "inputpanel" },
    { "name": "AttributeType", "kind": "optionmenu", "items": )" +
         items + R"( },
    { "name": "AttributeRemove", "kind": "pushbutton" },
    { "name": "AttributeAdd", "kind": "pushbutton" },
    { "name": "DeleteVTQ", "kind": "checkbutton" },
    { "name": "Export", "kind": "pushbutton" },
    { "name": "Cancel", "kind": "pushbutton" } ] })";
}

}  // namespace veltrosan::test
