// The growable array of plain-data records.
#include "model/record_array.h"

#include <cstdlib>
#include <cstring>

#include "model/text.h"
#include "support/errors.h"

RecordArray::RecordArray(uint32_t elementSize, uint32_t initialCount, uint32_t growBy)
    : elementSize(0), data(nullptr), count(0), capacity(0), growBy(0) {
  if (elementSize != 0) Init(elementSize, initialCount, growBy);
}

RecordArray::~RecordArray() {
  MemFree(data);
  data = nullptr;
}

void RecordArray::Init(uint32_t newElementSize, uint32_t initialCount, uint32_t newGrowBy) {
  count = 0;
  elementSize = newElementSize;
  growBy = newGrowBy;
  Reserve(initialCount);
}

void RecordArray::Reserve(uint32_t needed) {
  if (needed < capacity) return;
  // Grows when needed reaches the capacity, so that an Append or Insert
  // always leaves one free record behind it.
  uint64_t records = static_cast<uint64_t>(needed) + growBy;
  uint64_t bytes = records * elementSize;
  if (records > UINT32_MAX || static_cast<uint64_t>(static_cast<size_t>(bytes)) != bytes) {
    FatalStop("record array too large (%llu records of %u bytes)", static_cast<unsigned long long>(records),
              elementSize);
  }
  data = static_cast<unsigned char*>(MemRealloc(data, static_cast<size_t>(bytes)));
  capacity = static_cast<uint32_t>(records);
}

void* RecordArray::Append(const void* source) { return Insert(count, source); }

void* RecordArray::Insert(uint32_t index, const void* source) {
  // An index past the end would leave a gap of stale records and move
  // memory outside the block: refused.
  if (index > count) return nullptr;
  // A source inside this array is followed by its offset, since growing may
  // move the block and the shift below may move the record.
  const unsigned char* s = static_cast<const unsigned char*>(source);
  size_t used = static_cast<size_t>(count) * elementSize;
  bool inside = s != nullptr && data != nullptr && s >= data && s < data + used;
  size_t sourceOffset = inside ? static_cast<size_t>(s - data) : 0;
  Reserve(count + 1);
  size_t offset = static_cast<size_t>(index) * elementSize;
  unsigned char* p = data + offset;
  ++count;
  if (index + 1 < count) {
    std::memmove(p + elementSize, p, static_cast<size_t>(count - (index + 1)) * elementSize);
  }
  if (inside) {
    if (sourceOffset >= offset) sourceOffset += elementSize;
    std::memmove(p, data + sourceOffset, elementSize);
  } else if (s != nullptr) {
    std::memcpy(p, s, elementSize);
  } else {
    std::memset(p, 0, elementSize);
  }
  return p;
}

void RecordArray::RemoveAt(uint32_t index) {
  if (index >= count) return;
  --count;
  unsigned char* p = data + static_cast<size_t>(index) * elementSize;
  std::memmove(p, p + elementSize, static_cast<size_t>(count - index) * elementSize);
}

void RecordArray::RemoveAll() { count = 0; }

void* RecordArray::At(uint32_t index) const {
  if (index >= count) return nullptr;
  return data + static_cast<size_t>(index) * elementSize;
}

int32_t RecordArray::IndexOf(const void* address) const {
  if (address == nullptr || elementSize == 0) return -1;
  uintptr_t offset = reinterpret_cast<uintptr_t>(address) - reinterpret_cast<uintptr_t>(data);
  uintptr_t index = offset / elementSize;
  if (index >= count) return -1;
  return static_cast<int32_t>(index);
}

void RecordArray::Swap(uint32_t a, uint32_t b) {
  if (a == b || a >= count || b >= count) return;
  unsigned char small[4];
  unsigned char* temporary = elementSize <= sizeof small ? small : static_cast<unsigned char*>(MemAlloc(elementSize));
  unsigned char* pa = data + static_cast<size_t>(a) * elementSize;
  unsigned char* pb = data + static_cast<size_t>(b) * elementSize;
  std::memcpy(temporary, pa, elementSize);
  std::memcpy(pa, pb, elementSize);
  std::memcpy(pb, temporary, elementSize);
  if (temporary != small) MemFree(temporary);
}

namespace {

// The comparison and record size of the sort in progress; one sort at a time.
RecordCompare sortCompare = nullptr;
uint32_t sortElementSize = 0;

int ForwardCompare(const void* a, const void* b) { return sortCompare(a, b); }

int ByteCompare(const void* a, const void* b) { return std::memcmp(a, b, sortElementSize); }

// An in-place quicksort of n records of the given size. It is the module's
// own rather than the C library's so that records with equal keys end in the
// same order on every platform (the C libraries' sorts differ there), which
// keeps the saved table the same whichever build wrote it. Not stable.
class QuickSorter {
 public:
  QuickSorter(unsigned char* base, size_t size, int (*compare)(const void*, const void*))
      : base(base), size(size), compare(compare), temporary(static_cast<unsigned char*>(MemAlloc(size))) {}
  ~QuickSorter() { MemFree(temporary); }
  QuickSorter(const QuickSorter&) = delete;
  QuickSorter& operator=(const QuickSorter&) = delete;

  void Sort(size_t low, size_t high) {  // inclusive bounds
    while (low < high) {
      if (high - low < 8) {
        InsertionSort(low, high);
        return;
      }
      size_t middle = low + (high - low) / 2;
      // Median of three moved to low, used as the pivot.
      if (Less(middle, low)) Exchange(middle, low);
      if (Less(high, low)) Exchange(high, low);
      if (Less(high, middle)) Exchange(high, middle);
      Exchange(low, middle);
      size_t i = low, j = high + 1;
      for (;;) {
        do ++i;
        while (i <= high && Less(i, low));
        do --j;
        while (Less(low, j));
        if (i >= j) break;
        Exchange(i, j);
      }
      Exchange(low, j);
      // Recurse into the smaller side, loop on the larger: depth stays logarithmic.
      if (j - low < high - j) {
        if (j > low) Sort(low, j - 1);
        low = j + 1;
      } else {
        Sort(j + 1, high);
        if (j == 0) return;
        high = j - 1;
      }
    }
  }

 private:
  unsigned char* At(size_t i) const { return base + i * size; }
  bool Less(size_t a, size_t b) const { return compare(At(a), At(b)) < 0; }
  void Exchange(size_t a, size_t b) {
    if (a == b) return;
    std::memcpy(temporary, At(a), size);
    std::memcpy(At(a), At(b), size);
    std::memcpy(At(b), temporary, size);
  }
  void InsertionSort(size_t low, size_t high) {
    for (size_t i = low + 1; i <= high; ++i) {
      for (size_t k = i; k > low && Less(k, k - 1); --k) Exchange(k, k - 1);
    }
  }

  unsigned char* base;
  size_t size;
  int (*compare)(const void*, const void*);
  unsigned char* temporary;
};

}  // namespace

void RecordArray::SortRange(RecordCompare compare, int32_t first, int32_t last) {
  int (*comparison)(const void*, const void*);
  if (compare != nullptr) {
    sortCompare = compare;
    comparison = &ForwardCompare;
  } else {
    sortElementSize = elementSize;
    comparison = &ByteCompare;
  }
  int32_t lastIndex = static_cast<int32_t>(count) - 1;
  if (first < 0) first = 0;
  if (last < 0 || last > lastIndex) last = lastIndex;
  if (last - first < 1) return;
  QuickSorter sorter(data, elementSize, comparison);
  sorter.Sort(static_cast<size_t>(first), static_cast<size_t>(last));
}
