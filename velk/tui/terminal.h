// The terminal itself: taking it over and giving it back (ncursesw, the
// extended key reports, the signals that end velk while the screen is up)
// and reading what the user does, one key at a time, with velk's stand-ins
// and the Ctrl prefix key (F12) applied.
#pragma once

#include <cstdio>
#include <utility>
#include <vector>

#include "tui/canvas.h"
#include "tui/key_decoding.h"

namespace velk::tui {

class Terminal {
 public:
  ~Terminal() { Stop(); }

  // Takes the terminal over (once); the canvas gets its colours.
  void Start(Canvas& canvas);
  // Gives it back as it was.
  void Stop();
  bool Started() const { return started_; }

  // The next key or resize. F12 arms the Ctrl prefix and is not reported.
  Input Read();
  // Whether the next key will be taken with Ctrl.
  bool CtrlPrefixArmed() const { return ctrlPrefix_; }

 private:
  void LearnExtendedKeys();
  Input FromCursesKey(int code) const;
  Input ReadEscape();
  Input Finish(Input in);

  bool started_ = false;
  bool ctrlPrefix_ = false;
  std::vector<std::pair<int, KeyPress>> extendedKeys_;
  std::FILE* keyLog_ = nullptr;  // VELK_KEYLOG: every key read, by name
};

// Width in columns of the terminal on standard output (or standard input),
// 80 when neither is a terminal.
int TerminalWidth();

}  // namespace velk::tui
