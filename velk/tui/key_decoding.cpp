// Key decoding for the terminal front end: characters and escape sequences
// as terminals send them, turned into Windows virtual-key codes and the
// host's modifier bits.
#include "tui/key_decoding.h"

#include <string>
#include <vector>

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
    case 1:
    case 7: return VkHome;
    case 2: return VkInsert;
    case 3: return VkDelete;
    case 4:
    case 8: return VkEnd;
    case 5: return VkPrior;
    case 6: return VkNext;
    case 11:
    case 12:
    case 13:
    case 14:
    case 15: return VkF(n - 10);
    case 17:
    case 18:
    case 19:
    case 20:
    case 21: return VkF(n - 11);
    case 23:
    case 24: return VkF(n - 12);
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
    case 'P': return VkF(1);
    case 'Q': return VkF(2);
    case 'R': return VkF(3);
    case 'S': return VkF(4);
    default: return 0;
  }
}

// A key given by its character code together with modifiers, as the
// modified-key reports carry it.
Input FromCode(int code, uint16_t mods) {
  if (code < 0 || code > 0x10FFFF) return Input();
  Input in = InputFromCharacter(static_cast<char32_t>(code));
  if (in.kind != Input::Key) return in;
  if (code >= 'A' && code <= 'Z') mods |= KeyModShift;
  in.key.modifiers |= mods;
  // With Ctrl or Alt a key types nothing; one without a key code keeps its
  // character, which names it.
  if ((in.key.modifiers & (KeyModCtrl | KeyModAlt)) && in.key.vk != 0) in.key.ch = 0;
  return in;
}

Input Keyed(uint16_t vk, uint16_t mods) {
  if (vk == 0) return Input();
  return KeyInput(vk, mods);
}

// ESC followed by one character: that key with Alt, typing nothing.
Input AltCharacter(char c) {
  if (c == 27) return KeyInput(VkEscape);
  Input in = InputFromCharacter(static_cast<unsigned char>(c));
  if (in.kind != Input::Key) return in;
  in.key.modifiers |= KeyModAlt;
  if (in.key.vk != 0) in.key.ch = 0;
  return in;
}

// "ESC O ...": the application keypad, SS3 cursor and function keys.
Input DecodeSs3(std::string_view s) {
  const char final = s.back();
  std::string_view digits = s.substr(1, s.size() - 2);
  uint16_t mods = digits.empty() ? KeyModNone : ModifiersFromXtermParameter(Parameters(digits).back());
  switch (final) {
    case 'k': return Keyed(VkAdd, mods);
    case 'm': return Keyed(VkSubtract, mods);
    case 'j': return Keyed(VkMultiply, mods);
    case 'o': return Keyed(VkDivide, mods);
    case 'M': return Keyed(VkReturn, mods);
    // rxvt: Ctrl with the arrows.
    case 'a': return Keyed(VkUp, KeyModCtrl);
    case 'b': return Keyed(VkDown, KeyModCtrl);
    case 'c': return Keyed(VkRight, KeyModCtrl);
    case 'd': return Keyed(VkLeft, KeyModCtrl);
    default: break;
  }
  if (final >= 'p' && final <= 'y') return Keyed(static_cast<uint16_t>('0' + final - 'p'), mods);
  return Keyed(LetterKey(final), mods);
}

// "ESC [ ...": cursor, editing and function keys, modified or not.
Input DecodeCsi(std::string_view s) {
  const char final = s.back();
  if (s.size() == 3 && s[1] == '[') {  // the Linux console's F1-F5
    if (final >= 'A' && final <= 'E') return Keyed(VkF(final - 'A' + 1), KeyModNone);
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
    case 'u': return FromCode(param(0, -1), ModifiersFromXtermParameter(param(1, 1)));
    case '^': return Keyed(TildeKey(param(0, 0)), KeyModCtrl);
    case '$': return Keyed(TildeKey(param(0, 0)), KeyModShift);
    case '@': return Keyed(TildeKey(param(0, 0)), KeyModCtrl | KeyModShift);
    case 'Z': return Keyed(VkTab, KeyModShift);
    // rxvt: Shift with the arrows.
    case 'a': return Keyed(VkUp, KeyModShift);
    case 'b': return Keyed(VkDown, KeyModShift);
    case 'c': return Keyed(VkRight, KeyModShift);
    case 'd': return Keyed(VkLeft, KeyModShift);
    default: return Keyed(LetterKey(final), ModifiersFromXtermParameter(param(1, 1)));
  }
}

}  // namespace

Input KeyInput(uint16_t vk, uint16_t modifiers, char32_t ch) {
  Input in;
  in.kind = Input::Key;
  in.key.vk = vk;
  in.key.modifiers = modifiers;
  in.key.ch = ch;
  return in;
}

uint16_t ModifiersFromXtermParameter(int parameter) {
  if (parameter < 2) return KeyModNone;
  int bits = parameter - 1;
  uint16_t mods = KeyModNone;
  if (bits & 1) mods |= KeyModShift;
  if (bits & 2) mods |= KeyModAlt;
  if (bits & 4) mods |= KeyModCtrl;
  if (bits & 8) mods |= KeyModAlt;  // Meta counts as Alt
  return mods;
}

Input InputFromCharacter(char32_t c) {
  switch (c) {
    case 0: return KeyInput(VkSpace, KeyModCtrl);
    case 8:
    case 127: return KeyInput(VkBack);
    case 9: return KeyInput(VkTab);
    case 10:
    case 13: return KeyInput(VkReturn);
    case 27: return KeyInput(VkEscape);
    case U' ': return KeyInput(VkSpace, KeyModNone, c);
    case U'+': return KeyInput(VkAdd, KeyModNone, c);
    case U'-': return KeyInput(VkSubtract, KeyModNone, c);
    case U'*': return KeyInput(VkMultiply, KeyModNone, c);
    default: break;
  }
  if (c >= 1 && c <= 26) return KeyInput(static_cast<uint16_t>('A' + c - 1), KeyModCtrl);
  if (c >= 0x1C && c <= 0x1F) return KeyInput(0, KeyModCtrl, U"\\]^_"[c - 0x1C]);
  if (c < 32) return Input();
  if (c >= U'a' && c <= U'z') return KeyInput(static_cast<uint16_t>(c - U'a' + 'A'), KeyModNone, c);
  if ((c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9')) return KeyInput(static_cast<uint16_t>(c), KeyModNone, c);
  return KeyInput(0, KeyModNone, c);
}

std::u32string PastedText(std::u32string_view raw) {
  std::u32string out;
  for (size_t i = 0; i < raw.size(); ++i) {
    const char32_t c = raw[i];
    if (c == U'\r' && i + 1 < raw.size() && raw[i + 1] == U'\n') continue;  // CR LF: one break
    if (c == U'\r' || c == U'\n' || c == U'\t') out.push_back(U' ');
    else if (c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0)) out.push_back(c);
  }
  return out;
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
  if (s.size() == 1) return AltCharacter(s[0]);
  if (s[0] != '[' && s[0] != 'O') return Input();
  if (!EscapeSequenceComplete(s)) return Input();
  return s[0] == 'O' ? DecodeSs3(s) : DecodeCsi(s);
}

}  // namespace velk::tui
