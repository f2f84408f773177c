// velk's branch of the current user's registry: the branch every registry
// file lies in, importing a file into it and exporting it, where the file is
// by default, and the built-in sample table that fills an empty start.
#pragma once

#include <string>

#include "reg_format.h"

namespace velk {

// Every key of a registry file lies in this branch; velk replaces exactly
// this branch when it imports a file and exports exactly it at the end.
constexpr const char* VelkBranch = "HKEY_CURRENT_USER\\Software\\VELK";

// The built-in sample association table (four groups with headers), as the
// registry keys the host keeps it in.
regfile::File SampleTable();

// False, naming the key, when a key lies outside VelkBranch.
bool CheckBranch(const regfile::File& file, std::string& error);

// Adds every missing key between VelkBranch and each key of the file, so
// that the file lists each key of the branch once, as regedit exports do.
void CompleteAncestors(regfile::File& file);

// Replaces the branch in the current user's registry with the file's keys;
// stops part way when stop (if given) returns true.
bool ImportBranch(regfile::File file, std::string& error, const regfile::StopCheck& stop = nullptr);
// The branch as it is now, in canonical order with all ancestors listed.
bool ExportBranch(regfile::File& file, std::string& error);
// The same as .reg text (regfile::Write of ExportBranch's file).
bool ExportBranchText(std::string& text, std::string& error);

// $XDG_DATA_HOME/velk/registry.reg (or ~/.local/share/...); on Windows
// velk\registry.reg in %APPDATA%.
std::string DefaultRegistryPath();

// Loads a registry file's bytes into the registry, or the sample table when
// bytes is null. False with error (starting with the file's name) for bytes
// that do not parse, or that hold keys outside the branch, or when stop
// returned true during the reading. (Reading and writing the file is
// core/registry_store.h's.)
bool LoadRegistry(const std::string& name, const std::string* bytes, std::string& error,
                  const regfile::StopCheck& stop = nullptr);

}  // namespace velk
