// The registry layer: reads with defaults, writes that create their keys, the
// last-error bookkeeping, and the deletion of whole key trees.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/registry_access.h"
#include "storage/storage_test_util.h"

#ifndef _WIN32
#include "winport.h"
#endif

namespace {

class RegistryLayer : public StorageTest {
 protected:
  RegistryLayer() : StorageTest("RegistryLayer") {}
};

TEST_F(RegistryLayer, ReadNumberFallsBackToTheDefault) {
  EXPECT_EQ(ReadNumber(nullptr, "Missing", 77), 77u) << "missing key";
  ASSERT_TRUE(regtest::SetDword(settingsPath, "Present", 5));
  EXPECT_EQ(ReadNumber(nullptr, "Missing", 77), 77u) << "missing value";
  EXPECT_EQ(ReadNumber(nullptr, "Present", 77), 5u);
  EXPECT_EQ(ReadNumber("", "Present", 77), 5u) << "an empty subkey is no subkey";
  ASSERT_TRUE(regtest::SetRaw(settingsPath, "Eight", REG_BINARY, "12345678", 8));
  EXPECT_EQ(ReadNumber(nullptr, "Eight", 77), 77u) << "data longer than 4 bytes";
}

TEST_F(RegistryLayer, ReadNumberTakesAnyTypeAndZeroesMissingHighBytes) {
  ASSERT_TRUE(regtest::SetRaw(settingsPath, "Two", REG_BINARY, "\x07\x01", 2));
  EXPECT_EQ(ReadNumber(nullptr, "Two", 0xFFFFFFFF), 0x107u);
  ASSERT_TRUE(regtest::SetRaw(settingsPath, "None", REG_DWORD, "", 0));
  EXPECT_EQ(ReadNumber(nullptr, "None", 0xFFFFFFFF), 0u);
  ASSERT_TRUE(regtest::SetText(settingsPath, "Text", "abc"));
  EXPECT_EQ(ReadNumber(nullptr, "Text", 0), 0x00636261u);
  ASSERT_TRUE(regtest::SetDword(settingsPath + "\\Sub", "N", 9));
  EXPECT_EQ(ReadNumber("Sub", "N", 0), 9u);
}

TEST_F(RegistryLayer, ReadTextOfAValueThatDoesNotFitGivesTheDefault) {
  ASSERT_TRUE(regtest::SetText(settingsPath, "Long", "0123456789"));
  char buffer[8];
  EXPECT_STREQ(ReadText(nullptr, "Long", buffer, "default text", sizeof buffer), "default");
  std::memset(buffer, 'Z', sizeof buffer);
  ReadText(nullptr, "Long", buffer, nullptr, sizeof buffer);
  EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(8, '\0')) << "no default: all zeros";
  EXPECT_STREQ(ReadText(nullptr, "Missing", buffer, "d", sizeof buffer), "d");
  char fits[11];
  EXPECT_STREQ(ReadText(nullptr, "Long", fits, "default", sizeof fits), "0123456789");
}

TEST_F(RegistryLayer, ReadTextAlwaysGivesATerminatedText) {
  char buffer[6];
  // Fills the buffer exactly without a terminator: the last byte becomes one.
  // (The byte after the given length is not zero: Wine would otherwise take
  // the terminator in.)
  ASSERT_TRUE(regtest::SetRaw(settingsPath, "Exact", REG_SZ, "abcdefX", 6));
  std::memset(buffer, 'Z', sizeof buffer);
  EXPECT_STREQ(ReadText(nullptr, "Exact", buffer, "default", sizeof buffer), "abcde");
  // Shorter, without a terminator: terminated right after the data.
  ASSERT_TRUE(regtest::SetRaw(settingsPath, "Short", REG_SZ, "abcX", 3));
  std::memset(buffer, 'Z', sizeof buffer);
  EXPECT_STREQ(ReadText(nullptr, "Short", buffer, "default", sizeof buffer), "abc");
  // No bytes at all: the empty text, not what the buffer held before.
  ASSERT_TRUE(regtest::SetRaw(settingsPath, "NoBytes", REG_SZ, "", 0));
  std::memset(buffer, 'Z', sizeof buffer);
  EXPECT_STREQ(ReadText(nullptr, "NoBytes", buffer, "default", sizeof buffer), "");
}

