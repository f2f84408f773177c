// velk's terminal front end. Each view the plug-in shows is an interaction
// model; this front end reads keys from the terminal, feeds them to the
// model and paints the model's state. The picture is rebuilt whole before
// every key, after a resize and after Ctrl+L or a return from Ctrl+Z, from
// the screens open at the time (the plug-in's last closed menu as a backdrop
// behind what the plug-in shows after it, then each open screen in order),
// each laid out for the screen size of that moment.
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/shutdown.h"
#include "interaction/dialog_model.h"
#include "interaction/menu_model.h"
#include "interaction/message_model.h"
#include "tui/canvas.h"
#include "tui/dialog_screen.h"
#include "tui/help_view.h"
#include "tui/menu_screen.h"
#include "tui/message_screen.h"
#include "tui/terminal.h"
#include "tui/text.h"
#include "tui/tui.h"

namespace velk {
namespace tui {
namespace {

const std::vector<KeyHint> kPluginsMenuHints = {
    {L"Enter", L"Choose"}, {L"F1", L"Help"}, {L"F10", L"Quit"}, {L"q", L"Quit"}};
// What Enter does in the plug-in's menus is the plug-in's to say (its bottom
// line), so the key bar has only velk's keys.
const std::vector<KeyHint> kMenuHints = {{L"F1", L"Help"},           {L"Esc", L"Back"},
                                         {L"F12", L"Ctrl+key"},      {L"Alt+\u2191\u2193", L"=Ctrl+\u2191\u2193"},
                                         {L"Alt+1-3", L"=Ctrl+1-3"}, {L"Alt+F1-F5", L"=Ctrl+F1-F5"}};
const std::vector<KeyHint> kDialogHints = {{L"F1", L"Help"},
                                           {L"Tab", L"Next"},
                                           {L"Enter", L"OK"},
                                           {L"Esc", L"Cancel"},
                                           {L"Ins", L"Insert/overwrite"},
                                           {L"Ctrl+\u2193", L"History"},
                                           {L"Ctrl+Y", L"Clear"}};
const std::vector<KeyHint> kHistoryHints = {{L"Enter", L"Take"}, {L"Esc", L"Close"}};
const std::vector<KeyHint> kMessageHints = {
    {L"Enter", L"Choose"}, {L"\u2190\u2192", L"Button"}, {L"Esc", L"Close"}, {L"F1", L"Help"}};
const std::vector<KeyHint> kHelpHints = {
    {L"Esc", L"Close"},           {L"Tab", L"Next link"},     {L"Enter", L"Follow"}, {L"BackSpace", L"Back"},
    {L"\u2190\u2192", L"Scroll"}, {L"Shift+F1", L"Contents"}, {L"F1", L"velk keys"}};

const std::wstring kPasteIgnored = L"Paste ignored: no edit field has the focus";

// velk's own box for Ctrl+C inside the plug-in's screens.
MessageView QuitQuestion() {
  MessageView view;
  view.lines = {"velk", "Quit velk now?", "What the plug-in has not applied yet is lost."};
  view.buttons = {"Quit", "Cancel"};
  return view;
}

bool IsCtrlC(const KeyPress& key) { return key.Is('C', KeyModCtrl); }

// One open screen: its name in the title row, its keys in the key bar and
// how it paints itself.
struct Screen {
  std::wstring name;
  std::function<std::vector<KeyHint>()> hints;
  std::function<void(Canvas&)> paint;
};

class TerminalFrontEnd : public FrontEnd {
 public:
  explicit TerminalFrontEnd(const TerminalOptions& options) : options_(options) {}

  HostCommand NextHostCommand(const std::vector<std::string>& pluginMenu,
                              const std::vector<std::string>& configMenu) override;
  MenuAnswer ShowMenu(const MenuView& view) override;
  int RunDialog(DialogView& view) override;
  int ShowMessage(const MessageView& view) override;

 private:
  // A screen on top of the others while it exists.
  class Opened {
   public:
    Opened(TerminalFrontEnd& front, const Screen& screen) : screens_(front.screens_) { screens_.push_back(&screen); }
    ~Opened() { screens_.pop_back(); }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;

   private:
    std::vector<const Screen*>& screens_;
  };

  // While the plug-in shows something (a call of the plug-in's into velk).
  class InsidePlugin {
   public:
    explicit InsidePlugin(TerminalFrontEnd& front) : front_(front) {
      ++front_.insidePlugin_;
      front_.shownSinceCommand_ = true;
    }
    ~InsidePlugin() { --front_.insidePlugin_; }
    InsidePlugin(const InsidePlugin&) = delete;
    InsidePlugin& operator=(const InsidePlugin&) = delete;

   private:
    TerminalFrontEnd& front_;
  };

