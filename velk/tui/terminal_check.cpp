// Whether the terminal can show velk's screen at all, asked before anything
// is drawn, from its terminal description and its size. Apart from the rest
// of the terminal code because <term.h> defines the names of the
// capabilities as macros.
#include "tui/terminal.h"

#include <term.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace velk::tui {

std::string TerminalProblem() {
  const char* type = std::getenv("TERM");
  const std::string name = type ? type : "";
  if (name.empty()) return "TERM is not set, so velk does not know how to draw on this terminal";
  int status = 0;
  if (setupterm(name.c_str(), STDOUT_FILENO, &status) != OK) {
    return "the terminal type TERM=" + name + " is not in this system's terminal descriptions";
  }
  const char* move = tigetstr("cup");
  const bool addressable = move != nullptr && move != reinterpret_cast<char*>(-1);
  int height = 0, width = 0;
  KernelTerminalSize(height, width);
  if (height <= 0 || width <= 0) {
    height = tigetnum("lines");
    width = tigetnum("cols");
  }
  del_curterm(cur_term);
  if (!addressable) return "the terminal (TERM=" + name + ") cannot place the cursor, which velk's screen needs";
  if (height > 0 && width > 0 && TooSmall(height, width)) {
    return "the terminal is " + std::to_string(width) + "x" + std::to_string(height) + ", smaller than the " +
           std::to_string(MinColumns) + "x" + std::to_string(MinLines) + " velk's screen needs";
  }
  return std::string();
}

}  // namespace velk::tui
