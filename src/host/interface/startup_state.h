// The process-wide state that start-up builds and every layer reads: the
// copy of the host's record, the key paths and the module's directory. It
// lives from SetStartupInfo to process detach; host/entry/startup.h builds it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "host/base/host_abi.h"

extern HostStartupInfo* HostInfo;  // the copy of the host's record; null before start-up
extern char* SettingsKeyPath;      // rootKeyPath + "\Tollex", 1,025 bytes
constexpr int AssocKeyPathSize = 296;
extern char AssocKeyPath[AssocKeyPathSize];
extern char* ModuleDirectory;  // 262 bytes, no trailing backslash
extern HMODULE ModuleHandle;
// The diagnostics library kept loaded, or null.
extern HMODULE DiagnosticsLibrary;

// The bounds of rootKeyPath within which AssocKeyPath can be built: its last
// component ("Plugins", 7 characters) gives way to "Associations", and the
// result must fit the buffer.
constexpr int32_t AssocRootMinLength = 7;
constexpr int32_t AssocRootMaxLength = AssocKeyPathSize - 1 - 12 + AssocRootMinLength;  // 290
// False when start-up could not build AssocKeyPath; nothing may then read or
// write the association table.
bool AssocKeyPathUsable();