  void Start() { terminal_.Start(canvas_); }
  void Repaint();
  // The next key or paste. Ctrl+C inside the plug-in's screens is taken
  // here: velk's box asks whether to quit.
  Input ReadInput();
  // The next key; a paste is ignored, with a note.
  KeyPress ReadKey();
  // Feeds keys to the model until it closes; F1 shows the help topic.
  // afterKey, when given, runs after each key or paste the model took;
  // paste, when given, takes a paste (true) or leaves it (false: it is
  // ignored, with a note).
  template <typename Model>
  void Drive(Model& model, const std::function<std::string()>& topic, const std::function<void()>& afterKey = nullptr,
             const std::function<bool(const std::u32string&)>& paste = nullptr);
  void ShowHelp(const std::string& topic);
  void ConfirmQuit();

  TerminalOptions options_;
  Terminal terminal_;
  Canvas canvas_;
  std::function<void(Canvas&)> backdrop_;  // the last menu, as it closed
  std::vector<const Screen*> screens_;
  HelpFile help_;
  bool helpLoaded_ = false;
  std::string helpError_;
  HistoryStore history_;
  std::wstring keyNote_;  // shown in the key bar until the next key
  int insidePlugin_ = 0;
  bool confirmingQuit_ = false;
  // Whether the plug-in showed anything since velk's menu last gave it a command.
  bool shownSinceCommand_ = true;
  std::wstring lastCommand_;
};

void TerminalFrontEnd::Repaint() {
  if (!terminal_.Started()) return;
  if (TooSmall(canvas_.Lines(), canvas_.Columns())) {
    canvas_.TooSmallNotice(MinColumns, MinLines);
    return;
  }
  canvas_.Begin();
  if (backdrop_) backdrop_(canvas_);
  for (const Screen* screen : screens_) screen->paint(canvas_);
  static const std::vector<KeyHint> none;
  const Screen* top = screens_.empty() ? nullptr : screens_.back();
  canvas_.End(top ? top->name : std::wstring(), terminal_.CtrlPrefixArmed() ? L" Ctrl+ \u2026 " : L"", keyNote_,
              top ? top->hints() : none);
}

Input TerminalFrontEnd::ReadInput() {
  for (;;) {
    Repaint();
    Input in = terminal_.Read();
    if ((in.kind == Input::Resize || in.kind == Input::Redraw) && options_.onResize) options_.onResize(COLS);
    if (in.kind != Input::Key && in.kind != Input::Paste) continue;
    keyNote_.clear();
    // On a screen too small to show what the keys do, they do nothing.
    if (TooSmall(canvas_.Lines(), canvas_.Columns())) {
      beep();
      continue;
    }
    if (in.kind == Input::Key && IsCtrlC(in.key) && insidePlugin_ > 0 && !confirmingQuit_) {
      ConfirmQuit();
      continue;
    }
    return in;
  }
}

KeyPress TerminalFrontEnd::ReadKey() {
  for (;;) {
    Input in = ReadInput();
    if (in.kind == Input::Key) return in.key;
    keyNote_ = kPasteIgnored;
  }
}

template <typename Model>
void TerminalFrontEnd::Drive(Model& model, const std::function<std::string()>& topic,
                             const std::function<void()>& afterKey,
                             const std::function<bool(const std::u32string&)>& paste) {
  while (!model.Closed()) {
    const Input in = ReadInput();
    if (in.kind == Input::Paste) {
      if (paste && paste(in.text)) {
        if (afterKey) afterKey();
      } else {
        keyNote_ = kPasteIgnored;
      }
      continue;
    }
    const Step step = model.Feed(in.key);
    if (afterKey) afterKey();
    if (step == Step::Help) ShowHelp(topic());
  }
}

// Ctrl+C inside the plug-in's screens: quitting there loses what the
// plug-in has not applied, so velk's own box asks first. Quit (or Ctrl+C
// again) ends velk as SIGINT does; Cancel and Esc go back to where the
// user was, and nothing else happens.
void TerminalFrontEnd::ConfirmQuit() {
  const MessageView view = QuitQuestion();
  MessageModel model(static_cast<int>(view.buttons.size()));
  const Screen screen{L"quit?", [] { return kMessageHints; }, [&](Canvas& c) { PaintMessage(c, view, model); }};
  Opened opened(*this, screen);
  confirmingQuit_ = true;
  bool quit = false;
  while (!model.Closed() && !quit) {
    const KeyPress key = ReadKey();
    if (IsCtrlC(key)) quit = true;
    else if (model.Feed(key) == Step::Help) ShowHelp(VelkKeysTopic);
  }
  confirmingQuit_ = false;
  if (!quit && model.Result() != 0) return;
  NoteConfirmedQuit();
  StopIfTerminated();
}

void TerminalFrontEnd::ShowHelp(const std::string& topic) {
  if (!helpLoaded_) {
    helpLoaded_ = true;
    if (options_.helpFile.empty()) {
      helpError_ = "velk was not given a help file for this plug-in.";
    } else if (!help_.Load(options_.helpFile, &helpError_)) {
      helpError_ += ".";
    }
  }
  HelpView view(help_, helpError_, topic);
  const Screen screen{L"help", [] { return kHelpHints; }, [&view](Canvas& c) { PaintHelp(c, view); }};
  Opened opened(*this, screen);
  Drive(view, [] { return std::string(); });
}

HostCommand TerminalFrontEnd::NextHostCommand(const std::vector<std::string>& pluginMenu,
                                              const std::vector<std::string>& configMenu) {
  Start();
  backdrop_ = nullptr;
  // A command that came back without the plug-in showing anything (its
  // Configure, say) would otherwise look as if the key did nothing.
  if (!shownSinceCommand_) keyNote_ = lastCommand_ + L": the plug-in returned without showing anything";
  MenuLines m;
  m.title = L"Plug-ins";
  m.bottom = L"F10 or q: quit";
  m.minWidth = 36;
  std::vector<HostCommand> commands;
  for (size_t i = 0; i < pluginMenu.size(); ++i) {
    m.lines.push_back(OemToScreen(pluginMenu[i]));
    commands.push_back(HostCommand{HostCommand::Open, 0, static_cast<int>(i)});
  }
  for (size_t i = 0; i < configMenu.size(); ++i) {
    m.lines.push_back(L"Configure: " + OemToScreen(configMenu[i]));
    commands.push_back(HostCommand{HostCommand::Configure, 0, static_cast<int>(i)});
  }
  m.lines.push_back(L"Quit velk");
  commands.push_back(HostCommand());
  static const uint32_t quitKeys[] = {BreakKeyWord(VkF(10)), BreakKeyWord('Q'), BreakKeyWord('C', KeyModCtrl), 0};
  MenuModel model(static_cast<int>(m.lines.size()), 0, quitKeys);
  const Screen screen{L"plug-ins", [] { return kPluginsMenuHints; }, [&](Canvas& c) { PaintMenu(c, m, model, true); }};
  Opened opened(*this, screen);
  while (!model.Closed()) {
    const KeyPress key = ReadKey();
    if (key.Is(VkEscape)) continue;  // only F10 or q leave velk
    if (model.Feed(key) == Step::Help) ShowHelp(VelkKeysTopic);
  }
  if (model.Answer().breakCode >= 0) return HostCommand();
  const HostCommand& chosen = commands[static_cast<size_t>(model.Cursor())];
  shownSinceCommand_ = false;
  lastCommand_ = chosen.kind == HostCommand::Configure ? L"Configure" : L"Open";
  return chosen;
}

MenuAnswer TerminalFrontEnd::ShowMenu(const MenuView& view) {
  Start();
  InsidePlugin inside(*this);
  // This menu takes the place of the one shown before.
  backdrop_ = nullptr;
  struct Shown {
    MenuLines lines;
    MenuModel model;
  };
  auto shown = std::make_shared<Shown>(Shown{LinesOfView(view), MenuModel::ForView(view)});
  const Screen screen{L"plug-in menu", [] { return kMenuHints; },
                      [shown](Canvas& c) { PaintMenu(c, shown->lines, shown->model, true); }};
  {
    Opened opened(*this, screen);
    Drive(shown->model, [&view] { return view.helpTopic; });
  }
  // The menu stays on the screen behind what the plug-in shows next.
  backdrop_ = [shown](Canvas& c) { PaintMenu(c, shown->lines, shown->model, false); };
  return shown->model.Answer();
}

// The note for a typed character an edit field refused.
std::wstring RefusalNote(char32_t c) {
  return std::wstring(1, static_cast<wchar_t>(c)) + L" is not in code page 437: not typed";
}

int TerminalFrontEnd::RunDialog(DialogView& view) {
  Start();
  InsidePlugin inside(*this);
  DialogModel model(view, &history_);
  DialogScreen shown(model);
  const Screen screen{L"dialog", [&model] { return model.OpenHistory() ? kHistoryHints : kDialogHints; },
                      [&shown](Canvas& c) { shown.Paint(c); }};
  Opened opened(*this, screen);
  Drive(
      model, [&model] { return model.HelpTopic(); },
      [this, &model] {
        if (model.Refused() == 0) return;
        beep();
        keyNote_ = RefusalNote(model.Refused());
      },
      [&model](const std::u32string& text) { return model.Paste(text); });
  return model.Result();
}

int TerminalFrontEnd::ShowMessage(const MessageView& view) {
  Start();
  InsidePlugin inside(*this);
  MessageModel model(static_cast<int>(view.buttons.size()));
  const bool error = (view.flags & MessageErrorReport) != 0;
  const Screen screen{error ? L"error" : L"message", [] { return kMessageHints; },
                      [&](Canvas& c) { PaintMessage(c, view, model); }};
  Opened opened(*this, screen);
  Drive(model, [&view] { return view.helpTopic; });
  return model.Result();
}

}  // namespace
}  // namespace tui

std::unique_ptr<FrontEnd> MakeTerminalFrontEnd(const TerminalOptions& options, std::string& error) {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    error = "standard input and output are not a terminal; give a script with --script";
    return nullptr;
  }
  error = tui::TerminalProblem();
  if (!error.empty()) {
    error += "; give a script with --script";
    return nullptr;
  }
  return std::make_unique<tui::TerminalFrontEnd>(options);
}

int TerminalColumns() { return tui::TerminalWidth(); }

}  // namespace velk
