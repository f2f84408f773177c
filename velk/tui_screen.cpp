// velk's interactive front end on an ncursesw screen.
//
// Every screen is a modal loop: paint everything, read one key, act on it.
// The picture is rebuilt from layers on every pass (the desktop, the last
// closed menu as a backdrop, then each open screen in order), so a resized
// terminal or a help window that covered a dialog is always repainted right.
#define NCURSES_WIDECHAR 1
#include <curses.h>
#include <langinfo.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "velk/tui.h"
#include "velk/tui_parts.h"

namespace velk {
namespace tui {
namespace {

// Item kinds and flags of the host's dialog and message box.
constexpr int KindText = 0, KindSingleFrame = 2, KindDoubleFrame = 3, KindEdit = 4, KindButton = 7, KindCheckBox = 8;
constexpr uint32_t MessageErrorFlag = 0x2;
constexpr int EditCapacity = 511;  // a dialog item's text holds 511 bytes

constexpr const char* kVelkKeysTopic = "VelkKeys";
constexpr const char* kContentsTopic = "Contents";

// Terminal control sequences for the extended key reports: xterm's
// modifyOtherKeys (level 1) and the "disambiguate" level of the progressive
// keyboard protocol some terminals have. Terminals without them ignore both.
constexpr char kKeysOn[] = "\033[>4;1m\033[>1u";
constexpr char kKeysOff[] = "\033[>4m\033[<u";

// A signal that ends velk while the screen is up (Ctrl+C, a closed
// terminal) must still switch the extended key reports off again, or the
// shell behind velk gets keys it does not understand. ncurses' own handler,
// when it installed one, then restores the terminal.
struct sigaction previousHandlers[4];
constexpr int kEndingSignals[4] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void OnEndingSignal(int sig) {
  ssize_t ignored = write(STDOUT_FILENO, kKeysOff, sizeof kKeysOff - 1);
  (void)ignored;
  for (int i = 0; i < 4; ++i) {
    if (kEndingSignals[i] != sig) continue;
    sigaction(sig, &previousHandlers[i], nullptr);
    if (previousHandlers[i].sa_handler != SIG_DFL && previousHandlers[i].sa_handler != SIG_IGN &&
        !(previousHandlers[i].sa_flags & SA_SIGINFO)) {
      previousHandlers[i].sa_handler(sig);
      return;
    }
  }
  raise(sig);
}

void CatchEndingSignals(bool on) {
  for (int i = 0; i < 4; ++i) {
    if (on) {
      struct sigaction action {};
      action.sa_handler = OnEndingSignal;
      sigemptyset(&action.sa_mask);
      sigaction(kEndingSignals[i], &action, &previousHandlers[i]);
    } else {
      sigaction(kEndingSignals[i], &previousHandlers[i], nullptr);
    }
  }
}

std::wstring Repeat(wchar_t c, int n) { return n > 0 ? std::wstring(static_cast<size_t>(n), c) : std::wstring(); }

size_t OemLength(const char* text, size_t capacity) {
  size_t n = 0;
  while (n < capacity && text[n] != 0) ++n;
  return n;
}

// Word-wraps a line to the width; a word longer than the width is cut.
std::vector<std::wstring> Wrap(const std::wstring& line, int width) {
  std::vector<std::wstring> out;
  if (width < 1 || static_cast<int>(line.size()) <= width) {
    out.push_back(line);
    return out;
  }
  std::wstring rest = line;
  while (static_cast<int>(rest.size()) > width) {
    size_t cut = rest.rfind(L' ', static_cast<size_t>(width));
    if (cut == std::wstring::npos || cut == 0) cut = static_cast<size_t>(width);
    out.push_back(rest.substr(0, cut));
    rest = rest.substr(cut);
    while (!rest.empty() && rest.front() == L' ') rest.erase(0, 1);
  }
  if (!rest.empty()) out.push_back(rest);
  return out;
}

struct Styles {
  attr_t desk = A_NORMAL, title = A_REVERSE;
  attr_t menu = A_NORMAL, menuCursor = A_REVERSE, menuFrame = A_NORMAL;
  attr_t dialog = A_NORMAL, edit = A_UNDERLINE, focus = A_REVERSE, defaultButton = A_BOLD;
  attr_t error = A_BOLD, errorFocus = A_REVERSE;
  attr_t help = A_NORMAL, link = A_BOLD, linkSelected = A_REVERSE;
  attr_t keyName = A_BOLD, keyText = A_REVERSE;
};

struct KeyHint {
  const wchar_t* key;
  const wchar_t* label;
};

// A list box: the plug-in's menu, velk's plug-ins menu, a history list.
struct MenuState {
  std::wstring title, bottom;
  std::vector<std::wstring> lines;
  std::vector<bool> checked;
  int cursor = 0, top = 0, hscroll = 0;
  int fixedX = -1, fixedY = -1;  // placement of a drop-down list; -1 centres
  int minWidth = 0;
  int maxVisible = 0;  // 0: as many lines as fit
};

struct MenuGeometry {
  int x = 0, y = 0, w = 0, h = 0, visible = 1, textWidth = 0, avail = 0;
};

class TerminalFrontEnd : public FrontEnd {
 public:
  explicit TerminalFrontEnd(const TerminalOptions& options) : options_(options) {}
  ~TerminalFrontEnd() override { Stop(); }

  HostCommand NextHostCommand(const std::vector<std::string>& pluginMenu,
                              const std::vector<std::string>& configMenu) override;
  MenuAnswer ShowMenu(const MenuView& menu) override;
  int RunDialog(DialogView& dialog) override;
  int ShowMessage(const MessageView& message) override;

 private:
  void Start();
  void Stop();
  void LearnExtendedKeys();
  Input ReadInput();
  Input ReadEscape();
  Input FromCursesKey(int code);

