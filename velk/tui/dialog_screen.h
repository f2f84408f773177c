// The plug-in's dialog on the screen: where its items stand, which part of
// each edit field's text is shown, and the picture of a DialogModel's state
// (with the history list of an edit field when it is open).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "interaction/dialog_model.h"
#include "tui/canvas.h"

namespace velk::tui {

// Where an item stands in dialog coordinates, and the columns it takes.
struct ItemPlace {
  int x = 0, y = 0, width = 0;
};

// Caption of a button as drawn, brackets included.
std::wstring ButtonCaption(const HostDialogItem& item);

// Places every item of a dialog `dialogWidth` columns wide that is shown in
// `shownWidth` columns (its own width, or a narrower screen's). Buttons and
// check boxes with DialogButtonRowFlag on the same row are centred together,
// one blank apart, in the shown width. A text with left -1 is centred.
// Frames and edit fields span left to right. In a narrower showing the
// dialog loses columns at its right: its outer frame (the first frame item)
// keeps its margin to the dialog's right edge; an edit field that would run
// past the column before the frame's inner edge (kept free for the history
// mark) ends as many columns earlier as were lost, or at that column where
// that is later. At every width, texts and check boxes are cut at the
// frame's inner edge (a centred text starts inside it), so nothing runs
// over the frame.
std::vector<ItemPlace> LayoutDialog(const HostDialogItem* items, int count, int dialogWidth, int shownWidth);
inline std::vector<ItemPlace> LayoutDialog(const HostDialogItem* items, int count, int dialogWidth) {
  return LayoutDialog(items, count, dialogWidth, dialogWidth);
}

// What an edit field `width` cells wide shows of a text of `length`
// characters with the cursor before character `cursor` (at `length`: after
// the text). Where text is hidden, a mark takes the field's first cell (text
// hidden on the left) or its last (on the right); fields narrower than 3
// cells have no marks. The cursor always stands in a cell of the field, not
// on a mark. `previousFirst` is what the field showed first before: the text
// does not move while the cursor moves within what is shown, except that no
// text stays hidden on the left while the end of the text, and the cell
// after it, fit.
struct FieldView {
  size_t first = 0;  // the first character shown
  size_t shown = 0;  // how many characters are shown
  int textCell = 0;  // the cell of the first character shown
  int cursorCell = 0;
  bool hiddenLeft = false, hiddenRight = false;
};
FieldView ScrollField(size_t length, size_t cursor, size_t width, size_t previousFirst);

// A dialog on the screen: the model's state painted centred on the screen
// (kept around the focused item when the screen is too short, laid out
// narrower when it is too narrow), with the part of each edit field's text
// it shows kept from picture to picture.
class DialogScreen {
 public:
  explicit DialogScreen(DialogModel& model) : model_(model) {}
  void Paint(Canvas& canvas);

 private:
  void PaintEdit(Canvas& canvas, int item, int y, int x, int width);
  void PaintItem(Canvas& canvas, int item, const std::vector<ItemPlace>& places, int originX, int originY);

  DialogModel& model_;
  std::vector<size_t> firstShown_;  // per item: the first character its edit field shows
};

}  // namespace velk::tui
