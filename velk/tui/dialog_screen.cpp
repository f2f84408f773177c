#include "tui/dialog_screen.h"

#include <algorithm>
#include <map>

#include "tui/menu_screen.h"
#include "tui/text.h"

namespace velk::tui {
namespace {

int TextWidth(const HostDialogItem& item) {
  int n = 0;
  while (n < static_cast<int>(sizeof item.text) && item.text[n] != 0) ++n;
  return n;
}

int ItemWidth(const HostDialogItem& item) {
  switch (item.kind) {
    case DialogItemSingleFrame:
    case DialogItemFrame:
    case DialogItemEdit: return SpanWidth(item);
    case DialogItemButton: return static_cast<int>(ButtonCaption(item).size());
    case DialogItemCheckBox: return 4 + TextWidth(item);
    default: return TextWidth(item);
  }
}

bool IsFrame(const HostDialogItem& item) { return item.kind == DialogItemSingleFrame || item.kind == DialogItemFrame; }

int OuterFrame(const HostDialogItem* items, int count) {
  for (int i = 0; i < count; ++i) {
    if (IsFrame(items[i])) return i;
  }
  return -1;
}

// What a narrower showing takes off the items at the dialog's right (see
// LayoutDialog).
void Narrow(const HostDialogItem* items, int count, int dialogWidth, int shownWidth, std::vector<ItemPlace>& places) {
  const int lost = dialogWidth - shownWidth;
  const int outer = OuterFrame(items, count);
  const int margin = outer >= 0 ? std::max(0, dialogWidth - 1 - items[outer].right) : 0;
  const int frameRight = shownWidth - 1 - margin;              // the outer frame's right edge as shown
  const int inner = outer >= 0 ? frameRight - 1 : frameRight;  // the last column inside it
  for (int i = 0; i < count; ++i) {
    const HostDialogItem& item = items[i];
    ItemPlace& place = places[static_cast<size_t>(i)];
    int right = place.x + place.width - 1;
    if (IsFrame(item)) {
      right = std::max(place.x + 1, std::min(right, frameRight));
    } else if (item.kind == DialogItemEdit) {
      // One column stays free for the history mark after the field.
      right = std::max(place.x, std::min({right, std::max(inner - 1, right - lost), inner}));
    } else {
      continue;  // texts and check boxes: KeepInsideFrame
    }
    place.width = std::max(0, right - place.x + 1);
  }
}

// Texts and check boxes end at the outer frame's inner edge (without a
// frame, at the edge of the shown width), and a centred text starts inside
// the frame: at every width, a label longer than the room the dialog has
// for it (the plug-in lays a narrow dialog out with the same labels) is cut
// there rather than drawn over the frame.
void KeepInsideFrame(const HostDialogItem* items, int count, int shownWidth, std::vector<ItemPlace>& places) {
  const int outer = OuterFrame(items, count);
  int innerLeft = 0, innerRight = shownWidth - 1;
  if (outer >= 0) {
    const ItemPlace& frame = places[static_cast<size_t>(outer)];
    innerLeft = frame.x + 1;
    innerRight = frame.x + frame.width - 2;
  }
  for (int i = 0; i < count; ++i) {
    const HostDialogItem& item = items[i];
    if (item.kind != DialogItemText && item.kind != DialogItemCheckBox) continue;
    ItemPlace& place = places[static_cast<size_t>(i)];
    if (item.kind == DialogItemText && item.left == -1) place.x = std::max(place.x, innerLeft);
    place.width = std::max(0, std::min(place.x + place.width - 1, innerRight) - place.x + 1);
  }
}

// A text in `room` columns: cut, with an ellipsis in the last one, when it
// is longer.
std::wstring Fitted(const std::wstring& text, int room) {
  if (room < 2 || static_cast<int>(text.size()) <= room) return text;
  return text.substr(0, static_cast<size_t>(room - 1)) + L"\u2026";
}

// The screen column and row of the dialog's top left corner.
struct Origin {
  int x = 0, y = 0;
};

Origin Place(const Canvas& canvas, int shownWidth, int height, const std::vector<ItemPlace>& places, int focus) {
  Origin o;
  o.x = std::max(0, (canvas.Columns() - shownWidth) / 2);
  if (height <= canvas.Lines() - 1) {
    o.y = std::max(1, (canvas.Lines() - height) / 2);
  } else {
    // Too short a terminal: keep the focused item in sight.
    int fy = focus >= 0 ? places[static_cast<size_t>(focus)].y : 0;
    if (fy > canvas.Lines() - 3) o.y = canvas.Lines() - 3 - fy;
  }
  return o;
}

// A separator: a line across the dialog's outer frame, its text centred in it.
void PaintSeparator(Canvas& canvas, const DialogModel& model, const std::vector<ItemPlace>& places, int y, int originX,
                    const std::wstring& text) {
  const int outer = OuterFrame(model.View().items, model.Count());
  int left = 0, width = static_cast<int>(canvas.Columns());
  bool dbl = false;
  if (outer >= 0) {
    left = places[static_cast<size_t>(outer)].x;
    width = places[static_cast<size_t>(outer)].width;
    dbl = model.View().items[outer].kind == DialogItemFrame;
  }
  const int x = originX + left;
  const std::wstring line = std::wstring(1, dbl ? L'\u255F' : L'\u251C') + Repeat(L'\u2500', width - 2) +
                            (dbl ? L'\u2562' : L'\u2524');
  canvas.Put(y, x, line, canvas.style.dialog);
  if (text.empty()) return;
  canvas.Put(y, x + (width - static_cast<int>(text.size()) - 2) / 2, L" " + text + L" ", canvas.style.dialog,
             std::max(0, width - 2));
}

// The history list of an edit field, dropped down under it.
void PaintHistory(Canvas& canvas, DialogModel& model, const ItemPlace& field, int originX, int originY) {
  DialogModel::HistoryList& history = *model.OpenHistory();
  MenuLines m;
  for (const auto& e : history.entries) m.lines.push_back(OemToScreen(e));
  if (m.lines.empty()) m.lines.push_back(L"(no earlier input)");
  m.title = L"History";
  // From the field's first column to the history mark after it, inside the
  // dialog's frame on both sides; longer entries scroll sideways.
  m.fixedX = originX + field.x;
  m.fixedY = originY + field.y + 1;
  m.minWidth = field.width - 1;
  m.maxWidth = field.width + 1;
  m.maxVisible = 10;
  PaintMenu(canvas, m, history.menu, true);
}

}  // namespace

std::wstring ButtonCaption(const HostDialogItem& item) {
  return L"[ " + OemFieldToScreen(item.text, sizeof item.text) + L" ]";
}

std::vector<ItemPlace> LayoutDialog(const HostDialogItem* items, int count, int dialogWidth, int shownWidth) {
  shownWidth = std::max(1, std::min(shownWidth, dialogWidth));
  std::vector<ItemPlace> places(count > 0 ? static_cast<size_t>(count) : 0);
  std::map<int, std::vector<int>> rows;  // row -> items laid out together there
  for (int i = 0; i < count; ++i) {
    const HostDialogItem& item = items[i];
    ItemPlace& place = places[static_cast<size_t>(i)];
    place.x = item.left;
    place.y = item.top;
    place.width = ItemWidth(item);
    if (item.kind == DialogItemText && item.left == -1) place.x = (shownWidth - place.width) / 2;
    if ((item.kind == DialogItemButton || item.kind == DialogItemCheckBox) && (item.flags & DialogButtonRowFlag))
      rows[item.top].push_back(i);
  }
  if (shownWidth < dialogWidth) Narrow(items, count, dialogWidth, shownWidth, places);
  for (const auto& [row, members] : rows) {
    int total = -1;
    for (int i : members) total += places[static_cast<size_t>(i)].width + 1;
    int x = std::max(0, (shownWidth - total) / 2);
    for (int i : members) {
      places[static_cast<size_t>(i)].x = x;
      x += places[static_cast<size_t>(i)].width + 1;
    }
  }
  KeepInsideFrame(items, count, shownWidth, places);
  return places;
}

FieldView ScrollField(size_t length, size_t cursor, size_t width, size_t previousFirst) {
  FieldView v;
  if (width == 0) return v;
  cursor = std::min(cursor, length);
  const bool marks = width >= 3;
  auto left = [&](size_t s) -> size_t { return marks && s > 0 ? 1 : 0; };
  auto hiddenRight = [&](size_t s) { return marks && length - s > width - left(s); };
  auto lastCell = [&](size_t s) { return width - 1 - (hiddenRight(s) ? 1 : 0); };
  auto fits = [&](size_t s) { return cursor >= s && left(s) + (cursor - s) <= lastCell(s); };
  size_t s = std::min(previousFirst, cursor);
  while (!fits(s)) ++s;
  // Show more on the left while the end of the text and the cell after it
  // still fit.
  while (s > 0 && fits(s - 1) && left(s - 1) + (length - (s - 1)) <= width - 1) --s;
  v.first = s;
  v.hiddenLeft = left(s) > 0;
  v.hiddenRight = hiddenRight(s);
  v.textCell = static_cast<int>(left(s));
  v.shown = std::min(length - s, lastCell(s) + 1 - left(s));
  v.cursorCell = static_cast<int>(left(s) + cursor - s);
  return v;
}

void DialogScreen::PaintEdit(Canvas& canvas, int i, int y, int x, int width) {
  const LineEditor& editor = model_.Editor(i);
  size_t& first = firstShown_[static_cast<size_t>(i)];
  // A field without the focus keeps showing from where it did (laid out
  // narrower, it does not jump to its cursor, which is at the end of a text
  // that fitted); the focused one follows its cursor.
  const bool focused = i == model_.Focus();
  const size_t cursor = focused ? editor.Cursor() : std::min(first, editor.Text().size());
  const FieldView v = ScrollField(editor.Text().size(), cursor, static_cast<size_t>(std::max(width, 0)), first);
  first = v.first;
  const Styles& st = canvas.style;
  canvas.Fill(y, x, width, st.edit);
  canvas.Put(y, x + v.textCell, OemToScreen(std::string_view(editor.Text()).substr(v.first, v.shown)), st.edit);
  // The marks in the dialog's colours, so that they are not taken for text.
  if (v.hiddenLeft) canvas.Put(y, x, L"\u00AB", st.dialog);
  if (v.hiddenRight) canvas.Put(y, x + width - 1, L"\u00BB", st.dialog);
  if (model_.HasHistory(i)) canvas.Put(y, x + width, L"\u2193", st.dialog);
  if (focused) canvas.SetCursor(y, x + v.cursorCell, editor.Overwrite() ? CursorShape::Block : CursorShape::Line);
}

void DialogScreen::PaintItem(Canvas& canvas, int i, const std::vector<ItemPlace>& places, int originX, int originY) {
  const HostDialogItem& it = model_.View().items[i];
  const ItemPlace& p = places[static_cast<size_t>(i)];
  const Styles& st = canvas.style;
  const int y = originY + p.y, x = originX + p.x;
  const bool focused = i == model_.Focus();
  const std::wstring text = OemFieldToScreen(it.text, sizeof it.text);
  switch (it.kind) {
    case DialogItemSingleFrame:
    case DialogItemFrame:
      canvas.Frame(y, x, it.bottom - it.top + 1, p.width, it.kind == DialogItemFrame, st.dialog, text);
      break;
    case DialogItemEdit: PaintEdit(canvas, i, y, x, p.width); break;
    case DialogItemButton:
      canvas.Put(y, x, ButtonCaption(it), focused ? st.focus : (it.isDefault ? st.defaultButton : st.dialog));
      if (focused) canvas.SetCursor(y, x + 2, CursorShape::Line);
      break;
    case DialogItemCheckBox:
      canvas.Put(y, x, std::wstring(model_.Checked(i) ? L"[x] " : L"[ ] "), st.dialog, p.width);
      canvas.Put(y, x + 4, Fitted(text, p.width - 4), focused ? st.focus : st.dialog, std::max(0, p.width - 4));
      if (focused) canvas.SetCursor(y, x + 1, CursorShape::Line);
      break;
    default:
      if ((it.flags & DialogSeparatorFlags) == DialogSeparatorFlags) {
        PaintSeparator(canvas, model_, places, y, originX, text);
      } else {
        canvas.Put(y, x, Fitted(text, p.width), st.dialog, p.width);
      }
      break;
  }
}

void DialogScreen::Paint(Canvas& canvas) {
  const DialogView& view = model_.View();
  firstShown_.resize(static_cast<size_t>(model_.Count()));
  const int shownWidth = std::max(1, std::min(view.width, canvas.Columns()));
  const std::vector<ItemPlace> places = LayoutDialog(view.items, model_.Count(), view.width, shownWidth);
  const Origin o = Place(canvas, shownWidth, view.height, places, model_.Focus());
  for (int r = 0; r < view.height; ++r) canvas.Fill(o.y + r, o.x, shownWidth, canvas.style.dialog);
  for (int i = 0; i < model_.Count(); ++i) PaintItem(canvas, i, places, o.x, o.y);
  if (model_.OpenHistory()) {
    PaintHistory(canvas, model_, places[static_cast<size_t>(model_.OpenHistory()->item)], o.x, o.y);
  }
}

}  // namespace velk::tui
