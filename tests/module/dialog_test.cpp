// The command and its dialog through the loaded module: leaving without an
// export, a second run of the command, and a dialog that cannot be made or
// set up.
#include "module_fixture.hpp"

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

}  // namespace
}  // namespace veltrosan::test