TEST_F(RegistryLayer, ReadWholeTextReadsAValueOfAnyLength) {
  std::vector<char> text;
  const std::string huge = std::string(5000, 'h') + "end";
  ASSERT_TRUE(regtest::SetText(settingsPath, "Huge", huge));
  EXPECT_EQ(std::string(ReadWholeText(nullptr, "Huge", text, "default")), huge);
  // Around the room the read starts with (261 bytes of data and the
  // terminator it adds): data without a terminator of 261 and of 262 bytes.
  const std::string fits(261, 'f');
  ASSERT_TRUE(regtest::SetRaw(settingsPath, "Fits", REG_SZ, (fits + "X").c_str(), 261));
  std::vector<char> fresh;
  EXPECT_EQ(std::string(ReadWholeText(nullptr, "Fits", fresh, nullptr)), fits);
  const std::string over(262, 'o');
  ASSERT_TRUE(regtest::SetRaw(settingsPath, "Over", REG_SZ, (over + "X").c_str(), 262));
  std::vector<char> again;
  EXPECT_EQ(std::string(ReadWholeText(nullptr, "Over", again, nullptr)), over);
  // A buffer that held a longer text reads a short one as just that.
  ASSERT_TRUE(regtest::SetRaw(settingsPath, "Short", REG_SZ, "ab\0cd", 5));
  EXPECT_STREQ(ReadWholeText(nullptr, "Short", text, "default"), "ab") << "the text ends at the first zero";
  ASSERT_TRUE(regtest::SetRaw(settingsPath, "NoBytes", REG_SZ, "", 0));
  EXPECT_STREQ(ReadWholeText(nullptr, "NoBytes", text, "default"), "");
  EXPECT_STREQ(ReadWholeText(nullptr, "Missing", text, "default"), "default");
  EXPECT_STREQ(ReadWholeText(nullptr, "Missing", text, nullptr), "");
  EXPECT_STREQ(ReadWholeText("Missing", "Huge", text, "d"), "d") << "a missing key";
}

TEST_F(RegistryLayer, WritesCreateMissingKeysAndStoreExactForms) {
  ASSERT_FALSE(regtest::Exists(settingsPath));
  RegistryBasePath = "Software\\TollexTest\\RegistryLayer\\Deep\\Er";
  EXPECT_TRUE(WriteText(nullptr, "Empty", ""));
  regtest::RawValue empty = regtest::GetRaw(RegistryBasePath, "Empty");
  EXPECT_EQ(empty.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(regtest::Bytes(empty.data), std::string(1, '\0'));

  EXPECT_TRUE(WriteText("Child", "Text", "\x10Title \xb3"));
  EXPECT_EQ(regtest::Bytes(regtest::GetRaw(std::string(RegistryBasePath) + "\\Child", "Text").data),
            std::string("\x10Title \xb3\0", 9));

  EXPECT_TRUE(WriteNumber(nullptr, "Number", 0x141));
  regtest::RawValue number = regtest::GetRaw(RegistryBasePath, "Number");
  EXPECT_EQ(number.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(regtest::Bytes(number.data), std::string("\x41\x01\0\0", 4));
}

TEST_F(RegistryLayer, OpenOrCreateKeyLeavesTheCodeOfItsLastCall) {
  SetLastError(1234);
  HKEY created = OpenOrCreateKey("New");
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(GetLastError(), 0u) << "the failed open is followed by a successful create";
  RegCloseKey(created);
  SetLastError(1234);
  HKEY opened = OpenOrCreateKey("New");
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(GetLastError(), 0u);
  RegCloseKey(opened);
  // Reading never touches the last-error value.
  SetLastError(1234);
  EXPECT_EQ(OpenKeyForRead("Missing"), nullptr);
  EXPECT_EQ(ReadNumber("Missing", "x", 3), 3u);
  EXPECT_EQ(GetLastError(), 1234u);
}

TEST_F(RegistryLayer, TextReadsKeepTheLastErrorAndWritesLeaveTheOpensCode) {
  ASSERT_TRUE(regtest::SetText(settingsPath, "Long", "0123456789"));
  char buffer[8];
  SetLastError(1234);
  EXPECT_STREQ(ReadText(nullptr, "Long", buffer, "d", sizeof buffer), "d");
  std::vector<char> whole;
  EXPECT_STREQ(ReadWholeText(nullptr, "Long", whole, "d"), "0123456789");
  EXPECT_STREQ(ReadWholeText("Missing", "Long", whole, "d"), "d");
  EXPECT_EQ(GetLastError(), 1234u) << "reads never touch the last-error value";

  SetLastError(1234);
  EXPECT_TRUE(WriteText(nullptr, "Null", nullptr));
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(regtest::Bytes(regtest::GetRaw(settingsPath, "Null").data), std::string(1, '\0'))
      << "a null text is stored as the empty text";
  SetLastError(1234);
  EXPECT_TRUE(WriteNumber("Sub", "N", 3));
  EXPECT_EQ(GetLastError(), 0u);
}

TEST_F(RegistryLayer, PathsThatDoNotFitAndAMissingBaseAreRefused) {
  ASSERT_TRUE(regtest::SetDword(settingsPath, "N", 1));
  std::string tooLong(1100, 'x');
  EXPECT_EQ(OpenKeyForRead(tooLong.c_str()), nullptr);
  EXPECT_EQ(ReadNumber(tooLong.c_str(), "N", 7), 7u);
  EXPECT_FALSE(WriteNumber(tooLong.c_str(), "N", 2));
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_EQ(regtest::Subkeys(settingsPath).size(), 0u);
  // Without a base path no key is named, not even the root of the hive.
  RegistryBasePath = nullptr;
  EXPECT_FALSE(WriteNumber(nullptr, "TollexWithoutBase", 2));
  EXPECT_FALSE(regtest::GetRaw("", "TollexWithoutBase").found);
}

TEST_F(RegistryLayer, KeyExists) {
  EXPECT_FALSE(KeyExists(settingsPath.c_str()));
  ASSERT_TRUE(regtest::CreateKey(settingsPath));
  EXPECT_TRUE(KeyExists(settingsPath.c_str()));
  EXPECT_FALSE(KeyExists((settingsPath + "\\Nope").c_str()));
}

TEST_F(RegistryLayer, DeleteKeyTreeRemovesEveryLevel) {
  const std::string root = scratch / "Tree";
  for (const char* sub : {"A\\B\\C", "A\\B2", "D", "A\\B\\C\\E"}) ASSERT_TRUE(regtest::CreateKey(root + "\\" + sub));
  ASSERT_TRUE(regtest::SetText(root + "\\A\\B\\C", "v", "x"));
  ASSERT_TRUE(regtest::SetText(root, "top", "y"));
  ASSERT_TRUE(regtest::CreateKey(scratch / "TreeSibling"));
  SetLastError(1234);
  EXPECT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, root.c_str()));
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_FALSE(regtest::Exists(root));
  EXPECT_TRUE(regtest::Exists(scratch / "TreeSibling")) << "a sibling whose name starts the same stays";
}

