// The contract between velk's host core (which loads the plug-in and serves
// its start-up record) and a front end that shows the plug-in's menus,
// dialogs and message boxes to a person or a script. The core converts the
// plug-in's calls into the views of interaction/views.h and the front end's
// answers back; front ends never see the plug-in itself.
#pragma once

#include <string>
#include <vector>

#include "interaction/views.h"

namespace velk {

// What velk does next at its own level (its plug-ins menu).
struct HostCommand {
  enum Kind { Open, Configure, Quit } kind = Quit;
  int openFrom = 0;    // for Open: the open-from code passed to OpenPlugin
  int itemNumber = 0;  // for Open: the item; for Configure: the configuration-menu entry
};

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // velk's plug-ins menu: pluginMenu and configMenu are the entries the
  // plug-in gave in GetPluginInfo (OEM bytes).
  virtual HostCommand NextHostCommand(const std::vector<std::string>& pluginMenu,
                                      const std::vector<std::string>& configMenu) = 0;
  virtual MenuAnswer ShowMenu(const MenuView& menu) = 0;
  // Writes what the user left in the items' texts and check states back
  // into them and returns the index of the closing item or -1.
  virtual int RunDialog(DialogView& dialog) = 0;
  // Returns the chosen button's index or -1.
  virtual int ShowMessage(const MessageView& message) = 0;
};

}  // namespace velk