  // Painting.
  void Repaint();
  void Put(int y, int x, const std::wstring& s, attr_t attr, int maxWidth = -1);
  void Fill(int y, int x, int w, attr_t attr) { Put(y, x, Repeat(L' ', w), attr); }
  void Frame(int y, int x, int h, int w, bool dbl, attr_t attr, const std::wstring& title = std::wstring(),
             const std::wstring& bottom = std::wstring());
  MenuGeometry Geometry(const MenuState& m) const;
  void PaintMenu(const MenuState& m, bool active);
  void KeepCursorVisible(MenuState& m);
  void SetCursor(int y, int x, bool overwrite) {
    cursorY_ = y;
    cursorX_ = x;
    cursorShape_ = overwrite ? 2 : 1;
  }

  // Screens.
  // Runs a list box until Enter (true), Esc (false) or a key `handler`
  // takes (the handler returns true to close the list).
  bool RunList(MenuState& m, const std::vector<KeyHint>& hints, const std::string& helpTopic,
               const std::function<bool(const Input&, bool* closed)>& handler);
  void ShowHelp(std::string topic);
  bool OpenHistory(HostDialogItem& item, LineEditor& editor, int screenX, int screenY, int width);

  TerminalOptions options_;
  bool started_ = false;
  Styles st_;
  std::vector<std::pair<int, KeyPress>> extendedKeys_;
  bool ctrlPrefix_ = false;
  std::FILE* keyLog_ = nullptr;  // VELK_KEYLOG: every key read, by name

  std::function<void()> backdrop_;  // the last menu, frozen as it closed
  std::vector<std::function<void()>> layers_;
  std::vector<KeyHint> hints_;
  std::wstring screenName_;
  int cursorY_ = -1, cursorX_ = -1, cursorShape_ = 0;

  HelpFile help_;
  bool helpLoaded_ = false;
  std::string helpError_;
  HistoryStore history_;
};

// RAII for a painting layer of one screen.
class Layer {
 public:
  Layer(std::vector<std::function<void()>>& layers, std::function<void()> paint) : layers_(layers) {
    layers_.push_back(std::move(paint));
  }
  ~Layer() { layers_.pop_back(); }
  Layer(const Layer&) = delete;
  Layer& operator=(const Layer&) = delete;

