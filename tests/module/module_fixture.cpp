#include "module_fixture.hpp"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "host/win32.h"
#include "sim/builders.hpp"
#include "sim/shapes.hpp"
#include "sim/text.hpp"

namespace veltrosan::test {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32

constexpr wchar_t kInstallKey[] = L"SOFTWARE\\Marbeltix\\Veltrosan";
constexpr wchar_t kOptionsKey[] = L"SOFTWARE\\Marbeltix\\Veltrosan\\Options";

std::wstring wide(const std::string& text) {
  const std::u16string units = sim::utf16(text);
  return std::wstring(units.begin(), units.end());
}

// Each test starts without the gateway's keys; the guards of the fixture
// put back what they held, and remove the parents that a test made.
void removeKeys() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kInstallKey);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kInstallKey);
  RegDeleteTreeW(HKEY_CURRENT_USER, kOptionsKey);
  RegDeleteKeyW(HKEY_CURRENT_USER, kOptionsKey);
}

HKEY createKey(HKEY root, const wchar_t* path) {
  HKEY key = nullptr;
  const LONG result = RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
  if (result != ERROR_SUCCESS) throw std::runtime_error("RegCreateKeyExW failed: " + std::to_string(result));
  return key;
}

// The stand-in's record: its command line, then each argument, one a line.
std::vector<std::string> readRecord(const std::string& folder, bool wait) {
  const fs::path record = fs::u8path(folder) / "arguments.txt";
  // Generous: Wine may take a while to start a process; no speed is measured.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(wait ? 60 : 0);
  std::error_code error;
  while (!fs::exists(record, error) && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::vector<std::string> lines;
  std::ifstream in(record, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

#else

constexpr char16_t kInstallKey[] = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Marbeltix\\Veltrosan";
constexpr char16_t kOptionsKey[] = u"HKEY_CURRENT_USER\\SOFTWARE\\Marbeltix\\Veltrosan\\Options";

#endif

}  // namespace


sim::Model& bracketPart() {
  sim::Model& bracket = sim::addSolidPart(u"bracket", sim::boxSurfaces({40, 20, 5}, {0, 0, 2.5}, {1, 2}));
  bracket.parameters = {sim::Parameter::integer(u"COMPARATIVE_TRACKING_INDEX", 400),
                        sim::Parameter::text(u"MATERIAL", u"PA66-GF30")};
  sim::world().current = &bracket;
  return bracket;
}

sim::Model& bracketAssembly() {
  sim::World& w = sim::world();
  sim::Model& plate = sim::addSolidPart(u"plate", sim::boxSurfaces({40, 20, 5}, {0, 0, 2.5}, {1, 2}));
  sim::Model& pin = sim::addSolidPart(u"pin", sim::cylinderSurfaces(2, 10, 12, {0, 0, 0}, {1, 2}));

  sim::Model& top = w.addModel(u"bracket", PRO_MDL_ASSEMBLY);
  int id = 10;
  for (auto [model, offset] : {std::pair{&plate, sim::Vec{0, 0, 0}}, std::pair{&pin, sim::Vec{10, 5, 5}},
                               std::pair{&pin, sim::Vec{-10, 5, 5}}}) {
    sim::Feature component;
    component.id = id++;
    component.type = PRO_FEAT_COMPONENT;
    component.model = model;
    component.placement = sim::translation(offset);
    top.features.push_back(component);
  }
  w.current = &top;
  return top;
}

std::vector<sim::UserStep> addMaterial() {
  return {sim::user::press("AttributeAdd"), sim::user::type("veltrosanName0", u"MATERIAL")};
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

void ModuleTest::SetUp() {
  SimTest::SetUp();
  setCurrentDirectory(outputFolder());
  installKey_.emplace(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Marbeltix\\Veltrosan");
  optionsKey_.emplace(HKEY_CURRENT_USER, u"SOFTWARE\\Marbeltix\\Veltrosan\\Options");
#ifdef _WIN32
  removeKeys();
#endif
}

void ModuleTest::TearDown() {
  gateway.unload();
  EXPECT_TRUE(world().ui.missedSteps.empty()) << testing_support::joinLines(world().ui.missedSteps);
  EXPECT_TRUE(world().ui.script.empty()) << world().ui.script.size() << " user steps were not played";
  EXPECT_EQ(sim::findDialog(kDialog), nullptr) << "the dialog was not destroyed";
  SimTest::TearDown();
  if (optionsKey_) optionsKey_->restore();
  if (installKey_) installKey_->restore();
}

void ModuleTest::startGateway() {
  std::string error;
  ASSERT_TRUE(gateway.load(VELTROSAN_GATEWAY_MODULE, error)) << error;
  ASSERT_EQ(gateway.start(), 0);
}

StatusCode ModuleTest::runCommand(std::vector<sim::UserStep> steps) {
  sim::script(std::move(steps));
  return gateway.invoke(kCommand);
}

void ModuleTest::setCurrentDirectory(const std::string& folder) { world().currentDirectory = sim::utf16(folder); }

std::vector<std::string> ModuleTest::lines() {
  std::vector<std::string> out;
  for (const auto& line : world().messages.shown) {
    if (line.key == "USER %s") {
      out.push_back(line.text);
      continue;
    }
    std::string shown = line.key;
    for (const auto& argument : line.args) shown += " " + argument;
    out.push_back(shown);
  }
  return out;
}

std::vector<std::string> ModuleTest::filesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::u8path(folder))) names.push_back(entry.path().filename().u8string());
  std::sort(names.begin(), names.end());
  return names;
}

void ModuleTest::install(bool startable) {
#ifdef _WIN32
  if (startable) {
    registerInstallPath(startableFolder());
    return;
  }
  installDir_ = std::make_unique<TempDir>();
  registerInstallPath(installDir_->path());
#else
  registerInstallPath("C:\\Program Files\\Marbeltix\\Veltrosan");
  world().os.processesStart = startable;
#endif
}

void ModuleTest::uninstall() {
  installFolder_.clear();
#ifdef _WIN32
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kInstallKey);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kInstallKey);
#else
  world().os.keys.erase(kInstallKey);
  world().os.processesStart = false;
