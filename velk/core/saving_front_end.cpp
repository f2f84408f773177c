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

MessageView ChangedOnDiskView(const std::string& path) {
  MessageView view;
  view.flags = MessageErrorReport;  // drawn as a warning, like the failed write's box
  view.lines = {"velk", "The registry file changed on disk", Utf8ToOemShown(path), "since velk last read or wrote it"};
  view.buttons = {"Overwrite", "Quit without saving"};
  return view;
}

SavingFrontEnd::SavingFrontEnd(FrontEnd& inner, RegistryStore& file, Note note, QuitHandler quit)
    : inner_(inner), file_(file), note_(std::move(note)), quit_(std::move(quit)) {}

void SavingFrontEnd::Sync() {
  bool asked = false;
  for (bool overwrite = false;;) {
    std::string reason;
    const RegistryStore::Outcome outcome = file_.SaveIfChanged(reason, overwrite);
    if (outcome == RegistryStore::Outcome::Saved) {
      if (asked && note_) note_("registry file written");
      return;
    }
    asked = true;
    // After Overwrite, a retry of a failed write overwrites too.
    if (outcome == RegistryStore::Outcome::Failed) AskAfterFailure(reason);
    else overwrite = AskOverwrite(reason);
  }
}

void SavingFrontEnd::AskAfterFailure(const std::string& reason) {
  if (note_) note_("registry file not written: " + reason);
  if (inner_.ShowMessage(SaveFailedView(file_.Path(), reason)) != SaveQuit) return;
  if (quit_) quit_(reason);
  std::_Exit(ExitQuitWithoutSaving);  // the handler must not return
}

bool SavingFrontEnd::AskOverwrite(const std::string& reason) {
  if (note_) note_("registry file changed on disk");
  const int answer = inner_.ShowMessage(ChangedOnDiskView(file_.Path()));
  if (answer == ChangedOverwrite) return true;
  if (answer != ChangedQuit) return false;  // Esc: the box again
  if (quit_) quit_(reason);
  std::_Exit(ExitQuitWithoutSaving);
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
