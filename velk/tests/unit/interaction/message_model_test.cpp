// The message box model: every key it knows, and the ones it ignores.
#include <gtest/gtest.h>

#include "interaction/message_model.h"

namespace velk {
namespace {

TEST(MessageModel, ButtonsWrapBothWaysAndEnterChooses) {
  MessageModel m(3);
  EXPECT_EQ(m.Focus(), 0);
  EXPECT_EQ(m.Feed(Key(VkLeft)), Step::Open);
  EXPECT_EQ(m.Focus(), 2);
  m.Feed(Key(VkRight));
  EXPECT_EQ(m.Focus(), 0);
  m.Feed(Key(VkTab));
  m.Feed(Key(VkTab));
  EXPECT_EQ(m.Focus(), 2);
  m.Feed(Key(VkTab));
  EXPECT_EQ(m.Focus(), 0);
  m.Feed(Key(VkTab, KeyModShift));
  EXPECT_EQ(m.Focus(), 2);
  EXPECT_EQ(m.Feed(Key(VkReturn)), Step::Closed);
  EXPECT_EQ(m.Result(), 2);
  m.Feed(Key(VkLeft));
  EXPECT_EQ(m.Result(), 2) << "closed: nothing changes any more";
}

TEST(MessageModel, EscHelpAndKeysThatMeanNothing) {
  MessageModel m(2);
  for (KeyPress key : {Key(VkRight, KeyModCtrl), Key(VkReturn, KeyModAlt), Key(VkDown), Key('Y'), Key(VkSpace),
                       Key(VkEscape, KeyModShift)}) {
    EXPECT_EQ(m.Feed(key), Step::Open) << KeyName(key);
  }
  EXPECT_EQ(m.Focus(), 0);
  EXPECT_EQ(m.Feed(Key(VkF(1))), Step::Help);
  EXPECT_FALSE(m.Closed());
  m.Feed(Key(VkRight));
  EXPECT_EQ(m.Feed(Key(VkEscape)), Step::Closed);
  EXPECT_EQ(m.Result(), -1) << "Esc answers -1 whatever button has the focus";
}

TEST(MessageModel, ABoxWithoutButtons) {
  MessageModel m(0);
  m.Feed(Key(VkRight));
  m.Feed(Key(VkTab, KeyModShift));
  EXPECT_EQ(m.Focus(), 0);
  EXPECT_EQ(m.Feed(Key(VkReturn)), Step::Closed);
  EXPECT_EQ(m.Result(), -1);
  EXPECT_EQ(MessageModel(-3).Buttons(), 0);
}

}  // namespace
}  // namespace velk
