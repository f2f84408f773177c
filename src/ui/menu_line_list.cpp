#include "ui/menu_line_list.h"

#include "model/text.h"

MenuLineList::~MenuLineList() {
  // Release whatever block is held, even one that holds no line.
  MemFree(items);
  items = nullptr;
  count = 0;
  capacity = 0;
}

// Growth is exact: room for `needed` records makes the block exactly that
// large. Running out of memory is a fatal stop, so the resize never fails.
bool MenuLineList::Reserve(int32_t needed) {
  if (needed <= 0) return false;
  if (needed < capacity) return true;
  items = static_cast<HostMenuItem*>(MemRealloc(items, static_cast<size_t>(needed) * sizeof(HostMenuItem)));
  capacity = needed;
  return true;
}

HostMenuItem* MenuLineList::Append(const HostMenuItem& item) {
  const int32_t n = 1;
  if (!Reserve(count + n)) return nullptr;
  HostMenuItem* stored = items + count;
  CopyBytes(stored, &item, sizeof(HostMenuItem) * n);
  count += n;
  return stored;
}

HostMenuItem* MenuLineList::At(int32_t index) const {
  if (index < 0 || index >= count) return nullptr;
  return items + index;
}

void MenuLineList::Clear() {
  if (count == 0) return;
  MemFree(items);
  items = nullptr;
  count = 0;
  capacity = 0;
}
