#include "model/record_array.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "model/counting_removals.h"

namespace {

struct Item {
  int32_t key;
  char tag[12];
};

Item MakeItem(int32_t key) {
  Item item;
  std::memset(&item, 0, sizeof item);
  item.key = key;
  std::snprintf(item.tag, sizeof item.tag, "item%d", key);
  return item;
}

using ItemArray = TypedRecordArray<Item>;

std::vector<int32_t> Keys(const ItemArray& array) {
  std::vector<int32_t> keys;
  for (uint32_t i = 0; i < array.Count(); ++i) keys.push_back(array.At(i)->key);
  return keys;
}

void Fill(ItemArray& array, std::vector<int32_t> keys) {
  for (int32_t k : keys) {
    Item item = MakeItem(k);
    array.Append(&item);
  }
}

bool AllZero(const void* p, size_t n) {
  const unsigned char* bytes = static_cast<const unsigned char*>(p);
  for (size_t i = 0; i < n; ++i)
    if (bytes[i] != 0) return false;
  return true;
}

int32_t ByKey(const void* a, const void* b) {
  return static_cast<const Item*>(a)->key - static_cast<const Item*>(b)->key;
}

TEST(RecordArray, GrowsOneRecordEarlyByTheFixedStep) {
  ItemArray array(100, 100);
  EXPECT_EQ(array.Count(), 0u);
  EXPECT_EQ(array.Capacity(), 200u);
  for (int i = 0; i < 199; ++i) array.Append(nullptr);
  EXPECT_EQ(array.Capacity(), 200u);
  array.Append(nullptr);
  EXPECT_EQ(array.Capacity(), 300u);
  for (int i = 200; i < 300; ++i) array.Append(nullptr);
  EXPECT_EQ(array.Capacity(), 400u);
  EXPECT_EQ(array.Count(), 300u);
}

TEST(RecordArray, GrowingKeepsTheRecords) {
  ItemArray array(1, 1);
  for (int i = 0; i < 50; ++i) Fill(array, {i});
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(array.At(i)->key, i);
    EXPECT_STREQ(array.At(i)->tag, ("item" + std::to_string(i)).c_str());
  }
}

TEST(RecordArray, NullSourceGivesAZeroRecord) {
  ItemArray array(0, 4);
  Fill(array, {1, 2});
  Item* appended = array.Append(nullptr);
  EXPECT_TRUE(AllZero(appended, sizeof(Item)));
  Item* inserted = array.Insert(1, nullptr);
  EXPECT_EQ(inserted, array.At(1));
  EXPECT_TRUE(AllZero(inserted, sizeof(Item)));
  EXPECT_EQ(Keys(array), (std::vector<int32_t>{1, 0, 2, 0}));
}

TEST(RecordArray, InsertAtTheEnds) {
  ItemArray array(0, 4);
  Fill(array, {1, 2, 3});
  Item four = MakeItem(4), zero = MakeItem(0);
  Item* appended = array.Insert(3, &four);
  EXPECT_EQ(appended, array.At(3)) << "Insert(count) appends";
  Item* first = array.Insert(0, &zero);
  EXPECT_EQ(first, array.At(0));
  EXPECT_EQ(Keys(array), (std::vector<int32_t>{0, 1, 2, 3, 4}));
}

TEST(RecordArray, InsertPastTheEndIsRefused) {
  ItemArray array(0, 4);
  Fill(array, {1, 2, 3});
  Item nine = MakeItem(9);
  EXPECT_EQ(array.Insert(4, &nine), nullptr);
  EXPECT_EQ(array.Insert(static_cast<uint32_t>(-1), &nine), nullptr);
  EXPECT_EQ(Keys(array), (std::vector<int32_t>{1, 2, 3}));
}

TEST(RecordArray, InsertFromOneOfItsOwnRecords) {
  // Capacity 3 holds two records; inserting a third grows (and may move)
  // the block while the source points into it.
  ItemArray array(2, 1);
  Fill(array, {1, 2});
  ASSERT_EQ(array.Capacity(), 3u);
  array.Insert(0, array.At(1));
  EXPECT_EQ(Keys(array), (std::vector<int32_t>{2, 1, 2}));
  array.Insert(3, array.At(0));
  EXPECT_EQ(Keys(array), (std::vector<int32_t>{2, 1, 2, 2}));
  array.Insert(1, array.At(0));
  EXPECT_EQ(Keys(array), (std::vector<int32_t>{2, 2, 1, 2, 2}));
}

TEST(RecordArray, RemoveAtTheEndsAndOutOfRange) {
  ItemArray array(0, 4);
  Fill(array, {1, 2, 3});
  array.RemoveAt(3);
  array.RemoveAt(static_cast<uint32_t>(-1));
  EXPECT_EQ(Keys(array), (std::vector<int32_t>{1, 2, 3}));
  array.RemoveAt(0);
  EXPECT_EQ(Keys(array), (std::vector<int32_t>{2, 3}));
  array.RemoveAt(1);
  EXPECT_EQ(Keys(array), (std::vector<int32_t>{2}));
}

