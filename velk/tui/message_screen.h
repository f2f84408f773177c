// A message box on the screen, painted from a MessageModel: the title in
// its frame, the body lines word-wrapped and centred, the buttons in a row.
// The frame is the box's edge: the box covers nothing outside it.
#pragma once

#include <string>
#include <vector>

#include "interaction/message_model.h"
#include "interaction/views.h"
#include "tui/canvas.h"

namespace velk::tui {

// Where a message box stands on a screen of the given size: its frame, the
// body's lines as wrapped to fit, the row of buttons.
struct MessageLayout {
  std::wstring title;
  std::vector<std::wstring> lines;  // the body, wrapped
  std::vector<std::wstring> buttons;
  int buttonsWidth = -1;
  int x = 0, y = 0, w = 0, h = 0;  // the frame
};
MessageLayout LayOutMessage(const MessageView& view, int screenLines, int screenColumns);

void PaintMessage(Canvas& canvas, const MessageView& view, const MessageModel& model);

}  // namespace velk::tui
