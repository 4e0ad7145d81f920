// Every call that the gateway makes to the host, the registry and the
// process start, made to fail at each of its uses, once and from that use
// on, in each main scenario of the gateway. Whatever fails, nothing may
// crash or leak, the dialog and the export session must be gone by the end
// of the command, the first line shown after the failed call must be the
// one that answers it (its own warning, or what the table of answers below
// says), and no message may claim a file that is not there complete.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
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

struct Scenario {
  std::string name;  // exports start with "export"; the table of answers tells them apart
  std::function<void()> prepare;  // the world before the run, the gateway loaded
  std::function<void()> run;
  bool deleteChecked = false;     // whether the user sets "DeleteVTQ"
};

// ---------------------------------------------------------------------------
// What a failed call shows. As a rule the first line shown after it is its
// own warning, "Warning: <function>: (<status name>)", and then the cascade
// of the steps that hand the status up. The rows below are every other
// answer; a call that no row matches answers with the rule.

// The sweep's statuses by name, spelled out here rather than taken from the
// gateway, so that a wrong name there shows here. Win32 codes have no name.
std::string statusName(StatusCode status) {
  switch (status) {
    case PRO_TK_GENERAL_ERROR: return "PRO_TK_GENERAL_ERROR";
    case PRO_TK_E_NOT_FOUND: return "PRO_TK_E_NOT_FOUND";
    default: return std::to_string(status);
  }
}

// Which failures of a function a row answers; a field left as it is matches
// any.
struct Where {
  int use = 0;                   // the failed use, counted in the clean run of the scenario
  int onward = -1;               // 0: that use alone fails, 1: it and every later one
  const char* args = "";         // a part of the arguments the host logged for the failed call
  const char* scenario = "";     // the start of the scenario's name
  const char* latest = "";       // of these two calls, the one made last before the failed call
  const char* ratherThan = "";

  Where once() const {
    Where w = *this;
    w.onward = 0;
    return w;
  }
  Where onwards() const {
    Where w = *this;
    w.onward = 1;
    return w;
  }
};

Where anywhere() { return Where{}; }
Where atUse(int use) {
  Where w;
  w.use = use;
  return w;
}
Where withArgs(const char* args) {
  Where w;
  w.args = args;
  return w;
}
Where inScenario(const char* start) {
  Where w;
  w.scenario = start;
  return w;
}
Where after(const char* latest, const char* ratherThan) {
  Where w;
  w.latest = latest;
  w.ratherThan = ratherThan;
  return w;
}

// The first line shown after the failed call: a warning or log line as it
// reads, a keyed message by its key. In it "{function}" stands for the
// failed function, "{status}" for the name of its status and "{model}" for
// the model the gateway last asked the name of before the failure. A warning
// that names a model is shown once per name in an export: where it was shown
// before the failure, the failure shows nothing of its own.
struct Answer {
  const char* function;
  StatusCode status;  // kEitherStatus: both statuses of the sweep
  Where where;
  const char* line;        // kNothing: the failure shows nothing of its own
  bool orNothing = false;  // the line where the walk meets it, else nothing of its own
};

constexpr StatusCode kEitherStatus = PRO_TK_NO_ERROR;  // never injected
// Nothing of its own: the first line shown after the failure is one that the
// clean run shows after that call too (the next one, or a later one where
// the failure left out what the lines between were about), or none when the
// clean run shows none either.
constexpr const char* kNothing = nullptr;
constexpr const char* kNoLineAtAll = "";
constexpr const char* kOwnWarning = "Warning: {function}: ({status})";
constexpr const char* kPartLeftOut =
    "Warning: Loading of part '{model}' failed. The part is left out in further computation.";
constexpr const char* kInstallPathMissing =
    "Warning: Registry entry not defined: HKLM\\SOFTWARE\\Marbeltix\\Veltrosan\\Path";

