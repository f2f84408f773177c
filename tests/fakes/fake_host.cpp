#include "fakes/fake_host.h"

#include <cstring>

#include "host/entry/startup.h"

FakeHost* FakeHost::current = nullptr;

namespace {

// The next scripted answer of a queue; with none left, what unscripted()
// gives in its place.
template <typename Answer, typename Unscripted>
Answer NextAnswer(std::deque<Answer>& queue, Unscripted unscripted) {
  if (queue.empty()) return unscripted();
  Answer answer = queue.front();
  queue.pop_front();
  return answer;
}

// A text as a call records it: "(null)" for a null pointer.
std::string Recorded(const char* text) { return text ? text : "(null)"; }

}  // namespace

FakeHost::FakeHost() {
  record.recordSize = static_cast<int32_t>(sizeof(HostStartupInfo));
  record.pluginId = 0x7011;
  record.rootKeyPath = rootKeyPath.c_str();
  record.showMenu = &ShowMenu;
  record.runDialog = &RunDialog;
  record.showMessage = &ShowMessage;
  record.getMessageText = &GetMessageText;
  record.hostControl = &Control;
  SetVersion(1, 70, 2000);
  current = this;
}

FakeHost::~FakeHost() {
  Uninstall();
  if (current == this) current = nullptr;
}

void FakeHost::Install() {
  if (installed) return;
  previousHostInfo = HostInfo;
  HostInfo = &record;
  installed = true;
  current = this;
}

void FakeHost::Uninstall() {
  if (!installed) return;
  HostInfo = previousHostInfo;
  installed = false;
}

void FakeHost::SetRootKeyPath(const std::string& path) {
  rootKeyPath = path;
  record.rootKeyPath = rootKeyPath.c_str();
}

void FakeHost::SetVersion(int major, int minor, int build, bool querySucceeds) {
  versionWord = (static_cast<uint32_t>(build) << 16) | ((static_cast<uint32_t>(major) & 0xFF) << 8) |
                (static_cast<uint32_t>(minor) & 0xFF);
  versionQuerySucceeds = querySucceeds;
}

void FakeHost::SetMessage(int number, const std::string& text) {
  messages[number] = text;
  lacking.erase(number);
}

void FakeHost::Lack(int number) { lacking[number] = true; }

int TOLLEX_CALL FakeHost::ShowMenu(int32_t, int x, int y, int maxHeight, uint32_t flags, const char* title,
                                   const char* bottom, const char* helpTopic, const uint32_t* breakKeys, int* breakCode,
                                   const HostMenuItem* items, int itemCount) {
  FakeHost* self = current;
  MenuCall call{x, y, maxHeight, flags, Recorded(title), Recorded(bottom), Recorded(helpTopic), {}, {}};
  for (const uint32_t* k = breakKeys; k; ++k) {
    call.breakKeys.push_back(*k);
    if (*k == 0) break;
  }
  if (items && itemCount > 0) call.items.assign(items, items + itemCount);
  self->menuCalls.push_back(call);
  const std::pair<int, int> answer = NextAnswer(self->menuAnswers, [self] {
    return self->menuResponder ? self->menuResponder(self->menuCalls.back()) : std::pair<int, int>(-1, -1);
  });
  if (breakCode) *breakCode = answer.second;
  return answer.first;
}

int TOLLEX_CALL FakeHost::RunDialog(int32_t, int x, int y, int width, int height, const char* helpTopic,
                                    HostDialogItem* items, int itemCount) {
  FakeHost* self = current;
  DialogCall call{x, y, width, height, Recorded(helpTopic), {}};
  if (items && itemCount > 0) call.items.assign(items, items + itemCount);
  self->dialogCalls.push_back(call);
  const DialogAnswer answer = NextAnswer(
      self->dialogAnswers, [self] { return self->dialogResponder ? self->dialogResponder : PressItem(-1); });
  return answer(items, itemCount);
}

int TOLLEX_CALL FakeHost::ShowMessage(int32_t, uint32_t flags, const char* helpTopic, const char* const* items,
                                      int itemCount, int buttonCount) {
  FakeHost* self = current;
  MessageCall call{flags, Recorded(helpTopic), {}, itemCount, buttonCount};
  if (flags & MessageOneText) {
    call.items.push_back(Recorded(reinterpret_cast<const char*>(items)));
  } else {
    for (int i = 0; items && i < itemCount; ++i) call.items.push_back(Recorded(items[i]));
  }
  self->messageCalls.push_back(call);
  return NextAnswer(self->messageAnswers,
                    [self] { return self->messageResponder ? self->messageResponder(self->messageCalls.back()) : -1; });
}

const char* TOLLEX_CALL FakeHost::GetMessageText(int32_t, int messageNumber) {
  FakeHost* self = current;
  self->messageLookups.push_back(messageNumber);
  if (self->lacking.count(messageNumber)) return nullptr;
  auto it = self->messages.find(messageNumber);
  if (it == self->messages.end()) {
    it = self->messages.emplace(messageNumber, "M" + std::to_string(messageNumber)).first;
  }
  return it->second.c_str();
}

int TOLLEX_CALL FakeHost::Control(int32_t, int command, void* param) {
  FakeHost* self = current;
  ++self->versionQueries;
  if (command != HostControlGetVersion || !self->versionQuerySucceeds) return 0;
  std::memcpy(param, &self->versionWord, sizeof(uint32_t));
  return 1;
}

FakeHost::DialogAnswer PressItem(int index) {
  return [index](HostDialogItem*, int) { return index; };
}

FakeHost::DialogAnswer SetTextsAndPress(std::map<int, std::string> texts, int index) {
  return [texts, index](HostDialogItem* items, int count) {
    for (const auto& t : texts) {
      if (t.first >= 0 && t.first < count) {
        std::strncpy(items[t.first].text, t.second.c_str(), sizeof(items[t.first].text) - 1);
        items[t.first].text[sizeof(items[t.first].text) - 1] = 0;
      }
    }
    return index;
  };
}
