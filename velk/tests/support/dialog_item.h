// Dialog items for the terminal front end's tests and demo, made the way the
// plug-in fills them: all zero but for the kind, a one-line place, the flags
// and the text (cut to fit and always terminated).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "host/base/host_abi.h"

namespace velk::tests {

inline HostDialogItem Item(int kind, int left, int top, int right, const char* text, uint32_t flags = 0) {
  HostDialogItem item;
  std::memset(&item, 0, sizeof item);
  item.kind = kind;
  item.left = left;
  item.top = top;
  item.right = right;
  item.bottom = top;
  item.flags = flags;
  std::snprintf(item.text, sizeof item.text, "%s", text);
  return item;
}

}  // namespace velk::tests
