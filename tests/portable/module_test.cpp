// The portable module functions: handles of loaded shared libraries, their
// file names, loading by Windows-style names, entries and freeing.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <string>

#include <windows.h>

namespace {

std::string Executable() {
  char path[4096] = {};
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

// The portable layer is itself a loaded shared library of this process.
HMODULE Winport() { return GetModuleHandleA("libwinport.so"); }

std::string FileNameOf(HMODULE module) {
  char name[4096] = {};
  DWORD n = GetModuleFileNameA(module, name, sizeof name);
  return std::string(name, n);
}

TEST(PortableModules, ANullHandleNamesTheExecutable) {
  char name[4096];
  DWORD n = GetModuleFileNameA(nullptr, name, sizeof name);
  EXPECT_EQ(std::string(name), Executable());
  EXPECT_EQ(n, Executable().size());
  EXPECT_EQ(FileNameOf(GetModuleHandleA(nullptr)), Executable());
}

TEST(PortableModules, ANameThatDoesNotFitIsCutWithoutATerminator) {
  std::string exe = Executable();
  ASSERT_GT(exe.size(), 6u);
  char name[8];
  std::memset(name, '#', sizeof name);
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(nullptr, name, 5), 5u);
  EXPECT_EQ(std::string(name, 5), exe.substr(0, 5));
  EXPECT_EQ(name[5], '#');
  EXPECT_EQ(GetLastError(), 122u);  // ERROR_INSUFFICIENT_BUFFER

  // Exactly one character short of room for the terminator.
  std::string buffer(exe.size() + 1, '#');
  EXPECT_EQ(GetModuleFileNameA(nullptr, &buffer[0], static_cast<DWORD>(exe.size())), exe.size());
  EXPECT_EQ(buffer.back(), '#');
  EXPECT_EQ(GetModuleFileNameA(nullptr, &buffer[0], static_cast<DWORD>(exe.size() + 1)), exe.size());
  EXPECT_EQ(buffer.back(), '\0');
}

TEST(PortableModules, LoadedLibrariesAreFoundByTheirWindowsOrTheirOwnName) {
  HMODULE winport = Winport();
  ASSERT_NE(winport, nullptr);
  std::string path = FileNameOf(winport);
  ASSERT_GT(path.size(), std::string("/libwinport.so").size());
  EXPECT_EQ(path.substr(path.size() - 14), "/libwinport.so");
  EXPECT_EQ(path[0], '/');

  EXPECT_EQ(GetModuleHandleA("libwinport.dll"), winport);
  EXPECT_EQ(GetModuleHandleA("libwinport.DLL"), winport);
  EXPECT_EQ(GetModuleHandleA(path.c_str()), winport);
  std::string backslashed = path;
  for (char& c : backslashed) {
    if (c == '/') c = '\\';
  }
  EXPECT_EQ(GetModuleHandleA(backslashed.c_str()), winport);

  SetLastError(0);
  EXPECT_EQ(GetModuleHandleA("Pelmar.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(GetModuleHandleA("winport.so"), nullptr);  // whole names only
}

TEST(PortableModules, LoadingByADirectoryAndAWindowsNameGivesTheLibrary) {
  std::string path = FileNameOf(Winport());
  std::string directory = path.substr(0, path.rfind('/'));
  std::string windowsName = directory + "\\libwinport.dll";
  HMODULE loaded = LoadLibraryA(windowsName.c_str());
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded, Winport());

  auto setLastError = reinterpret_cast<void (*)(DWORD)>(
      reinterpret_cast<void (*)()>(GetProcAddress(loaded, "SetLastError")));
  ASSERT_NE(setLastError, nullptr);
  setLastError(4321);
  EXPECT_EQ(GetLastError(), 4321u);

  EXPECT_EQ(GetProcAddress(loaded, "ZUL_QueryInterface"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_TRUE(FreeLibrary(loaded));
  EXPECT_EQ(GetModuleHandleA("libwinport.so"), loaded);  // still held by the executable
}

TEST(PortableModules, MissingLibrariesAndBadHandlesFail) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("Grivet.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(LoadLibraryA("/nonexistent\\Grivet.dll"), nullptr);
  EXPECT_EQ(LoadLibraryA(""), nullptr);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);

  int notAModule = 0;
  HMODULE bogus = reinterpret_cast<HMODULE>(&notAModule);
  char name[64];
  EXPECT_EQ(GetModuleFileNameA(bogus, name, sizeof name), 0u);
  EXPECT_EQ(GetProcAddress(bogus, "SetLastError"), nullptr);
  EXPECT_FALSE(FreeLibrary(bogus));
  EXPECT_FALSE(FreeLibrary(nullptr));
}

}  // namespace

#endif  // !_WIN32
