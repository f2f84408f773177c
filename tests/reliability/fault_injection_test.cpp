// Fault injection through the whole editing session: for every k, the k-th
// mutating registry call of an apply fails, and the user goes on in each way
// the apply question offers. Whatever the call (deleting the old table,
// creating the table key, a record key, a value), the user must be told
// (message 21, with the failing call's code as the last error) and be back
// at the list as edited; a retry must then store the new table and the
// settings, and discarding must leave the table exactly as it was loaded. A
// failing settings write, after the table was stored, is ignored. So the
// registry ends holding exactly the new table or exactly the loaded one, and
// message 21 was shown wherever it is not the new one. A process ended while
// message 21 is shown leaves the registry as it then stands: opened again,
// the journal must make it exactly the new table (journal complete) or the
// loaded one (not complete), and be gone.
#ifndef _WIN32

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "fakes/fake_host.h"
#include "host/entry/startup.h"
#include "model/assoc_list.h"
#include "storage/registry_access.h"
#include "storage/settings.h"
#include "storage/table_journal.h"
#include "ui/session.h"
#include "winport.h"

namespace {

const std::string Hive = "HKEY_CURRENT_USER\\";
const std::string AssocPath = "Software\\TollexReliability\\Host\\Associations";
const std::string SettingsPath = "Software\\TollexReliability\\Host\\Plugins\\Tollex";
const std::string JournalPath = SettingsPath + "\\Journal";

// The mutating calls of an apply of the 24-entry table: the journal (its
// key, 24 keys of nine calls, the mark), the table (25 deletions, the table
// key, 24 keys of nine), removing the journal (the mark, 24 keys, its slot
// and itself), the five settings.
constexpr int JournalCalls = 1 + 24 * 9 + 1;
constexpr int TableCalls = 25 + 1 + 24 * 9;
constexpr int JournalRemovalCalls = 1 + 24 + 2;

using Row = std::vector<std::string>;  // the eight stored values in field order, the Mask with its marker

std::string TypeKey(size_t n) { return AssocPath + "\\Type" + std::to_string(n); }

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

// A record key's values by the field table's names. A value that is
// missing or not a terminated REG_SZ reads "<bad>"; a key holding other
// values than the eight gets their count as a ninth entry.
Row RowOf(const regfile::Key& key) {
  Row row;
  for (const AssocField& field : AssocFields) {
    const regfile::Value* value = FindValue(&key, field.name);
    const bool good = value && value->type == REG_SZ && !value->data.empty() && value->data.back() == 0;
    row.push_back(good ? std::string(value->data.begin(), value->data.end() - 1) : "<bad>");
  }
  if (key.values.size() != AssocFieldCount) row.push_back("<" + std::to_string(key.values.size()) + " values>");
  return row;
}

// The table every session starts from, a registry file beside this test:
// groups, lists of masks, commands with placeholders, alternative commands,
// empty fields, and the settings.
const regfile::File& Fixture() {
  static const regfile::File file = [] {
    regfile::File read;
    std::string error;
    if (!regfile::ReadFile(TOLLEX_TEST_SOURCE_DIR "/reliability/realistic_table.reg", read, error)) {
      ADD_FAILURE() << error;
    }
    return read;
  }();
  return file;
}

// The fixture's table, Type0 up to the first missing key.
const std::vector<Row>& RealisticTable() {
  static const std::vector<Row> table = [] {
    std::vector<Row> rows;
    for (size_t n = 0;; ++n) {
      const regfile::Key* key = FindKey(Fixture(), TypeKey(n));
      if (key == nullptr) return rows;
      rows.push_back(RowOf(*key));
    }
  }();
  return table;
}

void StoreTable() {
  std::string error;
  ASSERT_TRUE(WinportRegistryImport(Fixture(), error)) << error;
}

// The table as stored, read straight from the registry: every TypeN key
// below the table key, which must be numbered without gaps.
std::vector<Row> StoredTable() {
  const regfile::File file = WinportRegistryExport(AssocPath);
  std::vector<Row> rows;
  for (size_t n = 0; n + 1 < file.keys.size(); ++n) {
    const regfile::Key* key = FindKey(file, TypeKey(n));
    rows.push_back(key ? RowOf(*key) : Row{"<gap>"});
  }
  return rows;
}

// Whether the registry file model holds a journal slot marked complete.
bool HoldsCompleteJournal(const regfile::File& file) {
  for (const regfile::Key& key : file.keys) {
    if (key.path.size() > Hive.size() + JournalPath.size() &&
        regfile::CompareNames(key.path.substr(0, Hive.size() + JournalPath.size()), Hive + JournalPath) == 0 &&
        FindValue(&key, "Complete") != nullptr)
      return true;
  }
  return false;
}

// The mutating calls that discarding the journal of a registry makes: a
// mark per complete slot, one deletion per key.
int DiscardCalls(const regfile::File& file) {
  int calls = 0;
  for (const regfile::Key& key : file.keys) {
    if (key.path.size() < Hive.size() + JournalPath.size() ||
        regfile::CompareNames(key.path.substr(0, Hive.size() + JournalPath.size()), Hive + JournalPath) != 0)
      continue;
    calls += 1 + (FindValue(&key, "Complete") != nullptr ? 1 : 0);
  }
  return calls;
}

// The registry as a process ended at that moment left it, opened again:
// the recovery's table. The journal must be gone, and message 28 due
// exactly when the journal was complete.
std::vector<Row> RecoveredTable(const regfile::File& registry) {
  WinportRegistryClear();
  std::string error;
  EXPECT_TRUE(WinportRegistryImport(registry, error)) << error;
  const Recovery recovery = RecoverTable();
  EXPECT_EQ(TakeRecoveryNotice(), HoldsCompleteJournal(registry));
  EXPECT_EQ(recovery, HoldsCompleteJournal(registry) ? Recovery::Completed : Recovery::NothingToDo);
  EXPECT_TRUE(WinportRegistryExport(JournalPath).keys.empty()) << "a journal is left";
  return StoredTable();
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

// The edit dialog's item of a field, as the record's field table gives it.
int DialogItemOf(TextField AssocRecord::*member) {
  for (const AssocField& field : AssocFields) {
    if (field.member == member) return field.dialogItem;
  }
  ADD_FAILURE() << "the field table lacks a field";
  return -1;
}
const int ItemDescription = DialogItemOf(&AssocRecord::Description);
const int ItemView = DialogItemOf(&AssocRecord::View);
enum : int { ItemConfirm = 19 };
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

  // How the user goes on after a failed apply: apply again; discard; or go
  // back to the list (Esc or the third button) and then discard.
  enum class Way { Retry, Discard, EscThenDiscard, BackThenDiscard };

  // What the user does: edits the PDF line's description and view command,
  // swaps the Zip and 7-Zip lines, shows the execute column, leaves and
  // applies; after a failure, leaves again and goes on the given way.
  void Script(Way way = Way::Retry) {
    PluginSettings = {0, 15, 0, 15, 1, 15, 0, 205};
    host.menuAnswers = {{2, BreakF4}, {7, BreakCtrlDown}, {0, BreakCtrl1}, {-1, -1}};
    host.dialogAnswers = {SetTextsAndPress(
        {{ItemDescription, "  Portable documents  "}, {ItemView, "pdfview --continuous {file}"}}, ItemConfirm)};
    host.menuResponder = [this](const FakeHost::MenuCall&) -> std::pair<int, int> {
      ++extraMenus;
      return {-1, -1};  // leave the list again
    };
    host.messageResponder = [this, way](const FakeHost::MessageCall& call) {
      const std::string& text = call.items.empty() ? std::string() : call.items[0];
      if (text.rfind("Cannot write", 0) == 0) {
        failureTexts.push_back(text);
        failureFlags.push_back(call.flags);
        failureCodes.push_back(GetLastError());
        failureMenuCount = host.menuCalls.size();
        storedAtFailure = StoredTable();
        registryAtFailure = WinportRegistryExport("");
        callsAtFailure = WinportRegistryWriteCount();
        if (onFailure) onFailure(failureTexts.size());
        return 0;
      }
      // The apply question. The first answer applies; after that the way
      // decides, and a save that never succeeds gives up after a few rounds.
      ++applyAnswers;
      if (applyAnswers == 1) return 0;
      switch (way) {
        case Way::Retry: return applyAnswers <= 4 ? 0 : 1;
        case Way::Discard: return 1;
        case Way::EscThenDiscard: return applyAnswers == 2 ? -1 : 1;
        case Way::BackThenDiscard: return applyAnswers == 2 ? 2 : 1;
      }
      return 1;
    };
  }

  void Reset() {
    WinportRegistryClear();
    StoreTable();
    host.menuCalls.clear();
    host.messageCalls.clear();
    failureTexts.clear();
    failureFlags.clear();
    failureCodes.clear();
    storedAtFailure.clear();
    registryAtFailure = regfile::File();
    callsAtFailure = 0;
    failureMenuCount = 0;
    extraMenus = 0;
    applyAnswers = 0;
    onFailure = nullptr;
  }

  static std::vector<Row> EditedTable() {
    std::vector<Row> rows = RealisticTable();
    rows[2][1] = "Portable documents";
    rows[2][4] = "pdfview --continuous {file}";
    std::swap(rows[7], rows[8]);
    return rows;
  }

  // One session of the script whose k-th mutating call fails.
  void RunFailingAt(int k, Way way) {
    Reset();
    Script(way);
    WinportRegistryFailNthWrite(k);
    RunEditingSession();
  }

  // How the sessions of the first sweep ended.
  struct SweepCounts {
    int sessions = 0, retried = 0, restored = 0, alreadyIntact = 0, settingsIgnored = 0;
    // Ended at message 21: the journal completed the new table; it was not
    // complete, and the table untouched; its removal had begun.
    int endedCompleted = 0, endedUntouched = 0, endedDone = 0;
  };

  // A failing settings write comes once the table is stored: it is ignored
  // and the session ends at once. ShowEx, the one setting the user changed,
  // is written first: where that write failed it keeps its stored 0.
  void ExpectSettingsFailureIgnored(bool showExFailed) {
    EXPECT_TRUE(failureTexts.empty()) << "a settings failure was reported";
    EXPECT_EQ(applyAnswers, 1);
    EXPECT_EQ(extraMenus, 0);
    EXPECT_EQ(StoredTable(), EditedTable());
    EXPECT_EQ(StoredSetting("ShowEx"), showExFailed ? 0 : 1);
  }

  // The box of message 21 with the failing call's code as the last error.
  static void ExpectFailureBox(const std::string& text, uint32_t flags, DWORD code) {
    EXPECT_EQ(text, "Cannot write\n" + AssocPath);
    EXPECT_EQ(flags & ~MessageOneText, MessageButtonsOk | MessageErrorReport | MessageFlagBit0);
    EXPECT_EQ(code, static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "the error report names another code";
  }

  // Had the process ended while message 21 was shown, the next start would
  // make the table exactly the new one from a complete journal, and leave it
  // as it stood (the loaded table, or the new one once the journal's removal
  // had begun) from an incomplete one.
  void ExpectRecoveredAtFailure(SweepCounts& counts) {
    const bool complete = HoldsCompleteJournal(registryAtFailure);
    const std::vector<Row> recovered = RecoveredTable(registryAtFailure);
    if (complete) {
      EXPECT_EQ(recovered, EditedTable());
      ++counts.endedCompleted;
    } else if (recovered == RealisticTable()) {
      ++counts.endedUntouched;
    } else {
      EXPECT_EQ(recovered, EditedTable()) << "a partial table without a complete journal";
      ++counts.endedDone;
    }
  }

  // A failing table write is reported once, and the user is back at the
  // list, showing what they had made of it.
  void ExpectReportedOnceBackAtTheList() {
    ASSERT_EQ(failureTexts.size(), 1u) << "the failure was not reported exactly once";
    ExpectFailureBox(failureTexts[0], failureFlags[0], failureCodes[0]);
    ASSERT_GT(host.menuCalls.size(), failureMenuCount);
    const FakeHost::MenuCall& before = host.menuCalls[failureMenuCount - 1];
    const FakeHost::MenuCall& after = host.menuCalls[failureMenuCount];
    EXPECT_EQ(LineTexts(after), LineTexts(before));
    EXPECT_NE(std::string(after.items.at(2).text).find("Portable documents"), std::string::npos);
  }

  // Then a retry stores the new table and the settings; discarding, at
  // once or after going back to the list, leaves the loaded table, written
  // back only when the failed apply had changed it.
  void ExpectTheWayFollowed(Way way, int callsAfterFailure, SweepCounts& counts) {
    const std::vector<Row> stored = StoredTable();
    if (way == Way::Retry) {
      EXPECT_EQ(extraMenus, 1);
      EXPECT_EQ(applyAnswers, 2) << "the retry was not asked once";
      EXPECT_EQ(stored, EditedTable());
      EXPECT_EQ(StoredSetting("ShowEx"), 1);
      for (const SettingField& setting : SettingFields) {
        if (!setting.saved) continue;
        EXPECT_NE(StoredSetting(setting.name), -1) << setting.name;
      }
      ++counts.retried;
      return;
    }
    const bool back = way != Way::Discard;
    EXPECT_EQ(extraMenus, back ? 2 : 1);
    EXPECT_EQ(applyAnswers, back ? 3 : 2);
    EXPECT_EQ(stored, RealisticTable()) << "discarding did not leave the table as loaded";
    EXPECT_EQ(StoredSetting("ShowEx"), 0) << "discarding wrote the settings";
    // Nothing is written back when the failed apply changed nothing: only
    // its journal is discarded.
    if (storedAtFailure == RealisticTable()) {
      EXPECT_EQ(callsAfterFailure, DiscardCalls(registryAtFailure));
      ++counts.alreadyIntact;
    } else {
      EXPECT_GT(callsAfterFailure, 0);
      ++counts.restored;
    }
  }

  // Arms a second failure, at the j-th mutating call after the first one.
  // With a retry the user applies again and, after the second failure,
  // discards.
  void ArmSecondFailure(int j, Way way) {
    if (way == Way::Retry) {
      host.messageResponder = [this, base = host.messageResponder](const FakeHost::MessageCall& call) {
        const bool question = call.items.empty() || call.items[0].rfind("Cannot write", 0) != 0;
        if (question && failureTexts.size() >= 2) return ++applyAnswers, 1;
        return base(call);
      };
    }
    onFailure = [j](size_t failures) {
      if (failures == 1) WinportRegistryFailNthWrite(j);
    };
  }

  // After two failures: a failed retry is followed by the discard, which
  // puts the loaded table back; a failed restore is reported, and the
  // session ends there. Either way the next start (or a process ended at the
  // second message 21) makes the table the new or the loaded one. Returns
  // whether the restore left a partial table as the session ended.
  bool ExpectSecondFailureHandled(Way way) {
    const std::vector<Row> stored = StoredTable();
    const regfile::File atEnd = WinportRegistryExport("");
    const std::vector<Row> atSecondFailure = RecoveredTable(registryAtFailure);
    EXPECT_TRUE(atSecondFailure == EditedTable() || atSecondFailure == RealisticTable())
        << "ended at the second failure, the table is partial";
    if (way == Way::Retry) {
      EXPECT_EQ(stored, RealisticTable());
      EXPECT_EQ(applyAnswers, 3);
      EXPECT_TRUE(atEnd.keys.empty() || FindKey(atEnd, JournalPath) == nullptr) << "the restore left its journal";
      return false;
    }
    const FakeHost::MessageCall& last = host.messageCalls.back();
    ExpectFailureBox(last.items.at(0), last.flags, failureCodes.back());
    EXPECT_EQ(extraMenus, 1);
    const std::vector<Row> reopened = RecoveredTable(atEnd);
    EXPECT_TRUE(reopened == EditedTable() || reopened == RealisticTable()) << "reopened, the table is partial";
    return stored != RealisticTable() && stored != EditedTable();
  }

  FakeHost host;
  const char* savedBase = nullptr;
  std::vector<std::string> failureTexts;
  std::vector<uint32_t> failureFlags;
  std::vector<DWORD> failureCodes;
  std::vector<Row> storedAtFailure;
  regfile::File registryAtFailure;  // the whole registry while message 21 was shown
  size_t failureMenuCount = 0;
  int callsAtFailure = 0;
  int extraMenus = 0;
  int applyAnswers = 0;
  // Called at each failure message with the number of failures so far.
  std::function<void(size_t)> onFailure;
};

// One apply without a fault: how many mutating calls it makes, and that the
// script does what the expectations below assume.
TEST_F(FaultInjection, ApplyWithoutFaultStoresTheEditedTable) {
  StoreTable();
  Script();
  WinportRegistryFailNthWrite(0);
  RunEditingSession();
  EXPECT_EQ(WinportRegistryWriteCount(), JournalCalls + TableCalls + JournalRemovalCalls + 5);
  EXPECT_TRUE(WinportRegistryExport(JournalPath).keys.empty()) << "the journal is left";
  EXPECT_TRUE(failureTexts.empty());
  EXPECT_EQ(applyAnswers, 1);
  EXPECT_EQ(StoredTable(), EditedTable());
  EXPECT_EQ(StoredSetting("ShowEx"), 1);
}

TEST_F(FaultInjection, EveryFailingCallOfAnApplyEndsInTheNewOrTheLoadedTable) {
  StoreTable();
  Script();
  RunEditingSession();
  const int calls = WinportRegistryWriteCount();
  ASSERT_GT(calls, 200);
  const int tableCalls = calls - 5;  // the five settings come last
  const std::vector<Row> edited = EditedTable();
  const std::vector<Row> loaded = RealisticTable();
  ASSERT_EQ(StoredTable(), edited);

  SweepCounts counts;
  for (int k = 1; k <= calls && !HasFailure(); ++k) {
    const bool settingsCall = k > tableCalls;
    // Esc and the third button take turns as the way back to the list.
    const Way ways[] = {Way::Retry, Way::Discard, k % 2 ? Way::EscThenDiscard : Way::BackThenDiscard};
    for (Way way : ways) {
      if (settingsCall && way != Way::Retry) break;  // no question follows: one way is enough
      SCOPED_TRACE("failing mutating call " + std::to_string(k) + " of " + std::to_string(calls) + ", way " +
                   std::to_string(static_cast<int>(way)));
      RunFailingAt(k, way);
      const int callsAfterFailure = WinportRegistryWriteCount() - callsAtFailure;
      ++counts.sessions;

      const std::vector<Row> stored = StoredTable();
      EXPECT_TRUE(stored == edited || stored == loaded) << "the registry holds a partial table";
      if (stored != edited) {
        EXPECT_FALSE(failureTexts.empty()) << "a table other than the new one, untold";
      }
      if (settingsCall) {
        ExpectSettingsFailureIgnored(k == tableCalls + 1);
        ++counts.settingsIgnored;
      } else {
        ExpectReportedOnceBackAtTheList();
        ExpectTheWayFollowed(way, callsAfterFailure, counts);
        // Had the process ended at message 21, the journal would settle it.
        if (way == Way::Retry) ExpectRecoveredAtFailure(counts);
      }
      if (HasFailure()) break;  // one reported k says enough
    }
  }
  EXPECT_EQ(counts.retried, tableCalls);
  EXPECT_EQ(counts.restored + counts.alreadyIntact, 2 * tableCalls);
  EXPECT_EQ(counts.settingsIgnored, 5);
  // The journal is complete from its mark on until the removal's first call
  // (the mark) has gone through.
  EXPECT_EQ(counts.endedUntouched, JournalCalls);
  EXPECT_EQ(counts.endedCompleted, TableCalls + 1);
  EXPECT_EQ(counts.endedDone, JournalRemovalCalls - 1);
  RecordProperty("faults_injected", counts.sessions);
  std::printf(
      "[  SWEEP   ] %d mutating calls per apply (%d of the table and its journal, 5 settings), %d "
      "sessions: %d retried to the new table, %d discarded to the loaded table (%d rewritten, %d found "
      "intact), %d settings failures ignored with the new table stored; ended at message 21: %d "
      "completed to the new table, %d left the loaded one, %d the new one\n",
      calls, tableCalls, counts.sessions, counts.retried, counts.restored + counts.alreadyIntact, counts.restored,
      counts.alreadyIntact, counts.settingsIgnored, counts.endedCompleted, counts.endedUntouched, counts.endedDone);
}

// A second failure after the first: in the retry (then the user discards),
// or in putting the loaded table back. The user is told of each, and a
// table that is neither the new one nor the loaded one is never left
// without message 21 as the last thing shown.
TEST_F(FaultInjection, ASecondFailureInTheRetryOrTheRestoreIsReportedToo) {
  StoreTable();
  Script();
  RunEditingSession();
  const int tableCalls = WinportRegistryWriteCount() - 5;

  // The first failure: the journal part-written, its mark; the table key
  // gone, records part-written, the last value; the journal's removal
  // part-way.
  const int firsts[] = {100,           JournalCalls, JournalCalls + 26, JournalCalls + 100, JournalCalls + TableCalls,
                        tableCalls - 3};
  int sessions = 0, secondFailures = 0, partialTold = 0;
  for (int k : firsts) {
    for (Way way : {Way::Retry, Way::Discard}) {
      // j counts the mutating calls after the first failure: every one up to
      // the first record's values, then every 22nd (which falls on each of
      // a record's nine calls in turn). The sweep ends at the first j that
      // fails no call of the restore or of the retry's table (a retry's
      // failed setting is ignored, as any is).
      for (int j = 1;; j += j < 36 ? 1 : 22) {
        SCOPED_TRACE("first failure at call " + std::to_string(k) + ", second at call " + std::to_string(j) +
                     (way == Way::Retry ? " of the retry" : " of the restore"));
        Reset();
        Script(way);
        ArmSecondFailure(j, way);
        WinportRegistryFailNthWrite(k);
        RunEditingSession();
        ++sessions;
        ASSERT_FALSE(failureTexts.empty());
        if (failureTexts.size() == 1) {
          // j lay beyond the retry's or the restore's calls: it went through.
          EXPECT_EQ(StoredTable(), way == Way::Retry ? EditedTable() : RealisticTable());
          break;
        }
        ASSERT_EQ(failureTexts.size(), 2u);
        ++secondFailures;
        if (ExpectSecondFailureHandled(way)) ++partialTold;
        if (HasFailure()) return;
      }
    }
  }
  std::printf(
      "[  SWEEP   ] %d sessions with a second failure armed: %d second failures reported, %d of them "
      "leaving a partial table with message 21 last, each made whole by the journal when reopened\n",
      sessions, secondFailures, partialTold);
}
}  // namespace

#endif  // _WIN32
