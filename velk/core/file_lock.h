// An advisory lock that one process holds on a lock file for as long as it
// runs: velk takes one beside its registry file, so that two velks never
// write the same file. The lock dies with its process, however the process
// ends; a lock file left behind by a process that is gone is taken over, not
// obeyed. Natively a POSIX record lock on the file (fcntl), which also tells
// the holder's pid; on Windows the file is opened without write sharing and
// deleted when its handle closes.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace velk {

class FileLock {
 public:
  enum class Result {
    Taken,   // this process holds it now
    Held,    // another process holds it
    Failed,  // the lock file cannot be made or locked
  };

  FileLock() = default;
  FileLock(FileLock&& other) noexcept : path_(std::move(other.path_)), held_(other.held_) { other.held_ = kNone; }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock() { Release(); }

  // Takes the lock of the file at path (made when missing) and writes this
  // process's pid into it. Held: holder is the other process's pid (0 when
  // it cannot be told). Failed: error says why.
  Result Take(const std::string& path, long& holder, std::string& error);

  // Removes the lock file and gives the lock up; nothing when none is held.
  void Release();

 private:
  // The open lock file: a Windows handle or a file descriptor.
  static constexpr intptr_t kNone = -1;
  std::string path_;
  intptr_t held_ = kNone;
};

}  // namespace velk
