// Console functions over the process's standard streams. The screen buffer's
// width is the one set with WinportSetConsoleWidth, else the terminal's, else
// 80 columns; its height the terminal's, else 25 lines.
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include <windows.h>

#include "winport.h"

namespace {

std::atomic<int> consoleWidth{0};

constexpr SHORT DefaultWidth = 80;
constexpr SHORT DefaultHeight = 25;

// Standard handles are small pseudo-handles that name a file descriptor.
constexpr intptr_t StdHandleBase = 0x100;

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(StdHandleBase + fd); }

int DescriptorOf(HANDLE handle) {
  intptr_t value = reinterpret_cast<intptr_t>(handle);
  if (value < StdHandleBase || value > StdHandleBase + 2) return -1;
  return static_cast<int>(value - StdHandleBase);
}

}  // namespace

void WinportSetConsoleWidth(int columns) { consoleWidth.store(columns); }

extern "C" HANDLE WINAPI GetStdHandle(DWORD which) {
  switch (which) {
    case STD_INPUT_HANDLE: return HandleOf(STDIN_FILENO);
    case STD_OUTPUT_HANDLE: return HandleOf(STDOUT_FILENO);
    case STD_ERROR_HANDLE: return HandleOf(STDERR_FILENO);
    default: SetLastError(ERROR_INVALID_HANDLE); return INVALID_HANDLE_VALUE;
  }
}

extern "C" BOOL WINAPI GetConsoleScreenBufferInfo(HANDLE console, PCONSOLE_SCREEN_BUFFER_INFO info) {
  int fd = DescriptorOf(console);
  // Only output streams have a screen buffer.
  if (fd != STDOUT_FILENO && fd != STDERR_FILENO) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int width = consoleWidth.load();
  if (width < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  SHORT columns = DefaultWidth;
  SHORT rows = DefaultHeight;
  winsize size;
  if (ioctl(fd, TIOCGWINSZ, &size) == 0) {
    if (size.ws_col > 0) columns = static_cast<SHORT>(size.ws_col > 0x7FFF ? 0x7FFF : size.ws_col);
    if (size.ws_row > 0) rows = static_cast<SHORT>(size.ws_row > 0x7FFF ? 0x7FFF : size.ws_row);
  }
  if (width > 0) columns = static_cast<SHORT>(width > 0x7FFF ? 0x7FFF : width);
  std::memset(info, 0, sizeof *info);
  info->dwSize.X = columns;
  info->dwSize.Y = rows;
  info->wAttributes = 0x07;
  info->srWindow.Left = 0;
  info->srWindow.Top = 0;
  info->srWindow.Right = static_cast<SHORT>(columns - 1);
  info->srWindow.Bottom = static_cast<SHORT>(rows - 1);
  info->dwMaximumWindowSize.X = columns;
  info->dwMaximumWindowSize.Y = rows;
  return TRUE;
}
