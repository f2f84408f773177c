// Key names as velk's scripts and help texts write them ("Ctrl+Up", "F4",
// "Add", "Shift+Tab"), and the Windows virtual-key codes they stand for.
#pragma once

#include <cstdint>
#include <string>

#include "velk/frontend.h"

namespace velk {

// Virtual-key codes velk's front ends handle themselves.
constexpr uint16_t VkBack = 0x08;
constexpr uint16_t VkTab = 0x09;
constexpr uint16_t VkReturn = 0x0D;
constexpr uint16_t VkEscape = 0x1B;
constexpr uint16_t VkSpace = 0x20;
constexpr uint16_t VkPrior = 0x21;
constexpr uint16_t VkNext = 0x22;
constexpr uint16_t VkEnd = 0x23;
constexpr uint16_t VkHome = 0x24;
constexpr uint16_t VkLeft = 0x25;
constexpr uint16_t VkUp = 0x26;
constexpr uint16_t VkRight = 0x27;
constexpr uint16_t VkDown = 0x28;
constexpr uint16_t VkInsert = 0x2D;
constexpr uint16_t VkDelete = 0x2E;
constexpr uint16_t VkMultiply = 0x6A;
constexpr uint16_t VkAdd = 0x6B;
constexpr uint16_t VkSubtract = 0x6D;
constexpr uint16_t VkF1 = 0x70;

// Parses a key name: an optional chain of "Ctrl+", "Alt+", "Shift+" (any
// order, letter case ignored) and one of Up Down Left Right Home End PgUp
// PgDn Enter Esc Tab Ins Del BackSpace Space F1..F12 Add Subtract Multiply,
// a letter A-Z or a digit 0-9. False for anything else.
bool ParseKeyName(const std::string& name, KeyPress& key);

// The canonical name of a key ("Ctrl+F5"); keys without a name are shown as
// their code, e.g. "Ctrl+0x91".
std::string KeyName(KeyPress key);

// Name of a break-key word (low 16 bits the key, high 16 bits the modifiers).
inline std::string BreakKeyName(uint32_t word) {
  return KeyName(KeyPress{static_cast<uint16_t>(word & 0xFFFF), static_cast<uint16_t>(word >> 16)});
}

}  // namespace velk
