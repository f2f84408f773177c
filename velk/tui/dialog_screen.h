// The plug-in's dialog on the screen: where its items stand, and the picture
// of a DialogModel's state (with the history list of an edit field when it
// is open).
#pragma once

#include <string>
#include <vector>

#include "interaction/dialog_model.h"
#include "tui/canvas.h"

namespace velk::tui {

// Where an item stands in dialog coordinates.
struct ItemPlace {
  int x = 0, y = 0, width = 0;
};

// Caption of a button as drawn, brackets included.
std::wstring ButtonCaption(const HostDialogItem& item);
// Places every item. Buttons and check boxes with DialogButtonRowFlag on the
// same row are centred together, one blank apart. A text with left -1 is
// centred. Frames and edit fields span left to right.
std::vector<ItemPlace> LayoutDialog(const HostDialogItem* items, int count, int dialogWidth);

// The dialog centred on the screen (kept around the focused item when the
// screen is too short), and its history list when one is open.
void PaintDialog(Canvas& canvas, DialogModel& model);

}  // namespace velk::tui
