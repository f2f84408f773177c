// Whether the list was changed while the plug-in was open: cleared by the
// editing session (which owns it), set to 1 by the list screen on every
// confirmed insert, edit, deletion or move. Kept apart so that the screen
// needs nothing of the session that runs it.
#pragma once

#include <cstdint>

extern uint8_t ChangedFlag;
