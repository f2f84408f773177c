// The .reg file velk keeps the registry in: checked at the start (velk must
// be able to replace it, or to create it), loaded, and written back
// atomically whenever the registry holds something the file has not
// received yet, keeping the file's mode and, where velk may, its owner.
#pragma once

#include <string>

namespace velk {

class RegistryStore {
 public:
  // path as given on the command line. When it names a symbolic link, velk
  // writes the file the link points to and leaves the link as it is.
  explicit RegistryStore(std::string path);

  const std::string& Path() const { return path_; }

  // Whether velk can keep the file, before anything runs: an existing file
  // must be a regular file that its owner may write (a read-only file is
  // refused even when velk could replace it) and that velk may write; its
  // folder (made when missing) must let velk create a file in it. False
  // with error naming the file and the reason.
  bool CheckWritable(std::string& error) const;

  // Loads the file into the registry, or the built-in sample table when it
  // does not exist (sampleUsed is then true). What was loaded counts as
  // what the file holds: a later write happens only when the registry
  // differs from it. False with error for a file that cannot be read, that
  // is not a registry file or that holds keys outside velk's branch.
  bool Load(bool& sampleUsed, std::string& error);

  // Writes the registry when it differs from what the file last received;
  // true when the file holds the registry afterwards. reason is why it
  // could not be written.
  bool SaveIfChanged(std::string& reason);
  // Writes the registry whether it changed or not.
  bool Save(std::string& reason);

  // Whether the file held the registry after the last load or write.
  bool InStep() const { return inStep_; }

 private:
  bool Write(bool always, std::string& reason);

  std::string path_;    // as given
  std::string target_;  // the file written (a link's target)
  std::string received_;  // the registry's text as the file last received it (or held at the load)
  unsigned long long seenChanges_ = 0;  // the registry's change count when it was last exported
  bool inStep_ = true;
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
