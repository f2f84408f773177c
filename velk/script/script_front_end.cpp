#include "script/script_front_end.h"

#include <cstdlib>

#include "core/shutdown.h"
#include "interaction/dialog_model.h"
#include "interaction/menu_model.h"
#include "interaction/message_model.h"

namespace velk {

ScriptFrontEnd::ScriptFrontEnd(std::vector<ScriptCommand> cmds, StopHandler handler)
    : commands(std::move(cmds)), stop(std::move(handler)) {}

void ScriptFrontEnd::Stop(int status, const std::string& message) {
  if (stop) stop(status, message);
  // The handler must not return; if it does, end here rather than answer
  // the plug-in with something the script never said.
  std::_Exit(status);
}

void ScriptFrontEnd::Misplaced(const ScriptCommand& command, const char* what) {
  Refused(command, std::string("'") + CommandWord(command.kind) + "' while " + what);
}

void ScriptFrontEnd::Refused(const ScriptCommand& command, const std::string& why) {
  Stop(2, "script line " + std::to_string(command.line) + ": " + why);
}

const ScriptCommand& ScriptFrontEnd::NextInView(const char* what) {
  StopIfTerminated();  // between two commands: where a termination signal ends velk
  if (next >= commands.size()) Stop(3, std::string("the script ended while ") + what + " waits for input");
  return commands[next++];
}

KeyPress ScriptFrontEnd::NextKey(const char* what, const char* shows) {
  const ScriptCommand& cmd = NextInView(what);
  if (cmd.kind != ScriptCommand::Key) Misplaced(cmd, shows);
  return cmd.key;
}

HostCommand ScriptFrontEnd::NextHostCommand(const std::vector<std::string>&, const std::vector<std::string>&) {
  HostCommand result;
  StopIfTerminated();
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
    default: Misplaced(cmd, "no plug-in screen is shown (only open and configure fit here)");
  }
  return result;
}

MenuAnswer ScriptFrontEnd::ShowMenu(const MenuView& menu) {
  MenuModel model = MenuModel::ForView(menu);
  model.SetView(ScriptPageLines);
  while (model.Feed(NextKey("the plug-in's menu", "the plug-in shows a menu")) != Step::Closed) {
  }
  return model.Answer();
}

int ScriptFrontEnd::RunDialog(DialogView& dialog) {
  DialogModel model(dialog, &history);
  while (!model.Closed()) {
    const ScriptCommand& cmd = NextInView("the plug-in's dialog");
    switch (cmd.kind) {
      case ScriptCommand::Focus:
        if (!model.SetFocus(cmd.number))
          Refused(cmd, "dialog item " + std::to_string(cmd.number) + " cannot take the focus");
        break;
      case ScriptCommand::Text:
        if (!model.SetFocusedText(cmd.text)) Refused(cmd, "the focus is not on an edit field");
        break;
      case ScriptCommand::Key: model.Feed(cmd.key); break;
      default: Misplaced(cmd, "the plug-in shows a dialog");
    }
  }
  return model.Result();
}

int ScriptFrontEnd::ShowMessage(const MessageView& message) {
  MessageModel model(static_cast<int>(message.buttons.size()));
  while (model.Feed(NextKey("a message box", "the plug-in shows a message box")) != Step::Closed) {
  }
  return model.Result();
}

}  // namespace velk
