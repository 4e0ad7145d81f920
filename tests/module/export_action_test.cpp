// The export action through the loaded module: every outcome of a press of
// "Export", the free file name, a press after a failure, and the path of the
// written file wherever the gateway names it.
#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "host/win32.h"
#include "module_fixture.hpp"
#include "sim/text.hpp"
#include "support/registry.hpp"

namespace veltrosan::test {
namespace {

namespace fs = std::filesystem;
namespace user = sim::user;
using ::testing::ElementsAre;
using Strings = std::vector<std::string>;

std::string readText(const std::string& path) {
  const std::vector<std::uint8_t> bytes = vtq::readBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

int calls(const std::string& function) { return sim::world().log.count(function); }

class ExportAction : public ModuleTest {};

// The state the host reports for the check button "DeleteVTQ". Only 1
// counts as set; the host may hand out any other value of its type.
const int kCheckButtonStates[] = {0, 1, 2, -1};

std::string checkButtonName(const ::testing::TestParamInfo<int>& param) {
  switch (param.param) {
    case 0: return "NotSet";
    case 1: return "Set";
    case -1: return "StateMinusOne";
    default: return "State" + std::to_string(param.param);
  }
}

// The user's step that leaves the check button in `state`.
std::vector<sim::UserStep> checkButtonSteps(int state) {
  if (state == 0 || state == 1) return {user::check("DeleteVTQ", state == 1)};
  return {user::check("DeleteVTQ"),
          user::run([state] { sim::findComponent(kDialog, "DeleteVTQ")->reportedState = state; })};
}

#ifndef _WIN32
// What the start's arguments hold beyond the command line, where they are
// not as the start needs them: none, no security attributes, handles kept,
// no flags, the host's environment and folder, a STARTUPINFOA with its size
// alone and a PROCESS_INFORMATION empty until the start fills it.
Strings unexpectedStartArguments(const sim::StartedProcess& started) {
  Strings found;
  if (started.applicationNameGiven) found.push_back("an application name");
  if (started.inheritHandles) found.push_back("handles inherited");
  if (started.creationFlags != 0) found.push_back("creation flags " + std::to_string(started.creationFlags));
  if (started.environmentGiven) found.push_back("an environment");
  if (started.directoryGiven) found.push_back("a current directory");
  if (started.startupInfoSize != 104) found.push_back("STARTUPINFOA size " + std::to_string(started.startupInfoSize));
  for (const auto& field : started.startupInfoFieldsSet) found.push_back("STARTUPINFOA." + field);
  for (const auto& field : started.processInformationFieldsSet) found.push_back("PROCESS_INFORMATION." + field);
  return found;
}
#endif

// Written and started, with the check button set (the application is to
// delete the file), not set, or in a state other than 0 and 1.
class WrittenAndStarted : public ModuleTest, public ::testing::WithParamInterface<int> {};

TEST_P(WrittenAndStarted, ShowsTheFileStartsTheApplicationAndExits) {
  const bool deleteFile = GetParam() == 1;
  bracketPart();
  install(true);
  startGateway();
  std::vector<sim::UserStep> steps = addMaterial();
  for (auto step : checkButtonSteps(GetParam())) steps.push_back(step);
  steps.push_back(user::press("Export"));
  ASSERT_EQ(runCommand(steps), PRO_TK_NO_ERROR);

  const std::string path = outputFile("bracket");
  EXPECT_THAT(lines(), ElementsAre(deleteFile ? "ExportVTQSuccess" : "ExportVTQFile %0s " + path, "StandaloneSuccess"));
  EXPECT_TRUE(world().messages.current.empty()) << "the message area is cleared as the dialog exits";
  EXPECT_EQ(calls("ProUIDialogExit"), 1);
  const std::string commandLine =
      quoted(installFolder() + "\\Veltrosan.exe") + " " + quoted(path) + (deleteFile ? " -d" : "");
  EXPECT_THAT(startedCommandLines(), ElementsAre(commandLine));
  EXPECT_EQ(startedArguments(), (deleteFile ? Strings{path, "-d"} : Strings{path}));
#ifndef _WIN32
  ASSERT_EQ(world().os.processes.size(), 1u);
  EXPECT_THAT(unexpectedStartArguments(world().os.processes[0]), ::testing::IsEmpty());
  EXPECT_TRUE(world().os.openHandles.empty()) << "the process and thread handles are closed";
#endif

#ifdef _WIN32
  if (deleteFile) {
    EXPECT_FALSE(exists(path)) << "the application deletes the file when told so";
    return;
  }
#endif
  const vtq::File file = vtq::readFile(path);
  EXPECT_EQ(file.header.name, "bracket");
  ASSERT_EQ(file.parts.size(), 1u);
  EXPECT_EQ(file.parts[0].cti, 400);
  EXPECT_THAT(file.parts[0].parameters, ElementsAre(vtq::WidePair{u"MATERIAL", u"PA66-GF30"}));
  EXPECT_EQ(file.instances.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(CheckButton, WrittenAndStarted, ::testing::ValuesIn(kCheckButtonStates), checkButtonName);

// Written, but the application could not be started: the gateway deletes
// the file only when the check button asked for its deletion.
class StartFailed : public ModuleTest, public ::testing::WithParamInterface<int> {};

TEST_P(StartFailed, DeletesTheFileOnlyWhenAskedTo) {
  const bool deleteFile = GetParam() == 1;
  bracketPart();
  install(false);
  startGateway();
  std::vector<sim::UserStep> steps = checkButtonSteps(GetParam());
  steps.push_back(user::press("Export"));
  ASSERT_EQ(runCommand(steps), PRO_TK_NO_ERROR);

  const std::string path = outputFile("bracket");
  EXPECT_THAT(lines(), ElementsAre(deleteFile ? "ExportVTQSuccess" : "ExportVTQFile %0s " + path, "StandaloneFailed"));
  EXPECT_TRUE(world().messages.current.empty());
  EXPECT_EQ(calls("ProUIDialogExit"), 1);
  EXPECT_TRUE(startedCommandLines(false).empty());
  EXPECT_EQ(exists(path), !deleteFile);
}

INSTANTIATE_TEST_SUITE_P(CheckButton, StartFailed, ::testing::ValuesIn(kCheckButtonStates), checkButtonName);

TEST_F(ExportAction, AFileThatCannotBeDeletedIsReported) {
  bracketPart();
  install(false);
  startGateway();
  const std::string path = outputFile("bracket");
#ifdef _WIN32
  // Held without read or delete sharing: the probe cannot open it, so the
  // name counts as free; the writer can still write it; nobody can delete it.
  HANDLE holder = CreateFileW(reinterpret_cast<const wchar_t*>(sim::utf16(path).c_str()), GENERIC_WRITE,
                              FILE_SHARE_WRITE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
#else
  // As the start fails, something takes the file's place that cannot be removed.
  world().os.onStart = [path](const std::string&) {
    fs::remove(fs::u8path(path));
    makeDirectory(path + "/held");
  };
#endif
  ASSERT_EQ(runCommand({user::check("DeleteVTQ"), user::press("Export")}), PRO_TK_NO_ERROR);
  EXPECT_THAT(lines(), ElementsAre("ExportVTQSuccess", "StandaloneFailed", "DeleteVTQFailed"));
  EXPECT_EQ(calls("ProUIDialogExit"), 1);
  EXPECT_TRUE(exists(path));
#ifdef _WIN32
  CloseHandle(holder);
  EXPECT_EQ(vtq::readFile(path).header.name, "bracket") << "the writer wrote the held file";
#endif
}

// Without the install key the export goes on, and the start is tried with
// an empty install folder.
TEST_F(ExportAction, WithoutTheInstallKeyTheStartIsTriedFromAnEmptyFolder) {
  bracketPart();
  uninstall();
#ifndef _WIN32
  world().os.processesStart = true;  // an application at the root of the drive
#endif
  startGateway();
  ASSERT_EQ(runCommand({user::press("Export")}), PRO_TK_NO_ERROR);
  const std::string path = outputFile("bracket");
#ifdef _WIN32
  // None sits at the root of the drive here.
  EXPECT_THAT(lines(), ElementsAre(kNoInstallKey, "ExportVTQFile %0s " + path, "StandaloneFailed"));
#else
  EXPECT_THAT(lines(), ElementsAre(kNoInstallKey, "ExportVTQFile %0s " + path, "StandaloneSuccess"));
  EXPECT_THAT(startedCommandLines(), ElementsAre("\"\\Veltrosan.exe\" " + quoted(path)));
#endif
  EXPECT_EQ(vtq::readFile(path).header.name, "bracket");
  EXPECT_EQ(calls("ProUIDialogExit"), 1);
}

// The install folder is read again at every press that gets past the walk.
// A read that succeeds replaces it; one that fails (no key, a key without
// "Path", a value longer than the 512 bytes read) shows the warning and keeps
// what an earlier press of the same dialog read. A value of exactly 512
// bytes without a NUL is taken whole, and a trailing backslash stays, so that
// two stand before the application's name. Every press but the last fails at
// the check button, after the read; the last one starts the application.
TEST_F(ExportAction, TheInstallFolderIsReadAtEachPressAndKeptWhenAReadFails) {
  enum Registry { FolderA, FolderB, EndsInBackslash, Exactly512Bytes, LongerThan512Bytes, KeyWithoutPath, NoKey };
  struct Case {
    const char* name;
    std::vector<Registry> presses;       // what the registry holds at each press
    std::optional<Registry> startsFrom;  // the folder the command line names; none: the empty one
  };
  const Case cases[] = {
      {"KeyWithoutPath", {KeyWithoutPath}, std::nullopt},
      {"LongerThan512Bytes", {LongerThan512Bytes}, std::nullopt},
      {"Exactly512Bytes", {Exactly512Bytes}, Exactly512Bytes},
      {"EndsInBackslash", {EndsInBackslash}, EndsInBackslash},
      {"LaterReadsReplaceIt", {KeyWithoutPath, FolderA, FolderB}, FolderB},
      {"FailedReadsKeepIt", {FolderA, KeyWithoutPath, LongerThan512Bytes, NoKey}, FolderA},
  };
  bracketPart();
  startGateway();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::map<Registry, std::string> folders;
    folders[FolderA] = startableFolder();
    folders[FolderB] = startableFolder();
    folders[EndsInBackslash] = startableFolder() + "\\";
    folders[Exactly512Bytes] = startableFolder(512);
    ASSERT_EQ(folders[Exactly512Bytes].size(), 512u);
    auto registerFor = [&folders, this](Registry state) {
      switch (state) {
        case KeyWithoutPath: registerInstallKeyWithoutPath(); break;
        case NoKey: deleteKey(HKEY_LOCAL_MACHINE, kInstallKey); break;
        // A path of 512 characters stored with its NUL: 513 bytes.
        case LongerThan512Bytes: registerInstallPath(folders[Exactly512Bytes], true); break;
        case Exactly512Bytes: registerInstallPath(folders[state], false); break;
        default: registerInstallPath(folders[state]); break;
      }
    };
    auto readFails = [](Registry state) { return state == KeyWithoutPath || state == LongerThan512Bytes || state == NoKey; };

    const std::string folder = out.file(c.name);
    makeDirectory(folder);
    setCurrentDirectory(folder + kSeparator);
    const std::string path = folder + kSeparator + "bracket.vtq";
    world().messages.shown.clear();
    world().faults.failFrom("ProUICheckbuttonGetState", world().faults.calls("ProUICheckbuttonGetState") + 1,
                            PRO_TK_GENERAL_ERROR);
    std::vector<sim::UserStep> steps;
    Strings expected;
    for (size_t k = 0; k < c.presses.size(); ++k) {
      const bool last = k + 1 == c.presses.size();
      const Registry state = c.presses[k];
      steps.push_back(user::run([&registerFor, state, last] {
        registerFor(state);
        if (last) sim::world().faults.clear();
      }));
      steps.push_back(user::press("Export"));
      if (readFails(state)) expected.push_back(kNoInstallKey);
      if (!last) expected.push_back("Warning: ProUICheckbuttonGetState: (PRO_TK_GENERAL_ERROR)");
    }
    ASSERT_EQ(runCommand(steps), PRO_TK_NO_ERROR);

    const std::string from = c.startsFrom ? folders[*c.startsFrom] : std::string();
    expected.push_back("ExportVTQFile %0s " + path);
#ifdef _WIN32
    // No application sits at the root of the drive here.
    if (!c.startsFrom) {
      expected.push_back("StandaloneFailed");
      EXPECT_EQ(lines(), expected);
      continue;
    }
#endif
    expected.push_back("StandaloneSuccess");
    EXPECT_EQ(lines(), expected);
    EXPECT_THAT(startedCommandLines(true, from), ElementsAre(quoted(from + "\\Veltrosan.exe") + " " + quoted(path)));
#ifndef _WIN32
    world().os.processes.clear();
#endif
  }
}

TEST_F(ExportAction, AllThousandNamesTakenKeepsTheDialogOpen) {
  bracketPart();
  install(true);
  startGateway();
  writeBytes(outputFile("bracket"), "taken");
  for (int i = 1; i <= 999; ++i) writeBytes(outputFile("bracket_" + std::to_string(i)), "taken");

  Strings failed;
  int exits = -1;
  auto look = [&] {
    failed = lines();
    exits = calls("ProUIDialogExit");
  };
  ASSERT_EQ(runCommand({user::check("DeleteVTQ"), user::press("Export"), user::run(look), user::press("Cancel")}),
            PRO_TK_NO_ERROR);
  EXPECT_THAT(failed, ElementsAre("ExportVTQFailed"));
  EXPECT_EQ(exits, 0) << "the dialog stays open";
  EXPECT_EQ(calls("ProUICheckbuttonGetState"), 0);
  EXPECT_TRUE(startedCommandLines(false).empty());
  const Strings files = filesIn(out.path());
  EXPECT_EQ(files.size(), 1000u);
  for (const auto& name : {std::string("bracket.vtq"), std::string("bracket_500.vtq"), std::string("bracket_999.vtq")})
    EXPECT_EQ(readText(out.file(name)), "taken") << name;
}

// One press that fails and leaves the dialog open, and a second press after
// the cause is gone: the second writes what a first press of a fresh
// command writes, because the failure emptied the model.
struct Failure {
  const char* name;
  std::function<void(const std::string&)> arrange;  // before the command, given the output folder
  std::function<void()> repair;              // between the two presses
  Strings lines;                             // what the failed press shows
  size_t errorDialogs;                       // export-error dialogs shown
};

void PrintTo(const Failure& failure, std::ostream* os) { *os << failure.name; }

class FailedPress : public ModuleTest, public ::testing::WithParamInterface<Failure> {};

std::string missingFolder;

void arrangeMissingFolder(const std::string& output) {
  missingFolder = output + "/later";
  sim::world().currentDirectory = sim::utf16(missingFolder + kSeparator);
}

TEST_P(FailedPress, KeepsTheDialogOpenAndThePressAfterItWritesAFreshModel) {
  const Failure& failure = GetParam();
  bracketAssembly();
  uninstall();
  startGateway();
  failure.arrange(out.path());
  const std::u16string folder = world().currentDirectory;

  Strings failed;
  Strings filesAfterFailure;
  int exits = -1;
  size_t dialogs = 0;
  auto look = [&] {
    failed = lines();
    exits = calls("ProUIDialogExit");
    dialogs = world().messages.dialogs.size();
    filesAfterFailure = filesIn(out.path());
    world().messages.shown.clear();
    failure.repair();
  };
  std::vector<sim::UserStep> steps = addMaterial();
  for (auto step : {user::press("Export"), user::run(look), user::press("Export")}) steps.push_back(step);
  ASSERT_EQ(runCommand(steps), PRO_TK_NO_ERROR);

  EXPECT_EQ(failed, failure.lines);
  EXPECT_EQ(exits, 0) << "the dialog stays open";
  EXPECT_EQ(dialogs, failure.errorDialogs);
  EXPECT_EQ(filesAfterFailure, Strings{}) << "nothing is written";
  const std::string path = sim::utf8(folder) + "bracket.vtq";
  const Strings second = lines();
  EXPECT_THAT(second, ElementsAre(kNoInstallKey, "ExportVTQFile %0s " + path, "StandaloneFailed"));

  // A first press of a fresh command, into another folder.
  TempDir fresh;
  setCurrentDirectory(fresh.path() + kSeparator);
  world().messages.shown.clear();
  ASSERT_EQ(runCommand([] {
              std::vector<sim::UserStep> s = addMaterial();
              s.push_back(user::press("Export"));
              return s;
            }()),
            PRO_TK_NO_ERROR);
  const std::string reference = fresh.path() + kSeparator + "bracket.vtq";
  EXPECT_THAT(lines(), ElementsAre(kNoInstallKey, "ExportVTQFile %0s " + reference, "StandaloneFailed"));
  EXPECT_EQ(vtq::readBytes(path), vtq::readBytes(reference));
  EXPECT_EQ(vtq::readFile(path).instances.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, FailedPress,
    ::testing::Values(
        Failure{"WalkFails",
                [](const std::string&) { sim::world().faults.failOn("ProAsmcompIsBulkitem", 2, PRO_TK_GENERAL_ERROR); },
                [] {},
                {"Warning: ProAsmcompIsBulkitem: (PRO_TK_GENERAL_ERROR)",
                 "Warning: CreoExport::processPart: (PRO_TK_GENERAL_ERROR)",
                 "Warning: ProSolidFeatVisit: (PRO_TK_GENERAL_ERROR)"},
                1},
        Failure{"WalkAndErrorDialogFail",
                [](const std::string&) {
                  sim::world().faults.failOn("ProAsmcompIsBulkitem", 2, PRO_TK_GENERAL_ERROR);
                  sim::world().faults.failOn("ProUIMessageDialogDisplay", 1, PRO_TK_GENERAL_ERROR);
                },
                [] {},
                {"Warning: ProAsmcompIsBulkitem: (PRO_TK_GENERAL_ERROR)",
                 "Warning: CreoExport::processPart: (PRO_TK_GENERAL_ERROR)",
                 "Warning: ProSolidFeatVisit: (PRO_TK_GENERAL_ERROR)",
                 "Warning: ProUIMessageDialogDisplay: (PRO_TK_GENERAL_ERROR)",
                 "Warning: ShowMessage: (PRO_TK_GENERAL_ERROR)"},
                0},
        Failure{"CheckButtonUnreadable",
                [](const std::string&) { sim::world().faults.failOn("ProUICheckbuttonGetState", 1, PRO_TK_E_NOT_FOUND); },
                [] {},
                {kNoInstallKey, "Warning: ProUICheckbuttonGetState: (PRO_TK_E_NOT_FOUND)"},
                0},
        Failure{"FileNotWritten", arrangeMissingFolder, [] { makeDirectory(missingFolder); },
                {kNoInstallKey, "ExportVTQFailed"}, 0}),
    [](const ::testing::TestParamInfo<Failure>& param) { return std::string(param.param.name); });

TEST_F(ExportAction, TheFirstFreeCandidateIsChosen) {
  struct Case {
    Strings present;
    std::string chosen;
  };
  const Case cases[] = {
      {{}, "bracket"},
      {{"bracket"}, "bracket_1"},
      {{"bracket", "bracket_1"}, "bracket_2"},
      {{"bracket_1"}, "bracket"},
      {{"bracket", "bracket_2"}, "bracket_1"},
      {[] {
         Strings present{"bracket"};
         for (int i = 1; i <= 998; ++i) present.push_back("bracket_" + std::to_string(i));
         return present;
       }(),
       "bracket_999"},
  };
  bracketPart();
  uninstall();
  startGateway();
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.chosen);
    const std::string folder = out.file(std::to_string(i));
    makeDirectory(folder);
    Strings expected;
    for (const auto& name : c.present) {
      writeBytes(folder + "/" + name + ".vtq", "taken");
      expected.push_back(name + ".vtq");
    }
    expected.push_back(c.chosen + ".vtq");
    std::sort(expected.begin(), expected.end());
    setCurrentDirectory(folder + kSeparator);
    ASSERT_EQ(runCommand({user::press("Export")}), PRO_TK_NO_ERROR);
    EXPECT_EQ(filesIn(folder), expected);
    EXPECT_EQ(vtq::readFile(folder + "/" + c.chosen + ".vtq").header.name, c.chosen);
    for (const auto& name : c.present) EXPECT_EQ(readText(folder + "/" + name + ".vtq"), "taken");
  }
}

// A current directory without a trailing separator: the probe, the message,
// the command line and the deletion name the file the writer wrote, inside
// the folder, never the folder's name with the file name glued to it.
TEST_F(ExportAction, AFolderWithoutTrailingSeparatorNamesTheWrittenFile) {
  bracketPart();
  startGateway();
  const std::string folder = out.file("out");
  makeDirectory(folder);
  writeBytes(folder + "bracket.vtq", "decoy");
  writeBytes(folder + "bracket_1.vtq", "decoy");
  setCurrentDirectory(folder);

  install(true);
  ASSERT_EQ(runCommand({user::press("Export")}), PRO_TK_NO_ERROR);
  const std::string written = folder + "/bracket.vtq";
  EXPECT_THAT(lines(), ElementsAre("ExportVTQFile %0s " + written, "StandaloneSuccess"));
  EXPECT_THAT(startedCommandLines(), ElementsAre(quoted(installFolder() + "\\Veltrosan.exe") + " " + quoted(written)));
  EXPECT_EQ(vtq::readFile(written).header.name, "bracket");

  // Again, with the start failing and the check button set: the probe finds
  // bracket.vtq inside the folder, and the file deleted is the one written.
  world().messages.shown.clear();
  install(false);
  ASSERT_EQ(runCommand({user::check("DeleteVTQ"), user::press("Export")}), PRO_TK_NO_ERROR);
  EXPECT_THAT(lines(), ElementsAre("ExportVTQSuccess", "StandaloneFailed"));
  EXPECT_EQ(filesIn(folder), Strings{"bracket.vtq"});
  EXPECT_EQ(readText(folder + "bracket.vtq"), "decoy");
  EXPECT_EQ(readText(folder + "bracket_1.vtq"), "decoy");
}

// A folder with characters outside any ANSI code page: the probe, the writer
// and the deletion all open the path as UTF-8, so they name one file.
TEST_F(ExportAction, ANonAsciiFolderNamesOneFileForProbeWriterAndDeletion) {
  bracketPart();
  uninstall();
  startGateway();
  const std::string folder = out.file("Ausgabe-\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1-\xE6\x97\xA5\xE6\x9C\xAC");
  makeDirectory(folder);
  writeBytes(folder + "/bracket.vtq", "taken");
  setCurrentDirectory(folder + kSeparator);

  ASSERT_EQ(runCommand({user::press("Export")}), PRO_TK_NO_ERROR);
  const std::string first = folder + kSeparator + "bracket_1.vtq";
  EXPECT_THAT(lines(), ElementsAre(kNoInstallKey, "ExportVTQFile %0s " + first, "StandaloneFailed"));
  EXPECT_EQ(vtq::readFile(first).header.name, "bracket_1");

  world().messages.shown.clear();
  ASSERT_EQ(runCommand({user::check("DeleteVTQ"), user::press("Export")}), PRO_TK_NO_ERROR);
  EXPECT_THAT(lines(), ElementsAre(kNoInstallKey, "ExportVTQSuccess", "StandaloneFailed"));
  EXPECT_EQ(filesIn(folder), (Strings{"bracket.vtq", "bracket_1.vtq"})) << "bracket_2.vtq written and deleted";
  EXPECT_EQ(readText(folder + "/bracket.vtq"), "taken");
  EXPECT_EQ(calls("ProUIDialogExit"), 2);
}

// The Export action is a plain function of the module; a host that called
// it after the command has ended would find no session to work on.
TEST_F(ExportAction, AnExportActionCalledAfterTheSessionEndedDoesNothing) {
  bracketPart();
  install(true);
  startGateway();
  ProUIAction exportAction = nullptr;
  auto grab = [&] { exportAction = sim::findComponent(kDialog, "Export")->activate.action; };
  ASSERT_EQ(runCommand({user::run(grab), user::press("Cancel")}), PRO_TK_NO_ERROR);
  ASSERT_NE(exportAction, nullptr);

  const size_t logged = world().log.calls().size();
  char dialog[] = "veltrosan";
  char component[] = "Export";
  exportAction(dialog, component, nullptr);
  EXPECT_EQ(world().log.calls().size(), logged) << "no host call";
  EXPECT_TRUE(filesIn(out.path()).empty());
  EXPECT_TRUE(startedCommandLines(false).empty());
}

}  // namespace
}  // namespace veltrosan::test
