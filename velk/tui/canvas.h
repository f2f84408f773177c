// Drawing on the ncursesw screen: the colours, text clipped to the screen,
// frames, and where the cursor stands once a picture is complete. Every
// picture is drawn whole, every cell of the screen from the desktop up, so
// the same state always gives the same picture and nothing of an earlier
// one can stay on the screen (ncurses then sends only what changed).
#pragma once

#define NCURSES_WIDECHAR 1
#include <curses.h>

#include <string>
#include <vector>

namespace velk::tui {

struct Styles {
  attr_t desk = A_NORMAL, title = A_REVERSE;
  attr_t menu = A_NORMAL, menuCursor = A_REVERSE, menuFrame = A_NORMAL;
  attr_t dialog = A_NORMAL, edit = A_UNDERLINE, focus = A_REVERSE, defaultButton = A_BOLD;
  attr_t error = A_BOLD, errorFocus = A_REVERSE;
  attr_t help = A_NORMAL, link = A_BOLD, linkSelected = A_REVERSE;
  attr_t keyName = A_BOLD, keyText = A_REVERSE;
};

// A key and what it does, for the key bar at the bottom of the screen.
struct KeyHint {
  const wchar_t* key;
  const wchar_t* label;
};

// The shape of the terminal's cursor.
enum class CursorShape { Hidden = 0, Line = 1, Block = 2 };

class Canvas {
 public:
  Styles style;

  // Sets the colours once the screen is up (monochrome styles otherwise).
  void UseColours();
  int Lines() const { return LINES; }
  int Columns() const { return COLS; }

  // Starts a picture: the desktop, no cursor.
  void Begin();
  // The title row (with a note at its right end, such as the waiting Ctrl
  // prefix), the key bar (after a note at its start, when there is one) and
  // the cursor, then the picture goes out.
  void End(const std::wstring& title, const std::wstring& titleNote, const std::wstring& keyNote,
           const std::vector<KeyHint>& hints);
  // The picture of a screen too small to draw on: one line that says so.
  void TooSmallNotice(int minColumns, int minLines);

  // Text at a place, clipped to maxWidth (when not negative) and the screen.
  void Put(int y, int x, const std::wstring& s, attr_t attr, int maxWidth = -1);
  void Fill(int y, int x, int width, attr_t attr);
  // A box with an optional title in its top edge and text in its bottom one.
  void Frame(int y, int x, int height, int width, bool doubleLines, attr_t attr,
             const std::wstring& title = std::wstring(), const std::wstring& bottom = std::wstring());
  void SetCursor(int y, int x, CursorShape shape);

 private:
  void KeyBar(const std::wstring& note, const std::vector<KeyHint>& hints);
  int cursorY_ = -1, cursorX_ = -1;
  CursorShape cursorShape_ = CursorShape::Hidden;
};

std::wstring Repeat(wchar_t c, int n);
// The cells a text takes on the terminal: two for a wide character (日),
// none for a combining one, one for any other.
int CellWidth(const std::wstring& text);
// Word-wraps a line to the width; a word longer than the width is cut.
std::vector<std::wstring> Wrap(const std::wstring& line, int width);

}  // namespace velk::tui
