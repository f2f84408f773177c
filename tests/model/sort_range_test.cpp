// The array's own quicksort: every range size, duplicates and presorted runs
// come out ordered, as a permutation of the input, and only inside the range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "model/record_array.h"

namespace {

struct Rec {
  int32_t key;
  int32_t serial;  // tells records with equal keys apart
};

int32_t ByKey(const void* a, const void* b) {
  int32_t x = static_cast<const Rec*>(a)->key, y = static_cast<const Rec*>(b)->key;
  return x < y ? -1 : (x > y ? 1 : 0);
}

std::vector<Rec> Contents(const TypedRecordArray<Rec>& array) {
  std::vector<Rec> out;
  for (uint32_t i = 0; i < array.Count(); ++i) out.push_back(*array.At(i));
  return out;
}

TEST(SortRangeQuicksort, SortsEveryShapeOfInputAsAPermutation) {
  std::mt19937 random(7);
  for (int n = 0; n <= 300; n += (n < 40 ? 1 : 37)) {
    for (int shape = 0; shape < 4; ++shape) {
      TypedRecordArray<Rec> array(10, 10);
      for (int i = 0; i < n; ++i) {
        int32_t key = shape == 0   ? static_cast<int32_t>(random() % 1000)  // random
                      : shape == 1 ? static_cast<int32_t>(random() % 3)     // many duplicates
                      : shape == 2 ? i                                      // already sorted
                                   : n - i;                                 // reversed
        Rec r{key, i};
        array.Append(&r);
      }
      std::vector<Rec> before = Contents(array);
      array.SortRange(&ByKey, -1, -1);
      std::vector<Rec> after = Contents(array);
      ASSERT_EQ(after.size(), before.size());
      for (size_t i = 1; i < after.size(); ++i) ASSERT_LE(after[i - 1].key, after[i].key) << "n=" << n;
      std::vector<int32_t> serials;
      for (const Rec& r : after) serials.push_back(r.serial);
      std::sort(serials.begin(), serials.end());
      for (int i = 0; i < n; ++i) ASSERT_EQ(serials[static_cast<size_t>(i)], i) << "not a permutation, n=" << n;
    }
  }
}

TEST(SortRangeQuicksort, LeavesRecordsOutsideTheRangeAlone) {
  TypedRecordArray<Rec> array(10, 10);
  const int32_t keys[] = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, -1, -2};
  for (int i = 0; i < 12; ++i) {
    Rec r{keys[i], i};
    array.Append(&r);
  }
  array.SortRange(&ByKey, 3, 8);
  std::vector<Rec> after = Contents(array);
  const int32_t expected[] = {9, 8, 7, 1, 2, 3, 4, 5, 6, 0, -1, -2};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(after[static_cast<size_t>(i)].key, expected[i]) << i;
}

}  // namespace
