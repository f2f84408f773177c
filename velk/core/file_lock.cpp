#include "core/file_lock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velk {
namespace {

// The pid a lock file holds as text ("1234\n"), 0 when it holds none.
long PidIn(const char* text) {
  char* end = nullptr;
  const long pid = std::strtol(text, &end, 10);
  return end != text && pid > 0 ? pid : 0;
}

}  // namespace

#if defined(_WIN32)

namespace {

long HolderOf(const std::string& path) {
  // Every sharing allowed, so that the holder's handle does not stand in the way.
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  char text[32] = {0};
  DWORD n = 0;
  const BOOL ok = ReadFile(h, text, sizeof text - 1, &n, nullptr);
  CloseHandle(h);
  return ok ? PidIn(text) : 0;
}

}  // namespace

FileLock::Result FileLock::Take(const std::string& path, long& holder, std::string& error) {
  Release();
  holder = 0;
  // No write sharing: a second open for writing fails while this handle
  // lives, and the system closes it (deleting the file) when the process ends.
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code == ERROR_SHARING_VIOLATION) {
      holder = HolderOf(path);
      return Result::Held;
    }
    error = "cannot make the lock file " + path + " (error " + std::to_string(code) + ")";
    return Result::Failed;
  }
  const std::string text = std::to_string(GetCurrentProcessId()) + "\n";
  DWORD written = 0;
  SetEndOfFile(h);
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  held_ = reinterpret_cast<intptr_t>(h);
  path_ = path;
  return Result::Taken;
}

void FileLock::Release() {
  if (held_ == kNone) return;
  CloseHandle(reinterpret_cast<HANDLE>(held_));  // deletes the file
  held_ = kNone;
  path_.clear();
}

#else

namespace {

struct flock WholeFile(short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;
  return lock;
}

long HolderOf(int fd) {
  struct flock probe = WholeFile(F_WRLCK);
  if (::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK && probe.l_pid > 0) return probe.l_pid;
  char text[32] = {0};
  const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
  return n > 0 ? PidIn(text) : 0;
}

// Whether path still names the file open at fd: a holder that ended removed
// the file after this process opened it, and a lock on a removed file locks
// nothing.
bool StillNamed(int fd, const std::string& path) {
  struct stat open {
  }, named{};
  return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

}  // namespace

FileLock::Result FileLock::Take(const std::string& path, long& holder, std::string& error) {
  Release();
  holder = 0;
  for (int attempt = 0; attempt < 20; ++attempt) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
      error = "cannot make the lock file " + path + ": " + std::strerror(errno);
      return Result::Failed;
    }
    struct flock lock = WholeFile(F_WRLCK);
    if (::fcntl(fd, F_SETLK, &lock) != 0) {
      const int err = errno;
      if (err == EACCES || err == EAGAIN) holder = HolderOf(fd);
      else error = "cannot lock " + path + ": " + std::strerror(err);
      ::close(fd);
      return err == EACCES || err == EAGAIN ? Result::Held : Result::Failed;
    }
    if (!StillNamed(fd, path)) {
      ::close(fd);
      continue;
    }
    // The pid for those who cannot ask the lock; one that cannot be written
    // leaves the lock as good.
    const std::string text = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, text.data(), text.size(), 0);
    held_ = fd;
    path_ = path;
    return Result::Taken;
  }
  error = "cannot lock " + path + ": it is removed and made again all the time";
  return Result::Failed;
}

void FileLock::Release() {
  if (held_ == kNone) return;
  // Removed while still locked: a process that opened it meanwhile finds
  // that the name is gone once it has the lock, and makes a new one
  // (StillNamed).
  ::unlink(path_.c_str());
  ::close(static_cast<int>(held_));
  held_ = kNone;
  path_.clear();
}

#endif

}  // namespace velk
