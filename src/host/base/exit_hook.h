// The module's single exit-hook slot: the one routine that runs when the
// module lets go of what it holds (process detach, the runtime's exit
// processing, or the fatal stop). Every layer may install into it, so this
// file includes nothing of the plug-in.
#pragma once

typedef void (*ExitRoutine)();

// Puts routine in the slot and returns the routine it replaces; a routine
// that replaces another calls that one in its turn, which makes the slot a
// chain.
ExitRoutine InstallExitHook(ExitRoutine routine);
// Calls the routine in the slot, if any, and empties the slot first, so that
// every routine of the chain runs once however often the hook is run.
void RunExitHook();
