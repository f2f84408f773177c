// The plug-in's display settings, eight 32-bit values in its own key. They are
// kept in memory exactly as stored: a sort mode outside 0 to 10 or a negative
// column limit stays as it is until the user changes it, and the list screen
// treats such values as 0 where it uses them.
#include "storage/settings.h"

#include "storage/registry.h"

PluginSettingsRecord PluginSettings = {0, 15, 0, 15, 0, 15, 0, 205};

namespace {

int32_t ReadSigned(const char* name, int32_t defaultValue) {
  return static_cast<int32_t>(ReadNumber(nullptr, name, static_cast<uint32_t>(defaultValue)));
}

}  // namespace

void LoadSettings() {
  PluginSettings.ShowEx = ReadSigned("ShowEx", 0);
  PluginSettings.ShowView = ReadSigned("ShowView", 0);
  PluginSettings.ShowEdit = ReadSigned("ShowEdit", 0);
  PluginSettings.ExLen = ReadSigned("ExLen", 15);
  PluginSettings.ViewLen = ReadSigned("ViewLen", 15);
  PluginSettings.EditLen = ReadSigned("EditLen", 15);
  PluginSettings.SortType = ReadSigned("SortType", 0);
  // Only the low 8 bits of the stored value are the character.
  PluginSettings.GroupChar = static_cast<uint8_t>(ReadNumber(nullptr, "GroupChar", 205) & 0xFF);
}

bool SaveSettings() {
  // The column limits are never written. All five are tried even when one
  // fails, and the first failure's code is the one left for the report.
  bool saved = true;
  DWORD firstFailure = 0;
  auto store = [&](const char* name, uint32_t value) {
    if (!WriteNumber(nullptr, name, value) && saved) {
      saved = false;
      firstFailure = GetLastError();
    }
  };
  store("ShowEx", static_cast<uint32_t>(PluginSettings.ShowEx));
  store("ShowView", static_cast<uint32_t>(PluginSettings.ShowView));
  store("ShowEdit", static_cast<uint32_t>(PluginSettings.ShowEdit));
  store("SortType", static_cast<uint32_t>(PluginSettings.SortType));
  store("GroupChar", PluginSettings.GroupChar);
  if (!saved) SetLastError(firstFailure);
  return saved;
}
