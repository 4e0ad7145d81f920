#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "messages/messages.hpp"
#include "messages/status_names.hpp"
#include "messages_fixture.hpp"
#include "sim/text.hpp"

namespace veltrosan::test {
namespace {

using Strings = std::vector<std::string>;

const Strings kWholeRoad = {"ProArrayAlloc",
                            "ProMessageWstringbufferAlloc",
                            "ProMessageWstringbufferAlloc",
                            "ProUIMessageDialogDisplay",
                            "ProWstringFree",
                            "ProWstringFree",
                            "ProArrayFree"};

TEST_F(MessagesTest, ErrorDialogShowsTheTranslationTwiceWithItsOneButtonWhateverTheAnswer) {
  for (const std::optional<int> answer : {std::optional<int>(), std::optional<int>(6), std::optional<int>(1),
                                          std::optional<int>(-1)}) {
    SCOPED_TRACE(answer ? std::to_string(*answer) : std::string("default"));
    sim::reset();
    setMessageFile();
    world().messages.answer = answer;

    EXPECT_EQ(ShowMessage(), PRO_TK_NO_ERROR);

    EXPECT_EQ(world().log.names(), kWholeRoad);
    EXPECT_EQ(world().log.calls()[0].args, "1,4,1");
    EXPECT_EQ(world().log.calls()[1].args, "veltrosan_messages.txt,CreoExportError");
    EXPECT_EQ(world().log.calls()[2].args, "veltrosan_messages.txt,CreoExportError");
    ASSERT_EQ(world().messages.dialogs.size(), 1u);
    const auto& dialog = world().messages.dialogs[0];
    EXPECT_EQ(dialog.type, PRO_UI_MESSAGE_ERROR);
    EXPECT_FALSE(dialog.title.empty());
    EXPECT_EQ(dialog.text, dialog.title);
    EXPECT_EQ(dialog.buttons, std::vector<int>{PRO_UI_MESSAGE_OK});
    EXPECT_EQ(dialog.defaultButton, PRO_UI_MESSAGE_OK);
    EXPECT_TRUE(world().messages.shown.empty());
    // Title and text are two host strings, each released once.
    ASSERT_EQ(world().messages.translations.size(), 2u);
    EXPECT_NE(world().messages.translations[0], world().messages.translations[1]);
    expectLedgerClean();
  }
}

enum class LeftBehind { Nothing, Title, Text, Buttons };

struct FailureCase {
  const char* function;
  int nth;
  StatusCode status;
  const char* context;
  int lookups;     // calls of ProMessageWstringbufferAlloc
  bool shown;      // whether the dialog was shown
  LeftBehind left;  // what the host kept because its own release failed
};

void PrintTo(const FailureCase& c, std::ostream* out) {
  *out << c.function << " call " << c.nth << " answers " << errorName(c.status);
}

class ShowMessageFailure : public MessagesTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ShowMessageFailure, StopsReportsReleasesWhatItHasAndReturnsTheStatus) {
  const FailureCase& c = GetParam();
  world().faults.failOn(c.function, c.nth, c.status);

  EXPECT_EQ(ShowMessage(), c.status);

  EXPECT_EQ(currentTexts(), Strings{std::string("Warning: ") + c.context + ": (" + errorName(c.status) + ")"});
  EXPECT_EQ(world().messages.shown.size(), 1u) << "releases on the way out are not reported";
  EXPECT_EQ(world().log.count("ProMessageWstringbufferAlloc"), c.lookups);
  EXPECT_EQ(world().messages.dialogs.size(), c.shown ? 1u : 0u);
  // Everything obtained is released exactly once; what failed is not retried.
  const bool gotArray = std::string(c.function) != "ProArrayAlloc";
  EXPECT_EQ(world().log.count("ProArrayFree"), gotArray ? 1 : 0);
  const int translations = static_cast<int>(world().messages.translations.size());
  EXPECT_EQ(world().log.count("ProWstringFree"), translations);

