#include "interaction/message_model.h"

namespace velk {

Step MessageModel::Close(int result) {
  closed_ = true;
  result_ = result;
  return Step::Closed;
}

Step MessageModel::Feed(KeyPress key) {
  if (closed_) return Step::Closed;
  if (key.Is(VkReturn)) return Close(buttons_ > 0 ? focus_ : -1);
  if (key.Is(VkEscape)) return Close(-1);
  if (key.Is(VkF1)) return Step::Help;
  if (buttons_ == 0) return Step::Open;
  if (key.Is(VkRight) || key.Is(VkTab)) {
    focus_ = (focus_ + 1) % buttons_;
  } else if (key.Is(VkLeft) || key.Is(VkTab, KeyModShift)) {
    focus_ = (focus_ + buttons_ - 1) % buttons_;
  }
  return Step::Open;
}

}  // namespace velk
