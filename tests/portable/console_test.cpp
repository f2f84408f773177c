// The portable console: standard handles and the screen buffer's width.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <windows.h>

#include "winport.h"

namespace {

// Points standard output at another file for the test's duration.
class StdoutRedirect {
 public:
  explicit StdoutRedirect(int fd) : saved(dup(STDOUT_FILENO)) { dup2(fd, STDOUT_FILENO); }
  ~StdoutRedirect() {
    dup2(saved, STDOUT_FILENO);
    close(saved);
  }

 private:
  int saved;
};

class PortableConsole : public ::testing::Test {
 protected:
  void TearDown() override { WinportSetConsoleWidth(0); }

  static bool Query(CONSOLE_SCREEN_BUFFER_INFO& info) {
    return GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info) != FALSE;
  }
};

TEST_F(PortableConsole, TheSetWidthIsReported) {
  WinportSetConsoleWidth(132);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  ASSERT_TRUE(Query(info));
  EXPECT_EQ(info.dwSize.X, 132);
  EXPECT_EQ(info.srWindow.Right, 131);
  EXPECT_GT(info.dwSize.Y, 0);
}

TEST_F(PortableConsole, WithoutATerminalTheWidthIs80) {
  int devNull = open("/dev/null", O_WRONLY);
  ASSERT_GE(devNull, 0);
  {
    StdoutRedirect redirect(devNull);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    ASSERT_TRUE(Query(info));
    EXPECT_EQ(info.dwSize.X, 80);
    EXPECT_EQ(info.dwSize.Y, 25);
  }
  close(devNull);
}

TEST_F(PortableConsole, OnATerminalItsWidthIsReported) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  winsize size{};
  size.ws_col = 117;
  size.ws_row = 41;
  ASSERT_EQ(ioctl(terminal, TIOCSWINSZ, &size), 0);
  {
    StdoutRedirect redirect(terminal);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    ASSERT_TRUE(Query(info));
    EXPECT_EQ(info.dwSize.X, 117);
    EXPECT_EQ(info.dwSize.Y, 41);
    WinportSetConsoleWidth(90);  // a set width wins over the terminal's
    ASSERT_TRUE(Query(info));
    EXPECT_EQ(info.dwSize.X, 90);
  }
  close(terminal);
  close(master);
}

TEST_F(PortableConsole, QueriesThatCannotBeAnsweredFail) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  WinportSetConsoleWidth(-1);
  SetLastError(0);
  EXPECT_FALSE(Query(info));
  EXPECT_NE(GetLastError(), 0u);
  WinportSetConsoleWidth(0);

  EXPECT_FALSE(GetConsoleScreenBufferInfo(GetStdHandle(STD_INPUT_HANDLE), &info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GetStdHandle(12345), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(GetConsoleScreenBufferInfo(INVALID_HANDLE_VALUE, &info));
  EXPECT_FALSE(GetConsoleScreenBufferInfo(nullptr, &info));
  EXPECT_TRUE(GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info));
  EXPECT_FALSE(GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), nullptr));
}

}  // namespace

#endif  // !_WIN32