// The first row that matches answers.
const std::vector<Answer>& answers() {
  static const std::vector<Answer> rows = {
      // The message area. From a failed display on nothing shows at all. A
      // warning or log line that cannot be shown is lost, while a keyed
      // message that cannot be shown is reported (the rule). A clear
      // answers no status.
      {"ProMessageDisplay", kEitherStatus, anywhere().onwards(), kNoLineAtAll},
      {"ProMessageDisplay", kEitherStatus, withArgs(",USER %s"), kNothing},
      {"ProMessageClear", kEitherStatus, anywhere(), kNothing},
      // The export-error dialog looks its texts up in a step of its own.
      {"ProMessageWstringbufferAlloc", kEitherStatus, anywhere(), "Warning: getTranslation: ({status})"},

      // The dialog. Leaving it is not tested: it stays up, the user's next
      // step (the Cancel after an export) leaves it, and with no step left
      // the host waits for ever, which the simulated host answers.
      {"ProUIDialogExit", kEitherStatus, inScenario("export").once(), kNothing},
      {"ProUIDialogExit", kEitherStatus, anywhere(), "Warning: ProUIDialogActivate: (PRO_TK_E_DEADLOCK)"},
      // The table's clear names the column whose cell it failed to delete.
      {"ProUITableCellComponentDelete", kEitherStatus, withArgs(",NameColumn"),
       "Warning: ProUITableCellComponentDelete1: ({status})"},
      {"ProUITableCellComponentDelete", kEitherStatus, withArgs(",TypeColumn"),
       "Warning: ProUITableCellComponentDelete2: ({status})"},
      {"ProUITableCellComponentDelete", kEitherStatus, withArgs(",RemoveColumn"),
       "Warning: ProUITableCellComponentDelete3: ({status})"},

      // The registry and the start of the standalone application. The user
      // options are silent; an install path that cannot be read has a text
      // of its own, and a failed start is told by its keyed message. Closing
      // a key or a handle is not tested.
      {"RegOpenKeyExW", kEitherStatus, anywhere(), kNothing},
      {"RegQueryValueExW", kEitherStatus, anywhere(), kNothing},
      {"RegSetValueExW", kEitherStatus, anywhere(), kNothing},
      {"RegCloseKey", kEitherStatus, anywhere(), kNothing},
      {"RegOpenKeyExA", kEitherStatus, anywhere(), kInstallPathMissing},
      {"RegQueryValueExA", kEitherStatus, anywhere(), kInstallPathMissing},
      {"CreateProcessA", kEitherStatus, anywhere(), "StandaloneFailed"},
      {"CloseHandle", kEitherStatus, anywhere(), kNothing},

      // The export: statuses it takes as answers.
      {"ProEngineerReleaseNumericversionGet", PRO_TK_GENERAL_ERROR, anywhere(), kNothing},  // release -1
      {"ProUnitsystemUnitGet", PRO_TK_E_NOT_FOUND, anywhere(), kNothing},                    // millimetres
      {"ProUnitExpressionGet", PRO_TK_E_NOT_FOUND, anywhere(), kNothing},
      {"ProPartTessellate", PRO_TK_GENERAL_ERROR, anywhere(), kNothing},  // surface by surface instead
      {"ProSurfacetessellationinputStepsizeSet", kEitherStatus, anywhere(), kNothing},  // not tested
      {"ProSurfaceContourVisit", PRO_TK_E_NOT_FOUND, anywhere(), kNothing},
      {"ProContourEdgeVisit", PRO_TK_E_NOT_FOUND, anywhere(), kNothing},
      // A component without its model is passed over; where that leaves no
      // part at all there is nothing to write.
      {"ProAsmcompMdlGet", PRO_TK_E_NOT_FOUND, anywhere().onwards(), "ExportVTQFailed", true},
      {"ProAsmcompMdlGet", PRO_TK_E_NOT_FOUND, anywhere(), kNothing},
      // An item without parameters: the CTI search goes on to the feature
      // and its parents, and a base feature has none, which the host
      // answers with "not found" and the search reports.
      {"ProParameterVisit", PRO_TK_E_NOT_FOUND, anywhere(), "Warning: ProFeatureParentsGet: (PRO_TK_E_NOT_FOUND)",
       true},
      // Visits that visit nothing: a part without surfaces, or without the
      // facet sets that were all its geometry, is left out; an assembly
      // below the top one has no components, while the top one must have
      // features (the rule).
      {"ProSolidSurfaceVisit", PRO_TK_E_NOT_FOUND, anywhere(), kPartLeftOut},
      {"ProSolidFacetsetVisit", PRO_TK_E_NOT_FOUND, anywhere(), kPartLeftOut, true},
      {"ProSolidFeatVisit", PRO_TK_E_NOT_FOUND, atUse(1), kOwnWarning},
      {"ProSolidFeatVisit", PRO_TK_E_NOT_FOUND, anywhere(), "Warning: Assembly '{model}'' has no components."},

      // The export: failures told in other words, or under another context.
      {"ProAsmcomppathTrfGet", kEitherStatus, anywhere(), kPartLeftOut},
      // A surface the host cannot tessellate is kept by its contours.
      {"ProSurfaceTessellationGet", PRO_TK_GENERAL_ERROR, anywhere(),
       "Warning: Tessellation of a surface in part '{model}' failed. This part may be incorrect."},
      // A surface that is no geometry item: on the whole-part road the part
      // is then tessellated surface by surface, elsewhere it is reported
      // under the step, with the gateway's own status.
      {"ProSurfaceToGeomitem", kEitherStatus, after("ProPartTessellate", "ProSolidSurfaceVisit").once(), kNothing},
      {"ProSurfaceToGeomitem", kEitherStatus, anywhere(),
       "Warning: CreoExport::processSurface: (VELTROSAN_TESSELLATION_FAILED)"},
      // A failed release of a parent-id array is named after the call that
      // handed the array out.
      {"ProArrayFree", kEitherStatus, withArgs("ProFeatureParentsGet"), "Warning: ProFeatureParentsGet: ({status})"},
  };
  return rows;
}

