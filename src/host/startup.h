// Process-wide start-up state built by SetStartupInfo, the version gate and
// the module's single exit-hook slot.
#pragma once

#include <windows.h>

#include "host/host_abi.h"

extern HostStartupInfo* HostInfo;  // the copy of the host's record; null before start-up
extern char* SettingsKeyPath;      // rootKeyPath + "\Tollex", 1,025 bytes
constexpr int AssocKeyPathSize = 296;
extern char AssocKeyPath[AssocKeyPathSize];
extern char* ModuleDirectory;      // 262 bytes, no trailing backslash
extern HMODULE ModuleHandle;

typedef void (*ExitRoutine)();
// Puts routine in the slot and returns the routine it replaces.
ExitRoutine InstallExitHook(ExitRoutine routine);
// Calls the routine in the slot, if any, and empties the slot.
void RunExitHook();
// The start-up clean-up: frees the record copy, the settings path and the
// module directory, and clears the module handle.
void FreeStartupData();

// True when the host is at least 1.70 build 1282 (each part compared on its
// own); otherwise shows the version message and returns false.
bool CheckHostVersion();

// Process attach and detach work of the library entry point.
void ModuleAttach();
void ModuleDetach();
