// The command and its dialog through the loaded module: leaving without an
// export, a second run of the command, and a dialog that cannot be made or
// set up.
#include <algorithm>

#include "module_fixture.hpp"
#include "support/registry.hpp"

namespace veltrosan::test {
namespace {

namespace user = sim::user;
using ::testing::ElementsAre;

class Dialog : public ModuleTest {};

TEST_F(Dialog, CancelAndClosingTheWindowLeaveWithoutExporting) {
  struct Case {
    const char* name;
    sim::UserStep leave;
  };
  const Case cases[] = {{"Cancel", user::press("Cancel")}, {"close", user::close()}};
  bracketPart();
  install(true);
  createOptionsKey();
  startGateway();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    world().messages = {};
    const std::u16string name = u"CTI_" + std::u16string(c.name, c.name + std::char_traits<char>::length(c.name));
    ASSERT_EQ(runCommand({user::type("CtiValue", name), user::check("DeleteVTQ"), c.leave}), PRO_TK_NO_ERROR);
    EXPECT_TRUE(lines().empty());
    EXPECT_GE(world().messages.clears, 1);
    EXPECT_TRUE(world().messages.current.empty());
    EXPECT_TRUE(filesIn(out.path()).empty());
    EXPECT_EQ(storedCtiParameter(), name) << "the options are saved all the same";
  }
  EXPECT_EQ(world().log.count("ProUIDialogExit"), 2);
  EXPECT_EQ(world().log.count("CreateProcessA"), 0);
  EXPECT_TRUE(startedCommandLines(false).empty());
}

TEST_F(Dialog, ASecondRunOfTheCommandStartsAfresh) {
  bracketAssembly();
  uninstall();
  startGateway();
  std::vector<sim::UserStep> steps = addMaterial();
  steps.push_back(user::press("Export"));
  ASSERT_EQ(runCommand(steps), PRO_TK_NO_ERROR);

  int rows = -1;
  auto look = [&] { rows = static_cast<int>(sim::findComponent(kDialog, "AttributeTable")->rows.size()); };
  world().messages = {};
  ASSERT_EQ(runCommand({user::run(look), user::press("Export")}), PRO_TK_NO_ERROR);
  EXPECT_EQ(rows, 0) << "the attribute list was emptied when the dialog closed";
  // Nothing of the first run's model: no duplicate placements, no part seen before.
  EXPECT_THAT(lines(), ElementsAre(kNoInstallKey, "ExportVTQFile %0s " + outputFile("bracket_1"), "StandaloneFailed"));

  const vtq::File first = vtq::readFile(outputFile("bracket"));
  const vtq::File second = vtq::readFile(outputFile("bracket_1"));
  EXPECT_EQ(second.header.name, "bracket_1");
  ASSERT_EQ(second.parts.size(), 2u);
  EXPECT_EQ(second.parts[0].bodies.at(0).triangles.size(), first.parts[0].bodies.at(0).triangles.size());
  EXPECT_EQ(second.instances.size(), 3u);
  EXPECT_EQ(second.assemblies.size(), 1u);
}

TEST_F(Dialog, ADialogThatCannotBeCreatedShowsOneWarning) {
  bracketPart();
  install(true);
  startGateway();
  world().faults.failOn("ProUIDialogCreate", 1, PRO_TK_E_NOT_FOUND);
  EXPECT_EQ(runCommand({}), PRO_TK_E_NOT_FOUND);
  EXPECT_THAT(lines(), ElementsAre("Warning: ProUIDialogCreate: (PRO_TK_E_NOT_FOUND)"));
  EXPECT_EQ(world().log.count("ProUIDialogDestroy"), 0);

  // The next run starts afresh.
  world().messages = {};
  ASSERT_EQ(runCommand({user::press("Export")}), PRO_TK_NO_ERROR);
  EXPECT_THAT(lines(), ElementsAre("ExportVTQFile %0s " + outputFile("bracket"), "StandaloneSuccess"));
  EXPECT_EQ(startedCommandLines().size(), 1u);
}

TEST_F(Dialog, AFailedSetUpStillTearsTheDialogDown) {
  bracketPart();
  install(true);
  startGateway();
  world().faults.failOn("ProUITableColumnnamesGet", 1, PRO_TK_GENERAL_ERROR);
  EXPECT_EQ(runCommand({}), PRO_TK_NO_ERROR);
  EXPECT_THAT(lines(), ElementsAre("Warning: ProUITableColumnnamesGet: (PRO_TK_GENERAL_ERROR)",
                                   "Warning: Attributes::initialize: (PRO_TK_GENERAL_ERROR)",
                                   "Warning: GUI::initialize: (PRO_TK_GENERAL_ERROR)"));
  EXPECT_EQ(world().log.count("ProUIDialogActivate"), 0) << "the dialog is never shown";
  EXPECT_EQ(world().log.count("ProUIDialogDestroy"), 1);
}

// The set-up binds "Export", then "Cancel", then sets up the attribute
// table (which loads the options first), then the close action, and then
// shows the dialog. A failing step ends it there, and the closing saves the
// options all the same: a step that fails before the load saves the
// process's CTI name over the stored one, a step that fails after it saves
// the stored name back.
TEST_F(Dialog, TheSetUpRunsInOrderAndTheClosingSavesWhatTheLoadBrought) {
  struct Case {
    const char* function;
    int nth;
    bool loaded;  // the options were loaded before the failure
    size_t calls;  // the set-up calls made, the failing one included
    std::vector<std::string> lines;
  };
  const std::vector<std::string> setUpCalls = {
      "ProUIPushbuttonActivateActionSet veltrosan,Export", "ProUIPushbuttonActivateActionSet veltrosan,Cancel",
      "ProUIInputpanelInputActionSet veltrosan,CtiValue",  "ProUIPushbuttonActivateActionSet veltrosan,AttributeAdd",
      "ProUIDialogCloseActionSet veltrosan",               "ProUIDialogActivate veltrosan"};
  const Case cases[] = {
      {"ProUIPushbuttonActivateActionSet", 1, false, 1,
       {"Warning: ProUIPushbuttonActivateActionSet: (PRO_TK_GENERAL_ERROR)",
        "Warning: GUI::initialize: (PRO_TK_GENERAL_ERROR)"}},
      {"ProUIPushbuttonActivateActionSet", 2, false, 2,
       {"Warning: ProUIPushbuttonActivateActionSet: (PRO_TK_GENERAL_ERROR)",
        "Warning: GUI::initialize: (PRO_TK_GENERAL_ERROR)"}},
      {"ProUIInputpanelInputActionSet", 1, true, 3,
       {"Warning: ProUIInputpanelInputActionSet: (PRO_TK_GENERAL_ERROR)",
        "Warning: Attributes::initialize: (PRO_TK_GENERAL_ERROR)",
        "Warning: GUI::initialize: (PRO_TK_GENERAL_ERROR)"}},
      {"ProUIDialogCloseActionSet", 1, true, 5,
       {"Warning: ProUIDialogCloseActionSet: (PRO_TK_GENERAL_ERROR)",
        "Warning: GUI::initialize: (PRO_TK_GENERAL_ERROR)"}},
      {"ProUIDialogActivate", 1, true, 6,
       {"Warning: ProUIDialogActivate: (PRO_TK_GENERAL_ERROR)", "Warning: GUI::initialize: (PRO_TK_GENERAL_ERROR)"}},
  };
  bracketPart();
  uninstall();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.function) + " #" + std::to_string(c.nth));
    // A fresh module, whose CTI name is the default one, and another one stored.
    gateway.unload();
    startGateway();
    createOptionsKey();
    setValue(HKEY_CURRENT_USER, kOptionsKey, u"CtiParameter", REG_SZ, wideBytes(u"STORED_CTI"));
    world().messages = {};
    world().log.clear();
    world().faults.clear();
    world().faults.failOn(c.function, c.nth, PRO_TK_GENERAL_ERROR);
    EXPECT_EQ(runCommand({}), PRO_TK_NO_ERROR);

    EXPECT_EQ(lines(), c.lines);
    std::vector<std::string> made;
    for (const auto& call : world().log.calls()) {
      const std::string shown = call.function + " " + call.args;
      if (std::find(setUpCalls.begin(), setUpCalls.end(), shown) != setUpCalls.end()) made.push_back(shown);
    }
    EXPECT_EQ(made, std::vector<std::string>(setUpCalls.begin(), setUpCalls.begin() + c.calls));
    EXPECT_EQ(world().log.count("ProUIDialogDestroy"), 1);
    EXPECT_EQ(storedCtiParameter(), c.loaded ? u"STORED_CTI" : u"COMPARATIVE_TRACKING_INDEX");
  }
}

}  // namespace
}  // namespace veltrosan::test
