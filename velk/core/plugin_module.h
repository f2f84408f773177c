// Loading the plug-in module through its four exports, and the host's own
// loop: hand the start-up record to the plug-in, then ask the front end what
// to do (open the plug-in, configure it, quit) until it says quit.
#pragma once

#include <functional>
#include <string>

#include <windows.h>

#include "core/front_end.h"
#include "core/host_core.h"
#include "host/base/host_abi.h"

namespace velk {

// The plug-in module and its four exports.
class PluginModule {
 public:
  PluginModule() = default;
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  bool Load(const std::string& path, std::string& error);
  void Unload();
  HMODULE Handle() const { return handle; }

  SetStartupInfoFn setStartupInfo = nullptr;
  GetPluginInfoFn getPluginInfo = nullptr;
  ConfigureFn configure = nullptr;
  OpenPluginFn openPlugin = nullptr;

 private:
  HMODULE handle = nullptr;
};

// The host's loop: hands the start-up record to the plug-in, then asks the
// front end what to do until it says Quit. note (may be empty) receives a
// line for each call into the plug-in and its result.
void RunHostLoop(PluginModule& plugin, HostCore& core, FrontEnd& front,
                 const std::function<void(const std::string&)>& note);

}  // namespace velk
