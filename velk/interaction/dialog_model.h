// A dialog as a state machine: the plug-in's items, the focus, an editor
// for each edit field and the state of each check box, and the history list
// an edit field can open. It takes one key at a time (and, from a script,
// "move the focus to item N" and "replace the focused field's text") and,
// when it closes, writes the texts and check states back into the items and
// gives the index of the closing item, or -1.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "interaction/line_editor.h"
#include "interaction/menu_model.h"
#include "interaction/views.h"

namespace velk {

// The columns an item spans from its left to its right edge (an edit field,
// a frame), at least 1.
int SpanWidth(const HostDialogItem& item);

class DialogModel {
 public:
  // The list an edit field with a history shows under itself (Ctrl+Down).
  struct HistoryList {
    int item;                          // the edit field
    std::vector<std::string> entries;  // most recent first
    MenuModel menu;
  };

  // history may be null (no history is offered or kept).
  DialogModel(DialogView& view, HistoryStore* history);

  // Edit fields, buttons and check boxes take the focus.
  static bool CanTakeFocus(const HostDialogItem& item);
  // The item a dialog starts on: the first focusable one that has hasFocus
  // set, else the first focusable one; -1 when none can take the focus.
  static int InitialFocus(const HostDialogItem* items, int count);

  // Keys: Tab/Down move the focus to the next focusable item, Shift+Tab/Up
  // to the previous one, both wrapping; Left/Right do the same on a button
  // or check box; Space toggles a check box and chooses a button; Enter on a
  // button chooses it, elsewhere the default button (the focused item when
  // there is none); Esc closes with -1; F1 asks for help. In an edit field
  // the editing keys of LineEditor edit it and Ctrl+Down opens its history.
  // An edit field's cursor starts after its text when the field can show
  // all of it with the cursor, else at the text's start.
  // With the history open its list takes the keys: Enter takes the entry
  // into the field, Esc closes the list.
  Step Feed(KeyPress key);
  // False when the item cannot take the focus.
  bool SetFocus(int item);
  // Replaces the whole text of the focused edit field; false when the focus
  // is not on an edit field.
  bool SetFocusedText(const std::string& oem);
  // Types pasted text into the focused edit field at its cursor, character
  // by character as typing does (a character the code page lacks is
  // refused: Refused names the first); never as keys. False, taking
  // nothing, when the focus is not on an edit field or its history is open.
  bool Paste(const std::u32string& text);

  const DialogView& View() const { return view_; }
  // The items, 0 when the view has none.
  int Count() const { return count_; }
  int Focus() const { return focus_; }
  bool Checked(int item) const { return checks_[static_cast<size_t>(item)] != 0; }
  // The editor of an edit field (an empty one for other items).
  const LineEditor& Editor(int item) const { return editors_[static_cast<size_t>(item)]; }
  bool HasHistory(int item) const;
  const HistoryList* OpenHistory() const { return history_.get(); }
  // The same, for laying its list out on a screen.
  HistoryList* OpenHistory() { return history_.get(); }
  // The topic F1 asks for: the dialog's, or velk's keys over the history.
  std::string HelpTopic() const;
  bool Closed() const { return closed_; }
  int Result() const { return result_; }
  // The character the last key (or the first of the last paste) typed that
  // the edit field refused (the code page cannot hold it); 0 when there was
  // no such character.
  char32_t Refused() const { return refused_; }

 private:
  const HostDialogItem& Item(int i) const { return view_.items[i]; }
  void MoveFocus(int step);
  Step Enter();
  Step FeedFocused(KeyPress key);
  Step FeedEdit(KeyPress key);
  Step FeedHistory(KeyPress key);
  Step Close(int result);
  void WriteBack();

  DialogView& view_;
  HistoryStore* store_;
  int count_;
  std::vector<LineEditor> editors_;
  std::vector<int> checks_;
  int focus_;
  std::unique_ptr<HistoryList> history_;
  bool closed_ = false;
  int result_ = -1;
  char32_t refused_ = 0;
};

}  // namespace velk
