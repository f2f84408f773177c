#include "script/script_parser.h"

#include <cstdlib>
#include <sstream>

#include "core/text_lines.h"
#include "host/base/host_abi.h"
#include "interaction/oem.h"

namespace velk {
namespace {

constexpr int MaxRepeat = 100000;
constexpr size_t EditCapacity = sizeof(HostDialogItem::text) - 1;

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

// "text": the rest of the line after one separating blank, taken literally.
bool ParseText(const std::string& rest, ScriptCommand& cmd, std::string& why) {
  if (!Utf8ToOem(rest, cmd.text, why)) {
    why = "text: " + why;
    return false;
  }
  if (cmd.text.size() > EditCapacity) {
    why = "text: longer than an edit field holds (" + std::to_string(EditCapacity) + " characters)";
    return false;
  }
  cmd.kind = ScriptCommand::Text;
  return true;
}

// "key NAME" or "key NAME xN": the repeat count goes to `repeat`.
bool ParseKey(const std::vector<std::string>& args, ScriptCommand& cmd, int& repeat, std::string& why) {
  cmd.kind = ScriptCommand::Key;
  if (args.empty() || args.size() > 2) {
    why = "key takes a key name and an optional xN";
    return false;
  }
  if (!ParseKeyName(args[0], cmd.key)) {
    why = "unknown key name: " + args[0];
    return false;
  }
  repeat = 1;
  if (args.size() == 2 && (args[1].size() < 2 || (args[1][0] != 'x' && args[1][0] != 'X') ||
                           !ParseInt(args[1].substr(1), repeat) || repeat < 1 || repeat > MaxRepeat)) {
    why = "expected xN (N from 1 to " + std::to_string(MaxRepeat) + ") after the key name";
    return false;
  }
  return true;
}

// The commands that take words: open, configure, focus and key.
bool ParseWords(const std::string& word, const std::vector<std::string>& args, ScriptCommand& cmd, int& repeat,
                std::string& why) {
  if (word == "open" || word == "configure") {
    cmd.kind = word == "open" ? ScriptCommand::Open : ScriptCommand::Configure;
    if (args.size() > 1) why = word + " takes at most one number";
    else if (args.size() == 1 && !ParseInt(args[0], cmd.number)) why = word + ": not a number: " + args[0];
    return why.empty();
  }
  if (word == "focus") {
    cmd.kind = ScriptCommand::Focus;
    if (args.size() != 1 || !ParseInt(args[0], cmd.number) || cmd.number < 0) why = "focus takes one item index";
    return why.empty();
  }
  if (word == "key") return ParseKey(args, cmd, repeat, why);
  why = "unknown command: " + word;
  return false;
}

}  // namespace

const char* CommandWord(ScriptCommand::Kind kind) {
  static const char* const names[] = {"open", "configure", "key", "focus", "text"};
  return names[kind];
}

bool ParseScript(const std::string& content, std::vector<ScriptCommand>& commands, std::string& error) {
  std::vector<ScriptCommand> parsed;
  TextLines lines(content);
  while (lines.Next()) {
    const std::string& line = lines.Line();
    const size_t first = lines.First();
    const size_t end = line.find_first_of(" \t", first);
    const std::string word = line.substr(first, end == std::string::npos ? std::string::npos : end - first);
    const std::string rest = end == std::string::npos ? std::string() : line.substr(end);
    ScriptCommand cmd;
    cmd.line = lines.Number();
    std::string why;
    int repeat = 1;
    bool ok = word == "text" ? ParseText(rest.empty() ? rest : rest.substr(1), cmd, why)
                             : ParseWords(word, Words(rest), cmd, repeat, why);
    if (!ok) return lines.Fail(error, why);
    parsed.insert(parsed.end(), static_cast<size_t>(repeat), cmd);
  }
  commands.swap(parsed);
  return true;
}

}  // namespace velk
