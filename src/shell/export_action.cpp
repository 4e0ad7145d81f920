#include "shell/export_action.hpp"

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "export/creo_export.hpp"
#include "host/win32.h"
#include "messages/messages.hpp"
#include "model/binary_writer.hpp"
#include "shell/attributes.hpp"
#include "shell/dialog_names.hpp"

namespace veltrosan {

ExportSession* activeExportSession = nullptr;

namespace {

constexpr char kInstallKey[] = "SOFTWARE\\Marbeltix\\Veltrosan";
constexpr char kInstallValue[] = "Path";
constexpr char kInstallMissing[] = "Registry entry not defined: HKLM\\SOFTWARE\\Marbeltix\\Veltrosan\\Path";
constexpr std::size_t kInstallPathBytes = 512;
constexpr int kLastSuffix = 999;

// A candidate is taken when a file of its path can be opened for reading.
// The path is opened as the writer opens it (UTF-8 text made a path), so
// that both name one file whatever characters the folder holds.
bool isTaken(const std::string& path) {
  std::filesystem::path file;
  if (!pathFromUtf8(path, file)) return false;
  std::filebuf probe;
  if (probe.open(file, std::ios::in | std::ios::binary) == nullptr) return false;
  probe.close();
  return true;
}

// Deletes the written file; false when it is still there or was never there.
bool removeFile(const std::string& path) {
  std::filesystem::path file;
  if (!pathFromUtf8(path, file)) return false;
  std::error_code error;
  return std::filesystem::remove(file, error) && !error;
}

// Ends an attempt that leaves the dialog open: the next "Export" starts from
// an empty model.
void keepDialogOpen(TransferModel& model) { model.clear(); }

}  // namespace

void readInstallPath() {
  ExportSession* session = activeExportSession;
  if (session == nullptr) return;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    showWarning(kInstallMissing);
    return;
  }
  char buffer[kInstallPathBytes] = {};
  DWORD size = sizeof buffer;
  const LONG result = RegQueryValueExA(key, kInstallValue, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  if (result != ERROR_SUCCESS) {
    showWarning(kInstallMissing);
  } else {
    // Up to the first NUL, and never beyond what the query returned.
    const char* begin = buffer;
    const char* end = begin + std::min<std::size_t>(size, sizeof buffer);
    session->installPath.assign(begin, std::find(begin, end, '\0'));
  }
  RegCloseKey(key);
}

std::string transferFilePath(const std::string& folder, const std::string& name) {
  const bool separated = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
  return folder + (separated ? "" : "/") + name + ".vtq";
}

std::string standaloneCommandLine(const std::string& installPath, const std::string& filePath, bool deleteFile) {
  std::string line = "\"" + installPath + "\\Veltrosan.exe\" \"" + filePath + "\"";
  if (deleteFile) line += " -d";
  return line;
}

void onExport(char* /*dialog*/, char* /*component*/, ProAppData /*data*/) {
  ExportSession* session = activeExportSession;
  if (session == nullptr) return;
  TransferModel& model = session->model;

  AttributeRequestList requests;
  Attributes::exportList(requests);
  if (CreoExport::exportModel(&model, requests) != PRO_TK_NO_ERROR) {
    const StatusCode shown = ShowMessage();
    if (shown != PRO_TK_NO_ERROR) warn("ShowMessage", shown);
    keepDialogOpen(model);
    return;
  }

  readInstallPath();
  const std::string folder = model.getFolder();
  const std::string base = model.getName();

  std::string name;
  std::string path;
  bool free = false;
  for (int i = 0; i <= kLastSuffix && !free; ++i) {
    name = i == 0 ? base : base + "_" + std::to_string(i);
    path = transferFilePath(folder, name);
    free = !isTaken(path);
  }
  if (!free) {
    displayMessage("ExportVTQFailed", {});
    keepDialogOpen(model);
    return;
  }

  ProBoolean state = 0;
  const StatusCode status = ProUICheckbuttonGetState(names::kDialog, names::kDeleteVtq, &state);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProUICheckbuttonGetState", status);
    keepDialogOpen(model);
    return;
  }
  const bool deleteFile = state == 1;

  model.setName(name);
  if (model.exportFile() != kWriteOk) {
    displayMessage("ExportVTQFailed", {});
    keepDialogOpen(model);
    return;
  }
  if (deleteFile) {
    displayMessage("ExportVTQSuccess", {});
  } else {
    displayMessage("ExportVTQFile %0s", {path});
  }

  const std::string commandLine = standaloneCommandLine(session->installPath, path, deleteFile);
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process) !=
      FALSE) {
    // The application runs on its own; the gateway neither waits nor keeps it.
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    displayMessage("StandaloneSuccess", {});
  } else {
    displayMessage("StandaloneFailed", {});
    // The application was to delete the file; since it will not, the
    // gateway does. A file the user asked to keep is never removed.
    if (deleteFile && !removeFile(path)) displayMessage("DeleteVTQFailed", {});
  }

  ProUIDialogExit(names::kDialog, 0);
  ProMessageClear();
}

}  // namespace veltrosan
