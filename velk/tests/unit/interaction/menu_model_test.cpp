// The menu model: keys in, cursor, scrolling and the answer out.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "interaction/menu_model.h"

namespace velk {
namespace {

std::vector<HostMenuItem> Lines(int n) {
  std::vector<HostMenuItem> items(static_cast<size_t>(n));
  for (auto& i : items) std::memset(&i, 0, sizeof i);
  return items;
}

const uint32_t kTable[] = {BreakKeyWord(VkInsert), BreakKeyWord(VkUp, KeyModCtrl), BreakKeyWord(VkSpace),
                           BreakKeyWord('Q'), 0};

// Feeds keys by name and checks that the menu is still open after each.
void Feed(MenuModel& m, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    KeyPress key;
    ASSERT_TRUE(ParseKeyName(name, key)) << name;
    EXPECT_EQ(m.Feed(key), Step::Open) << name;
  }
}

TEST(MenuModel, TheCursorStartsOnTheFirstSelectedLine) {
  auto items = Lines(6);
  items[4].flags = MenuItemSelected | MenuItemChecked;
  items[2].flags = MenuItemSelected;
  MenuView view;
  view.items = items.data();
  view.count = 6;
  EXPECT_EQ(MenuModel::ForView(view).Cursor(), 2);
  items[2].flags = MenuItemChecked;
  EXPECT_EQ(MenuModel::ForView(view).Cursor(), 4);
  items[4].flags = 0;
  EXPECT_EQ(MenuModel::ForView(view).Cursor(), 0);
  EXPECT_EQ(MenuModel(3, 7, nullptr).Cursor(), 0) << "a start past the end";
  EXPECT_EQ(MenuModel(3, -1, nullptr).Cursor(), 0);
}

TEST(MenuModel, CursorKeysStopAtTheFirstAndLastLine) {
  MenuModel m(25, 3, kTable);
  m.SetView(10);
  Feed(m, {"Up", "Up", "Up", "Up", "Up"});
  EXPECT_EQ(m.Cursor(), 0);
  Feed(m, {"Down"});
  EXPECT_EQ(m.Cursor(), 1);
  Feed(m, {"End", "Down"});
  EXPECT_EQ(m.Cursor(), 24);
  Feed(m, {"PgUp"});
  EXPECT_EQ(m.Cursor(), 14);
  Feed(m, {"PgUp", "PgUp"});
  EXPECT_EQ(m.Cursor(), 0) << "PgUp stops at the first line";
  Feed(m, {"PgDn", "PgDn"});
  EXPECT_EQ(m.Cursor(), 20);
  Feed(m, {"PgDn"});
  EXPECT_EQ(m.Cursor(), 24) << "PgDn stops at the last line";
  Feed(m, {"Home"});
  EXPECT_EQ(m.Cursor(), 0);
  EXPECT_FALSE(m.Closed());
}

TEST(MenuModel, APageIsWhatTheViewShows) {
  MenuModel m(40, 0, nullptr);
  m.SetView(3);
  Feed(m, {"PgDn"});
  EXPECT_EQ(m.Cursor(), 3);
  m.SetView(17);  // the terminal grew
  Feed(m, {"PgDn"});
  EXPECT_EQ(m.Cursor(), 20);
  m.SetView(0);  // nothing fits: still a page of one line
  Feed(m, {"PgUp"});
  EXPECT_EQ(m.Cursor(), 19);
}

TEST(MenuModel, BreakKeysCloseWithTheirCodeAndTheLineUnderTheCursor) {
  MenuModel m(5, 2, kTable);
  EXPECT_EQ(m.Feed(Key(VkUp, KeyModCtrl)), Step::Closed);
  EXPECT_EQ(m.Answer().position, 2);
  EXPECT_EQ(m.Answer().breakCode, 1);
  // A later key changes nothing once the menu is closed.
  EXPECT_EQ(m.Feed(Key(VkDown)), Step::Closed);
  EXPECT_EQ(m.Answer().position, 2);

  // A break key wins over the menu's own meaning of the key.
  const uint32_t downCloses[] = {BreakKeyWord(VkDown), 0};
  MenuModel d(5, 0, downCloses);
  EXPECT_EQ(d.Feed(Key(VkDown)), Step::Closed);
  EXPECT_EQ(d.Answer().position, 0);
  EXPECT_EQ(d.Answer().breakCode, 0);
}

TEST(MenuModel, EnterEscHelpAndKeysThatMeanNothing) {
  MenuModel m(5, 1, kTable);
  Feed(m, {"Ctrl+Ins", "Shift+Down", "Ctrl+Down", "Alt+Up", "F4", "Tab", "Z"});
  EXPECT_EQ(m.Cursor(), 1) << "keys outside the table and modified cursor keys do nothing";
  EXPECT_EQ(m.Feed(Key(VkF(1))), Step::Help);
  EXPECT_FALSE(m.Closed());
  EXPECT_EQ(m.Feed(Key(VkReturn)), Step::Closed);
  EXPECT_EQ(m.Answer().position, 1);
  EXPECT_EQ(m.Answer().breakCode, -1);

  MenuModel e(5, 3, kTable);
  EXPECT_EQ(e.Feed(Key(VkEscape, KeyModShift)), Step::Open);
  EXPECT_EQ(e.Feed(Key(VkEscape)), Step::Closed);
  EXPECT_EQ(e.Answer().position, -1);
  EXPECT_EQ(e.Answer().breakCode, -1);
}

TEST(MenuModel, AMenuWithoutLines) {
  MenuModel m(0, 0, kTable);
  Feed(m, {"Down", "End", "PgDn", "Up"});
  EXPECT_EQ(m.Cursor(), 0);
  EXPECT_EQ(m.Feed(Key(VkReturn)), Step::Closed);
  EXPECT_EQ(m.Answer().position, -1);
  MenuModel b(0, 0, kTable);
  EXPECT_EQ(b.Feed(Key(VkInsert)), Step::Closed);
  EXPECT_EQ(b.Answer().position, -1) << "no line to report";
  EXPECT_EQ(b.Answer().breakCode, 0) << "but the key that closed it";
}

TEST(MenuModel, TheViewKeepsTheCursorShown) {
  MenuModel m(25, 12, nullptr);
  m.SetView(5);
  EXPECT_EQ(m.Top(), 10) << "first shown with the cursor in the middle";
  Feed(m, {"Down", "Down", "Down"});
  EXPECT_EQ(m.Top(), 11);
  Feed(m, {"End"});
  EXPECT_EQ(m.Top(), 20);
  Feed(m, {"Home"});
  EXPECT_EQ(m.Top(), 0);
  m.SetView(30);
  EXPECT_EQ(m.Top(), 0);
  MenuModel last(25, 24, nullptr);
  last.SetView(10);
  EXPECT_EQ(last.Top(), 15) << "no empty room below the last line";
}

TEST(MenuModel, SidewaysScrollingStopsAtTheEndOfTheLongestLine) {
  MenuModel m(3, 0, nullptr);
  m.SetView(3, 10, 25);
  Feed(m, {"Right"});
  EXPECT_EQ(m.Column(), 4);
  Feed(m, {"Right", "Right", "Right", "Right"});
  EXPECT_EQ(m.Column(), 15);
  Feed(m, {"Left"});
  EXPECT_EQ(m.Column(), 11);
  Feed(m, {"Left", "Left", "Left", "Left"});
  EXPECT_EQ(m.Column(), 0);
  m.SetView(3, 40, 25);
  Feed(m, {"Right"});
  EXPECT_EQ(m.Column(), 0) << "nothing hidden, nothing to scroll";
  MenuModel s(3, 0, nullptr);
  Feed(s, {"Right"});  // no view given: a script's menu
  EXPECT_EQ(s.Column(), 0);
}

}  // namespace
}  // namespace velk
