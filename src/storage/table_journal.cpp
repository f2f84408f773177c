// The journal of a table write. It has two slots, "Journal\A" and
// "Journal\B", each a table (Type0 ... TypeN, the store's layout) with the
// value "Complete" written after its last record: a generation number, the
// newest complete slot being the one in charge. A new journal goes into the
// slot that is not in charge, so that a complete journal is never given up
// before the next one is complete: a retry or a restore after a failed
// apply, cut off while its own journal is written, still finds the failed
// apply's journal and finishes that.
#include "storage/table_journal.h"

#include <cstdint>

#include "model/text.h"
#include "storage/assoc_store.h"
#include "storage/registry_access.h"

namespace {

constexpr int32_t JournalPathSize = 1024;
constexpr int SlotCount = 2;
const char CompleteMark[] = "Complete";

bool recoveredUnreported = false;

// The journal's key paths, composed from the settings key the store is
// entered with.
struct JournalPaths {
  char base[JournalPathSize];
  char root[JournalPathSize];
  char slot[SlotCount][JournalPathSize];

  bool Compose() {
    const char* settings = RegistryBasePath;
    if (settings == nullptr || TextLength(settings) + 10 >= JournalPathSize) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return false;
    }
    CopyBounded(base, settings, JournalPathSize);
    FormatBounded(root, JournalPathSize, "%s\\Journal", settings);
    FormatBounded(slot[0], JournalPathSize, "%s\\A", root);
    FormatBounded(slot[1], JournalPathSize, "%s\\B", root);
    return true;
  }
};

// A slot's generation; 0 for a slot that is missing or not complete.
uint32_t Generation(const char* slot) {
  if (!KeyExists(slot)) return 0;
  const BasePathRedirect atSlot(slot);
  return ReadNumber(nullptr, CompleteMark, 0);
}

// The complete slot in charge (the newest), or -1.
int SlotInCharge(const JournalPaths& paths) {
  const uint32_t a = Generation(paths.slot[0]);
  const uint32_t b = Generation(paths.slot[1]);
  if (a == 0 && b == 0) return -1;
  return a >= b ? 0 : 1;
}

bool ClearMark(const char* slot) {
  const BasePathRedirect atSlot(slot);
  return DeleteValue(nullptr, CompleteMark);
}

// Registry names match in any letter case.
bool IsJournalName(const char* name) {
  const char* rest = AfterNamePrefix(name, "journal");
  return rest != nullptr && *rest == 0;
}

// Whether the settings key holds nothing but the journal, which then made
// it: removing the journal removes it too, leaving no trace.
bool OnlyTheJournalIn(const char* base) {
  char name[JournalPathSize];
  if (CountValues(base) != 0 || CountSubkeys(base) != 1 || !SubkeyName(base, 0, name, sizeof name)) return false;
  return IsJournalName(name);
}

// Removes the whole journal. The marks go first, the older slot's before the
// newer one's, so that a removal cut off part-way leaves the newest journal
// in charge or none, never an older one.
bool RemoveJournal(const JournalPaths& paths) {
  if (!KeyExists(paths.root)) return true;
  const int newest = SlotInCharge(paths);
  if (newest >= 0) {
    const int older = 1 - newest;
    if (Generation(paths.slot[older]) != 0 && !ClearMark(paths.slot[older])) return false;
    if (!ClearMark(paths.slot[newest])) return false;
  }
  const char* tree = OnlyTheJournalIn(paths.base) ? paths.base : paths.root;
  return DeleteKeyTree(HKEY_CURRENT_USER, tree);
}

bool SlotHolds(const char* slot, const AssocList& list) {
  AssocList journaled;
  return LoadAssociations(journaled, slot) && journaled.SameContent(list);
}

// Writes the list into the slot not in charge and marks it complete, newer
// than the one in charge. A journal in charge that holds the list already
// (a retry) is kept as it is.
bool WriteJournal(const JournalPaths& paths, const AssocList& list) {
  const int inCharge = SlotInCharge(paths);
  if (inCharge >= 0 && SlotHolds(paths.slot[inCharge], list)) return true;
  const int target = inCharge == 0 ? 1 : 0;
  const char* slot = paths.slot[target];
  if (KeyExists(slot) && !(ClearMark(slot) && DeleteKeyTree(HKEY_CURRENT_USER, slot))) return false;
  if (!SaveAssociations(list, slot)) return false;
  const uint32_t generation = inCharge >= 0 ? Generation(paths.slot[inCharge]) + 1 : 1;
  const BasePathRedirect atSlot(slot);
  return WriteNumber(nullptr, CompleteMark, generation);
}

}  // namespace

bool ApplyTable(const AssocList& list) {
  JournalPaths paths;
  if (!paths.Compose()) return false;
  if (!WriteJournal(paths, list)) return false;
  if (!SaveAssociations(list)) return false;
  return RemoveJournal(paths);
}

bool DiscardJournal() {
  JournalPaths paths;
  return paths.Compose() && RemoveJournal(paths);
}

Recovery RecoverTable() {
  JournalPaths paths;
  if (!paths.Compose() || !KeyExists(paths.root)) return Recovery::NothingToDo;
  const int inCharge = SlotInCharge(paths);
  if (inCharge < 0) {
    // The write was cut off before its journal was complete, so before the
    // table was touched. A journal that cannot be removed now is removed
    // by the next write or start.
    RemoveJournal(paths);
    return Recovery::NothingToDo;
  }
  AssocList journaled;
  LoadAssociations(journaled, paths.slot[inCharge]);
  if (!TableHoldsExactly(journaled) && !SaveAssociations(journaled)) return Recovery::Failed;
  if (!RemoveJournal(paths)) return Recovery::Failed;
  recoveredUnreported = true;
  return Recovery::Completed;
}

bool TakeRecoveryNotice() {
  const bool notice = recoveredUnreported;
  recoveredUnreported = false;
  return notice;
}