  // Release what the host kept after its failed release, so that the
  // ledger shows nothing else outstanding.
  world().faults.clear();
  const auto& handedOut = world().messages.translations;
  switch (c.left) {
    case LeftBehind::Nothing:
      break;
    case LeftBehind::Title:
    case LeftBehind::Text: {
      const size_t kept = c.left == LeftBehind::Title ? 0 : 1;
      ASSERT_EQ(handedOut.size(), 2u);
      ASSERT_NE(world().ledger.find(handedOut[kept]), nullptr);
      EXPECT_EQ(world().ledger.find(handedOut[1 - kept]), nullptr);
      EXPECT_EQ(ProWstringFree(const_cast<ProWchar*>(handedOut[kept])), PRO_TK_NO_ERROR);
      break;
    }
    case LeftBehind::Buttons: {
      ASSERT_EQ(world().messages.dialogs.size(), 1u);
      ProArray buttons = const_cast<void*>(world().messages.dialogs[0].buttonArray);
      EXPECT_EQ(ProArrayFree(&buttons), PRO_TK_NO_ERROR);
      break;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, ShowMessageFailure,
    ::testing::Values(
        FailureCase{"ProArrayAlloc", 1, PRO_TK_OUT_OF_MEMORY, "ProArrayAlloc", 0, false, LeftBehind::Nothing},
        FailureCase{"ProMessageWstringbufferAlloc", 1, PRO_TK_MSG_NOT_FOUND, "getTranslation", 1, false,
                    LeftBehind::Nothing},
        FailureCase{"ProMessageWstringbufferAlloc", 2, PRO_TK_MSG_NO_TRANS, "getTranslation", 2, false,
                    LeftBehind::Nothing},
        FailureCase{"ProUIMessageDialogDisplay", 1, PRO_TK_GENERAL_ERROR, "ProUIMessageDialogDisplay", 2, false,
                    LeftBehind::Nothing},
        FailureCase{"ProUIMessageDialogDisplay", 1, -75, "ProUIMessageDialogDisplay", 2, false,
                    LeftBehind::Nothing},
        FailureCase{"ProWstringFree", 1, PRO_TK_BAD_INPUTS, "ProWstringFree", 2, true, LeftBehind::Title},
        FailureCase{"ProWstringFree", 2, PRO_TK_BAD_INPUTS, "ProWstringFree", 2, true, LeftBehind::Text},
        FailureCase{"ProArrayFree", 1, PRO_TK_BAD_INPUTS, "ProArrayFree", 2, true, LeftBehind::Buttons}));

TEST_F(MessagesTest, TitleMissingFromTheMessageFileStopsBeforeTheTextAndTheDialog) {
  useMessageFile({{"USER %s", "%s"}});

  EXPECT_EQ(ShowMessage(), PRO_TK_MSG_NOT_FOUND);

  EXPECT_EQ(world().log.names({"ProArrayAlloc", "ProMessageWstringbufferAlloc", "ProUIMessageDialogDisplay",
                               "ProWstringFree", "ProArrayFree"}),
            (Strings{"ProArrayAlloc", "ProMessageWstringbufferAlloc", "ProArrayFree"}));
  EXPECT_EQ(currentTexts(), Strings{"Warning: getTranslation: (PRO_TK_MSG_NOT_FOUND)"});
  EXPECT_TRUE(world().messages.dialogs.empty());
}

TEST_F(MessagesTest, FailingReleasesOnAnEarlyPathLeaveTheResultAndTheWarningAlone) {
  world().faults.failOn("ProUIMessageDialogDisplay", 1, PRO_TK_COMM_ERROR);
  world().faults.failAlways("ProWstringFree", PRO_TK_BAD_INPUTS);

  EXPECT_EQ(ShowMessage(), PRO_TK_COMM_ERROR);

  EXPECT_EQ(world().log.count("ProWstringFree"), 2);
  EXPECT_EQ(world().log.count("ProArrayFree"), 1);
  EXPECT_EQ(currentTexts(), Strings{"Warning: ProUIMessageDialogDisplay: (PRO_TK_COMM_ERROR)"});
  EXPECT_EQ(world().messages.shown.size(), 1u);

  world().faults.clear();
  for (const ProWchar* kept : world().messages.translations) {
    EXPECT_EQ(ProWstringFree(const_cast<ProWchar*>(kept)), PRO_TK_NO_ERROR);
  }
}

}  // namespace
}  // namespace veltrosan::test
