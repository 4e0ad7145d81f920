// Every call that the gateway makes to the host, the registry and the
// process start, made to fail at each of its uses, once and from that use
// on, in each main scenario of the gateway. Whatever fails, nothing may
// crash or leak, the dialog and the export session must be gone by the end
// of the command, a failed step must show something, and no message may
// claim a file that is not there complete.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "export/creo_export.hpp"
#include "host/binding.h"
#include "host/win32.h"
#include "messages/messages.hpp"
#include "shell/attributes.hpp"
#include "shell/export_action.hpp"
#include "shell/gui.hpp"
#include "shell/options.hpp"
#include "sim/scene.hpp"
#include "sim/text.hpp"
#include "sim/ui.hpp"
#include "support/registry.hpp"
#include "support/sim_fixture.hpp"
#include "support/temp_dir.hpp"
#include "support/transfer_file_reader.hpp"

namespace veltrosan::test {
namespace {

namespace fs = std::filesystem;
namespace user = sim::user;

bool isWin32(const std::string& f) { return f.rfind("Reg", 0) == 0 || f == "CreateProcessA" || f == "CloseHandle"; }

// Calls whose failure the gateway does not report: the user options are
// silent by design, and the results of these others are not looked at.
bool isSilent(const std::string& f) {
  static const std::set<std::string> silent = {"RegOpenKeyExW", "RegQueryValueExW", "RegSetValueExW", "RegCloseKey",
                                               "CloseHandle",   "ProMessageClear",  "ProMessageDisplay",
                                               "ProUIDialogExit"};
  return silent.count(f) != 0;
}

struct Scenario {
  std::string name;
  std::function<void()> prepare;  // the world before the run, the gateway loaded
  std::function<void()> run;
  bool deleteChecked = false;     // whether the user sets "DeleteVTQ"
};

class FaultSweep : public testing_support::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    output_ = std::make_unique<TempDir>();
  }

