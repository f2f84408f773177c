// The plug-in's display settings, kept as eight 32-bit values in its own key.
#pragma once

#include <cstdint>

struct PluginSettingsRecord {
  int32_t ShowEx;
  int32_t ExLen;
  int32_t ShowView;
  int32_t ViewLen;
  int32_t ShowEdit;
  int32_t EditLen;
  int32_t SortType;
  uint8_t GroupChar;
};

extern PluginSettingsRecord PluginSettings;

// A member of the settings record as its stored 32-bit value: a number is
// stored as it is, the group character as 0 to 255 and read back from the
// low 8 bits of what is stored.
class SettingMember {
 public:
  constexpr SettingMember(int32_t PluginSettingsRecord::*member) : number(member) {}
  constexpr SettingMember(uint8_t PluginSettingsRecord::*member) : character(member) {}
  constexpr uint32_t Get(const PluginSettingsRecord& settings) const {
    return number ? static_cast<uint32_t>(settings.*number) : settings.*character;
  }
  constexpr void Set(PluginSettingsRecord& settings, uint32_t stored) const {
    if (number) {
      settings.*number = static_cast<int32_t>(stored);
    } else {
      settings.*character = static_cast<uint8_t>(stored & 0xFF);
    }
  }

 private:
  int32_t PluginSettingsRecord::*number = nullptr;
  uint8_t PluginSettingsRecord::*character = nullptr;
};

// One setting: its registry value name, its member, its default, and
// whether SaveSettings writes it (the column limits are only ever read, so
// they change only when set in the registry by other means).
struct SettingField {
  const char* name;
  SettingMember member;
  uint32_t defaultValue;
  bool saved;
};

// Every setting, in the order LoadSettings reads them; the saved ones are
// written in the same order.
constexpr int SettingFieldCount = 8;
inline constexpr SettingField SettingFields[SettingFieldCount] = {
    {"ShowEx", &PluginSettingsRecord::ShowEx, 0, true},     {"ShowView", &PluginSettingsRecord::ShowView, 0, true},
    {"ShowEdit", &PluginSettingsRecord::ShowEdit, 0, true}, {"ExLen", &PluginSettingsRecord::ExLen, 15, false},
    {"ViewLen", &PluginSettingsRecord::ViewLen, 15, false}, {"EditLen", &PluginSettingsRecord::EditLen, 15, false},
    {"SortType", &PluginSettingsRecord::SortType, 0, true}, {"GroupChar", &PluginSettingsRecord::GroupChar, 205, true},
};

// The record with every setting at its default.
constexpr PluginSettingsRecord DefaultSettings() {
  PluginSettingsRecord settings{};
  for (const SettingField& setting : SettingFields) setting.member.Set(settings, setting.defaultValue);
  return settings;
}

void LoadSettings();
// Writes the settings the user can change; false when any of them could not
// be stored (the last error then holds the failing call's code).
bool SaveSettings();
