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

// Where the dialog's top left corner stands on the screen.
struct Origin {
  int x = 0, y = 0;
};

Origin Place(const Canvas& canvas, const DialogView& view, const std::vector<ItemPlace>& places, int focus) {
  Origin o;
  o.x = view.width <= canvas.Columns() ? (canvas.Columns() - view.width) / 2 : 0;
  if (view.height <= canvas.Lines() - 1) {
    o.y = std::max(1, (canvas.Lines() - view.height) / 2);
  } else {
    // Too short a terminal: keep the focused item in sight.
    int fy = focus >= 0 ? places[static_cast<size_t>(focus)].y : 0;
    if (fy > canvas.Lines() - 3) o.y = canvas.Lines() - 3 - fy;
  }
  return o;
}

// A separator: a line across the dialog's frame, its text centred in it.
void PaintSeparator(Canvas& canvas, const DialogModel& model, int y, int originX, const std::wstring& text) {
  int left = 0, right = model.View().width - 1;
  bool dbl = false;
  for (int i = 0; i < model.Count(); ++i) {
    const HostDialogItem& it = model.View().items[i];
    if (it.kind != DialogItemSingleFrame && it.kind != DialogItemFrame) continue;
    left = it.left;
    right = it.right;
    dbl = it.kind == DialogItemFrame;
    break;
  }
  const int x = originX + left, width = right - left + 1;
  const std::wstring line =
      std::wstring(1, dbl ? L'\u255F' : L'\u251C') + Repeat(L'\u2500', width - 2) + (dbl ? L'\u2562' : L'\u2524');
  canvas.Put(y, x, line, canvas.style.dialog);
  if (text.empty()) return;
  canvas.Put(y, x + (width - static_cast<int>(text.size()) - 2) / 2, L" " + text + L" ", canvas.style.dialog);
}

void PaintEdit(Canvas& canvas, const DialogModel& model, int i, int y, int x, int width) {
  const LineEditor& editor = model.Editor(i);
  const size_t scroll = editor.ScrollPosition();
  std::wstring shown = OemToScreen(editor.Text());
  shown = scroll < shown.size() ? shown.substr(scroll) : std::wstring();
  canvas.Fill(y, x, width, canvas.style.edit);
  canvas.Put(y, x, shown, canvas.style.edit, width);
  if (model.HasHistory(i)) canvas.Put(y, x + width, L"\u2193", canvas.style.dialog);
  if (i == model.Focus()) {
    canvas.SetCursor(y, x + static_cast<int>(editor.Cursor() - scroll),
                     editor.Overwrite() ? CursorShape::Block : CursorShape::Line);
  }
}

void PaintItem(Canvas& canvas, const DialogModel& model, int i, const ItemPlace& p, Origin o) {
  const HostDialogItem& it = model.View().items[i];
  const Styles& st = canvas.style;
  const int y = o.y + p.y, x = o.x + p.x;
  const bool focused = i == model.Focus();
  const std::wstring text = OemFieldToScreen(it.text, sizeof it.text);
  switch (it.kind) {
    case DialogItemSingleFrame:
    case DialogItemFrame:
      canvas.Frame(y, x, it.bottom - it.top + 1, p.width, it.kind == DialogItemFrame, st.dialog, text);
      break;
    case DialogItemEdit: PaintEdit(canvas, model, i, y, x, p.width); break;
    case DialogItemButton:
      canvas.Put(y, x, ButtonCaption(it), focused ? st.focus : (it.isDefault ? st.defaultButton : st.dialog));
      if (focused) canvas.SetCursor(y, x + 2, CursorShape::Line);
      break;
    case DialogItemCheckBox:
      canvas.Put(y, x, std::wstring(model.Checked(i) ? L"[x] " : L"[ ] "), st.dialog);
      canvas.Put(y, x + 4, text, focused ? st.focus : st.dialog);
      if (focused) canvas.SetCursor(y, x + 1, CursorShape::Line);
      break;
    default:
      if ((it.flags & DialogSeparatorFlags) == DialogSeparatorFlags) {
        PaintSeparator(canvas, model, y, o.x, text);
      } else {
        canvas.Put(y, x, text, st.dialog);
      }
      break;
  }
}

// The history list of an edit field, dropped down under it.
void PaintHistory(Canvas& canvas, DialogModel& model, const ItemPlace& field, Origin o) {
  DialogModel::HistoryList& history = *model.OpenHistory();
  MenuLines m;
  for (const auto& e : history.entries) m.lines.push_back(OemToScreen(e));
  if (m.lines.empty()) m.lines.push_back(L"(no earlier input)");
  m.title = L"History";
  m.fixedX = o.x + field.x;
  m.fixedY = o.y + field.y + 1;
  m.minWidth = field.width;
  m.maxVisible = 10;
  PaintMenu(canvas, m, history.menu, true);
}

}  // namespace

std::wstring ButtonCaption(const HostDialogItem& item) {
  return L"[ " + OemFieldToScreen(item.text, sizeof item.text) + L" ]";
}

std::vector<ItemPlace> LayoutDialog(const HostDialogItem* items, int count, int dialogWidth) {
  std::vector<ItemPlace> places(count > 0 ? static_cast<size_t>(count) : 0);
  std::map<int, std::vector<int>> rows;  // row -> items laid out together there
  for (int i = 0; i < count; ++i) {
    const HostDialogItem& item = items[i];
    ItemPlace& place = places[static_cast<size_t>(i)];
    place.x = item.left;
    place.y = item.top;
    place.width = ItemWidth(item);
    if (item.kind == DialogItemText && item.left == -1) place.x = (dialogWidth - place.width) / 2;
    if ((item.kind == DialogItemButton || item.kind == DialogItemCheckBox) && (item.flags & DialogButtonRowFlag))
      rows[item.top].push_back(i);
  }
  for (const auto& [row, members] : rows) {
    int total = -1;
    for (int i : members) total += places[static_cast<size_t>(i)].width + 1;
    int x = std::max(0, (dialogWidth - total) / 2);
    for (int i : members) {
      places[static_cast<size_t>(i)].x = x;
      x += places[static_cast<size_t>(i)].width + 1;
    }
  }
  return places;
}

void PaintDialog(Canvas& canvas, DialogModel& model) {
  const DialogView& view = model.View();
  const std::vector<ItemPlace> places = LayoutDialog(view.items, model.Count(), view.width);
  const Origin o = Place(canvas, view, places, model.Focus());
  for (int r = 0; r < view.height; ++r) canvas.Fill(o.y + r, o.x, view.width, canvas.style.dialog);
  for (int i = 0; i < model.Count(); ++i) PaintItem(canvas, model, i, places[static_cast<size_t>(i)], o);
  if (model.OpenHistory()) PaintHistory(canvas, model, places[static_cast<size_t>(model.OpenHistory()->item)], o);
}

}  // namespace velk::tui
