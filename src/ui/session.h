// The editing session that runs while the plug-in is open.
#pragma once

#include <cstdint>

extern uint8_t ChangedFlag;

void RunEditingSession();
