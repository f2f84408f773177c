#include "tui/message_screen.h"

#include <algorithm>

#include "tui/text.h"

namespace velk::tui {

MessageLayout LayOutMessage(const MessageView& view, int screenLines, int screenColumns) {
  MessageLayout l;
  if (!view.lines.empty()) l.title = OemToScreen(view.lines[0]);
  // The frame and a blank inside it on either side, and two columns of
  // what lies behind on either side of the frame when the screen is narrow.
  const int maxText = std::max(10, screenColumns - 8);
  for (size_t i = 1; i < view.lines.size(); ++i) {
    for (auto& part : Wrap(OemToScreen(view.lines[i]), maxText)) l.lines.push_back(part);
  }
  for (const auto& b : view.buttons) {
    l.buttons.push_back(L"[ " + OemToScreen(b) + L" ]");
    l.buttonsWidth += static_cast<int>(l.buttons.back().size()) + 1;
  }
  int inner = static_cast<int>(l.title.size()) + 4;
  for (const auto& line : l.lines) inner = std::max(inner, static_cast<int>(line.size()));
  inner = std::max(inner, l.buttonsWidth);
  l.w = std::min(screenColumns, inner + 4);
  l.h = static_cast<int>(l.lines.size()) + (l.buttons.empty() ? 0 : 2) + 2;
  l.x = (screenColumns - l.w) / 2;
  l.y = std::max(1, (screenLines - l.h) / 2);
  return l;
}

void PaintMessage(Canvas& canvas, const MessageView& view, const MessageModel& model) {
  const bool error = (view.flags & MessageErrorReport) != 0;
  const attr_t body = error ? canvas.style.error : canvas.style.dialog;
  const attr_t focus = error ? canvas.style.errorFocus : canvas.style.focus;
  const MessageLayout l = LayOutMessage(view, canvas.Lines(), canvas.Columns());
  for (int r = 0; r < l.h; ++r) canvas.Fill(l.y + r, l.x, l.w, body);
  canvas.Frame(l.y, l.x, l.h, l.w, true, body, l.title);
  for (size_t i = 0; i < l.lines.size(); ++i) {
    int lx = l.x + (l.w - static_cast<int>(l.lines[i].size())) / 2;
    canvas.Put(l.y + 1 + static_cast<int>(i), std::max(l.x + 2, lx), l.lines[i], body, l.w - 4);
  }
  if (l.buttons.empty()) return;
  const int sy = l.y + 1 + static_cast<int>(l.lines.size());
  canvas.Put(sy, l.x, std::wstring(1, L'\u255F') + Repeat(L'\u2500', l.w - 2) + L'\u2562', body);
  int bx = l.x + (l.w - l.buttonsWidth) / 2;
  for (int b = 0; b < static_cast<int>(l.buttons.size()); ++b) {
    const std::wstring& caption = l.buttons[static_cast<size_t>(b)];
    canvas.Put(sy + 1, bx, caption, b == model.Focus() ? focus : body);
    if (b == model.Focus()) canvas.SetCursor(sy + 1, bx + 2, CursorShape::Line);
    bx += static_cast<int>(caption.size()) + 1;
  }
}

}  // namespace velk::tui
