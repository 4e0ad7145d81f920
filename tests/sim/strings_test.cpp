// Host string arrays and the toolkit's narrow/wide copies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/toolkit.h"
#include "sim/handout.hpp"
#include "support/sim_fixture.hpp"

namespace {

using testing_support::SimTest;

TEST_F(SimTest, StringArrayIsReleasedOnlyWithTheCountItWasHandedOutWith) {
  char** names = sim::handOutStringArray({"veltrosanRow0", "veltrosanRow1", ""}, "test");
  EXPECT_STREQ(names[0], "veltrosanRow0");
  EXPECT_STREQ(names[2], "");
  for (int wrong : {0, 2, 4}) {
    EXPECT_EQ(ProStringarrayFree(names, wrong), PRO_TK_BAD_INPUTS) << wrong;
    EXPECT_EQ(world().ledger.outstanding().size(), 1u) << "still held after a count of " << wrong;
  }
  EXPECT_EQ(ProStringarrayFree(names, 3), PRO_TK_NO_ERROR);
}

// One release call serves arrays of many origins; the log tells them apart.
TEST_F(SimTest, ArrayReleaseIsLoggedWithTheOriginOfTheArray) {
  ProArray made = nullptr;
  ASSERT_EQ(ProArrayAlloc(1, 4, 1, &made), PRO_TK_NO_ERROR);
  ProArray handed = sim::handOutArray(2, 4, "ProFeatureParentsGet");
  ProArray copy = made;
  EXPECT_EQ(ProArrayFree(&handed), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProArrayFree(&made), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProArrayFree(&copy), PRO_TK_BAD_INPUTS);  // released already
  world().ledger.clear();

  std::vector<std::string> released;
  for (const auto& call : world().log.calls())
    if (call.function == "ProArrayFree") released.push_back(call.args);
  EXPECT_EQ(released, (std::vector<std::string>{"ProFeatureParentsGet", "ProArrayAlloc", "?"}));
}

struct CopyCase {
  const char* what;
  std::string narrow;
  std::u16string wide;
};

// Well-formed text survives both copies unchanged.
TEST_F(SimTest, NarrowAndWideCopiesRoundTripEveryPlane) {
  const std::vector<CopyCase> cases = {
      {"empty", "", u""},
      {"ASCII", "COMPARATIVE_TRACKING_INDEX", u"COMPARATIVE_TRACKING_INDEX"},
      {"two-byte", "Gr\xC3\xB6\xC3\x9F" "e", u"Gr\u00F6\u00DFe"},
      {"three-byte", "\xE2\x82\xAC 5", u"\u20AC 5"},
      {"non-BMP", "a\xF0\x9F\x98\x80z", u"a\U0001F600z"},
      {"highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProWchar wide[64] = {};
    ProStringToWstring(wide, c.narrow.c_str());
    EXPECT_EQ(std::u16string(wide), c.wide);
    char narrow[64] = {};
    ProWstringToString(narrow, c.wide.c_str());
    EXPECT_EQ(std::string(narrow), c.narrow);
  }
  EXPECT_EQ(std::u16string(u"a\U0001F600z").size(), 4u) << "a surrogate pair is two units";
}

// Ill-formed input never breaks a copy: each unit that starts no
// well-formed character becomes one U+FFFD.
TEST_F(SimTest, IllFormedTextBecomesReplacementCharacters) {
  const std::vector<CopyCase> narrowToWide = {
      {"lone continuation byte", "a\x80z", u"a\uFFFDz"},
      {"truncated sequence at the end", "a\xC3", u"a\uFFFD"},
      {"truncated sequence before ASCII", "\xE2\x82z", u"\uFFFD\uFFFDz"},
      {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"invalid byte", "\xFF", u"\uFFFD"},
  };
  for (const auto& c : narrowToWide) {
    SCOPED_TRACE(c.what);
    ProWchar wide[64] = {};
    ProStringToWstring(wide, c.narrow.c_str());
    EXPECT_EQ(std::u16string(wide), c.wide);
  }

  const std::string replacement = "\xEF\xBF\xBD";
  const std::vector<CopyCase> wideToNarrow = {
      {"lone high surrogate", "x" + replacement + "y", std::u16string{u'x', char16_t{0xD800}, u'y'}},
      {"lone high surrogate at the end", "x" + replacement, std::u16string{u'x', char16_t{0xDBFF}}},
      {"lone low surrogate", replacement, std::u16string{char16_t{0xDC00}}},
      {"pair in the wrong order", replacement + replacement, std::u16string{char16_t{0xDC00}, char16_t{0xD800}}},
  };
  for (const auto& c : wideToNarrow) {
    SCOPED_TRACE(c.what);
    char narrow[64] = {};
    ProWstringToString(narrow, c.wide.c_str());
    EXPECT_EQ(std::string(narrow), c.narrow);
  }

  ProWchar wide[4] = {u'x', 0};
  ProStringToWstring(wide, nullptr);
  EXPECT_EQ(wide[0], 0) << "no text copies as empty";
  char narrow[4] = {'x', 0};
  ProWstringToString(narrow, nullptr);
  EXPECT_EQ(narrow[0], 0);
}

}  // namespace
