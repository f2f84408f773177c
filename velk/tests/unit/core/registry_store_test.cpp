// The registry file: the start-up check, the write only when something
// changed and never over a file changed behind velk's back, the atomic
// replacement that keeps mode and owner, links, the failing write of the
// test hook, and the front end that writes whenever the plug-in hands
// control back and offers retry (or overwrite) or quit when it cannot.
#include <gtest/gtest.h>

#if !defined(_WIN32)

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <tuple>

#include <windows.h>

#include "core/registry_store.h"
#include "core/saving_front_end.h"
#include "core/velk_branch.h"
#include "reg_format.h"

namespace velk {
namespace {

// A folder of its own for each test, removed with everything in it.
class Scratch {
 public:
  Scratch() {
    char name[] = "/tmp/velk_registry_file_XXXXXX";
    dir_ = mkdtemp(name) ? name : "";
  }
  ~Scratch() {
    if (dir_.empty()) return;
    std::string cmd = "chmod -R u+rwx '" + dir_ + "' 2>/dev/null; rm -rf '" + dir_ + "'";
    if (std::system(cmd.c_str()) != 0) return;
  }
  std::string operator/(const std::string& name) const { return dir_ + "/" + name; }
  // Names in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir_.c_str())) {
      while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
      }
      closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string dir_;
};

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

mode_t Mode(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

// A registry file with one value, not in velk's canonical form (LF line
// ends, no blank lines), so that any rewrite shows in its bytes.
const char kLoose[] = "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\VELK\\Test]\n\"v\"=\"loaded\"\n";

// Puts a value into the registry branch as the plug-in would store it.
void Store(const std::string& value) {
  regfile::File f;
  regfile::Value v;
  v.name = "v";
  v.type = 1;
  v.data.assign(value.begin(), value.end());
  v.data.push_back(0);
  f.keys.push_back({"HKEY_CURRENT_USER\\Software\\VELK\\Test", {v}});
  std::string error;
  ASSERT_TRUE(ImportBranch(f, error)) << error;
}

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

using Outcome = RegistryStore::Outcome;

bool Saved(RegistryStore& file, std::string& reason) { return file.SaveIfChanged(reason) == Outcome::Saved; }

class RegistryStoreTest : public ::testing::Test {
 protected:
  void TearDown() override { FailNextSaves(0); }
  // The file at path, holding kLoose, loaded into the registry.
  RegistryStore Loaded(const std::string& path) {
    Write(path, kLoose);
    RegistryStore file(path);
    bool sample = true;
    std::string error;
    EXPECT_TRUE(file.Load(sample, error)) << error;
    EXPECT_FALSE(sample);
    return file;
  }
  Scratch dir;
};

TEST_F(RegistryStoreTest, StartUpCheckRefusesWhatCannotBeKept) {
  std::string error;
  // A new file in an existing folder, and one whose folder is still to be
  // made: both fine, and the check leaves nothing behind but the folder.
  EXPECT_TRUE(RegistryStore(dir / "new.reg").CheckWritable(error)) << error;
  EXPECT_TRUE(RegistryStore(dir / "sub/deeper/new.reg").CheckWritable(error)) << error;
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"sub"});

  // A read-only file is refused, even for a user (root) who could replace it.
  const std::string ro = dir / "ro.reg";
  Write(ro, kLoose);
  chmod(ro.c_str(), 0444);
  EXPECT_FALSE(RegistryStore(ro).CheckWritable(error));
  EXPECT_NE(error.find("read-only"), std::string::npos) << error;
  EXPECT_EQ(Occurrences(error, ro), 1u) << error;
  EXPECT_EQ(Read(ro), kLoose);

  // A file with a second name: a new file in its place would part them.
  const std::string twice = dir / "twice.reg";
  Write(twice, kLoose);
  ASSERT_EQ(link(twice.c_str(), (dir / "other-name.reg").c_str()), 0);
  EXPECT_FALSE(RegistryStore(twice).CheckWritable(error));
  EXPECT_NE(error.find("2 hard links"), std::string::npos) << error;

