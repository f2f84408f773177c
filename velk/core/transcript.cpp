#include "core/transcript.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <sstream>

#include "interaction/keys.h"
#include "interaction/oem.h"

namespace velk {
namespace {

std::string Hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", v);
  return buf;
}

std::string Text(const char* s, size_t capacity) {
  size_t n = 0;
  while (n < capacity && s[n]) ++n;
  return std::string(s, n);
}

const char* KindName(int kind) {
  switch (kind) {
    case DialogItemText: return "text";
    case DialogItemFrame: return "frame";
    case DialogItemEdit: return "edit";
    case DialogItemButton: return "button";
    case DialogItemCheckBox: return "checkbox";
    default: return nullptr;
  }
}

std::string KindWord(int kind) {
  const char* name = KindName(kind);
  return name ? name : "kind " + std::to_string(kind);
}

std::string KindLabel(int kind) {
  std::string s = KindWord(kind);
  if (s.size() < 8) s.resize(8, ' ');
  return s;
}

std::string Pad(int v, int width) {
  std::string s = std::to_string(v);
  if (static_cast<int>(s.size()) < width) s.insert(0, width - s.size(), ' ');
  return s;
}

}  // namespace

std::string Quote(const std::string& oem) {
  std::string s = OemToUtf8(oem);
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += "\\\"";
    else out += c;
  }
  return out + "\"";
}

std::string DescribeMenu(const MenuView& menu, bool withBreakKeys) {
  std::ostringstream o;
  o << "-- menu " << Quote(menu.title) << "\n";
  o << "   flags " << Hex(menu.flags) << ", help " << Quote(menu.helpTopic) << ", bottom " << Quote(menu.bottom)
    << "\n";
  if (withBreakKeys) {
    o << "   break keys:";
    int n = 0;
    for (const uint32_t* k = menu.breakKeys; k && *k; ++k, ++n)
      o << (n % 16 == 0 && n ? "\n              " : " ") << BreakKeyName(*k);
    if (n == 0) o << " none";
    o << "\n";
  }
  int count = menu.items ? menu.count : 0;
  for (int i = 0; i < count; ++i) {
    const HostMenuItem& item = menu.items[i];
    o << "   " << Pad(i, 3) << ' ' << ((item.flags & MenuItemSelected) ? '>' : ' ')
      << ((item.flags & MenuItemChecked) ? "\xE2\x9C\x93" : " ") << " |" << OemToUtf8(Text(item.text, sizeof item.text))
      << "|";
    uint32_t other = item.flags & ~(MenuItemSelected | MenuItemChecked);
    if (other) o << "  flags " << Hex(other);
    o << "\n";
  }
  if (count == 0) o << "   (no lines)\n";
  return o.str();
}

std::string DescribeMenuAnswer(const MenuView& menu, const MenuAnswer& answer) {
  std::ostringstream o;
  if (answer.position < 0) {
    o << "   => escape (-1)";
    if (answer.breakCode != -1) o << ", break code " << answer.breakCode;
  } else {
    o << "   => line " << answer.position << ", ";
    if (answer.breakCode < 0) {
      o << "Enter (break code -1)";
    } else {
      o << "break code " << answer.breakCode;
      if (menu.breakKeys) o << " (" << BreakKeyName(menu.breakKeys[answer.breakCode]) << ")";
    }
  }
  o << "\n";
  return o.str();
}

std::string DescribeDialog(const DialogView& dialog) {
  std::ostringstream o;
  o << "-- dialog " << dialog.width << "x" << dialog.height << ", help " << Quote(dialog.helpTopic) << ", "
    << dialog.count << " items\n";
  for (int i = 0; i < dialog.count && dialog.items; ++i) {
    const HostDialogItem& it = dialog.items[i];
    o << "   " << Pad(i, 3) << ' ' << (it.hasFocus ? '*' : ' ') << KindLabel(it.kind) << ' ' << it.left << ','
      << it.top;
    if (it.right || it.bottom) o << '-' << it.right << ',' << it.bottom;
    if (it.kind == DialogItemCheckBox) o << (it.checkState ? " [x]" : " [ ]");
    o << ' ' << Quote(Text(it.text, sizeof it.text));
    if (it.kind == DialogItemEdit && (it.flags & DialogHistoryFlag) && it.historyName)
      o << " history " << Quote(it.historyName);
    if (it.isDefault) o << " default";
    if (it.flags) o << " flags " << Hex(it.flags);
    o << "\n";
  }
  return o.str();
}