  // A fresh host world. Of the gateway's process-wide state only the CTI
  // name is set back, which keeps its value between sessions by design: the
  // rest must be as at load after every session, whatever failed in it, and
  // checkCase sees to that, so each case also shows that the next session
  // starts afresh.
  void fresh(const Scenario& scenario) {
    sim::reset();
    ctiParameterName = u"COMPARATIVE_TRACKING_INDEX";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::u8path(output_->path()))) fs::remove_all(entry.path(), error);
    scenario.prepare();
    world().currentDirectory = sim::utf16(output_->path() + "/");
    world().log.clear();
    world().faults.clear();
  }

  // The host calls of a clean run, by function and number of uses.
  std::map<std::string, int> cleanRun(const Scenario& scenario) {
    fresh(scenario);
    scenario.run();
    world().ui.script.clear();
    std::map<std::string, int> counts;
    for (const auto& [function, count] : world().log.counts())
      if (sim::isHostCall(function)) counts[function] = count;
    releaseLeftovers();
    expectLedgerClean();
    return counts;
  }

  std::vector<std::string> outputFiles() const {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(fs::u8path(output_->path())))
      files.push_back(entry.path().filename().u8string());
    return files;
  }

  // Whether the gateway put up the keyed message: what it claims, whether
  // or not the host managed to show it.
  bool shownKey(const std::string& key) const {
    const std::string suffix = "," + key;
    for (const auto& call : world().log.calls()) {
      if (call.function == "ProMessageDisplay" && call.args.size() >= suffix.size() &&
          call.args.compare(call.args.size() - suffix.size(), suffix.size(), suffix) == 0) {
        return true;
      }
    }
    return false;
  }

  void checkCase(const Scenario& scenario, const std::string& function) {
    world().ui.script.clear();       // steps a dialog that failed early never played
    world().ui.missedSteps.clear();  // steps on rows that a failure left unbuilt
    auto& w = world();
    if (function == "ProUIDialogDestroy" && sim::findDialog("veltrosan") != nullptr) {
      // Reported and left to the host.
      w.faults.clear();
      EXPECT_EQ(ProUIDialogDestroy("veltrosan"), PRO_TK_NO_ERROR);
    }
    EXPECT_EQ(sim::findDialog("veltrosan"), nullptr) << "dialog left behind";
    EXPECT_EQ(activeExportSession, nullptr) << "export session left behind";
    EXPECT_TRUE(attributeList.empty()) << "the attribute list outlived the dialog";
    EXPECT_TRUE(Attributes::rowNames.empty()) << "row names outlived the dialog";
    EXPECT_EQ(Attributes::rowCount, 0);
    EXPECT_EQ(Attributes::columnNames, nullptr);
    EXPECT_EQ(Attributes::columnCount, 0);
    EXPECT_EQ(Attributes::typeItemNames, nullptr);
    EXPECT_EQ(Attributes::typeItemCount, 0);
    if (!isSilent(function)) {
      EXPECT_FALSE(w.messages.shown.empty()) << "a failed step shows something";
    }

    // What the messages claim about the file.
    const std::vector<std::string> files = outputFiles();
    const bool written = shownKey("ExportVTQSuccess") || shownKey("ExportVTQFile %0s");
    const bool removedByGateway =
        scenario.deleteChecked && shownKey("StandaloneFailed") && !shownKey("DeleteVTQFailed");
    if (written && !removedByGateway) {
      ASSERT_EQ(files.size(), 1u) << "the file that the message names";
      const std::string path = output_->file(files[0]);
      try {
        const vtq::File file = vtq::readFile(path);
        EXPECT_EQ(file.header.name + ".vtq", files[0]);
      } catch (const std::exception& e) {
        ADD_FAILURE() << "the written file does not read: " << e.what();
      }
    } else {
      EXPECT_TRUE(files.empty()) << "a file without a message that it was written: " << files[0];
    }
    if (shownKey("ExportVTQFailed")) {
      EXPECT_FALSE(written);
    }

    // Held now may be only what a release or close made to fail was given.
    releaseLeftovers();
    expectLedgerClean();
  }

  // Fails every call of a clean run at each of its uses, or at `limit` uses
  // spread over them (the first, the second and the last among them) for a
  // call made more often; with both statuses of its kind or only the one at
  // `statusIndex`, and once and onward or only as `onward` says.
  int sweep(const Scenario& scenario, int limit = 1 << 30, int statusIndex = -1, int onwardOnly = -1) {
    const std::map<std::string, int> counts = cleanRun(scenario);
    int calls = 0;
    for (const auto& entry : counts) calls += entry.second;
    int cases = 0;
    for (const auto& [function, count] : counts) {
      const std::vector<StatusCode> statuses = isWin32(function)
                                                   ? std::vector<StatusCode>{ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND}
                                                   : std::vector<StatusCode>{PRO_TK_GENERAL_ERROR, PRO_TK_E_NOT_FOUND};
      for (const int n : uses(count, limit)) {
        for (int si = 0; si < 2; ++si) {
          if (statusIndex >= 0 && si != statusIndex) continue;
          for (const bool onward : {false, true}) {
            if (onwardOnly >= 0 && onward != (onwardOnly == 1)) continue;
            SCOPED_TRACE(scenario.name + ": " + function + " #" + std::to_string(n) + (onward ? " onward" : " once") +
                         " answering " + std::to_string(statuses[static_cast<size_t>(si)]));
            fresh(scenario);
            if (onward) {
              world().faults.failFrom(function, n, statuses[static_cast<size_t>(si)]);
            } else {
              world().faults.failOn(function, n, statuses[static_cast<size_t>(si)]);
            }
            scenario.run();
            checkCase(scenario, function);
            ++cases;
            if (HasFatalFailure()) return cases;
          }
        }
      }
    }
    std::cout << "[ sweep    ] " << scenario.name << ": " << counts.size() << " functions, " << calls
              << " calls, " << cases << " cases" << std::endl;
    return cases;
  }

  static std::vector<int> uses(int count, int limit) {
    std::vector<int> out;
    if (count <= limit) {
      for (int n = 1; n <= count; ++n) out.push_back(n);
      return out;
    }
    std::set<int> picked = {1, count};
    if (limit >= 3) picked.insert(2);
    for (int k = 1; static_cast<int>(picked.size()) < limit; ++k)
      picked.insert(1 + static_cast<int>((static_cast<long long>(count - 1) * k) / limit));
    return std::vector<int>(picked.begin(), picked.end());
  }

  std::unique_ptr<TempDir> output_;
};

