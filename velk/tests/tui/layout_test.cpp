// Dialog layout of the terminal front end, on items shaped like the
// plug-in's edit dialog: where items stand at the dialog's own width and on
// a narrower screen, and what an edit field shows of its text.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/support/dialog_item.h"
#include "tui/dialog_screen.h"

namespace velk::tui {
namespace {

using velk::tests::Item;

std::vector<HostDialogItem> EditDialog() {
  std::vector<HostDialogItem> items;
  items.push_back(Item(DialogItemFrame, 3, 1, 72, "Edit association"));              // 0
  items.push_back(Item(DialogItemCheckBox, 4, 2, 0, "Association"));                 // 1
  items.push_back(Item(DialogItemEdit, 4, 3, 70, "", DialogHistoryFlag));            // 2
  items.push_back(Item(DialogItemText, 4, 4, 0, "Description"));                     // 3
  items.push_back(Item(DialogItemEdit, 4, 5, 70, ""));                               // 4
  items.push_back(Item(DialogItemText, 4, 6, 4, "", DialogSeparatorFlags));          // 5
  items.push_back(Item(DialogItemButton, 0, 20, 0, "OK", DialogButtonRowFlag));      // 6
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
  EXPECT_EQ(places[0].width, 70);      // frame from column 3 to 72
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

TEST(TuiDialogLayout, ANarrowerScreenTakesColumnsOffTheRightWithoutRunningOverTheFrame) {
  auto items = EditDialog();
  // 8: a label longer than the narrowed frame can hold
  items.push_back(Item(DialogItemText, 4, 7, 0, "A label much longer than the narrowed frame can hold, to be cut"));
  items.push_back(Item(DialogItemEdit, 4, 8, 20, ""));  // 9: a short field, not reaching the lost columns
  const int n = static_cast<int>(items.size());
  // At its own width (or more) nothing changes.
  auto full = LayoutDialog(items.data(), n, 76);
  auto same = LayoutDialog(items.data(), n, 76, 90);
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(same[i].x, full[i].x) << i;
    EXPECT_EQ(same[i].width, full[i].width) << i;
  }
  // 16 columns fewer: the frame keeps its 3-column margin (3 to 56), the
  // wide fields end as far before it as before (at 54, room for the
  // history mark at 55), the short field keeps its size, the long label is
  // cut inside the frame, and the buttons are centred in 60 columns.
  auto narrow = LayoutDialog(items.data(), n, 76, 60);
  EXPECT_EQ(narrow[0].x, 3);
  EXPECT_EQ(narrow[0].x + narrow[0].width - 1, 56);
  EXPECT_EQ(narrow[2].x + narrow[2].width - 1, 54);
  EXPECT_EQ(narrow[4].x + narrow[4].width - 1, 54);
  EXPECT_EQ(narrow[9].width, full[9].width);
  EXPECT_EQ(narrow[8].x + narrow[8].width - 1, 55) << "the last column inside the frame";
  EXPECT_EQ(narrow[3].width, full[3].width) << "a label that fits is not cut";
  EXPECT_EQ(narrow[6].x, (60 - 17) / 2);
  EXPECT_EQ(narrow[7].x, narrow[6].x + 7);
  // Far too narrow: every item keeps at least its first column, the frame two.
  auto tiny = LayoutDialog(items.data(), n, 76, 6);
  EXPECT_EQ(tiny[0].width, 2);
  EXPECT_GE(tiny[2].width, 1);
  EXPECT_EQ(tiny[2].x, 4);
  EXPECT_EQ(tiny[8].width, 0) << "a label left of nothing shows nothing";
}

TEST(TuiDialogLayout, WithoutAFrameANarrowerScreenCutsAtItsEdge) {
  std::vector<HostDialogItem> items = {Item(DialogItemEdit, 0, 0, 39, ""), Item(DialogItemText, 0, 1, 0, "0123456789")};
  auto places = LayoutDialog(items.data(), 2, 40, 8);
  EXPECT_EQ(places[0].x + places[0].width - 1, 7) << "it ended at the dialog's edge; so it does at the screen's";
  EXPECT_EQ(places[1].width, 8);
}

// The plug-in's edit dialog as it lays it out for a console `columns` wide
// (its labels from the language file; frame and fields stretched by the
// width less 80, less one more when that is not 0), and the dialog's width.
std::vector<HostDialogItem> PluginDialog(int columns, int& width) {
  int stretch = columns - 80;
  if (stretch != 0) --stretch;
  width = 76 + stretch;
  std::vector<HostDialogItem> items = {Item(DialogItemFrame, 3, 1, 72 + stretch, "Edit association"),
                                       Item(DialogItemCheckBox, 4, 2, 0, "Association (clear for a group header)"),
                                       Item(DialogItemEdit, 4, 3, 70 + stretch, "*.zip", DialogHistoryFlag),
                                       Item(DialogItemText, 4, 4, 0, "Description:"),
                                       Item(DialogItemText, 4, 6, 4, "", DialogSeparatorFlags),
                                       Item(DialogItemText, 4, 9, 0, "Alternative execute command:"),
                                       Item(DialogItemEdit, 4, 10, 70 + stretch, ""),
                                       Item(DialogItemButton, 0, 20, 0, "Ok", DialogButtonRowFlag),
                                       Item(DialogItemButton, 0, 20, 0, "Cancel", DialogButtonRowFlag)};
  items[1].bottom = items[1].top;
  return items;
}

TEST(TuiDialogLayout, AtEveryConsoleAndScreenWidthEveryTextStaysInsideTheFrame) {
  // From the narrowest terminal velk draws on; the dialog laid out for the
  // console's width and shown at that width or on a narrower screen.
  for (int columns = 32; columns <= 200; ++columns) {
    int width = 0;
    const std::vector<HostDialogItem> items = PluginDialog(columns, width);
    const int n = static_cast<int>(items.size());
    for (int shown = width; shown >= std::min(width, 32); --shown) {
      SCOPED_TRACE(testing::Message() << "console " << columns << ", dialog " << width << ", shown in " << shown);
      const auto places = LayoutDialog(items.data(), n, width, shown);
      const int left = places[0].x, right = places[0].x + places[0].width - 1;
      ASSERT_LE(right, shown - 1) << "the frame itself";
      for (int i = 1; i < n; ++i) {
        const ItemPlace& p = places[static_cast<size_t>(i)];
        if (p.width == 0) continue;
        // An edit field's history mark stands in the column after it.
        const int end = p.x + p.width - 1 + (items[static_cast<size_t>(i)].kind == DialogItemEdit ? 1 : 0);
        EXPECT_GT(p.x, left) << "item " << i;
        EXPECT_LT(end, right) << "item " << i;
      }
    }
  }
}

// Checks what a field shows against the rules, for one text, cursor,
// width and earlier first character.
void ExpectSoundView(size_t length, size_t cursor, size_t width, size_t previous) {
  const FieldView v = ScrollField(length, cursor, width, previous);
  SCOPED_TRACE(testing::Message() << "length " << length << ", cursor " << cursor << ", width " << width
                                  << ", previous " << previous);
  const int w = static_cast<int>(width);
  ASSERT_LE(v.first, length);
  EXPECT_EQ(v.hiddenLeft, width >= 3 && v.first > 0);
  EXPECT_EQ(v.hiddenRight, width >= 3 && v.first + v.shown < length);
  EXPECT_EQ(v.textCell, v.hiddenLeft ? 1 : 0);
  // The cursor is on the field, on a character shown or just after the
  // last one, never on a mark.
  EXPECT_EQ(v.cursorCell, v.textCell + static_cast<int>(cursor - v.first));
  EXPECT_GE(cursor, v.first);
  EXPECT_LE(v.cursorCell, w - 1 - (v.hiddenRight ? 1 : 0));
  // The cells between the marks are used: text runs to the right mark or
  // to its own end.
  if (width < 3) {
    EXPECT_EQ(v.shown, std::min(width, length - v.first)) << "no marks: as much as fits";
  } else if (v.hiddenRight) {
    EXPECT_EQ(v.textCell + static_cast<int>(v.shown), w - 1);
  } else {
    EXPECT_EQ(v.first + v.shown, length);
  }
  if (width >= 3 && length < width) {
    EXPECT_EQ(v.first, 0u) << "a text that fits with its cursor is shown whole";
  }
  // The same state painted again shows the same.
  const FieldView again = ScrollField(length, cursor, width, v.first);
  EXPECT_EQ(again.first, v.first);
}

TEST(TuiEditField, EveryTextCursorAndWidthGivesASoundView) {
  for (size_t width = 1; width <= 9; ++width) {
    for (size_t length = 0; length <= 14; ++length) {
      for (size_t cursor = 0; cursor <= length; ++cursor) {
        for (size_t previous = 0; previous <= length + 1; ++previous) ExpectSoundView(length, cursor, width, previous);
      }
    }
  }
}

TEST(TuiEditField, ALongTextOpensAtItsStartAndKeepsStillWhileTheCursorMovesInside) {
  // The field opens with the cursor at the start of a 30-character text in
  // 10 cells: 9 characters, then the mark.
  FieldView v = ScrollField(30, 0, 10, 0);
  EXPECT_EQ(v.first, 0u);
  EXPECT_FALSE(v.hiddenLeft);
  EXPECT_TRUE(v.hiddenRight);
  EXPECT_EQ(v.shown, 9u);
  // To the end: a mark on the left, the last 8 characters, the cursor in
  // the last cell.
  v = ScrollField(30, 30, 10, v.first);
  EXPECT_EQ(v.first, 22u);
  EXPECT_TRUE(v.hiddenLeft);
  EXPECT_FALSE(v.hiddenRight);
  EXPECT_EQ(v.cursorCell, 9);
  // Moving left within what is shown moves nothing; past its start shows
  // the character under the cursor just after the left mark.
  EXPECT_EQ(ScrollField(30, 25, 10, 22).first, 22u);
  EXPECT_EQ(ScrollField(30, 22, 10, 22).first, 22u);
  v = ScrollField(30, 21, 10, 22);
  EXPECT_EQ(v.first, 21u);
  EXPECT_EQ(v.cursorCell, 1);
  EXPECT_FALSE(v.hiddenRight) << "the last 9 characters fill the 9 cells after the mark";
  v = ScrollField(30, 20, 10, 21);
  EXPECT_EQ(v.first, 20u);
  EXPECT_TRUE(v.hiddenRight) << "one more: the end is hidden again";
  // In the middle of the text, text hidden on both sides.
  v = ScrollField(30, 15, 10, 0);
  EXPECT_TRUE(v.hiddenLeft);
  EXPECT_TRUE(v.hiddenRight);
  EXPECT_EQ(v.first, 8u);
  EXPECT_EQ(v.shown, 8u);
  // A text emptied (Ctrl+Y) shows from its start again.
  EXPECT_EQ(ScrollField(0, 0, 10, 22).first, 0u);
}

}  // namespace
}  // namespace velk::tui
