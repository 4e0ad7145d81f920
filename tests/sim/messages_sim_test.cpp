// The simulated host's message area, translations and message dialogs.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/toolkit.h"
#include "sim/text.hpp"
#include "support/sim_fixture.hpp"
#include "support/temp_dir.hpp"

namespace {

using Strings = std::vector<std::string>;

const ProWchar* const kFile = u"veltrosan_messages.txt";

class SimMessagesTest : public testing_support::SimTest {
 protected:
  // A message file of this test in the host's text directory.
  void useMessageFile(const std::string& contents) {
    folder_ = std::make_unique<veltrosan::test::TempDir>();
    veltrosan::test::writeBytes(folder_->file("veltrosan_messages.txt"), contents);
    world().textDirectory = folder_->path();
  }

  void SetUp() override {
    SimTest::SetUp();
    useMessageFile(
        "Plain\nNothing to fill in.\n#\n#\n"
        "Seq %s %s\n%s and %s\n#\n#\n"
        "Index %0s %1s\n%1s before %0s\n#\n#\n"
        "Repeat %0s\n%0s, again %0s\n#\n#\n"
        "Percent\n100%% sure\n#\n#\n"
        "\n"  // a blank line between groups
        "Translated\nEnglish\n\xC3\x9C" "bersetzt \xF0\x9F\x98\x80\n#\n"
        "Windows\r\nLine ends\r\n#\r\n#\r\n"
        "Decimal %d\nCount %d\n#\n#\n"
        "Dangling\n50%\n#\n#\n");
  }

 private:
  std::unique_ptr<veltrosan::test::TempDir> folder_;
};

TEST_F(SimMessagesTest, DisplayReadsExactlyTheArgumentsTheFormatNames) {
  struct Case {
    const char* key;
    std::function<StatusCode()> display;
    Strings arguments;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"Plain", [] { return ProMessageDisplay(kFile, "Plain"); }, {}, "Nothing to fill in."},
      {"Seq %s %s", [] { return ProMessageDisplay(kFile, "Seq %s %s", "a", "b"); }, {"a", "b"}, "a and b"},
      {"Index %0s %1s", [] { return ProMessageDisplay(kFile, "Index %0s %1s", "a", "b"); }, {"a", "b"},
       "b before a"},
      {"Repeat %0s", [] { return ProMessageDisplay(kFile, "Repeat %0s", "x"); }, {"x"}, "x, again x"},
      {"Percent", [] { return ProMessageDisplay(kFile, "Percent"); }, {}, "100% sure"},
      {"Seq %s %s", [] { return ProMessageDisplay(kFile, "Seq %s %s", "%s", "100%% %0s"); }, {"%s", "100%% %0s"},
       "%s and 100%% %0s"},
      {"Translated", [] { return ProMessageDisplay(kFile, "Translated"); }, {}, "\xC3\x9C" "bersetzt \xF0\x9F\x98\x80"},
      {"Windows", [] { return ProMessageDisplay(kFile, "Windows"); }, {}, "Line ends"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    world().messages = {};
    ASSERT_EQ(c.display(), PRO_TK_NO_ERROR);
    ASSERT_EQ(world().messages.current.size(), 1u);
    EXPECT_EQ(world().messages.current[0].key, c.key);
    EXPECT_EQ(world().messages.current[0].args, c.arguments);
    EXPECT_EQ(world().messages.current[0].text, c.text);
    EXPECT_EQ(world().messages.shown.size(), 1u);
  }
}

TEST_F(SimMessagesTest, DisplayThatCannotBeServedShowsNothing) {
  struct Case {
    const char* what;
    std::function<StatusCode()> display;
    StatusCode expected;
  };
  const std::vector<Case> cases = {
      {"key not in the file", [] { return ProMessageDisplay(kFile, "Missing"); }, PRO_TK_MSG_NOT_FOUND},
      {"key differs in its format", [] { return ProMessageDisplay(kFile, "Repeat %s", "x"); }, PRO_TK_MSG_NOT_FOUND},
      {"empty file name", [] { return ProMessageDisplay(u"", "Plain"); }, PRO_TK_MSG_NOT_FOUND},
      {"another file", [] { return ProMessageDisplay(u"other.txt", "Plain"); }, PRO_TK_MSG_NOT_FOUND},
      {"file in a sub-folder", [] { return ProMessageDisplay(u"text/veltrosan_messages.txt", "Plain"); },
       PRO_TK_MSG_NOT_FOUND},
      {"file by an absolute path", [] { return ProMessageDisplay(u"C:\\veltrosan_messages.txt", "Plain"); },
       PRO_TK_MSG_NOT_FOUND},
      {"conversion other than strings", [] { return ProMessageDisplay(kFile, "Decimal %d"); }, PRO_TK_MSG_FMT_ERROR},
      {"percent sign at the end", [] { return ProMessageDisplay(kFile, "Dangling"); }, PRO_TK_MSG_FMT_ERROR},
      {"no file", [] { return ProMessageDisplay(nullptr, "Plain"); }, PRO_TK_BAD_INPUTS},
      {"no key", [] { return ProMessageDisplay(kFile, nullptr); }, PRO_TK_BAD_INPUTS},
      {"null argument",
       [] { return ProMessageDisplay(kFile, "Seq %s %s", "a", static_cast<const char*>(nullptr)); },
       PRO_TK_BAD_INPUTS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.display(), c.expected);
  }
  EXPECT_TRUE(world().messages.shown.empty());
  EXPECT_EQ(world().log.count("ProMessageDisplay"), static_cast<int>(cases.size()));
}

TEST_F(SimMessagesTest, ClearEmptiesTheAreaButKeepsTheHistory) {
  ASSERT_EQ(ProMessageDisplay(kFile, "Plain"), PRO_TK_NO_ERROR);
  ASSERT_EQ(ProMessageDisplay(kFile, "Percent"), PRO_TK_NO_ERROR);
  EXPECT_EQ(world().messages.current.size(), 2u);

  ProMessageClear();
  EXPECT_TRUE(world().messages.current.empty());
  EXPECT_EQ(world().messages.shown.size(), 2u);
  EXPECT_EQ(world().messages.clears, 1);

  // A planned fault: the host did not clear.
  ASSERT_EQ(ProMessageDisplay(kFile, "Plain"), PRO_TK_NO_ERROR);
  world().faults.failOn("ProMessageClear", 2, PRO_TK_GENERAL_ERROR);
  ProMessageClear();
  EXPECT_EQ(world().messages.current.size(), 1u);
  EXPECT_EQ(world().messages.clears, 1);
  EXPECT_EQ(world().log.count("ProMessageClear"), 2);
}

// A test relates lines to calls through the position of the showing call.
TEST_F(SimMessagesTest, ShownLineKnowsWhereItsCallStandsInTheLog) {
  ProMessageClear();
  ASSERT_EQ(ProMessageDisplay(kFile, "Plain"), PRO_TK_NO_ERROR);
  world().faults.failOn("ProMessageDisplay", 2, PRO_TK_GENERAL_ERROR);
  ASSERT_EQ(ProMessageDisplay(kFile, "Percent"), PRO_TK_GENERAL_ERROR);
  ASSERT_EQ(ProMessageDisplay(kFile, "Missing key"), PRO_TK_MSG_NOT_FOUND);
  ASSERT_EQ(ProMessageDisplay(kFile, "Seq %s %s", "a", "b"), PRO_TK_NO_ERROR);

  const auto& shown = world().messages.shown;
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].call, 1u);
  EXPECT_EQ(shown[1].call, 4u);
  for (const auto& line : shown) {
    EXPECT_EQ(world().log.calls()[line.call].function, "ProMessageDisplay");
    EXPECT_EQ(world().log.calls()[line.call].args, "veltrosan_messages.txt," + line.key);
  }
}

