// The single exit-hook slot, and its registration with the runtime's exit
// processing.
#include "host/base/exit_hook.h"

#include <cstdlib>

namespace {

ExitRoutine exitSlot = nullptr;

// The runtime's exit processing runs the slot once more after the detach
// step; by then the slot is empty, so every routine of the chain runs once.
// The registration is part of this file's static initialisation, which runs
// whenever the slot is linked in.
void RunExitHookAtExit() { RunExitHook(); }
const int exitRegistration = (std::atexit(&RunExitHookAtExit), 0);

}  // namespace

ExitRoutine InstallExitHook(ExitRoutine routine) {
  (void)exitRegistration;
  ExitRoutine previous = exitSlot;
  exitSlot = routine;
  return previous;
}

void RunExitHook() {
  ExitRoutine routine = exitSlot;
  exitSlot = nullptr;
  if (routine) routine();
}
