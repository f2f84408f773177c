// What a terminal sends, as key presses: characters and the escape
// sequences of keys (xterm and rxvt forms, modified keys such as
// "CSI 1;5A", "CSI 27;5;49~" and "CSI 49;5u", the Linux console's function
// keys, the application keypad). ncurses decodes what the terminal
// description names; these are the ones it leaves undecoded.
#pragma once

#include <cstdint>
#include <string_view>

#include "interaction/keys.h"

namespace velk::tui {

// One thing the terminal reported: a key, a change of its size, or that
// what it shows must be painted afresh (it was cleared or given away).
struct Input {
  enum Kind { None, Key, Resize, Redraw } kind = None;
  KeyPress key;
};

Input KeyInput(uint16_t vk, uint16_t modifiers = KeyModNone, char32_t ch = 0);

// The key for a character read from the terminal as it stands (control
// characters included): letters and digits as their upper-case codes
// (typing the character as read), the main keyboard's '+', '-', '*' as the
// numeric pad's keys, control characters as Ctrl+letter, Tab, Enter,
// BackSpace, Esc; any other character types itself (key code 0).
Input InputFromCharacter(char32_t c);

// Decodes the bytes that followed an ESC: a CSI or SS3 key sequence, or a
// single character, which is that key with Alt. A None input for a
// sequence it does not know.
Input DecodeEscapeSequence(std::string_view afterEsc);
// Whether the bytes after an ESC form a complete sequence (so a reader knows
// when to stop reading).
bool EscapeSequenceComplete(std::string_view afterEsc);

// Modifier bits of an xterm modifier parameter (2 Shift, 3 Alt, 5 Ctrl ...).
uint16_t ModifiersFromXtermParameter(int parameter);

}  // namespace velk::tui
