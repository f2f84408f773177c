// Message numbers into the host's language file for this plug-in, and the two
// lookups all of them pass through.
#pragma once

#include <cstdint>

enum MessageNumber : int {
  MsgPluginName = 1,
  MsgVersionLine = 2,
  MsgVersionTitle = 3,
  MsgDialogTitle = 4,
  MsgDialogAssocCheck = 5,
  MsgDialogDescription = 6,
  MsgDialogExecute = 7,
  MsgDialogAltExec = 8,
  MsgDialogView = 9,
  MsgDialogAltView = 10,
  MsgDialogEdit = 11,
  MsgDialogAltEdit = 12,
  MsgButtonOk = 13,
  MsgButtonCancel = 14,
  MsgTitleItems = 15,
  MsgEmptyMask = 16,
  MsgDeleteMarked = 17,
  MsgDeleteOne = 18,
  MsgLoadFailed = 19,
  MsgApplyAsk = 20,
  MsgSaveFailed = 21,
  MsgColumnDescription = 22,
  MsgColumnExecute = 23,
  MsgColumnView = 24,
  MsgColumnEdit = 25,
  MsgColumnMask = 26,
  MsgListBottom = 27,
  MsgApplyCompleted = 28,
  MsgEntriesBeyondGap = 29,
};

// Text of message |n|; null for 2000 and above. Never null for a number the
// language file lacks: an empty text is given instead.
const char* MessageText(int n);
// 0: the empty text; above 2000: the address of a ready text, returned as it
// is; otherwise the host's text for that message number.
const char* TextOrMessage(uintptr_t value);
