// Dialog layout and focus order of the terminal front end, on items shaped
// like the plug-in's edit dialog.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/dialog_item.h"
#include "tui/dialog_screen.h"

namespace velk::tui {
namespace {

using velk::tests::Item;

std::vector<HostDialogItem> EditDialog() {
  std::vector<HostDialogItem> items;
  items.push_back(Item(DialogItemFrame, 3, 1, 72, "Edit association"));          // 0
  items.push_back(Item(DialogItemCheckBox, 4, 2, 0, "Association"));             // 1
  items.push_back(Item(DialogItemEdit, 4, 3, 70, "", DialogHistoryFlag));        // 2
  items.push_back(Item(DialogItemText, 4, 4, 0, "Description"));                 // 3
  items.push_back(Item(DialogItemEdit, 4, 5, 70, ""));                           // 4
  items.push_back(Item(DialogItemText, 4, 6, 4, "", DialogSeparatorFlags));      // 5
  items.push_back(Item(DialogItemButton, 0, 20, 0, "OK", DialogButtonRowFlag));  // 6
  items.push_back(Item(DialogItemButton, 0, 20, 0, "Cancel", DialogButtonRowFlag));  // 7
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

TEST(TuiDialogLayout, ItemSizes) {
  auto items = EditDialog();
  auto places = LayoutDialog(items.data(), static_cast<int>(items.size()), 76);
  EXPECT_EQ(places[0].width, 70);  // frame from column 3 to 72
  EXPECT_EQ(places[1].width, 4 + 11);  // "[x] " and the caption
  EXPECT_EQ(places[2].x, 4);
  EXPECT_EQ(places[2].width, 67);  // edit field from 4 to 70
  EXPECT_EQ(places[3].width, 11);
  // A stretched dialog: right edges moved by 19 widen the field.
  items[2].right += 19;
  places = LayoutDialog(items.data(), static_cast<int>(items.size()), 95);
  EXPECT_EQ(places[2].width, 86);
  // A text with left -1 is centred; a field whose right edge lies left of
  // its left one still takes a column.
  std::vector<HostDialogItem> odd = {Item(DialogItemText, -1, 1, 0, "abcd"), Item(DialogItemEdit, 9, 2, 3, "")};
  places = LayoutDialog(odd.data(), 2, 20);
  EXPECT_EQ(places[0].x, 8);
  EXPECT_EQ(places[1].width, 1);
}

TEST(TuiDialogLayout, OnlyButtonsAndCheckBoxesOfARowAreGrouped) {
  std::vector<HostDialogItem> items = {Item(DialogItemButton, 2, 5, 0, "A"),
                                       Item(DialogItemCheckBox, 0, 5, 0, "Box", DialogButtonRowFlag),
                                       Item(DialogItemButton, 0, 5, 0, "B", DialogButtonRowFlag),
                                       Item(DialogItemButton, 0, 6, 0, "C", DialogButtonRowFlag),
                                       Item(DialogItemText, 7, 5, 0, "t", DialogButtonRowFlag)};
  auto places = LayoutDialog(items.data(), static_cast<int>(items.size()), 40);
  EXPECT_EQ(places[0].x, 2) << "without the flag a button stays where it was put";
  // "[ ] Box [ B ]" is 7 + 1 + 5 = 13 wide: (40 - 13) / 2 = 13.
  EXPECT_EQ(places[1].x, 13);
  EXPECT_EQ(places[2].x, 21);
  EXPECT_EQ(places[3].x, (40 - 5) / 2) << "a row of its own";
  EXPECT_EQ(places[4].x, 7) << "a text is not placed by the flag";
  // A row wider than the dialog starts at its left edge.
  places = LayoutDialog(items.data(), static_cast<int>(items.size()), 8);
  EXPECT_EQ(places[1].x, 0);
}

}  // namespace
}  // namespace velk::tui
