// The four exports, called as a host calls them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "host/base/exit_hook.h"
#include "host/entry/startup.h"
#include "host/host_test_support.h"
#include "host/interface/messages.h"
#include "model/text.h"
#include "storage/registry_access.h"
#include "storage/settings.h"

using ::testing::ElementsAre;

namespace {

// A copy of a host record cut to n bytes, placed so that its last byte is
// (nearly) the last readable one: on Linux an inaccessible page follows, so
// reading past the record faults; elsewhere sanitizer builds catch it.
class CutRecord {
 public:
  CutRecord(const HostStartupInfo& full, size_t n) {
    size_t rounded = (n + 7) & ~size_t(7);
#ifndef _WIN32
    page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    mapping = mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    mprotect(static_cast<char*>(mapping) + page, page, PROT_NONE);
    bytes = static_cast<unsigned char*>(mapping) + page - rounded;
#else
    storage.resize(rounded ? rounded : 8);
    bytes = storage.data();
#endif
    std::memcpy(bytes, &full, n < sizeof full ? n : sizeof full);
    if (n >= sizeof(int32_t)) {
      int32_t size = static_cast<int32_t>(n);
      std::memcpy(bytes, &size, sizeof size);
    }
  }
  ~CutRecord() {
#ifndef _WIN32
    munmap(mapping, 2 * page);
#endif
  }
  const HostStartupInfo* Record() const { return reinterpret_cast<const HostStartupInfo*>(bytes); }

