// Length units, their factors to millimetres, and the text conversions that
// the export shares.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/creo_export.hpp"
#include "export_fixture.hpp"
#include "sim/handles.hpp"
#include "sim/text.hpp"

namespace veltrosan::test {
namespace {

TEST(UnitFactorTest, EveryUnitOfTheTableAndNothingElse) {
  const struct {
    const char* name;
    double factor;
  } cases[] = {
      {"mm", 1.0},      {"in", 25.4},         {"nm", 0.000001}, {"micron", 0.001}, {"cm", 10.0},
      {"m", 1000.0},    {"km", 1000000.0},    {"mil", 0.0254},  {"ft", 304.8},     {"mile", 1609344.0},
      // Exact, case-sensitive, untrimmed: near misses fall back to 1.
      {"MM", 1.0},      {"mm ", 1.0},         {"", 1.0},        {"In", 1.0},       {" in", 1.0},
      {"inch", 1.0},    {"dm", 1.0},          {"M", 1.0},       {"miles", 1.0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(unitFactor(c.name), c.factor) << '"' << c.name << '"';
  }
  // An embedded terminator does not cut the name short.
  EXPECT_EQ(unitFactor(std::string("in\0x", 4)), 1.0);
}

class ModelUnitTest : public CurrentPartTest {
 protected:
  void SetUp() override {
    CurrentPartTest::SetUp();
    model = &world().addModel(u"BLOCK", PRO_MDL_PART);
  }
  sim::Model* model = nullptr;
};

TEST_F(ModelUnitTest, TheExpressionOfTheLengthUnit) {
  model->lengthUnit = u"in";
  std::string name = "stale";
  EXPECT_EQ(modelUnit(sim::handle(*model), name), PRO_TK_NO_ERROR);
  EXPECT_EQ(name, "in");
  EXPECT_TRUE(shownTexts().empty());
}

TEST_F(ModelUnitTest, AMissingUnitOrExpressionIsMillimetresWithoutAWarning) {
  model->hasLengthUnit = false;
  std::string name = "in";
  EXPECT_EQ(modelUnit(sim::handle(*model), name), PRO_TK_NO_ERROR);
  EXPECT_EQ(name, "mm");

  model->hasLengthUnit = true;
  model->lengthUnit.reset();
  name = "in";
  EXPECT_EQ(modelUnit(sim::handle(*model), name), PRO_TK_NO_ERROR);
  EXPECT_EQ(name, "mm");
  EXPECT_EQ(unitFactor(name), 1.0);
  EXPECT_TRUE(shownTexts().empty());
}

TEST_F(ModelUnitTest, EveryOtherFailureIsReportedAndReturned) {
  const struct {
    const char* function;
    StatusCode status;
    const char* line;
  } cases[] = {
      {"ProMdlPrincipalunitsystemGet", PRO_TK_GENERAL_ERROR,
       "Warning: ProMdlPrincipalunitsystemGet: (PRO_TK_GENERAL_ERROR)"},
      {"ProMdlPrincipalunitsystemGet", PRO_TK_E_NOT_FOUND, "Warning: ProMdlPrincipalunitsystemGet: (PRO_TK_E_NOT_FOUND)"},
      {"ProUnitsystemUnitGet", PRO_TK_BAD_INPUTS, "Warning: ProUnitsystemUnitGet: (PRO_TK_BAD_INPUTS)"},
      {"ProUnitExpressionGet", PRO_TK_BAD_CONTEXT, "Warning: ProUnitExpressionGet: (PRO_TK_BAD_CONTEXT)"},
  };
  model->lengthUnit = u"in";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.function);
    world().faults.clear();
    world().messages.shown.clear();
    world().faults.failOn(c.function, 1, c.status);
    std::string name;
    EXPECT_EQ(modelUnit(sim::handle(*model), name), c.status);
    EXPECT_EQ(name, "mm");
    EXPECT_EQ(shownTexts(), std::vector<std::string>{c.line});
  }
}

TEST_F(ModelUnitTest, AModelWithoutAUnitSystemFailsThroughTheHost) {
  model->hasUnitSystem = false;
  std::string name;
  EXPECT_EQ(modelUnit(sim::handle(*model), name), PRO_TK_GENERAL_ERROR);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"Warning: ProMdlPrincipalunitsystemGet: (PRO_TK_GENERAL_ERROR)"});
}

TEST_F(ModelUnitTest, ALongNonAsciiExpressionIsCopiedWhole) {
  // 80 units that take two bytes each: 160 bytes, far more than units.
  model->lengthUnit = std::u16string(80, u'\u00B5');
  std::string name;
  EXPECT_EQ(modelUnit(sim::handle(*model), name), PRO_TK_NO_ERROR);
  EXPECT_EQ(name, sim::utf8(*model->lengthUnit));
  EXPECT_EQ(name.size(), 160u);
}

TEST(NarrowCopyTest, TheWholeUtf8FormOfAHostName) {
  EXPECT_EQ(narrowCopy(nullptr), "");
  EXPECT_EQ(narrowCopy(u""), "");
  EXPECT_EQ(narrowCopy(u"PART_01"), "PART_01");
  // 31 three-byte characters: 93 bytes.
  const std::u16string name(31, u'\u20AC');
  const std::string narrow = narrowCopy(name.c_str());
  EXPECT_EQ(narrow.size(), 93u);
  EXPECT_EQ(narrow, sim::utf8(name));
  // A character above U+FFFF: two units, four bytes.
  EXPECT_EQ(narrowCopy(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(ToWideTest, WellFormedText) {
  EXPECT_EQ(toWide(""), u"");
  EXPECT_EQ(toWide("CTI_Value_2"), u"CTI_Value_2");
  EXPECT_EQ(toWide("\xC3\xA9\xE2\x82\xAC"), u"\u00E9\u20AC");
  const std::u16string smiley = toWide("\xF0\x9F\x98\x80");
  ASSERT_EQ(smiley.size(), 2u);
  EXPECT_EQ(smiley, u"\U0001F600");
  EXPECT_EQ(toWide("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
  EXPECT_EQ(toWide(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(ToWideTest, IllFormedSequencesBecomeReplacementCharacters) {
  const struct {
    std::string utf8;
    std::u16string wide;
  } cases[] = {
      {"\xFF", u"\uFFFD"},
      {"a\x80z", u"a\uFFFDz"},                           // a stray continuation byte
      {"a\xC3", u"a\uFFFD"},                             // cut short at the end
      {"\xE2\x82x", u"\uFFFDx"},                         // cut short: one replacement for the prefix
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                     // overlong
      {"\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},           // overlong
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},           // a surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"ok\xC3\xA9\xC3", u"ok\u00E9\uFFFD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(toWide(c.utf8), c.wide) << sim::utf8(c.wide);
  }
}

}  // namespace
}  // namespace veltrosan::test