  // A folder where the file should be, and a path below a plain file.
  EXPECT_FALSE(RegistryStore(dir / "sub").CheckWritable(error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
  const std::string below = dir / "ro.reg/x.reg";
  EXPECT_FALSE(RegistryStore(below).CheckWritable(error));
  EXPECT_EQ(Occurrences(error, below), 1u) << error;
  EXPECT_EQ(error.rfind("cannot ", 0), 0u) << error;
}

TEST_F(RegistryStoreTest, UnwritableFolderIsRefusedWhereTheUserCannotWrite) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes any folder; the tmux tests drop privileges for this";
  const std::string locked = dir / "locked";
  ASSERT_EQ(mkdir(locked.c_str(), 0755), 0);
  Write(locked + "/r.reg", kLoose);
  chmod(locked.c_str(), 0555);
  std::string error;
  // The file itself may be written, but it cannot be replaced atomically.
  EXPECT_FALSE(RegistryStore(locked + "/r.reg").CheckWritable(error));
  EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
  EXPECT_FALSE(RegistryStore(locked + "/new.reg").CheckWritable(error));
  EXPECT_EQ(error.rfind("cannot create " + locked + "/new.reg: ", 0), 0u) << error;
}

TEST_F(RegistryStoreTest, WritesOnlyWhatChangedAndKeepsTheMode) {
  const std::string path = dir / "r.reg";
  RegistryStore file = Loaded(path);
  chmod(path.c_str(), 0640);
  std::string error;

  // The registry as loaded: the file, though not in canonical form, holds it.
  EXPECT_TRUE(Saved(file, error)) << error;
  EXPECT_EQ(Read(path), kLoose);

  Store("changed");
  EXPECT_TRUE(Saved(file, error)) << error;
  const std::string written = Read(path);
  EXPECT_NE(written.find("\"v\"=\"changed\""), std::string::npos) << written;
  EXPECT_EQ(Mode(path), 0640u);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"r.reg"});

  // Another program writes the file: with nothing new in the registry,
  // velk leaves it alone; with something new, it writes only when told to.
  Write(path, kLoose);
  EXPECT_TRUE(Saved(file, error)) << error;
  Store("changed again");
  EXPECT_EQ(file.SaveIfChanged(error), Outcome::ChangedOnDisk);
  EXPECT_TRUE(file.ChangedBehind());
  EXPECT_FALSE(file.InStep());
  EXPECT_EQ(Read(path), kLoose);
  EXPECT_EQ(file.SaveIfChanged(error, true), Outcome::Saved) << error;
  EXPECT_NE(Read(path).find("changed again"), std::string::npos);
  EXPECT_FALSE(file.ChangedBehind());

  // A touch that keeps the bytes is no change; a removed file is one.
  utime(path.c_str(), nullptr);
  Store("after a touch");
  EXPECT_TRUE(Saved(file, error)) << error;
  ASSERT_EQ(unlink(path.c_str()), 0);
  Store("after the removal");
  EXPECT_EQ(file.SaveIfChanged(error), Outcome::ChangedOnDisk);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{});
}

// Every byte of every value goes through the file and comes back: texts
// with every byte value, an embedded zero, no terminator, binary data.
TEST_F(RegistryStoreTest, EveryByteOfEveryValueComesBackFromTheFile) {
  const std::string path = dir / "r.reg";
  RegistryStore file = Loaded(path);
  std::string everyByte;
  for (int b = 1; b < 256; ++b) everyByte.push_back(static_cast<char>(b));
  regfile::File awkward;
  awkward.keys.push_back({"HKEY_CURRENT_USER\\Software\\VELK\\Test", {}});
  for (const auto& [name, type, bytes] : {std::tuple<const char*, uint32_t, std::string>{"all", 1, everyByte + '\0'},
                                          {"embedded", 1, std::string("a\0b\0", 4)},
                                          {"unended", 1, "open"},
                                          {"binary", 3, std::string("\0\xff\x10", 3)}}) {
    awkward.keys[0].values.push_back({name, type, std::vector<uint8_t>(bytes.begin(), bytes.end())});
  }
  // Siblings whose order the tree must give as the canonical sort does.
  for (const char* sub : {"b", "A_", "a\\x", "a"}) {
    awkward.keys.push_back({std::string("HKEY_CURRENT_USER\\Software\\VELK\\Test\\") + sub, {}});
  }
  std::string error;
  ASSERT_TRUE(ImportBranch(awkward, error)) << error;
  regfile::File stored;
  ASSERT_TRUE(ExportBranch(stored, error)) << error;
  std::string text;
  ASSERT_TRUE(ExportBranchText(text, error)) << error;
  EXPECT_EQ(text, regfile::Write(stored));
  ASSERT_TRUE(Saved(file, error)) << error;

  RegistryStore again(path);
  bool sample = true;
  ASSERT_TRUE(again.Load(sample, error)) << error;
  regfile::File reloaded;
  ASSERT_TRUE(ExportBranch(reloaded, error)) << error;
  EXPECT_EQ(regfile::Write(reloaded), regfile::Write(stored));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"r.reg"});
}

