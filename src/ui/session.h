// The editing session that runs while the plug-in is open.
#pragma once

#include "ui/changed_flag.h"

void RunEditingSession();