TEST_F(RegistryLayer, DeleteKeyTreeOfAMissingKeyFailsWithNotFound) {
  SetLastError(0);
  EXPECT_FALSE(DeleteKeyTree(HKEY_CURRENT_USER, (scratch / "Absent").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryLayer, DeleteKeyTreeRefusesToNameTheParentItself) {
  ASSERT_TRUE(regtest::CreateKey(scratch / "Keep\\Child"));
  HKEY parent;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (scratch / "Keep").c_str(), 0, KEY_READ | KEY_WRITE, &parent),
            ERROR_SUCCESS);
  EXPECT_FALSE(DeleteKeyTree(parent, ""));
  EXPECT_FALSE(DeleteKeyTree(parent, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  RegCloseKey(parent);
  EXPECT_TRUE(regtest::Exists(scratch / "Keep\\Child"));
}

#ifndef _WIN32
TEST_F(RegistryLayer, FailedWritesLeaveTheCodeTheCallersShow) {
  // The key cannot be created: false, and the code of the create.
  WinportRegistryFailNthWrite(1);
  SetLastError(0);
  EXPECT_FALSE(WriteNumber(nullptr, "N", 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(regtest::Exists(settingsPath));

  // The key is there but the value cannot be stored: false, and the code of
  // the failed store, not the successful open's 0, which an error report
  // would show as success.
  ASSERT_TRUE(regtest::CreateKey(settingsPath));
  WinportRegistryFailNthWrite(1);
  SetLastError(0);
  EXPECT_FALSE(WriteText(nullptr, "T", "x"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(regtest::GetRaw(settingsPath, "T").found);
  WinportRegistryFailNthWrite(1);
  SetLastError(0);
  EXPECT_FALSE(WriteNumber(nullptr, "N", 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  WinportRegistryFailNthWrite(0);
}

TEST_F(RegistryLayer, DeleteKeyTreeStopsAtTheFirstFailure) {
  const std::string root = scratch / "Tree";
  for (const char* sub : {"A\\Deep", "B", "C"}) ASSERT_TRUE(regtest::CreateKey(root + "\\" + sub));
  // Deletions run A\Deep, A, B, C, root: the third one (B) fails.
  WinportRegistryFailNthWrite(3);
  EXPECT_FALSE(DeleteKeyTree(HKEY_CURRENT_USER, root.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(WinportRegistryWriteCount(), 3);
  EXPECT_EQ(regtest::Subkeys(root), (std::vector<std::string>{"B", "C"}));
  WinportRegistryFailNthWrite(0);
}
#endif

}  // namespace
