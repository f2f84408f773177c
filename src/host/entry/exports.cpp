// The four functions the host calls.
#include <windows.h>

#include <cstring>

#include "host/base/host_abi.h"
#include "host/entry/startup.h"
#include "host/interface/host_services.h"
#include "host/interface/messages.h"
#include "model/text.h"
#include "storage/settings.h"
#include "storage/table_journal.h"
#include "ui/session.h"

namespace {

// The open-from codes for which the plug-in shows nothing.
constexpr int OpenFromNoList1 = 3;
constexpr int OpenFromNoList2 = 4;

// One entry each in the host's plug-ins menu and configuration menu; the
// host keeps the array addresses after GetPluginInfo returns.
const char* PluginMenuStrings[1];
const char* ConfigMenuStrings[1];

// The host's rootKeyPath gave no usable association key (see
// BuildAssocKeyPath): the table can be neither read nor written, and the
// user hears so as for a table that cannot be read, with the host's root
// path, which is what is wrong. Only an opening that passed the version
// check gets here, so the host record copy exists.
void ReportUnusableAssocKey() {
  const char* root = HostInfo->rootKeyPath;
  int32_t length = TextLength(root);
  SetLastError(length < AssocRootMinLength ? ERROR_BAD_PATHNAME : ERROR_FILENAME_EXCED_RANGE);
  HostMessageBox(FormatShared(MessageText(MsgLoadFailed), root ? root : ""),
                 MessageButtonsOk | MessageErrorReport | MessageFlagBit0, nullptr);
}

}  // namespace

extern "C" {

TOLLEX_EXPORT void TOLLEX_CALL SetStartupInfo(const HostStartupInfo* info) {
  FindModuleHandle();
  CopyHostRecord(info);
  BuildSettingsKeyPath();
  bool haveDirectory = BuildModuleDirectory();
  LoadDiagnosticsLibrary(haveDirectory);
  std::memset(AssocKeyPath, 0, sizeof AssocKeyPath);
  LoadSettings();
  BuildAssocKeyPath();
  // A write of the table cut off in an earlier process is finished at once,
  // before the host works with the table. The user hears of it at the next
  // opening; a recovery that fails here is tried again there, and reported.
  if (AssocKeyPathUsable()) RecoverTable();
}

TOLLEX_EXPORT void TOLLEX_CALL GetPluginInfo(HostPluginInfo* info) {
  if (!info) return;
  PluginMenuStrings[0] = TextOrMessage(MsgPluginName);
  ConfigMenuStrings[0] = TextOrMessage(MsgPluginName);
  info->recordSize = static_cast<int32_t>(sizeof(HostPluginInfo));
  info->flags = 0;
  info->pluginMenuStrings = PluginMenuStrings;
  info->pluginMenuCount = 1;
  info->configMenuStrings = ConfigMenuStrings;
  info->configMenuCount = 1;
}

TOLLEX_EXPORT int TOLLEX_CALL Configure(int /*itemNumber*/) { return CheckHostVersion() ? 1 : 0; }

TOLLEX_EXPORT intptr_t TOLLEX_CALL OpenPlugin(int openFrom, intptr_t /*item*/) {
  if (!CheckHostVersion()) return -1;
  LoadSettings();
  if (openFrom != OpenFromNoList1 && openFrom != OpenFromNoList2) {
    if (AssocKeyPathUsable()) {
      RunEditingSession();
    } else {
      ReportUnusableAssocKey();
    }
  }
  return -1;
}

}  // extern "C"
