// The installation's message file: every key the gateway shows, in the
// host's format, with the arguments its callers pass.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "messages/messages.hpp"
#include "messages_fixture.hpp"

namespace veltrosan::test {
namespace {

using Strings = std::vector<std::string>;

// Conversions in a text: "%s" or "%Ns"; "%%" is a percent sign.
int conversions(const std::string& text) {
  int n = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (i + 1 < text.size() && text[i + 1] == '%') {
      ++i;
    } else {
      ++n;
    }
  }
  return n;
}

TEST_F(MessagesTest, InstalledFileHoldsEveryKeyInFourLineGroups) {
  std::ifstream in(std::filesystem::u8path(world().textDirectory + "/veltrosan_messages.txt"), std::ios::binary);
  ASSERT_TRUE(in) << "no message file in " << world().textDirectory;
  Strings lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size() % 4, 0u);

  std::map<std::string, std::string> texts;
  for (size_t i = 0; i < lines.size(); i += 4) {
    SCOPED_TRACE(lines[i]);
    EXPECT_EQ(lines[i].find('\r'), std::string::npos);
    EXPECT_FALSE(lines[i + 1].empty());
    EXPECT_EQ(lines[i + 2], "#");
    EXPECT_EQ(lines[i + 3], "#");
    EXPECT_TRUE(texts.emplace(lines[i], lines[i + 1]).second) << "key twice";
  }

  // Each key with the number of arguments its callers give it.
  const std::map<std::string, int> expected = {
      {"USER %s", 1},          {"CreoExportError", 0},   {"ExportVTQSuccess", 0},
      {"ExportVTQFailed", 0},  {"ExportVTQFile %0s", 1}, {"StandaloneSuccess", 0},
      {"StandaloneFailed", 0}, {"DeleteVTQFailed", 0},   {"VeltrosanGateway", 0},
  };
  Strings keys;
  for (const auto& entry : texts) keys.push_back(entry.first);
  Strings expectedKeys;
  for (const auto& entry : expected) expectedKeys.push_back(entry.first);
  EXPECT_EQ(keys, expectedKeys);
  for (const auto& [key, arguments] : expected) {
    EXPECT_EQ(conversions(texts[key]), arguments) << key;
  }
  // A warning or log line is shown exactly as composed.
  EXPECT_EQ(texts["USER %s"], "%s");
}

TEST_F(MessagesTest, InstalledKeysShowThroughTheHost) {
  const std::string path = "C:\\work\\bracket_2.vtq";
  ASSERT_EQ(displayMessage("ExportVTQFile %0s", {path}), PRO_TK_NO_ERROR);
  ASSERT_EQ(world().messages.current.size(), 1u);
  EXPECT_NE(world().messages.current[0].text.find(path), std::string::npos);

  for (const char* key : {"CreoExportError", "ExportVTQSuccess", "ExportVTQFailed", "StandaloneSuccess",
                          "StandaloneFailed", "DeleteVTQFailed", "VeltrosanGateway"}) {
    SCOPED_TRACE(key);
    EXPECT_EQ(displayMessage(key, {}), PRO_TK_NO_ERROR);
    ASSERT_EQ(world().messages.current.size(), 1u);
    EXPECT_FALSE(world().messages.current[0].text.empty());
  }
}

}  // namespace
}  // namespace veltrosan::test
