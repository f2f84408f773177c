#include "interaction/dialog_model.h"

#include <algorithm>
#include <cstring>

namespace velk {
namespace {

constexpr size_t EditCapacity = sizeof(HostDialogItem::text) - 1;

std::string ItemText(const HostDialogItem& item) {
  size_t n = 0;
  while (n < sizeof item.text && item.text[n] != 0) ++n;
  return std::string(item.text, n);
}

}  // namespace

bool DialogModel::CanTakeFocus(const HostDialogItem& item) {
  return item.kind == DialogItemEdit || item.kind == DialogItemButton || item.kind == DialogItemCheckBox;
}

int DialogModel::InitialFocus(const HostDialogItem* items, int count) {
  int first = -1;
  for (int i = 0; items && i < count; ++i) {
    if (!CanTakeFocus(items[i])) continue;
    if (items[i].hasFocus) return i;
    if (first < 0) first = i;
  }
  return first;
}

DialogModel::DialogModel(DialogView& view, HistoryStore* history)
    : view_(view),
      store_(history),
      count_(view.items && view.count > 0 ? view.count : 0),
      focus_(InitialFocus(view.items, count_)) {
  editors_.resize(static_cast<size_t>(count_));
  checks_.resize(static_cast<size_t>(count_));
  for (int i = 0; i < count_; ++i) {
    const HostDialogItem& item = Item(i);
    if (item.kind == DialogItemCheckBox) checks_[static_cast<size_t>(i)] = item.checkState ? 1 : 0;
    if (item.kind != DialogItemEdit) continue;
    LineEditor& editor = editors_[static_cast<size_t>(i)];
    editor = LineEditor(ItemText(item), EditCapacity);
    // A text the field cannot show whole, with the cursor after it, opens
    // at its start: the cursor goes there, so that what the field shows
    // first is the beginning of the text.
    if (editor.Text().size() >= static_cast<size_t>(SpanWidth(item))) editor.Handle(Key(VkHome));
  }
}

int SpanWidth(const HostDialogItem& item) { return item.right >= item.left ? item.right - item.left + 1 : 1; }

bool DialogModel::HasHistory(int item) const {
  const HostDialogItem& it = Item(item);
  return it.kind == DialogItemEdit && (it.flags & DialogHistoryFlag) && it.historyName != nullptr;
}

std::string DialogModel::HelpTopic() const { return history_ ? std::string(VelkKeysTopic) : view_.helpTopic; }

void DialogModel::MoveFocus(int step) {
  const int n = Count();
  if (focus_ < 0) return;
  for (int i = 1; i <= n; ++i) {
    const int j = ((focus_ + step * i) % n + n) % n;
    if (CanTakeFocus(Item(j))) {
      focus_ = j;
      return;
    }
  }
}

bool DialogModel::SetFocus(int item) {
  if (item < 0 || item >= Count() || !CanTakeFocus(Item(item))) return false;
  history_.reset();
  focus_ = item;
  return true;
}

bool DialogModel::SetFocusedText(const std::string& oem) {
  if (focus_ < 0 || Item(focus_).kind != DialogItemEdit) return false;
  history_.reset();
  editors_[static_cast<size_t>(focus_)].SetText(oem);
  return true;
}

bool DialogModel::Paste(const std::u32string& text) {
  refused_ = 0;
  if (closed_ || history_ || focus_ < 0 || Item(focus_).kind != DialogItemEdit) return false;
  LineEditor& editor = editors_[static_cast<size_t>(focus_)];
  for (char32_t c : text) {
    KeyPress typed;
    typed.ch = c;
    editor.Handle(typed);
    if (refused_ == 0) refused_ = editor.Refused();
  }
  return true;
}

Step DialogModel::Feed(KeyPress key) {
  refused_ = 0;
  if (closed_) return Step::Closed;
  if (history_) return FeedHistory(key);
  if (key.Is(VkEscape)) return Close(-1);
  if (key.Is(VkF1)) return Step::Help;
  if (key.Is(VkReturn)) return Enter();
  if (key.Is(VkTab) || key.Is(VkDown)) {
    MoveFocus(+1);
  } else if (key.Is(VkTab, KeyModShift) || key.Is(VkUp)) {
    MoveFocus(-1);
  } else if (focus_ >= 0) {
    return FeedFocused(key);
  }
  return Step::Open;
}

Step DialogModel::Enter() {
  if (focus_ >= 0 && Item(focus_).kind == DialogItemButton) return Close(focus_);
  for (int i = 0; i < Count(); ++i) {
    if (Item(i).isDefault) return Close(i);
  }
  return focus_ >= 0 ? Close(focus_) : Step::Open;
}

Step DialogModel::FeedFocused(KeyPress key) {
  const int kind = Item(focus_).kind;
  if (kind == DialogItemEdit) return FeedEdit(key);
  if (key.Is(VkSpace)) {
    if (kind == DialogItemButton) return Close(focus_);
    int& check = checks_[static_cast<size_t>(focus_)];
    check = check ? 0 : 1;
  } else if (key.Is(VkLeft) || key.Is(VkRight)) {
    MoveFocus(key.vk == VkRight ? +1 : -1);
  }
  return Step::Open;
}

Step DialogModel::FeedEdit(KeyPress key) {
  if (key.Is(VkDown, KeyModCtrl)) {
    if (HasHistory(focus_)) {
      std::vector<std::string> entries;
      if (store_) entries = store_->Entries(Item(focus_).historyName);
      const int count = static_cast<int>(entries.size());
      history_.reset(new HistoryList{focus_, std::move(entries), MenuModel(count, 0, nullptr)});
    }
    return Step::Open;
  }
  LineEditor& editor = editors_[static_cast<size_t>(focus_)];
  editor.Handle(key);
  refused_ = editor.Refused();
  return Step::Open;
}

Step DialogModel::FeedHistory(KeyPress key) {
  const Step step = history_->menu.Feed(key);
  if (step != Step::Closed) return step;
  const int chosen = history_->menu.Answer().position;
  if (chosen >= 0) {
    editors_[static_cast<size_t>(history_->item)].SetText(history_->entries[static_cast<size_t>(chosen)]);
  }
  history_.reset();
  return Step::Open;
}

Step DialogModel::Close(int result) {
  closed_ = true;
  result_ = result;
  history_.reset();
  WriteBack();
  if (store_ && result >= 0 && Item(result).isDefault) {
    for (int i = 0; i < Count(); ++i) {
      if (HasHistory(i)) store_->Add(Item(i).historyName, editors_[static_cast<size_t>(i)].Text());
    }
  }
  return Step::Closed;
}

void DialogModel::WriteBack() {
  for (int i = 0; i < Count(); ++i) {
    HostDialogItem& item = view_.items[i];
    if (item.kind == DialogItemCheckBox) item.checkState = checks_[static_cast<size_t>(i)];
    if (item.kind != DialogItemEdit) continue;
    const std::string& text = editors_[static_cast<size_t>(i)].Text();
    std::memset(item.text, 0, sizeof item.text);
    std::memcpy(item.text, text.data(), std::min(text.size(), EditCapacity));
  }
}

}  // namespace velk
