// A thin layer over the registry of the current user: every operation opens,
// works and closes its key, against the current base path.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

extern const char* RegistryBasePath;

// Points RegistryBasePath at a path while it lives and then sets it back to
// the value it found: the one way code works on another key for a moment.
class BasePathRedirect {
 public:
  explicit BasePathRedirect(const char* path) : saved(RegistryBasePath) { RegistryBasePath = path; }
  ~BasePathRedirect() { RegistryBasePath = saved; }
  BasePathRedirect(const BasePathRedirect&) = delete;
  BasePathRedirect& operator=(const BasePathRedirect&) = delete;

 private:
  const char* const saved;
};

HKEY OpenKeyForRead(const char* subkey);
HKEY OpenOrCreateKey(const char* subkey);
uint32_t ReadNumber(const char* subkey, const char* valueName, uint32_t defaultValue);
char* ReadText(const char* subkey, const char* valueName, char* destination, const char* defaultText, int32_t size);
// Reads a text value whole, however long: text grows to hold it and ends at
// the first zero byte of the data. A key or value that cannot be read gives
// the default text (null: the empty text). Returns text.data().
char* ReadWholeText(const char* subkey, const char* valueName, std::vector<char>& text, const char* defaultText);
bool WriteNumber(const char* subkey, const char* valueName, uint32_t value);
bool WriteText(const char* subkey, const char* valueName, const char* text);
// Removes one value; a value (or key) that is not there is no failure.
bool DeleteValue(const char* subkey, const char* valueName);
bool KeyExists(const char* path);
// The name of the index-th subkey of the key at path, below
// HKEY_CURRENT_USER; false past the last one, for a name longer than size
// allows, or when the key cannot be read.
bool SubkeyName(const char* path, DWORD index, char* name, DWORD size);
// How many subkeys and values the key at path holds; -1 when it cannot be
// read.
int32_t CountSubkeys(const char* path);
int32_t CountValues(const char* path);
bool DeleteKeyTree(HKEY parent, const char* subkey);
