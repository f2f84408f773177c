// A list box on the screen, painted from a MenuModel: the plug-in's menu,
// velk's plug-ins menu, the history of an edit field.
#pragma once

#include <string>
#include <vector>

#include "interaction/menu_model.h"
#include "interaction/views.h"
#include "tui/canvas.h"

namespace velk::tui {

// What a list box shows besides the model's state.
struct MenuLines {
  std::wstring title, bottom;
  std::vector<std::wstring> lines;
  std::vector<bool> checked;
  int fixedX = -1, fixedY = -1;  // placement of a drop-down list; -1 centres
  int minWidth = 0;              // of the inside of the box
  int maxWidth = 0;              // of the box, frame included; 0: the screen's
  int maxVisible = 0;            // 0: as many lines as fit
};

// The plug-in's menu lines, title and bottom line as the screen shows them.
MenuLines LinesOfView(const MenuView& view);

// Where a list box stands on a screen of the given size. A bottom line
// longer than the bottom edge holds is wrapped: its last part stands in the
// edge, the parts before it on lines of their own inside the box, under the
// list, so that all of it is shown.
struct MenuGeometry {
  int x = 0, y = 0, w = 0, h = 0;
  int visible = 1;                   // lines shown
  int textWidth = 0;                 // the longest line
  int avail = 0;                     // columns of text shown
  std::vector<std::wstring> footer;  // the bottom line's parts inside the box
  std::wstring bottom;               // its part in the bottom edge
};
MenuGeometry LayOutMenu(const MenuLines& m, int screenLines, int screenColumns);

// Lays the model out for the screen (its page and sideways scrolling) and
// paints the box; the active one puts the cursor on the highlighted line.
void PaintMenu(Canvas& canvas, const MenuLines& m, MenuModel& model, bool active);

}  // namespace velk::tui
