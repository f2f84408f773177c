// Keeping the registry file in step with what the plug-in stores: a front
// end between the host core and the front end that shows the views, which
// writes the registry file every time the plug-in hands control back to
// velk (an export returned, or the plug-in waits for the user in a menu,
// dialog or message box) before the view is passed on, so that what the
// plug-in stored is on the disk before velk reads the next key or script
// command. It writes only when the registry differs from what the file last
// received. A write that fails shows velk's own message box, which offers
// to retry or to quit without saving; a file that another program changed
// since velk last read or wrote it shows another, which offers to overwrite
// it or to quit without saving.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/front_end.h"
#include "core/registry_store.h"

namespace velk {

// velk's exit status when the user quits without saving.
constexpr int ExitQuitWithoutSaving = 4;
// velk ended right after a given registry write of the plug-in
// (--end-after-registry-write), the registry file written as it then stood.
constexpr int ExitEndedAfterRegistryWrite = 5;

// The buttons of velk's box for a failed write, in order.
enum SaveFailedButton { SaveRetry = 0, SaveQuit = 1 };
// The buttons of velk's box for a file changed on disk, in order.
enum ChangedOnDiskButton { ChangedOverwrite = 0, ChangedQuit = 1 };

// velk's own box for a failed write of the registry file (OEM text; the
// path's characters that code page 437 lacks show as '?').
MessageView SaveFailedView(const std::string& path, const std::string& reason);
// velk's own box for a registry file that changed on disk.
MessageView ChangedOnDiskView(const std::string& path);

class SavingFrontEnd : public FrontEnd {
 public:
  // A line for the transcript (may be empty).
  using Note = std::function<void(const std::string& line)>;
  // Called with the reason of the failed write when the user chooses to
  // quit without saving. It must not return (velk ends the process).
  using QuitHandler = std::function<void(const std::string& reason)>;

  SavingFrontEnd(FrontEnd& inner, RegistryStore& file, Note note, QuitHandler quit);

  HostCommand NextHostCommand(const std::vector<std::string>& pluginMenu,
                              const std::vector<std::string>& configMenu) override;
  MenuAnswer ShowMenu(const MenuView& menu) override;
  int RunDialog(DialogView& dialog) override;
  int ShowMessage(const MessageView& message) override;

  // Writes the registry file (only when the registry changed) until the
  // file holds the registry or the user quits. The boxes go through the
  // inner front end: after a failed write, Retry (and Esc) writes again;
  // over a file changed on disk, Overwrite writes, and Esc asks again.
  void Sync();

 private:
  // The boxes; quitting does not return. AskOverwrite: true to overwrite,
  // false to ask again.
  void AskAfterFailure(const std::string& reason);
  bool AskOverwrite(const std::string& reason);

  FrontEnd& inner_;
  RegistryStore& file_;
  Note note_;
  QuitHandler quit_;
};

}  // namespace velk
