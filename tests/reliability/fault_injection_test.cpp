// Fault injection through the whole editing session: for every k, the k-th
// mutating registry call of an apply fails. Whatever the call (deleting the
// old table, creating the table key, a record key, a value, a setting), the
// user must be told (message 21, with the failing call's code as the last
// error), be back at the list with the list as edited, and the next apply
// must store the table and the settings completely.
#ifndef _WIN32

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fakes/fake_host.h"
#include "host/startup.h"
#include "storage/registry.h"
#include "storage/settings.h"
#include "ui/session.h"
#include "winport.h"

namespace {

const std::string Hive = "HKEY_CURRENT_USER\\";
const std::string AssocPath = "Software\\TollexReliability\\Host\\Associations";
const std::string SettingsPath = "Software\\TollexReliability\\Host\\Plugins\\Tollex";
const char* const ValueNames[8] = {"Mask", "Description", "Execute", "AltExec", "View", "AltView", "Edit", "AltEdit"};
const char* const SettingNames[5] = {"ShowEx", "ShowView", "ShowEdit", "SortType", "GroupChar"};

using Row = std::vector<std::string>;  // the eight stored values, the Mask with its marker

// A table as people keep one: groups, masks lists, commands with
// placeholders, alternative commands, empty fields.
std::vector<Row> RealisticTable() {
  return {
      {"\x10" "Documents", "", "", "", "", "", "", ""},
      {"*.md,*.rst", "Markdown and reST", "", "", "mdview {file}", "", "edit {file}", ""},
      {"*.pdf", "PDF documents", "pdfview {file}", "", "pdfview --page 1 {file}", "", "", ""},
      {"*.doc,*.docx,*.odt", "Word processor files", "office --writer {file}", "", "", "", "", ""},
      {"*.xls,*.xlsx,*.ods,*.csv", "Spreadsheets", "office --calc {file}", "", "csvview {file}", "", "", ""},
      {"*.htm,*.html", "Web pages", "browser {file}", "browser --private {file}", "", "", "edit {file}", ""},
      {"\x10" "Archives", "", "", "", "", "", "", ""},
      {"*.zip", "Zip archives", "unzip {file}", "unzip -o {file} -d {name}", "ziplist {file}", "", "", ""},
      {"*.7z", "7-Zip archives", "7z x {file}", "", "7z l {file}", "", "", ""},
      {"*.rar", "RAR archives", "unrar x {file}", "", "unrar l {file}", "", "", ""},
      {"*.tar,*.tgz,*.tar.gz,*.tar.xz", "Tape archives", "tar xf {file}", "", "tar tf {file}", "", "", ""},
      {"\x10" "Pictures and sound", "", "", "", "", "", "", ""},
      {"*.jpg,*.jpeg,*.png,*.gif,*.bmp", "Pictures", "imgview {file}", "", "imgview {file}", "", "paint {file}", ""},
      {"*.svg", "Vector drawings", "browser {file}", "", "", "", "draw {file}", "edit {file}"},
      {"*.mp3,*.ogg,*.flac,*.wav", "Sound", "player {file}", "player --queue {file}", "", "", "", ""},
      {"*.mp4,*.mkv,*.avi,*.webm", "Video", "player {file}", "", "", "", "", ""},
      {"\x10" "Programs and sources", "", "", "", "", "", "", ""},
      {"*.exe,*.com", "Programs", "", "", "hexview {file}", "", "", ""},
      {"*.bat,*.cmd", "Batch files", "cmd /c {file}", "", "", "", "edit {file}", ""},
      {"*.ps1", "Scripts", "shell -File {file}", "", "", "", "edit {file}", ""},
      {"*.py", "Python", "python {file}", "python -i {file}", "", "", "edit {file}", "idle {file}"},
      {"*.c,*.cpp,*.h,*.hpp", "C and C++ sources", "", "", "", "", "edit {file}", ""},
      {"*.reg", "Registry files", "regedit {file}", "", "", "", "edit {file}", ""},
      {"*.txt,*.log", "Text", "", "", "", "", "edit {file}", ""},
  };
}

std::string TypeKey(size_t n) { return AssocPath + "\\Type" + std::to_string(n); }

std::vector<uint8_t> TextBytes(const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

void StoreTable(const std::vector<Row>& rows) {
  regfile::File file;
  file.keys.push_back({Hive + AssocPath, {}});
  for (size_t n = 0; n < rows.size(); ++n) {
    regfile::Key key{Hive + TypeKey(n), {}};
    for (int v = 0; v < 8; ++v) key.values.push_back({ValueNames[v], REG_SZ, TextBytes(rows[n][v])});
    file.keys.push_back(key);
  }
  regfile::Key settings{Hive + SettingsPath, {}};
  const uint32_t numbers[] = {0, 0, 1, 0, 205, 15};
  const char* names[] = {"ShowEx", "ShowView", "ShowEdit", "SortType", "GroupChar", "ExLen"};
  for (int i = 0; i < 6; ++i) {
    std::vector<uint8_t> data(4);
    std::memcpy(data.data(), &numbers[i], 4);
    settings.values.push_back({names[i], REG_DWORD, data});
  }
  file.keys.push_back(settings);
  std::string error;
  ASSERT_TRUE(WinportRegistryImport(file, error)) << error;
}

const regfile::Key* FindKey(const regfile::File& file, const std::string& path) {
  for (const regfile::Key& key : file.keys)
    if (regfile::CompareNames(key.path, Hive + path) == 0) return &key;
  return nullptr;
}

const regfile::Value* FindValue(const regfile::Key* key, const std::string& name) {
  if (key == nullptr) return nullptr;
  for (const regfile::Value& value : key->values)
    if (regfile::CompareNames(value.name, name) == 0) return &value;
  return nullptr;
}

// The table as stored, read straight from the registry: every TypeN key
// below the table key, which must be numbered without gaps, each value's
// text. A value that is missing or not a terminated REG_SZ reads "<bad>".
std::vector<Row> StoredTable() {
  const regfile::File file = WinportRegistryExport(AssocPath);
  std::vector<Row> rows;
  if (file.keys.empty()) return rows;
  for (size_t n = 0; n + 1 < file.keys.size(); ++n) {
    const regfile::Key* key = FindKey(file, TypeKey(n));
    if (key == nullptr) {
      rows.push_back({"<gap>"});
      continue;
    }
    Row row;
    for (const char* name : ValueNames) {
      const regfile::Value* value = FindValue(key, name);
      const bool good = value && value->type == REG_SZ && !value->data.empty() && value->data.back() == 0;
      row.push_back(good ? std::string(value->data.begin(), value->data.end() - 1) : "<bad>");
    }
    if (key->values.size() != 8) row.push_back("<" + std::to_string(key->values.size()) + " values>");
    rows.push_back(row);
  }
  return rows;
}

long long StoredSetting(const char* name) {
  const regfile::File file = WinportRegistryExport(SettingsPath);
  const regfile::Value* value = FindValue(FindKey(file, SettingsPath), name);
  if (value == nullptr || value->type != REG_DWORD || value->data.size() != 4) return -1;
  uint32_t number = 0;
  std::memcpy(&number, value->data.data(), 4);
  return number;
}

std::vector<std::string> LineTexts(const FakeHost::MenuCall& call) {
  std::vector<std::string> texts;
  for (const HostMenuItem& item : call.items) texts.push_back(item.text);
  return texts;
}

// Dialog item indexes of the edit dialog's fields.
enum : int { ItemDescription = 4, ItemView = 11, ItemConfirm = 19 };
// Break codes of the list screen.
enum : int { BreakF4 = 2, BreakCtrlDown = 4, BreakCtrl1 = 14 };

class FaultInjection : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Install();
    host.SetMessage(20, "Apply the changes?\nApply\nDiscard\nBack");
    host.SetMessage(21, "Cannot write\n%s");
    WinportSetConsoleWidth(80);
    WinportRegistryClear();
    WinportRegistryFailNthWrite(0);
    savedBase = RegistryBasePath;
    RegistryBasePath = SettingsPath.c_str();
    std::snprintf(AssocKeyPath, AssocKeyPathSize, "%s", AssocPath.c_str());
  }
  void TearDown() override {
    WinportRegistryFailNthWrite(0);
    WinportRegistryClear();
    RegistryBasePath = savedBase;
    WinportSetConsoleWidth(0);
    host.Uninstall();
  }