TEST(RecordArray, AtAndIndexOf) {
  ItemArray array(0, 4);
  Fill(array, {10, 11, 12, 13, 14});
  EXPECT_EQ(array.At(static_cast<uint32_t>(-1)), nullptr);
  EXPECT_EQ(array.At(5), nullptr);
  EXPECT_EQ(array.IndexOf(nullptr), -1);
  const unsigned char* third = reinterpret_cast<const unsigned char*>(array.At(3));
  EXPECT_EQ(array.IndexOf(reinterpret_cast<const Item*>(third + 10)), 3);
  EXPECT_EQ(array.IndexOf(array.At(4) + 1), -1) << "just past the last record in use";
  EXPECT_EQ(array.IndexOf(array.At(0) - 1), -1) << "before the block";
}

TEST(RecordArray, SwapExchangesWholeRecords) {
  ItemArray array(0, 4);
  Fill(array, {1, 2, 3});
  array.Swap(0, 2);
  EXPECT_EQ(Keys(array), (std::vector<int32_t>{3, 2, 1}));
  EXPECT_STREQ(array.At(0)->tag, "item3");
  array.Swap(1, 1);
  array.Swap(1, 3);
  EXPECT_EQ(Keys(array), (std::vector<int32_t>{3, 2, 1}));

  // Records of four bytes or fewer go through a local temporary.
  TypedRecordArray<uint16_t> small(0, 4);
  uint16_t a = 0x1234, b = 0xBEEF;
  small.Append(&a);
  small.Append(&b);
  small.Swap(0, 1);
  EXPECT_EQ(*small.At(0), 0xBEEF);
  EXPECT_EQ(*small.At(1), 0x1234);
}

TEST(RecordArray, SortRangeClampsToTheRecordsInUse) {
  ItemArray array(0, 4);
  Fill(array, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0});
  array.SortRange(&ByKey, 5, 100);
  EXPECT_EQ(Keys(array), (std::vector<int32_t>{9, 8, 7, 6, 5, 0, 1, 2, 3, 4}));
  array.SortRange(&ByKey, 4, 4);
  array.SortRange(&ByKey, 6, 3);
  EXPECT_EQ(Keys(array), (std::vector<int32_t>{9, 8, 7, 6, 5, 0, 1, 2, 3, 4}));
  array.SortRange(&ByKey, 0, 1);  // exactly two records
  EXPECT_EQ(Keys(array), (std::vector<int32_t>{8, 9, 7, 6, 5, 0, 1, 2, 3, 4}));
  array.SortRange(&ByKey, -1, -1);
  EXPECT_EQ(Keys(array), (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_STREQ(array.At(7)->tag, "item7") << "records move whole";
}

TEST(RecordArray, SortRangeOnAnEmptyArray) {
  ItemArray array(0, 4);
  array.SortRange(&ByKey, -1, -1);
  array.SortRange(nullptr, 0, 5);
  EXPECT_EQ(array.Count(), 0u);
}

TEST(RecordArray, DefaultSortIsByteWise) {
  struct Bytes {
    unsigned char b[3];
  };
  TypedRecordArray<Bytes> array(0, 4);
  Bytes values[] = {{{2, 0, 0}}, {{1, 0xFF, 0}}, {{1, 0x80, 1}}, {{0xFF, 0, 0}}, {{1, 0x80, 0}}};
  for (const Bytes& v : values) array.Append(&v);
  array.SortRange(nullptr, -1, -1);
  std::vector<std::vector<int>> sorted;
  for (uint32_t i = 0; i < array.Count(); ++i)
    sorted.push_back({array.At(i)->b[0], array.At(i)->b[1], array.At(i)->b[2]});
  EXPECT_EQ(sorted, (std::vector<std::vector<int>>{{1, 0x80, 0}, {1, 0x80, 1}, {1, 0xFF, 0}, {2, 0, 0}, {0xFF, 0, 0}}))
      << "unsigned bytes, first difference decides";
}

TEST(RecordArray, RemoveAllKeepsTheBlock) {
  ItemArray array(0, 4);
  Fill(array, {1, 2, 3});
  Item* first = array.At(0);
  uint32_t capacity = array.Capacity();
  array.RemoveAll();
  EXPECT_EQ(array.Count(), 0u);
  EXPECT_EQ(array.Capacity(), capacity);
  EXPECT_EQ(array.Append(nullptr), first);
}

TEST(RecordArray, ZeroElementSizeWaitsForInit) {
  RecordArray array(0, 10, 10);
  EXPECT_EQ(array.Capacity(), 0u);
  EXPECT_EQ(array.ElementSize(), 0u);
  array.Init(8, 2, 3);
  EXPECT_EQ(array.ElementSize(), 8u);
  EXPECT_EQ(array.Capacity(), 5u);
  uint64_t value = 0x0102030405060708ull;
  array.Append(&value);
  EXPECT_EQ(*static_cast<uint64_t*>(array.At(0)), value);
}

// Removals through the typed layer go through its table of virtual
// operations, so a derived list can replace them.
TEST(TypedRecordArray, RemoveAtIsVirtual) {
  CountingRemovals<ItemArray> counting(0, 4);
  Fill(counting, {1, 2});
  ItemArray& base = counting;
  base.RemoveAt(0);
  EXPECT_EQ(counting.removals, 1);
  EXPECT_EQ(Keys(counting), (std::vector<int32_t>{2}));
}

}  // namespace
