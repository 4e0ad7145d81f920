#include "sim/host_program.hpp"

#include <algorithm>

#include "sim/ui.hpp"
#include "sim/world.hpp"

#ifdef _WIN32
#include <cwchar>

#include "host/win32.h"
#include "sim/text.hpp"
#else
#include <dlfcn.h>
#endif

namespace sim {
namespace {

#ifdef _WIN32

std::wstring widePath(const std::string& path) {
  const std::u16string units = utf16(path);
  return std::wstring(units.begin(), units.end());
}

std::string lastError() {
  const DWORD code = GetLastError();
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out = "error " + std::to_string(code);
  if (length > 0 && text != nullptr) {
    std::u16string units(text, text + length);
    while (!units.empty() && (units.back() == u'\n' || units.back() == u'\r' || units.back() == u' ')) units.pop_back();
    out += ": " + utf8(units);
  }
  if (text != nullptr) LocalFree(text);
  return out;
}

void* openModule(const std::string& path, std::string& why) {
  HMODULE module = LoadLibraryW(widePath(path).c_str());
  if (module == nullptr) why = lastError();
  return reinterpret_cast<void*>(module);
}

void* entry(void* module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void closeModule(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

#else

void* openModule(const std::string& path, std::string& why) {
  // Local: the module's symbols serve no module loaded after it, as the
  // host keeps its applications apart.
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* text = dlerror();
    why = text != nullptr ? text : "unknown error";
  }
  return module;
}

void* entry(void* module, const char* name) { return dlsym(module, name); }

void closeModule(void* module) { dlclose(module); }

#endif

template <typename Function>
Function as(void* address) {
  return reinterpret_cast<Function>(address);
}

}  // namespace

ApplicationModule::~ApplicationModule() { unload(); }

bool ApplicationModule::load(const std::string& path, std::string& error) {
  unload();
  std::string why;
  void* module = openModule(path, why);
  if (module == nullptr) {
    error = "cannot load the module " + path + ": " + why;
    return false;
  }
  void* initialize = entry(module, kUserInitializeEntry);
  void* terminate = entry(module, kUserTerminateEntry);
  if (initialize == nullptr || terminate == nullptr) {
    error = "the module " + path + " has no entry " + (initialize == nullptr ? kUserInitializeEntry : kUserTerminateEntry);
    closeModule(module);
    return false;
  }
  handle_ = module;
  initialize_ = as<ProUserInitializeFn>(initialize);
  terminate_ = as<ProUserTerminateFn>(terminate);
  return true;
}

int ApplicationModule::start(const HostStart& host) {
  if (handle_ == nullptr) return PRO_TK_BAD_CONTEXT;
  // The entry gets writable copies, as a host's argv is.
  std::vector<std::string> copies = host.arguments;
  std::vector<char*> argv;
  for (auto& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);
  commandsBefore_.clear();
  for (const auto& command : world().ui.commands) commandsBefore_.push_back(command.id);
  errorBuffer_.fill(0);
  const int status = initialize_(static_cast<int>(copies.size()), argv.data(), host.version.c_str(),
                                 host.build.c_str(), errorBuffer_.data());
  running_ = status == 0;
  return status;
}

StatusCode ApplicationModule::invoke(const std::string& command) { return invokeCommand(command); }

void ApplicationModule::stop() {
  if (!running_) return;
  running_ = false;
  terminate_();
}

void ApplicationModule::unload() {
  if (handle_ == nullptr) return;
  stop();
  auto& commands = world().ui.commands;
  commands.erase(std::remove_if(commands.begin(), commands.end(),
                                [&](const Command& c) {
                                  return std::find(commandsBefore_.begin(), commandsBefore_.end(), c.id) ==
                                         commandsBefore_.end();
                                }),
                 commands.end());
  commandsBefore_.clear();
  closeModule(handle_);
  handle_ = nullptr;
  initialize_ = nullptr;
  terminate_ = nullptr;
}

bool moduleLoaded(const std::string& path) {
#ifdef _WIN32
  return GetModuleHandleW(widePath(path).c_str()) != nullptr;
#else
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (module == nullptr) return false;
  dlclose(module);
  return true;
#endif
}

}  // namespace sim
