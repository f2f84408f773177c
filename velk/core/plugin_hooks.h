// What velk changes in the world the plug-in sees, for tests and for a
// stable layout: a registry write that fails on purpose, an end right after
// a given registry write, and the width of
// the console's screen buffer. On Linux the portable layer has switches for
// both; on Windows velk redirects the plug-in module's own imports, so that
// only the plug-in's calls are affected.
#pragma once

#include <string>

#include <windows.h>

namespace velk {

// Makes the n-th mutating registry call of the plug-in (create key, set
// value, delete key, delete value), counted from now on, fail once with
// access denied (5). n must be at least 1.
bool ArmRegistryWriteFault(HMODULE plugin, int n, std::string& error);

// Once the n-th mutating registry call of the plug-in, counted as above
// (the same count, arm both before the plug-in runs), has returned, calls
// end, which ends velk. n must be at least 1.
bool ArmRegistryWriteEnd(HMODULE plugin, int n, void (*end)(), std::string& error);

// Switches the fault and the end off again (a no-op when it was never armed), so that a
// later run in the same process starts without it.
void DisarmRegistryWriteFault();

// Mutating registry calls of the plug-in counted since ArmRegistryWriteFault
// (-1 when the switch was never armed).
int RegistryWritesSeen();

// The screen-buffer width in columns the plug-in's console query reports.
bool SetPluginConsoleWidth(HMODULE plugin, int columns, std::string& error);

}  // namespace velk
