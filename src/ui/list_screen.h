// The association list screen: the whole list as one host menu, rebuilt
// after every key the screen handles.
#pragma once

#include <array>
#include <cstdint>

#include "host/interface/messages.h"
#include "model/assoc_list.h"
#include "storage/settings.h"

// The keys on which the host closes the menu, as the words handed to it: an
// entry's index is the break code the host reports, a zero word ends them.
// They are taken from the screen's key table, whose size is checked against
// this count.
constexpr int ListBreakKeyCount = 54;
extern const std::array<uint32_t, ListBreakKeyCount + 1> ListBreakKeys;

// The command columns, in the order the lines and the title show them
// between the description and the masks. A column is shown when its setting
// is non-zero and it has a width; Ctrl+1, Ctrl+2 and Ctrl+3 toggle the
// settings in this order.
struct CommandColumn {
  TextField AssocRecord::*field;         // the text the column shows
  int32_t PluginSettingsRecord::*shown;  // non-zero: the column is shown
  int32_t PluginSettingsRecord::*limit;  // its greatest width
  int header;                            // the message number of its title
};
constexpr int CommandColumnCount = 3;
inline constexpr CommandColumn CommandColumns[CommandColumnCount] = {
    {&AssocRecord::Execute, &PluginSettingsRecord::ShowEx, &PluginSettingsRecord::ExLen, MsgColumnExecute},
    {&AssocRecord::View, &PluginSettingsRecord::ShowView, &PluginSettingsRecord::ViewLen, MsgColumnView},
    {&AssocRecord::Edit, &PluginSettingsRecord::ShowEdit, &PluginSettingsRecord::EditLen, MsgColumnEdit},
};

// Runs the screen until the user leaves with Esc; true when ChangedFlag is 1.
bool RunListScreen(AssocList& list);
