// The text and cursor of one edit field, and the history of earlier inputs
// kept for edit fields with a history name.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "interaction/keys.h"

namespace velk {

// One edit field; the text is OEM bytes.
class LineEditor {
 public:
  explicit LineEditor(std::string text = std::string(), size_t maxLength = 511);
  const std::string& Text() const { return text_; }
  size_t Cursor() const { return cursor_; }
  bool Overwrite() const { return overwrite_; }
  // Replaces the whole text (cut to the field's length); the cursor goes after it.
  void SetText(std::string text);
  // Carries out an editing key: a typed character (in the OEM code page; a
  // character it lacks is not stored), Left/Right (with Ctrl by words),
  // Home, End, BackSpace, Del, Ins (insert or overwrite), Ctrl+Y (empty the
  // field), Ctrl+K (delete to the end). False for other keys, which the
  // dialog handles.
  bool Handle(KeyPress key);
  // First character shown in a field of the given width, chosen so that the
  // cursor stays inside the field; remembered between calls so the text
  // does not jump while the cursor moves within the field. The same cursor
  // and width give the same answer again.
  size_t Scroll(size_t width);
  // The first character shown, as the last Scroll chose it.
  size_t ScrollPosition() const { return scroll_; }

 private:
  bool Move(KeyPress key);
  bool Change(KeyPress key);
  void Put(unsigned char byte);
  std::string text_;
  size_t maxLength_;
  size_t cursor_ = 0;
  size_t scroll_ = 0;
  bool overwrite_ = false;
};

// Earlier inputs of edit fields with a history name, most recent first.
class HistoryStore {
 public:
  static constexpr size_t MaxEntries = 30;
  // Adds a text in front (moving it there when it is already held); empty
  // texts are not kept.
  void Add(const std::string& name, const std::string& text);
  const std::vector<std::string>& Entries(const std::string& name) const;

 private:
  std::map<std::string, std::vector<std::string>> lists_;
};

}  // namespace velk
