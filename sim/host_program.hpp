// A host program's side of a toolkit application in DLL mode: the module is
// loaded by path, entered through the two entries its binding exports, its
// command invoked as a user would, and unloaded. The module takes its
// toolkit functions from the toolkit library, so everything it does happens
// in sim::world() of this process.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "host/binding.h"
#include "host/toolkit.h"

namespace sim {

// What the host passes to user_initialize_plus.
struct HostStart {
  std::vector<std::string> arguments{"xtop"};  // the host's argument strings; argc is their count
  std::string version = "3.0";                 // the host's display version
  std::string build = "M010";                  // the host's build
};

class ApplicationModule {
 public:
  ApplicationModule() = default;
  ~ApplicationModule();  // stops and unloads what is still loaded
  ApplicationModule(const ApplicationModule&) = delete;
  ApplicationModule& operator=(const ApplicationModule&) = delete;

  // Loads the module at the UTF-8 path and looks up both entries. False, with
  // a message that names the file in `error`, when it cannot be loaded or
  // lacks an entry; nothing stays loaded then.
  bool load(const std::string& path, std::string& error);
  bool loaded() const { return handle_ != nullptr; }

  // Calls user_initialize_plus as the host does: the arguments, the version
  // and build texts and a zeroed wide error buffer of PRO_LINE_SIZE units.
  // Answers its status; 0 keeps the application running.
  int start(const HostStart& host = HostStart());
  // The error buffer as the last start left it.
  const std::array<ProWchar, PRO_LINE_SIZE>& errorBuffer() const { return errorBuffer_; }

  // Invokes the command as a user would (sim::invokeCommand).
  StatusCode invoke(const std::string& command = "Veltrosan Gateway");

  // Calls user_terminate_plus, once, after a start that answered 0.
  void stop();
  // Stops, then unloads the module; the commands it added go with it, as
  // their actions go with its code.
  void unload();

 private:
  void* handle_ = nullptr;
  ProUserInitializeFn initialize_ = nullptr;
  ProUserTerminateFn terminate_ = nullptr;
  bool running_ = false;
  std::vector<ProCmdId> commandsBefore_;  // the host's commands when the module was started
  std::array<ProWchar, PRO_LINE_SIZE> errorBuffer_{};
};

// Whether the module at the UTF-8 path is mapped into this process.
bool moduleLoaded(const std::string& path);

}  // namespace sim
