#include "velk/keys.h"

#include <cctype>
#include <cstdio>

namespace velk {
namespace {

struct NamedKey {
  const char* name;
  uint16_t vk;
};

constexpr NamedKey kNamedKeys[] = {
    {"Up", VkUp},         {"Down", VkDown},       {"Left", VkLeft},         {"Right", VkRight},
    {"Home", VkHome},     {"End", VkEnd},         {"PgUp", VkPrior},        {"PgDn", VkNext},
    {"Enter", VkReturn},  {"Esc", VkEscape},      {"Tab", VkTab},           {"Ins", VkInsert},
    {"Del", VkDelete},    {"BackSpace", VkBack},  {"Space", VkSpace},       {"Add", VkAdd},
    {"Subtract", VkSubtract}, {"Multiply", VkMultiply},
};

bool EqualNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return i == a.size() && b[i] == 0;
}

bool ParseBaseKey(const std::string& name, uint16_t& vk) {
  for (const NamedKey& k : kNamedKeys) {
    if (EqualNoCase(name, k.name)) {
      vk = k.vk;
      return true;
    }
  }
  if (name.size() == 1) {
    unsigned char c = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(name[0])));
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      vk = c;
      return true;
    }
    return false;
  }
  if ((name[0] == 'F' || name[0] == 'f') && name.size() <= 3) {
    int n = 0;
    for (size_t i = 1; i < name.size(); ++i) {
      if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
      n = n * 10 + (name[i] - '0');
    }
    if (name[1] == '0' || n < 1 || n > 12) return false;
    vk = static_cast<uint16_t>(VkF1 + n - 1);
    return true;
  }
  return false;
}

}  // namespace

bool ParseKeyName(const std::string& name, KeyPress& key) {
  KeyPress result;
  std::string rest = name;
  for (;;) {
    size_t plus = rest.find('+');
    // A lone "+" or a trailing "+" is not a key name.
    if (plus == std::string::npos || plus == 0) break;
    std::string prefix = rest.substr(0, plus);
    uint16_t bit;
    if (EqualNoCase(prefix, "Ctrl")) bit = ModCtrl;
    else if (EqualNoCase(prefix, "Alt")) bit = ModAlt;
    else if (EqualNoCase(prefix, "Shift")) bit = ModShift;
    else return false;
    if (result.modifiers & bit) return false;
    result.modifiers |= bit;
    rest = rest.substr(plus + 1);
  }
  if (rest.empty() || !ParseBaseKey(rest, result.vk)) return false;
  key = result;
  return true;
}

std::string KeyName(KeyPress key) {
  std::string out;
  if (key.modifiers & ModCtrl) out += "Ctrl+";
  if (key.modifiers & ModAlt) out += "Alt+";
  if (key.modifiers & ModShift) out += "Shift+";
  uint16_t unknown = key.modifiers & ~(ModCtrl | ModAlt | ModShift);
  if (unknown) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "Mod0x%X+", unknown);
    out += buf;
  }
  for (const NamedKey& k : kNamedKeys) {
    if (k.vk == key.vk) return out + k.name;
  }
  if ((key.vk >= 'A' && key.vk <= 'Z') || (key.vk >= '0' && key.vk <= '9')) {
    return out + static_cast<char>(key.vk);
  }
  if (key.vk >= VkF1 && key.vk < VkF1 + 12) return out + "F" + std::to_string(key.vk - VkF1 + 1);
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%02X", key.vk);
  return out + buf;
}

}  // namespace velk
