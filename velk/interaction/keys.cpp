#include "interaction/keys.h"

#include <cctype>
#include <cstdio>

#include "interaction/oem.h"

namespace velk {
namespace {

struct NamedKey {
  const char* name;
  uint16_t vk;
};

constexpr NamedKey kNamedKeys[] = {
    {"Up", VkUp},   {"Down", VkDown},         {"Left", VkLeft},         {"Right", VkRight},    {"Home", VkHome},
    {"End", VkEnd}, {"PgUp", VkPrior},        {"PgDn", VkNext},         {"Enter", VkReturn},   {"Esc", VkEscape},
    {"Tab", VkTab}, {"Ins", VkInsert},        {"Del", VkDelete},        {"BackSpace", VkBack}, {"Space", VkSpace},
    {"Add", VkAdd}, {"Subtract", VkSubtract}, {"Multiply", VkMultiply},
};

bool EqualNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return i == a.size() && b[i] == 0;
}

bool IsLetter(uint16_t vk) { return vk >= 'A' && vk <= 'Z'; }
bool IsDigit(uint16_t vk) { return vk >= '0' && vk <= '9'; }

bool ParseFunctionKey(const std::string& name, uint16_t& vk) {
  if ((name[0] != 'F' && name[0] != 'f') || name.size() < 2 || name.size() > 3 || name[1] == '0') return false;
  int n = 0;
  for (size_t i = 1; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    n = n * 10 + (name[i] - '0');
  }
  if (n < 1 || n > 12) return false;
  vk = VkF(n);
  return true;
}

bool ParseBaseKey(const std::string& name, uint16_t& vk) {
  for (const NamedKey& k : kNamedKeys) {
    if (EqualNoCase(name, k.name)) {
      vk = k.vk;
      return true;
    }
  }
  if (name.size() == 1) {
    uint16_t c = static_cast<uint16_t>(std::toupper(static_cast<unsigned char>(name[0])));
    if (!IsLetter(c) && !IsDigit(c)) return false;
    vk = c;
    return true;
  }
  return ParseFunctionKey(name, vk);
}

bool ParseModifier(const std::string& prefix, uint16_t& bit) {
  if (EqualNoCase(prefix, "Ctrl")) bit = KeyModCtrl;
  else if (EqualNoCase(prefix, "Alt")) bit = KeyModAlt;
  else if (EqualNoCase(prefix, "Shift")) bit = KeyModShift;
  else return false;
  return true;
}

std::string Hex(const char* format, unsigned value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

}  // namespace

char32_t TypedCharacter(uint16_t vk, uint16_t modifiers) {
  if (modifiers & (KeyModCtrl | KeyModAlt)) return 0;
  const bool shift = (modifiers & KeyModShift) != 0;
  if (IsLetter(vk)) return shift ? vk : vk - 'A' + 'a';
  if (shift) return 0;
  if (IsDigit(vk)) return vk;
  switch (vk) {
    case VkSpace: return U' ';
    case VkAdd: return U'+';
    case VkSubtract: return U'-';
    case VkMultiply: return U'*';
    default: return 0;
  }
}

KeyPress Key(uint16_t vk, uint16_t modifiers) {
  KeyPress key;
  key.vk = vk;
  key.modifiers = modifiers;
  key.ch = TypedCharacter(vk, modifiers);
  return key;
}

int FindBreakCode(const uint32_t* breakKeys, KeyPress key) {
  if (!breakKeys) return -1;
  const uint32_t word = BreakKeyWord(key.vk, key.modifiers);
  for (int i = 0; breakKeys[i] != 0; ++i) {
    if (breakKeys[i] == word) return i;
  }
  return -1;
}

bool ParseKeyName(const std::string& name, KeyPress& key) {
  uint16_t modifiers = KeyModNone;
  std::string rest = name;
  for (;;) {
    size_t plus = rest.find('+');
    // A lone "+" or a trailing "+" is not a key name.
    if (plus == std::string::npos || plus == 0) break;
    uint16_t bit;
    if (!ParseModifier(rest.substr(0, plus), bit) || (modifiers & bit)) return false;
    modifiers |= bit;
    rest = rest.substr(plus + 1);
  }
  uint16_t vk = 0;
  if (rest.empty() || !ParseBaseKey(rest, vk)) return false;
  key = Key(vk, modifiers);
  return true;
}

std::string KeyName(KeyPress key) {
  std::string out;
  if (key.modifiers & KeyModCtrl) out += "Ctrl+";
  if (key.modifiers & KeyModAlt) out += "Alt+";
  if (key.modifiers & KeyModShift) out += "Shift+";
  uint16_t unknown = key.modifiers & ~(KeyModCtrl | KeyModAlt | KeyModShift);
  if (unknown) out += Hex("Mod0x%X+", unknown);
  for (const NamedKey& k : kNamedKeys) {
    if (k.vk == key.vk) return out + k.name;
  }
  if (IsLetter(key.vk) || IsDigit(key.vk)) return out + static_cast<char>(key.vk);
  if (key.vk >= VkF1 && key.vk < VkF1 + 12) return out + "F" + std::to_string(key.vk - VkF1 + 1);
  if (key.vk == 0 && key.ch >= 0x20) {
    AppendUtf8(out, key.ch);
    return out;
  }
  return out + Hex("0x%02X", key.vk);
}

std::string BreakKeyName(uint32_t word) {
  KeyPress key;
  key.vk = static_cast<uint16_t>(word & 0xFFFF);
  key.modifiers = static_cast<uint16_t>(word >> 16);
  return KeyName(key);
}

KeyPress ApplyStandIns(KeyPress key) {
  if (key.modifiers != KeyModAlt) return key;
  const uint16_t vk = key.vk;
  if (vk == VkUp || vk == VkDown || (vk >= '1' && vk <= '3') || (vk >= VkF1 && vk <= VkF(5))) {
    key.modifiers = KeyModCtrl;
    key.ch = 0;
  }
  return key;
}

KeyPress WithCtrl(KeyPress key) {
  key.modifiers |= KeyModCtrl;
  key.ch = 0;
  return key;
}

}  // namespace velk
