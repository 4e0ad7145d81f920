// Fixture of the message tests: a fresh simulated host whose message file
// name is set, as the command does at the start of every run.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "messages/messages.hpp"
#include "support/sim_fixture.hpp"
#include "support/temp_dir.hpp"

namespace veltrosan::test {

class MessagesTest : public testing_support::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    setMessageFile();
  }

  // The texts the message area holds now, oldest first.
  static std::vector<std::string> currentTexts() {
    std::vector<std::string> out;
    for (const auto& line : world().messages.current) out.push_back(line.text);
    return out;
  }

  // Points the host's text directory at a folder of this test that holds a
  // message file with these entries (key, text), in the host's format.
  void useMessageFile(const std::vector<std::pair<std::string, std::string>>& entries) {
    textDirectory_ = std::make_unique<TempDir>();
    std::string contents;
    for (const auto& [key, text] : entries) contents += key + "\n" + text + "\n#\n#\n";
    writeBytes(textDirectory_->file("veltrosan_messages.txt"), contents);
    world().textDirectory = textDirectory_->path();
  }

 private:
  std::unique_ptr<TempDir> textDirectory_;
};

}  // namespace veltrosan::test
