// The demo: the whole road of one export as a host runs it. The host program
// loads the installed gateway module, starts it, and the user invokes the
// command "Veltrosan Gateway", plays the dialog (by default: adds the
// attribute MATERIAL and presses "Export"), and the program prints what the
// user saw in the message area, the command line that was started, and a
// summary of the written transfer file.
//
//   veltrosan_demo [--scene FILE] [--out DIR] [--steps FILE]
//
// --scene  a scene file (sim/scene.hpp); default examples/robot_cell.json
// --out    the host's current directory, made when missing; default a fresh
//          folder in the temporary folder
// --steps  a file of user steps (sim/user_steps.hpp)
//
// --help, -h  this usage, on standard output, and exit status 0
//
// Exit status: 0 when a transfer file was written, 1 when the run wrote
// none, 2 for bad arguments or input files (then nothing is written).
//
// Runs natively: the registry and the process start are the simulated
// host's, so the standalone application is not started for real.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <random>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "sim/host_program.hpp"
#include "sim/scene.hpp"
#include "sim/text.hpp"
#include "sim/ui.hpp"
#include "sim/user_steps.hpp"
#include "sim/world.hpp"
#include "support/transfer_file_reader.hpp"

namespace fs = std::filesystem;

namespace {

constexpr char kUsage[] = "usage: veltrosan_demo [--scene FILE] [--out DIR] [--steps FILE]";
constexpr char kHelp[] =
    "Runs one export as the host does: loads the installed gateway module, invokes\n"
    "the command \"Veltrosan Gateway\", plays the user's steps in its dialog and\n"
    "prints the message area, the command line started and the written file.\n"
    "\n"
    "  --scene FILE  a scene file; default examples/robot_cell.json\n"
    "  --out DIR     the host's current directory, made when missing;\n"
    "                default a fresh folder in the temporary folder\n"
    "  --steps FILE  the user's steps, a JSON list; default: add MATERIAL, export\n"
    "  --help, -h    this text\n"
    "\n"
    "Exit status: 0 when a transfer file was written, 1 when none was,\n"
    "2 for bad arguments or input files (then nothing is written).\n";
// The installation the host loads the gateway from, and where the
// simulated registry says the standalone application is.
constexpr char kApplicationFolder[] = VELTROSAN_DEMO_APPLICATION_DIR;
constexpr char kInstallFolder[] = "C:\\Program Files\\Marbeltix\\Veltrosan";

struct Options {
  std::string scene = VELTROSAN_DEMO_DEFAULT_SCENE;
  std::string out;
  std::string steps;
  bool help = false;
};

int refuse(const std::string& why) {
  std::cerr << "veltrosan_demo: " << why << "\n";
  return 2;
}

bool parseArguments(int argc, char** argv, Options& options, std::string& error) {
  // A request for help wins over anything else on the line, mistakes included.
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--help" || flag == "-h") {
      options.help = true;
      return true;
    }
  }
  std::set<std::string> seen;
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    std::string* target = flag == "--scene" ? &options.scene
                          : flag == "--out" ? &options.out
                          : flag == "--steps" ? &options.steps
                                              : nullptr;
    if (target == nullptr) {
      error = "unknown argument '" + flag + "'\n" + kUsage;
      return false;
    }
    if (!seen.insert(flag).second) {
      error = flag + " given twice\n" + kUsage;
      return false;
    }
    if (i + 1 >= argc || std::string(argv[i + 1]).empty() || std::string(argv[i + 1]).rfind("--", 0) == 0) {
      error = flag + " needs a value\n" + kUsage;
      return false;
    }
    *target = argv[++i];
  }
  return true;
}

// The default user: adds the attribute MATERIAL, read on parts, and exports.
std::vector<sim::UserStep> defaultSteps() {
  return {sim::user::press("AttributeAdd"), sim::user::type("veltrosanName0", u"MATERIAL"),
          sim::user::press("Export")};
}

std::string freshFolder() {
  std::mt19937_64 random(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                         std::random_device()());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate = fs::temp_directory_path() / ("veltrosan-demo-" + std::to_string(random() % 1000000));
    std::error_code error;
    if (fs::create_directory(candidate, error)) return candidate.u8string();
  }
  return std::string();
}

std::set<std::string> transferFiles(const std::string& folder) {
  std::set<std::string> files;
  std::error_code error;
  for (fs::directory_iterator it(fs::u8path(folder), error), end; !error && it != end; it.increment(error)) {
    if (it->path().extension() == ".vtq") files.insert(it->path().u8string());
  }
  return files;
}

