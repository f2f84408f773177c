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

void LoadSettings();
// Writes the five settings the user can change; false when any of them
// could not be stored (the last error then holds the failing call's code).
bool SaveSettings();
