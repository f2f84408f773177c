// The records and service signatures exchanged between the host and the
// plug-in. The 32-bit product build has the host's exact byte layout (checked
// below); 64-bit builds keep the same fields in the same order with
// pointer-sized pointers. This header is the one place where that difference
// lives, and it is the whole contract a host needs besides the four exports.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define TOLLEX_CALL __stdcall
#else
#define TOLLEX_CALL
#endif

#if defined(_WIN32)
#define TOLLEX_EXPORT
#else
#define TOLLEX_EXPORT __attribute__((visibility("default")))
#endif

// One line of the host's menu: a fixed 144-byte record in every build.
struct HostMenuItem {
  uint32_t flags;
  char text[128];
  uint32_t reserved1;
  uint32_t reserved2;
  int32_t userData;
};
constexpr uint32_t MenuItemSelected = 0x10000;
constexpr uint32_t MenuItemChecked = 0x20000;

// The flags argument of showMenu. MenuFlagAlways is set on every call; bit 0
// is the one other bit the list screen sends, whose meaning is the host's.
constexpr uint32_t MenuFlagBit0 = 0x01;
constexpr uint32_t MenuFlagAlways = 0x20;

// A key as the host reports it, in a break-key table word: the low 16 bits a
// Windows virtual-key code, the high 16 bits the modifier state. The
// plug-in's tables use no modifier and Ctrl; Alt and Shift complete the
// host's encoding. A zero word ends a table.
constexpr uint16_t KeyModNone = 0;
constexpr uint16_t KeyModCtrl = 1;
constexpr uint16_t KeyModAlt = 2;
constexpr uint16_t KeyModShift = 4;
constexpr uint32_t BreakKeyWord(uint16_t virtualKey, uint16_t modifiers = KeyModNone) {
  return (static_cast<uint32_t>(modifiers) << 16) | virtualKey;
}

// One item of the host's dialog.
struct HostDialogItem {
  int32_t kind;
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
  int32_t hasFocus;
  union {
    int32_t checkState;
    const char* historyName;
  };
  uint32_t flags;
  int32_t isDefault;
  char text[512];
};

// Dialog item kinds (HostDialogItem::kind).
constexpr int32_t DialogItemText = 0;
constexpr int32_t DialogItemSingleFrame = 2;  // a frame of single lines; stretches like the titled one
constexpr int32_t DialogItemFrame = 3;        // the frame with the dialog's title
constexpr int32_t DialogItemEdit = 4;         // a single-line edit field
constexpr int32_t DialogItemButton = 7;
constexpr int32_t DialogItemCheckBox = 8;

// Dialog item flags (HostDialogItem::flags).
constexpr uint32_t DialogSeparatorFlags = 0x00010200;  // a text item drawn as a line across the frame
constexpr uint32_t DialogButtonRowFlag = 0x00004000;   // buttons of one row, placed there by the host
constexpr uint32_t DialogHistoryFlag = 0x00040000;     // an edit field with a history; historyName names it
constexpr uint32_t DialogFlagBit31 = 0x80000000;       // a template option can set it; its meaning is the host's

// The flags argument of showMessage. The high 16 bits choose a standard
// button set; without them the last items are the button captions.
constexpr uint32_t MessageFlagBit0 = 0x00000001;     // set on every box of the plug-in; its meaning is the host's
constexpr uint32_t MessageErrorReport = 0x00000002;  // the host adds the system's text for the last-error value
constexpr uint32_t MessageOneText = 0x00000020;      // items is one text, its lines separated by line breaks
constexpr uint32_t MessageButtonsMask = 0xFFFF0000;
constexpr uint32_t MessageButtonsOk = 0x00010000;
constexpr uint32_t MessageButtonsYesNo = 0x00040000;
constexpr uint32_t MessageButtonsYesNoCancel = 0x00050000;

typedef int(TOLLEX_CALL* HostShowMenuFn)(int32_t pluginId, int x, int y, int maxHeight, uint32_t flags,
                                         const char* title, const char* bottom, const char* helpTopic,
                                         const uint32_t* breakKeys, int* breakCode, const HostMenuItem* items,
                                         int itemCount);
typedef int(TOLLEX_CALL* HostRunDialogFn)(int32_t pluginId, int x, int y, int width, int height, const char* helpTopic,
                                          HostDialogItem* items, int itemCount);
typedef int(TOLLEX_CALL* HostShowMessageFn)(int32_t pluginId, uint32_t flags, const char* helpTopic,
                                            const char* const* items, int itemCount, int buttonCount);
