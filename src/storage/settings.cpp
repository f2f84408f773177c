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

void SaveSettings() {
  // The column limits are never written; the results are not examined.
  WriteNumber(nullptr, "ShowEx", static_cast<uint32_t>(PluginSettings.ShowEx));
  WriteNumber(nullptr, "ShowView", static_cast<uint32_t>(PluginSettings.ShowView));
  WriteNumber(nullptr, "ShowEdit", static_cast<uint32_t>(PluginSettings.ShowEdit));
  WriteNumber(nullptr, "SortType", static_cast<uint32_t>(PluginSettings.SortType));
  WriteNumber(nullptr, "GroupChar", PluginSettings.GroupChar);
}