std::string DescribeDialogChanges(const std::vector<HostDialogItem>& before, const DialogView& after) {
  std::ostringstream o;
  for (int i = 0; i < after.count && i < static_cast<int>(before.size()); ++i) {
    const HostDialogItem& a = before[i];
    const HostDialogItem& b = after.items[i];
    std::string ta = Text(a.text, sizeof a.text), tb = Text(b.text, sizeof b.text);
    if (ta != tb) o << "      item " << i << " text " << Quote(ta) << " -> " << Quote(tb) << "\n";
    bool history = (a.flags & DialogHistoryFlag) != 0;
    if (b.kind == DialogItemCheckBox && !history && a.checkState != b.checkState)
      o << "      item " << i << " check " << (a.checkState ? "[x]" : "[ ]") << " -> " << (b.checkState ? "[x]" : "[ ]")
        << "\n";
  }
  return o.str();
}

namespace {

// "   => escape (-1)" for a negative result, else "   => WHAT N" with the
// detail in brackets when there is one.
std::string DescribeAnswer(const char* what, int result, const std::optional<std::string>& detail) {
  if (result < 0) return "   => escape (-1)\n";
  std::ostringstream o;
  o << "   => " << what << " " << result;
  if (detail) o << " (" << *detail << ")";
  o << "\n";
  return o.str();
}

}  // namespace

std::string DescribeDialogAnswer(const DialogView& dialog, int result) {
  std::optional<std::string> detail;
  if (result >= 0 && result < dialog.count && dialog.items) {
    const HostDialogItem& item = dialog.items[result];
    detail = KindWord(item.kind) + " " + Quote(Text(item.text, sizeof item.text));
  }
  return DescribeAnswer("item", result, detail);
}

std::string DescribeMessage(const MessageView& message) {
  std::ostringstream o;
  o << "-- message flags " << Hex(message.flags) << ", help "
    << (message.helpTopic.empty() ? std::string("none") : Quote(message.helpTopic)) << "\n";
  for (const std::string& line : message.lines) o << "   | " << OemToUtf8(line) << "\n";
  o << "   buttons:";
  for (const std::string& b : message.buttons) o << " [" << OemToUtf8(b) << "]";
  if (message.buttons.empty()) o << " none";
  o << "\n";
  return o.str();
}

std::string DescribeMessageAnswer(const MessageView& message, int result) {
  const bool named = result >= 0 && result < static_cast<int>(message.buttons.size());
  return DescribeAnswer("button", result,
                        named ? std::optional<std::string>(OemToUtf8(message.buttons[result])) : std::nullopt);
}

TranscriptFrontEnd::TranscriptFrontEnd(FrontEnd& in, std::ostream& o) : inner(in), out(o) {}

void TranscriptFrontEnd::Note(const std::string& line) { out << "== " << line << "\n"; }

void TranscriptFrontEnd::Flush() { out.flush(); }

HostCommand TranscriptFrontEnd::NextHostCommand(const std::vector<std::string>& pluginMenu,
                                                const std::vector<std::string>& configMenu) {
  out.flush();
  return inner.NextHostCommand(pluginMenu, configMenu);
}

MenuAnswer TranscriptFrontEnd::ShowMenu(const MenuView& menu) {
  std::vector<uint32_t> keys;
  for (const uint32_t* k = menu.breakKeys; k && *k; ++k) keys.push_back(*k);
  bool same = haveBreakKeys && keys == lastBreakKeys;
  out << DescribeMenu(menu, !same);
  if (same) out << "   break keys: as before\n";
  lastBreakKeys = keys;
  haveBreakKeys = true;
  out.flush();
  MenuAnswer answer = inner.ShowMenu(menu);
  out << DescribeMenuAnswer(menu, answer);
  return answer;
}

int TranscriptFrontEnd::RunDialog(DialogView& dialog) {
  out << DescribeDialog(dialog);
  out.flush();
  std::vector<HostDialogItem> before;
  if (dialog.items && dialog.count > 0) before.assign(dialog.items, dialog.items + dialog.count);
  int result = inner.RunDialog(dialog);
  out << DescribeDialogAnswer(dialog, result) << DescribeDialogChanges(before, dialog);
  return result;
}

int TranscriptFrontEnd::ShowMessage(const MessageView& message) {
  out << DescribeMessage(message);
  out.flush();
  int result = inner.ShowMessage(message);
  out << DescribeMessageAnswer(message, result);
  return result;
}

}  // namespace velk