typedef const char*(TOLLEX_CALL* HostGetMessageTextFn)(int32_t pluginId, int messageNumber);
typedef int(TOLLEX_CALL* HostControlFn)(int32_t pluginId, int command, void* param);

// The host's start-up record as the plug-in reads it.
struct HostStartupInfo {
  int32_t recordSize;
  char hostArea[260];  // the host's own, not used by the plug-in
  int32_t pluginId;
  const char* rootKeyPath;
  HostShowMenuFn showMenu;
  HostRunDialogFn runDialog;
  HostShowMessageFn showMessage;
  HostGetMessageTextFn getMessageText;
  void* hostServices1[14];  // services the plug-in does not use
  HostControlFn hostControl;
  void* hostServices2[6];
};

// Bytes of the host's record that the plug-in copies and keeps.
constexpr size_t HostStartupCopySize = sizeof(HostStartupInfo);
// A record at least this long carries hostControl (362 in the 32-bit layout).
constexpr size_t HostControlMinRecordSize = offsetof(HostStartupInfo, hostControl) + 18;

// The plug-in information record that GetPluginInfo fills.
struct HostPluginInfo {
  int32_t recordSize;
  uint32_t flags;
  void* hostField1;
  void* hostField2;
  int32_t hostField3;
  const char* const* pluginMenuStrings;
  int32_t pluginMenuCount;
  const char* const* configMenuStrings;
  int32_t configMenuCount;
  void* hostField4;
  void* hostField5;
};

// The host's version query (hostControl command 0) fills a word with the
// minor version in bits 0-7, the major version in bits 8-15, the build in 16-31.
constexpr int HostControlGetVersion = 0;

// The four exports.
extern "C" {
TOLLEX_EXPORT void TOLLEX_CALL SetStartupInfo(const HostStartupInfo* info);
TOLLEX_EXPORT void TOLLEX_CALL GetPluginInfo(HostPluginInfo* info);
TOLLEX_EXPORT int TOLLEX_CALL Configure(int itemNumber);
TOLLEX_EXPORT intptr_t TOLLEX_CALL OpenPlugin(int openFrom, intptr_t item);
}
typedef void(TOLLEX_CALL* SetStartupInfoFn)(const HostStartupInfo* info);
typedef void(TOLLEX_CALL* GetPluginInfoFn)(HostPluginInfo* info);
typedef int(TOLLEX_CALL* ConfigureFn)(int itemNumber);
typedef intptr_t(TOLLEX_CALL* OpenPluginFn)(int openFrom, intptr_t item);

static_assert(sizeof(HostMenuItem) == 144, "menu line record is 144 bytes");
static_assert(offsetof(HostMenuItem, userData) == 140, "menu line userData at 140");

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(HostDialogItem) == 548, "dialog item record is 548 bytes");
static_assert(offsetof(HostDialogItem, checkState) == 24, "checkState at 24");
static_assert(offsetof(HostDialogItem, flags) == 28, "flags at 28");
static_assert(offsetof(HostDialogItem, isDefault) == 32, "isDefault at 32");
static_assert(offsetof(HostDialogItem, text) == 36, "text at 36");
static_assert(offsetof(HostStartupInfo, pluginId) == 264, "pluginId at 264");
static_assert(offsetof(HostStartupInfo, rootKeyPath) == 268, "rootKeyPath at 268");
static_assert(offsetof(HostStartupInfo, showMenu) == 272, "showMenu at 272");
static_assert(offsetof(HostStartupInfo, runDialog) == 276, "runDialog at 276");
static_assert(offsetof(HostStartupInfo, showMessage) == 280, "showMessage at 280");
static_assert(offsetof(HostStartupInfo, getMessageText) == 284, "getMessageText at 284");
static_assert(offsetof(HostStartupInfo, hostControl) == 344, "hostControl at 344");
static_assert(sizeof(HostStartupInfo) == 372, "start-up record copy is 372 bytes");
static_assert(HostControlMinRecordSize == 362, "hostControl needs a 362-byte record");
static_assert(sizeof(HostPluginInfo) == 44, "plug-in info record is 44 bytes");
static_assert(offsetof(HostPluginInfo, pluginMenuStrings) == 20, "plug-ins menu strings at 20");
static_assert(offsetof(HostPluginInfo, pluginMenuCount) == 24, "plug-ins menu count at 24");
static_assert(offsetof(HostPluginInfo, configMenuStrings) == 28, "config menu strings at 28");
static_assert(offsetof(HostPluginInfo, configMenuCount) == 32, "config menu count at 32");
#endif
