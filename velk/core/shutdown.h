// Ending velk on a termination signal (Ctrl+C, a closed terminal, kill):
// the signal handlers only note the signal; velk ends at its next safe
// point, when a front end waits for the next key or script command, so that
// it never stops in the middle of writing the registry file or of a call
// into the plug-in that has stored half of something. Ending there gives
// the terminal back, lets the run write what the plug-in stored and close
// its transcript, and exits with 128 + the signal's number.
#pragma once

#include <functional>

namespace velk {

// Installs the handlers for SIGINT, SIGHUP, SIGTERM and SIGQUIT (on Windows
// SIGINT and SIGTERM). They only note the signal. A signal that is ignored
// when velk starts (nohup, a background job) stays ignored. Call it before
// the terminal is taken over, so that the terminal library leaves them alone.
void CatchTerminationSignals();

// The first termination signal noted since the handlers were installed, 0
// when none.
int TerminationSignal();

// Notes a termination as its signal would (for a terminal that went away
// without the hangup signal reaching velk). The first one counts.
void NoteTermination(int signal);

// Notes that the user confirmed, in velk's own box, quitting with Ctrl+C
// (a key, not a signal: the terminal sends no signals) inside the plug-in's
// screens: velk ends at its next safe point as on SIGINT, with its status,
// and QuitConfirmed tells the end that the user asked for it.
void NoteConfirmedQuit();
bool QuitConfirmed();

// The conventional exit status of a process ended by a signal: 128 + number.
int TerminationStatus(int signal);

// The terminal front end registers how it gives the terminal back while the
// screen is up (and an empty function once it has given it back).
void SetTerminalRestore(std::function<void()> restore);
// Gives the terminal back if the front end registered a way to; harmless
// when it did not. Also for velk's other ways of ending the process.
void RestoreTerminal();

// What the run does to end after a termination signal: the terminal is
// given back before it is called. It must not return (velk ends the
// process; tests throw).
void SetTerminationHandler(std::function<void(int signal)> handler);

// A safe point: when a termination signal was noted, gives the terminal
// back and calls the termination handler (without a handler, exits with
// TerminationStatus at once). Returns when no signal was noted.
void StopIfTerminated();

// Forgets a noted signal or confirmed quit (for tests).
void ClearTerminationSignal();

}  // namespace velk
