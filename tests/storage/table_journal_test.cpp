// The journal around a write of the table: a write cut off after any of its
// registry calls is finished or undone whole by the recovery, which never
// writes a table that is already exact and keeps the journal when it fails.
#ifndef _WIN32

#include "storage/table_journal.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "storage/assoc_store.h"
#include "storage/storage_test_util.h"
#include "winport.h"

namespace {

// A list of the masks, "#" marking a group header; each its own description.
struct ListOf {
  explicit ListOf(const std::vector<std::string>& masks) { Fill(masks); }
  operator const AssocList&() const { return list; }
  void Fill(const std::vector<std::string>& masks);
  AssocList list;
};

void ListOf::Fill(const std::vector<std::string>& masks) {
  for (const std::string& mask : masks) {
    AssocRecord record;
    record.Reset();
    record.group = mask[0] == '#';
    record.Mask = mask.c_str() + (record.group ? 1 : 0);
    record.Description = ("about " + mask).c_str();
    list.Append(&record);
  }
}

std::vector<std::string> MasksOf(const AssocList& list) {
  std::vector<std::string> masks;
  for (uint32_t i = 0; i < list.Count(); ++i)
    masks.push_back((list.At(i)->group ? "#" : "") + std::string(list.At(i)->Mask.Text()));
  return masks;
}

// The registry as a process cut off right after a given call left it.
regfile::File cutState;
void KeepCutState() { cutState = WinportRegistryExport(""); }

class TableJournal : public StorageTest {
 protected:
  TableJournal() : StorageTest("TableJournal") {}
  void TearDown() override {
    WinportRegistryEndAfterNthWrite(0, nullptr);
    WinportRegistryFailNthWrite(0);
    TakeRecoveryNotice();
    StorageTest::TearDown();
  }
  void Reset(const std::vector<std::string>& table) {
    regtest::RemoveTree(HKEY_CURRENT_USER, scratch.Path());
    ASSERT_TRUE(SaveAssociations(ListOf(table)));
    ASSERT_TRUE(regtest::SetDword(settingsPath, "ShowEx", 1));
  }
  std::vector<std::string> Stored() {
    AssocList list;
    EXPECT_TRUE(LoadAssociations(list));
    return MasksOf(list);
  }
  // Cuts ApplyTable(to) off after each of its calls in turn and recovers
  // from what was left: the table must be exactly `before` or exactly `to`,
  // and `to` for every cut after the first that gave it; message 28 is due
  // exactly when a journal was complete. Returns how many recoveries
  // completed a table.
  int SweepCuts(const std::function<void()>& prepare, const std::vector<std::string>& before,
                const std::vector<std::string>& to) {
    prepare();
    WinportRegistryFailNthWrite(0);
    EXPECT_TRUE(ApplyTable(ListOf(to)));
    const int calls = WinportRegistryWriteCount();
    int completed = 0;
    bool reachedNew = false;
    for (int k = 1; k <= calls && !HasFailure(); ++k) {
      SCOPED_TRACE("cut after call " + std::to_string(k) + " of " + std::to_string(calls));
      prepare();
      WinportRegistryEndAfterNthWrite(k, &KeepCutState);
      ApplyTable(ListOf(to));
      WinportRegistryEndAfterNthWrite(0, nullptr);
      WinportRegistryClear();
      std::string error;
      EXPECT_TRUE(WinportRegistryImport(cutState, error)) << error;
      const Recovery recovery = RecoverTable();
      EXPECT_NE(recovery, Recovery::Failed);
      EXPECT_EQ(TakeRecoveryNotice(), recovery == Recovery::Completed);
      const std::vector<std::string> stored = Stored();
      EXPECT_TRUE(stored == before || stored == to) << "a partial table";
      EXPECT_TRUE(TableHoldsExactly(ListOf(stored))) << "what the cut left was not made exact";
      EXPECT_FALSE(regtest::Exists(settingsPath + "\\Journal"));
      EXPECT_EQ(regtest::GetRaw(settingsPath, "ShowEx").found, true) << "the settings went with the journal";
      completed += recovery == Recovery::Completed;
      if (reachedNew) {
        EXPECT_EQ(stored, to) << "a later cut went back to the old table";
      }
      reachedNew = reachedNew || stored == to;
    }
    return completed;
  }
};

TEST_F(TableJournal, EveryCutOfAnApplyEndsInTheOldOrTheNewTable) {
  const std::vector<std::string> before = {"#Old", "*.a", "*.b"};
  const std::vector<std::string> to = {"*.b", "#New", "*.c", "*.d"};
  const int completed = SweepCuts([&] { Reset(before); }, before, to);
  // Complete from its mark's own write through the table's 4 + 1 + 4 * 9
  // calls, until the removal's first call takes the mark away.
  EXPECT_EQ(completed, 4 + 1 + 4 * 9 + 1);
}

// After a failed apply the journal in charge holds that apply's table; a
// second write (a retry with another list, a restore) cut off before its own
// journal is complete finishes the first one.
TEST_F(TableJournal, ACutSecondWriteFinishesTheJournalInCharge) {
  const std::vector<std::string> first = {"*.x", "*.y"};
  const std::vector<std::string> loaded = {"*.a"};
  auto failedApply = [&] {
    Reset(loaded);
    WinportRegistryFailNthWrite(1 + 2 * 9 + 1 + 3);  // the first apply: the table key's creation, so no table
    EXPECT_FALSE(ApplyTable(ListOf(first)));
    WinportRegistryFailNthWrite(0);
  };
  failedApply();
  EXPECT_EQ(RecoverTable(), Recovery::Completed);
  EXPECT_EQ(Stored(), first);
  EXPECT_GT(SweepCuts(failedApply, first, loaded), 0);
}

TEST_F(TableJournal, RecoveryLeavesAnExactTableAndKeepsAJournalItCannotFinish) {
  const std::vector<std::string> table = {"*.a", "#G"};
  // Cut off right before the journal's removal: the table is exact.
  Reset({"*.z"});
  WinportRegistryFailNthWrite(1 + 2 * 9 + 1 + 2 + 1 + 2 * 9 + 1);
  EXPECT_FALSE(ApplyTable(ListOf(table)));
  WinportRegistryFailNthWrite(0);
  EXPECT_TRUE(TableHoldsExactly(ListOf(table)));
  EXPECT_EQ(RecoverTable(), Recovery::Completed);
  EXPECT_EQ(WinportRegistryWriteCount(), 1 + 2 + 2) << "only the journal's mark and keys were removed";
  EXPECT_TRUE(TakeRecoveryNotice());

  // A table part-written with a complete journal, and a registry that
  // refuses the first write of the recovery: the journal stays for the
  // next try, which finishes the table.
  Reset({"*.z"});
  WinportRegistryFailNthWrite(1 + 2 * 9 + 1 + 2 + 1 + 5);
  EXPECT_FALSE(ApplyTable(ListOf(table)));
  WinportRegistryFailNthWrite(1);
  EXPECT_EQ(RecoverTable(), Recovery::Failed);
  EXPECT_FALSE(TakeRecoveryNotice());
  WinportRegistryFailNthWrite(0);
  EXPECT_EQ(RecoverTable(), Recovery::Completed);
  EXPECT_TRUE(TakeRecoveryNotice());
  EXPECT_EQ(Stored(), table);
  EXPECT_EQ(RecoverTable(), Recovery::NothingToDo) << "a recovery never runs twice";
}

}  // namespace

#endif  // _WIN32
