#include "ui/edit_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ui/ui_test_support.h"

namespace {

class EditDialogTest : public ScreenTest {};

// A dialog answer that changes item 1's check state and presses an item.
FakeHost::DialogAnswer SetCheckAndPress(int state, int index) {
  return [state, index](HostDialogItem* items, int) {
    items[1].checkState = state;
    return index;
  };
}

TEST(DialogTemplate, ExpandsEveryRowWithItsBitsFlagsAndTexts) {
  FakeHost host;
  host.Install();
  host.SetMessage(13, "Confirm");
  HostDialogItem items[EditDialogItemCount];
  std::memset(items, 0x5A, sizeof(items));
  ExpandDialogTemplate(EditDialogTemplate, items);

  EXPECT_EQ(EditDialogTemplate[EditDialogItemCount].kindBits, 0xFFFF);
  for (int i = 0; i < EditDialogItemCount; ++i) {
    EXPECT_EQ(items[i].hasFocus, 0) << "item " << i;
    EXPECT_EQ(items[i].isDefault, i == 19 ? 1 : 0) << "item " << i;
  }
  // Frame and geometry come through sign-extended and unchanged.
  EXPECT_EQ(items[0].left, 3);
  EXPECT_EQ(items[0].top, 1);
  EXPECT_EQ(items[0].right, 72);
  EXPECT_EQ(items[0].bottom, 21);
  EXPECT_STREQ(items[0].text, "M4");
  EXPECT_STREQ(items[1].text, "M5");
  EXPECT_EQ(items[1].checkState, 0);

  // The mask field carries the history name instead of a text.
  EXPECT_EQ(items[2].flags, DialogHistoryFlag);
  EXPECT_STREQ(items[2].historyName, "Masks");
  EXPECT_EQ(items[2].text[0], 0);

  const int labels[] = {3, 6, 8, 10, 12, 14, 16};
  for (int k = 0; k < 7; ++k) EXPECT_EQ(items[labels[k]].text, "M" + std::to_string(6 + k));
  for (int edit : {4, 7, 9, 11, 13, 15, 17}) {
    EXPECT_STREQ(items[edit].text, "") << "item " << edit;
    EXPECT_EQ(items[edit].right, 70);
  }
  EXPECT_EQ(items[5].flags, DialogSeparatorFlags);
  EXPECT_EQ(items[18].flags, DialogSeparatorFlags);
  EXPECT_STREQ(items[5].text, "");
  EXPECT_STREQ(items[19].text, "Confirm");
  EXPECT_STREQ(items[20].text, "M14");
  EXPECT_EQ(items[19].flags, DialogButtonRowFlag);
  EXPECT_EQ(items[20].top, 20);
}

// The field table's dialog items are the template's eight edit fields, each
// field on its own item under its own label: the check box for the mask,
// messages 6 to 12 for the others in record order.
TEST(DialogTemplate, EachFieldOfTheTableHasItsOwnEditFieldUnderItsLabel) {
  FakeHost host;
  host.Install();
  HostDialogItem items[EditDialogItemCount];
  ExpandDialogTemplate(EditDialogTemplate, items);
  std::vector<int> editItems;
  for (int i = 0; i < EditDialogItemCount; ++i) {
    if (items[i].kind == DialogItemEdit) editItems.push_back(i);
  }
  std::vector<int> fieldItems;
  for (const AssocField& field : AssocFields) fieldItems.push_back(field.dialogItem);
  EXPECT_EQ(fieldItems, editItems) << "one field per edit item, in the template's order";
  EXPECT_EQ(items[AssocFields[0].dialogItem - 1].kind, DialogItemCheckBox);
  for (int f = 1; f < AssocFieldCount; ++f) {
    EXPECT_EQ(items[AssocFields[f].dialogItem - 1].text, "M" + std::to_string(5 + f)) << AssocFields[f].name;
  }
}

TEST(DialogTemplate, OptionBitsOfAnyRow) {
  FakeHost host;
  host.Install();
  static const char name[] = "Hist";
  const DialogItemTemplate rows[] = {
      {0x0100 | 0x0200 | 0x0800 | DialogItemCheckBox, -2, 5, -1, 0, 0x10, 7},
      {0x1000 | DialogItemEdit, 1, 1, 9, 1, 0, reinterpret_cast<uintptr_t>(name)},
      {0x2000 | 0x0200 | DialogItemEdit, 1, 2, 9, 2, 0x1, reinterpret_cast<uintptr_t>(name)},
      {0xFFFF, 0, 0, 0, 0, 0, 0},
  };
  HostDialogItem items[3];
  ExpandDialogTemplate(rows, items);
  EXPECT_EQ(items[0].kind, DialogItemCheckBox);
  EXPECT_EQ(items[0].hasFocus, 1);
  EXPECT_EQ(items[0].checkState, 1);
  EXPECT_EQ(items[0].flags, DialogFlagBit31 | 0x10u);
  EXPECT_EQ(items[0].left, -2);
  EXPECT_EQ(items[0].right, -1);
  EXPECT_STREQ(items[0].text, "M7");
  // Bit 12: a name without the history flag; bit 13 adds it, and the check
  // bit is ignored for both.
  EXPECT_EQ(items[1].historyName, name);
  EXPECT_EQ(items[1].flags, 0u);
  EXPECT_EQ(items[2].historyName, name);
  EXPECT_EQ(items[2].flags, DialogHistoryFlag | 0x1u);
}

TEST_F(EditDialogTest, OpensWithTheRecordAndTheCheckBoxInverted) {
  AssocRecord record = MakeRecord({"*.c", "C source", "cc !.!", "less !.!", "vi !.!", false, false});
  record.AltExec = "alt x";
  record.AltView = "alt v";
  record.AltEdit = "alt e";
  EXPECT_FALSE(EditAssocDialog(record));  // no answer scripted: Esc
  ASSERT_EQ(host.dialogCalls.size(), 1u);
  const FakeHost::DialogCall& call = host.dialogCalls[0];
  EXPECT_EQ(call.helpTopic, "EditItem");
  EXPECT_EQ(call.height, 23);
  ASSERT_EQ(call.items.size(), 21u);
  EXPECT_EQ(call.items[1].checkState, 1);
  const char* expected[] = {"*.c", "C source", "cc !.!", "alt x", "less !.!", "alt v", "vi !.!", "alt e"};
  const int itemOf[] = {2, 4, 7, 9, 11, 13, 15, 17};
  for (int i = 0; i < 8; ++i) EXPECT_STREQ(call.items[itemOf[i]].text, expected[i]);

  AssocRecord header = Header("Pictures");
  EditAssocDialog(header);
  EXPECT_EQ(host.dialogCalls[1].items[1].checkState, 0);

  AssocRecord fresh;
  fresh.Reset();
  EditAssocDialog(fresh);
  EXPECT_EQ(host.dialogCalls[2].items[1].checkState, 1);
  for (int item : itemOf) EXPECT_STREQ(host.dialogCalls[2].items[item].text, "");
}

TEST_F(EditDialogTest, CancelLeavesTheRecordAndConfirmStoresTheGroupFlag) {
  AssocRecord record = Assoc("*.zip", "Archives");
  record.marked = 1;
  host.dialogAnswers.push_back([](HostDialogItem* items, int) {
    std::strcpy(items[2].text, "*.rar");
    items[1].checkState = 0;
    return 20;  // the cancelling button
  });
  EXPECT_FALSE(EditAssocDialog(record));
  EXPECT_STREQ(record.Mask.Text(), "*.zip");
  EXPECT_EQ(record.group, 0);

  host.dialogAnswers.push_back(SetCheckAndPress(0, 19));
  EXPECT_TRUE(EditAssocDialog(record));
  EXPECT_EQ(record.group, 1);
  EXPECT_EQ(record.marked, 1);  // never touched
  EXPECT_STREQ(record.Mask.Text(), "*.zip");

  host.dialogAnswers.push_back(SetCheckAndPress(1, 19));
  EXPECT_TRUE(EditAssocDialog(record));
  EXPECT_EQ(record.group, 0);

  // Confirming without any change still counts as confirmed.
  host.dialogAnswers.push_back(PressItem(19));
  EXPECT_TRUE(EditAssocDialog(record));
  EXPECT_STREQ(record.Description.Text(), "Archives");
}

TEST_F(EditDialogTest, BlankMaskIsRefusedAndTheDialogReopensAsLeft) {
  host.SetMessage(16, "The mask\nmust not be empty");
  AssocRecord record = Assoc("*.txt", "Text");
  host.dialogAnswers.push_back([](HostDialogItem* items, int) {
    std::strcpy(items[2].text, " \t  ");
    std::strcpy(items[4].text, "  typed  ");
    items[1].checkState = 0;
    return 19;
  });
  host.dialogAnswers.push_back(PressItem(5));   // any other item: shown again
  host.dialogAnswers.push_back(PressItem(-1));  // then Esc

  EXPECT_FALSE(EditAssocDialog(record));
  ASSERT_EQ(host.messageCalls.size(), 1u);
  EXPECT_EQ(host.messageCalls[0].flags & ~MessageOneText, MessageButtonsOk | MessageFlagBit0);
  EXPECT_EQ(host.messageCalls[0].helpTopic, "(null)");
  ASSERT_EQ(host.messageCalls[0].items.size(), 1u);
  EXPECT_EQ(host.messageCalls[0].items[0], "The mask\nmust not be empty");

  ASSERT_EQ(host.dialogCalls.size(), 3u);
  const FakeHost::DialogCall& again = host.dialogCalls[1];
  EXPECT_STREQ(again.items[2].text, "");           // trimmed in place
  EXPECT_STREQ(again.items[4].text, "  typed  ");  // as typed, not yet trimmed
  EXPECT_EQ(again.items[1].checkState, 0);
  // The stretch is applied once, not on every showing.
  EXPECT_EQ(again.width, host.dialogCalls[0].width);
  EXPECT_EQ(again.items[0].right, host.dialogCalls[0].items[0].right);
  EXPECT_EQ(host.dialogCalls[2].items[4].right, host.dialogCalls[0].items[4].right);

  EXPECT_STREQ(record.Mask.Text(), "*.txt");
  EXPECT_STREQ(record.Description.Text(), "Text");
  EXPECT_EQ(record.group, 0);
}

TEST_F(EditDialogTest, ConfirmTrimsEveryFieldAndCutsTo260) {
  const std::string longText(300, 'x');
  AssocRecord record;
  record.Reset();
  host.dialogAnswers.push_back(SetTextsAndPress({{2, "\t *.a  *.b \t"},
                                                 {4, "  two  words "},
                                                 {7, " exec "},
                                                 {9, "\taltexec"},
                                                 {11, "view\t"},
                                                 {13, "  "},
                                                 {15, " " + longText + " "},
                                                 {17, "alt edit"}},
                                                19));
  ASSERT_TRUE(EditAssocDialog(record));
  EXPECT_STREQ(record.Mask.Text(), "*.a  *.b");
  EXPECT_STREQ(record.Description.Text(), "two  words");
  EXPECT_STREQ(record.Execute.Text(), "exec");
  EXPECT_STREQ(record.AltExec.Text(), "altexec");
  EXPECT_STREQ(record.View.Text(), "view");
  EXPECT_STREQ(record.AltView.Text(), "");
  EXPECT_EQ(record.Edit.Length(), 260);
  EXPECT_EQ(std::string(record.Edit.Text()), longText.substr(0, 260));
  EXPECT_STREQ(record.AltEdit.Text(), "alt edit");
  EXPECT_EQ(record.group, 0);
}

// Trim, keep what fits in 260 characters, and never end a field in a blank
// that the cut exposed.
TEST_F(EditDialogTest, ConfirmNeverLeavesAFieldEndingInABlankTheCutExposed) {
  const std::string x259(259, 'x');
  const std::string m258(258, 'm');
  const std::string d260(260, 'd');
  AssocRecord record;
  record.Reset();
  host.dialogAnswers.push_back(SetTextsAndPress({{2, m258 + " \t z"},
                                                 {4, "\t  " + d260 + "  "},
                                                 {7, x259 + " yyy"},
                                                 {9, d260 + " tail"},
                                                 {11, std::string(100, ' ') + x259 + "\tz "},
                                                 {13, "a" + std::string(300, ' ') + "b"}},
                                                19));
  ASSERT_TRUE(EditAssocDialog(record));
  EXPECT_EQ(std::string(record.Mask.Text()), m258) << "two blanks exposed by the cut";
  EXPECT_EQ(record.Mask.Length(), 258);
  EXPECT_EQ(std::string(record.Description.Text()), d260) << "260 after trimming: kept whole";
  EXPECT_EQ(std::string(record.Execute.Text()), x259);
  EXPECT_EQ(record.Execute.Length(), 259);
  EXPECT_EQ(std::string(record.AltExec.Text()), d260) << "the cut lands after a character: nothing more goes";
  EXPECT_EQ(std::string(record.View.Text()), x259) << "leading blanks cost no room; the tab the cut exposed goes";
  EXPECT_STREQ(record.AltView.Text(), "a") << "only the first character survives a cut inside blanks";
}

TEST_F(EditDialogTest, PercentSignsAreShownAndStoredLiterally) {
  AssocRecord record = Assoc("%s%n%%.x", "100%% %d %s");
  record.Execute = "cmd %1 %n";
  host.dialogAnswers.push_back(PressItem(19));
  ASSERT_TRUE(EditAssocDialog(record));
  EXPECT_STREQ(host.dialogCalls[0].items[2].text, "%s%n%%.x");
  EXPECT_STREQ(host.dialogCalls[0].items[4].text, "100%% %d %s");
  EXPECT_STREQ(host.dialogCalls[0].items[7].text, "cmd %1 %n");
  EXPECT_STREQ(record.Mask.Text(), "%s%n%%.x");
  EXPECT_STREQ(record.Description.Text(), "100%% %d %s");
  EXPECT_STREQ(record.Execute.Text(), "cmd %1 %n");
}

#ifndef _WIN32
struct StretchCase {
  int columns, width, frameRight, fieldRight;
};

// Below 15 columns the stretch would put the fields' right edge left of
// their left edge (at 1 column the dialog would be -4 wide): it stops where
// they are one column wide.
TEST_F(EditDialogTest, StretchesWithTheConsoleBufferWidth) {
  const StretchCase cases[] = {{80, 76, 72, 70}, {81, 76, 72, 70}, {100, 95, 91, 89}, {79, 74, 70, 68}, {16, 11, 7, 5},
                               {15, 10, 6, 4},   {14, 10, 6, 4},   {2, 10, 6, 4},     {1, 10, 6, 4}};
  for (const StretchCase& c : cases) {
    host.dialogCalls.clear();
    WinportSetConsoleWidth(c.columns);
    AssocRecord record = Assoc("*.x");
    EditAssocDialog(record);
    ASSERT_EQ(host.dialogCalls.size(), 1u);
    const FakeHost::DialogCall& call = host.dialogCalls[0];
    EXPECT_EQ(call.width, c.width) << c.columns << " columns";
    EXPECT_EQ(call.height, 23);
    EXPECT_EQ(call.items[0].right, c.frameRight) << c.columns << " columns";
    for (int edit : {2, 4, 7, 9, 11, 13, 15, 17}) EXPECT_EQ(call.items[edit].right, c.fieldRight);
    // Labels, separators, the check box and the buttons keep their places.
    EXPECT_EQ(call.items[1].right, 0);
    EXPECT_EQ(call.items[5].right, 4);
    EXPECT_EQ(call.items[19].right, 0);
    for (const HostDialogItem& item : call.items) {
      if (item.right != 0) {
        EXPECT_GE(item.right, item.left) << c.columns << " columns, kind " << item.kind;
      }
    }
  }
}

TEST_F(EditDialogTest, UnreadableConsoleLeavesTheLayoutUnstretched) {
  WinportSetConsoleWidth(-1);
  AssocRecord record = Assoc("*.x");
  EditAssocDialog(record);
  ASSERT_EQ(host.dialogCalls.size(), 1u);
  EXPECT_EQ(host.dialogCalls[0].width, 76);
  EXPECT_EQ(host.dialogCalls[0].items[0].right, 72);
}
#endif

}  // namespace
