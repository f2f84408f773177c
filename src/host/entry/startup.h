// The start-up work of SetStartupInfo, step by step, the version gate, and
// the module's attach and detach work. The state it builds is declared in
// host/interface/startup_state.h, which lower layers include instead.
#pragma once

#include <cstdint>

#include "host/base/host_abi.h"
#include "host/interface/startup_state.h"

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
