// Key decoding for the terminal front end: characters and escape sequences
// as terminals send them, turned into Windows virtual-key codes and velk's
// modifier bits. ncurses decodes what the terminal description names; the
// sequences here are the ones it leaves undecoded (modified keys such as
// xterm's modifyOtherKeys and "CSI u" forms, rxvt's and the Linux console's
// variants, the application keypad).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "velk/tui_parts.h"

namespace velk::tui {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::vector<int> Parameters(std::string_view body) {
  // "1;5" -> {1, 5}; empty fields give 1 (the xterm default); a field with
  // sub-parameters ("97:65") counts by its first part.
  std::vector<int> out;
  size_t start = 0;
  while (start <= body.size()) {
    size_t end = body.find(';', start);
    if (end == std::string_view::npos) end = body.size();
    std::string_view field = body.substr(start, end - start);
    size_t colon = field.find(':');
    if (colon != std::string_view::npos) field = field.substr(0, colon);
    int value = 0;
    bool any = false;
    for (char c : field) {
      if (!IsDigit(c)) break;
      value = value * 10 + (c - '0');
      any = true;
      if (value > 0x10FFFF) break;
    }
    out.push_back(any ? value : 1);
    start = end + 1;
  }
  return out;
}

// The key of a "CSI n ~" number (also rxvt's "CSI n ^", "CSI n $", "CSI n @").
uint16_t TildeKey(int n) {
  switch (n) {
    case 1: case 7: return VkHome;
    case 2: return VkInsert;
    case 3: return VkDelete;
    case 4: case 8: return VkEnd;
    case 5: return VkPrior;
    case 6: return VkNext;
    case 11: case 12: case 13: case 14: case 15: return static_cast<uint16_t>(VkF1 + n - 11);
    case 17: case 18: case 19: case 20: case 21: return static_cast<uint16_t>(VkF1 + 5 + n - 17);
    case 23: case 24: return static_cast<uint16_t>(VkF1 + 10 + n - 23);
    default: return 0;
  }
}

uint16_t LetterKey(char c) {
  switch (c) {
    case 'A': return VkUp;
    case 'B': return VkDown;
    case 'C': return VkRight;
    case 'D': return VkLeft;
    case 'H': return VkHome;
    case 'F': return VkEnd;
    case 'P': return VkF1;
    case 'Q': return VkF1 + 1;
    case 'R': return VkF1 + 2;
    case 'S': return VkF1 + 3;
    default: return 0;
  }
}

// A key given by its character code together with modifiers, as the
// modified-key reports carry it.
Input FromCode(int code, uint16_t mods) {
  if (code < 0 || code > 0x10FFFF) return Input();
  Input in = InputFromCharacter(static_cast<wchar_t>(code));
  if (in.kind != Input::Key) return in;
  if (code >= 'A' && code <= 'Z') mods |= ModShift;
  in.key.modifiers |= mods;
  if (in.key.modifiers & (ModCtrl | ModAlt)) in.ch = 0;
  return in;
}

Input Keyed(uint16_t vk, uint16_t mods) {
  if (vk == 0) return Input();
  return KeyInput(vk, mods);
}

}  // namespace

Input KeyInput(uint16_t vk, uint16_t modifiers, wchar_t ch) {
  Input in;
  in.kind = Input::Key;
  in.key.vk = vk;
  in.key.modifiers = modifiers;
  in.ch = ch;
  return in;
}

uint16_t ModifiersFromXtermParameter(int parameter) {
  if (parameter < 2) return ModNone;
  int bits = parameter - 1;
  uint16_t mods = ModNone;
  if (bits & 1) mods |= ModShift;
  if (bits & 2) mods |= ModAlt;
  if (bits & 4) mods |= ModCtrl;
  if (bits & 8) mods |= ModAlt;  // Meta counts as Alt
  return mods;
}

Input InputFromCharacter(wchar_t c) {
  switch (c) {
    case 0: return KeyInput(VkSpace, ModCtrl);
    case 8: case 127: return KeyInput(VkBack);
    case 9: return KeyInput(VkTab);
    case 10: case 13: return KeyInput(VkReturn);
    case 27: return KeyInput(VkEscape);
    case L' ': return KeyInput(VkSpace, ModNone, c);
    case L'+': return KeyInput(VkAdd, ModNone, c);
    case L'-': return KeyInput(VkSubtract, ModNone, c);
    case L'*': return KeyInput(VkMultiply, ModNone, c);
    default: break;
  }
  if (c >= 1 && c <= 26) return KeyInput(static_cast<uint16_t>('A' + c - 1), ModCtrl);
  if (c < 32) return Input();  // Ctrl with a punctuation key: nothing velk uses
  if (c >= L'a' && c <= L'z') return KeyInput(static_cast<uint16_t>(c - L'a' + 'A'), ModNone, c);
  if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) return KeyInput(static_cast<uint16_t>(c), ModNone, c);
  return KeyInput(0, ModNone, c);
}

bool EscapeSequenceComplete(std::string_view s) {
  if (s.empty()) return false;
  if (s[0] == '[') {
    if (s.size() >= 2 && s[1] == '[') return s.size() >= 3;  // Linux console F1-F5
    for (size_t i = 1; i < s.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(s[i]);
      if ((c >= 0x40 && c <= 0x7E) || c == '$') return true;
    }
    return false;
  }
  if (s[0] == 'O') {
    for (size_t i = 1; i < s.size(); ++i) {
      if (!IsDigit(s[i]) && s[i] != ';') return true;
    }
    return false;
  }
  return true;
}

