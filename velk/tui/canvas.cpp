#include "tui/canvas.h"

#include <wchar.h>

#include <algorithm>

namespace velk::tui {

std::wstring Repeat(wchar_t c, int n) { return n > 0 ? std::wstring(static_cast<size_t>(n), c) : std::wstring(); }

int CellWidth(const std::wstring& text) {
  int cells = 0;
  for (wchar_t c : text) {
    const int w = wcwidth(c);
    cells += w < 0 ? 1 : w;
  }
  return cells;
}

std::vector<std::wstring> Wrap(const std::wstring& line, int width) {
  std::vector<std::wstring> out;
  if (width < 1 || static_cast<int>(line.size()) <= width) {
    out.push_back(line);
    return out;
  }
  std::wstring rest = line;
  while (static_cast<int>(rest.size()) > width) {
    size_t cut = rest.rfind(L' ', static_cast<size_t>(width));
    if (cut == std::wstring::npos || cut == 0) cut = static_cast<size_t>(width);
    out.push_back(rest.substr(0, cut));
    rest = rest.substr(cut);
    while (!rest.empty() && rest.front() == L' ') rest.erase(0, 1);
  }
  if (!rest.empty()) out.push_back(rest);
  return out;
}

void Canvas::UseColours() {
  if (!has_colors()) return;
  start_color();
  init_pair(1, COLOR_WHITE, COLOR_BLUE);
  init_pair(2, COLOR_BLACK, COLOR_CYAN);
  init_pair(3, COLOR_WHITE, COLOR_BLACK);
  init_pair(4, COLOR_BLACK, COLOR_WHITE);
  init_pair(5, COLOR_WHITE, COLOR_RED);
  init_pair(6, COLOR_YELLOW, COLOR_CYAN);
  init_pair(7, COLOR_YELLOW, COLOR_BLUE);
  Styles& s = style;
  s.desk = COLOR_PAIR(1);
  s.title = s.menu = s.edit = s.help = s.keyText = COLOR_PAIR(2);
  s.menuFrame = COLOR_PAIR(2) | A_BOLD;
  s.menuCursor = s.focus = s.linkSelected = COLOR_PAIR(3) | A_BOLD;
  s.dialog = COLOR_PAIR(4);
  s.defaultButton = s.errorFocus = COLOR_PAIR(4) | A_BOLD;
  s.error = COLOR_PAIR(5) | A_BOLD;
  s.link = COLOR_PAIR(6) | A_BOLD;
  s.keyName = COLOR_PAIR(7) | A_BOLD;
}

void Canvas::Put(int y, int x, const std::wstring& s, attr_t attr, int maxWidth) {
  if (y < 0 || y >= LINES) return;
  std::wstring text = s;
  if (maxWidth >= 0 && static_cast<int>(text.size()) > maxWidth) text.resize(static_cast<size_t>(maxWidth));
  if (x < 0) {
    if (static_cast<int>(text.size()) <= -x) return;
    text.erase(0, static_cast<size_t>(-x));
    x = 0;
  }
  int n = std::min(static_cast<int>(text.size()), COLS - x);
  if (n <= 0) return;
  attrset(attr);
  mvaddnwstr(y, x, text.c_str(), n);
}

void Canvas::Fill(int y, int x, int width, attr_t attr) { Put(y, x, Repeat(L' ', width), attr); }

void Canvas::Frame(int y, int x, int h, int w, bool dbl, attr_t attr, const std::wstring& title,
                   const std::wstring& bottom) {
  if (w < 2 || h < 2) return;
  const wchar_t hz = dbl ? L'\u2550' : L'\u2500', vt = dbl ? L'\u2551' : L'\u2502';
  Put(y, x, std::wstring(1, dbl ? L'\u2554' : L'\u250C') + Repeat(hz, w - 2) + (dbl ? L'\u2557' : L'\u2510'), attr);
  for (int r = 1; r < h - 1; ++r) {
    Put(y + r, x, std::wstring(1, vt), attr);
    Put(y + r, x + w - 1, std::wstring(1, vt), attr);
  }
  Put(y + h - 1, x, std::wstring(1, dbl ? L'\u255A' : L'\u2514') + Repeat(hz, w - 2) + (dbl ? L'\u255D' : L'\u2518'),
      attr);
  auto label = [&](int row, const std::wstring& text) {
    if (text.empty() || w < 6) return;
    std::wstring shown = L" " + text + L" ";
    if (static_cast<int>(shown.size()) > w - 4) shown = shown.substr(0, static_cast<size_t>(w - 4));
    Put(row, x + (w - static_cast<int>(shown.size())) / 2, shown, attr);
  };
  label(y, title);
  label(y + h - 1, bottom);
}

void Canvas::SetCursor(int y, int x, CursorShape shape) {
  cursorY_ = y;
  cursorX_ = x;
  cursorShape_ = shape;
}

void Canvas::Begin() {
  erase();
  for (int y = 0; y < LINES; ++y) Fill(y, 0, COLS, style.desk);
  cursorY_ = cursorX_ = -1;
  cursorShape_ = CursorShape::Hidden;
}

void Canvas::KeyBar(const std::wstring& note, const std::vector<KeyHint>& hints) {
  int x = 0;
  Fill(LINES - 1, 0, COLS, style.keyText);
  if (!note.empty()) {
    Put(LINES - 1, 0, L" " + note + L" ", style.error);
    x = CellWidth(note) + 3;
  }
  for (const KeyHint& hint : hints) {
    std::wstring key = hint.key, label = hint.label;
    if (x + static_cast<int>(key.size() + label.size()) + 2 > COLS) break;
    Put(LINES - 1, x, key, style.keyName);
    x += static_cast<int>(key.size());
    Put(LINES - 1, x, L" " + label + L" ", style.keyText);
    x += static_cast<int>(label.size()) + 3;
  }
}

void Canvas::End(const std::wstring& title, const std::wstring& titleNote, const std::wstring& keyNote,
                 const std::vector<KeyHint>& hints) {
  Fill(0, 0, COLS, style.title);
  Put(0, 1, L"velk" + (title.empty() ? std::wstring() : L" \u2502 " + title), style.title);
  if (!titleNote.empty()) Put(0, COLS - static_cast<int>(titleNote.size()) - 1, titleNote, style.focus);
  KeyBar(keyNote, hints);
  if (cursorY_ >= 0 && cursorX_ >= 0 && cursorY_ < LINES && cursorX_ < COLS) {
    curs_set(static_cast<int>(cursorShape_));
    move(cursorY_, cursorX_);
  } else {
    curs_set(0);
  }
  refresh();
}

void Canvas::TooSmallNotice(int minColumns, int minLines) {
  erase();
  const std::wstring text = L"velk needs a terminal of at least " + std::to_wstring(minColumns) + L"x" +
                            std::to_wstring(minLines) + L" (this one is " + std::to_wstring(COLS) + L"x" +
                            std::to_wstring(LINES) + L")";
  // Wrapped, so that even a very narrow terminal shows all of it.
  const std::vector<std::wstring> lines = Wrap(text, COLS);
  for (size_t i = 0; i < lines.size(); ++i) Put(static_cast<int>(i), 0, lines[i], A_NORMAL);
  curs_set(0);
  refresh();
}

}  // namespace velk::tui
