// The attribute table of the export dialog, driven as the host drives it:
// the command opens the dialog, a scripted user edits it, and the closing
// saves the options.
#include "shell_fixture.hpp"

namespace veltrosan::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class AttributeTable : public ShellTest {};

TEST_F(AttributeTable, FirstOpeningShowsTheDefaultsAndSavesNothingWithoutTheKey) {
  bool looked = false;
  ASSERT_EQ(runCommand({user::run([&] {
                          looked = true;
                          EXPECT_EQ(shownCti(), kDefaultCti);
                          EXPECT_THAT(shownRows(), IsEmpty());
                          EXPECT_TRUE(exportEnabled());
                        }),
                        user::type("CtiValue", u"MY_CTI"), user::press("AttributeAdd"), user::press("Cancel")}),
            PRO_TK_NO_ERROR);
  EXPECT_TRUE(looked);
  EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kOptionsKey)) << "the options key is never created";
  // The CTI name keeps its value for the rest of the process; the list does not.
  EXPECT_EQ(ctiParameterName, u"MY_CTI");
  EXPECT_THAT(shownTexts(), IsEmpty());
}

TEST_F(AttributeTable, OpeningShowsTheStoredOptionsOneRowPerAttribute) {
  storeOptions(u"CTI_STORED", {u"MATERIAL", u"2", u"MASS", u"3", u"PROJECT", u"1"});
  ASSERT_EQ(runCommand({user::run([] {
                          EXPECT_EQ(shownCti(), u"CTI_STORED");
                          EXPECT_THAT(shownRows(), ElementsAre(expectedRow(0, u"MATERIAL", "Assembly"),
                                                               expectedRow(1, u"MASS", "Both"),
                                                               expectedRow(2, u"PROJECT", "Part")));
                          EXPECT_TRUE(exportEnabled());
                        }),
                        user::close()}),
            PRO_TK_NO_ERROR);
}

TEST_F(AttributeTable, ClosingSavesAndTheNextOpeningLoadsWhatWasSaved) {
  createKey(HKEY_CURRENT_USER, kOptionsKey);
  ASSERT_EQ(runCommand({user::type("CtiValue", u"CTI_NEW"), user::press("AttributeAdd"), user::press("AttributeAdd"),
                        user::type("veltrosanName1", u"MASS"), user::select("veltrosanType1", "Both"),
                        user::press("Cancel")}),
            PRO_TK_NO_ERROR);
  EXPECT_EQ(getValue(HKEY_CURRENT_USER, kOptionsKey, u"CtiParameter")->data, wideBytes(u"CTI_NEW"));
  EXPECT_EQ(storedAttributes(), (std::vector<std::u16string>{u"NEW_ATTRIBUTE", u"1", u"MASS", u"3"}));
  EXPECT_THAT(attributeList, IsEmpty());

  ctiParameterName = kDefaultCti;
  ASSERT_EQ(runCommand({user::run([] {
                          EXPECT_EQ(shownCti(), u"CTI_NEW");
                          EXPECT_THAT(shownRows(), ElementsAre(expectedRow(0, u"NEW_ATTRIBUTE", "Part"),
                                                               expectedRow(1, u"MASS", "Both")));
                        }),
                        user::press("Cancel")}),
            PRO_TK_NO_ERROR);
}

TEST_F(AttributeTable, TypesOutsideOneToThreeShowTheFirstItemAndAreSavedAsOne) {
  createKey(HKEY_CURRENT_USER, kOptionsKey);
  attributeList = {{u"ZERO", 0}, {u"FOUR", 4}, {u"TWO", 2}};
  ASSERT_EQ(runCommand({user::run([] {
                          EXPECT_THAT(shownRows(), ElementsAre(expectedRow(0, u"ZERO", "Part"),
                                                               expectedRow(1, u"FOUR", "Part"),
                                                               expectedRow(2, u"TWO", "Assembly")));
                          EXPECT_EQ(attributeList[0].type, 1);
                          EXPECT_EQ(attributeList[1].type, 1);
                          AttributeRequestList requests;
                          Attributes::exportList(requests);
                          ASSERT_EQ(requests.size(), 4u);
                          EXPECT_EQ(requests[2].flags, 1);
                        }),
                        user::press("Cancel")}),
            PRO_TK_NO_ERROR);
  EXPECT_EQ(storedAttributes(), (std::vector<std::u16string>{u"ZERO", u"1", u"FOUR", u"1", u"TWO", u"2"}));
}