// The plug-in stores through the registry calls, not by imports: what it
// sets and deletes reaches the file, each change at the next write.
TEST_F(RegistryStoreTest, WhatTheRegistryCallsStoreReachesTheFile) {
  const std::string path = dir / "r.reg";
  RegistryStore file = Loaded(path);
  std::string reason;
  HKEY key;
  ASSERT_EQ(
      RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VELK\\Test", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "w", 0, REG_SZ, reinterpret_cast<const BYTE*>("set"), 4), ERROR_SUCCESS);
  EXPECT_TRUE(Saved(file, reason)) << reason;
  EXPECT_NE(Read(path).find("\"w\"=\"set\""), std::string::npos) << Read(path);
  ASSERT_EQ(RegDeleteValueA(key, "v"), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_TRUE(Saved(file, reason)) << reason;
  EXPECT_EQ(Read(path).find("\"v\"="), std::string::npos) << Read(path);
}

TEST_F(RegistryStoreTest, ANewFileGetsTheUmasksModeAndAnOldOneItsOwner) {
  const mode_t old = umask(027);
  const std::string path = dir / "fresh/r.reg";
  RegistryStore file(path);
  bool sample = false;
  std::string error;
  ASSERT_TRUE(file.Load(sample, error)) << error;
  EXPECT_TRUE(sample);
  // A missing file is made once the plug-in stores something, or when
  // velk ends normally.
  ASSERT_TRUE(Saved(file, error)) << error;
  EXPECT_NE(access(path.c_str(), F_OK), 0);
  file.WantFile();
  ASSERT_TRUE(Saved(file, error)) << error;
  umask(old);
  EXPECT_EQ(Mode(path), 0640u);

  // Another user's file (when the test may make one) keeps its owner.
  const uid_t other = geteuid() == 0 ? 65534 : geteuid();
  const gid_t group = geteuid() == 0 ? 65534 : getegid();
  ASSERT_EQ(chown(path.c_str(), other, group), 0);
  chmod(path.c_str(), 0600);
  Store("owned");
  ASSERT_TRUE(Saved(file, error)) << error;
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, other);
  EXPECT_EQ(st.st_gid, group);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_NE(Read(path).find("\"v\"=\"owned\""), std::string::npos);
}

TEST_F(RegistryStoreTest, AFailedWriteLeavesTheFileAndNoTemporary) {
  const std::string path = dir / "r.reg";
  RegistryStore file = Loaded(path);
  std::string reason;
  Store("lost?");
  FailNextSaves(2);
  EXPECT_EQ(file.SaveIfChanged(reason), Outcome::Failed);
  EXPECT_EQ(reason, std::strerror(ENOSPC));
  EXPECT_FALSE(file.InStep());
  EXPECT_EQ(file.SaveIfChanged(reason), Outcome::Failed);
  EXPECT_EQ(Read(path), kLoose);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"r.reg"});
  // The hook is spent: the next write goes through.
  EXPECT_TRUE(Saved(file, reason)) << reason;
  EXPECT_TRUE(file.InStep());
  EXPECT_NE(Read(path).find("\"v\"=\"lost?\""), std::string::npos);

  // After a failure, a registry that came back to what the file holds needs
  // no write: the file is in step again.
  Store("other");
  FailNextSaves(1);
  EXPECT_EQ(file.SaveIfChanged(reason), Outcome::Failed);
  Store("lost?");
  EXPECT_TRUE(Saved(file, reason)) << reason;
  EXPECT_TRUE(file.InStep());
}

TEST_F(RegistryStoreTest, AFileMadeReadOnlyLaterIsNeverReplaced) {
  const std::string path = dir / "r.reg";
  RegistryStore file = Loaded(path);
  std::string reason;
  chmod(path.c_str(), 0444);
  Store("changed");
  EXPECT_EQ(file.SaveIfChanged(reason), Outcome::Failed);
  EXPECT_EQ(reason, "the file is read-only");
  EXPECT_EQ(Read(path), kLoose);
  chmod(path.c_str(), 0644);
  EXPECT_TRUE(Saved(file, reason)) << reason;
}

