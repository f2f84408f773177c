#include "interaction/line_editor.h"

#include <algorithm>

#include "interaction/oem.h"

namespace velk {
namespace {

bool IsWordByte(unsigned char c) { return c != ' ' && c != '\t'; }

}  // namespace

LineEditor::LineEditor(std::string text, size_t maxLength) : maxLength_(maxLength) { SetText(std::move(text)); }

void LineEditor::SetText(std::string text) {
  if (text.size() > maxLength_) text.resize(maxLength_);
  text_ = std::move(text);
  cursor_ = text_.size();
}

void LineEditor::Put(unsigned char byte) {
  if (overwrite_ && cursor_ < text_.size()) {
    text_[cursor_++] = static_cast<char>(byte);
    return;
  }
  if (text_.size() >= maxLength_) return;
  text_.insert(text_.begin() + static_cast<std::ptrdiff_t>(cursor_), static_cast<char>(byte));
  ++cursor_;
}

bool LineEditor::Handle(KeyPress key) {
  refused_ = 0;
  if (key.ch != 0 && !(key.modifiers & (KeyModCtrl | KeyModAlt))) {
    unsigned char byte = OemByte(key.ch);
    // A character the OEM code page lacks cannot be stored; it is refused
    // rather than replaced by something the user did not type.
    if (byte >= 0x20) Put(byte);
    else refused_ = key.ch;
    return true;
  }
  return Move(key) || Change(key);
}

// The keys that move the cursor.
bool LineEditor::Move(KeyPress key) {
  const bool ctrl = key.modifiers == KeyModCtrl;
  if (key.modifiers != KeyModNone && !(ctrl && (key.vk == VkLeft || key.vk == VkRight))) return false;
  switch (key.vk) {
    case VkLeft:
      if (!ctrl) {
        if (cursor_ > 0) --cursor_;
        return true;
      }
      while (cursor_ > 0 && !IsWordByte(text_[cursor_ - 1])) --cursor_;
      while (cursor_ > 0 && IsWordByte(text_[cursor_ - 1])) --cursor_;
      return true;
    case VkRight:
      if (!ctrl) {
        if (cursor_ < text_.size()) ++cursor_;
        return true;
      }
      while (cursor_ < text_.size() && IsWordByte(text_[cursor_])) ++cursor_;
      while (cursor_ < text_.size() && !IsWordByte(text_[cursor_])) ++cursor_;
      return true;
    case VkHome: cursor_ = 0; return true;
    case VkEnd: cursor_ = text_.size(); return true;
    default: return false;
  }
}

// The keys that change the text or the typing mode.
bool LineEditor::Change(KeyPress key) {
  if (key.Is(VkBack)) {
    if (cursor_ > 0) text_.erase(--cursor_, 1);
  } else if (key.Is(VkDelete)) {
    if (cursor_ < text_.size()) text_.erase(cursor_, 1);
  } else if (key.Is(VkInsert)) {
    overwrite_ = !overwrite_;
  } else if (key.Is('Y', KeyModCtrl)) {
    text_.clear();
    cursor_ = 0;
  } else if (key.Is('K', KeyModCtrl)) {
    text_.erase(cursor_);
  } else {
    return false;
  }
  return true;
}

void HistoryStore::Add(const std::string& name, const std::string& text) {
  if (text.empty()) return;
  auto& list = lists_[name];
  list.erase(std::remove(list.begin(), list.end(), text), list.end());
  list.insert(list.begin(), text);
  if (list.size() > MaxEntries) list.resize(MaxEntries);
}

const std::vector<std::string>& HistoryStore::Entries(const std::string& name) const {
  static const std::vector<std::string> none;
  auto it = lists_.find(name);
  return it == lists_.end() ? none : it->second;
}

}  // namespace velk