std::string replaced(std::string text, const std::string& token, const std::string& by) {
  for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + by.size()))
    text.replace(at, token.size(), by);
  return text;
}

// A shown line as the table spells it.
std::string shownAs(const sim::MessageLine& line) { return line.key == "USER %s" ? line.text : line.key; }

// The first line shown after the call at `position` of the call log.
std::optional<std::string> firstLineAfter(const std::vector<sim::MessageLine>& shown, std::size_t position) {
  for (const auto& line : shown)
    if (line.call > position) return shownAs(line);
  return std::nullopt;
}

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
    clean_.uses.clear();
    const auto& calls = world().log.calls();
    for (std::size_t i = 0; i < calls.size(); ++i) clean_.uses[calls[i].function].push_back(i);
    clean_.shown = world().messages.shown;
    releaseLeftovers();
    expectLedgerClean();
    return counts;
  }

  // The row that answers the failure of `function` at its use `n`, made at
  // `position` of the call log; null for the rule.
  const Answer* answerFor(const Scenario& scenario, const std::string& function, int n, StatusCode status,
                          bool onward, std::size_t position) const {
    const auto& calls = world().log.calls();
    for (const Answer& row : answers()) {
      const Where& w = row.where;
      if (function != row.function) continue;
      if (row.status != kEitherStatus && row.status != status) continue;
      if (w.use != 0 && w.use != n) continue;
      if (w.onward >= 0 && (w.onward == 1) != onward) continue;
      if (calls[position].args.find(w.args) == std::string::npos) continue;
      if (scenario.name.rfind(w.scenario, 0) != 0) continue;
      if (*w.latest != '\0') {
        std::size_t i = position;
        while (i > 0 && calls[i - 1].function != w.latest && calls[i - 1].function != w.ratherThan) --i;
        if (i == 0 || calls[i - 1].function != w.latest) continue;
      }
      return &row;
    }
    return nullptr;
  }

  // The model whose name the gateway asked for last before `position`.
  static std::string lastModelNamed(std::size_t position) {
    const auto& calls = world().log.calls();
    for (std::size_t i = position; i > 0; --i)
      if (calls[i - 1].function == "ProMdlNameGet") return calls[i - 1].args;
    return "?";
  }

  // The first line shown after the failed call answers it: its own warning,
  // or what the table says.
  void expectReported(const Scenario& scenario, const std::string& function, int n, StatusCode status,
                      bool onward) {
    const auto& calls = world().log.calls();
    std::size_t position = 0;
    while (position < calls.size() && calls[position].injected == 0) ++position;
    if (position == calls.size()) {
      ADD_FAILURE() << "the call to fail was not made";
      return;
    }
    const std::optional<std::string> shown = firstLineAfter(world().messages.shown, position);
    const std::string seen = shown ? "\"" + *shown + "\"" : std::string("no line");

    const Answer* row = answerFor(scenario, function, n, status, onward, position);
    const char* line = row == nullptr ? kOwnWarning : row->line;
    std::string expected;
    if (line != kNothing) {
      expected = replaced(replaced(line, "{function}", function), "{status}", statusName(status));
      bool shownBefore = false;
      if (expected.find("{model}") != std::string::npos) {
        expected = replaced(expected, "{model}", lastModelNamed(position));
        for (const auto& earlier : world().messages.shown)
          shownBefore = shownBefore || (earlier.call < position && shownAs(earlier) == expected);
      }
      if (expected.empty() ? !shown.has_value() : shown == expected) return;
      if (!shownBefore && (row == nullptr || !row->orNothing)) {
        ADD_FAILURE() << "after the failed " << function << " the first line shown is " << seen << ", not \""
                      << expected << "\"";
        return;
      }
    }

    // Nothing of its own: a line that the clean run shows after that call too.
    const std::size_t cleanPosition = clean_.uses.at(function).at(static_cast<std::size_t>(n - 1));
    bool cleanShowsMore = false;
    for (const auto& cleanLine : clean_.shown) {
      if (cleanLine.call <= cleanPosition) continue;
      cleanShowsMore = true;
      if (shown == shownAs(cleanLine)) return;
    }
    if (!shown && !cleanShowsMore) return;
    ADD_FAILURE() << "after the failed " << function << " the first line shown is " << seen << ", "
                  << (expected.empty() ? "not" : "neither \"" + expected + "\" nor")
                  << " one that the clean run shows after that call";
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

  void checkCase(const Scenario& scenario, const std::string& function, int n, StatusCode status, bool onward) {
    expectReported(scenario, function, n, status, onward);
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
            checkCase(scenario, function, n, statuses[static_cast<size_t>(si)], onward);
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
  // The clean run of the scenario being swept: where each function's uses
  // stand in its call log, and the lines it shows.
  struct {
    std::map<std::string, std::vector<std::size_t>> uses;
    std::vector<sim::MessageLine> shown;
  } clean_;
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
  // No model is open, so that "Export" fails at once and the export-error
  // dialog shows.
  s.prepare = [] { installed(); };
  s.run = [] {
    // A CTI name with a blank disables "Export" until the valid one.
    command({user::press("AttributeAdd"), user::type("veltrosanName2", u"COST"), user::select("veltrosanType2", "Both"),
             user::type("CtiValue", u"CTI 2"), user::type("CtiValue", u"CTI_2"), user::enter("CtiValue"),
             user::press("Export"), user::press("veltrosanDelete0"), user::select("veltrosanType0", "Part"),
             user::close()});
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
  const Scenario s = exporting(std::string("export of ") + p.scene, p.scene, false, true);
  EXPECT_GT(sweep(s, p.uses, p.statusIndex, p.onward), 0);
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
