// The dialog model: focus, the keys of each kind of item, the history of an
// edit field, and what goes back into the plug-in's items when it closes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "interaction/dialog_model.h"
#include "tests/support/dialog_item.h"

namespace velk {
namespace {

using tests::Item;

const char kMasks[] = "Masks";

// Shaped like the plug-in's edit dialog, shortened: 0 frame, 1 check box,
// 2 mask field with a history, 3 label, 4 edit field, 5 separator, 6 the
// default button, 7 a button.
std::vector<HostDialogItem> EditDialog() {
  std::vector<HostDialogItem> items;
  items.push_back(Item(DialogItemFrame, 3, 1, 72, "Edit association"));
  items.push_back(Item(DialogItemCheckBox, 4, 2, 0, "Association"));
  items.push_back(Item(DialogItemEdit, 4, 3, 70, "", DialogHistoryFlag));
  items.push_back(Item(DialogItemText, 4, 4, 0, "Description"));
  items.push_back(Item(DialogItemEdit, 4, 5, 13, "Zip files"));
  items.push_back(Item(DialogItemText, 4, 6, 4, "", DialogSeparatorFlags));
  items.push_back(Item(DialogItemButton, 0, 20, 0, "OK", DialogButtonRowFlag));
  items.push_back(Item(DialogItemButton, 0, 20, 0, "Cancel", DialogButtonRowFlag));
  items[1].checkState = 1;
  items[2].historyName = kMasks;
  items[6].isDefault = 1;
  return items;
}

struct Dialog {
  std::vector<HostDialogItem> items = EditDialog();
  DialogView view;
  HistoryStore history;
  Dialog() {
    view.width = 76;
    view.height = 23;
    view.helpTopic = "EditItem";
    view.items = items.data();
    view.count = static_cast<int>(items.size());
  }
};

Step Press(DialogModel& model, const char* name) {
  KeyPress key;
  EXPECT_TRUE(ParseKeyName(name, key)) << name;
  return model.Feed(key);
}

void Press(DialogModel& model, std::initializer_list<const char*> names) {
  for (const char* name : names) EXPECT_EQ(Press(model, name), Step::Open) << name;
}

TEST(DialogModel, FocusStartsOnTheMarkedItemAndCyclesOverFocusableOnes) {
  Dialog d;
  d.items[4].hasFocus = 1;
  d.items[3].hasFocus = 1;  // a label cannot take the focus: it does not count
  DialogModel m(d.view, &d.history);
  EXPECT_EQ(m.Focus(), 4);
  const int forward[] = {6, 7, 1, 2, 4};
  for (int expected : forward) {
    Press(m, {"Tab"});
    EXPECT_EQ(m.Focus(), expected);
  }
  Press(m, {"Down"});
  EXPECT_EQ(m.Focus(), 6);
  Press(m, {"Shift+Tab", "Up", "Up"});
  EXPECT_EQ(m.Focus(), 1) << "back over 4 and 2";
  Press(m, {"Up"});
  EXPECT_EQ(m.Focus(), 7) << "wraps to the last focusable item";
  // Left and Right move between buttons and check boxes.
  Press(m, {"Left"});
  EXPECT_EQ(m.Focus(), 6);
  Press(m, {"Right", "Right"});
  EXPECT_EQ(m.Focus(), 1);

  d.items[4].hasFocus = 0;
  EXPECT_EQ(DialogModel::InitialFocus(d.items.data(), d.view.count), 1) << "no mark: the first focusable item";
  std::vector<HostDialogItem> labels = {Item(DialogItemText, 1, 1, 0, "text only"),
                                        Item(DialogItemFrame, 0, 0, 9, "frame")};
  EXPECT_EQ(DialogModel::InitialFocus(labels.data(), 2), -1);
}

TEST(DialogModel, ADialogWithoutFocusableItems) {
  std::vector<HostDialogItem> labels = {Item(DialogItemText, 1, 1, 0, "text only")};
  DialogView view;
  view.items = labels.data();
  view.count = 1;
  DialogModel m(view, nullptr);
  Press(m, {"Tab", "Shift+Tab", "Space", "A", "Enter"});
  EXPECT_EQ(m.Focus(), -1);
  EXPECT_FALSE(m.Closed()) << "Enter has nothing to choose";
  EXPECT_EQ(Press(m, "Esc"), Step::Closed);
  EXPECT_EQ(m.Result(), -1);
  DialogView empty;
  DialogModel none(empty, nullptr);
  EXPECT_EQ(none.Count(), 0);
  EXPECT_EQ(Press(none, "Enter"), Step::Open);
}

TEST(DialogModel, EnterChoosesTheFocusedButtonElseTheDefaultElseTheFocusedItem) {
  Dialog d;
  DialogModel onButton(d.view, nullptr);
  ASSERT_TRUE(onButton.SetFocus(7));
  EXPECT_EQ(Press(onButton, "Enter"), Step::Closed);
  EXPECT_EQ(onButton.Result(), 7);

  DialogModel onField(d.view, nullptr);
  ASSERT_TRUE(onField.SetFocus(4));
  EXPECT_EQ(Press(onField, "Enter"), Step::Closed);
  EXPECT_EQ(onField.Result(), 6);

  d.items[6].isDefault = 0;
  DialogModel noDefault(d.view, nullptr);
  ASSERT_TRUE(noDefault.SetFocus(1));
  EXPECT_EQ(Press(noDefault, "Enter"), Step::Closed);
  EXPECT_EQ(noDefault.Result(), 1);
}

TEST(DialogModel, SpaceTogglesACheckBoxChoosesAButtonAndTypesInAField) {
  Dialog d;
  DialogModel m(d.view, nullptr);
  ASSERT_EQ(m.Focus(), 1);
  Press(m, {"Space"});
  EXPECT_FALSE(m.Checked(1));
  EXPECT_EQ(d.items[1].checkState, 1) << "the plug-in's item changes only when the dialog closes";
  Press(m, {"Space", "Space"});
  EXPECT_FALSE(m.Checked(1));
  ASSERT_TRUE(m.SetFocus(4));
  Press(m, {"Space"});
  EXPECT_EQ(m.Editor(4).Text(), "Zip files ");
  ASSERT_TRUE(m.SetFocus(7));
  EXPECT_EQ(Press(m, "Space"), Step::Closed);
  EXPECT_EQ(m.Result(), 7);
  EXPECT_EQ(d.items[1].checkState, 0);
  EXPECT_STREQ(d.items[4].text, "Zip files ");
}

TEST(DialogModel, EditingKeysEditTheFocusedFieldOnly) {
  Dialog d;
  DialogModel m(d.view, nullptr);
  ASSERT_TRUE(m.SetFocus(4));
  Press(m, {"Home", "Del", "Del", "Del", "Shift+Z", "Shift+I", "Shift+P", "Right", "Left", "End", "BackSpace"});
  EXPECT_EQ(m.Editor(4).Text(), "ZIP file");
  EXPECT_EQ(m.Focus(), 4) << "Left and Right move the cursor, not the focus";
  Press(m, {"Ctrl+Y", "Ins", "X"});
  EXPECT_EQ(m.Editor(4).Text(), "x");
  EXPECT_TRUE(m.Editor(4).Overwrite());
  EXPECT_EQ(m.Editor(2).Text(), "") << "the other field is untouched";
  // Keys typed on a check box or a button type nothing anywhere.
  ASSERT_TRUE(m.SetFocus(1));
  Press(m, {"A", "BackSpace", "Del"});
  EXPECT_EQ(m.Editor(4).Text(), "x");
  EXPECT_TRUE(m.Checked(1));
}

TEST(DialogModel, AFieldOpensWithItsCursorAfterItsTextOnlyWhenTheFieldShowsItAll) {
  Dialog d;  // item 4 is 10 columns wide (4 to 13)
  std::memset(d.items[4].text, 0, sizeof d.items[4].text);
  std::memset(d.items[4].text, 'w', 9);
  {
    DialogModel m(d.view, nullptr);
    EXPECT_EQ(m.Editor(4).Cursor(), 9u) << "9 characters and the cursor after them fit in 10 columns";
  }
  d.items[4].text[9] = 'w';
  DialogModel m(d.view, nullptr);
  EXPECT_EQ(m.Editor(4).Cursor(), 0u) << "10 characters and the cursor do not: the field opens at the text's start";
  // Typing goes where the cursor is; replacing the text puts it after it.
  ASSERT_TRUE(m.SetFocus(4));
  Press(m, {"A"});
  EXPECT_EQ(m.Editor(4).Text(), "a" + std::string(10, 'w'));
  ASSERT_TRUE(m.SetFocusedText(std::string(12, 'v')));
  EXPECT_EQ(m.Editor(4).Cursor(), 12u);
}

TEST(DialogModel, ACharacterTheCodePageLacksIsRefusedAndReported) {
  Dialog d;
  DialogModel m(d.view, nullptr);
  ASSERT_TRUE(m.SetFocus(4));
  KeyPress euro;
  euro.ch = U'\u20AC';
  EXPECT_EQ(m.Feed(euro), Step::Open);
  EXPECT_EQ(m.Refused(), U'\u20AC');
  EXPECT_EQ(m.Editor(4).Text(), "Zip files");
  Press(m, {"End"});
  EXPECT_EQ(m.Refused(), 0u) << "only the key that was refused reports it";
  // Typed on a button, such a character is not text that was refused.
  ASSERT_TRUE(m.SetFocus(7));
  m.Feed(euro);
  EXPECT_EQ(m.Refused(), 0u);
}

TEST(DialogModel, APasteIsTypedIntoTheFocusedFieldAndIsNeverKeys) {
  Dialog d;
  DialogModel m(d.view, &d.history);
  EXPECT_FALSE(m.Paste(U"x")) << "the check box has the focus: nothing takes a paste";
  EXPECT_TRUE(m.Checked(1));
  ASSERT_TRUE(m.SetFocus(4));
  Press(m, {"Home"});
  // What would be keys (a blank, +, letters in upper case) is text; the
  // euro sign is refused as typing it is, the rest goes in.
  ASSERT_TRUE(m.Paste(U"New + \u20ACOld "));
  EXPECT_EQ(m.Refused(), U'\u20AC');
  EXPECT_EQ(m.Editor(4).Text(), "New + Old Zip files");
  EXPECT_FALSE(m.Closed());
  EXPECT_EQ(m.Focus(), 4);
  ASSERT_TRUE(m.SetFocus(2));
  Press(m, {"Ctrl+Down"});
  ASSERT_NE(m.OpenHistory(), nullptr);
  EXPECT_FALSE(m.Paste(U"*.zip")) << "the open history list takes no paste";
  EXPECT_EQ(m.Editor(2).Text(), "");
}

TEST(DialogModel, ClosingWritesTextsAndCheckStatesBackAndKeepsTheHistoryName) {
  Dialog d;
  std::memset(d.items[4].text, 'x', sizeof d.items[4].text - 1);  // 511 characters
  DialogModel m(d.view, nullptr);
  ASSERT_TRUE(m.SetFocus(4));
  Press(m, {"End", "Q"});
  EXPECT_EQ(m.Editor(4).Text().size(), 511u) << "a full field takes no more";
  ASSERT_TRUE(m.SetFocus(2));
  ASSERT_TRUE(m.SetFocusedText("*.zip"));
  ASSERT_TRUE(m.SetFocus(4));
  ASSERT_TRUE(m.SetFocusedText("short"));
  ASSERT_TRUE(m.SetFocus(1));
  Press(m, {"Space"});
  EXPECT_EQ(Press(m, "Esc"), Step::Closed);
  EXPECT_EQ(m.Result(), -1);
  // Written back on escape too: the plug-in decides what an escape means.
  EXPECT_STREQ(d.items[2].text, "*.zip");
  EXPECT_STREQ(d.items[4].text, "short");
  EXPECT_EQ(d.items[4].text[sizeof d.items[4].text - 2], 0) << "the rest of the old text is cleared";
  EXPECT_EQ(d.items[1].checkState, 0);
  EXPECT_EQ(d.items[2].historyName, kMasks) << "an edit field's history name shares its place with checkState";
  EXPECT_STREQ(d.items[0].text, "Edit association");
}

TEST(DialogModel, FocusAndTextCommandsRefuseWhatDoesNotFit) {
  Dialog d;
  DialogModel m(d.view, nullptr);
  EXPECT_FALSE(m.SetFocus(3)) << "a label";
  EXPECT_FALSE(m.SetFocus(0)) << "the frame";
  EXPECT_FALSE(m.SetFocus(8)) << "past the last item";
  EXPECT_FALSE(m.SetFocus(-1));
  EXPECT_EQ(m.Focus(), 1);
  EXPECT_FALSE(m.SetFocusedText("on a check box"));
  ASSERT_TRUE(m.SetFocus(6));
  EXPECT_FALSE(m.SetFocusedText("on a button"));
  ASSERT_TRUE(m.SetFocus(2));
  EXPECT_TRUE(m.SetFocusedText("*.txt"));
  EXPECT_EQ(m.Editor(2).Text(), "*.txt");
  EXPECT_EQ(m.Editor(2).Cursor(), 5u);
}

TEST(DialogModel, TheHistoryListFillsAFieldFromEarlierConfirmations) {
  Dialog d;
  d.history.Add(kMasks, "*.tar");
  d.history.Add(kMasks, "*.zip");
  DialogModel m(d.view, &d.history);
  ASSERT_TRUE(m.SetFocus(2));
  Press(m, {"Ctrl+Down"});
  ASSERT_NE(m.OpenHistory(), nullptr);
  EXPECT_EQ(m.OpenHistory()->entries, (std::vector<std::string>{"*.zip", "*.tar"}));
  EXPECT_EQ(m.HelpTopic(), VelkKeysTopic);
  EXPECT_EQ(Press(m, "F1"), Step::Help);
  Press(m, {"Down", "Tab", "Enter"});
  EXPECT_EQ(m.OpenHistory(), nullptr);
  EXPECT_EQ(m.Editor(2).Text(), "*.tar");
  EXPECT_EQ(m.Focus(), 2) << "Tab went to the list, not to the dialog";
  EXPECT_EQ(m.HelpTopic(), "EditItem");
  // Esc closes the list and leaves the field as it was.
  Press(m, {"Ctrl+Down", "Esc"});
  EXPECT_EQ(m.OpenHistory(), nullptr);
  EXPECT_EQ(m.Editor(2).Text(), "*.tar");
  EXPECT_FALSE(m.Closed());
  // Ctrl+Down on a field without a history does nothing.
  ASSERT_TRUE(m.SetFocus(4));
  Press(m, {"Ctrl+Down"});
  EXPECT_EQ(m.OpenHistory(), nullptr);
}

TEST(DialogModel, OnlyTheDefaultButtonAddsToTheHistory) {
  Dialog d;
  {
    DialogModel m(d.view, &d.history);
    ASSERT_TRUE(m.SetFocus(2));
    ASSERT_TRUE(m.SetFocusedText("*.rar"));
    ASSERT_TRUE(m.SetFocus(7));
    EXPECT_EQ(Press(m, "Enter"), Step::Closed);
  }
  EXPECT_TRUE(d.history.Entries(kMasks).empty()) << "the cancelling button";
  {
    DialogModel m(d.view, &d.history);
    ASSERT_TRUE(m.SetFocus(2));
    Press(m, {"Ctrl+Down"});
    EXPECT_TRUE(m.OpenHistory()->entries.empty());
    EXPECT_EQ(Press(m, "Enter"), Step::Open) << "an empty list has nothing to take";
    EXPECT_EQ(m.Editor(2).Text(), "*.rar");
    EXPECT_EQ(Press(m, "Enter"), Step::Closed);
  }
  EXPECT_EQ(d.history.Entries(kMasks), std::vector<std::string>{"*.rar"});
}

}  // namespace
}  // namespace velk
