// velk's host core: the start-up record with its services. The services
// turn the plug-in's calls into the views of interaction/views.h for the
// front end, and the front end's answers back into results.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

#include "core/front_end.h"
#include "core/language.h"
#include "host/base/host_abi.h"

namespace velk {

// Where the plug-in's settings live (its rootKeyPath).
constexpr const char* HostRootKeyPath = "Software\\VELK\\Plugins";
constexpr int32_t HostPluginId = 1;

// The version word of hostControl command 0.
inline uint32_t VersionWord(int major, int minor, int build) {
  return (static_cast<uint32_t>(build & 0xFFFF) << 16) | (static_cast<uint32_t>(major & 0xFF) << 8) |
         static_cast<uint32_t>(minor & 0xFF);
}

// The captions of a standard button set (the flags' high 16 bits); empty
// when the bits choose none, so that the last items are the captions.
std::vector<std::string> StandardButtons(uint32_t flags);

// Builds the view of a showMessage call. With MessageOneText, items is the
// address of one text (lines separated by line breaks) rather than an array;
// without it, an array of itemCount texts. systemText is what the error-report
// flag adds (used only with that flag).
MessageView BuildMessageView(uint32_t flags, const char* helpTopic, const char* const* items, int itemCount,
                             int buttonCount, const std::string& systemText);

// The system's text for an error code, in the OEM code page, one line.
std::string SystemErrorLine(DWORD code);

class HostCore {
 public:
  HostCore(const Language& language, uint32_t versionWord);
  ~HostCore();
  HostCore(const HostCore&) = delete;
  HostCore& operator=(const HostCore&) = delete;

  // The front end that answers the plug-in's calls from now on.
  void SetFrontEnd(FrontEnd* frontEnd) { front = frontEnd; }
  // The record handed to SetStartupInfo.
  const HostStartupInfo* Record() const { return &record; }

  // Number of service calls that came with a plug-in id other than ours.
  int ForeignIdCalls() const { return foreignIds; }

  // The services, as the plug-in calls them (also callable from tests).
  int ShowMenu(int32_t id, uint32_t flags, const char* title, const char* bottom, const char* helpTopic,
               const uint32_t* breakKeys, int* breakCode, const HostMenuItem* items, int count);
  int RunDialog(int32_t id, int width, int height, const char* helpTopic, HostDialogItem* items, int count);
  int ShowMessage(int32_t id, uint32_t flags, const char* helpTopic, const char* const* items, int itemCount,
                  int buttonCount);
  const char* GetMessageText(int32_t id, int number);
  int Control(int32_t id, int command, void* param);

 private:
  void CheckId(int32_t id);

  const Language& language;
  uint32_t versionWord;
  FrontEnd* front = nullptr;
  HostStartupInfo record{};
  int foreignIds = 0;
};

}  // namespace velk
