// The association edit dialog, described by a compact template table.
#pragma once

#include <cstdint>

#include "host/base/host_abi.h"
#include "model/assoc_list.h"

struct DialogItemTemplate {
  uint16_t kindBits;
  int16_t left;
  int16_t top;
  int16_t right;
  int16_t bottom;
  uint32_t flags;
  uintptr_t textId;  // message number, or with bit 12 or 13 the address of a name
};

constexpr int EditDialogItemCount = 21;
extern const DialogItemTemplate EditDialogTemplate[EditDialogItemCount + 1];

void ExpandDialogTemplate(const DialogItemTemplate* rows, HostDialogItem* items);
// Edits record in place; true when the user confirmed with a non-empty mask.
bool EditAssocDialog(AssocRecord& record);
