// A thin layer over the registry of the current user: every operation opens,
// works and closes its key, against the current base path.
#pragma once

#include <windows.h>

#include <cstdint>

extern const char* RegistryBasePath;

HKEY OpenKeyForRead(const char* subkey);
HKEY OpenOrCreateKey(const char* subkey);
uint32_t ReadNumber(const char* subkey, const char* valueName, uint32_t defaultValue);
char* ReadText(const char* subkey, const char* valueName, char* destination, const char* defaultText,
               int32_t size);
// As ReadText, but a value whose data do not fit the buffer is read cut to
// size - 1 bytes and terminated, instead of giving the default text.
char* ReadTextCut(const char* subkey, const char* valueName, char* destination, const char* defaultText,
                  int32_t size);
bool WriteNumber(const char* subkey, const char* valueName, uint32_t value);
bool WriteText(const char* subkey, const char* valueName, const char* text);
bool KeyExists(const char* path);
bool DeleteKeyTree(HKEY parent, const char* subkey);
