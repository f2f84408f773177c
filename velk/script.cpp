#include "velk/script.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

#include "velk/keys.h"
#include "velk/oem.h"
#include "velk/text_lines.h"

namespace velk {
namespace {

constexpr int MaxRepeat = 100000;

bool ParseInt(const std::string& s, int& out) {
  if (s.empty() || s.size() > 10) return false;
  size_t i = (s[0] == '-') ? 1 : 0;
  if (i == s.size()) return false;
  for (size_t j = i; j < s.size(); ++j) {
    if (s[j] < '0' || s[j] > '9') return false;
  }
  long long v = std::strtoll(s.c_str(), nullptr, 10);
  if (v < -2147483647LL || v > 2147483647LL) return false;
  out = static_cast<int>(v);
  return true;
}

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> words;
  std::istringstream in(s);
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

}  // namespace

bool ParseScript(const std::string& content, std::vector<ScriptCommand>& commands, std::string& error) {
  std::vector<ScriptCommand> parsed;
  TextLines lines(content);
  while (lines.Next()) {
    const std::string& line = lines.Line();
    const size_t first = lines.First();
    auto fail = [&](const std::string& why) { return lines.Fail(error, why); };
    size_t end = line.find_first_of(" \t", first);
    std::string word = line.substr(first, end == std::string::npos ? std::string::npos : end - first);
    ScriptCommand cmd;
    cmd.line = lines.Number();
    if (word == "text") {
      // The rest of the line after one separating blank, taken literally.
      std::string utf8 = end == std::string::npos ? std::string() : line.substr(end + 1);
      std::string why;
      if (!Utf8ToOem(utf8, cmd.text, why)) return fail("text: " + why);
      if (cmd.text.size() > sizeof(HostDialogItem::text) - 1)
        return fail("text: longer than an edit field holds (" +
                    std::to_string(sizeof(HostDialogItem::text) - 1) + " characters)");
      cmd.kind = ScriptCommand::Text;
      parsed.push_back(cmd);
      continue;
    }
    std::vector<std::string> args = Words(end == std::string::npos ? std::string() : line.substr(end));
    if (word == "open" || word == "configure") {
      cmd.kind = word == "open" ? ScriptCommand::Open : ScriptCommand::Configure;
      if (args.size() > 1) return fail(word + " takes at most one number");
      if (args.size() == 1 && !ParseInt(args[0], cmd.number)) return fail(word + ": not a number: " + args[0]);
      parsed.push_back(cmd);
    } else if (word == "focus") {
      cmd.kind = ScriptCommand::Focus;
      if (args.size() != 1 || !ParseInt(args[0], cmd.number) || cmd.number < 0)
        return fail("focus takes one item index");
      parsed.push_back(cmd);
    } else if (word == "key") {
      cmd.kind = ScriptCommand::Key;
      if (args.empty() || args.size() > 2) return fail("key takes a key name and an optional xN");
      if (!ParseKeyName(args[0], cmd.key)) return fail("unknown key name: " + args[0]);
      int repeat = 1;
      if (args.size() == 2) {
        if (args[1].size() < 2 || (args[1][0] != 'x' && args[1][0] != 'X') ||
            !ParseInt(args[1].substr(1), repeat) || repeat < 1 || repeat > MaxRepeat)
          return fail("expected xN (N from 1 to " + std::to_string(MaxRepeat) + ") after the key name");
      }
      for (int i = 0; i < repeat; ++i) parsed.push_back(cmd);
    } else {
      return fail("unknown command: " + word);
    }
  }
  commands.swap(parsed);
  return true;
}

ScriptFrontEnd::ScriptFrontEnd(std::vector<ScriptCommand> cmds, StopHandler handler)
    : commands(std::move(cmds)), stop(std::move(handler)) {}

void ScriptFrontEnd::Stop(int status, const std::string& message) {
  if (stop) stop(status, message);
  // The handler must not return; if it does, end here rather than answer
  // the plug-in with something the script never said.
  std::_Exit(status);
}

void ScriptFrontEnd::Misplaced(const ScriptCommand& command, const char* what) {
  static const char* const names[] = {"open", "configure", "key", "focus", "text"};
  Stop(2, "script line " + std::to_string(command.line) + ": '" + names[command.kind] + "' while " + what);
}

const ScriptCommand& ScriptFrontEnd::NextInView(const char* what) {
  if (next >= commands.size()) Stop(3, std::string("the script ended while ") + what + " waits for input");
  return commands[next++];
}

HostCommand ScriptFrontEnd::NextHostCommand(const std::vector<std::string>&, const std::vector<std::string>&) {
  HostCommand result;
  if (next >= commands.size()) return result;  // Quit
  const ScriptCommand& cmd = commands[next++];
  switch (cmd.kind) {
    case ScriptCommand::Open:
      result.kind = HostCommand::Open;
      result.openFrom = cmd.number;
      break;
    case ScriptCommand::Configure:
      result.kind = HostCommand::Configure;
      result.itemNumber = cmd.number;
      break;
    default:
      Misplaced(cmd, "no plug-in screen is shown (only open and configure fit here)");
  }
  return result;
}

MenuAnswer ScriptFrontEnd::ShowMenu(const MenuView& menu) {
  int count = menu.items ? menu.count : 0;
  int cursor = 0;
  for (int i = 0; i < count; ++i) {
    if (menu.items[i].flags & MenuItemSelected) {
      cursor = i;
      break;
    }
  }
  for (;;) {
    const ScriptCommand& cmd = NextInView("the plug-in's menu");
    if (cmd.kind != ScriptCommand::Key) Misplaced(cmd, "the plug-in shows a menu");
    MenuAnswer answer;
    int code = FindBreakCode(menu.breakKeys, cmd.key);
    if (code >= 0) {
      answer.position = count > 0 ? cursor : -1;
      answer.breakCode = code;
      return answer;
    }
    if (cmd.key.modifiers != ModNone) continue;  // not a menu key
    int last = count > 0 ? count - 1 : 0;
    switch (cmd.key.vk) {
      case VkUp: cursor = cursor > 0 ? cursor - 1 : 0; break;
      case VkDown: cursor = cursor < last ? cursor + 1 : last; break;
      case VkHome: cursor = 0; break;
      case VkEnd: cursor = last; break;
      case VkPrior: cursor = cursor > ScriptPageLines ? cursor - ScriptPageLines : 0; break;
      case VkNext: cursor = cursor + ScriptPageLines < last ? cursor + ScriptPageLines : last; break;
      case VkReturn:
        answer.position = count > 0 ? cursor : -1;
        return answer;
      case VkEscape:
        return answer;
      default: break;  // a key the menu does not listen for
    }
  }
}

int ScriptFrontEnd::RunDialog(DialogView& dialog) {
  HostDialogItem* items = dialog.items;
  int count = items ? dialog.count : 0;
  int focus = InitialFocus(items, count);
  auto step = [&](int dir) {
    if (focus < 0) return;
    for (int i = 1; i <= count; ++i) {
      int j = ((focus + dir * i) % count + count) % count;
      if (CanTakeFocus(items[j])) {
        focus = j;
        return;
      }
    }
  };
  for (;;) {
    const ScriptCommand& cmd = NextInView("the plug-in's dialog");
    switch (cmd.kind) {
      case ScriptCommand::Focus:
        if (cmd.number >= count || !CanTakeFocus(items[cmd.number]))
          Stop(2, "script line " + std::to_string(cmd.line) + ": dialog item " + std::to_string(cmd.number) +
                      " cannot take the focus");
        focus = cmd.number;
        continue;
      case ScriptCommand::Text:
        if (focus < 0 || items[focus].kind != DialogEdit)
          Stop(2, "script line " + std::to_string(cmd.line) + ": the focus is not on an edit field");
        std::memset(items[focus].text, 0, sizeof items[focus].text);
        std::memcpy(items[focus].text, cmd.text.data(), cmd.text.size());
        continue;
      case ScriptCommand::Key:
        break;
      default:
        Misplaced(cmd, "the plug-in shows a dialog");
    }
    KeyPress key = cmd.key;
    bool shift = key.modifiers == ModShift;
    if (key.modifiers != ModNone && !shift) continue;
    switch (key.vk) {
      case VkTab: step(shift ? -1 : 1); break;
      case VkDown: if (!shift) step(1); break;
      case VkUp: if (!shift) step(-1); break;
      case VkSpace:
        if (!shift && focus >= 0 && items[focus].kind == DialogCheckBox)
          items[focus].checkState = items[focus].checkState ? 0 : 1;
        break;
      case VkReturn:
        if (shift) break;
        if (focus >= 0 && items[focus].kind == DialogButton) return focus;
        for (int i = 0; i < count; ++i) {
          if (items[i].isDefault) return i;
        }
        return focus;
      case VkEscape:
        if (!shift) return -1;
        break;
      default: break;
    }
  }
}

int ScriptFrontEnd::ShowMessage(const MessageView& message) {
  int buttons = static_cast<int>(message.buttons.size());
  int cursor = 0;
  for (;;) {
    const ScriptCommand& cmd = NextInView("a message box");
    if (cmd.kind != ScriptCommand::Key) Misplaced(cmd, "the plug-in shows a message box");
    bool shift = cmd.key.modifiers == ModShift;
    if (cmd.key.modifiers != ModNone && !shift) continue;
    switch (cmd.key.vk) {
      case VkTab:
        if (buttons) cursor = (cursor + (shift ? buttons - 1 : 1)) % buttons;
        break;
      case VkLeft:
        if (buttons && !shift) cursor = (cursor + buttons - 1) % buttons;
        break;
      case VkRight:
        if (buttons && !shift) cursor = (cursor + 1) % buttons;
        break;
      case VkReturn:
        if (!shift) return buttons ? cursor : -1;
        break;
      case VkEscape:
        if (!shift) return -1;
        break;
      default: break;
    }
  }
}

}  // namespace velk
