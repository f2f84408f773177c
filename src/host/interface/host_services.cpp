// The plug-in's wrappers around the host's message box, menu and dialog.
#include "host/interface/host_services.h"

#include "host/interface/messages.h"
#include "host/interface/startup_state.h"

int HostMessageBox(const char* text, uint32_t flags, const char* helpTopic) {
  if (!HostInfo || !HostInfo->showMessage) return -1;
  if (!text) text = "";
  // Every message-box text of the plug-in is a whole box (title, then body
  // lines) separated by line breaks, and goes to the host in its one-text
  // form. A text without any line break is passed in that same form, as a
  // box of one line: the array form would make the host read the text's
  // bytes as an array of text pointers.
  flags |= MessageOneText;
  return HostInfo->showMessage(HostInfo->pluginId, flags, helpTopic, reinterpret_cast<const char* const*>(text), 1, 1);
}

int HostMenu(const HostMenuItem* items, int32_t count, uintptr_t title, uint32_t flags, uintptr_t bottom,
             const char* helpTopic, const uint32_t* breakKeys, int* breakCode) {
  if (!HostInfo || !HostInfo->showMenu) {
    if (breakCode) *breakCode = -1;
    return -1;
  }
  return HostInfo->showMenu(HostInfo->pluginId, -1, -1, 0, flags | MenuFlagAlways, TextOrMessage(title),
                            TextOrMessage(bottom), helpTopic, breakKeys, breakCode, items, count);
}

int HostDialog(int width, int height, HostDialogItem* items, int count, const char* helpTopic) {
  if (!HostInfo || !HostInfo->runDialog) return -1;
  return HostInfo->runDialog(HostInfo->pluginId, -1, -1, width, height, helpTopic, items, count);
}
