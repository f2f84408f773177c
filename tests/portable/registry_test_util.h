// Helpers for tests that work on the registry of the current user, through
// the raw registry calls only (so that they check the code under test rather
// than lean on it). Each test works in a key of its own below
// HKEY_CURRENT_USER\Software\TollexTest, removed before and after.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace regtest {

struct RawValue {
  bool found = false;
  DWORD type = 0;
  std::vector<uint8_t> data;
};

inline std::string Bytes(const std::vector<uint8_t>& data) { return std::string(data.begin(), data.end()); }

// Deletes a key and everything below it; false when it was not there.
inline bool RemoveTree(HKEY parent, const std::string& subkey) {
  HKEY key;
  if (RegOpenKeyExA(parent, subkey.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return false;
  for (;;) {
    char name[1024];
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (!RemoveTree(key, name)) break;
  }
  RegCloseKey(key);
  return RegDeleteKeyA(parent, subkey.c_str()) == ERROR_SUCCESS;
}

inline bool Exists(const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

inline bool CreateKey(const std::string& path) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

inline bool SetRaw(const std::string& path, const char* name, DWORD type, const void* data, size_t size) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG code = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
  RegCloseKey(key);
  return code == ERROR_SUCCESS;
}

// A REG_SZ with its terminator.
inline bool SetText(const std::string& path, const char* name, const std::string& text) {
  return SetRaw(path, name, REG_SZ, text.c_str(), text.size() + 1);
}

inline bool SetDword(const std::string& path, const char* name, uint32_t value) {
  return SetRaw(path, name, REG_DWORD, &value, sizeof value);
}

inline RawValue GetRaw(const std::string& path, const char* name) {
  RawValue value;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
  DWORD size = 0;
  if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
    value.data.resize(size);
    value.found = RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size) == ERROR_SUCCESS;
    value.data.resize(size);
  }
  RegCloseKey(key);
  return value;
}

// The names enumerate (a call of RegEnumKeyExA's or RegEnumValueA's shape,
// without its optional arguments) gives for the key at path, in order.
template <typename Enumerate>
std::vector<std::string> EnumeratedNames(const std::string& path, Enumerate enumerate) {
  std::vector<std::string> names;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    char name[16384];
    DWORD size = sizeof name;
    if (enumerate(key, i, name, &size) != ERROR_SUCCESS) break;
    names.push_back(name);
  }
  RegCloseKey(key);
  return names;
}

inline std::vector<std::string> Subkeys(const std::string& path) {
  return EnumeratedNames(path, [](HKEY key, DWORD i, char* name, DWORD* size) {
    return RegEnumKeyExA(key, i, name, size, nullptr, nullptr, nullptr, nullptr);
  });
}

inline std::vector<std::string> ValueNames(const std::string& path) {
  return EnumeratedNames(path, [](HKEY key, DWORD i, char* name, DWORD* size) {
    return RegEnumValueA(key, i, name, size, nullptr, nullptr, nullptr, nullptr);
  });
}

// A key of the test's own, HKCU\Software\TollexTest\<name>, empty at the
// start and removed at the end.
class ScratchKey {
 public:
  explicit ScratchKey(const std::string& name) : path_("Software\\TollexTest\\" + name) {
    RemoveTree(HKEY_CURRENT_USER, path_);
  }
  ~ScratchKey() {
    RemoveTree(HKEY_CURRENT_USER, path_);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TollexTest");  // only when no other test's key is left
  }
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& sub) const { return path_ + "\\" + sub; }

 private:
  std::string path_;
};

}  // namespace regtest
