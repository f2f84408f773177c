// A growable, contiguous array of fixed-size plain-data records, copied,
// moved and compared as raw bytes, and its typed layer.
#pragma once

#include <cstdint>

// Comparison of two records by address: negative, 0 or positive.
typedef int32_t (*RecordCompare)(const void* a, const void* b);

class RecordArray {
 public:
  RecordArray(uint32_t elementSize, uint32_t initialCount, uint32_t growBy);
  virtual ~RecordArray();
  RecordArray(const RecordArray&) = delete;
  RecordArray& operator=(const RecordArray&) = delete;

  void Init(uint32_t elementSize, uint32_t initialCount, uint32_t growBy);
  void Reserve(uint32_t needed);
  void* Append(const void* source);
  // Returns null, changing nothing, when index is above Count().
  void* Insert(uint32_t index, const void* source);
  void RemoveAt(uint32_t index);
  void RemoveAll();
  void* At(uint32_t index) const;
  int32_t IndexOf(const void* address) const;
  uint32_t Count() const { return count; }
  uint32_t Capacity() const { return capacity; }
  uint32_t ElementSize() const { return elementSize; }
  void Swap(uint32_t a, uint32_t b);
  void SortRange(RecordCompare compare, int32_t first, int32_t last);

 protected:
  uint32_t elementSize;
  unsigned char* data;
  uint32_t count;
  uint32_t capacity;
  uint32_t growBy;
};

template <typename T>
class TypedRecordArray : public RecordArray {
 public:
  TypedRecordArray(uint32_t initialCount, uint32_t growBy) : RecordArray(sizeof(T), initialCount, growBy) {}
  ~TypedRecordArray() override { RemoveAll(); }

  virtual void RemoveAll() { RecordArray::RemoveAll(); }
  virtual void RemoveAt(uint32_t index) { RecordArray::RemoveAt(index); }

  T* Append(const T* source) { return static_cast<T*>(RecordArray::Append(source)); }
  T* Insert(uint32_t index, const T* source) { return static_cast<T*>(RecordArray::Insert(index, source)); }
  T* At(uint32_t index) const { return static_cast<T*>(RecordArray::At(index)); }
  int32_t IndexOf(const T* address) const { return RecordArray::IndexOf(address); }
  using RecordArray::SortRange;
};