TEST_F(AttributeTable, ExportFollowsTheValidityOfEveryName) {
  struct Case {
    std::u16string cti;
    bool enabled;
    Strings log;  // what the message area shows
  };
  const Case cases[] = {
      {u"CTI_2", true, {}},
      {u"", false, {}},
      {u"A-B", false, {"Log: 3 45"}},
      {u"A B", false, {"Log: 3 32"}},
      {u"9CTI", false, {}},
      {u"_CTI", false, {}},
      {u"\u00c9CTI", false, {}},
      {u"CT\u00c9", false, {"Log: 3 201"}},
      {u"X", true, {}},
      {std::u16string(31, u'A'), true, {}},
      {std::u16string(32, u'A'), false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(sim::utf8(c.cti));
    sim::reset();
    setMessageFile();
    ASSERT_EQ(ProUITranslationFilesEnable(), PRO_TK_NO_ERROR);
    ctiParameterName = kDefaultCti;
    // Typing runs the input action, Enter the activate action: both re-check.
    ASSERT_EQ(runCommand({user::type("CtiValue", c.cti), user::run([&] { EXPECT_EQ(exportEnabled(), c.enabled); }),
                          user::type("CtiValue", u"VALID"), user::run([] { EXPECT_TRUE(exportEnabled()); }),
                          user::run([&] { sim::findComponent(kDialog, "CtiValue")->text = c.cti; }),
                          user::enter("CtiValue"), user::run([&] { EXPECT_EQ(exportEnabled(), c.enabled); }),
                          user::press("Cancel")}),
              PRO_TK_NO_ERROR);
    Strings expected = c.log;
    expected.insert(expected.end(), c.log.begin(), c.log.end());
    EXPECT_EQ(shownTexts(), expected);
    EXPECT_EQ(ctiParameterName, c.cti);
    expectLedgerClean();
  }
}

TEST_F(AttributeTable, AttributeNamesAreTestedOnlyWhileTheNamesBeforeThemAreValid) {
  attributeList = {{u"GOOD", 1}, {u"BAD-ONE", 1}, {u"BAD-TWO", 1}};
  ASSERT_EQ(runCommand({user::run([] { EXPECT_FALSE(exportEnabled()); }), user::type("CtiValue", u"1CTI"),
                        user::type("veltrosanName1", u"FIXED"), user::type("CtiValue", u"CTI"),
                        user::run([] { EXPECT_FALSE(exportEnabled()); }), user::type("veltrosanName2", u"FIXED_TOO"),
                        user::run([] { EXPECT_TRUE(exportEnabled()); }), user::press("Cancel")}),
            PRO_TK_NO_ERROR);
  // The opening and the CTI name "CTI" stop at the first bad attribute; with
  // the invalid CTI name no attribute is tested at all.
  EXPECT_EQ(shownTexts(), (Strings{"Log: 7 45", "Log: 7 45"}));
}

TEST_F(AttributeTable, AddingAppendsARowOfTheFirstTypeAndKeepsExportEnabled) {
  storeOptions(u"CTI", {u"MASS", u"3"});
  ASSERT_EQ(runCommand({user::press("AttributeAdd"), user::press("AttributeAdd"), user::run([] {
                          EXPECT_THAT(shownRows(), ElementsAre(expectedRow(0, u"MASS", "Both"),
                                                               expectedRow(1, u"NEW_ATTRIBUTE", "Part"),
                                                               expectedRow(2, u"NEW_ATTRIBUTE", "Part")));
                          EXPECT_TRUE(exportEnabled());
                        }),
                        user::press("Cancel")}),
            PRO_TK_NO_ERROR);
  EXPECT_EQ(storedAttributes(),
            (std::vector<std::u16string>{u"MASS", u"3", u"NEW_ATTRIBUTE", u"1", u"NEW_ATTRIBUTE", u"1"}));
}

TEST_F(AttributeTable, ANameEditChangesItsEntryOnlyAndRebuildsNothing) {
  storeOptions(u"CTI", {u"A", u"1", u"B", u"2", u"C", u"3"});
  size_t before = 0;
  ASSERT_EQ(runCommand({user::run([&] { before = world().log.calls().size(); }), user::type("veltrosanName2", u"C_NEW"),
                        user::run([&] {
                          EXPECT_THAT(attributeList, ElementsAre(AttributeEntry{u"A", 1}, AttributeEntry{u"B", 2},
                                                                 AttributeEntry{u"C_NEW", 3}));
                          std::vector<std::string> since;
                          for (size_t i = before; i < world().log.calls().size(); ++i)
                            if (sim::isHostCall(world().log.calls()[i].function))
                              since.push_back(world().log.calls()[i].function);
                          EXPECT_THAT(since, ElementsAre("ProUIInputpanelWidestringGet", "ProWstringFree",
                                                         "ProUIPushbuttonEnable"));
                        }),
                        user::type("veltrosanName0", u""), user::run([] {
                          EXPECT_EQ(attributeList[0].name, u"");
                          EXPECT_FALSE(exportEnabled());
                        }),
                        user::press("Cancel")}),
            PRO_TK_NO_ERROR);
  // The emptied name is not stored.
  EXPECT_EQ(storedAttributes(), (std::vector<std::u16string>{u"B", u"2", u"C_NEW", u"3"}));
}

TEST_F(AttributeTable, SelectingATypeSetsItsEntry) {
  storeOptions(u"CTI", {u"A", u"1", u"B", u"1"});
  ASSERT_EQ(runCommand({user::select("veltrosanType1", "Assembly"),
                        user::run([] { EXPECT_EQ(attributeList[1].type, 2); }),
                        user::select("veltrosanType0", "Both"), user::run([] { EXPECT_EQ(attributeList[0].type, 3); }),
                        user::select("veltrosanType0", "Part"), user::run([] { EXPECT_EQ(attributeList[0].type, 1); }),
                        user::press("Cancel")}),
            PRO_TK_NO_ERROR);
  EXPECT_EQ(storedAttributes(), (std::vector<std::u16string>{u"A", u"1", u"B", u"2"}));
}

TEST_F(AttributeTable, ASelectionOfNoneOrSeveralNamesChangesNothingButStillChecks) {
  storeOptions(u"CTI", {u"A", u"2"});
  for (const Strings& items : {Strings{}, Strings{"Part", "Both"}}) {
    SCOPED_TRACE(std::to_string(items.size()) + " names");
    size_t before = 0;
    ASSERT_EQ(runCommand({user::run([&] { before = static_cast<size_t>(world().log.count("ProUIPushbuttonEnable")); }),
                          user::select("veltrosanType0", items), user::run([&] {
                            EXPECT_EQ(attributeList[0].type, 2);
                            EXPECT_EQ(static_cast<size_t>(world().log.count("ProUIPushbuttonEnable")), before + 1);
                          }),
                          user::press("Cancel")}),
              PRO_TK_NO_ERROR);
  }
}

TEST_F(AttributeTable, AnItemBeyondTheFirstThreeLeavesTheTypeAndShowsNothing) {
  useResource(resourceWith(R"(["N", "T", "R"])", R"(["Part", "Assembly", "Both", "Other"])"));
  storeOptions(u"CTI", {u"A", u"2"});
  int checks = 0;
  ASSERT_EQ(runCommand({user::run([&] { checks = world().log.count("ProUIPushbuttonEnable"); }),
                        user::select("veltrosanType0", "Other"), user::run([&] {
                          EXPECT_EQ(attributeList[0].type, 2);
                          EXPECT_EQ(world().log.count("ProUIPushbuttonEnable"), checks) << "no state check";
                        }),
                        user::press("Cancel")}),
            PRO_TK_NO_ERROR);
  EXPECT_THAT(shownTexts(), IsEmpty());
}

TEST_F(AttributeTable, RemovingRebuildsTheRowsUnderTheirNewPositions) {
  struct Case {
    const char* press;
    std::vector<ShownRow> rows;
  };
  const Case cases[] = {
      {"veltrosanDelete0", {expectedRow(0, u"B", "Assembly"), expectedRow(1, u"C", "Both")}},
      {"veltrosanDelete1", {expectedRow(0, u"A", "Part"), expectedRow(1, u"C", "Both")}},
      {"veltrosanDelete2", {expectedRow(0, u"A", "Part"), expectedRow(1, u"B", "Assembly")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.press);
    storeOptions(u"CTI", {u"A", u"1", u"B", u"2", u"C", u"3"});
    ASSERT_EQ(runCommand({user::press(c.press), user::run([&] {
                            EXPECT_EQ(shownRows(), c.rows);
                            // The components of the former last row are gone.
                            EXPECT_EQ(sim::findComponent(kDialog, "veltrosanName2"), nullptr);
                            EXPECT_EQ(sim::findComponent(kDialog, "veltrosanDelete2"), nullptr);
                          }),
                          user::press("Cancel")}),
              PRO_TK_NO_ERROR);
  }
}

TEST_F(AttributeTable, RemovingTheOnlyRowLeavesExportToTheCtiName) {
  storeOptions(u"BAD-CTI", {u"ONLY", u"1"});
  ASSERT_EQ(runCommand({user::press("veltrosanDelete0"), user::run([] {
                          EXPECT_THAT(shownRows(), IsEmpty());
                          EXPECT_FALSE(exportEnabled());
                        }),
                        user::type("CtiValue", u"CTI"), user::run([] { EXPECT_TRUE(exportEnabled()); }),
                        user::press("Cancel")}),
            PRO_TK_NO_ERROR);
  // An empty list leaves the stored one: the next opening brings it back.
  EXPECT_EQ(storedAttributes(), (std::vector<std::u16string>{u"ONLY", u"1"}));
}

TEST_F(AttributeTable, TheRequestsAreTheCtiNameFirstThenEveryAttributeAsUtf8) {
  storeOptions(u"CTI", {u"MATERIAL", u"1", u"MATERIAL", u"2", u"CTI", u"3", u"MAT\u00c9", u"1"});
  ASSERT_EQ(runCommand({user::run([] {
                          AttributeRequestList requests;
                          Attributes::exportList(requests);
                          ASSERT_EQ(requests.size(), 5u);
                          const std::vector<std::pair<std::string, int>> expected = {
                              {"CTI", 1}, {"MATERIAL", 1}, {"MATERIAL", 2}, {"CTI", 3}, {"MAT\xC3\x89", 1}};
                          for (size_t i = 0; i < expected.size(); ++i) {
                            EXPECT_EQ(requests[i].name, expected[i].first);
                            EXPECT_EQ(requests[i].flags, expected[i].second);
                          }
                        }),
                        user::press("Cancel")}),
            PRO_TK_NO_ERROR);
}

TEST_F(AttributeTable, ATableWithoutRowsYieldsTheCtiRequestAlone) {
  ctiParameterName = u"CTI";
  AttributeRequestList requests;
  Attributes::exportList(requests);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].name, "CTI");
  EXPECT_EQ(requests[0].flags, 1);
}