 private:
  std::vector<std::function<void()>>& layers_;
};

// ---------------------------------------------------------------- terminal

void TerminalFrontEnd::Start() {
  if (started_) return;
  started_ = true;
  // ncursesw draws wide characters only in a locale with a multibyte
  // character type. An unset environment (the "C" locale) is taken to be a
  // UTF-8 terminal, as nearly every terminal is today.
  std::setlocale(LC_CTYPE, "");
  const char* codeset = nl_langinfo(CODESET);
  if (codeset && std::strcmp(codeset, "UTF-8") != 0 && std::strcmp(codeset, "utf8") != 0) {
    if (std::strcmp(codeset, "ANSI_X3.4-1968") == 0 || std::strcmp(codeset, "ASCII") == 0) {
      std::setlocale(LC_CTYPE, "C.UTF-8");
    }
  }
  set_escdelay(40);
  initscr();
  cbreak();
  noecho();
  nonl();
  intrflush(stdscr, FALSE);
  keypad(stdscr, TRUE);
  meta(stdscr, TRUE);
  if (has_colors()) {
    start_color();
    init_pair(1, COLOR_WHITE, COLOR_BLUE);
    init_pair(2, COLOR_BLACK, COLOR_CYAN);
    init_pair(3, COLOR_WHITE, COLOR_BLACK);
    init_pair(4, COLOR_BLACK, COLOR_WHITE);
    init_pair(5, COLOR_WHITE, COLOR_RED);
    init_pair(6, COLOR_YELLOW, COLOR_CYAN);
    init_pair(7, COLOR_YELLOW, COLOR_BLUE);
    st_.desk = COLOR_PAIR(1);
    st_.title = COLOR_PAIR(2);
    st_.menu = COLOR_PAIR(2);
    st_.menuFrame = COLOR_PAIR(2) | A_BOLD;
    st_.menuCursor = COLOR_PAIR(3) | A_BOLD;
    st_.dialog = COLOR_PAIR(4);
    st_.edit = COLOR_PAIR(2);
    st_.focus = COLOR_PAIR(3) | A_BOLD;
    st_.defaultButton = COLOR_PAIR(4) | A_BOLD;
    st_.error = COLOR_PAIR(5) | A_BOLD;
    st_.errorFocus = COLOR_PAIR(4) | A_BOLD;
    st_.help = COLOR_PAIR(2);
    st_.link = COLOR_PAIR(6) | A_BOLD;
    st_.linkSelected = COLOR_PAIR(3) | A_BOLD;
    st_.keyName = COLOR_PAIR(7) | A_BOLD;
    st_.keyText = COLOR_PAIR(2);
  }
  LearnExtendedKeys();
  if (const char* log = std::getenv("VELK_KEYLOG")) keyLog_ = std::fopen(log, "a");
  refresh();
  if (write(STDOUT_FILENO, kKeysOn, sizeof kKeysOn - 1) < 0) {
    // Not being able to ask for extended keys only leaves the alternatives.
  }
  CatchEndingSignals(true);
}

void TerminalFrontEnd::Stop() {
  if (!started_) return;
  started_ = false;
  CatchEndingSignals(false);
  curs_set(1);
  erase();
  refresh();
  if (write(STDOUT_FILENO, kKeysOff, sizeof kKeysOff - 1) < 0) {
    // Nothing to do: the terminal is being given back anyway.
  }
  endwin();
  if (keyLog_) std::fclose(keyLog_);
  keyLog_ = nullptr;
}

// Modified cursor and editing keys that the terminal description names as
// extended capabilities (kUP5 is Ctrl+Up, kDN3 Alt+Down, ...), and the
// application keypad's operator keys.
void TerminalFrontEnd::LearnExtendedKeys() {
  static const std::pair<const char*, uint16_t> bases[] = {
      {"kUP", VkUp},   {"kDN", VkDown}, {"kLFT", VkLeft}, {"kRIT", VkRight}, {"kHOM", VkHome},
      {"kEND", VkEnd}, {"kNXT", VkNext}, {"kPRV", VkPrior}, {"kDC", VkDelete}, {"kIC", VkInsert}};
  for (const auto& [base, vk] : bases) {
    for (int mod = 2; mod <= 8; ++mod) {
      std::string name = std::string(base) + std::to_string(mod);
      char* seq = tigetstr(name.c_str());
      if (!seq || seq == reinterpret_cast<char*>(-1)) continue;
      int code = key_defined(seq);
      if (code > 0) extendedKeys_.push_back({code, KeyPress{vk, ModifiersFromXtermParameter(mod)}});
    }
  }
  static const std::pair<const char*, uint16_t> keypadKeys[] = {
      {"kpADD", VkAdd}, {"kpSUB", VkSubtract}, {"kpMUL", VkMultiply}, {"kpDIV", VkDivide}};
  for (const auto& [name, vk] : keypadKeys) {
    char* seq = tigetstr(name);
    if (!seq || seq == reinterpret_cast<char*>(-1)) continue;
    int code = key_defined(seq);
    if (code > 0) extendedKeys_.push_back({code, KeyPress{vk, ModNone}});
  }
}

Input TerminalFrontEnd::FromCursesKey(int code) {
  for (const auto& [known, key] : extendedKeys_) {
    if (known == code) return KeyInput(key.vk, key.modifiers);
  }
  if (code >= KEY_F(1) && code <= KEY_F(60)) {
    // The usual numbering of terminal descriptions: F13-F24 are Shift+F1-F12,
    // F25-F36 Ctrl, F37-F48 Ctrl+Shift, F49-F60 Alt.
    int n = code - KEY_F(1);
    static const uint16_t mods[] = {ModNone, ModShift, ModCtrl, ModCtrl | ModShift, ModAlt};
    return KeyInput(static_cast<uint16_t>(VkF1 + n % 12), mods[n / 12]);
  }
  switch (code) {
    case KEY_UP: return KeyInput(VkUp);
    case KEY_DOWN: return KeyInput(VkDown);
    case KEY_LEFT: return KeyInput(VkLeft);
    case KEY_RIGHT: return KeyInput(VkRight);
    case KEY_HOME: case KEY_A1: return KeyInput(VkHome);
    case KEY_END: case KEY_C1: return KeyInput(VkEnd);
    case KEY_PPAGE: case KEY_A3: return KeyInput(VkPrior);
    case KEY_NPAGE: case KEY_C3: return KeyInput(VkNext);
    case KEY_IC: return KeyInput(VkInsert);
    case KEY_DC: return KeyInput(VkDelete);
    case KEY_BACKSPACE: return KeyInput(VkBack);
    case KEY_ENTER: return KeyInput(VkReturn);
    case KEY_BTAB: return KeyInput(VkTab, ModShift);
    case KEY_SLEFT: return KeyInput(VkLeft, ModShift);
    case KEY_SRIGHT: return KeyInput(VkRight, ModShift);
    case KEY_SR: return KeyInput(VkUp, ModShift);
    case KEY_SF: return KeyInput(VkDown, ModShift);
    case KEY_SHOME: return KeyInput(VkHome, ModShift);
    case KEY_SEND: return KeyInput(VkEnd, ModShift);
    case KEY_SDC: return KeyInput(VkDelete, ModShift);
    case KEY_SIC: return KeyInput(VkInsert, ModShift);
    default: return Input();
  }
}

Input TerminalFrontEnd::ReadEscape() {
  std::string seq;
  timeout(40);
  Input result;
  for (;;) {
    wint_t ch = 0;
    int r = get_wch(&ch);
    if (r == ERR) {
      result = seq.empty() ? KeyInput(VkEscape) : DecodeEscapeSequence(seq);
      break;
    }
    if (r == KEY_CODE_YES) {
      // A decoded key right after ESC: Esc, then that key on the next read.
      ungetch(static_cast<int>(ch));
      result = seq.empty() ? KeyInput(VkEscape) : DecodeEscapeSequence(seq);
      break;
    }
    if (seq.empty() && ch == 27) {
      unget_wch(ch);
      result = KeyInput(VkEscape);
      break;
    }
    if (ch >= 0x80) {
      if (seq.empty()) {
        result = InputFromCharacter(static_cast<wchar_t>(ch));
        result.key.modifiers |= ModAlt;
        result.ch = 0;
      }
      break;
    }
    seq.push_back(static_cast<char>(ch));
    if (EscapeSequenceComplete(seq) || seq.size() > 32) {
      result = DecodeEscapeSequence(seq);
      break;
    }
  }
  timeout(-1);
  return result;
}

Input TerminalFrontEnd::ReadInput() {
  for (;;) {
    Repaint();
    wint_t ch = 0;
    int r = get_wch(&ch);
    Input in;
    if (r == ERR) continue;
    if (r == KEY_CODE_YES) {
      if (ch == KEY_RESIZE) {
        if (options_.onResize) options_.onResize(COLS);
        in.kind = Input::Resize;
        return in;
      }
      in = FromCursesKey(static_cast<int>(ch));
    } else if (ch == 27) {
      in = ReadEscape();
    } else {
      in = InputFromCharacter(static_cast<wchar_t>(ch));
    }
    if (in.kind != Input::Key) continue;
    if (in.key.vk == VkF1 + 11 && in.key.modifiers == ModNone) {
      ctrlPrefix_ = !ctrlPrefix_;  // F12: the next key is taken with Ctrl
      continue;
    }
    if (ctrlPrefix_) {
      ctrlPrefix_ = false;
      in = WithCtrl(in);
    }
    in = ApplyAlternativeKeys(in);
    if (keyLog_) {
      std::fprintf(keyLog_, "%s\n", KeyName(in.key).c_str());
      std::fflush(keyLog_);
    }
    return in;
  }
}

// ---------------------------------------------------------------- painting

void TerminalFrontEnd::Put(int y, int x, const std::wstring& s, attr_t attr, int maxWidth) {
  if (y < 0 || y >= LINES) return;
  std::wstring text = s;
  if (maxWidth >= 0 && static_cast<int>(text.size()) > maxWidth) text.resize(static_cast<size_t>(maxWidth));
  if (x < 0) {
    if (static_cast<int>(text.size()) <= -x) return;
    text.erase(0, static_cast<size_t>(-x));
    x = 0;
  }
  int n = std::min(static_cast<int>(text.size()), COLS - x);
  if (n <= 0) return;
  attrset(attr);
  mvaddnwstr(y, x, text.c_str(), n);
}

void TerminalFrontEnd::Frame(int y, int x, int h, int w, bool dbl, attr_t attr, const std::wstring& title,
                             const std::wstring& bottom) {
  if (w < 2 || h < 2) return;
  const wchar_t hz = dbl ? L'\u2550' : L'\u2500', vt = dbl ? L'\u2551' : L'\u2502';
  Put(y, x, std::wstring(1, dbl ? L'\u2554' : L'\u250C') + Repeat(hz, w - 2) + (dbl ? L'\u2557' : L'\u2510'), attr);
  for (int r = 1; r < h - 1; ++r) {
    Put(y + r, x, std::wstring(1, vt), attr);
    Put(y + r, x + w - 1, std::wstring(1, vt), attr);
  }
  Put(y + h - 1, x, std::wstring(1, dbl ? L'\u255A' : L'\u2514') + Repeat(hz, w - 2) + (dbl ? L'\u255D' : L'\u2518'),
      attr);
  auto label = [&](int row, const std::wstring& text) {
    if (text.empty() || w < 6) return;
    std::wstring shown = L" " + text + L" ";
    if (static_cast<int>(shown.size()) > w - 4) shown = shown.substr(0, static_cast<size_t>(w - 4));
    Put(row, x + (w - static_cast<int>(shown.size())) / 2, shown, attr);
  };
  label(y, title);
  label(y + h - 1, bottom);
}

void TerminalFrontEnd::Repaint() {
  if (!started_) return;
  erase();
  for (int y = 0; y < LINES; ++y) Fill(y, 0, COLS, st_.desk);
  cursorY_ = cursorX_ = -1;
  if (backdrop_) backdrop_();
  for (auto& layer : layers_) layer();
  // Title row.
  Fill(0, 0, COLS, st_.title);
  Put(0, 1, L"velk" + (screenName_.empty() ? std::wstring() : L" \u2502 " + screenName_), st_.title);
  if (ctrlPrefix_) {
    std::wstring armed = L" Ctrl+ \u2026 ";
    Put(0, COLS - static_cast<int>(armed.size()) - 1, armed, st_.focus);
  }
  // Key bar.
  int x = 0;
  Fill(LINES - 1, 0, COLS, st_.keyText);
  for (const KeyHint& hint : hints_) {
    std::wstring key = hint.key, label = hint.label;
    if (x + static_cast<int>(key.size() + label.size()) + 2 > COLS) break;
    Put(LINES - 1, x, key, st_.keyName);
    x += static_cast<int>(key.size());
    Put(LINES - 1, x, L" " + label + L" ", st_.keyText);
    x += static_cast<int>(label.size()) + 3;
  }
  if (cursorY_ >= 0 && cursorX_ >= 0 && cursorY_ < LINES && cursorX_ < COLS) {
    curs_set(cursorShape_);
    move(cursorY_, cursorX_);
  } else {
    curs_set(0);
  }
  refresh();
}

MenuGeometry TerminalFrontEnd::Geometry(const MenuState& m) const {
  MenuGeometry g;
  for (const auto& line : m.lines) g.textWidth = std::max(g.textWidth, static_cast<int>(line.size()));
  int inner = std::max({g.textWidth + 3, static_cast<int>(m.title.size()) + 6, static_cast<int>(m.bottom.size()) + 4,
                        m.minWidth});
  g.w = std::min(inner + 2, COLS);
  g.avail = std::max(0, g.w - 5);
  int areaTop = 1, areaHeight = std::max(3, LINES - 2);
  if (m.fixedY >= 0) {
    areaTop = m.fixedY;
    areaHeight = std::max(3, LINES - 1 - m.fixedY);
  }
  g.visible = std::max(1, std::min(static_cast<int>(m.lines.size()), areaHeight - 2));
  if (m.maxVisible > 0) g.visible = std::min(g.visible, m.maxVisible);
  g.h = g.visible + 2;
  g.x = m.fixedX >= 0 ? std::max(0, std::min(m.fixedX, COLS - g.w)) : (COLS - g.w) / 2;
  g.y = m.fixedY >= 0 ? areaTop : areaTop + (areaHeight - g.h) / 2;
  return g;
}

void TerminalFrontEnd::KeepCursorVisible(MenuState& m) {
  MenuGeometry g = Geometry(m);
  int n = static_cast<int>(m.lines.size());
  m.cursor = std::max(0, std::min(m.cursor, n - 1));
  if (m.cursor < m.top) m.top = m.cursor;
  if (m.cursor >= m.top + g.visible) m.top = m.cursor - g.visible + 1;
  m.top = std::max(0, std::min(m.top, std::max(0, n - g.visible)));
  m.hscroll = std::max(0, std::min(m.hscroll, std::max(0, g.textWidth - g.avail)));
}

void TerminalFrontEnd::PaintMenu(const MenuState& m, bool active) {
  MenuGeometry g = Geometry(m);
  for (int r = 0; r < g.h; ++r) Fill(g.y + r, g.x, g.w, st_.menu);
  Frame(g.y, g.x, g.h, g.w, true, st_.menuFrame, m.title, m.bottom);
  const int n = static_cast<int>(m.lines.size());
  for (int r = 0; r < g.visible; ++r) {
    int i = m.top + r;
    if (i >= n) break;
    const bool cursor = i == m.cursor;
    attr_t attr = cursor ? st_.menuCursor : st_.menu;
    int y = g.y + 1 + r;
    Fill(y, g.x + 1, g.w - 2, attr);
    if (i < static_cast<int>(m.checked.size()) && m.checked[static_cast<size_t>(i)]) {
      Put(y, g.x + 2, L"\u221A", attr);
    }
    const std::wstring& line = m.lines[static_cast<size_t>(i)];
    if (m.hscroll < static_cast<int>(line.size())) {
      Put(y, g.x + 3, line.substr(static_cast<size_t>(m.hscroll)), attr, g.avail);
    }
    if (m.hscroll > 0) Put(y, g.x + 1, L"\u00AB", attr);
    if (static_cast<int>(line.size()) - m.hscroll > g.avail) Put(y, g.x + g.w - 2, L"\u00BB", attr);
    if (cursor && active) SetCursor(y, g.x + 2, false);
  }
  if (n > g.visible && g.visible >= 2) {
    int bx = g.x + g.w - 1;
    Put(g.y + 1, bx, L"\u25B2", st_.menuFrame);
    Put(g.y + g.visible, bx, L"\u25BC", st_.menuFrame);
    int track = g.visible - 2;
    for (int r = 0; r < track; ++r) Put(g.y + 2 + r, bx, L"\u2591", st_.menuFrame);
    if (track > 0) {
      int thumb = n <= 1 ? 0 : m.cursor * (track - 1) / (n - 1);
      Put(g.y + 2 + thumb, bx, L"\u2588", st_.menuFrame);
    }
  }
  if (active) cursorShape_ = 0;  // the highlighted line is the cursor
}

// ---------------------------------------------------------------- screens

bool TerminalFrontEnd::RunList(MenuState& m, const std::vector<KeyHint>& hints, const std::string& helpTopic,
                               const std::function<bool(const Input&, bool* closed)>& handler) {
  Layer layer(layers_, [this, &m] { PaintMenu(m, true); });
  for (;;) {
    hints_ = hints;
    KeepCursorVisible(m);
    Input in = ReadInput();
    if (in.kind != Input::Key) continue;
    bool closed = false;
    if (handler && handler(in, &closed)) return closed;
    const int n = static_cast<int>(m.lines.size());
    const int page = std::max(1, Geometry(m).visible - 1);
    const KeyPress k = in.key;
    if (k.modifiers != ModNone && k.modifiers != ModCtrl) continue;
    switch (k.vk) {
      case VkUp: m.cursor = std::max(0, m.cursor - 1); break;
      case VkDown: m.cursor = std::min(n - 1, m.cursor + 1); break;
      case VkHome: m.cursor = 0; break;
      case VkEnd: m.cursor = n - 1; break;
      case VkPrior: m.cursor = std::max(0, m.cursor - page); break;
      case VkNext: m.cursor = std::min(n - 1, m.cursor + page); break;
      case VkLeft: m.hscroll -= 4; break;
      case VkRight: m.hscroll += 4; break;
      case VkReturn: if (k.modifiers == ModNone) return true; break;
      case VkEscape: return false;
      case VkF1: if (k.modifiers == ModNone) ShowHelp(helpTopic); break;
      default: break;
    }
  }
}

HostCommand TerminalFrontEnd::NextHostCommand(const std::vector<std::string>& pluginMenu,
                                              const std::vector<std::string>& configMenu) {
  Start();
  backdrop_ = nullptr;
  screenName_ = L"plug-ins";
  MenuState m;
  m.title = L"Plug-ins";
  m.bottom = L"F10 or q: quit";
  m.minWidth = 36;
  std::vector<HostCommand> commands;
  for (size_t i = 0; i < pluginMenu.size(); ++i) {
    m.lines.push_back(OemToWide(pluginMenu[i]));
    HostCommand c;
    c.kind = HostCommand::Open;
    c.openFrom = 0;
    c.itemNumber = static_cast<int>(i);
    commands.push_back(c);
  }
  for (size_t i = 0; i < configMenu.size(); ++i) {
    m.lines.push_back(L"Configure: " + OemToWide(configMenu[i]));
    HostCommand c;
    c.kind = HostCommand::Configure;
    c.itemNumber = static_cast<int>(i);
    commands.push_back(c);
  }
  m.lines.push_back(L"Quit velk");
  commands.push_back(HostCommand());
  const std::vector<KeyHint> hints = {{L"Enter", L"Choose"}, {L"F1", L"Help"}, {L"F10", L"Quit"}, {L"q", L"Quit"}};
  bool quit = false;
  for (;;) {
    bool chosen = RunList(m, hints, kVelkKeysTopic, [&](const Input& in, bool* closed) {
      bool isQuit = (in.key.vk == VkF1 + 9 && in.key.modifiers == ModNone) ||
                    (in.key.vk == 'Q' && in.key.modifiers == ModNone);
      if (!isQuit) return false;
      quit = true;
      *closed = false;
      return true;
    });
    if (quit) return HostCommand();
    if (chosen) break;  // Esc does nothing here: only F10 or q leaves velk
  }
  screenName_.clear();
  return commands[static_cast<size_t>(m.cursor)];
}

MenuAnswer TerminalFrontEnd::ShowMenu(const MenuView& view) {
  Start();
  auto m = std::make_shared<MenuState>();
  m->title = OemToWide(view.title);
  m->bottom = OemToWide(view.bottom);
  int selected = -1;
  for (int i = 0; i < view.count; ++i) {
    const HostMenuItem& item = view.items[i];
    m->lines.push_back(OemToWide(std::string_view(item.text, OemLength(item.text, sizeof item.text))));
    m->checked.push_back((item.flags & MenuItemChecked) != 0);
    if (selected < 0 && (item.flags & MenuItemSelected)) selected = i;
  }
  m->cursor = selected < 0 ? 0 : selected;
  // Start with the cursor line in the middle of the box when the list
  // scrolls, as a host does when it reopens a long list.
  m->top = std::max(0, m->cursor - std::max(1, LINES - 4) / 2);
  screenName_ = L"plug-in menu";
  const std::vector<KeyHint> hints = {{L"F1", L"Help"}, {L"Enter", L"Choose"}, {L"Esc", L"Back"},
                                      {L"F12", L"Ctrl+key"}, {L"Alt+\u2191\u2193", L"=Ctrl+\u2191\u2193"},
                                      {L"Alt+1-3", L"=Ctrl+1-3"}, {L"Alt+F1-F5", L"=Ctrl+F1-F5"}};
  MenuAnswer answer;
  bool chosen = RunList(*m, hints, view.helpTopic, [&](const Input& in, bool* closed) {
    int code = FindBreakCode(view.breakKeys, in.key);
    if (code < 0) return false;
    answer.breakCode = code;
    *closed = true;
    return true;
  });
  if (chosen && view.count > 0) {
    answer.position = m->cursor;
  } else {
    answer.position = -1;
    answer.breakCode = -1;
  }
  // The menu stays on the screen behind what the plug-in shows next.
  std::shared_ptr<const MenuState> frozen = m;
  backdrop_ = [this, frozen] { PaintMenu(*frozen, false); };
  return answer;
}

bool TerminalFrontEnd::OpenHistory(HostDialogItem& item, LineEditor& editor, int screenX, int screenY, int width) {
  const auto& entries = history_.Entries(item.historyName ? item.historyName : "");
  MenuState m;
  for (const auto& e : entries) m.lines.push_back(OemToWide(e));
  if (m.lines.empty()) m.lines.push_back(L"(no earlier input)");
  m.title = L"History";
  m.fixedX = screenX;
  m.fixedY = screenY + 1;
  m.minWidth = width;
  m.maxVisible = 10;
  const std::vector<KeyHint> hints = {{L"Enter", L"Take"}, {L"Esc", L"Close"}};
  bool chosen = RunList(m, hints, kVelkKeysTopic, nullptr);
  if (chosen && !entries.empty()) {
    editor.SetText(entries[static_cast<size_t>(m.cursor)]);
    return true;
  }
  return false;
}

int TerminalFrontEnd::RunDialog(DialogView& view) {
  Start();
  HostDialogItem* items = view.items;
  const int count = view.count;
  std::vector<ItemPlace> places = LayoutDialog(items, count, view.width);
  std::vector<LineEditor> editors(static_cast<size_t>(std::max(count, 0)));
  for (int i = 0; i < count; ++i) {
    if (items[i].kind == KindEdit) {
      editors[static_cast<size_t>(i)] =
          LineEditor(std::string(items[i].text, OemLength(items[i].text, sizeof items[i].text)), EditCapacity);
    }
  }
  int focus = InitialFocus(items, places);
  int originX = 0, originY = 0;
  auto hasHistory = [&](int i) {
    return items[i].kind == KindEdit && (items[i].flags & DialogHistoryFlag) && items[i].historyName != nullptr;
  };

  auto paint = [&] {
    const int w = view.width, h = view.height;
    originX = w <= COLS ? (COLS - w) / 2 : 0;
    if (h <= LINES - 1) {
      originY = std::max(1, (LINES - h) / 2);
    } else {
      // Too short a terminal: keep the focused item in sight.
      originY = 0;
      int fy = focus >= 0 ? places[static_cast<size_t>(focus)].y : 0;
      if (fy > LINES - 3) originY = LINES - 3 - fy;
    }
    for (int r = 0; r < h; ++r) Fill(originY + r, originX, w, st_.dialog);
    int frameLeft = 0, frameRight = w - 1;
    bool frameDouble = false;
    for (int i = 0; i < count; ++i) {
      const HostDialogItem& it = items[i];
      if (it.kind == KindSingleFrame || it.kind == KindDoubleFrame) {
        frameLeft = it.left;
        frameRight = it.right;
        frameDouble = it.kind == KindDoubleFrame;
        break;
      }
    }
    for (int i = 0; i < count; ++i) {
      const HostDialogItem& it = items[i];
      const ItemPlace& p = places[static_cast<size_t>(i)];
      const int y = originY + p.y, x = originX + p.x;
      const std::wstring text = OemToWide(std::string_view(it.text, OemLength(it.text, sizeof it.text)));
      const bool focused = i == focus;
      switch (it.kind) {
        case KindSingleFrame:
        case KindDoubleFrame:
          Frame(y, x, it.bottom - it.top + 1, p.width, it.kind == KindDoubleFrame, st_.dialog, text);
          break;
        case KindEdit: {
          LineEditor& ed = editors[static_cast<size_t>(i)];
          size_t scroll = ed.Scroll(static_cast<size_t>(p.width));
          std::wstring shown = OemToWide(ed.Text());
          shown = scroll < shown.size() ? shown.substr(scroll) : std::wstring();
          Fill(y, x, p.width, st_.edit);
          Put(y, x, shown, st_.edit, p.width);
          if (hasHistory(i)) Put(y, x + p.width, L"\u2193", st_.dialog);
          if (focused) SetCursor(y, x + static_cast<int>(ed.Cursor() - scroll), ed.Overwrite());
          break;
        }
        case KindButton: {
          attr_t attr = focused ? st_.focus : (it.isDefault ? st_.defaultButton : st_.dialog);
          Put(y, x, ButtonCaption(it), attr);
          if (focused) SetCursor(y, x + 2, false);
          break;
        }
        case KindCheckBox: {
          Put(y, x, std::wstring(it.checkState ? L"[x] " : L"[ ] "), st_.dialog);
          Put(y, x + 4, text, focused ? st_.focus : st_.dialog);
          if (focused) SetCursor(y, x + 1, false);
          break;
        }
        default:
          if ((it.flags & DialogSeparatorFlags) == DialogSeparatorFlags) {
            int left = originX + frameLeft, width = frameRight - frameLeft + 1;
            Put(y, left,
                std::wstring(1, frameDouble ? L'\u255F' : L'\u251C') + Repeat(L'\u2500', width - 2) +
                    (frameDouble ? L'\u2562' : L'\u2524'),
                st_.dialog);
            if (!text.empty()) Put(y, left + (width - static_cast<int>(text.size()) - 2) / 2, L" " + text + L" ", st_.dialog);
          } else {
            Put(y, x, text, st_.dialog);
          }
          break;
      }
    }
  };

  auto writeBack = [&] {
    for (int i = 0; i < count; ++i) {
      if (items[i].kind != KindEdit) continue;
      const std::string& t = editors[static_cast<size_t>(i)].Text();
      size_t n = std::min(t.size(), static_cast<size_t>(EditCapacity));
      std::memcpy(items[i].text, t.data(), n);
      items[i].text[n] = 0;
    }
  };
  auto close = [&](int result) {
    writeBack();
    if (result >= 0 && result < count && items[result].isDefault) {
      for (int i = 0; i < count; ++i) {
        if (hasHistory(i)) history_.Add(items[i].historyName, editors[static_cast<size_t>(i)].Text());
      }
    }
    return result;
  };

  screenName_ = L"dialog";
  Layer layer(layers_, paint);
  const std::vector<KeyHint> hints = {{L"F1", L"Help"}, {L"Tab", L"Next"}, {L"Enter", L"OK"}, {L"Esc", L"Cancel"},
                                      {L"Ins", L"Insert/overwrite"}, {L"Ctrl+\u2193", L"History"},
                                      {L"Ctrl+Y", L"Clear"}};
  for (;;) {
    hints_ = hints;
    Input in = ReadInput();
    if (in.kind != Input::Key) continue;
    const KeyPress k = in.key;
    const int kind = focus >= 0 ? items[focus].kind : -1;
    if (k.vk == VkEscape) return close(-1);
    if (k.vk == VkF1 && k.modifiers == ModNone) {
      ShowHelp(view.helpTopic);
      continue;
    }
    if (k.vk == VkReturn && k.modifiers == ModNone) {
      if (kind == KindButton) return close(focus);
      int chosen = DefaultItem(items, count, focus);
      if (chosen >= 0) return close(chosen);
      continue;
    }
    if ((k.vk == VkTab && k.modifiers == ModNone) || (k.vk == VkDown && k.modifiers == ModNone)) {
      focus = NextFocus(places, focus, +1);
      continue;
    }
    if ((k.vk == VkTab && k.modifiers == ModShift) || (k.vk == VkUp && k.modifiers == ModNone)) {
      focus = NextFocus(places, focus, -1);
      continue;
    }
    if (kind == KindEdit) {
      if (k.vk == VkDown && k.modifiers == ModCtrl) {
        if (hasHistory(focus)) {
          const ItemPlace& p = places[static_cast<size_t>(focus)];
          OpenHistory(items[focus], editors[static_cast<size_t>(focus)], originX + p.x, originY + p.y, p.width);
        }
        continue;
      }
      editors[static_cast<size_t>(focus)].Handle(in);
      continue;
    }
    if (kind == KindCheckBox && k.vk == VkSpace && k.modifiers == ModNone) {
      items[focus].checkState = items[focus].checkState ? 0 : 1;
      continue;
    }
    if (kind == KindButton && k.vk == VkSpace && k.modifiers == ModNone) return close(focus);
    if ((kind == KindButton || kind == KindCheckBox) && k.modifiers == ModNone &&
        (k.vk == VkLeft || k.vk == VkRight)) {
      focus = NextFocus(places, focus, k.vk == VkRight ? +1 : -1);
      continue;
    }
  }
}

int TerminalFrontEnd::ShowMessage(const MessageView& view) {
  Start();
  const bool error = (view.flags & MessageErrorFlag) != 0;
  const attr_t body = error ? st_.error : st_.dialog;
  const attr_t focusAttr = error ? st_.errorFocus : st_.focus;
  std::wstring title = view.lines.empty() ? std::wstring() : OemToWide(view.lines[0]);
  std::vector<std::wstring> captions;
  for (const auto& b : view.buttons) captions.push_back(L"[ " + OemToWide(b) + L" ]");
  int focus = 0;
  const int buttons = static_cast<int>(captions.size());

  auto paint = [&, title] {
    int maxText = std::max(10, COLS - 10);
    std::vector<std::wstring> lines;
    for (size_t i = 1; i < view.lines.size(); ++i) {
      for (auto& part : Wrap(OemToWide(view.lines[i]), maxText)) lines.push_back(part);
    }
    int buttonsWidth = -1;
    for (const auto& c : captions) buttonsWidth += static_cast<int>(c.size()) + 1;
    int inner = static_cast<int>(title.size()) + 4;
    for (const auto& l : lines) inner = std::max(inner, static_cast<int>(l.size()));
    inner = std::max(inner, buttonsWidth);
    int w = std::min(COLS, inner + 8);
    int h = static_cast<int>(lines.size()) + (buttons > 0 ? 2 : 0) + 4;
    int x = (COLS - w) / 2, y = std::max(1, (LINES - h) / 2);
    for (int r = 0; r < h; ++r) Fill(y + r, x, w, body);
    Frame(y + 1, x + 2, h - 2, w - 4, true, body, title);
    for (size_t i = 0; i < lines.size(); ++i) {
      int lx = x + (w - static_cast<int>(lines[i].size())) / 2;
      Put(y + 2 + static_cast<int>(i), std::max(x + 3, lx), lines[i], body, w - 6);
    }
    if (buttons > 0) {
      int sy = y + 2 + static_cast<int>(lines.size());
      Put(sy, x + 2, std::wstring(1, L'\u255F') + Repeat(L'\u2500', w - 6) + L'\u2562', body);
      int bx = x + (w - buttonsWidth) / 2;
      for (int b = 0; b < buttons; ++b) {
        Put(sy + 1, bx, captions[static_cast<size_t>(b)], b == focus ? focusAttr : body);
        if (b == focus) SetCursor(sy + 1, bx + 2, false);
        bx += static_cast<int>(captions[static_cast<size_t>(b)].size()) + 1;
      }
    }
  };

  const std::wstring previousName = screenName_;
  screenName_ = error ? L"error" : L"message";
  Layer layer(layers_, paint);
  const std::vector<KeyHint> hints = {{L"Enter", L"Choose"}, {L"\u2190\u2192", L"Button"}, {L"Esc", L"Close"},
                                      {L"F1", L"Help"}};
  int result = -1;
  for (;;) {
    hints_ = hints;
    Input in = ReadInput();
    if (in.kind != Input::Key) continue;
    const KeyPress k = in.key;
    if (k.vk == VkEscape) break;
    if (k.vk == VkReturn && k.modifiers == ModNone) {
      result = buttons > 0 ? focus : -1;
      break;
    }
    if (k.vk == VkF1 && k.modifiers == ModNone) ShowHelp(view.helpTopic);
    if (buttons == 0) continue;
    if ((k.vk == VkRight && k.modifiers == ModNone) || (k.vk == VkTab && k.modifiers == ModNone)) {
      focus = (focus + 1) % buttons;
    } else if ((k.vk == VkLeft && k.modifiers == ModNone) || (k.vk == VkTab && k.modifiers == ModShift)) {
      focus = (focus + buttons - 1) % buttons;
    }
  }
  screenName_ = previousName;
  return result;
}

void TerminalFrontEnd::ShowHelp(std::string topicName) {
  if (topicName.empty()) topicName = kContentsTopic;
  if (!helpLoaded_) {
    helpLoaded_ = true;
    if (options_.helpFile.empty()) {
      helpError_ = "velk was not given a help file for this plug-in.";
    } else if (!help_.Load(options_.helpFile, &helpError_)) {
      helpError_ += ".";
    }
  }
  struct Place {
    std::string topic;
    int top = 0;
    int link = -1;
  };
  std::vector<Place> trail;
  Place here{topicName, 0, -1};
  HelpTopic missing;
  auto current = [&]() -> const HelpTopic& {
    const HelpTopic* t = help_.Find(here.topic);
    if (t) return *t;
    missing = MissingTopic(here.topic, helpError_.empty() ? "The help file has no topic \"" + here.topic + "\"."
                                                           : helpError_);
    return missing;
  };
  auto geometry = [&](int* x, int* y, int* w, int* h) {
    *w = std::min(COLS, 80);
    *h = std::max(5, LINES - 2);
    *x = (COLS - *w) / 2;
    *y = 1;
  };
  auto paint = [&] {
    const HelpTopic& t = current();
    int x, y, w, h;
    geometry(&x, &y, &w, &h);
    for (int r = 0; r < h; ++r) Fill(y + r, x, w, st_.help);
    Frame(y, x, h, w, true, st_.menuFrame, L"Help: " + t.title);
    int rows = h - 2;
    for (int r = 0; r < rows; ++r) {
      size_t li = static_cast<size_t>(here.top + r);
      if (li >= t.lines.size()) break;
      Put(y + 1 + r, x + 2, t.lines[li], st_.help, w - 4);
      for (size_t k = 0; k < t.links.size(); ++k) {
        const HelpLink& link = t.links[k];
        if (link.line != li) continue;
        std::wstring text = t.lines[li].substr(link.column, link.length);
        bool selected = static_cast<int>(k) == here.link;
        int lx = x + 2 + static_cast<int>(link.column);
        int room = x + w - 2 - lx;
        if (room > 0) Put(y + 1 + r, lx, text, selected ? st_.linkSelected : st_.link, room);
      }
    }
    if (static_cast<int>(t.lines.size()) > rows) {
      int percent = static_cast<int>(100 * std::min<size_t>(t.lines.size(), static_cast<size_t>(here.top + rows)) /
                                     t.lines.size());
      Put(y + h - 1, x + w - 8, L" " + std::to_wstring(percent) + L"% ", st_.menuFrame);
    }
  };
  const std::wstring previousName = screenName_;
  screenName_ = L"help";
  Layer layer(layers_, paint);
  const std::vector<KeyHint> hints = {{L"Esc", L"Close"}, {L"Tab", L"Next link"}, {L"Enter", L"Follow"},
                                      {L"BackSpace", L"Back"}, {L"Shift+F1", L"Contents"}, {L"F1", L"velk keys"}};
  for (;;) {
    hints_ = hints;
    const HelpTopic& t = current();
    int x, y, w, h;
    geometry(&x, &y, &w, &h);
    const int rows = h - 2;
    const int maxTop = std::max(0, static_cast<int>(t.lines.size()) - rows);
    here.top = std::max(0, std::min(here.top, maxTop));
    Input in = ReadInput();
    if (in.kind != Input::Key) continue;
    const KeyPress k = in.key;
    const int links = static_cast<int>(t.links.size());
    auto go = [&](const std::string& target) {
      trail.push_back(here);
      here = Place{target, 0, -1};
    };
    if (k.vk == VkEscape || (k.vk == VkF1 + 9 && k.modifiers == ModNone)) break;
    switch (k.vk) {
      case VkUp: here.top--; break;
      case VkDown: here.top++; break;
      case VkPrior: here.top -= rows - 1; break;
      case VkNext: here.top += rows - 1; break;
      case VkHome: here.top = 0; break;
      case VkEnd: here.top = maxTop; break;
      case VkTab:
        if (links > 0) {
          int step = k.modifiers == ModShift ? -1 : 1;
          here.link = here.link < 0 ? (step > 0 ? 0 : links - 1) : ((here.link + step) % links + links) % links;
          int line = static_cast<int>(t.links[static_cast<size_t>(here.link)].line);
          if (line < here.top || line >= here.top + rows) here.top = std::max(0, line - rows / 2);
        }
        break;
      case VkReturn:
        if (here.link >= 0 && here.link < links) go(t.links[static_cast<size_t>(here.link)].target);
        break;
      case VkBack:
        if (!trail.empty()) {
          here = trail.back();
          trail.pop_back();
        }
        break;
      case VkF1:
        if (k.modifiers == ModShift) go(kContentsTopic);
        else if (k.modifiers == ModNone) go(kVelkKeysTopic);
        break;
      default: break;
    }
  }
  screenName_ = previousName;
}

}  // namespace
}  // namespace tui

std::unique_ptr<FrontEnd> MakeTerminalFrontEnd(const TerminalOptions& options) {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) return nullptr;
  return std::make_unique<tui::TerminalFrontEnd>(options);
}

int TerminalColumns() {
  for (int fd : {STDOUT_FILENO, STDIN_FILENO, STDERR_FILENO}) {
    struct winsize ws {};
    if (ioctl(fd, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
  }
  return 80;
}

}  // namespace velk
