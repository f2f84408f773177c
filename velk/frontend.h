// The contract between velk's host core (which loads the plug-in and serves
// its start-up record) and a front end that shows the plug-in's menus,
// dialogs and message boxes to a person or a script. The core converts the
// plug-in's calls into these views and the front end's answers back; front
// ends never see the plug-in itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/host_abi.h"

namespace velk {

// Modifier bits of a key, as velk encodes them in the high 16 bits of a
// break-key word (the plug-in's tables use 0 and 1).
constexpr uint16_t ModNone = 0;
constexpr uint16_t ModCtrl = 1;
constexpr uint16_t ModAlt = 2;
constexpr uint16_t ModShift = 4;

// One key press: a Windows virtual-key code and modifier bits.
struct KeyPress {
  uint16_t vk = 0;
  uint16_t modifiers = ModNone;
};

// Index of the key in a zero-terminated break-key table, or -1.
inline int FindBreakCode(const uint32_t* breakKeys, KeyPress key) {
  if (!breakKeys) return -1;
  for (int i = 0; breakKeys[i] != 0; ++i) {
    if ((breakKeys[i] & 0xFFFF) == key.vk && (breakKeys[i] >> 16) == key.modifiers) return i;
  }
  return -1;
}

// What velk does next at its own level (its plug-ins menu).
struct HostCommand {
  enum Kind { Open, Configure, Quit } kind = Quit;
  int openFrom = 0;    // for Open: the open-from code passed to OpenPlugin
  int itemNumber = 0;  // for Open: the item; for Configure: the configuration-menu entry
};

// The plug-in's menu. Texts are the plug-in's own bytes (OEM code page).
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

// The plug-in's dialog. The front end edits items[].text and checkState in
// place, as a user would, and returns the index of the closing item or -1.
struct DialogView {
  int width = 0;
  int height = 0;
  std::string helpTopic;
  HostDialogItem* items = nullptr;
  int count = 0;
};

// A message box. The front end returns the chosen button's index or -1.
struct MessageView {
  uint32_t flags = 0;
  std::string helpTopic;             // empty when none was given
  std::vector<std::string> lines;    // title first, then the body lines
  std::vector<std::string> buttons;  // captions
};

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // velk's plug-ins menu: pluginMenu and configMenu are the entries the
  // plug-in gave in GetPluginInfo (OEM bytes).
  virtual HostCommand NextHostCommand(const std::vector<std::string>& pluginMenu,
                                      const std::vector<std::string>& configMenu) = 0;
  virtual MenuAnswer ShowMenu(const MenuView& menu) = 0;
  virtual int RunDialog(DialogView& dialog) = 0;
  virtual int ShowMessage(const MessageView& message) = 0;
};

}  // namespace velk
