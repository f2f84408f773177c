// The terminal itself: taking it over and giving it back (ncursesw in raw
// mode, the extended key reports and the bracketed paste, Ctrl+Z and the
// return from it; a termination signal is carried out at the next wait for
// a key, through velk's shutdown) and reading what the user does, one key or
// paste at a time, with velk's stand-ins and the Ctrl prefix key (F12)
// applied.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tui/canvas.h"
#include "tui/key_decoding.h"

namespace velk::tui {

// The smallest screen velk draws on: a menu box with a line, a message box
// with one line of text and its buttons, the title row and the key bar.
constexpr int MinColumns = 32;
constexpr int MinLines = 8;

// Why the terminal on standard output cannot show velk's screen (its type is
// unknown, it cannot place the cursor, it is smaller than MinColumns x
// MinLines), as one sentence; empty when it can. Draws nothing.
std::string TerminalProblem();

// The terminal's size as the kernel knows it (standard output, input or
// error); 0 and 0 when none of them is a terminal.
void KernelTerminalSize(int& lines, int& columns);

// Whether a screen of that size is too small to draw on.
inline bool TooSmall(int lines, int columns) { return lines < MinLines || columns < MinColumns; }

class Terminal {
 public:
  ~Terminal() { Stop(); }

  // Takes the terminal over (once); the canvas gets its colours.
  void Start(Canvas& canvas);
  // Gives it back as it was.
  void Stop();
  bool Started() const { return started_; }

  // The next key, paste, resize or request to paint the screen afresh. F12
  // arms the Ctrl prefix and is not reported. Ctrl+L is not reported as a
  // key: it asks for the screen to be painted afresh (Input::Redraw). So
  // does the return from Ctrl+Z, the key or the signal (the terminal is
  // given back while velk is stopped), or from any other stop, with the
  // size read again.
  Input Read();
  // Whether the next key will be taken with Ctrl.
  bool CtrlPrefixArmed() const { return ctrlPrefix_; }

 private:
  void LearnExtendedKeys();
  Input FromCursesKey(int code) const;
  Input Decode(int r, wint_t ch);
  Input ReadEscape();
  Input ReadPaste();
  Input Finish(Input in);
  // A line in the key log, when there is one.
  void Log(const std::string& line);
  // Carries out a stop (Ctrl+Z) or the return from one, when a signal asked
  // for it; None when none did.
  Input TakeStopSignals();
  // group: stop the whole process group (the Ctrl+Z key), else velk alone.
  void Suspend(bool group);
  // suspended: velk gave the terminal back itself (Suspend) before the stop.
  void Resume(bool suspended);

  bool started_ = false;
  bool ctrlPrefix_ = false;
  std::vector<std::pair<int, KeyPress>> extendedKeys_;
  std::FILE* keyLog_ = nullptr;  // VELK_KEYLOG: every key read, by name
};

// Width in columns of the terminal on standard output (or standard input),
// 80 when neither is a terminal.
int TerminalWidth();

}  // namespace velk::tui
