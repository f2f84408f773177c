// Controls of the portable layer that have no Windows counterpart: loading
// and saving the in-memory registry, the fault switch for tests, and the
// console width a host wants the plug-in to see. Linux builds only.
#pragma once

#include <string>

#include "reg_format.h"

// Registry tree (portable/src/win_registry.cpp).
// Removes every key and value below HKEY_CURRENT_USER.
void WinportRegistryClear();
// Adds the keys and values of a parsed .reg file. Key paths must start with
// HKEY_CURRENT_USER; others are refused (false, error set) before anything
// is added. When stop (if given) returns true, the import ends part way
// ("importing stopped"), with some keys added.
// The file's values are moved into the registry.
bool WinportRegistryImport(regfile::File file, std::string& error, const regfile::StopCheck& stop = nullptr);
// Copies the branch below HKEY_CURRENT_USER\<rootPath> ("" for the whole hive)
// into a .reg model, keys and values in the order the tree holds them.
regfile::File WinportRegistryExport(const std::string& rootPath);
// The same branch as .reg text: regfile::Write of WinportRegistryExport,
// made straight from the tree (the tree's order is the canonical one).
std::string WinportRegistryExportText(const std::string& rootPath);
// Makes the n-th mutating call (RegCreateKeyExA, RegSetValueExA,
// RegDeleteKeyA, RegDeleteValueA), counted from this call on, fail once with
// ERROR_ACCESS_DENIED. n = 0 switches the fault off. (The counting is
// registry_write_switch.h's, which velk's hooks on Windows count with too.)
void WinportRegistryFailNthWrite(int n);
// Once the n-th mutating call, counted from this call on as above, has
// returned, calls end (which may end the process), with the registry
// unlocked. n = 0 or a null end switches it off. Arming either switch
// restarts the one count: arm both before the calls to be counted.
void WinportRegistryEndAfterNthWrite(int n, void (*end)());
// Number of mutating calls since the last arming of either switch.
int WinportRegistryWriteCount();
// Number of calls that may have changed the tree since the process started
// (mutating calls, failed ones included, imports and clears); never reset.
// Unchanged, it says the registry is as it was when it was read before.
unsigned long long WinportRegistryChangeCount();

// Console (portable/src/console.cpp): the screen-buffer width that
// GetConsoleScreenBufferInfo reports. 0 = ask the terminal (80 when standard
// output is not a terminal); a negative value makes the query fail.
void WinportSetConsoleWidth(int columns);
