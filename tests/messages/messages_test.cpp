#include "messages/messages.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "messages/status_names.hpp"
#include "messages_fixture.hpp"
#include "sim/text.hpp"

namespace veltrosan::test {
namespace {

using Strings = std::vector<std::string>;

TEST_F(MessagesTest, WarningClearsTheAreaThenShowsTheWholeLineAsTheOneArgument) {
  showLog("an earlier line");
  world().log.clear();

  showWarning(warningLine("ProMdlNameGet", PRO_TK_BAD_INPUTS));

  EXPECT_EQ(world().log.names(), (Strings{"ProMessageClear", "ProMessageDisplay"}));
  EXPECT_EQ(world().log.calls()[1].args, "veltrosan_messages.txt,USER %s");
  const auto& area = world().messages;
  ASSERT_EQ(area.current.size(), 1u) << "the warning replaces the earlier line";
  EXPECT_EQ(area.current[0].key, "USER %s");
  EXPECT_EQ(area.current[0].args, Strings{"Warning: ProMdlNameGet: (PRO_TK_BAD_INPUTS)"});
  EXPECT_EQ(area.current[0].text, "Warning: ProMdlNameGet: (PRO_TK_BAD_INPUTS)");
  EXPECT_EQ(area.shown.size(), 2u);
  EXPECT_EQ(area.clears, 2);
}

struct LineCase {
  const char* what;
  std::function<void()> show;
  std::string argument;  // the one argument of "USER %s"
};

TEST_F(MessagesTest, LinesReachTheHostUnchangedAsTheArgument) {
  const std::vector<LineCase> cases = {
      {"warn, named status", [] { warn("ProMdlNameGet", PRO_TK_BAD_INPUTS); },
       "Warning: ProMdlNameGet: (PRO_TK_BAD_INPUTS)"},
      {"warn, own status", [] { warn("CreoExport::processPart", VELTROSAN_TESSELLATION_FAILED); },
       "Warning: CreoExport::processPart: (VELTROSAN_TESSELLATION_FAILED)"},
      {"warn, status without a name", [] { warn("ProSurfaceAreaEval", -65); },
       "Warning: ProSurfaceAreaEval: (-65)"},
      {"free warning text", [] { showWarning("Registry entry not defined: HKLM\\SOFTWARE\\x"); },
       "Warning: Registry entry not defined: HKLM\\SOFTWARE\\x"},
      {"empty log text", [] { showLog(""); }, "Log: "},
      {"percent signs and conversions", [] { showWarning("100% of %s, %0s and %d"); },
       "Warning: 100% of %s, %0s and %d"},
      {"non-ASCII text", [] { showLog("Größe \xF0\x9F\x98\x80"); }, "Log: Größe \xF0\x9F\x98\x80"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    world().messages = {};
    c.show();
    ASSERT_EQ(world().messages.current.size(), 1u);
    EXPECT_EQ(world().messages.current[0].key, "USER %s");
    EXPECT_EQ(world().messages.current[0].args, Strings{c.argument});
    EXPECT_EQ(world().messages.current[0].text, c.argument);
  }
}

TEST_F(MessagesTest, WarningLineIsContextColonStatusInParentheses) {
  EXPECT_EQ(warningLine("GUI::initialize", PRO_TK_NO_ERROR), "GUI::initialize: (PRO_TK_NO_ERROR)");
  EXPECT_EQ(warningLine("", -2147483647 - 1), ": (-2147483648)");
  // Each line starts afresh: nothing of the one before carries over.
  EXPECT_EQ(warningLine("a", -4), "a: (PRO_TK_E_NOT_FOUND)");
  EXPECT_EQ(warningLine("a", -4), "a: (PRO_TK_E_NOT_FOUND)");
}

struct DisplayCase {
  std::string key;
  MessageArguments arguments;
  Strings passed;  // the arguments the host received
  std::string text;
};

TEST_F(MessagesTest, DisplayPassesNoneOneOrTwoArgumentsAndNoneOfThree) {
  useMessageFile({{"Plain", "Nothing to fill in."},
                  {"One %0s", "Written to %0s."},
                  {"Two %0s %1s", "%1s, then %0s."}});
  const std::vector<DisplayCase> cases = {
      {"Plain", {}, {}, "Nothing to fill in."},
      {"One %0s", {"C:\\work\\bracket.vtq"}, {"C:\\work\\bracket.vtq"}, "Written to C:\\work\\bracket.vtq."},
      {"Two %0s %1s", {"first", "second"}, {"first", "second"}, "second, then first."},
      {"Plain", {"a", "b", "c"}, {}, "Nothing to fill in."},
      {"One %0s", {"50% %s"}, {"50% %s"}, "Written to 50% %s."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key + " with " + std::to_string(c.arguments.size()) + " arguments");
    world().messages = {};
    world().log.clear();
    EXPECT_EQ(displayMessage(c.key, c.arguments), PRO_TK_NO_ERROR);
    EXPECT_EQ(world().log.names(), (Strings{"ProMessageClear", "ProMessageDisplay"}));
    EXPECT_EQ(world().log.calls()[1].args, "veltrosan_messages.txt," + c.key);
    ASSERT_EQ(world().messages.current.size(), 1u);
    EXPECT_EQ(world().messages.current[0].key, c.key);
    EXPECT_EQ(world().messages.current[0].args, c.passed);
    EXPECT_EQ(world().messages.current[0].text, c.text);
  }
}

TEST_F(MessagesTest, FailedDisplayIsReplacedByItsWarningAndReturned) {
  struct Case {
    const char* what;
    std::string key;
    StatusCode injected;  // 0: none, the host's own answer
    StatusCode expected;
  };
  const std::vector<Case> cases = {
      {"key not in the file", "NoSuchKey", 0, PRO_TK_MSG_NOT_FOUND},
      {"host failure", "ExportVTQSuccess", PRO_TK_GENERAL_ERROR, PRO_TK_GENERAL_ERROR},
      {"unnamed status", "ExportVTQSuccess", -70, -70},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sim::reset();
    setMessageFile();
    if (c.injected != 0) world().faults.failOn("ProMessageDisplay", 1, c.injected);

    EXPECT_EQ(displayMessage(c.key, {}), c.expected);

    EXPECT_EQ(world().log.names(),
              (Strings{"ProMessageClear", "ProMessageDisplay", "ProMessageClear", "ProMessageDisplay"}));
    EXPECT_EQ(currentTexts(), Strings{"Warning: ProMessageDisplay: (" + errorName(c.expected) + ")"});
    EXPECT_EQ(world().messages.clears, 2);
  }
}

TEST_F(MessagesTest, WithoutTheMessageFileNothingShowsAndNothingBreaks) {
  for (const std::u16string& name : {std::u16string(), std::u16string(u"other_messages.txt")}) {
    SCOPED_TRACE(sim::utf8(name));
    world().messages = {};
    messageFile = name;
    EXPECT_EQ(displayMessage("ExportVTQSuccess", {}), PRO_TK_MSG_NOT_FOUND);
    showLog("lost");
    EXPECT_TRUE(world().messages.shown.empty());
    EXPECT_EQ(world().messages.clears, 3);
  }
  setMessageFile();
  EXPECT_EQ(messageFile, u"veltrosan_messages.txt");
  EXPECT_EQ(displayMessage("ExportVTQSuccess", {}), PRO_TK_NO_ERROR);
}

}  // namespace
}  // namespace veltrosan::test
