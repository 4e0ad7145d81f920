// Files of user steps: every kind of step read, and every fault refused with
// the file and the place named.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/user_steps.hpp"
#include "support/temp_dir.hpp"

namespace {

using Kind = sim::UserStep::Kind;

TEST(UserSteps, EveryKindOfStepIsRead) {
  std::vector<sim::UserStep> steps;
  std::string error;
  ASSERT_TRUE(sim::parseUserSteps(R"([
      {"type": "CtiValue", "text": "CTI_\u00e9"},
      {"enter": "CtiValue"},
      {"press": "AttributeAdd"},
      {"check": "DeleteVTQ"},
      {"check": "DeleteVTQ", "checked": false},
      {"select": "veltrosanType0", "item": "Both"},
      {"select": "veltrosanType1", "items": ["Part", "Assembly"]},
      {"select": "veltrosanType2", "items": []},
      {"close": true}])",
                                  "steps.json", steps, error))
      << error;
  ASSERT_EQ(steps.size(), 9u);
  const Kind kinds[] = {Kind::Type,   Kind::Enter,  Kind::Press,  Kind::Check, Kind::Check,
                        Kind::Select, Kind::Select, Kind::Select, Kind::Close};
  for (size_t i = 0; i < steps.size(); ++i) EXPECT_EQ(steps[i].kind, kinds[i]) << i;
  EXPECT_EQ(steps[0].component, "CtiValue");
  EXPECT_EQ(steps[0].text, u"CTI_\u00e9");
  EXPECT_EQ(steps[2].component, "AttributeAdd");
  EXPECT_TRUE(steps[3].checked);
  EXPECT_FALSE(steps[4].checked);
  EXPECT_EQ(steps[5].items, std::vector<std::string>{"Both"});
  EXPECT_EQ(steps[6].items, (std::vector<std::string>{"Part", "Assembly"}));
  EXPECT_TRUE(steps[7].items.empty());
  EXPECT_EQ(steps[8].component, "");
}

TEST(UserSteps, AFaultyFileIsRefusedWithItsPlace) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"[{\"press\": \"Export\"", "s.json: not JSON"},
      {"{\"press\": \"Export\"}", "s.json: expected a list of steps"},
      {"[\"Export\"]", "s.json: /0: expected an object with one action"},
      {"[{\"press\": \"Export\"}, {}]", "s.json: /1: expected one action"},
      {"[{\"press\": \"Export\", \"close\": true}]", "s.json: /0: give one action per step, not 'press' and 'close'"},
      {"[{\"press\": \"Export\", \"text\": \"x\"}]", "s.json: /0/text: unknown field 'text'"},
      {"[{\"type\": \"CtiValue\"}]", "s.json: /0: a type step needs \"text\""},
      {"[{\"type\": \"CtiValue\", \"text\": 5}]", "s.json: /0/text: expected a text"},
      {"[{\"press\": \"\"}]", "s.json: /0/press: a name cannot be empty"},
      {"[{\"press\": 1}]", "s.json: /0/press: expected a text"},
      {"[{\"check\": \"DeleteVTQ\", \"checked\": 1}]", "s.json: /0/checked: expected true or false"},
      {"[{\"select\": \"m\", \"item\": \"a\", \"items\": []}]", "s.json: /0: a select step needs either"},
      {"[{\"select\": \"m\"}]", "s.json: /0: a select step needs either"},
      {"[{\"select\": \"m\", \"items\": \"a\"}]", "s.json: /0/items: expected a list of item names"},
      {"[{\"select\": \"m\", \"items\": [\"\"]}]", "s.json: /0/items/0: a name cannot be empty"},
      {"[{\"close\": false}]", "s.json: /0/close: expected true"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<sim::UserStep> steps = {sim::UserStep{}};
    std::string error;
    EXPECT_FALSE(sim::parseUserSteps(c.text, "s.json", steps, error));
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    EXPECT_EQ(steps.size(), 1u) << "the steps are left as they were";
  }
}

TEST(UserSteps, AFileThatCannotBeReadIsNamed) {
  veltrosan::test::TempDir folder;
  std::vector<sim::UserStep> steps;
  std::string error;
  const std::string missing = folder.file("missing.json");
  EXPECT_FALSE(sim::loadUserSteps(missing, steps, error));
  EXPECT_EQ(error, missing + ": cannot open the file");

  const std::string file = folder.file("steps.json");
  veltrosan::test::writeBytes(file, "[{\"press\": \"Export\"}]");
  ASSERT_TRUE(sim::loadUserSteps(file, steps, error)) << error;
  ASSERT_EQ(steps.size(), 1u);
  EXPECT_EQ(steps[0].component, "Export");
}

}  // namespace