void summarise(const std::string& path) {
  try {
    const veltrosan::vtq::File file = veltrosan::vtq::readFile(path);
    std::size_t triangles = 0;
    for (const auto& part : file.parts)
      for (const auto& body : part.bodies) triangles += body.triangles.size();
    std::cout << "Written: " << path << ": " << file.parts.size() << " parts, " << file.instances.size()
              << " instances, " << triangles << " triangles, " << file.size << " bytes\n";
  } catch (const std::exception& e) {
    std::cout << "Written: " << path << ", but it cannot be read back: " << e.what() << "\n";
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!parseArguments(argc, argv, options, error)) return refuse(error);
  if (options.help) {
    std::cout << kUsage << "\n\n" << kHelp;
    return 0;
  }

  // Every input is read before anything is written.
  if (!sim::loadScene(options.scene, error)) return refuse(error);
  std::vector<sim::UserStep> steps = defaultSteps();
  if (!options.steps.empty() && !sim::loadUserSteps(options.steps, steps, error)) return refuse(error);

  std::string folder = options.out;
  if (folder.empty()) {
    folder = freshFolder();
    if (folder.empty()) return refuse("cannot make a folder in " + fs::temp_directory_path().u8string());
  } else {
    std::error_code made;
    fs::create_directories(fs::u8path(folder), made);
    if (!fs::is_directory(fs::u8path(folder), made)) return refuse(options.out + ": not a folder that can be made");
    folder = fs::absolute(fs::u8path(folder)).lexically_normal().u8string();
  }
  // The host gives its current directory with a trailing separator.
  if (folder.back() != '/') folder += '/';
  if (sim::utf16(folder).size() >= PRO_PATH_SIZE) return refuse(folder + ": the host's directory holds at most 259 characters");

  sim::World& world = sim::world();
  world.currentDirectory = sim::utf16(folder);
  world.textDirectory = std::string(kApplicationFolder) + "/text";
  world.os.setString(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Marbeltix\\Veltrosan", u"Path", sim::utf16(kInstallFolder));
  world.os.key(u"HKEY_CURRENT_USER\\SOFTWARE\\Marbeltix\\Veltrosan\\Options");
  const std::string current = world.current != nullptr ? sim::utf8(world.current->name) : "none";
  std::cout << "Scene:  " << options.scene << " (current model: " << current << ")\n"
            << "Output: " << folder << " (the host's current directory)\n";

  const std::set<std::string> before = transferFiles(folder);
  sim::ApplicationModule gateway;
  const std::string module = std::string(kApplicationFolder) + "/veltrosan_gateway.so";
  if (!gateway.load(module, error)) return refuse(error + "\n(scripts/demo builds and installs it)");
  const int started = gateway.start();
  StatusCode ran = PRO_TK_NO_ERROR;
  if (started == 0) {
    sim::script(std::move(steps));
    ran = gateway.invoke("Veltrosan Gateway");
  }
  gateway.unload();

  std::cout << "\nMessage area:\n";
  if (world.messages.shown.empty()) std::cout << "  (nothing)\n";
  for (const auto& line : world.messages.shown) std::cout << "  " << line.text << "\n";
  for (const auto& dialog : world.messages.dialogs)
    std::cout << "  [dialog] " << sim::utf8(dialog.title) << ": " << sim::utf8(dialog.text) << "\n";
  if (started != 0) {
    std::cout << "\nThe gateway did not start (status " << started << ").\n";
    return 1;
  }
  if (ran != PRO_TK_NO_ERROR) std::cout << "\nThe command answered status " << ran << ".\n";
  if (!world.ui.missedSteps.empty()) {
    std::cout << "\nUser steps that could not be carried out:\n";
    for (const auto& missed : world.ui.missedSteps) std::cout << "  " << missed << "\n";
  }
  if (!world.ui.script.empty())
    std::cout << "\n" << world.ui.script.size() << " user steps were not played: the dialog had closed.\n";

  std::cout << "\nStarted (simulated: nothing is run on this machine):\n";
  if (world.os.processes.empty()) std::cout << "  (nothing)\n";
  for (const auto& process : world.os.processes) std::cout << "  " << process.commandLine << "\n";

  std::cout << "\n";
  bool written = false;
  for (const auto& file : transferFiles(folder)) {
    if (before.count(file) != 0) continue;
    summarise(file);
    written = true;
  }
  if (!written) std::cout << "No transfer file was written.\n";
  return written ? 0 : 1;
}