 private:
  unsigned char* bytes = nullptr;
#ifndef _WIN32
  void* mapping = nullptr;
  size_t page = 0;
#else
  std::vector<unsigned char> storage;
#endif
};

bool AllZeroFrom(const HostStartupInfo* record, size_t from) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(record);
  for (size_t i = from; i < HostStartupCopySize; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

std::string ExecutablePath() {
#ifdef _WIN32
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
#else
  char path[4096] = {};
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
#endif
}

using ExportsTest = HostModuleTest;

// ------------------------------------------------------------ start-up state

TEST_F(ExportsTest, KeyPathsReplaceTheLastComponentOfTheRoot) {
  Start("Software\\Host\\Plugins");
  EXPECT_STREQ(SettingsKeyPath, "Software\\Host\\Plugins\\Tollex");
  EXPECT_STREQ(AssocKeyPath, "Software\\Host\\Associations");
  EXPECT_EQ(RegistryBasePath, SettingsKeyPath);
}

TEST_F(ExportsTest, TheHostRecordIsCopiedAndTheCopyIsUsed) {
  Start();
  ASSERT_NE(HostInfo, nullptr);
  EXPECT_NE(HostInfo, &host.Record());
  EXPECT_EQ(std::memcmp(HostInfo, &host.Record(), HostStartupCopySize), 0);
  // The host may reuse its record after the call: the plug-in keeps its own.
  host.Record().pluginId = 0;
  host.Record().showMessage = nullptr;
  host.SetVersion(1, 0, 0);
  EXPECT_EQ(Configure(0), 0);
  ASSERT_EQ(host.messageCalls.size(), 1u);
}

TEST_F(ExportsTest, ModuleDirectoryIsTheHostExecutablesDirectory) {
  // No module of the looked-up name is loaded in the test process, so the
  // system reports the executable.
  Start();
  EXPECT_EQ(ModuleHandle, nullptr);
  ASSERT_NE(ModuleDirectory, nullptr);
  std::string exe = ExecutablePath();
  std::string directory = ModuleDirectory;
  ASSERT_FALSE(directory.empty());
  ASSERT_LT(directory.size(), exe.size());
  EXPECT_EQ(exe.compare(0, directory.size(), directory), 0);
  std::string rest = exe.substr(directory.size());
#ifdef _WIN32
  const char separator = '\\';
#else
  const char separator = '/';
#endif
  EXPECT_EQ(rest[0], separator);
  EXPECT_EQ(rest.find(separator, 1), std::string::npos) << rest;
  EXPECT_EQ(DiagnosticsLibrary, nullptr);  // none installed here
}

TEST_F(ExportsTest, RootsOutsideTheAssociationRuleLeaveTheAssociationPathEmpty) {
  // Exactly the seven characters that are replaced.
  Start("Plugins");
  EXPECT_STREQ(AssocKeyPath, "Associations");
  EXPECT_STREQ(SettingsKeyPath, "Plugins\\Tollex");

  // Shorter: there is no last component to replace.
  for (const char* root : {"Plugin", "Soft", ""}) {
    Start(root);
    EXPECT_STREQ(AssocKeyPath, "") << root;
    EXPECT_EQ(SettingsKeyPath, std::string(root) + "\\Tollex");
  }

  // The longest root whose path fits: 290 characters give 295.
  std::string longest = std::string(282, 'k') + "\\Plugins";
  ASSERT_EQ(longest.size(), 290u);
  Start(longest);
  EXPECT_EQ(std::string(AssocKeyPath), std::string(282, 'k') + "\\Associations");
  EXPECT_EQ(std::strlen(AssocKeyPath), 295u);

  // One more and it would not fit: empty, not cut.
  Start(std::string(283, 'k') + "\\Plugins");
  EXPECT_STREQ(AssocKeyPath, "");
  EXPECT_EQ(std::strlen(SettingsKeyPath), 291u + 7u);

  // Far too long for the settings path as well: cut at 1,023 characters.
  Start(std::string(3000, 'r'));
  EXPECT_STREQ(AssocKeyPath, "");
  EXPECT_EQ(std::strlen(SettingsKeyPath), 1023u);
  EXPECT_EQ(std::string(SettingsKeyPath), std::string(1023, 'r'));
}

TEST_F(ExportsTest, WithoutAnAssociationPathOpeningReportsTheTableUnreadable) {
  host.SetMessage(19, "No table\n%s");
  Start("Soft");
  EXPECT_EQ(OpenPlugin(0, 0), -1);
  EXPECT_TRUE(host.menuCalls.empty());
  ASSERT_EQ(host.messageCalls.size(), 1u);
  EXPECT_EQ(host.messageCalls[0].flags, MessageButtonsOk | MessageErrorReport | MessageFlagBit0 | MessageOneText);
  EXPECT_THAT(host.messageCalls[0].items, ElementsAre("No table\nSoft"));
  EXPECT_NE(GetLastError(), 0u);

  host.messageCalls.clear();
  Start(std::string(300, 'x'));
  EXPECT_EQ(OpenPlugin(0, 0), -1);
  EXPECT_TRUE(host.menuCalls.empty());
  ASSERT_EQ(host.messageCalls.size(), 1u);
  EXPECT_EQ(host.messageCalls[0].items[0], "No table\n" + std::string(300, 'x'));
}

TEST_F(ExportsTest, ANullRootKeyPathIsAnEmptyRoot) {
  host.Record().rootKeyPath = nullptr;
  SetStartupInfo(&host.Record());
  EXPECT_STREQ(SettingsKeyPath, "\\Tollex");
  EXPECT_STREQ(AssocKeyPath, "");
}

// ------------------------------------------------------------ short records

TEST_F(ExportsTest, ARecordEndingBeforeHostControlIsCopiedOnlyAsFarAsItGoes) {
  host.SetRootKeyPath("Software\\Short\\Plugins");
  const size_t n = offsetof(HostStartupInfo, getMessageText) + sizeof(void*);
  CutRecord cut(host.Record(), n);
  SetStartupInfo(cut.Record());
  ASSERT_NE(HostInfo, nullptr);
  EXPECT_EQ(HostInfo->recordSize, static_cast<int32_t>(n));
  EXPECT_EQ(HostInfo->pluginId, host.Record().pluginId);
  EXPECT_EQ(HostInfo->getMessageText, host.Record().getMessageText);
  EXPECT_EQ(HostInfo->hostControl, nullptr);
  EXPECT_TRUE(AllZeroFrom(HostInfo, n));
  EXPECT_STREQ(AssocKeyPath, "Software\\Short\\Associations");

  // Too short for the version query: refused, showing version 0.0.0.
  EXPECT_EQ(Configure(0), 0);
  EXPECT_EQ(host.versionQueries, 0);
  ASSERT_EQ(host.messageCalls.size(), 1u);
  EXPECT_EQ(host.messageCalls[0].items[1], "VELK version: 0.0.0");
}

TEST_F(ExportsTest, ARecordOneByteShortOfTheVersionQueryIsNotAsked) {
  CutRecord cut(host.Record(), HostControlMinRecordSize - 1);
  SetStartupInfo(cut.Record());
  EXPECT_EQ(OpenPlugin(0, 0), -1);
  EXPECT_EQ(host.versionQueries, 0);
  EXPECT_EQ(host.messageCalls.size(), 1u);
  EXPECT_TRUE(host.menuCalls.empty());
}

TEST_F(ExportsTest, ARecordWithoutServicesIsHarmless) {
  // Ends before showMessage: nothing can be shown or looked up.
  CutRecord cut(host.Record(), offsetof(HostStartupInfo, showMessage));
  SetStartupInfo(cut.Record());
  EXPECT_EQ(HostInfo->showMessage, nullptr);
  EXPECT_EQ(HostInfo->getMessageText, nullptr);
  EXPECT_EQ(Configure(0), 0);
  EXPECT_EQ(OpenPlugin(0, 0), -1);
  HostPluginInfo info{};
  GetPluginInfo(&info);
  ASSERT_NE(info.pluginMenuStrings, nullptr);
  EXPECT_STREQ(info.pluginMenuStrings[0], "");
  EXPECT_TRUE(host.messageCalls.empty());
  EXPECT_TRUE(host.messageLookups.empty());

  // A record that declares no size at all, or a negative one.
  for (int32_t size : {0, -40}) {
    HostStartupInfo bogus = host.Record();
    bogus.recordSize = size;
    SetStartupInfo(&bogus);
    EXPECT_EQ(HostInfo->recordSize, size);
    EXPECT_TRUE(AllZeroFrom(HostInfo, sizeof(int32_t)));
    EXPECT_STREQ(SettingsKeyPath, "\\Tollex");
    EXPECT_EQ(Configure(1), 0);
  }
  SetStartupInfo(nullptr);
  EXPECT_EQ(OpenPlugin(0, 0), -1);
  EXPECT_TRUE(host.messageCalls.empty());
}

// ------------------------------------------------------------ version gate

struct VersionCase {
  int major, minor, build;
  bool accepted;
};

std::string VersionName(const ::testing::TestParamInfo<VersionCase>& info) {
  const VersionCase& v = info.param;
  return "V" + std::to_string(v.major) + "_" + std::to_string(v.minor) + "_" + std::to_string(v.build) +
         (v.accepted ? "_accepted" : "_refused");
}

void PrintTo(const VersionCase& v, std::ostream* out) { *out << v.major << "." << v.minor << " build " << v.build; }

class VersionGateTest : public HostModuleTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionGateTest, EachComponentIsComparedOnItsOwn) {
  const VersionCase& v = GetParam();
  host.SetVersion(v.major, v.minor, v.build);
  Start();
  PluginSettings.ExLen = 77;  // re-read (to the default) only past the gate
  EXPECT_EQ(OpenPlugin(3, 0), -1);
  EXPECT_EQ(Configure(5), v.accepted ? 1 : 0);
  EXPECT_TRUE(host.menuCalls.empty());
  if (v.accepted) {
    EXPECT_TRUE(host.messageCalls.empty());
    EXPECT_EQ(PluginSettings.ExLen, 15);
    return;
  }
  EXPECT_EQ(PluginSettings.ExLen, 77);
  // Shown once by each refused call, in the array form.
  ASSERT_EQ(host.messageCalls.size(), 2u);
  for (const FakeHost::MessageCall& call : host.messageCalls) {
    EXPECT_EQ(call.flags, 1u);
    EXPECT_EQ(call.helpTopic, "(null)");
    EXPECT_EQ(call.itemCount, 4);
    EXPECT_EQ(call.buttonCount, 1);
    std::string line = "VELK version: " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
                       std::to_string(v.build);
    EXPECT_THAT(call.items, ElementsAre("M3", line, "M2", "M13"));
  }
}

INSTANTIATE_TEST_SUITE_P(Hosts, VersionGateTest,
                         ::testing::Values(VersionCase{1, 70, 1282, true}, VersionCase{1, 70, 1281, false},
                                           VersionCase{1, 69, 1500, false}, VersionCase{2, 0, 1300, false},
                                           VersionCase{0, 99, 9999, false}, VersionCase{3, 255, 65535, true}),
                         VersionName);

TEST_F(ExportsTest, AFailingVersionQueryShowsVersionZero) {
  host.SetVersion(1, 80, 2000, /*querySucceeds=*/false);
  Start();
  EXPECT_EQ(Configure(0), 0);
  EXPECT_EQ(host.versionQueries, 1);
  ASSERT_EQ(host.messageCalls.size(), 1u);
  EXPECT_EQ(host.messageCalls[0].items[1], "VELK version: 0.0.0");
}

TEST_F(ExportsTest, TheVersionMessageNeverCarriesANullText) {
  host.SetVersion(1, 2, 3);
  host.Lack(3);
  host.Lack(13);
  Start();
  EXPECT_EQ(Configure(0), 0);
  ASSERT_EQ(host.messageCalls.size(), 1u);
  EXPECT_THAT(host.messageCalls[0].items, ElementsAre("", "VELK version: 1.2.3", "M2", ""));
}

// ------------------------------------------------------------ the exports

TEST_F(ExportsTest, OpeningFromCodesThreeAndFourShowsNoListButReReadsSettings) {
  Start();
  for (int code : {3, 4}) {
    PluginSettings.ExLen = 77;
    PluginSettings.SortType = 9;
    EXPECT_EQ(OpenPlugin(code, 12), -1);
    EXPECT_EQ(PluginSettings.ExLen, 15) << code;
    EXPECT_EQ(PluginSettings.SortType, 0) << code;
  }
  EXPECT_EQ(host.versionQueries, 2);
  EXPECT_TRUE(host.menuCalls.empty());
  EXPECT_TRUE(host.messageCalls.empty());
  EXPECT_TRUE(host.dialogCalls.empty());
}

TEST_F(ExportsTest, OpeningFromOtherCodesRunsTheEditingSession) {
  // No association table under this root: the session reports it with the
  // association key's path.
  host.SetMessage(19, "Cannot read\n%s");
  Start("Software\\TollexHostTest\\Missing\\Plugins");
  EXPECT_EQ(OpenPlugin(0, 0), -1);
  ASSERT_EQ(host.messageCalls.size(), 1u);
  EXPECT_THAT(host.messageCalls[0].items, ElementsAre("Cannot read\nSoftware\\TollexHostTest\\Missing\\Associations"));
}

TEST_F(ExportsTest, ConfigureAcceptsAnyItemAndShowsNothing) {
  Start();
  for (int item : {0, 1, 7, -3}) EXPECT_EQ(Configure(item), 1) << item;
  EXPECT_TRUE(host.messageCalls.empty());
  EXPECT_TRUE(host.menuCalls.empty());
  EXPECT_TRUE(host.dialogCalls.empty());
}

TEST_F(ExportsTest, GetPluginInfoFillsItsFieldsAndLeavesTheHostsAlone) {
  host.SetMessage(1, "Associations");
  Start();
  HostPluginInfo first;
  std::memset(&first, 0xA5, sizeof first);
  HostPluginInfo second = first;
  const HostPluginInfo untouched = first;

  GetPluginInfo(&first);
  GetPluginInfo(&second);
  EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0);
  EXPECT_EQ(first.recordSize, static_cast<int32_t>(sizeof(HostPluginInfo)));
  EXPECT_EQ(first.flags, 0u);
  EXPECT_EQ(first.pluginMenuCount, 1);
  EXPECT_EQ(first.configMenuCount, 1);
  ASSERT_NE(first.pluginMenuStrings, nullptr);
  ASSERT_NE(first.configMenuStrings, nullptr);
  EXPECT_STREQ(first.pluginMenuStrings[0], "Associations");
  EXPECT_STREQ(first.configMenuStrings[0], "Associations");
  EXPECT_EQ(first.hostField1, untouched.hostField1);
  EXPECT_EQ(first.hostField2, untouched.hostField2);
  EXPECT_EQ(first.hostField3, untouched.hostField3);
  EXPECT_EQ(first.hostField4, untouched.hostField4);
  EXPECT_EQ(first.hostField5, untouched.hostField5);