Input DecodeEscapeSequence(std::string_view s) {
  if (s.empty()) return KeyInput(VkEscape);
  if (s.size() == 1 || (s[0] != '[' && s[0] != 'O')) {
    if (s.size() != 1) return Input();
    if (s[0] == 27) return KeyInput(VkEscape);
    Input in = InputFromCharacter(static_cast<unsigned char>(s[0]));
    if (in.kind != Input::Key) return in;
    in.key.modifiers |= ModAlt;
    in.ch = 0;
    return in;
  }
  if (!EscapeSequenceComplete(s)) return Input();
  char final = s.back();
  if (s[0] == 'O') {
    std::string_view digits = s.substr(1, s.size() - 2);
    uint16_t mods = digits.empty() ? ModNone : ModifiersFromXtermParameter(Parameters(digits).back());
    switch (final) {
      case 'k': return Keyed(VkAdd, mods);
      case 'm': return Keyed(VkSubtract, mods);
      case 'j': return Keyed(VkMultiply, mods);
      case 'o': return Keyed(VkDivide, mods);
      case 'M': return Keyed(VkReturn, mods);
      // rxvt: Ctrl with the arrows.
      case 'a': return Keyed(VkUp, ModCtrl);
      case 'b': return Keyed(VkDown, ModCtrl);
      case 'c': return Keyed(VkRight, ModCtrl);
      case 'd': return Keyed(VkLeft, ModCtrl);
      default: break;
    }
    if (final >= 'p' && final <= 'y') return Keyed(static_cast<uint16_t>('0' + final - 'p'), mods);
    return Keyed(LetterKey(final), mods);
  }
  // CSI
  if (s.size() == 3 && s[1] == '[') {
    if (final >= 'A' && final <= 'E') return Keyed(static_cast<uint16_t>(VkF1 + final - 'A'), ModNone);
    return Input();
  }
  std::string_view body = s.substr(1, s.size() - 2);
  if (!body.empty() && (body[0] == '?' || body[0] == '>' || body[0] == '<' || body[0] == '=')) {
    return Input();  // a report from the terminal, not a key
  }
  std::vector<int> p = body.empty() ? std::vector<int>() : Parameters(body);
  auto param = [&](size_t i, int def) { return i < p.size() ? p[i] : def; };
  switch (final) {
    case '~':
      if (param(0, 0) == 27) return FromCode(param(2, -1), ModifiersFromXtermParameter(param(1, 1)));
      return Keyed(TildeKey(param(0, 0)), ModifiersFromXtermParameter(param(1, 1)));
    case 'u':
      return FromCode(param(0, -1), ModifiersFromXtermParameter(param(1, 1)));
    case '^': return Keyed(TildeKey(param(0, 0)), ModCtrl);
    case '$': return Keyed(TildeKey(param(0, 0)), ModShift);
    case '@': return Keyed(TildeKey(param(0, 0)), ModCtrl | ModShift);
    case 'Z': return Keyed(VkTab, ModShift);
    // rxvt: Shift with the arrows.
    case 'a': return Keyed(VkUp, ModShift);
    case 'b': return Keyed(VkDown, ModShift);
    case 'c': return Keyed(VkRight, ModShift);
    case 'd': return Keyed(VkLeft, ModShift);
    default: break;
  }
  return Keyed(LetterKey(final), ModifiersFromXtermParameter(param(1, 1)));
}

Input ApplyAlternativeKeys(Input in) {
  if (in.kind != Input::Key || in.key.modifiers != ModAlt) return in;
  uint16_t vk = in.key.vk;
  bool alternative = vk == VkUp || vk == VkDown || (vk >= '1' && vk <= '3') || (vk >= VkF1 && vk <= VkF1 + 4);
  if (alternative) {
    in.key.modifiers = ModCtrl;
    in.ch = 0;
  }
  return in;
}

Input WithCtrl(Input in) {
  if (in.kind != Input::Key) return in;
  in.key.modifiers |= ModCtrl;
  in.ch = 0;
  return in;
}

std::string KeyName(KeyPress key) {
  std::string name;
  if (key.modifiers & ModCtrl) name += "Ctrl+";
  if (key.modifiers & ModAlt) name += "Alt+";
  if (key.modifiers & ModShift) name += "Shift+";
  uint16_t vk = key.vk;
  const char* fixed = nullptr;
  switch (vk) {
    case VkBack: fixed = "BackSpace"; break;
    case VkTab: fixed = "Tab"; break;
    case VkReturn: fixed = "Enter"; break;
    case VkEscape: fixed = "Esc"; break;
    case VkSpace: fixed = "Space"; break;
    case VkPrior: fixed = "PgUp"; break;
    case VkNext: fixed = "PgDn"; break;
    case VkEnd: fixed = "End"; break;
    case VkHome: fixed = "Home"; break;
    case VkLeft: fixed = "Left"; break;
    case VkUp: fixed = "Up"; break;
    case VkRight: fixed = "Right"; break;
    case VkDown: fixed = "Down"; break;
    case VkInsert: fixed = "Ins"; break;
    case VkDelete: fixed = "Del"; break;
    case VkMultiply: fixed = "Multiply"; break;
    case VkAdd: fixed = "Add"; break;
    case VkSubtract: fixed = "Subtract"; break;
    case VkDivide: fixed = "Divide"; break;
    default: break;
  }
  if (fixed) return name + fixed;
  if (vk >= VkF1 && vk < VkF1 + 12) return name + "F" + std::to_string(vk - VkF1 + 1);
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return name + static_cast<char>(vk);
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", vk);
  return name + hex;
}

}  // namespace velk::tui
