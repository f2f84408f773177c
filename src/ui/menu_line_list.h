// The growable array of menu lines handed to the host's menu, grown by exactly
// the number of lines appended.
#pragma once

#include <cstdint>

#include "host/base/host_abi.h"
#include "host/interface/host_services.h"

class MenuLineList {
 public:
  MenuLineList() = default;
  ~MenuLineList();
  MenuLineList(const MenuLineList&) = delete;
  MenuLineList& operator=(const MenuLineList&) = delete;

  HostMenuItem* Append(const HostMenuItem& item);
  HostMenuItem* At(int32_t index) const;
  int32_t Count() const { return count; }
  const HostMenuItem* Items() const { return items; }
  int32_t Capacity() const { return capacity; }
  void Clear();

 private:
  bool Reserve(int32_t needed);

  HostMenuItem* items = nullptr;
  int32_t count = 0;
  int32_t capacity = 0;
};

// Shows the lines of a MenuLineList with the host's menu (see HostMenu in
// host/interface/host_services.h).
inline int HostMenu(const MenuLineList& lines, uintptr_t title, uint32_t flags, uintptr_t bottom, const char* helpTopic,
                    const uint32_t* breakKeys, int* breakCode) {
  return HostMenu(lines.Items(), lines.Count(), title, flags, bottom, helpTopic, breakKeys, breakCode);
}
