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
// keyboard protocol some terminals have; and the bracketed paste, which
// marks pasted text so that it is not taken for keys. Terminals without
// them ignore them.
constexpr char kKeysOn[] = "\033[>4;1m\033[>1u\033[?2004h";
constexpr char kKeysOff[] = "\033[>4m\033[<u\033[?2004l";

// How long a wait for a key lasts before velk looks again at what signals
// asked for. A stop or resize signal normally ends the wait at once; one that
// arrives just before the wait begins, and a termination signal (whose
// handler restarts the wait), are seen this late at the most.
constexpr int kWaitMs = 100;
// A paste arrives at once; one whose end marker has not come within this
// long after its last character ends there. Of a longer paste only the
// first kPasteKept characters are kept (far more than any edit field holds).
constexpr int kPasteWaitMs = 500;
constexpr size_t kPasteKept = 4096;

// True when the terminal on standard input went away.
bool InputHungUp() {
  struct pollfd input {};
  input.fd = STDIN_FILENO;
  input.events = POLLIN;
  return poll(&input, 1, 0) == 1 && (input.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// Installs the handler for each of the signals, keeping what was there
// (no SA_RESTART: a signal ends a wait for a key), or puts that back.
template <size_t N>
void Catch(const int (&signals)[N], struct sigaction (&previous)[N], void (*handler)(int), bool on) {
  for (size_t i = 0; i < N; ++i) {
    if (on) {
      struct sigaction action {};
      action.sa_handler = handler;
      sigemptyset(&action.sa_mask);
      sigaction(signals[i], &action, &previous[i]);
    } else {
      sigaction(signals[i], &previous[i], nullptr);
    }
  }
}

// Ctrl+Z (SIGTSTP) and the return from any stop (SIGCONT) are carried out
// at the next key read, not in the handler: giving the terminal back and
// taking it again is far from what a handler may do. The handlers only note
// the signal; installed without SA_RESTART, they also end a wait for a key,
// so the reader sees them at once.
volatile sig_atomic_t stopRequested = 0;
volatile sig_atomic_t continued = 0;
struct sigaction previousStopHandlers[2];
constexpr int kStopSignals[2] = {SIGTSTP, SIGCONT};

void OnStopSignal(int sig) {
  if (sig == SIGTSTP) stopRequested = 1;
  else continued = 1;
}

void CatchStopSignals(bool on) { Catch(kStopSignals, previousStopHandlers, OnStopSignal, on); }

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

void KernelTerminalSize(int& lines, int& columns) {
  lines = columns = 0;
  for (int fd : {STDOUT_FILENO, STDIN_FILENO, STDERR_FILENO}) {
    struct winsize ws {};
    if (ioctl(fd, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 && ws.ws_row > 0) {
      lines = ws.ws_row;
      columns = ws.ws_col;
      return;
    }
  }
}

void Terminal::Start(Canvas& canvas) {
  if (started_) return;
  started_ = true;
  UseUtf8Locale();
  set_escdelay(40);
  // Before initscr, so that ncurses leaves Ctrl+Z to velk.
  stopRequested = continued = 0;
  CatchStopSignals(true);
  initscr();
  // Raw, not cbreak: Ctrl+C, Ctrl+Z, Ctrl+\, Ctrl+S and Ctrl+Q arrive as
  // keys, not as signals or flow control (Ctrl+S would freeze the screen
  // while the keys typed meanwhile still act). Ctrl+Z still suspends: Read
  // carries it out.
  raw();
  noecho();
  nonl();
  intrflush(stdscr, FALSE);
  keypad(stdscr, TRUE);
  meta(stdscr, TRUE);
  timeout(kWaitMs);
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
  CatchStopSignals(false);
  if (keyLog_) std::fclose(keyLog_);
  keyLog_ = nullptr;
}

// Modified cursor and editing keys that the terminal description names as
// extended capabilities (kUP5 is Ctrl+Up, kDN3 Alt+Down, ...), and the
// application keypad's operator keys.
void Terminal::LearnExtendedKeys() {
  static const std::pair<const char*, uint16_t> bases[] = {
      {"kUP", VkUp},   {"kDN", VkDown},  {"kLFT", VkLeft},  {"kRIT", VkRight}, {"kHOM", VkHome},
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
    case KEY_HOME:
    case KEY_A1: return KeyInput(VkHome);
    case KEY_END:
    case KEY_C1: return KeyInput(VkEnd);
    case KEY_PPAGE:
    case KEY_A3: return KeyInput(VkPrior);
    case KEY_NPAGE:
    case KEY_C3: return KeyInput(VkNext);
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
      if (result.kind == Input::None) Log("unknown: ESC " + seq);
      break;
    }
    if (seq.empty() && ch == 27) {
      unget_wch(ch);
      result = KeyInput(VkEscape);
      break;
    }
    if (ch >= 0x80) {
      if (seq.empty()) {  // Alt with a character that has no key code
        result = InputFromCharacter(static_cast<char32_t>(ch));
        result.key.modifiers |= KeyModAlt;
      }
      break;
    }
    seq.push_back(static_cast<char>(ch));
    if (seq == PasteStart) {
      result = ReadPaste();
      break;
    }
    if (EscapeSequenceComplete(seq) || seq.size() > 32) {
      result = DecodeEscapeSequence(seq);
      if (result.kind == Input::None) Log("unknown: ESC " + seq);
      break;
    }
  }
  timeout(kWaitMs);
  return result;
}

// The text of a bracketed paste, after its start marker, up to its end
// marker. Key sequences the terminal library decoded inside it are dropped:
// a paste is never keys. A resize meanwhile is reported after it.
Input Terminal::ReadPaste() {
  std::u32string raw;
  bool resized = false;
  timeout(kPasteWaitMs);
  for (;;) {
    wint_t ch = 0;
    const int r = get_wch(&ch);
    if (r == ERR) break;
    if (r == KEY_CODE_YES) {
      resized = resized || ch == KEY_RESIZE;
      continue;
    }
    raw.push_back(static_cast<char32_t>(ch));
    if (raw.size() >= PasteEnd.size() && raw.compare(raw.size() - PasteEnd.size(), PasteEnd.size(), PasteEnd) == 0) {
      raw.resize(raw.size() - PasteEnd.size());
      break;
    }
    // Past the characters kept, only the last few stay, to see the end marker.
    if (raw.size() > kPasteKept + PasteEnd.size()) raw.erase(kPasteKept, 1);
  }
  timeout(kWaitMs);
  if (resized) ungetch(KEY_RESIZE);
  Input in;
  in.kind = Input::Paste;
  in.text = PastedText(raw);
  Log("paste of " + std::to_string(in.text.size()) + " characters");
  return in;
}

// The Ctrl prefix, the stand-ins and the key log, for a key read.
Input Terminal::Finish(Input in) {
  if (ctrlPrefix_) {
    ctrlPrefix_ = false;
    in.key = WithCtrl(in.key);
  }
  in.key = ApplyStandIns(in.key);
  Log(KeyName(in.key));
  return in;
}

void Terminal::Log(const std::string& line) {
  if (!keyLog_) return;
  std::fprintf(keyLog_, "%s\n", line.c_str());
  std::fflush(keyLog_);
}

// Ctrl+Z: the terminal is given back as it was (extended key reports off)
// and velk stops; it goes on here when it is continued. The key stops the
// whole process group, as the terminal's own Ctrl+Z does; a stop signal
// sent to velk stops velk.
void Terminal::Suspend(bool group) {
  curs_set(1);
  WriteControl(kKeysOff, sizeof kKeysOff - 1);
  endwin();
  struct sigaction stop {};
  stop.sa_handler = SIG_DFL;
  sigemptyset(&stop.sa_mask);
  struct sigaction mine {};
  sigaction(SIGTSTP, &stop, &mine);
  sigset_t tstp, before;
  sigemptyset(&tstp);
  sigaddset(&tstp, SIGTSTP);
  sigprocmask(SIG_UNBLOCK, &tstp, &before);
  if (group) kill(0, SIGTSTP);
  else raise(SIGTSTP);
  sigprocmask(SIG_SETMASK, &before, nullptr);
  sigaction(SIGTSTP, &mine, nullptr);
}

// Back from a stop: the terminal is taken again at the size it has now
// (it may have changed while velk was stopped, unnoticed), with the
// extended key reports on; what was on it is unknown, so the next picture
// goes out whole (its refresh also takes the terminal back from endwin).
void Terminal::Resume(bool suspended) {
  // A stop velk did not ask for (SIGSTOP) left the terminal to whoever
  // took it meanwhile: its modes are set again. After Ctrl+Z the next
  // refresh does that, as after any endwin.
  if (!suspended) reset_prog_mode();
  int lines = 0, columns = 0;
  KernelTerminalSize(lines, columns);
  if (lines > 0 && columns > 0 && (lines != LINES || columns != COLS)) resizeterm(lines, columns);
  WriteControl(kKeysOn, sizeof kKeysOn - 1);
  clearok(curscr, TRUE);
}

Input Terminal::TakeStopSignals() {
  if (!stopRequested && !continued) return Input();
  const bool stop = stopRequested != 0;
  stopRequested = 0;
  if (stop) Suspend(false);
  continued = 0;
  Resume(stop);
  Input in;
  in.kind = Input::Redraw;
  return in;
}

// What get_wch read: a key the terminal library decoded, an escape
// sequence (or a paste) read on from its ESC, or a character.
Input Terminal::Decode(int r, wint_t ch) {
  if (r != KEY_CODE_YES) return ch == 27 ? ReadEscape() : InputFromCharacter(static_cast<char32_t>(ch));
  Input in = FromCursesKey(static_cast<int>(ch));
  if (in.kind == Input::None) {
    const char* name = keyname(static_cast<int>(ch));
    Log("unknown: " + (name ? std::string(name) : "key code " + std::to_string(static_cast<int>(ch))));
  }
  return in;
}

Input Terminal::Read() {
  for (;;) {
    StopIfTerminated();
    Input signalled = TakeStopSignals();
    if (signalled.kind != Input::None) return signalled;
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
    in = Decode(r, ch);
    if (in.kind == Input::Paste) return in;
    if (in.kind != Input::Key) continue;
    if (in.key.Is(VkF(12))) {
      ctrlPrefix_ = !ctrlPrefix_;  // F12: the next key is taken with Ctrl
      return Input();
    }
    in = Finish(in);
    if (in.key.Is('L', KeyModCtrl)) {
      // Ctrl+L: whatever the terminal shows now, the next picture goes out whole.
      clearok(curscr, TRUE);
      in.kind = Input::Redraw;
    } else if (in.key.Is('Z', KeyModCtrl)) {
      // Ctrl+Z: velk stops as the terminal's suspend character would stop it.
      Suspend(true);
      Resume(true);
      in.kind = Input::Redraw;
    }
    return in;
  }
}

int TerminalWidth() {
  int lines = 0, columns = 0;
  KernelTerminalSize(lines, columns);
  return columns > 0 ? columns : 80;
}

}  // namespace velk::tui
