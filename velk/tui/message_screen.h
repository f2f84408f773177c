// A message box on the screen, painted from a MessageModel: the title in
// its frame, the body lines word-wrapped and centred, the buttons in a row.
#pragma once

#include "interaction/message_model.h"
#include "interaction/views.h"
#include "tui/canvas.h"

namespace velk::tui {

void PaintMessage(Canvas& canvas, const MessageView& view, const MessageModel& model);

}  // namespace velk::tui
