#include "ui/edit_dialog.h"

#include <windows.h>

#include <cstring>

#include "host/interface/host_services.h"
#include "host/interface/messages.h"
#include "model/text.h"

namespace {

// The option bits of a template row, in the high byte of kindBits (bits 8
// to 13), each named for its effect on the expanded item.
constexpr uint16_t OptionBit(int bit) { return static_cast<uint16_t>(1u << bit); }
constexpr uint16_t OptFocus = OptionBit(8);       // hasFocus
constexpr uint16_t OptChecked = OptionBit(9);     // checkState, unless the text is a name
constexpr uint16_t OptDefault = OptionBit(10);    // isDefault
constexpr uint16_t OptFlagBit31 = OptionBit(11);  // DialogFlagBit31 set in flags too
constexpr uint16_t OptNameOnly = OptionBit(12);   // textId is the address of a name, kept as historyName
constexpr uint16_t OptHistory = OptionBit(13);    // as OptNameOnly, and DialogHistoryFlag set in flags too
constexpr uint16_t EndOfTable = 0xFFFF;

const char MaskHistoryName[] = "Masks";

// Item indexes, as the host reports the closing item. The items of the
// eight fields are those of the record's field table.
constexpr int ItemGroupCheck = 1;
constexpr int ItemMask = MaskField.dialogItem;
constexpr int ItemConfirm = 19;
constexpr int ItemCancel = 20;

constexpr int DialogBaseWidth = 76;
constexpr int DialogHeight = 23;
constexpr int ConsoleBaseWidth = 80;

// The console's screen-buffer width; 80 (no stretch) when it cannot be read.
int ConsoleBufferWidth() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(out, &info)) {
    return ConsoleBaseWidth;
  }
  return info.dwSize.X;
}

// The items that widen with the console: the frame and the edit fields.
bool Stretched(const HostDialogItem& item) {
  return item.kind == DialogItemEdit || item.kind == DialogItemSingleFrame || item.kind == DialogItemFrame;
}

// Trims the item's text in place; the text is terminated first, whatever the
// host wrote back into it.
char* TrimmedItemText(HostDialogItem& item) {
  item.text[sizeof(item.text) - 1] = 0;
  return TrimBlanks(item.text);
}

}  // namespace

// Every field names an item of the dialog (the tests check that it is an
// edit field, each a different one).
static_assert(
    [] {
      for (const AssocField& field : AssocFields) {
        if (field.dialogItem <= 0 || field.dialogItem >= EditDialogItemCount) return false;
      }
      return true;
    }(),
    "the field table names items of the edit dialog");

const DialogItemTemplate EditDialogTemplate[EditDialogItemCount + 1] = {
    {DialogItemFrame, 3, 1, 72, 21, 0, MsgDialogTitle},
    {DialogItemCheckBox, 4, 2, 0, 0, 0, MsgDialogAssocCheck},
    {DialogItemEdit | OptHistory, 4, 3, 70, 3, 0, reinterpret_cast<uintptr_t>(MaskHistoryName)},
    {DialogItemText, 4, 4, 0, 0, 0, MsgDialogDescription},
    {DialogItemEdit, 4, 5, 70, 5, 0, 0},
    {DialogItemText, 4, 6, 4, 6, DialogSeparatorFlags, 0},
    {DialogItemText, 4, 7, 0, 0, 0, MsgDialogExecute},
    {DialogItemEdit, 4, 8, 70, 8, 0, 0},
    {DialogItemText, 4, 9, 0, 0, 0, MsgDialogAltExec},
    {DialogItemEdit, 4, 10, 70, 10, 0, 0},
    {DialogItemText, 4, 11, 0, 0, 0, MsgDialogView},
    {DialogItemEdit, 4, 12, 70, 12, 0, 0},
    {DialogItemText, 4, 13, 0, 0, 0, MsgDialogAltView},
    {DialogItemEdit, 4, 14, 70, 14, 0, 0},
    {DialogItemText, 4, 15, 0, 0, 0, MsgDialogEdit},
    {DialogItemEdit, 4, 16, 70, 16, 0, 0},
    {DialogItemText, 4, 17, 0, 0, 0, MsgDialogAltEdit},
    {DialogItemEdit, 4, 18, 70, 18, 0, 0},
    {DialogItemText, 4, 19, 4, 19, DialogSeparatorFlags, 0},
    {DialogItemButton | OptDefault, 0, 20, 0, 0, DialogButtonRowFlag, MsgButtonOk},
    {DialogItemButton, 0, 20, 0, 0, DialogButtonRowFlag, MsgButtonCancel},
    {EndOfTable, 0, 0, 0, 0, 0, 0},
};

void ExpandDialogTemplate(const DialogItemTemplate* rows, HostDialogItem* items) {
  for (; rows->kindBits != EndOfTable; ++rows, ++items) {
    const uint16_t bits = rows->kindBits;
    std::memset(items, 0, sizeof(*items));
    items->kind = bits & 0xFF;
    items->left = rows->left;
    items->top = rows->top;
    items->right = rows->right;
    items->bottom = rows->bottom;
    items->hasFocus = (bits & OptFocus) ? 1 : 0;
    items->isDefault = (bits & OptDefault) ? 1 : 0;
    items->flags = rows->flags;
    if (bits & OptFlagBit31) items->flags |= DialogFlagBit31;
    if (bits & OptHistory) items->flags |= DialogHistoryFlag;
    if (bits & (OptNameOnly | OptHistory)) {
      items->text[0] = 0;
      items->historyName = reinterpret_cast<const char*>(rows->textId);
    } else {
      items->checkState = (bits & OptChecked) ? 1 : 0;
      CopyBounded(items->text, TextOrMessage(rows->textId), static_cast<int32_t>(sizeof(items->text)));
    }
  }
}

bool EditAssocDialog(AssocRecord& record) {
  HostDialogItem items[EditDialogItemCount];
  ExpandDialogTemplate(EditDialogTemplate, items);

  items[ItemGroupCheck].checkState = record.group == 0 ? 1 : 0;

  // Record texts are copied as they stand: never interpreted as formats.
  for (const AssocField& field : AssocFields) {
    CopyBounded(items[field.dialogItem].text, (record.*field.member).Text(),
                static_cast<int32_t>(sizeof(items[0].text)));
  }

  int stretch = ConsoleBufferWidth() - ConsoleBaseWidth;
  if (stretch != 0) stretch -= 1;
  // On a console too narrow for the template the stretch would turn items
  // inside out: it goes no lower than where the first stretched item is one
  // column wide (the edit fields, at 15 columns).
  for (const HostDialogItem& item : items) {
    if (Stretched(item) && stretch < item.left - item.right) stretch = item.left - item.right;
  }
  for (HostDialogItem& item : items) {
    if (Stretched(item)) item.right += stretch;
  }

  for (;;) {
    const int result = HostDialog(DialogBaseWidth + stretch, DialogHeight, items, EditDialogItemCount, "EditItem");
    if (result == -1 || result == ItemCancel) return false;
    if (result != ItemConfirm) continue;
    if (*TrimmedItemText(items[ItemMask]) != 0) break;
    HostMessageBox(MessageText(MsgEmptyMask), MessageButtonsOk | MessageFlagBit0, nullptr);
  }

  record.group = items[ItemGroupCheck].checkState == 0 ? 1 : 0;
  // Each field keeps what fits of its trimmed text, never ending in a blank
  // that the cut to 260 characters exposed.
  for (const AssocField& field : AssocFields) {
    record.*field.member = TextField(CutToFit(TrimmedItemText(items[field.dialogItem]), TextFieldChars));
  }
  return true;
}
