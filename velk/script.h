// velk's scripted front end: one command per line, answering the plug-in's
// menus, dialogs and message boxes as a user at the keyboard would.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "velk/dialog_items.h"
#include "velk/frontend.h"

namespace velk {

struct ScriptCommand {
  enum Kind { Open, Configure, Key, Focus, Text } kind = Key;
  int line = 0;         // line number in the script, for messages
  int number = 0;       // Open: open-from code; Configure: item; Focus: item index
  KeyPress key;         // Key
  std::string text;     // Text: the new field contents, OEM bytes
};

// Parses a whole script. "key NAME xN" becomes N key commands. On failure
// error names the line and nothing is returned.
bool ParseScript(const std::string& content, std::vector<ScriptCommand>& commands, std::string& error);

// Menus page by this many lines on PgUp and PgDn.
constexpr int ScriptPageLines = 10;

class ScriptFrontEnd : public FrontEnd {
 public:
  // Called when the script cannot go on: status 3 when it ended while the
  // plug-in waits for input, 2 when a command does not fit what is shown.
  // It must not return (velk ends the process; tests throw).
  using StopHandler = std::function<void(int status, const std::string& message)>;

  ScriptFrontEnd(std::vector<ScriptCommand> commands, StopHandler stop);

  HostCommand NextHostCommand(const std::vector<std::string>& pluginMenu,
                              const std::vector<std::string>& configMenu) override;
  MenuAnswer ShowMenu(const MenuView& menu) override;
  int RunDialog(DialogView& dialog) override;
  int ShowMessage(const MessageView& message) override;

  // Commands not yet used.
  size_t Remaining() const { return commands.size() - next; }

 private:
  // The next command while the plug-in shows |what|; stops with status 3 at
  // the end of the script.
  const ScriptCommand& NextInView(const char* what);
  [[noreturn]] void Stop(int status, const std::string& message);
  [[noreturn]] void Misplaced(const ScriptCommand& command, const char* what);

  std::vector<ScriptCommand> commands;
  size_t next = 0;
  StopHandler stop;
};

}  // namespace velk