#endif
}

std::string ModuleTest::startableFolder(size_t length) {
#ifdef _WIN32
  startableDirs_.push_back(std::make_unique<TempDir>());
  std::string folder = startableDirs_.back()->path();
  // "\." pads by two bytes; a subfolder "\vv" of three evens the count out.
  if (length > folder.size() && (length - folder.size()) % 2 != 0) {
    folder += "\\vv";
    makeDirectory(folder);
  }
  fs::copy_file(fs::u8path(VELTROSAN_STANDIN), fs::u8path(folder + "\\Veltrosan.exe"));
#else
  std::string folder = "C:\\Apps\\Veltrosan" + std::to_string(startable_.size() + 1);
  world().os.processesStart = true;
#endif
  std::string text = folder;
  while (text.size() + 2 <= length) text += "\\.";
  if (text.size() < length) text += "v";  // natively: no stand-in to find there
  startable_.emplace_back(text, folder);
  return text;
}

void ModuleTest::registerInstallPath(const std::string& folder, bool terminated) {
#ifdef _WIN32
  std::wstring path = wide(folder);
  if (terminated) path.push_back(L'\0');
  const auto size = static_cast<DWORD>(path.size() * sizeof(wchar_t));
  // A non-NUL guard after the data keeps the registry from counting a
  // terminator in.
  path.push_back(L'\xFFFF');
  HKEY key = createKey(HKEY_LOCAL_MACHINE, kInstallKey);
  RegSetValueExW(key, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.data()), size);
  RegCloseKey(key);
#else
  world().os.setString(kInstallKey, u"Path", sim::utf16(folder), terminated);
#endif
  installFolder_ = folder;
}

void ModuleTest::registerInstallKeyWithoutPath() {
#ifdef _WIN32
  HKEY key = createKey(HKEY_LOCAL_MACHINE, kInstallKey);
  RegDeleteValueW(key, L"Path");
  RegCloseKey(key);
#else
  world().os.key(kInstallKey).values.clear();
#endif
}

std::string ModuleTest::recordFolderOf(const std::string& text) const {
  for (const auto& [folder, real] : startable_)
    if (text == folder || text == folder + "\\") return real;
  return text;
}

std::vector<std::string> ModuleTest::startedCommandLines(bool expectStart, const std::string& from) {
#ifdef _WIN32
  const std::string folder = from.empty() ? installFolder_ : from;
  if (folder.empty()) return {};
  const std::vector<std::string> record = readRecord(recordFolderOf(folder), expectStart);
  if (record.empty()) return {};
  return {record.front()};
#else
  (void)expectStart;
  (void)from;
  std::vector<std::string> commandLines;
  for (const auto& process : world().os.processes) commandLines.push_back(process.commandLine);
  return commandLines;
#endif
}

std::vector<std::string> ModuleTest::startedArguments() {
#ifdef _WIN32
  std::vector<std::string> record = readRecord(recordFolderOf(installFolder_), true);
  if (record.empty()) return {};
  return std::vector<std::string>(record.begin() + 1, record.end());
#else
  // Blank-separated pieces, a quoted piece taken whole: enough for the
  // command lines of these tests, whose paths hold no quotation mark.
  std::vector<std::string> pieces;
  if (world().os.processes.empty()) return pieces;
  const std::string& line = world().os.processes.back().commandLine;
  for (size_t i = 0; i < line.size();) {
    if (line[i] == ' ') {
      ++i;
      continue;
    }
    const bool quote = line[i] == '"';
    const size_t start = quote ? i + 1 : i;
    const size_t end = line.find(quote ? '"' : ' ', start);
    pieces.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
    i = end == std::string::npos ? line.size() : end + 1;
  }
  if (!pieces.empty()) pieces.erase(pieces.begin());
  return pieces;
#endif
}

void ModuleTest::createOptionsKey() {
#ifdef _WIN32
  RegCloseKey(createKey(HKEY_CURRENT_USER, kOptionsKey));
#else
  world().os.key(kOptionsKey);
#endif
}

std::u16string ModuleTest::storedCtiParameter() {
  std::vector<unsigned char> data;
#ifdef _WIN32
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kOptionsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return u"(no key)";
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, L"CtiParameter", nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    data.resize(size);
    RegQueryValueExW(key, L"CtiParameter", nullptr, &type, data.data(), &size);
    data.resize(size);
  }
  RegCloseKey(key);
#else
  const sim::RegistryValue* value = world().os.value(kOptionsKey, u"CtiParameter");
  if (value == nullptr) return u"(no value)";
  data = value->data;
#endif
  std::u16string units;
  for (size_t i = 0; i + 1 < data.size(); i += 2) units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  return units;
}

}  // namespace veltrosan::test
