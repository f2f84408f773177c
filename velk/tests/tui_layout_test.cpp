// Dialog layout and focus order of the terminal front end, on items shaped
// like the plug-in's edit dialog.
#include <gtest/gtest.h>

#include <vector>

#include "velk/tests/dialog_item.h"
#include "velk/tui_parts.h"

namespace velk::tui {
namespace {

using velk::tests::Item;

std::vector<HostDialogItem> EditDialog() {
  std::vector<HostDialogItem> items;
  items.push_back(Item(3, 3, 1, 72, "Edit association"));  // 0
  items.push_back(Item(8, 4, 2, 0, "Association"));         // 1
  items.push_back(Item(4, 4, 3, 70, "", DialogHistoryFlag));  // 2
  items.push_back(Item(0, 4, 4, 0, "Description"));         // 3
  items.push_back(Item(4, 4, 5, 70, ""));                   // 4
  items.push_back(Item(0, 4, 6, 4, "", DialogSeparatorFlags));  // 5
  items.push_back(Item(7, 0, 20, 0, "OK", DialogCenterGroupFlag));  // 6
  items.push_back(Item(7, 0, 20, 0, "Cancel", DialogCenterGroupFlag));  // 7
  items[6].isDefault = 1;
  items[2].hasFocus = 1;
  return items;
}

TEST(TuiDialogLayout, ButtonsOfAGroupAreCentredTogetherOnTheirRow) {
  auto items = EditDialog();
  auto places = LayoutDialog(items.data(), static_cast<int>(items.size()), 76);
  EXPECT_EQ(ButtonCaption(items[6]), L"[ OK ]");
  EXPECT_EQ(ButtonCaption(items[7]), L"[ Cancel ]");
  // "[ OK ] [ Cancel ]" is 17 wide: it starts at (76 - 17) / 2 = 29.
  EXPECT_EQ(places[6].x, 29);
  EXPECT_EQ(places[7].x, 29 + 6 + 1);
  EXPECT_EQ(places[6].y, 20);
  EXPECT_EQ(places[7].y, 20);
  // A wider dialog moves the pair, keeping it centred.
  places = LayoutDialog(items.data(), static_cast<int>(items.size()), 95);
  EXPECT_EQ(places[6].x, (95 - 17) / 2);
}

TEST(TuiDialogLayout, ItemSizesAndWhatTakesTheFocus) {
  auto items = EditDialog();
  auto places = LayoutDialog(items.data(), static_cast<int>(items.size()), 76);
  EXPECT_EQ(places[0].width, 70);  // frame from column 3 to 72
  EXPECT_FALSE(places[0].focusable);
  EXPECT_EQ(places[1].width, 4 + 11);  // "[x] " and the caption
  EXPECT_TRUE(places[1].focusable);
  EXPECT_EQ(places[2].x, 4);
  EXPECT_EQ(places[2].width, 67);  // edit field from 4 to 70
  EXPECT_TRUE(places[2].focusable);
  EXPECT_FALSE(places[3].focusable);
  EXPECT_FALSE(places[5].focusable);
  // A stretched dialog: right edges moved by 19 widen the field.
  items[2].right += 19;
  places = LayoutDialog(items.data(), static_cast<int>(items.size()), 95);
  EXPECT_EQ(places[2].width, 86);
  // A text with left -1 is centred.
  std::vector<HostDialogItem> centred = {Item(0, -1, 1, 0, "abcd")};
  EXPECT_EQ(LayoutDialog(centred.data(), 1, 20)[0].x, 8);
}

TEST(TuiDialogLayout, FocusStartsOnTheMarkedItemAndCyclesOverFocusableOnes) {
  auto items = EditDialog();
  auto places = LayoutDialog(items.data(), static_cast<int>(items.size()), 76);
  EXPECT_EQ(InitialFocus(items.data(), places), 2);
  EXPECT_EQ(NextFocus(places, 2, +1), 4);
  EXPECT_EQ(NextFocus(places, 4, +1), 6);
  EXPECT_EQ(NextFocus(places, 7, +1), 1) << "wraps to the first focusable item";
  EXPECT_EQ(NextFocus(places, 1, -1), 7);
  EXPECT_EQ(NextFocus(places, 2, -1), 1);
  // Without a hasFocus item the first focusable one starts.
  items[2].hasFocus = 0;
  EXPECT_EQ(InitialFocus(items.data(), places), 1);
  // hasFocus on an item that cannot take it does not count.
  items[3].hasFocus = 1;
  EXPECT_EQ(InitialFocus(items.data(), places), 1);
  std::vector<HostDialogItem> none = {Item(0, 1, 1, 0, "text only")};
  auto nonePlaces = LayoutDialog(none.data(), 1, 20);
  EXPECT_EQ(InitialFocus(none.data(), nonePlaces), -1);
  EXPECT_EQ(NextFocus(nonePlaces, -1, +1), -1);
}

TEST(TuiDialogLayout, EnterOutsideAButtonChoosesTheDefaultButton) {
  auto items = EditDialog();
  EXPECT_EQ(DefaultItem(items.data(), static_cast<int>(items.size()), 4), 6);
  items[6].isDefault = 0;
  EXPECT_EQ(DefaultItem(items.data(), static_cast<int>(items.size()), 4), 4) << "no default: the focused item";
}

}  // namespace
}  // namespace velk::tui
