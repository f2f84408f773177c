// The association list: marks, deletion of marked records, block moves and
// sorting within groups.
#include "model/assoc_list.h"

#include <cstring>

#include "host/interface/host_services.h"
#include "host/interface/messages.h"

void AssocRecord::Reset() {
  // All-zero bytes are eight empty fields (terminator first, length 0) and
  // both flags cleared.
  std::memset(static_cast<void*>(this), 0, sizeof *this);
}

bool AssocRecord::SameContent(const AssocRecord& other) const {
  if ((group != 0) != (other.group != 0)) return false;
  for (const AssocField& field : AssocFields) {
    const TextField& mine = this->*field.member;
    const TextField& theirs = other.*field.member;
    if (mine.Length() != theirs.Length()) return false;
    if (std::memcmp(mine.Text(), theirs.Text(), static_cast<size_t>(mine.Length())) != 0) return false;
  }
  return true;
}

const AssocField* SortField(int32_t mode) {
  if (mode == SortNone) return nullptr;
  for (const AssocField& field : AssocFields) {
    if (field.sortAscending == mode || field.sortDescending == mode) return &field;
  }
  return nullptr;
}

AssocList::AssocList() : TypedRecordArray<AssocRecord>(100, 100) {}

AssocList::~AssocList() {}

void AssocList::MarkAll() {
  for (uint32_t i = 0; i < Count(); ++i) At(i)->marked = 1;
}

void AssocList::UnmarkAll() {
  for (uint32_t i = 0; i < Count(); ++i) At(i)->marked = 0;
}

void AssocList::InvertMarks() {
  for (uint32_t i = 0; i < Count(); ++i) At(i)->marked = At(i)->marked ? 0 : 1;
}

int32_t AssocList::CountMarked() const {
  int32_t n = 0;
  for (uint32_t i = 0; i < Count(); ++i)
    if (At(i)->marked) ++n;
  return n;
}

int32_t AssocList::FirstMarkedFrom(int32_t index) const {
  if (index < 0) return -1;
  for (uint32_t i = static_cast<uint32_t>(index); i < Count(); ++i)
    if (At(i)->marked) return static_cast<int32_t>(i);
  return -1;
}

int32_t AssocList::LastMarkedFrom(int32_t index) const {
  if (index < 0 || static_cast<uint32_t>(index) >= Count()) return -1;
  for (int32_t i = index; i >= 0; --i)
    if (At(static_cast<uint32_t>(i))->marked) return i;
  return -1;
}

bool AssocList::DeleteMarked() {
  int32_t n = CountMarked();
  const char* question = FormatShared(MessageText(MsgDeleteMarked), n);
  if (HostMessageBox(question, MessageButtonsYesNo | MessageFlagBit0, nullptr) != 0) return false;
  int32_t i = FirstMarkedFrom(0);
  while (i != -1) {
    RemoveAt(static_cast<uint32_t>(i));
    i = FirstMarkedFrom(i);
  }
  return true;
}

void AssocList::DeleteRecord(const AssocRecord* record) {
  int32_t index = IndexOf(record);
  if (index != -1) RemoveAt(static_cast<uint32_t>(index));
}

bool AssocList::MoveMarkedUp() {
  int32_t first = FirstMarkedFrom(0);
  if (first <= 0) return false;
  int32_t destination = first - 1;
  int32_t source = first;
  AssocRecord moving;
  while ((source = FirstMarkedFrom(source)) != -1) {
    moving.Reset();
    std::memcpy(static_cast<void*>(&moving), At(static_cast<uint32_t>(source)), sizeof moving);
    RemoveAt(static_cast<uint32_t>(source));
    Insert(static_cast<uint32_t>(destination), &moving);
    ++destination;
  }
  return true;
}

bool AssocList::MoveMarkedDown() {
  int32_t lastIndex = static_cast<int32_t>(Count()) - 1;
  int32_t last = LastMarkedFrom(lastIndex);
  if (last == -1 || last == lastIndex) return false;
  int32_t destination = last + 1;
  int32_t source;
  AssocRecord moving;
  while ((source = LastMarkedFrom(destination - 1)) != -1) {
    moving.Reset();
    std::memcpy(static_cast<void*>(&moving), At(static_cast<uint32_t>(source)), sizeof moving);
    RemoveAt(static_cast<uint32_t>(source));
    Insert(static_cast<uint32_t>(destination), &moving);
    --destination;
  }
  return true;
}

namespace {

// The field and direction of the sort under way. SortRange takes a plain
// comparison, so they reach the comparator through these slots; one sort
// runs at a time.
TextField AssocRecord::*sortMember = nullptr;
int32_t sortDirection = 1;  // 1 ascending, -1 descending

// The one comparator: the chosen field of two records in the user's locale
// order without regard to case, negated for a descending sort.
int32_t CompareSortField(const void* a, const void* b) {
  const TextField& first = static_cast<const AssocRecord*>(a)->*sortMember;
  const TextField& second = static_cast<const AssocRecord*>(b)->*sortMember;
  return sortDirection * CompareText(first.Text(), second.Text(), -1, 0);
}

}  // namespace

void AssocList::SortGroups(int32_t mode) {
  const AssocField* field = SortField(mode);
  if (field == nullptr) return;
  sortMember = field->member;
  sortDirection = mode == field->sortDescending ? -1 : 1;
  int32_t count = static_cast<int32_t>(Count());
  int32_t i = 0;
  for (;;) {
    while (i < count && At(static_cast<uint32_t>(i))->group) ++i;
    if (i >= count) return;
    int32_t end = i;
    while (end + 1 < count && !At(static_cast<uint32_t>(end + 1))->group) ++end;
    if (end - i >= 1) SortRange(&CompareSortField, i, end);
    i = end + 1;
  }
}

bool AssocList::SameContent(const AssocList& other) const {
  if (Count() != other.Count()) return false;
  for (uint32_t i = 0; i < Count(); ++i) {
    if (!At(i)->SameContent(*other.At(i))) return false;
  }
  return true;
}
