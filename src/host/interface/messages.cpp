// Message number to text, through the host's language file for this plug-in.
#include "host/interface/messages.h"

#include <cstdlib>

#include "host/interface/startup_state.h"

namespace {

// The one shared empty text: the answer for value 0, and for any message the
// host cannot give (no host record yet, no lookup service, or a number the
// language file lacks), so that no caller ever formats or copies a null text.
const char EmptyText[] = "";

// Values above this are addresses of ready texts, not message numbers.
constexpr uintptr_t LastMessageNumber = 2000;

const char* HostText(int number) {
  if (!HostInfo || !HostInfo->getMessageText) return EmptyText;
  const char* text = HostInfo->getMessageText(HostInfo->pluginId, number);
  return text ? text : EmptyText;
}

}  // namespace

const char* MessageText(int n) {
  // The magnitude, computed unsigned so that the most negative int has one.
  uint32_t number = n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
  if (number >= LastMessageNumber) return nullptr;
  return HostText(static_cast<int>(number));
}

const char* TextOrMessage(uintptr_t value) {
  if (value == 0) return EmptyText;
  if (value > LastMessageNumber) return reinterpret_cast<const char*>(value);
  return HostText(static_cast<int>(value));
}
