// velk's scripted front end: answers the plug-in's menus, dialogs and
// message boxes from a script, feeding its keys (and its focus and text
// commands) to the same menu, dialog and message-box models the terminal
// front end drives.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/front_end.h"
#include "interaction/line_editor.h"
#include "script/script_parser.h"

namespace velk {

// A script's menus page by this many lines on PgUp and PgDn.
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
  // The next command, which must be a key.
  KeyPress NextKey(const char* what, const char* shows);
  [[noreturn]] void Stop(int status, const std::string& message);
  [[noreturn]] void Misplaced(const ScriptCommand& command, const char* what);
  [[noreturn]] void Refused(const ScriptCommand& command, const std::string& why);

  std::vector<ScriptCommand> commands;
  size_t next = 0;
  StopHandler stop;
  HistoryStore history;
};

}  // namespace velk
