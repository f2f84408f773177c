#include "core/plugin_module.h"

#include <cstring>

#include "core/transcript.h"

namespace velk {
namespace {

// An export as the function type it has; the cast goes through a generic
// function pointer type, as GetProcAddress's result always must.
template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

PluginModule::~PluginModule() { Unload(); }

bool PluginModule::Load(const std::string& path, std::string& error) {
  handle = LoadLibraryA(path.c_str());
  if (!handle) {
    error = "cannot load the plug-in " + path + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  setStartupInfo = Export<SetStartupInfoFn>(handle, "SetStartupInfo");
  getPluginInfo = Export<GetPluginInfoFn>(handle, "GetPluginInfo");
  configure = Export<ConfigureFn>(handle, "Configure");
  openPlugin = Export<OpenPluginFn>(handle, "OpenPlugin");
  std::string missing;
  if (!setStartupInfo) missing += " SetStartupInfo";
  if (!getPluginInfo) missing += " GetPluginInfo";
  if (!configure) missing += " Configure";
  if (!openPlugin) missing += " OpenPlugin";
  if (!missing.empty()) {
    error = "the plug-in " + path + " lacks the export(s)" + missing;
    Unload();
    return false;
  }
  return true;
}

void PluginModule::Unload() {
  if (handle) FreeLibrary(handle);
  handle = nullptr;
  setStartupInfo = nullptr;
  getPluginInfo = nullptr;
  configure = nullptr;
  openPlugin = nullptr;
}

namespace {

std::vector<std::string> MenuStrings(const char* const* strings, int32_t count) {
  std::vector<std::string> out;
  // A plug-in offers a handful of entries; more than this is garbage.
  if (!strings || count <= 0 || count > 64) return out;
  for (int32_t i = 0; i < count; ++i) out.push_back(strings[i] ? strings[i] : "");
  return out;
}

}  // namespace

void RunHostLoop(PluginModule& plugin, HostCore& core, FrontEnd& front,
                 const std::function<void(const std::string&)>& note) {
  auto say = [&](const std::string& line) {
    if (note) note(line);
  };
  core.SetFrontEnd(&front);
  say("SetStartupInfo");
  plugin.setStartupInfo(core.Record());
  std::vector<std::string> lastPluginMenu, lastConfigMenu;
  bool first = true;
  for (;;) {
    HostPluginInfo info;
    std::memset(&info, 0, sizeof info);
    info.recordSize = static_cast<int32_t>(sizeof info);
    plugin.getPluginInfo(&info);
    std::vector<std::string> pluginMenu = MenuStrings(info.pluginMenuStrings, info.pluginMenuCount);
    std::vector<std::string> configMenu = MenuStrings(info.configMenuStrings, info.configMenuCount);
    if (first || pluginMenu != lastPluginMenu || configMenu != lastConfigMenu) {
      std::string line = "GetPluginInfo: plug-ins menu";
      for (const std::string& s : pluginMenu) line += " " + Quote(s);
      line += "; configuration menu";
      for (const std::string& s : configMenu) line += " " + Quote(s);
      say(line);
      lastPluginMenu = pluginMenu;
      lastConfigMenu = configMenu;
      first = false;
    }
    HostCommand cmd = front.NextHostCommand(pluginMenu, configMenu);
    if (cmd.kind == HostCommand::Quit) break;
    if (cmd.kind == HostCommand::Open) {
      say("OpenPlugin(" + std::to_string(cmd.openFrom) + ", " + std::to_string(cmd.itemNumber) + ")");
      intptr_t result = plugin.openPlugin(cmd.openFrom, cmd.itemNumber);
      say("OpenPlugin returned " + std::to_string(static_cast<long long>(result)));
    } else {
      say("Configure(" + std::to_string(cmd.itemNumber) + ")");
      int result = plugin.configure(cmd.itemNumber);
      say("Configure returned " + std::to_string(result));
    }
  }
  say("quit");
}

}  // namespace velk
