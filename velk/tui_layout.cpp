// Placement and focus order of dialog items for the terminal front end.
#include <map>

#include "velk/tui_parts.h"

namespace velk::tui {
namespace {

enum Kind { KindText = 0, KindSingleFrame = 2, KindDoubleFrame = 3, KindEdit = 4, KindButton = 7, KindCheckBox = 8 };

int TextWidth(const HostDialogItem& item) {
  int n = 0;
  while (n < static_cast<int>(sizeof item.text) && item.text[n] != 0) ++n;
  return n;
}

}  // namespace

std::wstring ButtonCaption(const HostDialogItem& item) {
  return L"[ " + OemToWide(std::string_view(item.text, static_cast<size_t>(TextWidth(item)))) + L" ]";
}

std::vector<ItemPlace> LayoutDialog(const HostDialogItem* items, int count, int dialogWidth) {
  std::vector<ItemPlace> places(count > 0 ? static_cast<size_t>(count) : 0);
  std::map<int, std::vector<int>> groups;  // row -> items laid out together there
  for (int i = 0; i < count; ++i) {
    const HostDialogItem& item = items[i];
    ItemPlace& place = places[static_cast<size_t>(i)];
    place.x = item.left;
    place.y = item.top;
    switch (item.kind) {
      case KindSingleFrame:
      case KindDoubleFrame:
      case KindEdit:
        place.width = item.right >= item.left ? item.right - item.left + 1 : 1;
        place.focusable = item.kind == KindEdit;
        break;
      case KindButton:
        place.width = static_cast<int>(ButtonCaption(item).size());
        place.focusable = true;
        break;
      case KindCheckBox:
        place.width = 4 + TextWidth(item);
        place.focusable = true;
        break;
      default:
        place.width = TextWidth(item);
        if (item.left == -1) place.x = (dialogWidth - place.width) / 2;
        break;
    }
    if ((item.kind == KindButton || item.kind == KindCheckBox) && (item.flags & DialogCenterGroupFlag)) {
      groups[item.top].push_back(i);
    }
  }
  for (const auto& [row, members] : groups) {
    int total = -1;
    for (int i : members) total += places[static_cast<size_t>(i)].width + 1;
    int x = (dialogWidth - total) / 2;
    if (x < 0) x = 0;
    for (int i : members) {
      places[static_cast<size_t>(i)].x = x;
      x += places[static_cast<size_t>(i)].width + 1;
    }
  }
  return places;
}

int InitialFocus(const HostDialogItem* items, const std::vector<ItemPlace>& places) {
  int first = -1;
  for (size_t i = 0; i < places.size(); ++i) {
    if (!places[i].focusable) continue;
    if (items[i].hasFocus) return static_cast<int>(i);
    if (first < 0) first = static_cast<int>(i);
  }
  return first;
}

int NextFocus(const std::vector<ItemPlace>& places, int current, int step) {
  const int n = static_cast<int>(places.size());
  if (n == 0) return -1;
  int i = current < 0 ? (step > 0 ? -1 : n) : current;
  for (int tries = 0; tries < n; ++tries) {
    i = ((i + step) % n + n) % n;
    if (places[static_cast<size_t>(i)].focusable) return i;
  }
  return current;
}

int DefaultItem(const HostDialogItem* items, int count, int focused) {
  for (int i = 0; i < count; ++i) {
    if (items[i].isDefault) return i;
  }
  return focused;
}

}  // namespace velk::tui
