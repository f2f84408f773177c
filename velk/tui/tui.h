// velk's interactive front end: a full-screen terminal interface (ncursesw)
// that shows velk's plug-ins menu and the plug-in's menus, dialogs and
// message boxes, with F1 help from the plug-in's help file.
//
// Every view is one of the interaction models (menu, dialog, message box)
// that the scripted front end drives too: this front end reads keys from the
// terminal, feeds them to the model and paints the model's state.
//
// Building: the sources are velk/tui/. They need ncursesw and are meant for
// the native (non-Windows) build only; velk/tui.cmake defines the static
// library `velk_tui` with its include paths and libraries, plus the tmux
// tests, so velk's CMakeLists only has to `include(tui.cmake)` in a
// non-WIN32 build and link `velk_tui` into velk.
//
// The terminal is taken over (initscr) on the first call that shows
// something and given back when the front end is destroyed, so messages
// written to stderr before that, or after it, stay readable.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/front_end.h"

namespace velk {

struct TerminalOptions {
  // The plug-in's help file (velk's help format, docs/velk.md).
  // Empty or unreadable: F1 says that no help is available.
  std::string helpFile;
  // The console screen-buffer width the plug-in is told (its dialogs widen
  // with it). 0 means "the terminal's own"; a dialog wider than the terminal
  // is clipped at the screen's edges.
  int columns = 0;
  // Called with the terminal's new width whenever the terminal is resized,
  // so that the core can keep the width the plug-in sees in step when no
  // fixed width was asked for. May be empty.
  std::function<void(int columns)> onResize;
};

// The terminal front end. Returns null, with error saying why in one
// sentence that points to --script, when standard input or output is not a
// terminal or the terminal cannot show velk's screen (an unknown type, no
// cursor addressing, smaller than 32x8). Nothing is drawn before it returns.
std::unique_ptr<FrontEnd> MakeTerminalFrontEnd(const TerminalOptions& options, std::string& error);

// Width in columns of the terminal on standard output (or standard input),
// 80 when neither is a terminal. Usable before the front end exists.
int TerminalColumns();

}  // namespace velk
