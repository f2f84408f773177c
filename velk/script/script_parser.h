// velk's script language: one command per line (open, configure, key,
// focus, text), as docs/velk.md documents it.
#pragma once

#include <string>
#include <vector>

#include "interaction/keys.h"

namespace velk {

struct ScriptCommand {
  enum Kind { Open, Configure, Key, Focus, Text } kind = Key;
  int line = 0;      // line number in the script, for messages
  int number = 0;    // Open: open-from code; Configure: item; Focus: item index
  KeyPress key;      // Key
  std::string text;  // Text: the new field contents, OEM bytes
};

// The command's word as a script writes it ("open", "key", ...).
const char* CommandWord(ScriptCommand::Kind kind);

// Parses a whole script. "key NAME xN" becomes N key commands. On failure
// error names the line and nothing is returned.
bool ParseScript(const std::string& content, std::vector<ScriptCommand>& commands, std::string& error);

}  // namespace velk
