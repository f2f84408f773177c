#include "core/host_core.h"

#include <cstring>

namespace velk {
namespace {

HostCore* current = nullptr;

int TOLLEX_CALL SvcShowMenu(int32_t id, int, int, int, uint32_t flags, const char* title, const char* bottom,
                            const char* helpTopic, const uint32_t* breakKeys, int* breakCode, const HostMenuItem* items,
                            int count) {
  return current->ShowMenu(id, flags, title, bottom, helpTopic, breakKeys, breakCode, items, count);
}

int TOLLEX_CALL SvcRunDialog(int32_t id, int, int, int width, int height, const char* helpTopic, HostDialogItem* items,
                             int count) {
  return current->RunDialog(id, width, height, helpTopic, items, count);
}

int TOLLEX_CALL SvcShowMessage(int32_t id, uint32_t flags, const char* helpTopic, const char* const* items,
                               int itemCount, int buttonCount) {
  return current->ShowMessage(id, flags, helpTopic, items, itemCount, buttonCount);
}

const char* TOLLEX_CALL SvcGetMessageText(int32_t id, int number) { return current->GetMessageText(id, number); }

int TOLLEX_CALL SvcControl(int32_t id, int command, void* param) { return current->Control(id, command, param); }

std::string OrEmpty(const char* s) { return s ? s : ""; }

// Splits a text at line breaks: "\r\n", "\n" and "\r" each end a line.
std::vector<std::string> SplitLines(const char* text) {
  std::vector<std::string> lines;
  std::string line;
  for (const char* p = text ? text : ""; *p; ++p) {
    if (*p == '\r' || *p == '\n') {
      lines.push_back(line);
      line.clear();
      if (*p == '\r' && p[1] == '\n') ++p;
    } else {
      line += *p;
    }
  }
  lines.push_back(line);
  return lines;
}

}  // namespace

std::vector<std::string> StandardButtons(uint32_t flags) {
  switch (flags & MessageButtonsMask) {
    case 0: return {};
    case MessageButtonsOk: return {"Ok"};
    case MessageButtonsYesNo: return {"Yes", "No"};
    case MessageButtonsYesNoCancel: return {"Yes", "No", "Cancel"};
    // Sets velk does not know still get a way out.
    default: return {"Ok"};
  }
}

MessageView BuildMessageView(uint32_t flags, const char* helpTopic, const char* const* items, int itemCount,
                             int buttonCount, const std::string& systemText) {
  MessageView view;
  view.flags = flags;
  view.helpTopic = OrEmpty(helpTopic);
  std::vector<std::string> texts;
  if (flags & MessageOneText) {
    // In this form the items argument is the text itself, not an array.
    texts = SplitLines(reinterpret_cast<const char*>(items));
  } else {
    for (int i = 0; items && i < itemCount; ++i) texts.push_back(OrEmpty(items[i]));
  }
  std::vector<std::string> standard = StandardButtons(flags);
  if (!standard.empty()) {
    view.buttons = standard;
  } else {
    int n = buttonCount < 0 ? 0 : buttonCount;
    if (n > static_cast<int>(texts.size())) n = static_cast<int>(texts.size());
    view.buttons.assign(texts.end() - n, texts.end());
    texts.resize(texts.size() - n);
  }
  view.lines = texts;
  if (flags & MessageErrorReport) view.lines.push_back(systemText);
  return view;
}

std::string SystemErrorLine(DWORD code) {
  char text[512] = {0};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, LANG_USER_DEFAULT,
                           text, sizeof text, nullptr);
  std::string line;
  if (n > 0) {
    char oem[512] = {0};
    CharToOemA(text, oem);
    for (const char* p = oem; *p; ++p) line += (*p == '\r' || *p == '\n') ? ' ' : *p;
    while (!line.empty() && line.back() == ' ') line.pop_back();
  }
  if (line.empty()) line = "System error " + std::to_string(code) + ".";
  return line;
}

HostCore::HostCore(const Language& lang, uint32_t version) : language(lang), versionWord(version) {
  record.recordSize = static_cast<int32_t>(sizeof(HostStartupInfo));
  std::memcpy(record.hostArea, "velk", 4);
  record.pluginId = HostPluginId;
  record.rootKeyPath = HostRootKeyPath;
  record.showMenu = &SvcShowMenu;
  record.runDialog = &SvcRunDialog;
  record.showMessage = &SvcShowMessage;
  record.getMessageText = &SvcGetMessageText;
  record.hostControl = &SvcControl;
  current = this;
}

HostCore::~HostCore() {
  if (current == this) current = nullptr;
}

void HostCore::CheckId(int32_t id) {
  if (id != HostPluginId) ++foreignIds;
}

int HostCore::ShowMenu(int32_t id, uint32_t flags, const char* title, const char* bottom, const char* helpTopic,
                       const uint32_t* breakKeys, int* breakCode, const HostMenuItem* items, int count) {
  CheckId(id);
  MenuView view;
  view.flags = flags;
  view.title = OrEmpty(title);
  view.bottom = OrEmpty(bottom);
  view.helpTopic = OrEmpty(helpTopic);
  view.breakKeys = breakKeys;
  view.items = items;
  view.count = (items && count > 0) ? count : 0;
  MenuAnswer answer = front->ShowMenu(view);
  if (breakCode) *breakCode = answer.breakCode;
  return answer.position;
}

int HostCore::RunDialog(int32_t id, int width, int height, const char* helpTopic, HostDialogItem* items, int count) {
  CheckId(id);
  DialogView view;
  view.width = width;
  view.height = height;
  view.helpTopic = OrEmpty(helpTopic);
  view.items = items;
  view.count = (items && count > 0) ? count : 0;
  // The front end reads the texts and writes them back; keep each one terminated.
  for (int i = 0; i < view.count; ++i) items[i].text[sizeof items[i].text - 1] = 0;
  return front->RunDialog(view);
}

int HostCore::ShowMessage(int32_t id, uint32_t flags, const char* helpTopic, const char* const* items, int itemCount,
                          int buttonCount) {
  // Read the last-error value first: nothing of velk's may change it before.
  DWORD lastError = GetLastError();
  CheckId(id);
  std::string systemText = (flags & MessageErrorReport) ? SystemErrorLine(lastError) : std::string();
  MessageView view = BuildMessageView(flags, helpTopic, items, itemCount, buttonCount, systemText);
  return front->ShowMessage(view);
}

const char* HostCore::GetMessageText(int32_t id, int number) {
  CheckId(id);
  return language.Text(number);
}

int HostCore::Control(int32_t id, int command, void* param) {
  CheckId(id);
  if (command == HostControlGetVersion && param) {
    uint32_t word = versionWord;
    std::memcpy(param, &word, sizeof word);
    return 1;
  }
  return 0;
}

}  // namespace velk