  // The text is looked up afresh on every call.
  host.SetMessage(1, "File types");
  GetPluginInfo(&first);
  EXPECT_STREQ(first.pluginMenuStrings[0], "File types");
  EXPECT_STREQ(first.configMenuStrings[0], "File types");
}

TEST_F(ExportsTest, GetPluginInfoGivesAnEmptyEntryForALackingMessage) {
  host.Lack(1);
  Start();
  HostPluginInfo info{};
  GetPluginInfo(&info);
  ASSERT_NE(info.pluginMenuStrings[0], nullptr);
  EXPECT_STREQ(info.pluginMenuStrings[0], "");
  GetPluginInfo(nullptr);  // ignored
}

// ------------------------------------------------------------ exit hook

namespace counting {
int first = 0, second = 0;
ExitRoutine secondsPrevious = nullptr;
void First() { ++first; }
void Second() {
  ++second;
  if (secondsPrevious) secondsPrevious();
}
}  // namespace counting

TEST_F(ExportsTest, TheExitHookIsOneSlotThatEmptiesWhenRun) {
  ModuleDetach();  // the fixture attached; start from an empty slot
  counting::first = counting::second = 0;
  EXPECT_EQ(InstallExitHook(&counting::First), nullptr);
  counting::secondsPrevious = InstallExitHook(&counting::Second);
  EXPECT_EQ(counting::secondsPrevious, &counting::First);
  RunExitHook();  // detach
  RunExitHook();  // the runtime's exit processing
  EXPECT_EQ(counting::second, 1);
  EXPECT_EQ(counting::first, 1);
  EXPECT_EQ(InstallExitHook(nullptr), nullptr);
}

