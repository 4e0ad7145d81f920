// The dialog actions of the attribute table when something goes wrong: row
// numbers that no row has, and each host call of the table's set-up,
// actions and teardown failing, with the warnings the user sees.
#include "shell_fixture.hpp"

namespace veltrosan::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class TableActions : public ShellTest {};

// Calls of the host that show that the table was checked or rebuilt.
int stateAndRebuildCalls() {
  return sim::world().log.count("ProUIPushbuttonEnable") + sim::world().log.count("ProUIPushbuttonDisable") +
         sim::world().log.count("ProUITableRownamesSet");
}

TEST_F(TableActions, ComponentNamesWithoutAValidRowChangeNothingAndShowNothing) {
  storeOptions(u"CTI", {u"A", u"1", u"B", u"2", u"C", u"3"});
  const std::vector<AttributeEntry> loaded = {{u"A", 1}, {u"B", 2}, {u"C", 3}};
  // 2^32 and 2^32 + 1 read modulo 32 bits would be rows 0 and 1.
  const Strings suffixes = {"3", "", "-1", "+1", " 1", "1 ", "1x", "0x1", "99999999999", "4294967296", "4294967297",
                            "2147483648"};
  ASSERT_EQ(runCommand({user::run([&] {
                          sim::Dialog* dialog = sim::findDialog(kDialog);
                          auto made = [&](const std::string& name, sim::ComponentKind kind) {
                            sim::Component c;
                            c.name = name;
                            c.kind = kind;
                            c.text = u"CHANGED";
                            c.items = {"Part", "Assembly", "Both"};
                            c.selected = {"Both"};
                            dialog->components[name] = c;
                            return name;
                          };
                          const int before = stateAndRebuildCalls();
                          std::string dialogName = kDialog;
                          std::vector<std::string> names;
                          for (const auto& suffix : suffixes) {
                            std::string field = made("veltrosanName" + suffix, sim::ComponentKind::InputPanel);
                            Attributes::onNameInput(dialogName.data(), field.data(), nullptr);
                            std::string menu = made("veltrosanType" + suffix, sim::ComponentKind::OptionMenu);
                            Attributes::onTypeSelect(dialogName.data(), menu.data(), nullptr);
                            std::string button = "veltrosanDelete" + suffix;
                            Attributes::onRemove(nullptr, button.data(), nullptr);
                          }
                          // Names shorter than their prefix, or of another prefix.
                          std::string shortField = made("veltrosanNam", sim::ComponentKind::InputPanel);
                          Attributes::onNameInput(dialogName.data(), shortField.data(), nullptr);
                          std::string otherField = made("xeltrosanName1", sim::ComponentKind::InputPanel);
                          Attributes::onNameInput(dialogName.data(), otherField.data(), nullptr);
                          std::string shortButton = "veltrosanDel";
                          Attributes::onRemove(nullptr, shortButton.data(), nullptr);
                          std::string typeAsButton = "veltrosanType0";
                          Attributes::onRemove(nullptr, typeAsButton.data(), nullptr);

                          EXPECT_EQ(attributeList, loaded);
                          EXPECT_EQ(ctiParameterName, u"CTI");
                          EXPECT_EQ(stateAndRebuildCalls(), before) << "no check and no rebuild";
                          EXPECT_THAT(shownTexts(), IsEmpty());
                          // Every text and name list the actions obtained was released.
                          EXPECT_TRUE(world().ledger.live(sim::Allocation::Wstring).empty());
                          EXPECT_EQ(world().ledger.live(sim::Allocation::StringArray).size(), 2u)
                              << "the table's own two lists only";
                          for (const auto& suffix : suffixes) {
                            dialog->components.erase("veltrosanName" + suffix);
                            dialog->components.erase("veltrosanType" + suffix);
                          }
                          dialog->components.erase("veltrosanNam");
                          dialog->components.erase("xeltrosanName1");
                        }),
                        user::press("Cancel")}),
            PRO_TK_NO_ERROR);
}

// One host call failing at one of its uses, in a session that opens the
// dialog on two stored attributes and then does `steps`.
struct FailureCase {
  const char* what;
  std::vector<sim::UserStep> steps;  // after the opening; Cancel follows when the dialog shows
  const char* function;
  int nth;
  bool shown;                          // whether the dialog showed
  Strings warnings;                    // the message area, after "Warning: "
  std::vector<std::u16string> stored;  // the attributes stored after the closing
};