// How many uses of one call the sweeps of the exports try: natively every
// use for the bracket and the robot cell and a spread sample for the
// conveyor line, whose every case walks tens of thousands of calls. Under
// the sanitizers, whose runs are far slower: every use for the bracket, a
// sample for the robot cell, and the conveyor line not at all.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kBracketUses = 1 << 30;
constexpr int kRobotCellUses = 6;
constexpr int kConveyorUses = 0;  // swept natively only
#else
constexpr int kBracketUses = 1 << 30;
constexpr int kRobotCellUses = 1 << 30;
constexpr int kConveyorUses = 4;
#endif

std::string example(const std::string& name) { return std::string(VELTROSAN_EXAMPLES_DIR) + "/" + name; }

// The host as it is once the gateway is loaded: its resource folder
// registered, the standalone application installed, stored options.
void installed() {
  ProUITranslationFilesEnable();
  createKey(HKEY_LOCAL_MACHINE, kInstallKey);
  setValue(HKEY_LOCAL_MACHINE, kInstallKey, u"Path", REG_SZ, wideBytes(std::u16string(u"C:\\Apps\\Veltrosan\0", 18)));
  createKey(HKEY_CURRENT_USER, kOptionsKey);
  setValue(HKEY_CURRENT_USER, kOptionsKey, u"CtiParameter", REG_SZ, wideBytes(u"COMPARATIVE_TRACKING_INDEX"));
  setValue(HKEY_CURRENT_USER, kOptionsKey, u"ImportAttributes", REG_MULTI_SZ,
           wideBytes(std::u16string(u"MATERIAL\0" u"1\0" u"CUSTOMER\0" u"2\0", 22)));
}

void withScene(const std::string& name) {
  installed();
  std::string error;
  if (!sim::loadScene(example(name), error)) throw std::runtime_error(error);
}

void command(std::vector<sim::UserStep> steps) {
  sim::script(std::move(steps));
  onExportCommand(1, nullptr, nullptr);
}

Scenario exporting(const std::string& name, const std::string& scene, bool deleteChecked, bool starts) {
  Scenario s;
  s.name = name;
  s.deleteChecked = deleteChecked;
  s.prepare = [scene, starts] {
    withScene(scene);
    sim::world().os.processesStart = starts;
  };
  s.run = [deleteChecked] {
    // A failed export leaves the dialog open: the user then cancels.
    command({user::check("DeleteVTQ", deleteChecked), user::press("AttributeAdd"),
             user::type("veltrosanName2", u"PROJECT_NO"), user::select("veltrosanType2", "Both"),
             user::press("Export"), user::press("Cancel")});
  };
  return s;
}

TEST_F(FaultSweep, StartUp) {
  Scenario s;
  s.name = "start-up";
  s.prepare = [] {};
  s.run = [] {
    ProWchar errbuf[PRO_LINE_SIZE] = {};
    char program[] = "host";
    char* argv[] = {program, nullptr};
    const StatusCode status = initializeGateway(1, argv, "3.0", "M010", errbuf);
    // A failed start-up shows its step and leaves the buffer alone.
    EXPECT_EQ(errbuf[0], 0);
    if (status != PRO_TK_NO_ERROR) {
      EXPECT_FALSE(sim::world().messages.shown.empty());
    }
  };
  EXPECT_GT(sweep(s), 0);
}

