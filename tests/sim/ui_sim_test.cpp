// The simulated host's commands, dialogs, components and modal run, and the
// installation's dialog resource and icon.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/toolkit.h"
#include "sim/text.hpp"
#include "sim/ui.hpp"
#include "support/sim_fixture.hpp"
#include "support/temp_dir.hpp"
#include "support/transfer_file_reader.hpp"

namespace {

using Strings = std::vector<std::string>;
namespace user = sim::user;

const char* const kDialog = "veltrosan";

// What the dialog actions of these tests saw, in order: "<kind> <dialog>,<component>",
// with " +data" when the bound data came along.
Strings& seen() {
  static Strings s;
  return s;
}
int marker = 0;

void note(const char* kind, char* dialog, char* component, ProAppData data) {
  seen().push_back(std::string(kind) + " " + dialog + "," + component + (data == &marker ? " +data" : ""));
  // The host hands out copies: writing into them must change nothing of its own.
  dialog[0] = '#';
  component[0] = '#';
}
void onInput(char* dialog, char* component, ProAppData data) { note("input", dialog, component, data); }
void onActivate(char* dialog, char* component, ProAppData data) { note("activate", dialog, component, data); }
void onSelect(char* dialog, char* component, ProAppData data) { note("select", dialog, component, data); }
void onClose(char* dialog, char* component, ProAppData data) { note("close", dialog, component, data); }
void exitWithSeven(char* dialog, char* component, ProAppData data) {
  note("exit", dialog, component, data);
  ProUIDialogExit(kDialog, 7);
}

// Command actions and access functions.
int commandRuns = 0;
ProCmdAccessMode askedMode = -1;
ProCmdAccessState accessAnswer = PRO_CMD_ACCESS_AVAILABLE;
StatusCode commandAction(ProCmdId, ProAppData, ProAppData) {
  ++commandRuns;
  return -1234;
}
ProCmdAccessState commandAccess(ProCmdAccessMode mode) {
  askedMode = mode;
  return accessAnswer;
}

std::string readFile(const std::string& path) {
  const std::vector<std::uint8_t> bytes = veltrosan::vtq::readBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

class SimUiTest : public testing_support::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    seen().clear();
    commandRuns = 0;
    askedMode = -1;
    accessAnswer = PRO_CMD_ACCESS_AVAILABLE;
  }
  void TearDown() override {
    EXPECT_TRUE(world().ui.missedSteps.empty()) << testing_support::joinLines(world().ui.missedSteps);
    SimTest::TearDown();
  }

  // The installed dialog, created as the gateway does.
  static void openDialog() {
    ASSERT_EQ(ProUITranslationFilesEnable(), PRO_TK_NO_ERROR);
    ASSERT_EQ(ProUIDialogCreate(kDialog, "veltrosan"), PRO_TK_NO_ERROR);
  }

  static sim::Component& component(const std::string& name) {
    sim::Component* c = sim::findComponent(kDialog, name);
    if (c == nullptr) throw std::runtime_error("no component " + name);
    return *c;
  }

  // The names a host call handed out, released again.
  static Strings takeNames(int count, char** names) {
    Strings out(names, names + count);
    EXPECT_EQ(ProStringarrayFree(names, count), PRO_TK_NO_ERROR);
    return out;
  }

  static Strings userAndActions() {
    Strings out;
    for (const auto& call : world().log.calls()) {
      if (!sim::isHostCall(call.function)) out.push_back(call.function + " " + call.args);
    }
    return out;
  }

  static StatusCode setRows(Strings rows) {
    std::vector<char*> names;
    for (auto& r : rows) names.push_back(r.data());
    return ProUITableRownamesSet(kDialog, "AttributeTable", static_cast<int>(names.size()), names.data());
  }
};

// ---------------------------------------------------------------------------
// The installation

TEST_F(SimUiTest, InstalledResourceHoldsWhatTheGatewayNames) {
  openDialog();
  const std::vector<std::pair<std::string, sim::ComponentKind>> expected = {
      {"CtiValue", sim::ComponentKind::InputPanel},        {"AttributeTable", sim::ComponentKind::Table},
      {"AttributeName", sim::ComponentKind::InputPanel},   {"AttributeType", sim::ComponentKind::OptionMenu},
      {"AttributeRemove", sim::ComponentKind::PushButton}, {"AttributeAdd", sim::ComponentKind::PushButton},
      {"Export", sim::ComponentKind::PushButton},          {"Cancel", sim::ComponentKind::PushButton},
      {"DeleteVTQ", sim::ComponentKind::CheckButton},
  };
  for (const auto& [name, kind] : expected) {
    SCOPED_TRACE(name);
    const sim::Component* c = sim::findComponent(kDialog, name);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->kind, kind);
  }
  EXPECT_TRUE(component("Export").enabled);

  int count = 0;
  char** names = nullptr;
  ASSERT_EQ(ProUITableColumnnamesGet(kDialog, "AttributeTable", &count, &names), PRO_TK_NO_ERROR);
  EXPECT_GE(takeNames(count, names).size(), 3u);
  ASSERT_EQ(ProUIOptionmenuNamesGet(kDialog, "AttributeType", &count, &names), PRO_TK_NO_ERROR);
  EXPECT_EQ(takeNames(count, names), (Strings{"Part", "Assembly", "Both"}));
  ASSERT_EQ(ProUIOptionmenuSelectednamesGet(kDialog, "AttributeType", &count, &names), PRO_TK_NO_ERROR);
  EXPECT_EQ(takeNames(count, names), (Strings{"Part"}));
  ProBoolean state = -1;
  ASSERT_EQ(ProUICheckbuttonGetState(kDialog, "DeleteVTQ", &state), PRO_TK_NO_ERROR);
  EXPECT_EQ(state, 0);
}

