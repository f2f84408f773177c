#include "support/errors.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "host/base/exit_hook.h"
#include "model/text.h"

#if defined(__SANITIZE_ADDRESS__)
// The out-of-memory test asks for an impossible block: let the allocator
// answer null, as a plain build's does, instead of stopping the process.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif

namespace {

// The bytes the standard error stream receives for text written to it: the
// Windows runtime writes it in text mode, each line feed as CR LF.
std::string OnStderr(std::string text) {
#ifdef _WIN32
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
#else
  return text;
#endif
}

TEST(ErrorText, ModuleTable) {
  EXPECT_STREQ(ErrorText(20000), "");
  EXPECT_STREQ(ErrorText(20001), "Bad DB cursor.");
  EXPECT_STREQ(ErrorText(20003), "DB move out put bounds.");
  EXPECT_STREQ(ErrorText(20013), "Data block contains unexpected data.");
  EXPECT_STREQ(ErrorText(20014), "Unknown error");
  EXPECT_STREQ(ErrorText(20015), "Unknown error");
  EXPECT_STREQ(ErrorText(0xFFFFFFFEu), "Unknown error");
}

TEST(ErrorText, SystemTextsForTheLastError) {
  SetLastError(0);
  EXPECT_STREQ(ErrorText(0xFFFFFFFFu), "Success.\r\n");
  SetLastError(2);
  EXPECT_STREQ(ErrorText(0xFFFFFFFFu), "File not found.\r\n");
  EXPECT_STREQ(ErrorText(5), "Access denied.\r\n");
}

TEST(ErrorText, SystemCodesWithoutTextAreUnknown) {
  EXPECT_STREQ(ErrorText(12345), "Unknown error");
  EXPECT_STREQ(ErrorText(19999), "Unknown error");
}

TEST(ErrorText, TextsWithInsertsKeepThePlaceholders) {
  // Nothing is passed to fill them, so they are left as they stand.
  EXPECT_STREQ(ErrorText(317), "Message 0x%1 not found in file %2.\r\n");
}

TEST(SystemErrorText, EachFetchReplacesTheCachedText) {
  std::string first = SystemErrorText(3);
  const char* second = SystemErrorText(6);
  EXPECT_EQ(first, "Path not found.\r\n");
  EXPECT_STREQ(second, "Invalid handle.\r\n");
  EXPECT_STREQ(SystemErrorText(12345), "Unknown error");
  EXPECT_STREQ(SystemErrorText(8), "Not enough memory.\r\n") << "a failed fetch leaves the cache usable";
}

void WriteHookMarker() { std::fputs("[hook]", stderr); }

// FatalStop ends the process, so each case runs in a child process and the
// test checks its exit status and every byte it wrote to standard error.
// The child is this test binary itself, started with TOLLEX_FATAL_CASE set:
// it runs the case before the tests start (see fatalCaseRunner).
void RunFatalCase(int number) {
  switch (number) {
    case 1: SetLastError(0); FatalStop("!CompareString");
    case 2: SetLastError(2); FatalStop("!CompareString");
    case 3: SetLastError(2); FatalStop(nullptr);
    case 4:
      RunExitHook();
      InstallExitHook(&WriteHookMarker);
      SetLastError(0);
      FatalStop("code %d, %s", 7, "text");
    case 5:
      RunExitHook();
      InstallExitHook(&WriteHookMarker);
      FormatShared("x");  // the buffer's release now leads the chain
      SetLastError(0);
      FatalStop("!CompareString");
    default: std::exit(99);
  }
}

const bool fatalCaseRunner = [] {
  if (const char* number = std::getenv("TOLLEX_FATAL_CASE")) RunFatalCase(std::atoi(number));
  return true;
}();

struct ChildResult {
  long status = -1;
  std::string errors;  // the raw bytes of its standard error
};

#ifdef _WIN32
ChildResult RunFatalChild(int number) {
  ChildResult result;
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  char directory[MAX_PATH], path[MAX_PATH];
  GetTempPathA(MAX_PATH, directory);
  GetTempFileNameA(directory, "tlx", 0, path);
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return result;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = file;
  PROCESS_INFORMATION process = {};
  std::string command = "\"" + std::string(self) + "\"";
  SetEnvironmentVariableA("TOLLEX_FATAL_CASE", std::to_string(number).c_str());
  BOOL started = CreateProcessA(self, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  SetEnvironmentVariableA("TOLLEX_FATAL_CASE", nullptr);
  CloseHandle(file);
  if (started) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.status = static_cast<long>(code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  if (FILE* in = std::fopen(path, "rb")) {
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) result.errors.append(buffer, n);
    std::fclose(in);
  }
  DeleteFileA(path);
  return result;
}
#else
ChildResult RunFatalChild(int number) {
  ChildResult result;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return result;
  std::fflush(nullptr);
  pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    dup2(pipeEnds[1], 2);
    RunFatalCase(number);
  }
  close(pipeEnds[1]);
  char buffer[512];
  ssize_t n;
  while ((n = read(pipeEnds[0], buffer, sizeof buffer)) > 0) result.errors.append(buffer, static_cast<size_t>(n));
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}
#endif

// Runs a fatal case in a child process: it must end with status 1 having
// written exactly errors to standard error.
void ExpectFatalStop(int number, const std::string& errors) {
  ChildResult r = RunFatalChild(number);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.errors, errors);
}

TEST(FatalStop, ComparisonFailureWithoutErrorCode) { ExpectFatalStop(1, OnStderr("\nABORT: !CompareString")); }

TEST(FatalStop, ErrorCodeAddsItsSystemText) {
  ExpectFatalStop(2, OnStderr("\nABORT: !CompareString\nStdError: File not found.\r\n"));
}

TEST(FatalStop, NullFormatWritesNothing) { ExpectFatalStop(3, ""); }

TEST(FatalStop, RunsTheExitHookFirstAndOnlyOnce) { ExpectFatalStop(4, OnStderr("[hook]\nABORT: code 7, text")); }

TEST(FatalStop, ReleasesTheFormatBufferThroughTheHook) {
  ExpectFatalStop(5, OnStderr("[hook]\nABORT: !CompareString"));
}

TEST(FatalStopDeathTest, OutOfMemoryIsFatal) {
  EXPECT_EXIT(MemAlloc(SIZE_MAX / 2), testing::ExitedWithCode(1), testing::HasSubstr("ABORT: out of memory"));
  EXPECT_EXIT(
      {
        void* block = MemAlloc(16);
        MemRealloc(block, SIZE_MAX / 2);
      },
      testing::ExitedWithCode(1), testing::HasSubstr("ABORT: out of memory"));
}

}  // namespace
