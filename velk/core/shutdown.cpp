#include "core/shutdown.h"

#include <signal.h>

#include <cstdlib>
#include <utility>

namespace velk {
namespace {

volatile sig_atomic_t noted = 0;
bool quitConfirmed = false;

std::function<void()>& Restore() {
  static std::function<void()> restore;
  return restore;
}

std::function<void(int)>& Handler() {
  static std::function<void(int)> handler;
  return handler;
}

extern "C" void NoteSignal(int sig) {
  // The first signal counts: a second Ctrl+C while velk is on its way out
  // changes nothing.
  if (noted == 0) noted = sig;
#if defined(_WIN32)
  // The C runtime resets the handler to the default before calling it.
  signal(sig, NoteSignal);
#endif
}

}  // namespace

void CatchTerminationSignals() {
  // A signal ignored when velk starts (nohup, a background job) stays ignored.
#if defined(_WIN32)
  for (int sig : {SIGINT, SIGTERM}) {
    if (signal(sig, NoteSignal) == SIG_IGN) signal(sig, SIG_IGN);
  }
#else
  struct sigaction action {};
  action.sa_handler = NoteSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted reads and writes go on: velk notices the signal at its next
  // safe point, which the key read reaches within a fraction of a second.
  action.sa_flags = SA_RESTART;
  for (int sig : {SIGINT, SIGHUP, SIGTERM, SIGQUIT}) {
    struct sigaction before {};
    if (sigaction(sig, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(sig, &action, nullptr);
  }
#endif
}

int TerminationSignal() { return noted; }

void NoteTermination(int signal) {
  if (noted == 0) noted = signal;
}

void NoteConfirmedQuit() {
  if (noted != 0) return;
  quitConfirmed = true;
  noted = SIGINT;
}

bool QuitConfirmed() { return quitConfirmed && noted == SIGINT; }

int TerminationStatus(int signal) { return 128 + signal; }

void SetTerminalRestore(std::function<void()> restore) { Restore() = std::move(restore); }

void RestoreTerminal() {
  // Taken out first, so that a restore that ends up here again does nothing.
  std::function<void()> restore = std::move(Restore());
  Restore() = nullptr;
  if (restore) restore();
}

void SetTerminationHandler(std::function<void(int signal)> handler) { Handler() = std::move(handler); }

void StopIfTerminated() {
  const int sig = noted;
  if (sig == 0) return;
  RestoreTerminal();
  if (Handler()) Handler()(sig);
  std::_Exit(TerminationStatus(sig));
}

void ClearTerminationSignal() {
  noted = 0;
  quitConfirmed = false;
}

}  // namespace velk
