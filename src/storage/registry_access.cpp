// Registry access below HKEY_CURRENT_USER. Every operation composes its key
// path from RegistryBasePath and an optional subkey, opens the key, works and
// closes it again; nothing is kept between calls. The writing side leaves the
// registry's result code in the thread's last-error value, which the error
// messages shown with the host's error-report flag rely on.
#include "storage/registry_access.h"

#include <cstring>
#include <vector>

#include "model/text.h"

const char* RegistryBasePath = nullptr;

namespace {

constexpr int32_t ComposedPathSize = 1024;

// Composes "base\subkey", or "base" alone when the subkey is null or empty,
// into a buffer of ComposedPathSize bytes. A path that would not fit is
// refused rather than cut, since a cut path names some other key; so is
// every path while there is no base path (before start-up, after detach),
// which would otherwise name the root of the user's hive.
bool ComposePath(char* path, const char* subkey) {
  const char* base = RegistryBasePath;
  if (base == nullptr) {
    path[0] = 0;
    return false;
  }
  const bool withSubkey = subkey != nullptr && subkey[0] != 0;
  size_t needed = std::strlen(base) + (withSubkey ? 1 + std::strlen(subkey) : 0);
  if (needed >= static_cast<size_t>(ComposedPathSize)) {
    path[0] = 0;
    return false;
  }
  if (withSubkey) {
    FormatBounded(path, ComposedPathSize, "%s\\%s", base, subkey);
  } else {
    FormatBounded(path, ComposedPathSize, "%s", base);
  }
  return true;
}

// Makes a successfully queried text a terminated one: a value shorter than
// the buffer is terminated right after its data (an empty value fills in
// nothing at all); a value that fills the buffer without a terminator loses
// its last character to the terminator.
void TerminateQueried(char* destination, DWORD filled, int32_t size) {
  if (filled < static_cast<DWORD>(size)) {
    destination[filled] = 0;
  } else {
    destination[size - 1] = 0;
  }
}

void FillDefault(char* destination, const char* defaultText, int32_t size) {
  if (defaultText != nullptr) {
    CopyBounded(destination, defaultText, size);
  } else {
    std::memset(destination, 0, static_cast<size_t>(size));
  }
}

// The room a whole-text read starts with: a field's 260 characters, a group
// marker and a terminator, so that values which fit a record are read once.
constexpr size_t WholeTextStartSize = 262;

// WriteNumber and WriteText: stores one value, creating the key as needed.
// The last-error value is the open's or the create's (see OpenOrCreateKey);
// a failed store replaces it with its own code, not the successful open's 0,
// for the error report that follows.
bool WriteValue(const char* subkey, const char* valueName, DWORD type, const BYTE* data, DWORD length) {
  HKEY key = OpenOrCreateKey(subkey);
  if (key == nullptr) return false;
  LONG code = RegSetValueExA(key, valueName, 0, type, data, length);
  RegCloseKey(key);
  if (code != ERROR_SUCCESS) SetLastError(static_cast<DWORD>(code));
  return code == ERROR_SUCCESS;
}

}  // namespace

HKEY OpenKeyForRead(const char* subkey) {
  char path[ComposedPathSize];
  if (!ComposePath(path, subkey)) return nullptr;
  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, path, &key) != ERROR_SUCCESS) return nullptr;
  return key;
}

HKEY OpenOrCreateKey(const char* subkey) {
  char path[ComposedPathSize];
  if (!ComposePath(path, subkey)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HKEY key = nullptr;
  LONG code = RegOpenKeyA(HKEY_CURRENT_USER, path, &key);
  SetLastError(static_cast<DWORD>(code));
  if (code == ERROR_SUCCESS) return key;
  code = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                         nullptr);
  SetLastError(static_cast<DWORD>(code));
  return code == ERROR_SUCCESS ? key : nullptr;
}

uint32_t ReadNumber(const char* subkey, const char* valueName, uint32_t defaultValue) {
  HKEY key = OpenKeyForRead(subkey);
  if (key == nullptr) return defaultValue;
  // Starts at zero, so a value of fewer than 4 bytes reads with zero high bytes.
  uint32_t number = 0;
  DWORD capacity = sizeof number;
  LONG code = RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &capacity);
  RegCloseKey(key);
  return code == ERROR_SUCCESS ? number : defaultValue;
}

// A value that does not fit the buffer gives the default, not a cut text.
// Reads leave the last-error value alone.
char* ReadText(const char* subkey, const char* valueName, char* destination, const char* defaultText, int32_t size) {
  if (destination == nullptr || size <= 0) return destination;
  HKEY key = OpenKeyForRead(subkey);
  if (key != nullptr) {
    DWORD filled = static_cast<DWORD>(size);
    LONG code = RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(destination), &filled);
    RegCloseKey(key);
    if (code == ERROR_SUCCESS) {
      TerminateQueried(destination, filled, size);
      return destination;
    }
  }
  FillDefault(destination, defaultText, size);
  return destination;
}

