// The .reg file velk keeps the registry in: checked at the start (velk must
// be able to replace it, or to create it), locked for the run, loaded, and
// written back atomically whenever the registry holds something the file
// has not received yet, keeping the file's mode and, where velk may, its
// owner; never over a file that changed on disk since velk last read or
// wrote it, unless told to.
#pragma once

#include <optional>
#include <string>

#include "core/file_lock.h"
#include "reg_format.h"

namespace velk {

class RegistryStore {
 public:
  // path as given on the command line. When it names a symbolic link, velk
  // writes the file the link points to in the end (creating it when the
  // link dangles, as a shell's > does) and leaves the link as it is.
  explicit RegistryStore(std::string path);

  const std::string& Path() const { return path_; }

  // Whether velk can keep the file, before anything runs: an existing file
  // must be a regular file with one name (no other hard links, which a new
  // file put in its place would part from it), that its owner may write (a
  // read-only file is refused even when velk could replace it) and that
  // velk may write; its folder (made when missing) must let velk create a
  // file in it. False with error naming the file and the reason.
  bool CheckWritable(std::string& error) const;

  // Takes the file for this run: a second velk on the same file, by any
  // name that leads to it through links, is refused until this one ends.
  // The lock is a lock file beside the file written (FILE.lock), removed
  // when the lock is given up. False with error naming the file and the
  // holder's pid.
  bool Lock(std::string& error);
  void Unlock() { lock_.Release(); }

  // Loads the file into the registry, or the built-in sample table when it
  // does not exist (sampleUsed is then true). What was loaded counts as
  // what the file holds (the sample too, so that a missing file is made
  // once the plug-in stores something, or at the end: WantFile): a later
  // write happens only when the registry differs from it. False with error for a
  // file that cannot be read, that is not a registry file or that holds
  // keys outside velk's branch, or when stop returned true (the registry is
  // then partly loaded, and nothing is ever written).
  bool Load(bool& sampleUsed, std::string& error, const regfile::StopCheck& stop = nullptr);

  enum class Outcome {
    Saved,          // the file holds the registry (it was written, or held it already)
    Failed,         // it could not be written; the file is as it was
    ChangedOnDisk,  // not written: the file is no longer what velk last read or wrote
  };
  // Writes the registry when it differs from what the file last received.
  // Before it writes, it reads the file and compares it with the bytes velk
  // last read or wrote: when another program changed (or removed, or made)
  // it meanwhile, it writes only with overwrite. reason says why it did not
  // write. Before a load it writes nothing (Saved).
  Outcome SaveIfChanged(std::string& reason, bool overwrite = false);

  // Makes the next SaveIfChanged write when the file was missing at the
  // load and velk has not made it since: velk's normal end keeps the sample
  // it started from in a new file.
  void WantFile();

  // Whether the file held the registry after the last load or write.
  bool InStep() const { return inStep_; }
  // Whether the file was loaded (and may be written).
  bool Loaded() const { return loaded_; }
  // Whether the last write was left out since the file changed on disk.
  bool ChangedBehind() const { return changedBehind_; }

 private:
  std::string path_;                    // as given
  std::string target_;                  // the file written: absolute, links resolved
  std::string received_;                // the registry's text as the file last received it (or held at the load)
  std::optional<std::string> onDisk_;   // the file's bytes as velk last read or wrote them; none: no file
  unsigned long long seenChanges_ = 0;  // the registry's change count when it was last exported
  bool inStep_ = true;
  bool loaded_ = false;
  bool changedBehind_ = false;
  FileLock lock_;
};

// The text of a registry write failure as velk reports it on its standard
// error stream: "cannot write FILE: REASON".
std::string CannotWrite(const std::string& path, const std::string& reason);

// A test hook: the next n writes of the registry file fail as a full disk
// would make them fail (no space left on the device); 0 switches it off.
void FailNextSaves(int n);
// Arms the hook from the environment variable VELK_FAIL_SAVES (a count);
// unset or empty arms nothing. False with error for a value that is not a
// count.
bool FailSavesFromEnvironment(std::string& error);

}  // namespace velk