TEST_F(RegistryStoreTest, ALinkStaysALinkToTheFileWritten) {
  const std::string real = dir / "real.reg", link = dir / "link.reg";
  Write(real, kLoose);
  ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
  RegistryStore file(link);
  bool sample = true;
  std::string reason;
  ASSERT_TRUE(file.CheckWritable(reason)) << reason;
  ASSERT_TRUE(file.Load(sample, reason)) << reason;
  EXPECT_FALSE(sample);
  Store("through the link");
  ASSERT_TRUE(Saved(file, reason)) << reason;
  struct stat st {};
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_NE(Read(real).find("through the link"), std::string::npos);

  // A dangling link, relative, through a second link: the file it names in
  // the end is made, beside that link's target, as a shell's > makes it.
  ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
  ASSERT_EQ(symlink("sub/hop.reg", (dir / "dangling.reg").c_str()), 0);
  ASSERT_EQ(symlink("made.reg", (dir / "sub/hop.reg").c_str()), 0);
  RegistryStore dangling(dir / "dangling.reg");
  ASSERT_TRUE(dangling.CheckWritable(reason)) << reason;
  ASSERT_TRUE(dangling.Load(sample, reason)) << reason;
  EXPECT_TRUE(sample);
  Store("through a dangling link");
  ASSERT_TRUE(Saved(dangling, reason)) << reason;
  ASSERT_EQ(lstat((dir / "dangling.reg").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_NE(Read(dir / "sub/made.reg").find("through a dangling link"), std::string::npos);
}

TEST_F(RegistryStoreTest, LoadErrorsNameTheFileOnce) {
  const std::string bad = dir / "bad.reg";
  Write(bad, "REGEDIT4\n[HKEY\n");
  bool sample = false;
  std::string error;
  EXPECT_FALSE(RegistryStore(bad).Load(sample, error));
  EXPECT_EQ(Occurrences(error, "bad.reg"), 1u) << error;
  EXPECT_NE(error.find("line 2"), std::string::npos) << error;
  const std::string outside = dir / "outside.reg";
  Write(outside, "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Other]\n");
  EXPECT_FALSE(RegistryStore(outside).Load(sample, error));
  EXPECT_EQ(Occurrences(error, "outside.reg"), 1u) << error;
}

TEST(SaveFaultHook, TakesACountFromTheEnvironment) {
  std::string error;
  setenv("VELK_FAIL_SAVES", "x3", 1);
  EXPECT_FALSE(FailSavesFromEnvironment(error));
  EXPECT_NE(error.find("VELK_FAIL_SAVES"), std::string::npos);
  setenv("VELK_FAIL_SAVES", "", 1);
  EXPECT_TRUE(FailSavesFromEnvironment(error));
  unsetenv("VELK_FAIL_SAVES");
  EXPECT_TRUE(FailSavesFromEnvironment(error));
}

// A front end that records what reaches it, with the registry file's bytes
// at that moment, and answers message boxes from a list.
class Recorder : public FrontEnd {
 public:
  explicit Recorder(std::string path) : path_(std::move(path)) {}
  HostCommand NextHostCommand(const std::vector<std::string>&, const std::vector<std::string>&) override {
    Seen("host menu");
    return HostCommand();
  }
  MenuAnswer ShowMenu(const MenuView&) override {
    Seen("menu");
    return MenuAnswer();
  }
  int RunDialog(DialogView&) override {
    Seen("dialog");
    return -1;
  }
  int ShowMessage(const MessageView& m) override {
    Seen("message " + (m.lines.size() > 1 ? m.lines[1] : std::string()));
    messages.push_back(m);
    if (answers.empty()) return -1;
    int a = answers.front();
    answers.erase(answers.begin());
    return a;
  }

  std::vector<std::string> seen;    // what was shown, in order
  std::vector<std::string> fileAt;  // the file's bytes when it was shown
  std::vector<MessageView> messages;
  std::vector<int> answers;

 private:
  void Seen(const std::string& what) {
    seen.push_back(what);
    fileAt.push_back(Read(path_));
  }
  std::string path_;
};

struct Quit {
  std::string reason;
};

class SavingFrontEndTest : public RegistryStoreTest {
 protected:
  std::string path = dir / "r.reg";
  RegistryStore file = Loaded(path);
  Recorder inner{path};
  std::vector<std::string> notes;
  SavingFrontEnd saving{inner, file, [this](const std::string& line) { notes.push_back(line); },
                        [](const std::string& reason) { throw Quit{reason}; }};
};

TEST_F(SavingFrontEndTest, WhatThePlugInStoredIsOnDiskBeforeEachView) {
  saving.NextHostCommand({}, {});
  Store("in the menu");
  saving.ShowMenu(MenuView());
  Store("in the dialog");
  DialogView dialog;
  saving.RunDialog(dialog);
  Store("in the box");
  saving.ShowMessage(MessageView());
  ASSERT_EQ(inner.seen.size(), 4u);
  EXPECT_EQ(inner.fileAt[0], kLoose);  // nothing new: no write
  EXPECT_NE(inner.fileAt[1].find("in the menu"), std::string::npos);
  EXPECT_NE(inner.fileAt[2].find("in the dialog"), std::string::npos);
  EXPECT_NE(inner.fileAt[3].find("in the box"), std::string::npos);
  EXPECT_TRUE(notes.empty());
}

TEST_F(SavingFrontEndTest, AFailedWriteAsksAndRetriesUntilItWorks) {
  Store("applied");
  FailNextSaves(2);
  inner.answers = {SaveRetry, -1};  // Esc retries too
  saving.ShowMenu(MenuView());
  EXPECT_EQ(inner.seen, (std::vector<std::string>{"message Cannot write the registry file",
                                                  "message Cannot write the registry file", "menu"}));
  EXPECT_EQ(inner.fileAt[1], kLoose);
  EXPECT_NE(inner.fileAt[2].find("applied"), std::string::npos);
  const MessageView& box = inner.messages[0];
  EXPECT_EQ(box.lines,
            (std::vector<std::string>{"velk", "Cannot write the registry file", path, std::strerror(ENOSPC)}));
  EXPECT_EQ(box.buttons, (std::vector<std::string>{"Retry", "Quit without saving"}));
  const std::string notWritten = std::string("registry file not written: ") + std::strerror(ENOSPC);
  EXPECT_EQ(notes, (std::vector<std::string>{notWritten, notWritten, "registry file written"}));
}

TEST_F(SavingFrontEndTest, AFileChangedOnDiskIsOverwrittenOnlyWhenTheUserSaysSo) {
  Write(path, "by another program");
  Store("applied");
  inner.answers = {-1, ChangedOverwrite};  // Esc asks again
  saving.ShowMenu(MenuView());
  EXPECT_EQ(inner.seen, (std::vector<std::string>{"message The registry file changed on disk",
                                                  "message The registry file changed on disk", "menu"}));
  EXPECT_EQ(inner.fileAt[1], "by another program");
  EXPECT_NE(inner.fileAt[2].find("applied"), std::string::npos);
  EXPECT_EQ(inner.messages[0].buttons, (std::vector<std::string>{"Overwrite", "Quit without saving"}));
  EXPECT_EQ(notes, (std::vector<std::string>{"registry file changed on disk", "registry file changed on disk",
                                             "registry file written"}));

  Write(path, "by another program again");
  Store("not kept");
  inner.answers = {ChangedQuit};
  EXPECT_THROW(saving.ShowMenu(MenuView()), Quit);
  EXPECT_EQ(Read(path), "by another program again");
}

TEST_F(SavingFrontEndTest, QuitWithoutSavingLeavesTheFileAsItWas) {
  Store("applied");
  FailNextSaves(1);
  inner.answers = {SaveQuit};
  try {
    saving.Sync();
    FAIL() << "the quit handler was not called";
  } catch (const Quit& quit) {
    EXPECT_EQ(quit.reason, std::strerror(ENOSPC));
  }
  EXPECT_EQ(Read(path), kLoose);
  EXPECT_EQ(inner.seen.size(), 1u);
}

TEST(SaveFailedView, ShowsAPathCodePage437CannotHold) {
  const MessageView box = SaveFailedView("/tmp/\xE2\x82\xAC/caf\xC3\xA9\xFF.reg", "reason");
  ASSERT_EQ(box.lines.size(), 4u);
  EXPECT_EQ(box.lines[2], "/tmp/?/caf\x82?.reg");  // the euro sign and the stray byte as '?', é as 0x82
  EXPECT_EQ(box.flags, MessageErrorReport);
}

}  // namespace
}  // namespace velk

#endif