char* ReadWholeText(const char* subkey, const char* valueName, std::vector<char>& text, const char* defaultText) {
  if (text.size() < WholeTextStartSize) text.resize(WholeTextStartSize);
  LONG code = ERROR_FILE_NOT_FOUND;
  DWORD filled = 0;
  HKEY key = OpenKeyForRead(subkey);
  if (key != nullptr) {
    // The last byte of the buffer is kept for a terminator the data may lack.
    // A value that does not fit reports its size and is read again into a
    // buffer that holds it (twice more at most, should it grow meanwhile).
    for (int attempt = 0; attempt < 3; ++attempt) {
      filled = static_cast<DWORD>(text.size() - 1);
      code = RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &filled);
      if (code != ERROR_MORE_DATA) break;
      text.resize(static_cast<size_t>(filled) + 1);
    }
    RegCloseKey(key);
  }
  if (code == ERROR_SUCCESS) {
    text[filled] = 0;
  } else {
    const char* fallback = defaultText != nullptr ? defaultText : "";
    text.assign(fallback, fallback + std::strlen(fallback) + 1);
  }
  return text.data();
}

bool WriteNumber(const char* subkey, const char* valueName, uint32_t value) {
  return WriteValue(subkey, valueName, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

bool WriteText(const char* subkey, const char* valueName, const char* text) {
  if (text == nullptr) text = "";
  const DWORD length = static_cast<DWORD>(std::strlen(text)) + 1;  // with the terminator
  return WriteValue(subkey, valueName, REG_SZ, reinterpret_cast<const BYTE*>(text), length);
}

bool DeleteValue(const char* subkey, const char* valueName) {
  HKEY key = OpenKeyForRead(subkey);
  if (key == nullptr) return true;  // no key, so no value either
  LONG code = RegDeleteValueA(key, valueName);
  RegCloseKey(key);
  if (code == ERROR_FILE_NOT_FOUND) code = ERROR_SUCCESS;
  SetLastError(static_cast<DWORD>(code));
  return code == ERROR_SUCCESS;
}

bool SubkeyName(const char* path, DWORD index, char* name, DWORD size) {
  HKEY key = nullptr;
  if (size == 0 || RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD capacity = size;
  LONG code = RegEnumKeyExA(key, index, name, &capacity, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return code == ERROR_SUCCESS;
}

namespace {

// Counts what RegEnumKeyExA or RegEnumValueA lists of the key at path.
template <typename Enumerate>
int32_t CountListed(const char* path, Enumerate enumerate) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
  char name[ComposedPathSize];
  int32_t count = 0;
  for (;; ++count) {
    DWORD capacity = sizeof name;
    const LONG code = enumerate(key, static_cast<DWORD>(count), name, &capacity);
    if (code != ERROR_SUCCESS && code != ERROR_MORE_DATA) break;
  }
  RegCloseKey(key);
  return count;
}

}  // namespace

int32_t CountSubkeys(const char* path) {
  return CountListed(path, [](HKEY key, DWORD index, char* name, DWORD* capacity) {
    return RegEnumKeyExA(key, index, name, capacity, nullptr, nullptr, nullptr, nullptr);
  });
}

int32_t CountValues(const char* path) {
  return CountListed(path, [](HKEY key, DWORD index, char* name, DWORD* capacity) {
    return RegEnumValueA(key, index, name, capacity, nullptr, nullptr, nullptr, nullptr);
  });
}

bool KeyExists(const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool DeleteKeyTree(HKEY parent, const char* subkey) {
  // A null or empty subkey would name the parent itself, and for
  // HKEY_CURRENT_USER that is the user's whole hive: refused.
  if (subkey == nullptr || subkey[0] == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  HKEY key = nullptr;
  LONG code = RegOpenKeyExA(parent, subkey, 0, KEY_READ | KEY_WRITE, &key);
  SetLastError(static_cast<DWORD>(code));
  if (code != ERROR_SUCCESS) return false;
  // Index 0 every time: each child found is deleted before the next look.
  for (;;) {
    char name[ComposedPathSize];
    std::memset(name, 0, sizeof name);
    DWORD capacity = sizeof name;
    code = RegEnumKeyExA(key, 0, name, &capacity, nullptr, nullptr, nullptr, nullptr);
    SetLastError(static_cast<DWORD>(code));
    if (code == ERROR_NO_MORE_ITEMS) {
      code = ERROR_SUCCESS;
      break;
    }
    if (code != ERROR_SUCCESS) break;
    if (!DeleteKeyTree(key, name)) {
      code = static_cast<LONG>(GetLastError());
      break;
    }
  }
  if (code == ERROR_SUCCESS) {
    code = RegDeleteKeyA(parent, subkey);
    SetLastError(static_cast<DWORD>(code));
  }
  RegCloseKey(key);
  return code == ERROR_SUCCESS;
}
