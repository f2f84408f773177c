// The association record (an association or a group header) and the list of
// them in table order, with marks, deletion of marked records, block moves and
// sorting within groups.
#pragma once

#include <cstdint>

#include "model/record_array.h"
#include "model/text.h"

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
