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
  // character it lacks is refused: not stored, and reported by Refused),
  // Left/Right (with Ctrl by words), Home, End, BackSpace, Del, Ins (insert
  // or overwrite), Ctrl+Y (empty the field), Ctrl+K (delete to the end).
  // False for other keys, which the dialog handles.
  bool Handle(KeyPress key);
  // The character the last Handle refused because the code page cannot hold
  // it; 0 when the last key was not such a character.
  char32_t Refused() const { return refused_; }

 private:
  bool Move(KeyPress key);
  bool Change(KeyPress key);
  void Put(unsigned char byte);
  std::string text_;
  size_t maxLength_;
  size_t cursor_ = 0;
  bool overwrite_ = false;
  char32_t refused_ = 0;
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
