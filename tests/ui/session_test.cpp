#include "ui/session.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/entry/startup.h"
#include "storage/registry_access.h"
#include "ui/ui_test_support.h"

namespace {

const std::string Bar = "\xB3";
const std::string TestRoot = "Software\\TollexUiTest";
const std::string AssocPath = TestRoot + "\\Host\\Associations";
const std::string SettingsPath = TestRoot + "\\Plugins\\Tollex";

enum : int { F4 = 2, Space = 5, Ins = 0, CtrlF5 = 13, Ctrl1 = 14 };

bool KeyPresent(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void SetText(const std::string& path, const char* name, const std::string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

void CreateKey(const std::string& path) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void SetNumber(const std::string& path, const char* name, DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  RegCloseKey(key);
}

// The value's text, or "<none>" when the key or the value is missing.
std::string GetText(const std::string& path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<none>";
  char buffer[600] = {};
  DWORD size = sizeof(buffer) - 1;
  DWORD type = 0;
  const LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? std::string(buffer) : "<none>";
}

// The value as a number, or -1 when missing.
long long GetNumber(const std::string& path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
  DWORD value = 0;
  DWORD size = sizeof(value);
  DWORD type = 0;
  const LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS && type == REG_DWORD ? static_cast<long long>(value) : -1;
}

std::string TypeKey(int n) { return AssocPath + "\\Type" + std::to_string(n); }

// The masks of Type0, Type1, ... as stored.
std::vector<std::string> StoredMasks() {
  std::vector<std::string> masks;
  for (int n = 0; KeyPresent(TypeKey(n)); ++n) masks.push_back(GetText(TypeKey(n), "Mask"));
  return masks;
}

class SessionTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    ClearRegistry();
    savedBase = RegistryBasePath;
    RegistryBasePath = SettingsPath.c_str();
    std::strncpy(AssocKeyPath, AssocPath.c_str(), AssocKeyPathSize - 1);
    AssocKeyPath[AssocKeyPathSize - 1] = 0;
    host.SetMessage(19, "Cannot read\n%s");
    host.SetMessage(20, "Apply the changes?\nApply\nDiscard\nBack");
    host.SetMessage(21, "Cannot write\n%s");
    ChangedFlag = 0x55;  // the session clears it itself
  }
  void TearDown() override {
    RegistryBasePath = savedBase;
    ClearRegistry();
    ScreenTest::TearDown();
  }
  static void ClearRegistry() {
#ifndef _WIN32
    WinportRegistryClear();
#else
    DeleteKeyTree(HKEY_CURRENT_USER, TestRoot.c_str());
#endif
  }
  void StoreTable(const std::vector<std::vector<std::string>>& rows) {
    CreateKey(AssocPath);
    for (size_t n = 0; n < rows.size(); ++n) {
      for (size_t v = 0; v < rows[n].size(); ++v)
        SetText(TypeKey(static_cast<int>(n)), AssocFields[v].name, rows[n][v]);
    }
  }
  std::vector<FakeHost::MessageCall> AskCalls() const {
    std::vector<FakeHost::MessageCall> asks;
    for (const auto& call : host.messageCalls) {
      if (!call.items.empty() && call.items[0].rfind("Apply the changes?", 0) == 0) asks.push_back(call);
    }
    return asks;
  }

  const char* savedBase = nullptr;
};

TEST_F(SessionTest, MissingTableIsReportedWithItsPath) {
  SetLastError(0);
  RunEditingSession();
  EXPECT_TRUE(host.menuCalls.empty());
  ASSERT_EQ(host.messageCalls.size(), 1u);
  EXPECT_EQ(host.messageCalls[0].items.at(0), "Cannot read\n" + AssocPath);
  EXPECT_EQ(host.messageCalls[0].flags & ~MessageOneText, MessageButtonsOk | MessageErrorReport | MessageFlagBit0);
  EXPECT_EQ(host.messageCalls[0].helpTopic, "(null)");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(KeyPresent(AssocPath));
  EXPECT_FALSE(KeyPresent(SettingsPath));
}

TEST_F(SessionTest, TableWithoutEntriesOpensAnEmptyList) {
  StoreTable({});
  RunEditingSession();
  EXPECT_TRUE(host.messageCalls.empty());
  ASSERT_EQ(host.menuCalls.size(), 1u);
  EXPECT_EQ(host.menuCalls[0].title, "M22" + Bar + "M26 (0) M15");
  EXPECT_EQ(ChangedFlag, 0);
}

// A write of the table cut off with its journal complete: the opening
// finishes it, says so once before the list appears, and the next opening
// says nothing. A journal that was not complete goes without a word.
TEST_F(SessionTest, AnOpeningFinishesACutOffWriteAndSaysSoOnce) {
  host.SetMessage(28, "Completed");
  StoreTable({{"*.a", "A"}});  // the old table, its first key already gone
  RegDeleteKeyA(HKEY_CURRENT_USER, TypeKey(0).c_str());
  const std::string slot = SettingsPath + "\\Journal\\B";
  SetText(slot + "\\Type0", "Mask", "*.new");
  SetText(slot + "\\Type1", "Mask", "\x10Group");
  SetNumber(slot, "Complete", 3);
  SetText(SettingsPath + "\\Journal\\A\\Type0", "Mask", "*.older");  // an older slot, not complete
  RunEditingSession();
  ASSERT_EQ(host.messageCalls.size(), 1u);
  EXPECT_EQ(host.messageCalls[0].items.at(0), "Completed");
  EXPECT_EQ(host.messageCalls[0].flags & ~MessageOneText, MessageButtonsOk | MessageFlagBit0);
  ASSERT_EQ(host.menuCalls.size(), 1u);
  EXPECT_EQ(host.menuCalls[0].items[0].text, Bar + "*.new");
  EXPECT_EQ(StoredMasks(), (std::vector<std::string>{"*.new", "\x10Group"}));
  EXPECT_FALSE(KeyPresent(SettingsPath + "\\Journal"));

  host.messageCalls.clear();
  SetText(SettingsPath + "\\Journal\\A\\Type0", "Mask", "*.cut");  // cut off before its mark
  RunEditingSession();
  EXPECT_TRUE(host.messageCalls.empty());
  EXPECT_EQ(StoredMasks(), (std::vector<std::string>{"*.new", "\x10Group"}));
  EXPECT_FALSE(KeyPresent(SettingsPath + "\\Journal"));
}

// Keys numbered beyond the first one without a mask that hold masks are
// counted (names read strictly), and the user is told before the list.
TEST_F(SessionTest, EntriesBeyondAGapAreCountedBeforeTheListAppears) {
  host.SetMessage(29, "Beyond: %d");
  StoreTable({{"*.a", "A"}, {"", "no mask"}, {"*.c", "C"}});
  SetText(AssocPath + "\\TYPE7", "Mask", "*.h");
  for (const char* name : {"Type07", "Type8x", "Type-9", "Type 10", "Type99999999999", "Types"})
    SetText(AssocPath + "\\" + name, "Mask", "*.not");
  CreateKey(AssocPath + "\\Type5");  // no mask: not an entry
  RunEditingSession();
  ASSERT_EQ(host.messageCalls.size(), 1u);
  EXPECT_EQ(host.messageCalls[0].items.at(0), "Beyond: 2");
  ASSERT_EQ(host.menuCalls.size(), 1u);
  EXPECT_EQ(host.menuCalls[0].title, "M22" + Bar + "M26 (1) M15");

  host.messageCalls.clear();
  ClearRegistry();
  StoreTable({{"*.a", "A"}, {"", "no mask"}});
  RunEditingSession();
  EXPECT_TRUE(host.messageCalls.empty()) << "a gap with nothing beyond it says nothing";
}

TEST_F(SessionTest, LeavingWithoutAChangeAsksNothingAndWritesNothing) {
  StoreTable({{"*.b", "B"}, {"*.a", "A"}});
  Key(0, Ctrl1);
  Key(0, CtrlF5);
  Key(0, Space);
  RunEditingSession();
  EXPECT_TRUE(host.messageCalls.empty());
  EXPECT_EQ(host.menuCalls.size(), 4u);
  EXPECT_EQ(host.menuCalls[0].items[0].text, "B" + Bar + "*.b");
  EXPECT_EQ(StoredMasks(), (std::vector<std::string>{"*.b", "*.a"}));
  EXPECT_FALSE(KeyPresent(SettingsPath));
}

TEST_F(SessionTest, BackToTheListAsksAgainAndDiscardWritesNothing) {
  StoreTable({{"*.txt", "Text"}});
  Key(0, F4);
  host.dialogAnswers.push_back(SetTextsAndPress({{4, "Edited"}}, 19));
  host.messageAnswers = {2, -1, 1};  // back, Esc (back), discard
  RunEditingSession();

  const auto asks = AskCalls();
  ASSERT_EQ(asks.size(), 3u);
  for (const auto& ask : asks) {
    EXPECT_EQ(ask.flags & ~MessageOneText, MessageButtonsYesNoCancel | MessageFlagBit0);
    EXPECT_EQ(ask.helpTopic, "ApplyAsk");
  }
  ASSERT_EQ(host.menuCalls.size(), 4u);
  // Each return to the list shows the list as the user left it.
  EXPECT_EQ(host.menuCalls[2].items[0].text, "Edited" + Bar + "*.txt");
  EXPECT_EQ(host.menuCalls[3].items[0].text, "Edited" + Bar + "*.txt");
  EXPECT_EQ(GetText(TypeKey(0), "Description"), "Text");
  EXPECT_FALSE(KeyPresent(SettingsPath));
}

TEST_F(SessionTest, ApplyWritesTheTableInListOrderAndThenTheSettings) {
  StoreTable({{"*.zip", "Archives", "unpack", "alt", "", "", "", ""}, {"*.txt", "Text"}});
  SetText(TypeKey(5), "Mask", "*.stale");
  SetNumber(SettingsPath, "ExLen", 40);
  PluginSettings.ExLen = 40;
  Key(0, Ctrl1);
  Key(0, Ins);
  host.dialogAnswers.push_back([](HostDialogItem* items, int) {
    std::strcpy(items[2].text, " Packed ");
    items[1].checkState = 0;  // a group header
    return 19;
  });
  Key(2, F4);
  host.dialogAnswers.push_back(SetTextsAndPress({{11, "less %s"}}, 19));
  host.messageAnswers = {0, 0};  // the notice of the entry beyond the gap; apply
  RunEditingSession();

  ASSERT_EQ(AskCalls().size(), 1u);
  EXPECT_EQ(host.messageCalls.size(), 2u);
  EXPECT_EQ(StoredMasks(), (std::vector<std::string>{"\x10Packed", "*.zip", "*.txt"}));
  EXPECT_EQ(GetText(TypeKey(1), "Execute"), "unpack");
  EXPECT_EQ(GetText(TypeKey(1), "AltExec"), "alt");
  EXPECT_EQ(GetText(TypeKey(2), "View"), "less %s");
  EXPECT_EQ(GetText(TypeKey(0), "AltEdit"), "");
  EXPECT_FALSE(KeyPresent(TypeKey(5)));

  EXPECT_EQ(GetNumber(SettingsPath, "ShowEx"), 1);
  EXPECT_EQ(GetNumber(SettingsPath, "ShowView"), 0);
  EXPECT_EQ(GetNumber(SettingsPath, "ShowEdit"), 0);
  EXPECT_EQ(GetNumber(SettingsPath, "SortType"), 0);
  EXPECT_EQ(GetNumber(SettingsPath, "GroupChar"), 205);
  EXPECT_EQ(GetNumber(SettingsPath, "ExLen"), 40);
  EXPECT_EQ(GetNumber(SettingsPath, "ViewLen"), -1);
}

#ifndef _WIN32
TEST_F(SessionTest, FailedSaveKeepsTheUsersListAndAllowsARetry) {
  StoreTable({{"*.a", "A"}, {"*.b", "B"}});
  Key(0, F4);
  host.dialogAnswers.push_back(SetTextsAndPress({{4, "Changed"}}, 19));
  Key(1, Space);
  host.messageAnswers = {0, 0, 0};  // apply; acknowledge the failure; apply again
  // The first registry change of the save (deleting the old table) fails.
  WinportRegistryFailNthWrite(1);
  RunEditingSession();
  WinportRegistryFailNthWrite(0);

  ASSERT_EQ(host.messageCalls.size(), 3u);
  EXPECT_EQ(host.messageCalls[1].items.at(0), "Cannot write\n" + AssocPath);
  EXPECT_EQ(host.messageCalls[1].flags & ~MessageOneText, MessageButtonsOk | MessageErrorReport | MessageFlagBit0);
  EXPECT_EQ(host.messageCalls[1].helpTopic, "(null)");
  EXPECT_EQ(AskCalls().size(), 2u);

  // Back on the list with the edit and the mark as the user left them.
  ASSERT_EQ(host.menuCalls.size(), 4u);
  const FakeHost::MenuCall& after = host.menuCalls[3];
  EXPECT_EQ(std::string(after.items[0].text), "Changed" + Bar + "*.a");
  EXPECT_EQ(after.items[1].flags & MenuItemChecked, MenuItemChecked);
  EXPECT_EQ(ChangedFlag, 1);

  // The retry wrote the table and only then the settings.
  EXPECT_EQ(StoredMasks(), (std::vector<std::string>{"*.a", "*.b"}));
  EXPECT_EQ(GetText(TypeKey(0), "Description"), "Changed");
  EXPECT_EQ(GetNumber(SettingsPath, "GroupChar"), 205);
}

// The table was written completely; the settings are display preferences
// and a failed write of them is ignored: no failure message, the session
// ends, and nothing is left to discard.
TEST_F(SessionTest, FailedSettingsWriteAfterASavedTableEndsTheSessionQuietly) {
  StoreTable({{"*.a", "A"}});
  Key(0, F4);
  host.dialogAnswers.push_back(SetTextsAndPress({{4, "Changed"}}, 19));
  Key(0, Ctrl1);
  host.messageAnswers = {0, 1, 1};
  // The journal (its key, Type0 and its eight values, the mark): 11 calls;
  // deleting Type0 and the table key, creating the table key, creating Type0
  // and its eight values: 12; removing the journal, with the settings key it
  // made: 5. The 29th creates the settings key for ShowEx.
  WinportRegistryFailNthWrite(29);
  RunEditingSession();
  WinportRegistryFailNthWrite(0);

  ASSERT_EQ(host.messageCalls.size(), 1u) << "only the apply question";
  EXPECT_EQ(host.menuCalls.size(), 3u) << "the list is not shown again";
  EXPECT_EQ(StoredMasks(), std::vector<std::string>{"*.a"});
  EXPECT_EQ(GetText(TypeKey(0), "Description"), "Changed");
  EXPECT_EQ(GetNumber(SettingsPath, "ShowEx"), -1) << "the failure was injected where the test says";
  EXPECT_EQ(GetNumber(SettingsPath, "ShowView"), 0) << "the later settings are still written";
  EXPECT_EQ(GetNumber(SettingsPath, "GroupChar"), 205);
}

// Three entries, the third edited; the apply fails at its 37th mutating
// call: after the journal's 29, the table's 8th (the first entry's
// Description), leaving Type0 with its Mask alone. No
// then puts the table back as it was loaded.
TEST_F(SessionTest, DiscardAfterAFailedApplyRestoresTheLoadedTable) {
  const std::vector<std::vector<std::string>> rows = {
      {"*.a", "A", "run a", "alt a", "view a", "altview a", "edit a", "altedit a"},
      {"\x10Group", "", "", "", "", "", "", ""},
      {"*.c", "C", "run c", "", "", "", "edit c", ""}};
  StoreTable(rows);
  Key(2, F4);
  host.dialogAnswers.push_back(SetTextsAndPress({{4, "Changed"}}, 19));
  host.messageAnswers = {0, 0, 1};  // apply; acknowledge the failure; at the list again: discard
  WinportRegistryFailNthWrite(37);
  RunEditingSession();
  WinportRegistryFailNthWrite(0);

  ASSERT_EQ(host.messageCalls.size(), 3u);
  EXPECT_EQ(host.messageCalls[1].items.at(0), "Cannot write\n" + AssocPath);
  EXPECT_EQ(host.menuCalls.size(), 3u);
  EXPECT_EQ(StoredMasks(), (std::vector<std::string>{"*.a", "\x10Group", "*.c"}));
  for (size_t n = 0; n < rows.size(); ++n) {
    for (int v = 0; v < AssocFieldCount; ++v) {
      EXPECT_EQ(GetText(TypeKey(static_cast<int>(n)), AssocFields[v].name), rows[n][v]);
    }
  }
  EXPECT_FALSE(KeyPresent(SettingsPath));
}

// A recovery that cannot finish the table is reported as a failed write, the
// list is not offered, and the journal stays for the next opening.
TEST_F(SessionTest, ARecoveryThatFailsIsReportedAndKeepsTheJournal) {
  StoreTable({{"*.a", "A"}});
  const std::string slot = SettingsPath + "\\Journal\\A";
  SetText(slot + "\\Type0", "Mask", "*.b");
  SetNumber(slot, "Complete", 1);
  WinportRegistryFailNthWrite(1);
  RunEditingSession();
  WinportRegistryFailNthWrite(0);
  ASSERT_EQ(host.messageCalls.size(), 1u);
  EXPECT_EQ(host.messageCalls[0].items.at(0), "Cannot write\n" + AssocPath);
  EXPECT_TRUE(host.menuCalls.empty());
  EXPECT_EQ(GetNumber(slot, "Complete"), 1);
  EXPECT_EQ(StoredMasks(), std::vector<std::string>{"*.a"});
}

TEST_F(SessionTest, FailedSaveThenDiscardLeavesTheSettingsUnwritten) {
  StoreTable({{"*.a", "A"}});
  Key(0, F4);
  host.dialogAnswers.push_back(SetTextsAndPress({{4, "Changed"}}, 19));
  host.messageAnswers = {0, 0, 1};
  WinportRegistryFailNthWrite(1);
  RunEditingSession();
  WinportRegistryFailNthWrite(0);
  EXPECT_EQ(host.messageCalls.size(), 3u);
  EXPECT_EQ(host.menuCalls.size(), 3u);
  EXPECT_EQ(GetText(TypeKey(0), "Description"), "A");
  EXPECT_FALSE(KeyPresent(SettingsPath));
}
#endif

}  // namespace
