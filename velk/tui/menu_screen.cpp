#include "tui/menu_screen.h"

#include <algorithm>

#include "tui/text.h"

namespace velk::tui {

MenuLines LinesOfView(const MenuView& view) {
  MenuLines m;
  m.title = OemToScreen(view.title);
  m.bottom = OemToScreen(view.bottom);
  const int count = view.items ? view.count : 0;
  for (int i = 0; i < count; ++i) {
    const HostMenuItem& item = view.items[i];
    m.lines.push_back(OemFieldToScreen(item.text, sizeof item.text));
    m.checked.push_back((item.flags & MenuItemChecked) != 0);
  }
  return m;
}

MenuGeometry LayOutMenu(const MenuLines& m, int screenLines, int screenColumns) {
  MenuGeometry g;
  for (const auto& line : m.lines) g.textWidth = std::max(g.textWidth, static_cast<int>(line.size()));
  int inner = std::max(
      {g.textWidth + 3, static_cast<int>(m.title.size()) + 6, static_cast<int>(m.bottom.size()) + 4, m.minWidth});
  g.w = std::min(inner + 2, screenColumns);
  if (m.maxWidth > 0) g.w = std::min(g.w, m.maxWidth);
  g.avail = std::max(0, g.w - 5);
  int areaTop = 1, areaHeight = std::max(3, screenLines - 2);
  if (m.fixedY >= 0) {
    areaTop = m.fixedY;
    areaHeight = std::max(3, screenLines - 1 - m.fixedY);
  }
  // The bottom edge holds a blank and two columns of edge on either side of
  // its text (Canvas::Frame).
  const int edgeRoom = g.w - 6;
  g.bottom = m.bottom;
  if (edgeRoom > 0 && static_cast<int>(m.bottom.size()) > edgeRoom) {
    g.footer = Wrap(m.bottom, edgeRoom);
    g.bottom = g.footer.back();
    g.footer.pop_back();
    const size_t room = static_cast<size_t>(std::max(0, areaHeight - 3));
    if (g.footer.size() > room) g.footer.resize(room);
  }
  const int footer = static_cast<int>(g.footer.size());
  g.visible = std::max(1, std::min(static_cast<int>(m.lines.size()), areaHeight - 2 - footer));
  if (m.maxVisible > 0) g.visible = std::min(g.visible, m.maxVisible);
  g.h = g.visible + 2 + footer;
  g.x = m.fixedX >= 0 ? std::max(0, std::min(m.fixedX, screenColumns - g.w)) : (screenColumns - g.w) / 2;
  g.y = m.fixedY >= 0 ? areaTop : areaTop + (areaHeight - g.h) / 2;
  return g;
}

namespace {

// The scroll bar on the right edge, when not every line fits.
void PaintScrollBar(Canvas& canvas, const MenuGeometry& g, int lines, int cursor) {
  if (lines <= g.visible || g.visible < 2) return;
  const attr_t attr = canvas.style.menuFrame;
  const int bx = g.x + g.w - 1;
  canvas.Put(g.y + 1, bx, L"\u25B2", attr);
  canvas.Put(g.y + g.visible, bx, L"\u25BC", attr);
  const int track = g.visible - 2;
  for (int r = 0; r < track; ++r) canvas.Put(g.y + 2 + r, bx, L"\u2591", attr);
  if (track > 0) {
    int thumb = lines <= 1 ? 0 : cursor * (track - 1) / (lines - 1);
    canvas.Put(g.y + 2 + thumb, bx, L"\u2588", attr);
  }
}

}  // namespace

void PaintMenu(Canvas& canvas, const MenuLines& m, MenuModel& model, bool active) {
  const MenuGeometry g = LayOutMenu(m, canvas.Lines(), canvas.Columns());
  model.SetView(g.visible, g.avail, g.textWidth);
  const Styles& st = canvas.style;
  for (int r = 0; r < g.h; ++r) canvas.Fill(g.y + r, g.x, g.w, st.menu);
  canvas.Frame(g.y, g.x, g.h, g.w, true, st.menuFrame, m.title, g.bottom);
  for (size_t k = 0; k < g.footer.size(); ++k) {
    const std::wstring& part = g.footer[k];
    canvas.Put(g.y + 1 + g.visible + static_cast<int>(k), g.x + (g.w - static_cast<int>(part.size())) / 2, part,
               st.menuFrame);
  }
  const int n = static_cast<int>(m.lines.size());
  const int column = model.Column();
  for (int r = 0; r < g.visible && model.Top() + r < n; ++r) {
    const int i = model.Top() + r;
    const bool cursor = i == model.Cursor();
    const attr_t attr = cursor ? st.menuCursor : st.menu;
    const int y = g.y + 1 + r;
    canvas.Fill(y, g.x + 1, g.w - 2, attr);
    const bool checked = i < static_cast<int>(m.checked.size()) && m.checked[static_cast<size_t>(i)];
    if (checked) canvas.Put(y, g.x + 2, L"\u221A", attr);
    const std::wstring& line = m.lines[static_cast<size_t>(i)];
    if (column < static_cast<int>(line.size()))
      canvas.Put(y, g.x + 3, line.substr(static_cast<size_t>(column)), attr, g.avail);
    if (column > 0) canvas.Put(y, g.x + 1, L"\u00AB", attr);
    if (static_cast<int>(line.size()) - column > g.avail) canvas.Put(y, g.x + g.w - 2, L"\u00BB", attr);
    if (cursor && active) canvas.SetCursor(y, g.x + 2, CursorShape::Hidden);
  }
  PaintScrollBar(canvas, g, n, model.Cursor());
}

}  // namespace velk::tui
