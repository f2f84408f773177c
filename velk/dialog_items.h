// What velk knows of the host's dialog items: the kinds it shows and the
// items that can take the focus.
#pragma once

#include <cstdint>

#include "host/host_abi.h"

namespace velk {

constexpr int DialogText = 0;
constexpr int DialogFrame = 3;
constexpr int DialogEdit = 4;
constexpr int DialogButton = 7;
constexpr int DialogCheckBox = 8;

// An edit field with this flag keeps a history; historyName names it.
constexpr uint32_t DialogHistoryFlag = 0x00040000;

// True for the items that can take the focus: edit fields, buttons, check boxes.
inline bool CanTakeFocus(const HostDialogItem& item) {
  return item.kind == DialogEdit || item.kind == DialogButton || item.kind == DialogCheckBox;
}

// The item a dialog starts on: the first focusable one that has hasFocus set,
// else the first focusable one; -1 when none can take the focus.
inline int InitialFocus(const HostDialogItem* items, int count) {
  int first = -1;
  for (int i = 0; items && i < count; ++i) {
    if (!CanTakeFocus(items[i])) continue;
    if (items[i].hasFocus) return i;
    if (first < 0) first = i;
  }
  return first;
}

}  // namespace velk
