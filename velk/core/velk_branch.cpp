#include "core/velk_branch.h"

#include <cstdlib>
#include <unordered_set>
#include <utility>
#include <vector>

#include <windows.h>

#if !defined(_WIN32)
#include "winport.h"
#endif

namespace velk {
namespace {

const std::string& Branch() {
  static const std::string branch = VelkBranch;
  return branch;
}

// Names compare as the registry compares them.
bool InBranch(const std::string& path) {
  const std::string& b = Branch();
  if (path.size() < b.size() || regfile::CompareNames(path.data(), b.size(), b.data(), b.size()) != 0) return false;
  return path.size() == b.size() || path[b.size()] == '\\';
}

// The part of a key path below HKEY_CURRENT_USER ("Software\VELK\...").
std::string BelowHive(const std::string& path) {
  size_t slash = path.find('\\');
  return slash == std::string::npos ? std::string() : path.substr(slash + 1);
}

#if defined(_WIN32)

// Deletes a key and everything below it; a missing key is no failure.
LONG DeleteTree(HKEY parent, const std::string& subKey) {
  HKEY key;
  LONG rc = RegOpenKeyExA(parent, subKey.c_str(), 0, KEY_READ | KEY_WRITE, &key);
  if (rc == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (rc != ERROR_SUCCESS) return rc;
  for (;;) {
    char name[1024];
    DWORD size = sizeof name;
    rc = RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc == ERROR_SUCCESS) rc = DeleteTree(key, name);
    if (rc != ERROR_SUCCESS) {
      RegCloseKey(key);
      return rc;
    }
  }
  RegCloseKey(key);
  return RegDeleteKeyA(parent, subKey.c_str());
}

bool ExportKey(HKEY key, const std::string& path, regfile::File& file, std::string& error) {
  DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxData = 0;
  LONG rc = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values, &maxValueName,
                             &maxData, nullptr, nullptr);
  if (rc != ERROR_SUCCESS) {
    error = "cannot read the registry key " + path + " (error " + std::to_string(rc) + ")";
    return false;
  }
  regfile::Key entry;
  entry.path = path;
  std::vector<char> name(maxValueName + 2);
  std::vector<BYTE> data(maxData + 2);
  for (DWORD i = 0; i < values; ++i) {
    DWORD nameSize = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = 0;
    rc = RegEnumValueA(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
    if (rc != ERROR_SUCCESS) {
      error = "cannot read a value of " + path + " (error " + std::to_string(rc) + ")";
      return false;
    }
    regfile::Value v;
    v.name.assign(name.data(), nameSize);
    v.type = type;
    v.data.assign(data.begin(), data.begin() + dataSize);
    entry.values.push_back(v);
  }
  file.keys.push_back(entry);
  std::vector<char> sub(maxSubKey + 2);
  for (DWORD i = 0; i < subKeys; ++i) {
    DWORD size = static_cast<DWORD>(sub.size());
    rc = RegEnumKeyExA(key, i, sub.data(), &size, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) {
      error = "cannot list the subkeys of " + path + " (error " + std::to_string(rc) + ")";
      return false;
    }
    std::string child(sub.data(), size);
    HKEY childKey;
    rc = RegOpenKeyExA(key, child.c_str(), 0, KEY_READ, &childKey);
    if (rc != ERROR_SUCCESS) {
      error = "cannot open " + path + "\\" + child + " (error " + std::to_string(rc) + ")";
      return false;
    }
    bool ok = ExportKey(childKey, path + "\\" + child, file, error);
    RegCloseKey(childKey);
    if (!ok) return false;
  }
  return true;
}

#endif

}  // namespace

bool CheckBranch(const regfile::File& file, std::string& error) {
  for (const regfile::Key& key : file.keys) {
    if (!InBranch(key.path)) {
      error = "the key " + key.path + " lies outside " + VelkBranch;
      return false;
    }
  }
  return true;
}

void CompleteAncestors(regfile::File& file) {
  std::unordered_set<std::string, regfile::NameHash, regfile::NameEqual> have;
  have.reserve(file.keys.size());
  for (const regfile::Key& key : file.keys) have.insert(key.path);
  std::vector<regfile::Key> added;
  size_t rootLength = std::string(VelkBranch).size();
  for (const regfile::Key& key : file.keys) {
    if (!InBranch(key.path)) continue;
    std::string path = key.path;
    for (;;) {
      size_t cut = path.rfind('\\');
      if (cut == std::string::npos || cut < rootLength) break;
      path = path.substr(0, cut);
      if (!have.insert(path).second) break;
      // The branch itself is always spelled one way.
      added.push_back(regfile::Key{path.size() == rootLength ? std::string(VelkBranch) : path, {}});
    }
  }
  if (!file.keys.empty() && have.insert(Branch()).second) added.push_back(regfile::Key{VelkBranch, {}});
  file.keys.insert(file.keys.end(), added.begin(), added.end());
}

#if defined(_WIN32)

bool ImportBranch(regfile::File file, std::string& error, const regfile::StopCheck& stop) {
  if (!CheckBranch(file, error)) return false;
  std::string branch = BelowHive(VelkBranch);
  LONG rc = DeleteTree(HKEY_CURRENT_USER, branch);
  if (rc != ERROR_SUCCESS) {
    error = "cannot clear HKEY_CURRENT_USER\\" + branch + " (error " + std::to_string(rc) + ")";
    return false;
  }
  size_t done = 0;
  for (const regfile::Key& key : file.keys) {
    if (stop && ++done % 256 == 0 && stop()) {
      error = "importing stopped";
      return false;
    }
    HKEY handle;
    std::string sub = BelowHive(key.path);
    rc = RegCreateKeyExA(HKEY_CURRENT_USER, sub.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr);
    if (rc != ERROR_SUCCESS) {
      error = "cannot create " + key.path + " (error " + std::to_string(rc) + ")";
      return false;
    }
    for (const regfile::Value& v : key.values) {
      rc = RegSetValueExA(handle, v.name.c_str(), 0, v.type, v.data.empty() ? nullptr : v.data.data(),
                          static_cast<DWORD>(v.data.size()));
      if (rc != ERROR_SUCCESS) {
        RegCloseKey(handle);
        error = "cannot set " + key.path + " value " + v.name + " (error " + std::to_string(rc) + ")";
        return false;
      }
    }
    RegCloseKey(handle);
  }
  return true;
}

bool ExportBranch(regfile::File& file, std::string& error) {
  file = regfile::File();
  HKEY key;
  LONG rc = RegOpenKeyExA(HKEY_CURRENT_USER, BelowHive(VelkBranch).c_str(), 0, KEY_READ, &key);
  if (rc == ERROR_FILE_NOT_FOUND) return true;  // an empty registry
  if (rc != ERROR_SUCCESS) {
    error = std::string("cannot open ") + VelkBranch + " (error " + std::to_string(rc) + ")";
    return false;
  }
  bool ok = ExportKey(key, VelkBranch, file, error);
  RegCloseKey(key);
  if (!ok) return false;
  CompleteAncestors(file);
  regfile::Canonicalize(file);
  return true;
}

bool ExportBranchText(std::string& text, std::string& error) {
  regfile::File file;
  if (!ExportBranch(file, error)) return false;
  text = regfile::Write(file);
  return true;
}

std::string DefaultRegistryPath() {
  const char* appData = std::getenv("APPDATA");
  std::string base = appData && *appData ? appData : ".";
  return base + "\\velk\\registry.reg";
}

#else

bool ImportBranch(regfile::File file, std::string& error, const regfile::StopCheck& stop) {
  if (!CheckBranch(file, error)) return false;
  WinportRegistryClear();
  return WinportRegistryImport(std::move(file), error, stop);
}

bool ExportBranch(regfile::File& file, std::string&) {
  file = WinportRegistryExport(BelowHive(VelkBranch));
  CompleteAncestors(file);
  regfile::Canonicalize(file);
  return true;
}

// The tree lists every key below the branch, parents first, in canonical
// order already: its text needs neither the ancestors nor the sort.
bool ExportBranchText(std::string& text, std::string&) {
  text = WinportRegistryExportText(BelowHive(VelkBranch));
  return true;
}

std::string DefaultRegistryPath() {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::string base;
  if (data && *data == '/') {
    base = data;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && *home ? home : ".") + "/.local/share";
  }
  return base + "/velk/registry.reg";
}

#endif

bool LoadRegistry(const std::string& name, const std::string* bytes, std::string& error,
                  const regfile::StopCheck& stop) {
  regfile::File file;
  if (!bytes) {
    file = SampleTable();
  } else {
    if (!regfile::Parse(std::vector<uint8_t>(bytes->begin(), bytes->end()), file, error, stop)) {
      error = name + ": " + error;
      return false;
    }
    std::string why;
    if (!CheckBranch(file, why)) {
      error = name + ": " + why;
      return false;
    }
  }
  return ImportBranch(std::move(file), error, stop);
}

}  // namespace velk