  // What the user does: edits the PDF line's description and view command,
  // swaps the Zip and 7-Zip lines, shows the execute column, leaves and
  // applies; after a failure, leaves again and applies again.
  void Script() {
    PluginSettings = {0, 15, 0, 15, 1, 15, 0, 205};
    host.menuAnswers = {{2, BreakF4}, {7, BreakCtrlDown}, {0, BreakCtrl1}, {-1, -1}};
    host.dialogAnswers = {
        SetTextsAndPress({{ItemDescription, "  Portable documents  "}, {ItemView, "pdfview --continuous {file}"}},
                         ItemConfirm)};
    host.menuResponder = [this](const FakeHost::MenuCall&) -> std::pair<int, int> {
      ++extraMenus;
      return {-1, -1};  // leave the list again
    };
    host.messageResponder = [this](const FakeHost::MessageCall& call) {
      const std::string& text = call.items.empty() ? std::string() : call.items[0];
      if (text.rfind("Cannot write", 0) == 0) {
        failureTexts.push_back(text);
        failureFlags.push_back(call.flags);
        failureCodes.push_back(GetLastError());
        failureMenuCount = host.menuCalls.size();
        storedAtFailure = StoredTable();
        return 0;
      }
      // The apply question: apply, but give up after a few rounds so that a
      // save that never succeeds cannot keep the test going.
      return ++applyAnswers <= 4 ? 0 : 1;
    };
  }

