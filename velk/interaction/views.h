// What the plug-in hands over when it shows a menu, a dialog or a message
// box, as velk's host core passes it on, and what goes back. Texts are the
// plug-in's own bytes (OEM code page).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/base/host_abi.h"

namespace velk {

// What one key did to a view.
enum class Step {
  Open,    // the view is still shown (the key changed its state, or it meant nothing there)
  Closed,  // the view closed; its answer is ready
  Help,    // F1: the user asks for help on the view's topic; the view stays as it is
};

// The plug-in's menu.
struct MenuView {
  uint32_t flags = 0;
  std::string title;
  std::string bottom;
  std::string helpTopic;
  const uint32_t* breakKeys = nullptr;  // zero-terminated, may be null
  const HostMenuItem* items = nullptr;
  int count = 0;
};

struct MenuAnswer {
  int position = -1;   // line under the cursor, -1 when the user escaped
  int breakCode = -1;  // index in breakKeys of the closing key, -1 for Enter or escape
};

// The plug-in's dialog. Its items' texts and check states receive what the
// user left in them when the dialog closes.
struct DialogView {
  int width = 0;
  int height = 0;
  std::string helpTopic;
  HostDialogItem* items = nullptr;
  int count = 0;
};

// A message box; the answer is the chosen button's index or -1.
struct MessageView {
  uint32_t flags = 0;
  std::string helpTopic;             // empty when none was given
  std::vector<std::string> lines;    // title first, then the body lines
  std::vector<std::string> buttons;  // captions
};

}  // namespace velk