TEST_F(AttributeTable, AResourceWithTooFewColumnsOrItemsNeverShowsTheDialog) {
  struct Case {
    std::string columns, items, call;
  };
  const Case cases[] = {
      {R"(["N", "T"])", R"(["Part", "Assembly", "Both"])", "ProUITableColumnnamesGet"},
      {R"([])", R"(["Part", "Assembly", "Both"])", "ProUITableColumnnamesGet"},
      {R"(["N", "T", "R"])", R"(["Part", "Assembly"])", "ProUIOptionmenuNamesGet"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.columns + " " + c.items);
    sim::reset();
    setMessageFile();
    useResource(resourceWith(c.columns, c.items));
    storeOptions(u"CTI", {u"MASS", u"3"});
    ASSERT_EQ(runCommand({}), PRO_TK_NO_ERROR);
    EXPECT_EQ(world().log.count("ProUIDialogActivate"), 0);
    EXPECT_EQ(shownTexts(), (Strings{"Warning: " + c.call + ": (VELTROSAN_NOT_SUPPORTED)",
                                     "Warning: Attributes::initialize: (VELTROSAN_NOT_SUPPORTED)",
                                     "Warning: GUI::initialize: (VELTROSAN_NOT_SUPPORTED)"}));
    // The teardown still saves what was loaded, and releases what was handed out.
    EXPECT_EQ(storedAttributes(), (std::vector<std::u16string>{u"MASS", u"3"}));
    expectLedgerClean();
  }
}

