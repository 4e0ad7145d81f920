// Fixture of the end-to-end tests: the gateway module loaded by a host
// program and entered through its binding, its command invoked and its
// dialog played by a scripted user, against a world of the simulated host.
// The host's current directory is a fresh folder of each test. Natively the
// registry and the process start are the simulated ones; on Windows they are
// the real ones, and a stand-in of the standalone application records how it
// was started; the gateway's two keys are put back afterwards as the machine
// had them.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/host_program.hpp"
#include "sim/ui.hpp"
#include "sim/world.hpp"
#include "support/registry_guard.hpp"
#include "support/sim_fixture.hpp"
#include "support/temp_dir.hpp"
#include "support/transfer_file_reader.hpp"

namespace veltrosan::test {

inline constexpr char kDialog[] = "veltrosan";
inline constexpr char kCommand[] = "Veltrosan Gateway";
#ifdef _WIN32
inline constexpr char kSeparator[] = "\\";  // how the host's current directory ends
#else
inline constexpr char kSeparator[] = "/";
#endif
inline constexpr char kNoInstallKey[] = "Warning: Registry entry not defined: HKLM\\SOFTWARE\\Marbeltix\\Veltrosan\\Path";

// The world of most tests: the part "bracket", one box, with a CTI value and
// the parameter MATERIAL.
sim::Model& bracketPart();
// An assembly "bracket" of the parts "plate" and "pin".
sim::Model& bracketAssembly();

// The user's steps that add one attribute, MATERIAL, read on parts.
std::vector<sim::UserStep> addMaterial();

class ModuleTest : public testing_support::SimTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Loads the module and starts it as the host does; the start must succeed.
  void startGateway();
  // Queues the user's steps and invokes the command; the command's status.
  StatusCode runCommand(std::vector<sim::UserStep> steps);

  // Makes `folder` (UTF-8) the host's current directory, as given.
  static void setCurrentDirectory(const std::string& folder);
  // The output folder of the test as the host gives it: with a trailing separator.
  std::string outputFolder() const { return out.path() + kSeparator; }
  // The path the gateway names for `name` in the output folder.
  std::string outputFile(const std::string& name) const { return outputFolder() + name + ".vtq"; }

  // What the message area showed, in order: the text of a free line
  // (warnings, log lines), else the key and its arguments.
  static std::vector<std::string> lines();
  // The names in the folder, sorted.
  static std::vector<std::string> filesIn(const std::string& folder);

  // The standalone application. install(true) registers an install folder
  // from which it starts; install(false) one from which the start fails;
  // uninstall() leaves no install key.
  void install(bool startable);
  void uninstall();
  // A folder from which the standalone application starts: on Windows a
  // fresh folder holding the stand-in, natively a made-up one (and starts
  // succeed). Given a length, its text is padded with "\." to that many bytes.
  std::string startableFolder(size_t length = 0);
  // The install key with "Path" holding `folder` as string data, with its
  // NUL when `terminated`; the start's record is then looked for there.
  void registerInstallPath(const std::string& folder, bool terminated = true);
  // The install key without "Path"; the start's record is looked for where it was.
  void registerInstallKeyWithoutPath();
  // The registered install folder, as it appears in the command line.
  std::string installFolder() const { return installFolder_; }
  // The command line of every start of the standalone application, in
  // order. On Windows this waits for the stand-in's record when
  // `expectStart`; the record is looked for in the folder of the text
  // `from` (by default the install folder registered last).
  std::vector<std::string> startedCommandLines(bool expectStart = true, const std::string& from = {});
  // What the started application received as arguments (after its own
  // name): on Windows as the stand-in parsed them; natively split by hand.
  std::vector<std::string> startedArguments();

  // The user options key, so that the closing of the dialog saves into it,
  // and what it holds as "CtiParameter".
  void createOptionsKey();
  std::u16string storedCtiParameter();

  sim::ApplicationModule gateway;
  TempDir out;

 private:
  // The folder that holds the stand-in of the folder text, with or without
  // a trailing backslash.
  std::string recordFolderOf(const std::string& text) const;
  std::vector<std::unique_ptr<TempDir>> startableDirs_;
  std::vector<std::pair<std::string, std::string>> startable_;  // folder text, folder of the stand-in

  std::string installFolder_;
  std::unique_ptr<TempDir> installDir_;
  std::optional<KeyGuard> installKey_;
  std::optional<KeyGuard> optionsKey_;
};

std::string quoted(const std::string& text);

}  // namespace veltrosan::test
