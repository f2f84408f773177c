// A message box as a state machine: a row of buttons with a focus. It takes
// one key at a time and, once closed, gives the chosen button or -1.
#pragma once

#include "interaction/keys.h"
#include "interaction/views.h"

namespace velk {

class MessageModel {
 public:
  explicit MessageModel(int buttons) : buttons_(buttons > 0 ? buttons : 0) {}

  // Keys, without modifiers: Left and Right (and Tab, Shift+Tab) move
  // between the buttons, wrapping; Enter chooses the focused button (-1
  // when there is none); Esc closes with -1; F1 asks for help. The first
  // button has the focus at the start.
  Step Feed(KeyPress key);

  int Buttons() const { return buttons_; }
  int Focus() const { return focus_; }
  bool Closed() const { return closed_; }
  int Result() const { return result_; }

 private:
  Step Close(int result);

  int buttons_;
  int focus_ = 0;
  bool closed_ = false;
  int result_ = -1;
};

}  // namespace velk
