#include "tui/terminal.h"

#include <langinfo.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/shutdown.h"

namespace velk::tui {
namespace {

// Terminal control sequences for the extended key reports: xterm's
// modifyOtherKeys (level 1) and the "disambiguate" level of the progressive
// keyboard protocol some terminals have. Terminals without them ignore both.
constexpr char kKeysOn[] = "\033[>4;1m\033[>1u";
constexpr char kKeysOff[] = "\033[>4m\033[<u";

// How long a wait for a key lasts before velk looks whether a termination
// signal came (a signal that arrives while it waits restarts the wait).
constexpr int kSignalPollMs = 100;

bool InputHungUp() {
  struct pollfd input {};
  input.fd = STDIN_FILENO;
  input.events = POLLIN;
  return poll(&input, 1, 0) == 1 && (input.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// ncursesw draws wide characters only in a locale with a multibyte
// character type. An unset environment (the "C" locale) is taken to be a
// UTF-8 terminal, as nearly every terminal is today.
void UseUtf8Locale() {
  std::setlocale(LC_CTYPE, "");
  const char* codeset = nl_langinfo(CODESET);
  if (codeset && (std::strcmp(codeset, "ANSI_X3.4-1968") == 0 || std::strcmp(codeset, "ASCII") == 0))
    std::setlocale(LC_CTYPE, "C.UTF-8");
}

void WriteControl(const char* sequence, size_t length) {
  // Not being able to switch the key reports only leaves velk's stand-ins.
  if (write(STDOUT_FILENO, sequence, length) < 0) return;
}

}  // namespace

void Terminal::Start(Canvas& canvas) {
  if (started_) return;
  started_ = true;
  UseUtf8Locale();
  set_escdelay(40);
  initscr();
  cbreak();
  noecho();
  nonl();
  intrflush(stdscr, FALSE);
  keypad(stdscr, TRUE);
  meta(stdscr, TRUE);
  canvas.UseColours();
  LearnExtendedKeys();
  if (const char* log = std::getenv("VELK_KEYLOG")) keyLog_ = std::fopen(log, "a");
  refresh();
  WriteControl(kKeysOn, sizeof kKeysOn - 1);
  // A termination signal gives the terminal back through this, at the next
  // wait for a key.
  SetTerminalRestore([this] { Stop(); });
}

void Terminal::Stop() {
  if (!started_) return;
  started_ = false;
  SetTerminalRestore(nullptr);
  curs_set(1);
  erase();
  refresh();
  WriteControl(kKeysOff, sizeof kKeysOff - 1);
  endwin();
  if (keyLog_) std::fclose(keyLog_);
  keyLog_ = nullptr;
}

// Modified cursor and editing keys that the terminal description names as
// extended capabilities (kUP5 is Ctrl+Up, kDN3 Alt+Down, ...), and the
// application keypad's operator keys.
void Terminal::LearnExtendedKeys() {
  static const std::pair<const char*, uint16_t> bases[] = {
      {"kUP", VkUp},   {"kDN", VkDown}, {"kLFT", VkLeft}, {"kRIT", VkRight}, {"kHOM", VkHome},
      {"kEND", VkEnd}, {"kNXT", VkNext}, {"kPRV", VkPrior}, {"kDC", VkDelete}, {"kIC", VkInsert}};
  auto learn = [this](const std::string& name, KeyPress key) {
    char* seq = tigetstr(name.c_str());
    if (!seq || seq == reinterpret_cast<char*>(-1)) return;
    int code = key_defined(seq);
    if (code > 0) extendedKeys_.push_back({code, key});
  };
  for (const auto& [base, vk] : bases) {
    for (int mod = 2; mod <= 8; ++mod) {
      learn(base + std::to_string(mod), KeyInput(vk, ModifiersFromXtermParameter(mod)).key);
    }
  }
  static const std::pair<const char*, uint16_t> keypadKeys[] = {
      {"kpADD", VkAdd}, {"kpSUB", VkSubtract}, {"kpMUL", VkMultiply}, {"kpDIV", VkDivide}};
  for (const auto& [name, vk] : keypadKeys) learn(name, KeyInput(vk).key);
}

Input Terminal::FromCursesKey(int code) const {
  for (const auto& [known, key] : extendedKeys_) {
    if (known == code) return KeyInput(key.vk, key.modifiers);
  }
  if (code >= KEY_F(1) && code <= KEY_F(60)) {
    // The usual numbering of terminal descriptions: F13-F24 are Shift+F1-F12,
    // F25-F36 Ctrl, F37-F48 Ctrl+Shift, F49-F60 Alt.
    int n = code - KEY_F(1);
    static const uint16_t mods[] = {KeyModNone, KeyModShift, KeyModCtrl, KeyModCtrl | KeyModShift, KeyModAlt};
    return KeyInput(VkF(n % 12 + 1), mods[n / 12]);
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
    case KEY_BTAB: return KeyInput(VkTab, KeyModShift);
    case KEY_SLEFT: return KeyInput(VkLeft, KeyModShift);
    case KEY_SRIGHT: return KeyInput(VkRight, KeyModShift);
    case KEY_SR: return KeyInput(VkUp, KeyModShift);
    case KEY_SF: return KeyInput(VkDown, KeyModShift);
    case KEY_SHOME: return KeyInput(VkHome, KeyModShift);
    case KEY_SEND: return KeyInput(VkEnd, KeyModShift);
    case KEY_SDC: return KeyInput(VkDelete, KeyModShift);
    case KEY_SIC: return KeyInput(VkInsert, KeyModShift);
    default: return Input();
  }
}

// The bytes after an ESC, read until they form a sequence or nothing more
// comes within 40 ms (then it was the Esc key).
Input Terminal::ReadEscape() {
  std::string seq;
  timeout(40);
  Input result;
  for (;;) {
    wint_t ch = 0;
    int r = get_wch(&ch);
    if (r == ERR || r == KEY_CODE_YES) {
      // A decoded key right after ESC: Esc, then that key on the next read.
      if (r == KEY_CODE_YES) ungetch(static_cast<int>(ch));
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
        result = InputFromCharacter(static_cast<char32_t>(ch));
        result.key.modifiers |= KeyModAlt;
        result.key.ch = 0;
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

// The Ctrl prefix, the stand-ins and the key log, for a key read.
Input Terminal::Finish(Input in) {
  if (ctrlPrefix_) {
    ctrlPrefix_ = false;
    in.key = WithCtrl(in.key);
  }
  in.key = ApplyStandIns(in.key);
  if (keyLog_) {
    std::fprintf(keyLog_, "%s\n", KeyName(in.key).c_str());
    std::fflush(keyLog_);
  }
  return in;
}

Input Terminal::Read() {
  for (;;) {
    StopIfTerminated();
    timeout(kSignalPollMs);
    wint_t ch = 0;
    int r = get_wch(&ch);
    if (r == ERR) {
      // A terminal that went away (closed without its hangup signal
      // reaching velk) ends velk as that signal would.
      if (InputHungUp()) NoteTermination(SIGHUP);
      continue;
    }
    Input in;
    if (r == KEY_CODE_YES && ch == KEY_RESIZE) {
      in.kind = Input::Resize;
      return in;
    }
    if (r == KEY_CODE_YES) in = FromCursesKey(static_cast<int>(ch));
    else if (ch == 27) in = ReadEscape();
    else in = InputFromCharacter(static_cast<char32_t>(ch));
    if (in.kind != Input::Key) continue;
    if (in.key.Is(VkF(12))) {
      ctrlPrefix_ = !ctrlPrefix_;  // F12: the next key is taken with Ctrl
      return Input();
    }
    return Finish(in);
  }
}

int TerminalWidth() {
  for (int fd : {STDOUT_FILENO, STDIN_FILENO, STDERR_FILENO}) {
    struct winsize ws {};
    if (ioctl(fd, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
  }
  return 80;
}

}  // namespace velk::tui