TEST_F(SimMessagesTest, TranslationIsAHostStringOfTheWholeText) {
  ProWchar* text = nullptr;
  ASSERT_EQ(ProMessageWstringbufferAlloc(&text, kFile, "Translated"), PRO_TK_NO_ERROR);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text), u"\u00DCbersetzt \U0001F600");
  const auto* entry = world().ledger.find(text);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->kind, sim::Allocation::Wstring);
  EXPECT_EQ(world().messages.translations, std::vector<const ProWchar*>{text});
  EXPECT_TRUE(world().messages.shown.empty()) << "a translation is not shown";

  ProWchar* filled = nullptr;
  ASSERT_EQ(ProMessageWstringbufferAlloc(&filled, kFile, "Index %0s %1s", "one", "two"), PRO_TK_NO_ERROR);
  EXPECT_EQ(std::u16string(filled), u"two before one");

  EXPECT_EQ(ProWstringFree(text), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProWstringFree(filled), PRO_TK_NO_ERROR);

  ProWchar* untouched = nullptr;
  EXPECT_EQ(ProMessageWstringbufferAlloc(&untouched, kFile, "Missing"), PRO_TK_MSG_NOT_FOUND);
  EXPECT_EQ(ProMessageWstringbufferAlloc(&untouched, u"", "Plain"), PRO_TK_MSG_NOT_FOUND);
  EXPECT_EQ(ProMessageWstringbufferAlloc(nullptr, kFile, "Plain"), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(untouched, nullptr);
  EXPECT_EQ(world().messages.translations.size(), 2u);
}

