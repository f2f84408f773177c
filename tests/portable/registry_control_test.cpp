// The native registry's own controls: import and export of .reg models and
// the fault switch. Linux builds only.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "portable/registry_test_util.h"
#include "winport.h"

using regtest::ScratchKey;

namespace {

regfile::Value Text(const std::string& name, const std::string& bytes) {
  regfile::Value value;
  value.name = name;
  value.type = REG_SZ;
  value.data.assign(bytes.begin(), bytes.end());
  return value;
}

TEST(RegistryControl, ImportedBranchExportsWithEveryByte) {
  ScratchKey scratch("Import");
  const std::string root = "HKEY_CURRENT_USER\\" + scratch.Path();
  regfile::File file;
  // Keys out of order, a parent left out, a value with no terminator.
  file.keys.push_back({root + "\\Zulu", {Text("Mask", std::string("\x10Title \x80\xff\0", 10))}});
  file.keys.push_back({root + "\\Alpha\\Inner", {Text("", std::string("no terminator"))}});
  std::string error;
  ASSERT_TRUE(WinportRegistryImport(file, error)) << error;

  EXPECT_EQ(regtest::Bytes(regtest::GetRaw(scratch / "zulu", "MASK").data), std::string("\x10Title \x80\xff\0", 10));
  EXPECT_EQ(regtest::Bytes(regtest::GetRaw(scratch / "Alpha\\Inner", nullptr).data), "no terminator");

  regfile::File exported = WinportRegistryExport(scratch.Path());
  std::vector<std::string> paths;
  for (const regfile::Key& key : exported.keys) paths.push_back(key.path);
  EXPECT_EQ(paths, (std::vector<std::string>{root, root + "\\Alpha", root + "\\Alpha\\Inner", root + "\\Zulu"}));
  ASSERT_EQ(exported.keys[3].values.size(), 1u);
  EXPECT_EQ(exported.keys[3].values[0].name, "Mask");
  EXPECT_EQ(regtest::Bytes(exported.keys[3].values[0].data), std::string("\x10Title \x80\xff\0", 10));

  EXPECT_TRUE(WinportRegistryExport(scratch.Path() + "\\Missing").keys.empty());
}

TEST(RegistryControl, ImportOutsideTheUsersHiveChangesNothing) {
  ScratchKey scratch("ImportRefused");
  regfile::File file;
  file.keys.push_back({"HKEY_CURRENT_USER\\" + scratch.Path(), {Text("a", std::string("1\0", 2))}});
  file.keys.push_back({"HKEY_LOCAL_MACHINE\\Software\\X", {}});
  std::string error;
  EXPECT_FALSE(WinportRegistryImport(file, error));
  EXPECT_NE(error.find("HKEY_LOCAL_MACHINE"), std::string::npos) << error;
  EXPECT_FALSE(regtest::Exists(scratch.Path()));

  file.keys.erase(file.keys.begin() + 1);
  file.keys.push_back({"HKEY_CURRENT_USERX\\Software", {}});
  EXPECT_FALSE(WinportRegistryImport(file, error));
  EXPECT_FALSE(regtest::Exists(scratch.Path()));
}

// A value's two bytes, "x" and its terminator.
const BYTE* const kX = reinterpret_cast<const BYTE*>("x");

// Makes the scratch key and opens it with every access.
void MakeAndOpen(const ScratchKey& scratch, HKEY& key) {
  ASSERT_TRUE(regtest::CreateKey(scratch.Path()));
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, scratch.Path().c_str(), &key), ERROR_SUCCESS);
}

