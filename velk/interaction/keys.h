// velk's key vocabulary: a key press as the host reports it to the plug-in
// (a Windows virtual-key code and the modifier bits of host_abi.h), with the
// character it types; key names as scripts, transcripts and help texts
// write them ("Ctrl+Up", "F4", "Add", "Shift+Tab"); and the stand-ins a
// terminal user has for keys many terminals cannot send.
#pragma once

#include <cstdint>
#include <string>

#include "host/base/host_abi.h"

namespace velk {

// Virtual-key codes velk knows by name. F1 ... F12 are VkF1 + 0 ... 11.
enum : uint16_t {
  VkBack = 0x08,
  VkTab = 0x09,
  VkReturn = 0x0D,
  VkEscape = 0x1B,
  VkSpace = 0x20,
  VkPrior = 0x21,
  VkNext = 0x22,
  VkEnd = 0x23,
  VkHome = 0x24,
  VkLeft = 0x25,
  VkUp = 0x26,
  VkRight = 0x27,
  VkDown = 0x28,
  VkInsert = 0x2D,
  VkDelete = 0x2E,
  VkMultiply = 0x6A,
  VkAdd = 0x6B,
  VkSubtract = 0x6D,
  VkDivide = 0x6F,
  VkF1 = 0x70,
};
constexpr uint16_t VkF(int n) { return static_cast<uint16_t>(VkF1 + n - 1); }

// One key press: the key, its modifier bits and the character it types
// (0 for keys that type nothing). Two presses are the same key when code and
// modifiers agree; the character only matters to an edit field. A key
// without a key code (punctuation, a character of another script) keeps its
// character with Ctrl or Alt too, where it types nothing but names the key.
struct KeyPress {
  uint16_t vk = 0;
  uint16_t modifiers = KeyModNone;
  char32_t ch = 0;

  bool Is(uint16_t code, uint16_t mods = KeyModNone) const { return vk == code && modifiers == mods; }
};

// A key press that types the character a keyboard gives for it (TypedCharacter).
KeyPress Key(uint16_t vk, uint16_t modifiers = KeyModNone);

// What a key types on a keyboard: a letter key its lower-case letter (with
// Shift the capital), digits, Space and the numeric pad's operators
// themselves; nothing with Ctrl or Alt, and nothing for the other keys.
char32_t TypedCharacter(uint16_t vk, uint16_t modifiers);

// Index of the key in a zero-terminated break-key table, or -1.
int FindBreakCode(const uint32_t* breakKeys, KeyPress key);

// Parses a key name: an optional chain of "Ctrl+", "Alt+", "Shift+" (any
// order, letter case ignored) and one of Up Down Left Right Home End PgUp
// PgDn Enter Esc Tab Ins Del BackSpace Space F1..F12 Add Subtract Multiply,
// a letter A-Z or a digit 0-9. The press types what TypedCharacter says.
// False for anything else.
bool ParseKeyName(const std::string& name, KeyPress& key);

// The canonical name of a key ("Ctrl+F5"); a key without a key code is
// named by its character, in UTF-8 ("é", "Ctrl+\"), other keys without a
// name by their code, e.g. "Ctrl+0x91".
std::string KeyName(KeyPress key);
// Name of a break-key word (low 16 bits the key, high 16 bits the modifiers).
std::string BreakKeyName(uint32_t word);

// velk's stand-ins for keys many terminals cannot send: Alt+Up/Down for
// Ctrl+Up/Down, Alt+1..3 for Ctrl+1..3, Alt+F1..F5 for Ctrl+F1..F5. Other
// keys are returned unchanged.
KeyPress ApplyStandIns(KeyPress key);
// The key taken with Ctrl (after the Ctrl prefix key, F12): it types nothing.
KeyPress WithCtrl(KeyPress key);

// The help topic that explains velk's keys.
constexpr const char* VelkKeysTopic = "VelkKeys";

}  // namespace velk