class SimDialogTest : public testing_support::SimTest {
 protected:
  void TearDown() override {
    if (buttons_ != nullptr) {
      EXPECT_EQ(ProArrayFree(&buttons_), PRO_TK_NO_ERROR);
    }
    SimTest::TearDown();
  }
  int* buttons(std::vector<int> values, int elementSize = static_cast<int>(sizeof(int))) {
    if (buttons_ != nullptr) ProArrayFree(&buttons_);
    EXPECT_EQ(ProArrayAlloc(static_cast<int>(values.size()), elementSize, 1, &buttons_), PRO_TK_NO_ERROR);
    int* p = static_cast<int*>(buttons_);
    if (elementSize == static_cast<int>(sizeof(int))) {
      for (size_t k = 0; k < values.size(); ++k) p[k] = values[k];
    }
    return p;
  }

 private:
  ProArray buttons_ = nullptr;
};

TEST_F(SimDialogTest, DialogIsRecordedWithTheButtonsOfItsHostArray) {
  int* array = buttons({PRO_UI_MESSAGE_OK, 1});
  int answer = -1;
  ASSERT_EQ(ProUIMessageDialogDisplay(PRO_UI_MESSAGE_ERROR, u"Title", u"Text \U0001F600", array, 1, &answer),
            PRO_TK_NO_ERROR);
  EXPECT_EQ(answer, 1) << "the user takes the default button";
  world().messages.answer = PRO_UI_MESSAGE_OK;
  ASSERT_EQ(ProUIMessageDialogDisplay(0, u"", u"", array, 1, &answer), PRO_TK_NO_ERROR);
  EXPECT_EQ(answer, PRO_UI_MESSAGE_OK);

  ASSERT_EQ(world().messages.dialogs.size(), 2u);
  const auto& dialog = world().messages.dialogs[0];
  EXPECT_EQ(dialog.type, PRO_UI_MESSAGE_ERROR);
  EXPECT_EQ(dialog.title, u"Title");
  EXPECT_EQ(dialog.text, u"Text \U0001F600");
  EXPECT_EQ(dialog.buttons, (std::vector<int>{PRO_UI_MESSAGE_OK, 1}));
  EXPECT_EQ(dialog.defaultButton, 1);
  EXPECT_EQ(dialog.buttonArray, static_cast<const void*>(array));
  EXPECT_EQ(dialog.answer, 1);
  EXPECT_EQ(world().messages.dialogs[1].answer, PRO_UI_MESSAGE_OK);
}

TEST_F(SimDialogTest, DialogChecksItsInputs) {
  struct Case {
    const char* what;
    std::function<StatusCode(int* answer)> show;
  };
  const std::vector<Case> cases = {
      {"buttons not from the host",
       [](int* answer) {
         int own[] = {PRO_UI_MESSAGE_OK};
         return ProUIMessageDialogDisplay(2, u"T", u"X", own, PRO_UI_MESSAGE_OK, answer);
       }},
      {"buttons already released",
       [](int* answer) {
         ProArray a = nullptr;
         EXPECT_EQ(ProArrayAlloc(1, 4, 1, &a), PRO_TK_NO_ERROR);
         int* stale = static_cast<int*>(a);
         EXPECT_EQ(ProArrayFree(&a), PRO_TK_NO_ERROR);
         return ProUIMessageDialogDisplay(2, u"T", u"X", stale, PRO_UI_MESSAGE_OK, answer);
       }},
      {"buttons of the wrong element size",
       [this](int* answer) {
         return ProUIMessageDialogDisplay(2, u"T", u"X", buttons({0}, 8), PRO_UI_MESSAGE_OK, answer);
       }},
      {"no buttons",
       [this](int* answer) {
         return ProUIMessageDialogDisplay(2, u"T", u"X", buttons({}), PRO_UI_MESSAGE_OK, answer);
       }},
      {"default not among the buttons",
       [this](int* answer) { return ProUIMessageDialogDisplay(2, u"T", u"X", buttons({1}), 6, answer); }},
      {"no title",
       [this](int* answer) { return ProUIMessageDialogDisplay(2, nullptr, u"X", buttons({6}), 6, answer); }},
      {"no text",
       [this](int* answer) { return ProUIMessageDialogDisplay(2, u"T", nullptr, buttons({6}), 6, answer); }},
      {"no answer", [this](int*) { return ProUIMessageDialogDisplay(2, u"T", u"X", buttons({6}), 6, nullptr); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    int answer = -7;
    EXPECT_EQ(c.show(&answer), PRO_TK_BAD_INPUTS);
    EXPECT_EQ(answer, -7);
  }
  EXPECT_TRUE(world().messages.dialogs.empty());
}

}  // namespace
