#include "ui/session.h"

#include <windows.h>

#include "host/interface/host_services.h"
#include "host/interface/messages.h"
#include "host/interface/startup_state.h"
#include "model/assoc_list.h"
#include "model/text.h"
#include "storage/assoc_store.h"
#include "storage/settings.h"
#include "storage/table_journal.h"
#include "ui/list_screen.h"

uint8_t ChangedFlag = 0;

namespace {

constexpr uint32_t ErrorBoxFlags = MessageButtonsOk | MessageErrorReport | MessageFlagBit0;
constexpr uint32_t NoticeFlags = MessageButtonsOk | MessageFlagBit0;
constexpr uint32_t ApplyAskFlags = MessageButtonsYesNoCancel | MessageFlagBit0;

enum ApplyAnswer : int { ApplySave = 0, ApplyDiscard = 1 };

// Shows a one-argument failure message with the association key's path.
void ReportKeyFailure(int message) {
  HostMessageBox(FormatShared(MessageText(message), AssocKeyPath), ErrorBoxFlags, nullptr);
}

// Puts the table back as it was loaded, after an apply that failed part-way,
// journaled as an apply is. A table that still reads as loaded (the apply
// failed before it changed anything) is not written again, so that a
// registry that refuses every write does not turn an intact table into a
// reported failure; the failed apply's journal goes, so that no later start
// finishes the apply the user discarded.
bool RestoreLoadedTable(const AssocList& loaded) {
  AssocList stored;
  if (LoadAssociations(stored) && stored.SameContent(loaded)) return DiscardJournal();
  return ApplyTable(loaded);
}

// What the user is told before the list appears: that a start finished an
// apply that had been cut off, and that the table holds entries the load
// does not reach (beyond the first key without a mask), which applying would
// drop.
void ShowOpeningNotices(const AssocList& list) {
  if (TakeRecoveryNotice()) HostMessageBox(MessageText(MsgApplyCompleted), NoticeFlags, nullptr);
  const int32_t beyond = CountEntriesBeyondGap(static_cast<int32_t>(list.Count()));
  if (beyond > 0) HostMessageBox(FormatShared(MessageText(MsgEntriesBeyondGap), beyond), NoticeFlags, nullptr);
}

}  // namespace

void RunEditingSession() {
  // A write of the table cut off earlier is finished first; while that
  // fails, the table may be partial, and is not offered for editing.
  if (RecoverTable() == Recovery::Failed) {
    ReportKeyFailure(MsgSaveFailed);
    return;
  }
  AssocList list;
  if (!LoadAssociations(list)) {
    // The only way the load fails is a missing key; the host's error report
    // then names that.
    SetLastError(ERROR_FILE_NOT_FOUND);
    ReportKeyFailure(MsgLoadFailed);
    return;
  }
  // The table as loaded, for discarding after a failed apply.
  AssocList loaded;
  for (uint32_t i = 0; i < list.Count(); ++i) loaded.Append(list.At(i));
  ChangedFlag = 0;
  bool applyFailed = false;
  ShowOpeningNotices(list);

  for (;;) {
    if (!RunListScreen(list)) return;
    const int answer = HostMessageBox(MessageText(MsgApplyAsk), ApplyAskFlags, "ApplyAsk");
    if (answer == ApplyDiscard) {
      // After a failed apply the registry may hold part of the new table:
      // discarding means the loaded one again. If that cannot be written
      // either, the user is told before the session ends.
      if (applyFailed && !RestoreLoadedTable(loaded)) ReportKeyFailure(MsgSaveFailed);
      return;
    }
    if (answer != ApplySave) continue;  // third button or Esc: back to the list
    if (ApplyTable(list)) {
      // The table is saved. The settings are display preferences: a failed
      // write of them is ignored, and the session ends.
      SaveSettings();
      return;
    }
    // The registry may hold only part of the table: keep the user's list and
    // go back to it, so that leaving asks again, and the apply can be retried
    // or the changes discarded, which puts the loaded table back.
    applyFailed = true;
    ReportKeyFailure(MsgSaveFailed);
  }
}
