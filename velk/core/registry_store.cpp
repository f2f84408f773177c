#include "core/registry_store.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>

#include "winport.h"
#endif

#include "core/velk_branch.h"
#include "reg_format.h"

namespace velk {
namespace {

int pendingFaults = 0;

std::string ErrnoText(int err) { return std::strerror(err); }

// Makes the folder the file goes in, when it is missing.
bool MakeFolder(const std::string& file, std::string& reason) {
  std::filesystem::path p = std::filesystem::u8path(file);
  if (!p.has_parent_path()) return true;
  std::error_code ec;
  std::filesystem::create_directories(p.parent_path(), ec);
  if (!ec) return true;
  reason = "its folder cannot be made: " + ec.message();
  return false;
}

#if defined(_WIN32)

constexpr int OpenFlags = _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY;
int OpenNew(const std::string& name, bool) { return _open(name.c_str(), OpenFlags, _S_IREAD | _S_IWRITE); }
int ProcessId() { return _getpid(); }
int CloseFile(int fd) { return _close(fd); }
int RemoveFile(const std::string& name) { return _unlink(name.c_str()); }
int WriteSome(int fd, const char* data, size_t n) {
  return _write(fd, data, static_cast<unsigned>(n > 0x40000000 ? 0x40000000 : n));
}
int SyncFile(int fd) { return _commit(fd); }

#else

std::string ParentOf(const std::string& path) {
  std::filesystem::path p = std::filesystem::u8path(path);
  return p.has_parent_path() ? p.parent_path().u8string() : std::string(".");
}

// A new file gets the mode the umask gives; a replacement starts private and
// is given the old file's mode before anything is written into it.
int OpenNew(const std::string& name, bool replacing) {
  return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replacing ? 0600 : 0666);
}
int ProcessId() { return static_cast<int>(::getpid()); }
int CloseFile(int fd) { return ::close(fd); }
int RemoveFile(const std::string& name) { return ::unlink(name.c_str()); }
ssize_t WriteSome(int fd, const char* data, size_t n) { return ::write(fd, data, n); }
int SyncFile(int fd) { return ::fsync(fd); }

#endif

// Creates the temporary file of an atomic write beside target:
// TARGET.tmpPID, or TARGET.tmpPID-N when a file of that name is left over.
int CreateTemporary(const std::string& target, bool replacing, std::string& temp, std::string& reason) {
  const std::string base = target + ".tmp" + std::to_string(ProcessId());
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = attempt == 0 ? base : base + "-" + std::to_string(attempt);
    int fd = OpenNew(temp, replacing);
    if (fd >= 0) return fd;
    if (errno != EEXIST) break;
  }
  reason = "cannot create a file in its folder: " + ErrnoText(errno);
  return -1;
}

// The refusal of a file with other names: the atomic write puts a new file
// under one name, and the others would keep the old content.
std::string HardLinkRefusal(unsigned long links) {
  return "the file has " + std::to_string(links) + " hard links, and velk's writes would part them";
}

// What an existing file is: whether it exists, and why velk may not replace it.
struct Existing {
  bool exists = false;
  std::string refusal;  // empty when velk may replace it
#if defined(_WIN32)
  DWORD attributes = 0;
#else
  struct stat status {};
#endif
};

Existing LookAt(const std::string& target) {
  Existing e;
#if defined(_WIN32)
  e.attributes = GetFileAttributesA(target.c_str());
  e.exists = e.attributes != INVALID_FILE_ATTRIBUTES;
  if (!e.exists) return e;
  if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) e.refusal = "it is not a regular file";
  else if (e.attributes & FILE_ATTRIBUTE_READONLY) e.refusal = "the file is read-only";
  if (!e.refusal.empty()) return e;
  HANDLE h = CreateFileA(target.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  BY_HANDLE_FILE_INFORMATION info{};
  if (h != INVALID_HANDLE_VALUE) {
    if (GetFileInformationByHandle(h, &info) && info.nNumberOfLinks > 1)
      e.refusal = HardLinkRefusal(info.nNumberOfLinks);
    CloseHandle(h);
  }
#else
  if (::stat(target.c_str(), &e.status) != 0) {
    const int err = errno;
    // Anything but a missing file (a plain file where a folder should be,
    // say) is a reason of its own.
    e.exists = err != ENOENT;
    if (e.exists) e.refusal = ErrnoText(err);
    return e;
  }
  e.exists = true;
  if (!S_ISREG(e.status.st_mode)) e.refusal = "it is not a regular file";
  else if (e.status.st_nlink > 1) e.refusal = HardLinkRefusal(static_cast<unsigned long>(e.status.st_nlink));
  // The owner's write permission says whether the file may change; root
  // could replace it anyway, but a read-only file stays as it is.
  else if (!(e.status.st_mode & S_IWUSR)) e.refusal = "the file is read-only";
  else if (::access(target.c_str(), W_OK) != 0) e.refusal = ErrnoText(errno);
#endif
  return e;
}

