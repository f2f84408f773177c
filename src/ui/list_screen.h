// The association list screen: the whole list as one host menu, rebuilt
// after every key the screen handles.
#pragma once

#include <cstdint>

#include "model/assoc_list.h"

constexpr int ListBreakKeyCount = 54;
extern const uint32_t ListBreakKeys[ListBreakKeyCount + 1];

// Runs the screen until the user leaves with Esc; true when ChangedFlag is 1.
bool RunListScreen(AssocList& list);
