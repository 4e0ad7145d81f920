// The gateway as the host loads it: the module's two entries, the start-up
// with its four host calls, the command it leaves behind, and unloading.
#include "module_fixture.hpp"
#include "sim/text.hpp"

namespace veltrosan::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class StartUp : public ModuleTest {};

TEST_F(StartUp, LoadingRegistersTheDesignatedCommand) {
  std::string error;
  ASSERT_TRUE(gateway.load(VELTROSAN_GATEWAY_MODULE, error)) << error;
  sim::HostStart host;
  host.arguments = {"xtop", "-g:no_graphics"};
  ASSERT_EQ(gateway.start(host), 0);

  EXPECT_THAT(world().log.names(), ElementsAre("ProUITranslationFilesEnable", "ProCmdActionAdd", "ProCmdDesignate",
                                               "ProCmdIconSet"));
  const sim::Command* command = sim::findCommand(kCommand);
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(command->priority, 2);
  EXPECT_EQ(command->allowInNonActiveWindow, 1);
  EXPECT_EQ(command->allowInAccessoryWindow, 1);
  EXPECT_EQ(command->labelKey, "VeltrosanGateway");
  EXPECT_EQ(command->helpKey, "VeltrosanGateway");
  EXPECT_EQ(command->descriptionKey, "VeltrosanGateway");
  EXPECT_EQ(command->messageFile, u"veltrosan_messages.txt");
  EXPECT_EQ(command->label, "Veltrosan Gateway");
  EXPECT_EQ(command->icon, "icon_large.png");
  for (ProCmdAccessMode mode : {0, 1, 7, -1}) EXPECT_EQ(command->access(mode), PRO_CMD_ACCESS_AVAILABLE) << mode;
  EXPECT_TRUE(lines().empty());
  for (ProWchar unit : gateway.errorBuffer()) ASSERT_EQ(unit, 0) << "nothing is written into the error buffer";

  gateway.unload();
  EXPECT_FALSE(sim::moduleLoaded(VELTROSAN_GATEWAY_MODULE));
  EXPECT_EQ(sim::findCommand(kCommand), nullptr) << "an unloaded module's command goes with it";
}

TEST_F(StartUp, EachFailingStepIsShownAndFailsTheLoad) {
  struct Case {
    const char* function;
    StatusCode status;
    const char* line;
    bool added, designated, icon;
  };
  const Case cases[] = {
      {"ProUITranslationFilesEnable", PRO_TK_E_NOT_FOUND, "Warning: ProUITranslationFilesEnable: (PRO_TK_E_NOT_FOUND)",
       false, false, false},
      {"ProCmdActionAdd", PRO_TK_E_FOUND, "Warning: ProCmdActionAdd: (PRO_TK_E_FOUND)", false, false, false},
      {"ProCmdDesignate", PRO_TK_MSG_NOT_FOUND, "Warning: ProCmdDesignate: (PRO_TK_MSG_NOT_FOUND)", true, false, false},
      {"ProCmdIconSet", PRO_TK_GENERAL_ERROR, "Warning: ProCmdIconSet: (PRO_TK_GENERAL_ERROR)", true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.function);
    sim::reset();
    world().faults.failOn(c.function, 1, c.status);
    std::string error;
    ASSERT_TRUE(gateway.load(VELTROSAN_GATEWAY_MODULE, error)) << error;
    EXPECT_EQ(gateway.start(), c.status);
    // The warning goes out through the message file, so it is shown at all.
    EXPECT_THAT(lines(), ElementsAre(c.line));
    const std::vector<std::string> calls = world().log.names();
    EXPECT_EQ(calls.back(), "ProMessageDisplay");
    EXPECT_EQ(calls[calls.size() - 3], c.function) << "no step runs after the failing one";
    const sim::Command* command = sim::findCommand(kCommand);
    EXPECT_EQ(command != nullptr, c.added);
    if (command != nullptr) {
      EXPECT_EQ(command->designated, c.designated);
      EXPECT_EQ(command->icon.empty(), !c.icon);
    }
    for (ProWchar unit : gateway.errorBuffer()) ASSERT_EQ(unit, 0);
    gateway.unload();
    expectLedgerClean();
  }
}

TEST_F(StartUp, AReloadStartsWithFreshProcessWideState) {
  bracketPart();
  startGateway();
  // Without an options key nothing is stored: only the process keeps the name.
  ASSERT_EQ(runCommand({sim::user::type("CtiValue", u"MY_CTI"), sim::user::press("Cancel")}), PRO_TK_NO_ERROR);
  std::u16string shown;
  auto look = [&] { shown = sim::findComponent(kDialog, "CtiValue")->text; };
  ASSERT_EQ(runCommand({sim::user::run(look), sim::user::press("Cancel")}), PRO_TK_NO_ERROR);
  EXPECT_EQ(shown, u"MY_CTI");

  gateway.unload();
  ASSERT_FALSE(sim::moduleLoaded(VELTROSAN_GATEWAY_MODULE));
  startGateway();
  ASSERT_EQ(runCommand({sim::user::run(look), sim::user::press("Cancel")}), PRO_TK_NO_ERROR);
  EXPECT_EQ(shown, u"COMPARATIVE_TRACKING_INDEX");
}

TEST_F(StartUp, TheHostNamesAModuleItCannotEnter) {
  struct Case {
    const char* path;
    const char* reason;
  };
  const Case cases[] = {
      {VELTROSAN_NO_ENTRY_MODULE, "has no entry user_initialize_plus"},
      {VELTROSAN_GATEWAY_MODULE ".missing", "cannot load the module"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string error;
    EXPECT_FALSE(gateway.load(c.path, error));
    EXPECT_THAT(error, HasSubstr(c.reason));
    EXPECT_THAT(error, HasSubstr(c.path));
    EXPECT_FALSE(gateway.loaded());
    EXPECT_FALSE(sim::moduleLoaded(c.path));
  }
}

}  // namespace
}  // namespace veltrosan::test
