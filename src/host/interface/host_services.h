// The plug-in's only ways into the host's message box, menu and dialog. Each
// calls the host's service through the start-up record copy with pluginId
// first and returns the service's result.
#pragma once

#include <cstdint>

#include "host/base/host_abi.h"

// Shows text (lines separated by line breaks) with the given flags; adds 0x20
// when the text holds a line break. Returns the chosen button, -1 on escape.
int HostMessageBox(const char* text, uint32_t flags, const char* helpTopic);
// Shows count contiguous menu lines (ui/menu_line_list.h hands over a whole
// MenuLineList); title and bottom may be message numbers or ready texts (see
// TextOrMessage).
int HostMenu(const HostMenuItem* items, int32_t count, uintptr_t title, uint32_t flags, uintptr_t bottom,
             const char* helpTopic, const uint32_t* breakKeys, int* breakCode);
int HostDialog(int width, int height, HostDialogItem* items, int count, const char* helpTopic);
