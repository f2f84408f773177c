// The library entry point: process attach and detach.
#include <windows.h>

#include "host/base/host_abi.h"
#include "host/entry/startup.h"

#ifdef _WIN32

#ifdef _WIN64
// Tollex.def maps each export name to its 32-bit stdcall symbol (name@bytes
// of arguments). 64-bit Windows has a single calling convention and no such
// decoration, so the 64-bit module gets thin forwarders under those symbols.
extern "C" {
void SetStartupInfoEntry(const HostStartupInfo* info) __asm__("SetStartupInfo@4");
void GetPluginInfoEntry(HostPluginInfo* info) __asm__("GetPluginInfo@4");
int ConfigureEntry(int itemNumber) __asm__("Configure@4");
intptr_t OpenPluginEntry(int openFrom, intptr_t item) __asm__("OpenPlugin@8");

void SetStartupInfoEntry(const HostStartupInfo* info) { SetStartupInfo(info); }
void GetPluginInfoEntry(HostPluginInfo* info) { GetPluginInfo(info); }
int ConfigureEntry(int itemNumber) { return Configure(itemNumber); }
intptr_t OpenPluginEntry(int openFrom, intptr_t item) { return OpenPlugin(openFrom, item); }
}
#endif

extern "C" BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/) {
  switch (reason) {
    case DLL_PROCESS_ATTACH: ModuleAttach(); break;
    case DLL_PROCESS_DETACH: ModuleDetach(); break;
    default:  // thread attach and detach: nothing to do
      break;
  }
  return TRUE;
}

#else

// A shared library's constructor and destructor run where a Windows DLL gets
// its process attach and detach. The destructor runs before the exit
// processing registered by the module's static initialisation (on unloading)
// or after it (at process exit); the hook slot is emptied by whichever runs
// first, so the clean-up runs once either way.
__attribute__((constructor)) static void TollexAttach() { ModuleAttach(); }
__attribute__((destructor)) static void TollexDetach() { ModuleDetach(); }

#endif
