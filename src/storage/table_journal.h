// The journal around every write of the host's table. Before the table is
// touched, the whole table about to be stored is written below the plug-in's
// own key (RegistryBasePath, the settings key, then "Journal"), in the
// table's own layout, and marked complete only after its last value; then
// the table is replaced; then the journal is removed. A write cut off at any
// point (the process ended, the machine stopped) leaves either a complete
// journal, from which the next start finishes the write, or an incomplete
// one beside a table that was not touched yet.
#pragma once

#include "model/assoc_list.h"

// Stores the list as the host's table, journaled. False when any step
// failed (the last-error value says why): a journal that could not be
// written leaves the table untouched; after that a complete journal is kept,
// so that the table is finished at the latest at the next start.
bool ApplyTable(const AssocList& list);

// Removes the journal, for a table that must stay as it is (the user
// discarded an apply that failed before it changed the table).
bool DiscardJournal();

enum class Recovery {
  NothingToDo,  // no complete journal (an incomplete one is removed, the table left as it is)
  Completed,    // the journaled table is stored and the journal removed
  Failed,       // the table could not be finished or the journal not removed: the journal is kept
};

// Finishes a write of the table that was cut off, from a complete journal
// left behind: the table is written from it (unless it already holds
// exactly that) and the journal removed.
Recovery RecoverTable();

// Whether a recovery has completed a table since the last call, which the
// user has not been told of yet; reading it counts as telling.
bool TakeRecoveryNotice();
