// Reading a whole file that the simulated host is given by name (scene
// files, files of user steps), with errors that name the file.
#pragma once

#include <string>

namespace sim {

// The file's bytes (UTF-8 path); false, with the reason in `error`, when it
// cannot be opened or read.
bool readTextFile(const std::string& path, std::string& content, std::string& error);

}  // namespace sim
