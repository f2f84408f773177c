// The association record (an association or a group header) and the list of
// them in table order, with marks, deletion of marked records, block moves and
// sorting within groups.
#pragma once

#include <cstdint>

#include "model/record_array.h"
#include "model/text.h"

// The sort modes; odd ascending, even descending, 0 none.
enum SortMode : int32_t {
  SortNone = 0,
  SortMaskAsc = 1,
  SortMaskDesc = 2,
  SortExecuteAsc = 3,
  SortExecuteDesc = 4,
  SortDescriptionAsc = 5,
  SortDescriptionDesc = 6,
  SortEditAsc = 7,
  SortEditDesc = 8,
  SortViewAsc = 9,
  SortViewDesc = 10,
};

struct AssocRecord {
  TextField Mask;
  TextField Description;
  TextField Execute;
  TextField AltExec;
  TextField View;
  TextField AltView;
  TextField Edit;
  TextField AltEdit;
  int32_t marked;
  int32_t group;

  void Reset();
  // The same eight texts, byte for byte, and the same kind (header or not);
  // the marks are not content.
  bool SameContent(const AssocRecord& other) const;
};

// One description of the record's eight text fields, in record order, which
// is also the order in which the store reads and writes their values and the
// dialog's order of their edit fields. The store, the edit dialog, the sort
// and the list's title read the fields through this table only.
struct AssocField {
  const char* name;                // the field's name, also its registry value name
  TextField AssocRecord::*member;  // the record's field
  int32_t dialogItem;              // the index of the edit dialog's item that edits it
  int32_t sortAscending;           // the SortMode that sorts by it ascending; SortNone when none does
  int32_t sortDescending;          // the same descending
  char sortIndicator;              // the list title's letter for its sort (upper case descending); 0: none
};

constexpr int AssocFieldCount = 8;
inline constexpr AssocField AssocFields[AssocFieldCount] = {
    {"Mask", &AssocRecord::Mask, 2, SortMaskAsc, SortMaskDesc, 'm'},
    {"Description", &AssocRecord::Description, 4, SortDescriptionAsc, SortDescriptionDesc, 'd'},
    {"Execute", &AssocRecord::Execute, 7, SortExecuteAsc, SortExecuteDesc, 'x'},
    {"AltExec", &AssocRecord::AltExec, 9, SortNone, SortNone, 0},
    {"View", &AssocRecord::View, 11, SortViewAsc, SortViewDesc, 'v'},
    {"AltView", &AssocRecord::AltView, 13, SortNone, SortNone, 0},
    {"Edit", &AssocRecord::Edit, 15, SortEditAsc, SortEditDesc, 'e'},
    {"AltEdit", &AssocRecord::AltEdit, 17, SortNone, SortNone, 0},
};
// The mask comes first: the store reads it first to tell a record from the
// end of the table, and a group header keeps its title there.
inline constexpr const AssocField& MaskField = AssocFields[0];
static_assert(MaskField.member == &AssocRecord::Mask, "the mask is the first field");

// The field a sort mode compares, or null for SortNone and unknown modes.
const AssocField* SortField(int32_t mode);

class AssocList : public TypedRecordArray<AssocRecord> {
 public:
  AssocList();
  ~AssocList() override;

  void MarkAll();
  void UnmarkAll();
  void InvertMarks();
  int32_t CountMarked() const;
  int32_t FirstMarkedFrom(int32_t index) const;
  int32_t LastMarkedFrom(int32_t index) const;
  // Asks with message 17; true when the marked records were deleted.
  bool DeleteMarked();
  void DeleteRecord(const AssocRecord* record);
  bool MoveMarkedUp();
  bool MoveMarkedDown();
  void SortGroups(int32_t mode);
  // The same records, by SameContent, in the same order.
  bool SameContent(const AssocList& other) const;
};
