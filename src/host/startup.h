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

// The steps of SetStartupInfo, in the order it runs them.
// ModuleHandle = the system's handle of the module "Pelmar.dll" (or null).
void FindModuleHandle();
// Copies the host's record: at most HostStartupCopySize bytes and never more
// than the host's recordSize; the rest of the copy is zero.
void CopyHostRecord(const HostStartupInfo* info);
// SettingsKeyPath = rootKeyPath + "\Tollex"; RegistryBasePath points at it.
void BuildSettingsKeyPath();
// The directory of ModuleHandle's file; false when the system gave no name.
bool BuildModuleDirectory();
// Loads the optional diagnostics library by name, else from ModuleDirectory
// (only when haveDirectory), and keeps it only when its query answers non-zero.
void LoadDiagnosticsLibrary(bool haveDirectory);
// rootKeyPath without its last 7 characters, then "Associations"; left empty
// when rootKeyPath is shorter than 7 or longer than AssocRootMaxLength
// characters (see AssocKeyPathUsable).
void BuildAssocKeyPath();
constexpr int32_t AssocRootMinLength = 7;
constexpr int32_t AssocRootMaxLength = AssocKeyPathSize - 1 - 12 + AssocRootMinLength;  // 290
// False when BuildAssocKeyPath could not build the path; nothing may then
// read or write the association table.
bool AssocKeyPathUsable();

// The diagnostics library kept loaded, or null.
extern HMODULE DiagnosticsLibrary;
