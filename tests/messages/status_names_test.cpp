#include "messages/status_names.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>
#include <string>

namespace veltrosan {
namespace {

struct NameCase {
  StatusCode status;
  const char* name;
};

// The ends of every named run and the unnamed codes right beside them.
const NameCase kNames[] = {
    {0, "PRO_TK_NO_ERROR"},
    {-1, "PRO_TK_GENERAL_ERROR"},
    {-4, "PRO_TK_E_NOT_FOUND"},
    {-23, "PRO_TK_NOT_EXIST"},
    {-28, "PRO_TK_MSG_NOT_FOUND"},
    {-60, "PRO_TK_AUTHENTICATION_FAILURE"},
    {-61, "-61"},
    {-65, "-65"},
    {-88, "-88"},
    {-89, "PRO_TK_APP_TOO_OLD"},
    {-99, "PRO_TK_APP_UNLOCK"},
    {-100, "-100"},
    {-999, "-999"},
    {-1000, "VELTROSAN_NOT_SUPPORTED"},
    {-1001, "VELTROSAN_NOT_SUPPORTED_TYPE"},
    {-1002, "VELTROSAN_FILE_ACCESS"},
    {-1003, "VELTROSAN_TESSELLATION_FAILED"},
    {-1004, "-1004"},
    {-1009, "-1009"},
    {-1010, "VELTROSAN_RESTART"},
    {-1011, "VELTROSAN_CONTINUE"},
    {-1012, "VELTROSAN_LOAD"},
    {-1013, "VELTROSAN_STORE"},
    {-1014, "-1014"},
    {1, "1"},
    {3, "3"},
    {1000, "1000"},
    {std::numeric_limits<std::int32_t>::max(), "2147483647"},
    {std::numeric_limits<std::int32_t>::min(), "-2147483648"},
};

TEST(ErrorName, NamesTheNamedCodesAndGivesTheNumberOfEveryOther) {
  for (const auto& c : kNames) {
    EXPECT_EQ(errorName(c.status), c.name) << "status " << c.status;
  }
}

// Exactly the 72 host codes and the 8 own codes have names, each its own,
// and every other value in and around their ranges reads as plain decimal.
TEST(ErrorName, EightyDistinctNamesAndNothingElse) {
  std::set<std::string> names;
  int hostNames = 0;
  int ownNames = 0;
  for (StatusCode s = -1100; s <= 100; ++s) {
    const std::string name = errorName(s);
    if (name == std::to_string(s)) continue;
    EXPECT_TRUE(names.insert(name).second) << name << " names two codes";
    if (name.rfind("PRO_TK_", 0) == 0) {
      ++hostNames;
      EXPECT_TRUE((s <= 0 && s >= -60) || (s <= -89 && s >= -99)) << name << " for " << s;
    } else if (name.rfind("VELTROSAN_", 0) == 0) {
      ++ownNames;
      EXPECT_TRUE((s <= -1000 && s >= -1003) || (s <= -1010 && s >= -1013)) << name << " for " << s;
    } else {
      ADD_FAILURE() << "status " << s << " gives " << name;
    }
    EXPECT_EQ(name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_"), std::string::npos) << name;
  }
  EXPECT_EQ(hostNames, 72);
  EXPECT_EQ(ownNames, 8);
}

}  // namespace
}  // namespace veltrosan
