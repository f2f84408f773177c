// A record array that counts the removals reaching its virtual RemoveAt, for
// the tests that show that a derived list can replace them.
#pragma once

#include <cstdint>

template <typename Array>
class CountingRemovals : public Array {
 public:
  using Array::Array;
  void RemoveAt(uint32_t index) override {
    ++removals;
    Array::RemoveAt(index);
  }
  int removals = 0;
};
