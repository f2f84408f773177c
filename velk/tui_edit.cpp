// Edit fields of the terminal front end: the line editor and the history of
// earlier inputs, kept per history name for the run of velk.
#include <algorithm>

#include "velk/tui_parts.h"

namespace velk::tui {
namespace {

bool IsWordByte(unsigned char c) { return c != ' ' && c != '\t'; }

}  // namespace

LineEditor::LineEditor(std::string text, size_t maxLength) : maxLength_(maxLength) { SetText(std::move(text)); }

void LineEditor::SetText(std::string text) {
  if (text.size() > maxLength_) text.resize(maxLength_);
  text_ = std::move(text);
  cursor_ = text_.size();
  scroll_ = 0;
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

bool LineEditor::Handle(const Input& in) {
  if (in.kind != Input::Key) return false;
  const uint16_t mods = in.key.modifiers;
  const bool ctrl = (mods & ModCtrl) != 0;
  if (in.ch != 0 && !(mods & (ModCtrl | ModAlt))) {
    unsigned char byte = WideToOem(in.ch);
    // A character the OEM code page lacks cannot be stored; it is dropped
    // rather than replaced by something the user did not type.
    if (byte >= 0x20) Put(byte);
    return true;
  }
  switch (in.key.vk) {
    case VkLeft:
      if (mods & ~ModCtrl) return false;
      if (ctrl) {
        while (cursor_ > 0 && !IsWordByte(text_[cursor_ - 1])) --cursor_;
        while (cursor_ > 0 && IsWordByte(text_[cursor_ - 1])) --cursor_;
      } else if (cursor_ > 0) {
        --cursor_;
      }
      return true;
    case VkRight:
      if (mods & ~ModCtrl) return false;
      if (ctrl) {
        while (cursor_ < text_.size() && IsWordByte(text_[cursor_])) ++cursor_;
        while (cursor_ < text_.size() && !IsWordByte(text_[cursor_])) ++cursor_;
      } else if (cursor_ < text_.size()) {
        ++cursor_;
      }
      return true;
    case VkHome:
      if (mods != ModNone) return false;
      cursor_ = 0;
      return true;
    case VkEnd:
      if (mods != ModNone) return false;
      cursor_ = text_.size();
      return true;
    case VkBack:
      if (mods != ModNone) return false;
      if (cursor_ > 0) text_.erase(--cursor_, 1);
      return true;
    case VkDelete:
      if (mods != ModNone) return false;
      if (cursor_ < text_.size()) text_.erase(cursor_, 1);
      return true;
    case VkInsert:
      if (mods != ModNone) return false;
      overwrite_ = !overwrite_;
      return true;
    case 'Y':  // Ctrl+Y empties the field
      if (mods != ModCtrl) return false;
      text_.clear();
      cursor_ = 0;
      scroll_ = 0;
      return true;
    case 'K':  // Ctrl+K deletes to the end of the field
      if (mods != ModCtrl) return false;
      text_.erase(cursor_);
      return true;
    default:
      return false;
  }
}

size_t LineEditor::Scroll(size_t width) {
  if (width == 0) return scroll_ = cursor_;
  // The cursor may stand one past the last character, so a field of width w
  // shows w - 1 characters before it at most.
  if (cursor_ < scroll_) scroll_ = cursor_;
  if (cursor_ >= scroll_ + width) scroll_ = cursor_ - width + 1;
  // Do not leave blank space on the right while text is hidden on the left.
  size_t shown = text_.size() + 1 - scroll_;
  if (shown < width && scroll_ > 0) scroll_ = text_.size() + 1 > width ? text_.size() + 1 - width : 0;
  return scroll_;
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

}  // namespace velk::tui
