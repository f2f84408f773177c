#include "ui/session.h"

#include <windows.h>

#include "host/host_services.h"
#include "host/messages.h"
#include "host/startup.h"
#include "model/assoc_list.h"
#include "model/text.h"
#include "storage/assoc_store.h"
#include "storage/settings.h"
#include "ui/list_screen.h"

uint8_t ChangedFlag = 0;

namespace {

constexpr uint32_t ErrorBoxFlags = MessageButtonsOk | MessageErrorReport | MessageFlagBit0;
constexpr uint32_t ApplyAskFlags = MessageButtonsYesNoCancel | MessageFlagBit0;

enum ApplyAnswer : int { ApplySave = 0, ApplyDiscard = 1 };

const char* BoxMessage(int number) {
  const char* text = MessageText(number);
  return text ? text : "";
}

// Shows a one-argument failure message with the association key's path.
void ReportKeyFailure(int message) {
  HostMessageBox(FormatShared(BoxMessage(message), AssocKeyPath), ErrorBoxFlags, nullptr);
}

}  // namespace

void RunEditingSession() {
  AssocList list;
  if (!LoadAssociations(list)) {
    // The only way the load fails is a missing key; the host's error report
    // then names that.
    SetLastError(ERROR_FILE_NOT_FOUND);
    ReportKeyFailure(MsgLoadFailed);
    return;
  }
  ChangedFlag = 0;

  for (;;) {
    if (!RunListScreen(list)) return;
    const int answer = HostMessageBox(BoxMessage(MsgApplyAsk), ApplyAskFlags, "ApplyAsk");
    if (answer == ApplyDiscard) return;
    if (answer != ApplySave) continue;  // third button or Esc: back to the list
    if (SaveAssociations(list) && SaveSettings()) return;
    // The save failed and the registry may hold only part of the table (or
    // the table but not the settings): keep the user's list and go back to
    // it, so that leaving asks again and the save can be retried or the
    // changes discarded knowingly.
    ReportKeyFailure(MsgSaveFailed);
  }
}