TEST_F(SimUiTest, InstalledIconIsASmallPng) {
  const std::string png = readFile(sim::resourceFolder() + "/icon_large.png");
  ASSERT_GE(png.size(), 33u + 12u);
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(png.substr(12, 4), "IHDR");
  auto big = [&](size_t at) {
    return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
           (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
  };
  EXPECT_EQ(big(16), 32u);  // width
  EXPECT_EQ(big(20), 32u);  // height
  EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND");
}

TEST_F(SimUiTest, StartUpAgainstTheInstallationRegistersADesignatedCommand) {
  ASSERT_EQ(ProUITranslationFilesEnable(), PRO_TK_NO_ERROR);
  ProCmdId id = 0;
  ASSERT_EQ(ProCmdActionAdd("Veltrosan Gateway", commandAction, 2, commandAccess, 1, 1, &id), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProCmdDesignate(id, "VeltrosanGateway", "VeltrosanGateway", "VeltrosanGateway", u"veltrosan_messages.txt"),
            PRO_TK_NO_ERROR);
  ASSERT_EQ(ProCmdIconSet(id, "icon_large.png"), PRO_TK_NO_ERROR);

  const sim::Command* command = sim::findCommand("Veltrosan Gateway");
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(command->id, id);
  EXPECT_EQ(command->priority, 2);
  EXPECT_EQ(command->allowInNonActiveWindow, 1);
  EXPECT_EQ(command->allowInAccessoryWindow, 1);
  EXPECT_TRUE(command->designated);
  EXPECT_EQ(command->labelKey, "VeltrosanGateway");
  EXPECT_EQ(command->label, "Veltrosan Gateway");
  EXPECT_EQ(command->messageFile, u"veltrosan_messages.txt");
  EXPECT_EQ(command->icon, "icon_large.png");

  EXPECT_EQ(sim::invokeCommand("Veltrosan Gateway", 5), -1234);
  EXPECT_EQ(commandRuns, 1);
  EXPECT_EQ(askedMode, 5);
}

TEST_F(SimUiTest, FilesAreFoundOnlyOnceTheResourceFolderIsRegistered) {
  ProCmdId id = 0;
  ASSERT_EQ(ProCmdActionAdd("Veltrosan Gateway", commandAction, 2, commandAccess, 1, 1, &id), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProUIDialogCreate(kDialog, "veltrosan"), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(ProCmdIconSet(id, "icon_large.png"), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(sim::findDialog(kDialog), nullptr);
  EXPECT_EQ(sim::findCommand("Veltrosan Gateway")->icon, "");

  ASSERT_EQ(ProUITranslationFilesEnable(), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProUIDialogCreate(kDialog, "veltrosan"), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProCmdIconSet(id, "icon_large.png"), PRO_TK_NO_ERROR);
}

TEST_F(SimUiTest, AnInstallationWithoutResourceFolderCannotBeRegistered) {
  veltrosan::test::TempDir text;
  world().textDirectory = text.path();
  EXPECT_EQ(ProUITranslationFilesEnable(), PRO_TK_E_NOT_FOUND);
  EXPECT_FALSE(world().ui.resourceDirectory.has_value());
  EXPECT_EQ(ProUIDialogCreate(kDialog, "veltrosan"), PRO_TK_E_NOT_FOUND);
}

// ---------------------------------------------------------------------------
// Commands

TEST_F(SimUiTest, CommandsRefuseWhatTheHostCannotTake) {
  ASSERT_EQ(ProUITranslationFilesEnable(), PRO_TK_NO_ERROR);
  ProCmdId id = 0;
  ASSERT_EQ(ProCmdActionAdd("Veltrosan Gateway", commandAction, 2, commandAccess, 1, 1, &id), PRO_TK_NO_ERROR);
  ProCmdId other = 0;
  ASSERT_EQ(ProCmdActionAdd("Other", commandAction, 0, commandAccess, 0, 0, &other), PRO_TK_NO_ERROR);
  EXPECT_NE(other, id);

  struct Case {
    const char* what;
    std::function<StatusCode()> call;
    StatusCode status;
  };
  ProCmdId unused = 0;
  const auto* file = u"veltrosan_messages.txt";
  const std::vector<Case> cases = {
      {"same name again",
       [&] { return ProCmdActionAdd("Veltrosan Gateway", commandAction, 2, commandAccess, 1, 1, &unused); },
       PRO_TK_E_FOUND},
      {"no name", [&] { return ProCmdActionAdd(nullptr, commandAction, 2, commandAccess, 1, 1, &unused); },
       PRO_TK_BAD_INPUTS},
      {"empty name", [&] { return ProCmdActionAdd("", commandAction, 2, commandAccess, 1, 1, &unused); },
       PRO_TK_BAD_INPUTS},
      {"no action", [&] { return ProCmdActionAdd("A", nullptr, 2, commandAccess, 1, 1, &unused); }, PRO_TK_BAD_INPUTS},
      {"no access", [&] { return ProCmdActionAdd("A", commandAction, 2, nullptr, 1, 1, &unused); }, PRO_TK_BAD_INPUTS},
      {"no id place", [&] { return ProCmdActionAdd("A", commandAction, 2, commandAccess, 1, 1, nullptr); },
       PRO_TK_BAD_INPUTS},
      {"designate unknown id",
       [&] { return ProCmdDesignate(999, "VeltrosanGateway", "VeltrosanGateway", "VeltrosanGateway", file); },
       PRO_TK_BAD_INPUTS},
      {"label key missing",
       [&] { return ProCmdDesignate(id, "NoSuchKey", "VeltrosanGateway", "VeltrosanGateway", file); },
       PRO_TK_MSG_NOT_FOUND},
      {"description key missing",
       [&] { return ProCmdDesignate(id, "VeltrosanGateway", "VeltrosanGateway", "Nope", file); }, PRO_TK_MSG_NOT_FOUND},
      {"no message file",
       [&] { return ProCmdDesignate(id, "VeltrosanGateway", "VeltrosanGateway", "VeltrosanGateway", u"none.txt"); },
       PRO_TK_MSG_NOT_FOUND},
      {"null key", [&] { return ProCmdDesignate(id, "VeltrosanGateway", nullptr, "VeltrosanGateway", file); },
       PRO_TK_BAD_INPUTS},
      {"icon of unknown id", [&] { return ProCmdIconSet(999, "icon_large.png"); }, PRO_TK_BAD_INPUTS},
      {"icon not installed", [&] { return ProCmdIconSet(id, "icon_small.png"); }, PRO_TK_E_NOT_FOUND},
      {"icon outside the folder", [&] { return ProCmdIconSet(id, "../resource/icon_large.png"); }, PRO_TK_E_NOT_FOUND},
      {"null icon", [&] { return ProCmdIconSet(id, nullptr); }, PRO_TK_BAD_INPUTS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.call(), c.status);
  }
  EXPECT_EQ(world().ui.commands.size(), 2u);
  const sim::Command* command = sim::findCommand("Veltrosan Gateway");
  EXPECT_FALSE(command->designated);
  EXPECT_EQ(command->icon, "");
}

TEST_F(SimUiTest, ACommandRunsOnlyWhenItsAccessSaysAvailable) {
  ProCmdId id = 0;
  ASSERT_EQ(ProCmdActionAdd("Veltrosan Gateway", commandAction, 2, commandAccess, 1, 1, &id), PRO_TK_NO_ERROR);
  accessAnswer = 0;
  EXPECT_EQ(sim::invokeCommand("Veltrosan Gateway"), PRO_TK_BAD_CONTEXT);
  EXPECT_EQ(askedMode, 0);
  EXPECT_EQ(commandRuns, 0);
  EXPECT_EQ(sim::invokeCommand("No Such Command"), PRO_TK_E_NOT_FOUND);
  accessAnswer = PRO_CMD_ACCESS_AVAILABLE;
  EXPECT_EQ(sim::invokeCommand("Veltrosan Gateway"), -1234);
  EXPECT_EQ(commandRuns, 1);
  EXPECT_EQ(userAndActions(), (Strings{"User:command Veltrosan Gateway (not available: 0)",
                                       "User:command No Such Command (missed: no such command)",
                                       "User:command Veltrosan Gateway", "Action:command Veltrosan Gateway"}));
}

// ---------------------------------------------------------------------------
// Dialogs and their resources

TEST_F(SimUiTest, DialogsLiveFromCreationToDestruction) {
  openDialog();
  EXPECT_EQ(ProUIDialogCreate(kDialog, "veltrosan"), PRO_TK_E_FOUND);
  EXPECT_EQ(ProUIDialogCreate("second", "veltrosan"), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProUIDialogCreate("third", "nosuchdialog"), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(ProUIDialogCreate("third", "../resource/veltrosan"), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(ProUIDialogCreate(nullptr, "veltrosan"), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProUIDialogCreate("third", nullptr), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(sim::findDialog("third"), nullptr);
  ASSERT_NE(sim::findDialog("second"), nullptr);
  EXPECT_EQ(sim::findDialog("second")->resource, "veltrosan");
  EXPECT_EQ(sim::findDialog("second")->title, "Veltrosan Gateway");

  // Each dialog has components of its own.
  ASSERT_EQ(ProUIPushbuttonDisable("second", "Export"), PRO_TK_NO_ERROR);
  EXPECT_TRUE(component("Export").enabled);

  ASSERT_EQ(ProUIDialogDestroy(kDialog), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProUIDialogDestroy(kDialog), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(ProUIPushbuttonEnable(kDialog, "Export"), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(ProUIDialogDestroy(nullptr), PRO_TK_BAD_INPUTS);
  // A new dialog of the same name starts from the resource again.
  ASSERT_EQ(ProUIDialogCreate(kDialog, "veltrosan"), PRO_TK_NO_ERROR);
  EXPECT_TRUE(component("Export").enabled);
}

TEST_F(SimUiTest, AResourceIsReadStrictly) {
  veltrosan::test::TempDir text;
  veltrosan::test::makeDirectory(text.file("resource"));
  world().textDirectory = text.path();
  ASSERT_EQ(ProUITranslationFilesEnable(), PRO_TK_NO_ERROR);

  veltrosan::test::writeBytes(text.file("resource/plain.json"), R"({"components": [
      {"name": "Menu", "kind": "optionmenu", "items": ["a", "b"]},
      {"name": "Empty", "kind": "optionmenu", "items": []},
      {"name": "Field", "kind": "inputpanel", "text": "\u00e9\ud83d\ude00"},
      {"name": "Off", "kind": "pushbutton", "enabled": false},
      {"name": "On", "kind": "checkbutton", "checked": true},
      {"name": "Grid", "kind": "table", "columns": []}]})");
  ASSERT_EQ(ProUIDialogCreate("plain", "plain"), PRO_TK_NO_ERROR);
  EXPECT_EQ(sim::findComponent("plain", "Menu")->selected, Strings{"a"});
  EXPECT_TRUE(sim::findComponent("plain", "Empty")->selected.empty());
  EXPECT_EQ(sim::findComponent("plain", "Field")->text, u"\u00e9\U0001F600");
  EXPECT_FALSE(sim::findComponent("plain", "Off")->enabled);
  EXPECT_TRUE(sim::findComponent("plain", "On")->checked);
  EXPECT_TRUE(sim::findComponent("plain", "Grid")->rows.empty());

  const std::vector<std::pair<const char*, std::string>> bad = {
      {"not JSON", "{"},
      {"not an object", "[]"},
      {"no components", R"({"title": "x"})"},
      {"unknown top key", R"({"components": [], "colour": 1})"},
      {"nameless", R"({"components": [{"kind": "pushbutton"}]})"},
      {"unknown kind", R"({"components": [{"name": "A", "kind": "slider"}]})"},
      {"key of another kind", R"({"components": [{"name": "A", "kind": "pushbutton", "checked": true}]})"},
      {"two of one name",
       R"({"components": [{"name": "A", "kind": "pushbutton"}, {"name": "A", "kind": "table", "columns": []}]})"},
      {"menu without items", R"({"components": [{"name": "A", "kind": "optionmenu"}]})"},
      {"repeated item", R"({"components": [{"name": "A", "kind": "optionmenu", "items": ["x", "x"]}]})"},
      {"selection of no item",
       R"({"components": [{"name": "A", "kind": "optionmenu", "items": ["x"], "selected": ["y"]}]})"},
      {"empty column name", R"({"components": [{"name": "T", "kind": "table", "columns": [""]}]})"},
      {"flag of another type", R"({"components": [{"name": "A", "kind": "pushbutton", "enabled": "yes"}]})"},
  };
  for (const auto& [what, contents] : bad) {
    SCOPED_TRACE(what);
    world().ui.resourceError.clear();
    veltrosan::test::writeBytes(text.file("resource/bad.json"), contents);
    EXPECT_EQ(ProUIDialogCreate("bad", "bad"), PRO_TK_INVALID_FILE);
    EXPECT_EQ(sim::findDialog("bad"), nullptr);
    EXPECT_NE(world().ui.resourceError, "");
  }
}

TEST_F(SimUiTest, CallsNamingWhatIsNotThereFailClearly) {
  openDialog();
  ProWchar* text = nullptr;
  ProBoolean state = 0;
  int count = 0;
  char** names = nullptr;
  char part[] = "Part";
  char* one[] = {part};
  char row[] = "r0";
  char* rows[] = {row};
  struct Case {
    const char* function;
    const char* right;  // a component of the kind the function serves
    const char* wrong;  // one of another kind
    std::function<StatusCode(const char*, const char*)> call;
  };
  const std::vector<Case> cases = {
      {"ProUIPushbuttonActivateActionSet", "Export", "CtiValue",
       [](const char* d, const char* c) { return ProUIPushbuttonActivateActionSet(d, c, onActivate, nullptr); }},
      {"ProUIPushbuttonEnable", "Export", "DeleteVTQ",
       [](const char* d, const char* c) { return ProUIPushbuttonEnable(d, c); }},
      {"ProUIPushbuttonDisable", "Export", "AttributeType",
       [](const char* d, const char* c) { return ProUIPushbuttonDisable(d, c); }},
      {"ProUICheckbuttonGetState", "DeleteVTQ", "Export",
       [&](const char* d, const char* c) { return ProUICheckbuttonGetState(d, c, &state); }},
      {"ProUIInputpanelInputActionSet", "CtiValue", "Export",
       [](const char* d, const char* c) { return ProUIInputpanelInputActionSet(d, c, onInput, nullptr); }},
      {"ProUIInputpanelActivateActionSet", "CtiValue", "AttributeTable",
       [](const char* d, const char* c) { return ProUIInputpanelActivateActionSet(d, c, onActivate, nullptr); }},
      {"ProUIInputpanelWidestringSet", "CtiValue", "Export",
       [](const char* d, const char* c) { return ProUIInputpanelWidestringSet(d, c, u"X"); }},
      {"ProUIInputpanelValueSet", "AttributeName", "AttributeRemove",
       [](const char* d, const char* c) { return ProUIInputpanelValueSet(d, c, u"X"); }},
      {"ProUIInputpanelWidestringGet", "CtiValue", "DeleteVTQ",
       [&](const char* d, const char* c) {
         const StatusCode status = ProUIInputpanelWidestringGet(d, c, &text);
         if (status == PRO_TK_NO_ERROR) ProWstringFree(text);
         return status;
       }},
      {"ProUITableColumnnamesGet", "AttributeTable", "AttributeType",
       [&](const char* d, const char* c) {
         const StatusCode status = ProUITableColumnnamesGet(d, c, &count, &names);
         if (status == PRO_TK_NO_ERROR) ProStringarrayFree(names, count);
         return status;
       }},
      {"ProUITableRownamesSet", "AttributeTable", "CtiValue",
       [&](const char* d, const char* c) { return ProUITableRownamesSet(d, c, 1, rows); }},
      {"ProUITableCellComponentCopy", "AttributeTable", "Export",
       [&](const char* d, const char* c) {
         return ProUITableCellComponentCopy(d, c, "r0", "NameColumn", kDialog, "AttributeName", "n0");
       }},
      {"ProUITableCellComponentDelete", "AttributeTable", "Export",
       [&](const char* d, const char* c) { return ProUITableCellComponentDelete(d, c, "r0", "NameColumn"); }},
      {"ProUIOptionmenuNamesGet", "AttributeType", "AttributeTable",
       [&](const char* d, const char* c) {
         const StatusCode status = ProUIOptionmenuNamesGet(d, c, &count, &names);
         if (status == PRO_TK_NO_ERROR) ProStringarrayFree(names, count);
         return status;
       }},
      {"ProUIOptionmenuSelectednamesGet", "AttributeType", "CtiValue",
       [&](const char* d, const char* c) {
         const StatusCode status = ProUIOptionmenuSelectednamesGet(d, c, &count, &names);
         if (status == PRO_TK_NO_ERROR) ProStringarrayFree(names, count);
         return status;
       }},
      {"ProUIOptionmenuSelectednamesSet", "AttributeType", "Export",
       [&](const char* d, const char* c) { return ProUIOptionmenuSelectednamesSet(d, c, 1, one); }},
      {"ProUIOptionmenuSelectActionSet", "AttributeType", "DeleteVTQ",
       [](const char* d, const char* c) { return ProUIOptionmenuSelectActionSet(d, c, onSelect, nullptr); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.function);
    EXPECT_EQ(c.call("nodialog", c.right), PRO_TK_E_NOT_FOUND);
    EXPECT_EQ(c.call(kDialog, "NoComponent"), PRO_TK_E_NOT_FOUND);
    EXPECT_EQ(c.call(kDialog, c.wrong), PRO_TK_INVALID_TYPE);
    EXPECT_EQ(c.call(nullptr, c.right), PRO_TK_BAD_INPUTS);
    EXPECT_EQ(c.call(kDialog, nullptr), PRO_TK_BAD_INPUTS);
  }
  // Places for the answers are checked before anything else.
  EXPECT_EQ(ProUICheckbuttonGetState(kDialog, "DeleteVTQ", nullptr), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProUIInputpanelWidestringGet(kDialog, "CtiValue", nullptr), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProUIInputpanelWidestringSet(kDialog, "CtiValue", nullptr), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProUITableColumnnamesGet(kDialog, "AttributeTable", nullptr, &names), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProUIOptionmenuNamesGet(kDialog, "AttributeType", &count, nullptr), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProUIDialogCloseActionSet("nodialog", onClose, nullptr), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(ProUIDialogExit("nodialog", 0), PRO_TK_E_NOT_FOUND);
  int exitStatus = 0;
  EXPECT_EQ(ProUIDialogActivate("nodialog", &exitStatus), PRO_TK_E_NOT_FOUND);
}

// ---------------------------------------------------------------------------
// Component state

TEST_F(SimUiTest, ComponentsKeepTheirState) {
  openDialog();
  const std::u16string text = u"CTI \u00e9 \U0001F600";
  ASSERT_EQ(ProUIInputpanelWidestringSet(kDialog, "CtiValue", text.c_str()), PRO_TK_NO_ERROR);
  ProWchar* got = nullptr;
  ASSERT_EQ(ProUIInputpanelWidestringGet(kDialog, "CtiValue", &got), PRO_TK_NO_ERROR);
  EXPECT_EQ(std::u16string(got), text);
  ASSERT_EQ(ProWstringFree(got), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProUIInputpanelValueSet(kDialog, "CtiValue", u""), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProUIInputpanelWidestringGet(kDialog, "CtiValue", &got), PRO_TK_NO_ERROR);
  EXPECT_EQ(std::u16string(got), u"");
  ASSERT_EQ(ProWstringFree(got), PRO_TK_NO_ERROR);

  ASSERT_EQ(ProUIPushbuttonDisable(kDialog, "Export"), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProUIPushbuttonDisable(kDialog, "Export"), PRO_TK_NO_ERROR);
  EXPECT_FALSE(component("Export").enabled);
  ASSERT_EQ(ProUIPushbuttonEnable(kDialog, "Export"), PRO_TK_NO_ERROR);
  EXPECT_TRUE(component("Export").enabled);

  component("DeleteVTQ").checked = true;
  ProBoolean state = 0;
  ASSERT_EQ(ProUICheckbuttonGetState(kDialog, "DeleteVTQ", &state), PRO_TK_NO_ERROR);
  EXPECT_EQ(state, 1);
  component("DeleteVTQ").reportedState = 2;  // what a host may report instead
  ASSERT_EQ(ProUICheckbuttonGetState(kDialog, "DeleteVTQ", &state), PRO_TK_NO_ERROR);
  EXPECT_EQ(state, 2);

  char both[] = "Both";
  char part[] = "Part";
  char nothing[] = "Nothing";
  auto selected = [] {
    int count = -1;
    char** names = nullptr;
    EXPECT_EQ(ProUIOptionmenuSelectednamesGet(kDialog, "AttributeType", &count, &names), PRO_TK_NO_ERROR);
    return takeNames(count, names);
  };
  char* list[] = {both, part};
  ASSERT_EQ(ProUIOptionmenuSelectednamesSet(kDialog, "AttributeType", 1, list), PRO_TK_NO_ERROR);
  EXPECT_EQ(selected(), Strings{"Both"});
  ASSERT_EQ(ProUIOptionmenuSelectednamesSet(kDialog, "AttributeType", 2, list), PRO_TK_NO_ERROR);
  EXPECT_EQ(selected(), (Strings{"Both", "Part"}));
  ASSERT_EQ(ProUIOptionmenuSelectednamesSet(kDialog, "AttributeType", 0, nullptr), PRO_TK_NO_ERROR);
  EXPECT_EQ(selected(), Strings{});

  // A refused selection leaves the one before.
  ASSERT_EQ(ProUIOptionmenuSelectednamesSet(kDialog, "AttributeType", 1, list), PRO_TK_NO_ERROR);
  char* unknown[] = {nothing};
  char* twice[] = {part, part};
  char* holed[] = {part, nullptr};
  EXPECT_EQ(ProUIOptionmenuSelectednamesSet(kDialog, "AttributeType", 1, unknown), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(ProUIOptionmenuSelectednamesSet(kDialog, "AttributeType", 2, twice), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProUIOptionmenuSelectednamesSet(kDialog, "AttributeType", 2, holed), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProUIOptionmenuSelectednamesSet(kDialog, "AttributeType", -1, list), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProUIOptionmenuSelectednamesSet(kDialog, "AttributeType", 1, nullptr), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(selected(), Strings{"Both"});

  // Handed-out name lists need the count they came with.
  int count = 0;
  char** names = nullptr;
  ASSERT_EQ(ProUIOptionmenuNamesGet(kDialog, "AttributeType", &count, &names), PRO_TK_NO_ERROR);
  EXPECT_EQ(world().ledger.outstanding(), Strings{"string array from ProUIOptionmenuNamesGet"});
  EXPECT_EQ(ProStringarrayFree(names, count - 1), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProStringarrayFree(names, count), PRO_TK_NO_ERROR);
}

// ---------------------------------------------------------------------------
// Tables

TEST_F(SimUiTest, TableCellsHoldCopiesOfTemplates) {
  openDialog();
  ASSERT_EQ(ProUIInputpanelWidestringSet(kDialog, "AttributeName", u"TEMPLATE"), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProUIInputpanelInputActionSet(kDialog, "AttributeName", onInput, nullptr), PRO_TK_NO_ERROR);
  ASSERT_EQ(setRows({"r0", "r1"}), PRO_TK_NO_ERROR);
  EXPECT_EQ(component("AttributeTable").rows, (Strings{"r0", "r1"}));

  ASSERT_EQ(ProUITableCellComponentCopy(kDialog, "AttributeTable", "r0", "NameColumn", kDialog, "AttributeName", "n0"),
            PRO_TK_NO_ERROR);
  // The copy has the template's state but none of its actions, and is a component of its own.
  EXPECT_EQ(component("n0").kind, sim::ComponentKind::InputPanel);
  EXPECT_EQ(component("n0").text, u"TEMPLATE");
  EXPECT_EQ(component("n0").input.action, nullptr);
  ASSERT_EQ(ProUIInputpanelValueSet(kDialog, "n0", u"NAME_0"), PRO_TK_NO_ERROR);
  EXPECT_EQ(component("n0").text, u"NAME_0");
  EXPECT_EQ(component("AttributeName").text, u"TEMPLATE");

  struct Case {
    const char* what;
    const char* row;
    const char* column;
    const char* sourceDialog;
    const char* source;
    const char* name;
    StatusCode status;
  };
  const std::vector<Case> cases = {
      {"unknown row", "r9", "NameColumn", kDialog, "AttributeName", "x", PRO_TK_E_NOT_FOUND},
      {"unknown column", "r1", "NoColumn", kDialog, "AttributeName", "x", PRO_TK_E_NOT_FOUND},
      {"unknown template", "r1", "NameColumn", kDialog, "NoTemplate", "x", PRO_TK_E_NOT_FOUND},
      {"unknown source dialog", "r1", "NameColumn", "nodialog", "AttributeName", "x", PRO_TK_E_NOT_FOUND},
      {"name of a copy taken", "r1", "NameColumn", kDialog, "AttributeName", "n0", PRO_TK_E_FOUND},
      {"name of a component taken", "r1", "NameColumn", kDialog, "AttributeName", "Export", PRO_TK_E_FOUND},
      {"cell taken", "r0", "NameColumn", kDialog, "AttributeName", "x", PRO_TK_E_FOUND},
      {"a table into a cell", "r1", "NameColumn", kDialog, "AttributeTable", "x", PRO_TK_INVALID_TYPE},
      {"empty name", "r1", "NameColumn", kDialog, "AttributeName", "", PRO_TK_BAD_INPUTS},
      {"no name", "r1", "NameColumn", kDialog, "AttributeName", nullptr, PRO_TK_BAD_INPUTS},
      {"no row", nullptr, "NameColumn", kDialog, "AttributeName", "x", PRO_TK_BAD_INPUTS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ProUITableCellComponentCopy(kDialog, "AttributeTable", c.row, c.column, c.sourceDialog, c.source, c.name),
              c.status);
    EXPECT_EQ(sim::findComponent(kDialog, "x"), nullptr);
  }
  EXPECT_EQ(component("AttributeTable").cells.size(), 1u);

  ASSERT_EQ(ProUITableCellComponentCopy(kDialog, "AttributeTable", "r0", "TypeColumn", kDialog, "AttributeType", "t0"),
            PRO_TK_NO_ERROR);
  ASSERT_EQ(ProUITableCellComponentCopy(kDialog, "AttributeTable", "r1", "NameColumn", kDialog, "AttributeName", "n1"),
            PRO_TK_NO_ERROR);
  EXPECT_EQ(component("t0").items, (Strings{"Part", "Assembly", "Both"}));

  // Deleting a cell's component frees the cell and the name.
  ASSERT_EQ(ProUITableCellComponentDelete(kDialog, "AttributeTable", "r0", "TypeColumn"), PRO_TK_NO_ERROR);
  EXPECT_EQ(sim::findComponent(kDialog, "t0"), nullptr);
  EXPECT_EQ(ProUITableCellComponentDelete(kDialog, "AttributeTable", "r0", "TypeColumn"), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(ProUITableCellComponentDelete(kDialog, "AttributeTable", "r0", "NoColumn"), PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(ProUITableCellComponentDelete(kDialog, "AttributeTable", "r0", nullptr), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProUIPushbuttonEnable(kDialog, "t0"), PRO_TK_E_NOT_FOUND);

  // Row lists the host cannot take change nothing.
  char a[] = "a";
  char empty[] = "";
  char* twice[] = {a, a};
  char* blank[] = {empty};
  char* holed[] = {a, nullptr};
  EXPECT_EQ(ProUITableRownamesSet(kDialog, "AttributeTable", 2, twice), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProUITableRownamesSet(kDialog, "AttributeTable", 1, blank), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProUITableRownamesSet(kDialog, "AttributeTable", 2, holed), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProUITableRownamesSet(kDialog, "AttributeTable", -1, nullptr), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProUITableRownamesSet(kDialog, "AttributeTable", 1, nullptr), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(component("AttributeTable").rows, (Strings{"r0", "r1"}));

  // Rows named again keep their cells; the others go with their components.
  ASSERT_EQ(setRows({"r1", "r2"}), PRO_TK_NO_ERROR);
  EXPECT_EQ(sim::findComponent(kDialog, "n0"), nullptr);
  EXPECT_NE(sim::findComponent(kDialog, "n1"), nullptr);
  EXPECT_EQ(ProUITableCellComponentCopy(kDialog, "AttributeTable", "r0", "NameColumn", kDialog, "AttributeName", "n0"),
            PRO_TK_E_NOT_FOUND);
  ASSERT_EQ(ProUITableCellComponentCopy(kDialog, "AttributeTable", "r2", "NameColumn", kDialog, "AttributeName", "n0"),
            PRO_TK_NO_ERROR);

  ASSERT_EQ(ProUITableRownamesSet(kDialog, "AttributeTable", 0, nullptr), PRO_TK_NO_ERROR);
  EXPECT_TRUE(component("AttributeTable").rows.empty());
  EXPECT_TRUE(component("AttributeTable").cells.empty());
  EXPECT_EQ(sim::findComponent(kDialog, "n0"), nullptr);
  EXPECT_EQ(sim::findComponent(kDialog, "n1"), nullptr);
  EXPECT_NE(sim::findComponent(kDialog, "AttributeName"), nullptr);
}

// ---------------------------------------------------------------------------
// The modal run

TEST_F(SimUiTest, ModalRunPlaysTheUserUntilAnActionExits) {
  openDialog();
  ASSERT_EQ(ProUIInputpanelInputActionSet(kDialog, "CtiValue", onInput, &marker), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProUIInputpanelActivateActionSet(kDialog, "CtiValue", onActivate, nullptr), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProUIOptionmenuSelectActionSet(kDialog, "AttributeType", onSelect, &marker), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProUIPushbuttonActivateActionSet(kDialog, "Export", onActivate, &marker), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProUIPushbuttonActivateActionSet(kDialog, "Cancel", exitWithSeven, nullptr), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProUIDialogCloseActionSet(kDialog, onClose, &marker), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProUIPushbuttonDisable(kDialog, "Export"), PRO_TK_NO_ERROR);

  bool ranInside = false;
  sim::script({
      user::type("CtiValue", u"CTI_\u00e9"),
      user::enter("CtiValue"),
      user::press("Export"),  // disabled: nothing runs
      user::run([&] {
        ranInside = true;
        EXPECT_TRUE(sim::findDialog(kDialog)->running);
        EXPECT_EQ(ProUIPushbuttonEnable(kDialog, "Export"), PRO_TK_NO_ERROR);
      }),
      user::press("Export"),
      user::check("DeleteVTQ"),
      user::press("AttributeAdd"),               // no action bound
      user::select("AttributeType", Strings{}),  // a list of names: it may be empty
      user::select("AttributeType", "Both"),
      user::close(),
      user::press("Cancel"),
      user::press("Export"),  // after the exit: left for a later run
  });
  int exitStatus = 0;
  ASSERT_EQ(ProUIDialogActivate(kDialog, &exitStatus), PRO_TK_NO_ERROR);
  EXPECT_EQ(exitStatus, 7);
  EXPECT_TRUE(ranInside);
  EXPECT_EQ(seen(),
            (Strings{"input veltrosan,CtiValue +data", "activate veltrosan,CtiValue", "activate veltrosan,Export +data",
                     "select veltrosan,AttributeType +data", "select veltrosan,AttributeType +data",
                     "close veltrosan,veltrosan +data", "exit veltrosan,Cancel"}));
  EXPECT_EQ(component("CtiValue").text, u"CTI_\u00e9");
  EXPECT_TRUE(component("DeleteVTQ").checked);
  EXPECT_EQ(component("AttributeType").selected, Strings{"Both"});
  EXPECT_FALSE(sim::findDialog(kDialog)->running);
  ASSERT_EQ(world().ui.script.size(), 1u);
  world().ui.script.clear();

  EXPECT_EQ(
      userAndActions(),
      (Strings{"User:type veltrosan,CtiValue,CTI_\xC3\xA9", "Action:input veltrosan,CtiValue",
               "User:enter veltrosan,CtiValue", "Action:activate veltrosan,CtiValue",
               "User:press veltrosan,Export (disabled)", "User:run veltrosan", "User:press veltrosan,Export",
               "Action:activate veltrosan,Export", "User:check veltrosan,DeleteVTQ,set",
               "User:press veltrosan,AttributeAdd", "User:select veltrosan,AttributeType",
               "Action:select veltrosan,AttributeType", "User:select veltrosan,AttributeType,Both",
               "Action:select veltrosan,AttributeType", "User:close veltrosan", "Action:close veltrosan,veltrosan",
               "User:press veltrosan,Cancel", "Action:activate veltrosan,Cancel"}));
  // The host calls around them are logged as usual, the exit inside the run.
  EXPECT_EQ(world().log.names({"ProUIDialogActivate", "ProUIPushbuttonEnable", "ProUIDialogExit"}),
            (Strings{"ProUIDialogActivate", "ProUIPushbuttonEnable", "ProUIDialogExit"}));

  // Exit is for a running dialog only; a new run starts without the old exit.
  EXPECT_EQ(ProUIDialogExit(kDialog, 0), PRO_TK_BAD_CONTEXT);
  sim::script({user::check("DeleteVTQ", false), user::press("Cancel")});
  exitStatus = 0;
  ASSERT_EQ(ProUIDialogActivate(kDialog, &exitStatus), PRO_TK_NO_ERROR);
  EXPECT_EQ(exitStatus, 7);
  EXPECT_FALSE(component("DeleteVTQ").checked);
}

TEST_F(SimUiTest, ModalRunEndsWithoutExitWhenTheUserHasNothingMoreToDo) {
  openDialog();
  int exitStatus = 42;
  EXPECT_EQ(ProUIDialogActivate(kDialog, &exitStatus), PRO_TK_E_DEADLOCK);
  EXPECT_EQ(exitStatus, 42);
  EXPECT_FALSE(sim::findDialog(kDialog)->running);
  EXPECT_EQ(ProUIDialogActivate(kDialog, nullptr), PRO_TK_BAD_INPUTS);

  // Without a close action the window stays; steps the user cannot carry out are noted.
  sim::script({user::close(), user::press("NoButton"), user::type("Export", u"x"),
               user::select("AttributeType", "Some"), user::press("Export")});
  EXPECT_EQ(ProUIDialogActivate(kDialog, &exitStatus), PRO_TK_E_DEADLOCK);
  EXPECT_EQ(world().ui.missedSteps, (Strings{"User:press veltrosan,NoButton: no such component",
                                             "User:type veltrosan,Export,x: not an input panel but a push button",
                                             "User:select veltrosan,AttributeType,Some: no item Some"}));
  world().ui.missedSteps.clear();
}

TEST_F(SimUiTest, ARunningDialogCannotBeRunAgainOrDestroyed) {
  openDialog();
  ASSERT_EQ(ProUIPushbuttonActivateActionSet(kDialog, "Cancel", exitWithSeven, nullptr), PRO_TK_NO_ERROR);
  int inner = 0;
  sim::script({user::run([&] {
                 EXPECT_EQ(ProUIDialogActivate(kDialog, &inner), PRO_TK_BAD_CONTEXT);
                 EXPECT_EQ(ProUIDialogDestroy(kDialog), PRO_TK_BAD_CONTEXT);
               }),
               user::press("Cancel")});
  int exitStatus = 0;
  ASSERT_EQ(ProUIDialogActivate(kDialog, &exitStatus), PRO_TK_NO_ERROR);
  EXPECT_EQ(exitStatus, 7);
  EXPECT_EQ(ProUIDialogDestroy(kDialog), PRO_TK_NO_ERROR);
}

// A remove button in a row whose action rebuilds the table takes itself out
// while the host is still inside its press.
void removeOwnRow(char* dialog, char* component, ProAppData) {
  EXPECT_STREQ(component, "remove0");
  EXPECT_EQ(ProUITableCellComponentDelete(dialog, "AttributeTable", "r0", "RemoveColumn"), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProUITableRownamesSet(dialog, "AttributeTable", 0, nullptr), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProUIDialogExit(dialog, 3), PRO_TK_NO_ERROR);
}

TEST_F(SimUiTest, AnActionMayRemoveTheComponentThatRanIt) {
  openDialog();
  ASSERT_EQ(setRows({"r0"}), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProUITableCellComponentCopy(kDialog, "AttributeTable", "r0", "RemoveColumn", kDialog, "AttributeRemove",
                                        "remove0"),
            PRO_TK_NO_ERROR);
  ASSERT_EQ(ProUIPushbuttonActivateActionSet(kDialog, "remove0", removeOwnRow, nullptr), PRO_TK_NO_ERROR);
  sim::script({user::press("remove0")});
  int exitStatus = 0;
  ASSERT_EQ(ProUIDialogActivate(kDialog, &exitStatus), PRO_TK_NO_ERROR);
  EXPECT_EQ(exitStatus, 3);
  EXPECT_EQ(sim::findComponent(kDialog, "remove0"), nullptr);
}

TEST_F(SimUiTest, PlannedFaultsAnswerBeforeAnythingChanges) {
  openDialog();
  world().faults.failOn("ProUIInputpanelWidestringGet", 1, PRO_TK_OUT_OF_MEMORY);
  world().faults.failOn("ProUITableCellComponentCopy", 1, PRO_TK_GENERAL_ERROR);
  world().faults.failOn("ProUIDialogActivate", 1, PRO_TK_COMM_ERROR);
  ProWchar* text = nullptr;
  EXPECT_EQ(ProUIInputpanelWidestringGet(kDialog, "CtiValue", &text), PRO_TK_OUT_OF_MEMORY);
  EXPECT_EQ(text, nullptr);
  ASSERT_EQ(setRows({"r0"}), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProUITableCellComponentCopy(kDialog, "AttributeTable", "r0", "NameColumn", kDialog, "AttributeName", "n0"),
            PRO_TK_GENERAL_ERROR);
  EXPECT_EQ(sim::findComponent(kDialog, "n0"), nullptr);
  sim::script({user::press("Cancel")});
  int exitStatus = 0;
  EXPECT_EQ(ProUIDialogActivate(kDialog, &exitStatus), PRO_TK_COMM_ERROR);
  EXPECT_EQ(world().ui.script.size(), 1u);  // the user never saw the dialog
  world().ui.script.clear();
}

}  // namespace
