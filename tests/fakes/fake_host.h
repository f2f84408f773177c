// A recording, scriptable stand-in for the host's services, for unit tests.
// Install() points the plug-in's host record copy at this fake's record
// without going through SetStartupInfo; tests of the exports pass Record()
// to SetStartupInfo instead.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/base/host_abi.h"

class FakeHost {
 public:
  struct MessageCall {
    uint32_t flags = 0;
    std::string helpTopic;  // "(null)" when none was passed
    std::vector<std::string> items;
    int itemCount = 0;
    int buttonCount = 0;
  };
  struct MenuCall {
    int x = 0, y = 0, maxHeight = 0;
    uint32_t flags = 0;
    std::string title, bottom, helpTopic;
    std::vector<uint32_t> breakKeys;  // up to and including the end word
    std::vector<HostMenuItem> items;
  };
  struct DialogCall {
    int x = 0, y = 0, width = 0, height = 0;
    std::string helpTopic;
    std::vector<HostDialogItem> items;  // as the plug-in passed them in
  };
  // Answers a dialog: may change the items (as a user would) and returns the
  // index of the closing item or -1.
  using DialogAnswer = std::function<int(HostDialogItem* items, int count)>;

  FakeHost();
  ~FakeHost();
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  // Makes this fake the plug-in's host (HostInfo points at Record()).
  void Install();
  void Uninstall();

  HostStartupInfo& Record() { return record; }
  void SetRootKeyPath(const std::string& path);
  void SetVersion(int major, int minor, int build, bool querySucceeds = true);
  // Message texts; a number without a text gives "M<n>"; Lack() makes the
  // lookup answer null for that number.
  void SetMessage(int number, const std::string& text);
  void Lack(int number);

  // Scripted answers, taken in order. With none left: message boxes answer
  // -1, menus -1 (Esc), dialogs -1.
  std::deque<int> messageAnswers;
  std::deque<std::pair<int, int>> menuAnswers;  // (returned position, break code)
  std::deque<DialogAnswer> dialogAnswers;
  // Consulted only when the matching queue above is empty (unset, the
  // defaults above apply): answers computed from the call just recorded, for
  // drivers that decide as they go (fuzzing, long random sessions).
  std::function<std::pair<int, int>(const MenuCall& call)> menuResponder;  // (position, break code)
  std::function<int(const MessageCall& call)> messageResponder;
  DialogAnswer dialogResponder;

  // Recorded calls.
  std::vector<MessageCall> messageCalls;
  std::vector<MenuCall> menuCalls;
  std::vector<DialogCall> dialogCalls;
  std::vector<int> messageLookups;
  int versionQueries = 0;

  static FakeHost* Current() { return current; }

 private:
  static int TOLLEX_CALL ShowMenu(int32_t id, int x, int y, int maxHeight, uint32_t flags, const char* title,
                                  const char* bottom, const char* helpTopic, const uint32_t* breakKeys, int* breakCode,
                                  const HostMenuItem* items, int itemCount);
  static int TOLLEX_CALL RunDialog(int32_t id, int x, int y, int width, int height, const char* helpTopic,
                                   HostDialogItem* items, int itemCount);
  static int TOLLEX_CALL ShowMessage(int32_t id, uint32_t flags, const char* helpTopic, const char* const* items,
                                     int itemCount, int buttonCount);
  static const char* TOLLEX_CALL GetMessageText(int32_t id, int messageNumber);
  static int TOLLEX_CALL Control(int32_t id, int command, void* param);

  static FakeHost* current;
  HostStartupInfo record{};
  HostStartupInfo* previousHostInfo = nullptr;
  bool installed = false;
  std::string rootKeyPath = "Software\\Test\\Plugins";
  std::map<int, std::string> messages;
  std::map<int, bool> lacking;
  uint32_t versionWord = 0;
  bool versionQuerySucceeds = true;
};

// Dialog answer helpers.
FakeHost::DialogAnswer PressItem(int index);
FakeHost::DialogAnswer SetTextsAndPress(std::map<int, std::string> texts, int index);
