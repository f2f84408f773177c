// The host's association table in the registry: Type0, Type1, ... below
// AssocKeyPath, each with eight text values. The same layout serves the
// journal of a write (storage/table_journal.h), below another key: every
// call that works on a table takes its key path, the host's by default.
#pragma once

#include <cstdint>

#include "host/interface/startup_state.h"
#include "model/assoc_list.h"

constexpr unsigned char GroupMarker = 0x10;

bool LoadAssociations(AssocList& list, const char* tablePath = AssocKeyPath);
// Replaces the table with the list, unguarded: a write cut off part-way
// leaves part of it. The editing session applies through ApplyTable
// (storage/table_journal.h), which keeps a journal around this.
bool SaveAssociations(const AssocList& list, const char* tablePath = AssocKeyPath);
bool ReadAssocRecord(AssocRecord& record, int32_t n, const char* tablePath = AssocKeyPath);
bool WriteAssocRecord(const AssocRecord& record, int32_t n, const char* tablePath = AssocKeyPath);
// Whether the host's table is exactly what saving the list writes: the
// same records, Type0 ... TypeN-1 and nothing else below the table key, each
// with its eight values and nothing else, no value on the table key. A
// write cut off part-way never passes, even where what it left reads the
// same (a missing empty value, old keys left beyond a gap).
bool TableHoldsExactly(const AssocList& list);
// The keys TypeN below the host's table numbered above `loaded` (the count
// a load gave, so the first gap) that hold an association all the same:
// what an apply of the loaded list would drop.
int32_t CountEntriesBeyondGap(int32_t loaded);
