#include "core/saving_front_end.h"

#include <cstdlib>
#include <utility>

#include "host/base/host_abi.h"
#include "interaction/oem.h"

namespace velk {

MessageView SaveFailedView(const std::string& path, const std::string& reason) {
  MessageView view;
  // The last line is the system's reason, as in the plug-in's error reports.
  view.flags = MessageErrorReport;
  view.lines = {"velk", "Cannot write the registry file", Utf8ToOemShown(path), Utf8ToOemShown(reason)};
  view.buttons = {"Retry", "Quit without saving"};
  return view;
}

SavingFrontEnd::SavingFrontEnd(FrontEnd& inner, RegistryStore& file, Note note, QuitHandler quit)
    : inner_(inner), file_(file), note_(std::move(note)), quit_(std::move(quit)) {}

void SavingFrontEnd::Sync(bool always) {
  for (bool failed = false;;) {
    std::string reason;
    if (always ? file_.Save(reason) : file_.SaveIfChanged(reason)) {
      if (failed && note_) note_("registry file written");
      return;
    }
    failed = true;
    if (note_) note_("registry file not written: " + reason);
    if (inner_.ShowMessage(SaveFailedView(file_.Path(), reason)) == SaveQuit) {
      if (quit_) quit_(reason);
      std::_Exit(ExitQuitWithoutSaving);  // the handler must not return
    }
  }
}

HostCommand SavingFrontEnd::NextHostCommand(const std::vector<std::string>& pluginMenu,
                                            const std::vector<std::string>& configMenu) {
  Sync();
  return inner_.NextHostCommand(pluginMenu, configMenu);
}

MenuAnswer SavingFrontEnd::ShowMenu(const MenuView& menu) {
  Sync();
  return inner_.ShowMenu(menu);
}

int SavingFrontEnd::RunDialog(DialogView& dialog) {
  Sync();
  return inner_.RunDialog(dialog);
}

int SavingFrontEnd::ShowMessage(const MessageView& message) {
  Sync();
  return inner_.ShowMessage(message);
}

}  // namespace velk