TEST_F(FaultSweep, CommandCancelledOrClosed) {
  for (const bool close : {false, true}) {
    Scenario s;
    s.name = close ? "closed" : "cancelled";
    s.prepare = [] { withScene("bracket_part.json"); };
    s.run = [close] { command({close ? user::close() : user::press("Cancel")}); };
    EXPECT_GT(sweep(s), 0);
  }
}

TEST_F(FaultSweep, DialogSessionEditingEveryRow) {
  Scenario s;
  s.name = "editing";
  s.prepare = [] { withScene("bracket_part.json"); };
  s.run = [] {
    command({user::press("AttributeAdd"), user::type("veltrosanName2", u"COST"), user::select("veltrosanType2", "Both"),
             user::type("CtiValue", u"CTI_2"), user::enter("CtiValue"), user::press("veltrosanDelete0"),
             user::select("veltrosanType0", "Part"), user::close()});
  };
  EXPECT_GT(sweep(s), 0);
}

TEST_F(FaultSweep, OptionsLoadedAndSaved) {
  Scenario s;
  s.name = "options";
  s.prepare = [] { installed(); };
  s.run = [] {
    Attributes::loadOptions();
    attributeList.push_back(AttributeEntry{u"COST", 3});
    Attributes::saveOptions();
    attributeList.clear();
    // Options are silent: nothing is shown, and nothing stays open.
    EXPECT_TRUE(sim::world().messages.shown.empty());
  };
  EXPECT_GT(sweep(s), 0);
}

// The export with "DeleteVTQ" set and not, the start succeeding and failing;
// the four run side by side.
class ExportFaultSweep : public FaultSweep, public ::testing::WithParamInterface<std::tuple<bool, bool>> {};

TEST_P(ExportFaultSweep, Bracket) {
  const auto [deleteChecked, starts] = GetParam();
  const std::string name = std::string("export, DeleteVTQ ") + (deleteChecked ? "set" : "not set") +
                           (starts ? ", started" : ", start fails");
  EXPECT_GT(sweep(exporting(name, "bracket_part.json", deleteChecked, starts), kBracketUses), 0);
}

INSTANTIATE_TEST_SUITE_P(CheckAndStart, ExportFaultSweep, ::testing::Combine(::testing::Bool(), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<bool, bool>>& param) {
                           return std::string(std::get<0>(param.param) ? "DeleteSet" : "DeleteNotSet") +
                                  (std::get<1>(param.param) ? "_Started" : "_StartFails");
                         });

// The large scenes, split by status and by once or onward so that the four
// parts run side by side.
struct SceneSweep {
  const char* scene;
  int uses;
  int statusIndex;
  int onward;
};

void PrintTo(const SceneSweep& p, std::ostream* os) { *os << p.scene; }

class SceneFaultSweep : public FaultSweep, public ::testing::WithParamInterface<SceneSweep> {};

TEST_P(SceneFaultSweep, WholeExport) {
  const SceneSweep p = GetParam();
  if (p.uses == 0) GTEST_SKIP() << "swept in the build without sanitizers";
  EXPECT_GT(sweep(exporting(p.scene, p.scene, false, true), p.uses, p.statusIndex, p.onward), 0);
}

std::vector<SceneSweep> sceneSweeps() {
  std::vector<SceneSweep> out;
  for (const auto& [scene, uses] : {std::pair{"robot_cell.json", kRobotCellUses}, std::pair{"conveyor_line.json", kConveyorUses}})
    for (int status = 0; status < 2; ++status)
      for (int onward = 0; onward < 2; ++onward) out.push_back({scene, uses, status, onward});
  return out;
}

INSTANTIATE_TEST_SUITE_P(Scenes, SceneFaultSweep, ::testing::ValuesIn(sceneSweeps()),
                         [](const ::testing::TestParamInfo<SceneSweep>& param) {
                           std::string name = param.param.scene;
                           name = name.substr(0, name.find('.'));
                           return name + (param.param.statusIndex == 0 ? "_FirstStatus" : "_SecondStatus") +
                                  (param.param.onward == 1 ? "_Onward" : "_Once");
                         });

}  // namespace
}  // namespace veltrosan::test
