// The export action of the push button "Export": the host's current model
// walked into the transfer model, written under a free file name in the
// host's current directory, and the standalone application started on it.
#pragma once

#include <string>

#include "host/toolkit.h"
#include "model/transfer_model.hpp"

namespace veltrosan {

// What one run of the export command keeps while its dialog is up.
struct ExportSession {
  TransferModel model;      // filled by each export, emptied after one that leaves the dialog open
  std::string installPath;  // folder of the standalone application, as the registry last gave it
};

// The session of the running command; null whenever there is none.
extern ExportSession* activeExportSession;

// Reads the install folder into the active session's installPath; shows a
// warning when the registry has none and leaves installPath as it was.
void readInstallPath();

// The path of the file written for `name` in `folder`: the writer's path, with
// the "/" left out after a folder that already ends in a separator.
std::string transferFilePath(const std::string& folder, const std::string& name);

// The command line of the standalone application for the file.
std::string standaloneCommandLine(const std::string& installPath, const std::string& filePath, bool deleteFile);

void onExport(char* dialog, char* component, ProAppData data);

}  // namespace veltrosan
