// A menu as a state machine: a list of lines with a cursor, a break-key
// table and a page height. It takes one key at a time and, once closed,
// gives the answer the plug-in receives. Both front ends drive it: a script
// with a fixed page of ScriptPageLines, the terminal with the lines its
// screen shows. The same model serves velk's own lists (its plug-ins menu,
// the history of an edit field).
#pragma once

#include <cstdint>

#include "interaction/keys.h"
#include "interaction/views.h"

namespace velk {

class MenuModel {
 public:
  // count lines, the cursor on `start` (the first line when out of range);
  // breakKeys is zero-terminated and may be null.
  MenuModel(int count, int start, const uint32_t* breakKeys);
  // The plug-in's menu: the cursor starts on the first line with
  // MenuItemSelected, else on the first line.
  static MenuModel ForView(const MenuView& view);

  // How the menu is shown: `lines` lines at once (also the PgUp/PgDn step,
  // at least 1), `columns` columns of text of lines up to `widest` columns
  // long (sideways scrolling; 0 and 0 when nothing scrolls sideways).
  void SetView(int lines, int columns = 0, int widest = 0);

  // Keys: a key of the break-key table closes the menu with its break code
  // and the line under the cursor; otherwise, without modifiers, Up/Down/
  // Home/End move the cursor, PgUp/PgDn by a page (stopping at the first
  // and last line), Left/Right scroll sideways by 4 columns, Enter closes
  // with break code -1, Esc with -1 and -1, F1 asks for help. Other keys do
  // nothing.
  Step Feed(KeyPress key);

  int Count() const { return count_; }
  int Cursor() const { return cursor_; }
  // First line shown and first column shown, for the view set last.
  int Top() const { return top_ < 0 ? 0 : top_; }
  int Column() const { return column_; }
  int PageLines() const { return pageLines_; }
  bool Closed() const { return closed_; }
  // The answer once closed; the position is -1 for a menu without lines.
  MenuAnswer Answer() const { return answer_; }

 private:
  Step Close(int position, int breakCode);
  void KeepCursorShown();

  int count_;
  const uint32_t* breakKeys_;
  int cursor_;
  int top_ = -1;  // not placed yet: the first view centres the cursor
  int column_ = 0;
  int pageLines_ = 10;
  int columns_ = 0;
  int widest_ = 0;
  bool closed_ = false;
  MenuAnswer answer_;
};

}  // namespace velk