// Gives the temporary file the replaced file's owner, group and mode (the
// owner and group where velk may change them).
bool TakeOver(int fd, const Existing& old, std::string& reason) {
#if defined(_WIN32)
  (void)fd;
  (void)old;
  (void)reason;
  return true;
#else
  if (::fchown(fd, old.status.st_uid, old.status.st_gid) != 0) {
    if (errno != EPERM) {
      reason = ErrnoText(errno);
      return false;
    }
    // Another user's file that velk may write: keep at least its group.
    if (::fchown(fd, static_cast<uid_t>(-1), old.status.st_gid) != 0 && errno != EPERM) {
      reason = ErrnoText(errno);
      return false;
    }
  }
  if (::fchmod(fd, old.status.st_mode & 07777) != 0) {
    reason = ErrnoText(errno);
    return false;
  }
  return true;
#endif
}

bool WriteAll(int fd, const std::string& text, std::string& reason) {
  size_t done = 0;
  while (done < text.size()) {
    auto n = WriteSome(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      reason = ErrnoText(n < 0 ? errno : ENOSPC);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  if (SyncFile(fd) != 0) {
    reason = ErrnoText(errno);
    return false;
  }
  return true;
}

bool Rename(const std::string& temp, const std::string& target, const Existing& old, std::string& reason) {
#if defined(_WIN32)
  if (old.exists) {
    const DWORD kept = old.attributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                         FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (kept) SetFileAttributesA(temp.c_str(), kept);
  }
  if (MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  reason = "cannot replace the file (error " + std::to_string(GetLastError()) + ")";
  return false;
#else
  (void)old;
  if (std::rename(temp.c_str(), target.c_str()) != 0) {
    reason = ErrnoText(errno);
    return false;
  }
  // The new name is lasting only once the folder is on the disk too; a
  // folder that cannot be synced still holds the file.
  int dir = ::open(ParentOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
#endif
}

// Writes text to target through a temporary file beside it, renamed over
// the old file once it is complete and on the disk.
bool WriteAtomically(const std::string& target, const std::string& text, std::string& reason) {
  const Existing old = LookAt(target);
  if (!old.refusal.empty()) {
    reason = old.refusal;
    return false;
  }
  if (!old.exists && !MakeFolder(target, reason)) return false;
  std::string temp;
  int fd = CreateTemporary(target, old.exists, temp, reason);
  if (fd < 0) return false;
  bool ok = !old.exists || TakeOver(fd, old, reason);
  if (ok && pendingFaults > 0) {
    --pendingFaults;
    reason = ErrnoText(ENOSPC);
    ok = false;
  }
  ok = ok && WriteAll(fd, text, reason);
  if (CloseFile(fd) != 0 && ok) {
    reason = ErrnoText(errno);
    ok = false;
  }
  ok = ok && Rename(temp, target, old, reason);
  if (!ok) RemoveFile(temp);
  return ok;
}

// Natively the in-memory registry counts the calls that may change it: an
// unchanged count means an unchanged registry, which need not be exported
// to be compared. Windows has no such count; velk exports the branch every
// time there.
#if defined(_WIN32)
constexpr bool kChangesCounted = false;
unsigned long long RegistryChanges() { return 0; }
#else
constexpr bool kChangesCounted = true;
unsigned long long RegistryChanges() { return WinportRegistryChangeCount(); }
#endif

// The file velk keeps for path: symbolic links followed to the file the
// last one names, whether it exists or not (a dangling link names the file
// velk creates), as an absolute path with the folders' links resolved too,
// so that every name of one file gives one target (and one lock). A loop of
// links is left as it stands: looking at it then fails as it should.
std::string ResolveTarget(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path p = fs::u8path(path);
  std::error_code ec;
  for (int hop = 0; hop < 40 && fs::is_symlink(fs::symlink_status(p, ec)); ++hop) {
    fs::path next = fs::read_symlink(p, ec);
    if (ec) break;
    p = next.is_absolute() ? next : p.parent_path() / next;
  }
  fs::path full = fs::weakly_canonical(fs::absolute(p, ec), ec);
  return ec ? p.u8string() : full.u8string();
}

// The file's bytes, or none when there is no file. False with reason when
// it cannot be read.
bool ReadDisk(const std::string& file, std::optional<std::string>& bytes, std::string& reason) {
  bytes.reset();
  std::FILE* f = std::fopen(file.c_str(), "rb");
  if (!f) {
    if (errno == ENOENT) return true;
    reason = ErrnoText(errno);
    return false;
  }
  std::string content;
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) content.append(chunk, n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) {
    reason = "read error";
    return false;
  }
  bytes = std::move(content);
  return true;
}

}  // namespace

std::string CannotWrite(const std::string& path, const std::string& reason) {
  return "cannot write " + path + ": " + reason;
}

RegistryStore::RegistryStore(std::string path) : path_(std::move(path)), target_(ResolveTarget(path_)) {}

bool RegistryStore::CheckWritable(std::string& error) const {
  const Existing old = LookAt(target_);
  std::string reason = old.refusal;
  if (reason.empty() && !old.exists && !MakeFolder(target_, reason)) {
    error = "cannot create " + path_ + ": " + reason;
    return false;
  }
  if (reason.empty()) {
    // Try what the atomic write does first: a new file in the folder.
    std::string temp;
    int fd = CreateTemporary(target_, old.exists, temp, reason);
    if (fd >= 0) {
      CloseFile(fd);
      RemoveFile(temp);
    }
  }
  if (reason.empty()) return true;
  error = (old.exists ? CannotWrite(path_, reason) : "cannot create " + path_ + ": " + reason);
  return false;
}

bool RegistryStore::Lock(std::string& error) {
  long holder = 0;
  std::string why;
  switch (lock_.Take(target_ + ".lock", holder, why)) {
    case FileLock::Result::Taken: return true;
    case FileLock::Result::Held:
      error = path_ + " is in use by another velk" + (holder > 0 ? " (process " + std::to_string(holder) + ")" : "") +
              "; one velk at a time keeps a registry file";
      return false;
    case FileLock::Result::Failed: break;
  }
  error = "cannot take " + path_ + " for this run: " + why;
  return false;
}

bool RegistryStore::Load(bool& sampleUsed, std::string& error, const regfile::StopCheck& stop) {
  std::optional<std::string> bytes;
  std::string reason;
  if (!ReadDisk(target_, bytes, reason)) {
    error = "cannot read " + path_ + ": " + reason;
    return false;
  }
  sampleUsed = !bytes;
  if (!LoadRegistry(path_, bytes ? &*bytes : nullptr, error, stop)) return false;
  if (stop && stop()) {
    error = "loading stopped";
    return false;
  }
  seenChanges_ = RegistryChanges();
  // The sample in place of a missing file counts as what the file holds:
  // the file is made once the plug-in stores something.
  if (!ExportBranchText(received_, error)) return false;
  onDisk_ = std::move(bytes);
  inStep_ = true;
  loaded_ = true;
  return true;
}

void RegistryStore::WantFile() {
  if (!loaded_ || onDisk_) return;
  received_.clear();
  inStep_ = false;
}

RegistryStore::Outcome RegistryStore::SaveIfChanged(std::string& reason, bool overwrite) {
  if (!loaded_) return Outcome::Saved;
  const unsigned long long changes = RegistryChanges();
  if (kChangesCounted && inStep_ && changes == seenChanges_) return Outcome::Saved;
  std::string text, error;
  inStep_ = false;
  if (!ExportBranchText(text, error)) {
    reason = error;
    return Outcome::Failed;
  }
  seenChanges_ = changes;
  // The file holds this already (after a failed write, the registry may
  // have come back to what the file received).
  inStep_ = text == received_;
  if (inStep_) return Outcome::Saved;
  std::optional<std::string> now;
  if (!overwrite && !ReadDisk(target_, now, error)) {
    reason = "cannot read it: " + error;
    return Outcome::Failed;
  }
  changedBehind_ = !overwrite && now != onDisk_;
  if (changedBehind_) {
    reason = "it changed on disk since velk last read or wrote it";
    return Outcome::ChangedOnDisk;
  }
  if (!WriteAtomically(target_, text, reason)) return Outcome::Failed;
  onDisk_ = text;
  received_ = std::move(text);
  inStep_ = true;
  return Outcome::Saved;
}

void FailNextSaves(int n) { pendingFaults = n > 0 ? n : 0; }

bool FailSavesFromEnvironment(std::string& error) {
  const char* value = std::getenv("VELK_FAIL_SAVES");
  pendingFaults = 0;
  if (!value || !*value) return true;
  const std::string s = value;
  if (s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos) {
    error = "VELK_FAIL_SAVES takes a count of writes, not " + s;
    return false;
  }
  FailNextSaves(std::atoi(value));
  return true;
}

}  // namespace velk