std::vector<FailureCase> failureCases() {
  const std::string e = ": (PRO_TK_GENERAL_ERROR)";
  const std::string missing = ": (PRO_TK_E_NOT_FOUND)";
  const std::vector<std::u16string> loaded = {u"A", u"1", u"B", u"2"};
  auto join = [](std::initializer_list<Strings> parts) {
    Strings out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  };
  const Strings failedOpening = {"Attributes::initialize" + e, "GUI::initialize" + e};
  const Strings failedUpdate = join({{"Attributes::update" + e}, failedOpening});
  // The closing's clear stops at the first cell that a failed build left
  // out, with the host's status; the teardown goes on.
  auto clearStops = [&](int column) {
    return Strings{"ProUITableCellComponentDelete" + std::to_string(column) + missing, "Attributes::clear" + missing};
  };
  return {
      {"binding Export", {}, "ProUIPushbuttonActivateActionSet", 1, false,
       {"ProUIPushbuttonActivateActionSet" + e, "GUI::initialize" + e}, loaded},
      {"binding the CTI input", {}, "ProUIInputpanelInputActionSet", 1, false,
       join({{"ProUIInputpanelInputActionSet" + e}, failedOpening}), loaded},
      {"binding the CTI activate", {}, "ProUIInputpanelActivateActionSet", 1, false,
       join({{"ProUIInputpanelActivateActionSet" + e}, failedOpening}), loaded},
      {"reading the columns", {}, "ProUITableColumnnamesGet", 1, false,
       join({{"ProUITableColumnnamesGet" + e}, failedOpening}), loaded},
      {"reading the type items", {}, "ProUIOptionmenuNamesGet", 1, false,
       join({{"ProUIOptionmenuNamesGet" + e}, failedOpening}), loaded},
      {"binding AttributeAdd", {}, "ProUIPushbuttonActivateActionSet", 3, false,
       join({{"ProUIPushbuttonActivateActionSet" + e}, failedOpening}), loaded},
      {"showing the CTI name", {}, "ProUIInputpanelWidestringSet", 1, false,
       join({{"ProUIInputpanelWidestringSet" + e}, failedUpdate}), loaded},
      {"naming the rows", {}, "ProUITableRownamesSet", 1, false,
       join({{"ProUITableRownamesSet" + e}, failedUpdate, clearStops(1)}), loaded},
      {"copying the first type menu", {}, "ProUITableCellComponentCopy", 2, false,
       join({{"ProUITableCellComponentCopy" + e}, failedUpdate, clearStops(2)}), loaded},
      {"filling the first name", {}, "ProUIInputpanelValueSet", 1, false,
       join({{"ProUIInputpanelValueSet" + e}, failedUpdate, clearStops(2)}), loaded},
      {"selecting the first type", {}, "ProUIOptionmenuSelectednamesSet", 1, false,
       join({{"ProUIOptionmenuSelectednamesSet" + e}, failedUpdate, clearStops(3)}), loaded},
      {"binding the first remove button", {}, "ProUIPushbuttonActivateActionSet", 4, false,
       join({{"ProUIPushbuttonActivateActionSet" + e}, failedUpdate, clearStops(1)}), loaded},
      {"enabling Export at the opening", {}, "ProUIPushbuttonEnable", 1, false,
       join({{"ProUIPushbuttonEnable" + e, "Attributes::setState" + e}, failedUpdate}), loaded},
      {"binding the close action", {}, "ProUIDialogCloseActionSet", 1, false,
       {"ProUIDialogCloseActionSet" + e, "GUI::initialize" + e}, loaded},
      {"reading a name field", {user::type("veltrosanName0", u"X")}, "ProUIInputpanelWidestringGet", 1, true,
       {"ProUIInputpanelWidestringGet" + e}, loaded},
      {"releasing a name field's text", {user::type("veltrosanName0", u"X")}, "ProWstringFree", 1, true,
       {"ProWstringFree" + e}, {u"X", u"1", u"B", u"2"}},
      {"checking after a name edit", {user::type("CtiValue", u"CTI2")}, "ProUIPushbuttonEnable", 2, true,
       {"ProUIPushbuttonEnable" + e, "Attributes::setState" + e}, loaded},
      {"reading a selection", {user::select("veltrosanType0", "Both")}, "ProUIOptionmenuSelectednamesGet", 1, true,
       {"ProUIOptionmenuSelectednamesGet" + e}, loaded},
      {"releasing a selection", {user::select("veltrosanType0", "Both")}, "ProStringarrayFree", 1, true,
       {"ProStringarrayFree" + e}, {u"A", u"3", u"B", u"2"}},
      {"rebuilding after a removal", {user::press("veltrosanDelete0")}, "ProUITableRownamesSet", 2, true,
       join({{"ProUITableRownamesSet" + e, "Attributes::update" + e}, clearStops(1)}), {u"B", u"2"}},
      {"clearing before an addition", {user::press("AttributeAdd")}, "ProUITableCellComponentDelete", 1, true,
       {"ProUITableCellComponentDelete1" + e, "Attributes::clear" + e, "Attributes::update" + e},
       {u"A", u"1", u"B", u"2", u"NEW_ATTRIBUTE", u"1"}},
      {"clearing at the closing", {}, "ProUITableCellComponentDelete", 3, true,
       {"ProUITableCellComponentDelete3" + e, "Attributes::clear" + e}, loaded},
      {"releasing the column names", {}, "ProStringarrayFree", 1, true, {"ProStringarrayFree" + e}, loaded},
      {"releasing the type items", {}, "ProStringarrayFree", 2, true, {"ProStringarrayFree" + e}, loaded},
  };
}

TEST_F(TableActions, EachFailingHostCallIsReportedAndTheSessionStillEndsCleanly) {
  for (FailureCase& c : failureCases()) {
    SCOPED_TRACE(c.what);
    sim::reset();
    setMessageFile();
    ASSERT_EQ(ProUITranslationFilesEnable(), PRO_TK_NO_ERROR);
    ctiParameterName = u"CTI";
    storeOptions(u"CTI", {u"A", u"1", u"B", u"2"});
    world().faults.failOn(c.function, c.nth, PRO_TK_GENERAL_ERROR);
    std::vector<sim::UserStep> steps = std::move(c.steps);
    if (c.shown) steps.push_back(user::press("Cancel"));
    EXPECT_EQ(runCommand(std::move(steps)), PRO_TK_NO_ERROR);

    Strings expected;
    for (const auto& w : c.warnings) expected.push_back("Warning: " + w);
    EXPECT_EQ(shownTexts(), expected);
    EXPECT_EQ(world().log.count("User:press") > 0, c.shown);
    EXPECT_EQ(storedAttributes(), c.stored);
    EXPECT_EQ(sim::findDialog(kDialog), nullptr);
    EXPECT_TRUE(Attributes::rowNames.empty());
    releaseLeftovers();
    expectLedgerClean();
  }
}

}  // namespace
}  // namespace veltrosan::test
