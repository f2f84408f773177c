#include "interaction/menu_model.h"

#include <algorithm>

namespace velk {

MenuModel::MenuModel(int count, int start, const uint32_t* breakKeys)
    : count_(std::max(count, 0)), breakKeys_(breakKeys), cursor_(start >= 0 && start < count ? start : 0) {}

MenuModel MenuModel::ForView(const MenuView& view) {
  const int count = view.items ? view.count : 0;
  int start = 0;
  for (int i = 0; i < count; ++i) {
    if (view.items[i].flags & MenuItemSelected) {
      start = i;
      break;
    }
  }
  return MenuModel(count, start, view.breakKeys);
}

void MenuModel::SetView(int lines, int columns, int widest) {
  pageLines_ = std::max(lines, 1);
  columns_ = std::max(columns, 0);
  widest_ = std::max(widest, 0);
  if (top_ < 0) top_ = cursor_ - pageLines_ / 2;
  KeepCursorShown();
}

void MenuModel::KeepCursorShown() {
  column_ = std::max(0, std::min(column_, widest_ - columns_));
  if (top_ < 0) return;  // not shown yet
  if (cursor_ < top_) top_ = cursor_;
  if (cursor_ >= top_ + pageLines_) top_ = cursor_ - pageLines_ + 1;
  top_ = std::max(0, std::min(top_, count_ - pageLines_));
}

Step MenuModel::Close(int position, int breakCode) {
  closed_ = true;
  answer_.position = count_ > 0 ? position : -1;
  answer_.breakCode = breakCode;
  return Step::Closed;
}

Step MenuModel::Feed(KeyPress key) {
  if (closed_) return Step::Closed;
  const int code = FindBreakCode(breakKeys_, key);
  if (code >= 0) return Close(cursor_, code);
  if (key.modifiers != KeyModNone) return Step::Open;
  const int last = std::max(count_ - 1, 0);
  switch (key.vk) {
    case VkUp: cursor_ = std::max(cursor_ - 1, 0); break;
    case VkDown: cursor_ = std::min(cursor_ + 1, last); break;
    case VkHome: cursor_ = 0; break;
    case VkEnd: cursor_ = last; break;
    case VkPrior: cursor_ = std::max(cursor_ - pageLines_, 0); break;
    case VkNext: cursor_ = std::min(cursor_ + pageLines_, last); break;
    case VkLeft: column_ -= 4; break;
    case VkRight: column_ += 4; break;
    case VkReturn: return Close(cursor_, -1);
    case VkEscape: return Close(-1, -1);
    case VkF1: return Step::Help;
    default: return Step::Open;
  }
  KeepCursorShown();
  return Step::Open;
}

}  // namespace velk
