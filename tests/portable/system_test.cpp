// The thread's last-error value, critical sections and system message texts,
// in both builds: the Windows build checks the system's functions, the
// native build the portable ones.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#ifndef _WIN32
#include <thread>
#endif

namespace {

// A thread running routine(argument), and the wait for its end.
class Thread {
 public:
  Thread(void (*routine)(void*), void* argument) : call{routine, argument} {
#ifdef _WIN32
    handle = CreateThread(nullptr, 0, &Main, &call, 0, nullptr);
#else
    thread = std::thread(routine, argument);
#endif
  }
  void Join() {
#ifdef _WIN32
    WaitForSingleObject(handle, INFINITE);
    CloseHandle(handle);
#else
    thread.join();
#endif
  }

 private:
  struct Call {
    void (*routine)(void*);
    void* argument;
  } call;
#ifdef _WIN32
  static DWORD WINAPI Main(LPVOID p) {
    Call* c = static_cast<Call*>(p);
    c->routine(c->argument);
    return 0;
  }
  HANDLE handle;
#else
  std::thread thread;
#endif
};

void OnOtherThread(void (*routine)(void*), void* argument) { Thread(routine, argument).Join(); }

TEST(LastError, BelongsToEachThread) {
  SetLastError(1234);
  DWORD seen[2] = {99, 99};
  OnOtherThread(
      [](void* p) {
        DWORD* s = static_cast<DWORD*>(p);
        s[0] = GetLastError();
        SetLastError(77);
        s[1] = GetLastError();
      },
      seen);
  EXPECT_EQ(seen[0], 0u) << "a new thread starts without an error";
  EXPECT_EQ(seen[1], 77u);
  EXPECT_EQ(GetLastError(), 1234u) << "another thread's error does not leak";
  SetLastError(0);
  EXPECT_EQ(GetLastError(), 0u);
}

TEST(CriticalSection, OwnerMayEnterAgainAndOthersWait) {
  static CRITICAL_SECTION section;
  static int counter;
  InitializeCriticalSection(&section);
  counter = 0;
  EnterCriticalSection(&section);
  EnterCriticalSection(&section);  // recursive entry
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  auto work = [](void*) {
    for (int i = 0; i < 10000; ++i) {
      EnterCriticalSection(&section);
      ++counter;
      LeaveCriticalSection(&section);
    }
  };
  Thread other(work, nullptr);
  work(nullptr);
  other.Join();
  EXPECT_EQ(counter, 20000);
  DeleteCriticalSection(&section);
}

std::string SystemText(DWORD code, DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM) {
  char* text = nullptr;
  DWORD n = FormatMessageA(flags, nullptr, code, LANG_USER_DEFAULT, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  if (n == 0) return "(failed " + std::to_string(GetLastError()) + ")";
  std::string result(text);
  EXPECT_EQ(n, result.size());
  LocalFree(text);
  return result;
}

TEST(FormatMessageA, SystemTextsAsWineGivesThem) {
  const std::pair<DWORD, const char*> texts[] = {{0, "Success."},
                                                 {2, "File not found."},
                                                 {5, "Access denied."},
                                                 {259, "No more data available."},
                                                 {1018, "Key deleted."}};
  for (const auto& [code, text] : texts) EXPECT_EQ(SystemText(code), std::string(text) + "\r\n") << code;
}

TEST(FormatMessageA, UnknownCodesAndInsertsFail) {
  EXPECT_EQ(SystemText(12345), "(failed 317)") << "ERROR_MR_MID_NOT_FOUND";
  EXPECT_EQ(SystemText(317), "(failed 87)") << "inserts without arguments";
  EXPECT_EQ(
      SystemText(317, FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS),
      "Message 0x%1 not found in file %2.\r\n");
}

TEST(FormatMessageA, CallerBufferNeedsRoomForTheTerminator) {
  char buffer[32];
  SetLastError(0);
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 2, LANG_USER_DEFAULT, buffer, 17, nullptr), 0u);
  EXPECT_EQ(GetLastError(), 122u) << "ERROR_INSUFFICIENT_BUFFER";
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 2, LANG_USER_DEFAULT, buffer, 18, nullptr), 17u);
  EXPECT_STREQ(buffer, "File not found.\r\n");
}

}  // namespace
