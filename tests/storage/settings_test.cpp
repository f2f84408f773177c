// The plug-in's display settings in its own registry key.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "storage/settings.h"
#include "storage/storage_test_util.h"

#ifndef _WIN32
#include "winport.h"
#endif

namespace {

class Settings : public StorageTest {
 protected:
  Settings() : StorageTest("Settings") {}
  void SetUp() override {
    StorageTest::SetUp();
    saved = PluginSettings;
    // Something other than the defaults, so that a load has to set every field.
    PluginSettings = {7, 7, 7, 7, 7, 7, 7, 7};
  }
  void TearDown() override {
    PluginSettings = saved;
    StorageTest::TearDown();
  }

  std::vector<std::string> SortedValueNames() {
    std::vector<std::string> names = regtest::ValueNames(settingsPath);
    std::sort(names.begin(), names.end());
    return names;
  }

  PluginSettingsRecord saved{};
};

// Every field of the settings in memory against expected.
void ExpectSettings(const PluginSettingsRecord& expected) {
  const PluginSettingsRecord& actual = PluginSettings;
  EXPECT_EQ(actual.ShowEx, expected.ShowEx);
  EXPECT_EQ(actual.ExLen, expected.ExLen);
  EXPECT_EQ(actual.ShowView, expected.ShowView);
  EXPECT_EQ(actual.ViewLen, expected.ViewLen);
  EXPECT_EQ(actual.ShowEdit, expected.ShowEdit);
  EXPECT_EQ(actual.EditLen, expected.EditLen);
  EXPECT_EQ(actual.SortType, expected.SortType);
  EXPECT_EQ(actual.GroupChar, expected.GroupChar);
}

TEST_F(Settings, WithoutAKeyEveryFieldTakesItsDefault) {
  LoadSettings();
  ExpectSettings({0, 15, 0, 15, 0, 15, 0, 205});
}

TEST_F(Settings, StoredValuesAreReadUnderTheirOwnNames) {
  const char* names[] = {"ShowEx", "ExLen", "ShowView", "ViewLen", "ShowEdit", "EditLen", "SortType"};
  for (int i = 0; i < 7; ++i) ASSERT_TRUE(regtest::SetDword(settingsPath, names[i], 100 + i));
  ASSERT_TRUE(regtest::SetDword(settingsPath, "GroupChar", 0xC4));
  LoadSettings();
  ExpectSettings({100, 101, 102, 103, 104, 105, 106, 0xC4});
}

TEST_F(Settings, ColumnLimitsAreNeverWritten) {
  ASSERT_TRUE(regtest::SetDword(settingsPath, "ExLen", 40));
  LoadSettings();
  EXPECT_EQ(PluginSettings.ExLen, 40);
  PluginSettings.ExLen = 3;
  PluginSettings.ViewLen = 4;
  SaveSettings();
  EXPECT_EQ(regtest::Bytes(regtest::GetRaw(settingsPath, "ExLen").data), std::string("\x28\0\0\0", 4));
  EXPECT_FALSE(regtest::GetRaw(settingsPath, "ViewLen").found);
}

TEST_F(Settings, GroupCharKeepsTheLowByte) {
  ASSERT_TRUE(regtest::SetDword(settingsPath, "GroupChar", 0x141));
  LoadSettings();
  EXPECT_EQ(PluginSettings.GroupChar, 0x41);
  SaveSettings();
  regtest::RawValue stored = regtest::GetRaw(settingsPath, "GroupChar");
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(regtest::Bytes(stored.data), std::string("\x41\0\0\0", 4));
}

TEST_F(Settings, FirstSaveCreatesTheKeyWithExactlyFiveValues) {
  LoadSettings();
  PluginSettings.ShowView = 1;
  PluginSettings.SortType = 4;
  EXPECT_TRUE(SaveSettings());
  EXPECT_EQ(SortedValueNames(), (std::vector<std::string>{"GroupChar", "ShowEdit", "ShowEx", "ShowView", "SortType"}));
  EXPECT_EQ(regtest::Bytes(regtest::GetRaw(settingsPath, "ShowView").data), std::string("\1\0\0\0", 4));
  EXPECT_EQ(regtest::Bytes(regtest::GetRaw(settingsPath, "SortType").data), std::string("\4\0\0\0", 4));
  EXPECT_EQ(regtest::Bytes(regtest::GetRaw(settingsPath, "GroupChar").data), std::string("\xcd\0\0\0", 4));
}

TEST_F(Settings, ValuesOutsideTheirRangeAreKeptAsStored) {
  // The list screen treats them as 0 where it uses them; the stored values
  // themselves change only when the user changes the sort.
  ASSERT_TRUE(regtest::SetDword(settingsPath, "SortType", 99));
  ASSERT_TRUE(regtest::SetDword(settingsPath, "EditLen", static_cast<uint32_t>(-5)));
  LoadSettings();
  EXPECT_EQ(PluginSettings.SortType, 99);
  EXPECT_EQ(PluginSettings.EditLen, -5);
  SaveSettings();
  EXPECT_EQ(regtest::Bytes(regtest::GetRaw(settingsPath, "SortType").data), std::string("\x63\0\0\0", 4));
  EXPECT_EQ(regtest::Bytes(regtest::GetRaw(settingsPath, "EditLen").data), std::string("\xfb\xff\xff\xff", 4));
}

#ifndef _WIN32
TEST_F(Settings, AFailedWriteDoesNotStopTheOthers) {
  ASSERT_TRUE(regtest::CreateKey(settingsPath));
  LoadSettings();
  // Each value is one RegSetValueExA (the key exists): the second, ShowView, fails.
  WinportRegistryFailNthWrite(2);
  SetLastError(0);
  EXPECT_FALSE(SaveSettings()) << "a lost setting is reported";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(WinportRegistryWriteCount(), 5);
  EXPECT_EQ(SortedValueNames(), (std::vector<std::string>{"GroupChar", "ShowEdit", "ShowEx", "SortType"}));
  WinportRegistryFailNthWrite(0);
}
#endif

}  // namespace