  static std::vector<Row> EditedTable() {
    std::vector<Row> rows = RealisticTable();
    rows[2][1] = "Portable documents";
    rows[2][4] = "pdfview --continuous {file}";
    std::swap(rows[7], rows[8]);
    return rows;
  }

  FakeHost host;
  const char* savedBase = nullptr;
  std::vector<std::string> failureTexts;
  std::vector<uint32_t> failureFlags;
  std::vector<DWORD> failureCodes;
  std::vector<Row> storedAtFailure;
  size_t failureMenuCount = 0;
  int extraMenus = 0;
  int applyAnswers = 0;
};

// One apply without a fault: how many mutating calls it makes, and that the
// script does what the expectations below assume.
TEST_F(FaultInjection, ApplyWithoutFaultStoresTheEditedTable) {
  StoreTable(RealisticTable());
  Script();
  WinportRegistryFailNthWrite(0);
  RunEditingSession();
  // 24 old keys and the table key deleted, the table key created, 24 keys
  // with 8 values each, 5 settings.
  EXPECT_EQ(WinportRegistryWriteCount(), 25 + 1 + 24 * 9 + 5);
  EXPECT_TRUE(failureTexts.empty());
  EXPECT_EQ(applyAnswers, 1);
  EXPECT_EQ(StoredTable(), EditedTable());
  EXPECT_EQ(StoredSetting("ShowEx"), 1);
}

TEST_F(FaultInjection, EveryFailingCallOfAnApplyKeepsTheListAndARetrySavesAll) {
  StoreTable(RealisticTable());
  Script();
  RunEditingSession();
  const int calls = WinportRegistryWriteCount();
  ASSERT_GT(calls, 200);
  const std::vector<Row> edited = EditedTable();
  ASSERT_EQ(StoredTable(), edited);

  int injected = 0;
  for (int k = 1; k <= calls; ++k) {
    SCOPED_TRACE("failing mutating call " + std::to_string(k) + " of " + std::to_string(calls));
    WinportRegistryClear();
    StoreTable(RealisticTable());
    host.menuCalls.clear();
    host.messageCalls.clear();
    failureTexts.clear();
    failureFlags.clear();
    failureCodes.clear();
    storedAtFailure.clear();
    extraMenus = 0;
    applyAnswers = 0;
    Script();
    WinportRegistryFailNthWrite(k);
    RunEditingSession();
    ++injected;

    ASSERT_EQ(failureTexts.size(), 1u) << "the failure was not reported exactly once";
    EXPECT_EQ(failureTexts[0], "Cannot write\n" + AssocPath);
    EXPECT_EQ(failureFlags[0] & ~MessageOneText, MessageButtonsOk | MessageErrorReport | MessageFlagBit0);
    EXPECT_EQ(failureCodes[0], static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "the error report names another code";
    // Back at the list, showing what the user had made of it.
    ASSERT_GT(host.menuCalls.size(), failureMenuCount);
    const FakeHost::MenuCall& before = host.menuCalls[failureMenuCount - 1];
    const FakeHost::MenuCall& after = host.menuCalls[failureMenuCount];
    EXPECT_EQ(LineTexts(after), LineTexts(before));
    EXPECT_NE(after.items.at(2).text, std::string()) << "the edited line is missing";
    EXPECT_NE(std::string(after.items.at(2).text).find("Portable documents"), std::string::npos);
    EXPECT_EQ(extraMenus, 1);
    EXPECT_EQ(applyAnswers, 2) << "the retry was not asked once";
    // The retry stored everything.
    EXPECT_EQ(StoredTable(), edited);
    EXPECT_EQ(StoredSetting("ShowEx"), 1);
    for (const char* name : SettingNames) EXPECT_NE(StoredSetting(name), -1) << name;
    // What the failed apply had left: a settings failure comes after the
    // whole table was written.
    if (k > calls - 5) {
      EXPECT_EQ(storedAtFailure, edited);
    }
    if (::testing::Test::HasFailure()) break;  // one reported k says enough
  }
  EXPECT_EQ(injected, calls);
  RecordProperty("faults_injected", injected);
}

}  // namespace

#endif  // _WIN32
