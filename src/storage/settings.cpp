// The plug-in's display settings, eight 32-bit values in its own key. They are
// kept in memory exactly as stored: a sort mode outside 0 to 10 or a negative
// column limit stays as it is until the user changes it, and the list screen
// treats such values as 0 where it uses them.
#include "storage/settings.h"

#include "storage/registry_access.h"

PluginSettingsRecord PluginSettings = DefaultSettings();

void LoadSettings() {
  for (const SettingField& setting : SettingFields) {
    setting.member.Set(PluginSettings, ReadNumber(nullptr, setting.name, setting.defaultValue));
  }
}

bool SaveSettings() {
  // All are tried even when one fails, and the first failure's code is the
  // one left for the report.
  bool saved = true;
  DWORD firstFailure = 0;
  for (const SettingField& setting : SettingFields) {
    if (!setting.saved) continue;
    if (!WriteNumber(nullptr, setting.name, setting.member.Get(PluginSettings)) && saved) {
      saved = false;
      firstFailure = GetLastError();
    }
  }
  if (!saved) SetLastError(firstFailure);
  return saved;
}
