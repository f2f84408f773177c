// What a terminal sends, as key presses: characters and the escape
// sequences of keys (xterm and rxvt forms, modified keys such as
// "CSI 1;5A", "CSI 27;5;49~" and "CSI 49;5u", the Linux console's function
// keys, the application keypad). ncurses decodes what the terminal
// description names; these are the ones it leaves undecoded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "interaction/keys.h"

namespace velk::tui {

// One thing the terminal reported: a key, a change of its size, that what
// it shows must be painted afresh (it was cleared or given away), or text
// pasted into it (a bracketed paste, as PastedText gives it).
struct Input {
  enum Kind { None, Key, Resize, Redraw, Paste } kind = None;
  KeyPress key;
  std::u32string text;
};

Input KeyInput(uint16_t vk, uint16_t modifiers = KeyModNone, char32_t ch = 0);

// The key for a character read from the terminal as it stands (control
// characters included): letters and digits as their upper-case codes
// (typing the character as read), the main keyboard's '+', '-', '*' as the
// numeric pad's keys, control characters as Ctrl+letter, Tab, Enter,
// BackSpace, Esc, and 0x1C-0x1F as Ctrl with \ ] ^ _ (key code 0, the
// character naming the key); any other character types itself (key code 0).
Input InputFromCharacter(char32_t c);

// The bracketed paste's markers ("CSI 200 ~" opens it, "CSI 201 ~" closes
// it), after the ESC.
constexpr std::string_view PasteStart = "[200~";
constexpr std::u32string_view PasteEnd = U"\x1b[201~";
// The text of a paste as it goes into an edit field: each line break (CR,
// LF or CR LF) and each tab a blank, other control characters dropped,
// everything else as it came.
std::u32string PastedText(std::u32string_view raw);

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