TEST(RegistryControl, FaultSwitchFailsTheNthMutatingCallOnce) {
  ScratchKey scratch("Fault");
  HKEY key;
  ASSERT_NO_FATAL_FAILURE(MakeAndOpen(scratch, key));

  WinportRegistryFailNthWrite(3);
  EXPECT_EQ(RegSetValueExA(key, "one", 0, REG_SZ, kX, 2), ERROR_SUCCESS);
  // Reads do not count.
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "one", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  HKEY child;
  EXPECT_EQ(RegCreateKeyExA(key, "child", 0, nullptr, 0, KEY_WRITE, nullptr, &child, nullptr), ERROR_SUCCESS);
  RegCloseKey(child);
  EXPECT_EQ(RegDeleteKeyA(key, "child"), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(regtest::Exists(scratch / "child")) << "the failed call changed nothing";
  EXPECT_EQ(RegDeleteKeyA(key, "child"), ERROR_SUCCESS) << "fails only once";
  EXPECT_EQ(RegDeleteValueA(key, "one"), ERROR_SUCCESS);
  EXPECT_EQ(WinportRegistryWriteCount(), 5);

  WinportRegistryFailNthWrite(1);
  EXPECT_EQ(WinportRegistryWriteCount(), 0);
  EXPECT_EQ(RegDeleteValueA(key, "missing"), ERROR_ACCESS_DENIED);
  WinportRegistryFailNthWrite(0);
  EXPECT_EQ(RegSetValueExA(key, "two", 0, REG_SZ, kX, 2), ERROR_SUCCESS);
  EXPECT_EQ(WinportRegistryWriteCount(), 1);
  RegCloseKey(key);
}

// The ending switch shares the count: its call goes through, and the end
// action comes after it, with the registry unlocked and the call's change
// in it; a call both switches pick fails and then ends.
const char* endProbe = nullptr;
bool endSawValue = false;
int ends = 0;
void NoteEnd() {
  ++ends;
  endSawValue = regtest::GetRaw(endProbe, "two").found;
}

TEST(RegistryControl, EndingSwitchActsAfterItsCallHasReturned) {
  ScratchKey scratch("End");
  HKEY key;
  ASSERT_NO_FATAL_FAILURE(MakeAndOpen(scratch, key));
  endProbe = scratch.Path().c_str();
  ends = 0;
  WinportRegistryFailNthWrite(3);
  WinportRegistryEndAfterNthWrite(2, &NoteEnd);
  EXPECT_EQ(RegSetValueExA(key, "one", 0, REG_SZ, kX, 2), ERROR_SUCCESS);
  EXPECT_EQ(ends, 0);
  EXPECT_EQ(RegSetValueExA(key, "two", 0, REG_SZ, kX, 2), ERROR_SUCCESS);
  EXPECT_EQ(ends, 1);
  EXPECT_TRUE(endSawValue) << "the end came before the call's change";
  EXPECT_EQ(RegSetValueExA(key, "three", 0, REG_SZ, kX, 2), ERROR_ACCESS_DENIED) << "the fault keeps its place";
  EXPECT_EQ(ends, 1) << "ends only once";

  WinportRegistryFailNthWrite(1);
  WinportRegistryEndAfterNthWrite(1, &NoteEnd);
  EXPECT_EQ(RegDeleteValueA(key, "one"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ends, 2);
  WinportRegistryEndAfterNthWrite(0, nullptr);
  WinportRegistryFailNthWrite(0);
  RegCloseKey(key);
}

// Every call on a key takes the same steps first: a mutating call is counted
// (and failed by the switch) before its handle or arguments are looked at,
// and RegCreateKeyExA checks its result pointer between the two.
TEST(RegistryControl, MutatingCallsCountBeforeTheHandleIsChecked) {
  ScratchKey scratch("FaultOrder");
  ASSERT_TRUE(regtest::CreateKey(scratch.Path() + "\\Doomed"));
  HKEY doomed;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, (scratch / "Doomed").c_str(), &doomed), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, (scratch / "Doomed").c_str()), ERROR_SUCCESS);
  HKEY child = nullptr;

  WinportRegistryFailNthWrite(0);
  EXPECT_EQ(RegSetValueExA(doomed, "v", 0, REG_SZ, kX, 2), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteValueA(doomed, "v"), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteKeyA(doomed, "x"), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCreateKeyExA(doomed, "x", 0, nullptr, 0, KEY_WRITE, nullptr, &child, nullptr), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCreateKeyExA(doomed, "x", 0, nullptr, 0, KEY_WRITE, nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WinportRegistryWriteCount(), 5) << "refused mutating calls count too";

  // Reads on the same handle are refused without counting.
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(doomed, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  char name[16];
  DWORD nameSize = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(doomed, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
  nameSize = sizeof name;
  EXPECT_EQ(RegEnumValueA(doomed, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
  EXPECT_EQ(RegOpenKeyA(doomed, nullptr, &child), ERROR_KEY_DELETED);
  EXPECT_EQ(RegOpenKeyExA(doomed, "x", 0, KEY_READ, &child), ERROR_KEY_DELETED);
  EXPECT_EQ(WinportRegistryWriteCount(), 5);

  // The switch fires ahead of the handle check and of the result check.
  WinportRegistryFailNthWrite(1);
  EXPECT_EQ(RegSetValueExA(doomed, "v", 0, REG_SZ, kX, 2), ERROR_ACCESS_DENIED);
  WinportRegistryFailNthWrite(1);
  EXPECT_EQ(RegCreateKeyExA(doomed, "x", 0, nullptr, 0, KEY_WRITE, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
  WinportRegistryFailNthWrite(1);
  EXPECT_EQ(RegDeleteKeyA(nullptr, "x"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(nullptr, "x"), ERROR_INVALID_HANDLE) << "fails only once";
  WinportRegistryFailNthWrite(0);
  RegCloseKey(doomed);
}

// The change count tells a reader whether the tree may differ from what it
// read before: every mutating call moves it, refused ones too, and so does
// an import; reads and the fault switch leave it alone.
TEST(RegistryControl, ChangeCountMovesWithEveryPossibleChangeAndIsNeverReset) {
  ScratchKey scratch("Changes");
  HKEY key;
  ASSERT_NO_FATAL_FAILURE(MakeAndOpen(scratch, key));
  const unsigned long long start = WinportRegistryChangeCount();
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "none", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(WinportRegistryChangeCount(), start);
  EXPECT_EQ(RegSetValueExA(key, "one", 0, REG_SZ, kX, 2), ERROR_SUCCESS);
  EXPECT_EQ(WinportRegistryChangeCount(), start + 1);
  WinportRegistryFailNthWrite(1);
  EXPECT_EQ(WinportRegistryChangeCount(), start + 1) << "the fault switch resets the write count only";
  EXPECT_EQ(RegDeleteValueA(key, "one"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(WinportRegistryChangeCount(), start + 2);
  RegCloseKey(key);

  regfile::File file;
  file.keys.push_back({"HKEY_CURRENT_USER\\" + scratch.Path() + "\\Imported", {}});
  std::string error;
  ASSERT_TRUE(WinportRegistryImport(file, error)) << error;
  EXPECT_EQ(WinportRegistryChangeCount(), start + 3);
  file.keys.push_back({"HKEY_LOCAL_MACHINE\\Software", {}});
  EXPECT_FALSE(WinportRegistryImport(file, error));
  EXPECT_EQ(WinportRegistryChangeCount(), start + 3) << "a refused import changes nothing";
}

}  // namespace

#endif  // _WIN32