TEST_F(ExportsTest, DetachRunsTheFormatBufferReleaseAndTheStartUpCleanUpOnce) {
  // Let whatever earlier tests left in the slot run now, so that the next
  // formatting creates the shared buffer afresh and chains its release.
  ExitRoutine attached = InstallExitHook(nullptr);
  ASSERT_EQ(attached, &FreeStartupData);
  if (savedHook) savedHook();
  savedHook = nullptr;
  counting::first = 0;
  InstallExitHook(&counting::First);  // stands where the start-up clean-up stands
  host.SetVersion(1, 0, 0);
  Start();
  EXPECT_EQ(Configure(0), 0);  // formats the version line
  ExitRoutine front = InstallExitHook(nullptr);
  InstallExitHook(front);
  EXPECT_NE(front, nullptr);
  EXPECT_NE(front, &counting::First);  // the release now stands in front

  ModuleDetach();
  RunExitHook();
  EXPECT_EQ(counting::first, 1);
  EXPECT_EQ(InstallExitHook(nullptr), nullptr);

  // The buffer was released: the next formatting creates and chains it anew.
  const char* text = FormatShared("%d", 5);
  EXPECT_STREQ(text, "5");
  EXPECT_NE(InstallExitHook(front), nullptr);
  RunExitHook();
  FreeStartupData();  // the fixture's start-up state
}

TEST_F(ExportsTest, DetachFreesTheStartUpState) {
  Start();
  ASSERT_NE(HostInfo, nullptr);
  ModuleDetach();
  EXPECT_EQ(HostInfo, nullptr);
  EXPECT_EQ(SettingsKeyPath, nullptr);
  EXPECT_EQ(ModuleDirectory, nullptr);
  EXPECT_EQ(RegistryBasePath, nullptr);
  EXPECT_EQ(ModuleHandle, nullptr);
  EXPECT_EQ(InstallExitHook(nullptr), nullptr);
  // Exports called after the clean-up find no host and do nothing.
  EXPECT_EQ(Configure(0), 0);
  EXPECT_EQ(OpenPlugin(0, 0), -1);
  EXPECT_TRUE(host.messageCalls.empty());
}

}  // namespace