TEST_F(AttributeTable, ValidNamesAndTheirLogLines) {
  struct Case {
    std::u16string name;
    bool valid;
    const char* log;
  };
  const Case cases[] = {
      {u"A", true, nullptr},
      {u"a_1_B", true, nullptr},
      {u"COMPARATIVE_TRACKING_INDEX", true, nullptr},
      {std::u16string(31, u'z'), true, nullptr},
      {std::u16string(32, u'z'), false, nullptr},
      {u"", false, nullptr},
      {u"1A", false, nullptr},
      {u"_A", false, nullptr},
      {u"\u00e9", false, nullptr},
      {u"A-B", false, "Log: 3 45"},
      {u"AB-", false, "Log: 3 45"},
      {u"A\u00e9", false, "Log: 2 233"},
      {u"A\U0001F600", false, "Log: 3 55357"},
      {u"A\xDC00", false, "Log: 2 56320"},
      {std::u16string(u"A\0B", 3), false, "Log: 3 0"},
      {u"AB CD-", false, "Log: 6 32"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(sim::utf8(c.name));
    world().messages = sim::MessageArea();
    EXPECT_EQ(isValidAttributeName(c.name), c.valid);
    EXPECT_EQ(shownTexts(), c.log == nullptr ? Strings{} : Strings{c.log});
  }
}

TEST_F(AttributeTable, ToUtf8NeverFails) {
  struct Case {
    std::u16string wide;
    std::string utf8;
  };
  const Case cases[] = {
      {u"", ""},
      {u"MASS_1", "MASS_1"},
      {u"\u00e9\u20ac", "\xC3\xA9\xE2\x82\xAC"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},
      {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
      {std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
      {u"A\xD800", "A\xEF\xBF\xBD"},         // a high surrogate at the end
      {u"\xDC00" u"A", "\xEF\xBF\xBD" "A"},  // a low surrogate alone
      {u"\xD800\xD800\xDC00", "\xEF\xBF\xBD\xF0\x90\x80\x80"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(toUtf8(c.wide), c.utf8) << sim::utf8(c.wide);
  }
}

}  // namespace
}  // namespace veltrosan::test
