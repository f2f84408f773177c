// The scripted front end: parsing, and how the script's commands reach the
// menu, dialog and message-box models.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "script/script_front_end.h"

namespace velk {
namespace {

struct Stopped {
  int status;
  std::string message;
};

ScriptFrontEnd Make(const std::string& script) {
  std::vector<ScriptCommand> commands;
  std::string error;
  EXPECT_TRUE(ParseScript(script, commands, error)) << error;
  return ScriptFrontEnd(std::move(commands), [](int status, const std::string& message) {
    throw Stopped{status, message};
  });
}

TEST(ScriptParse, RepeatsCommentsAndLineNumbers) {
  std::vector<ScriptCommand> c;
  std::string error;
  ASSERT_TRUE(ParseScript("# c\n\n  open 3\r\nkey Ctrl+Up x3\nfocus 2\ntext  two blanks \nconfigure\n", c, error));
  ASSERT_EQ(c.size(), 7u);
  EXPECT_EQ(c[0].kind, ScriptCommand::Open);
  EXPECT_EQ(c[0].number, 3);
  EXPECT_EQ(c[0].line, 3);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(c[i].kind, ScriptCommand::Key);
    EXPECT_EQ(c[i].key.vk, VkUp);
    EXPECT_EQ(c[i].key.modifiers, KeyModCtrl);
    EXPECT_EQ(c[i].line, 4);
  }
  EXPECT_EQ(c[5].text, " two blanks ");  // the rest of the line after one blank
  EXPECT_EQ(c[6].kind, ScriptCommand::Configure);
}

TEST(ScriptParse, RejectsWithLineNumber) {
  const char* bad[] = {"key Foo",           "key Up x0", "key Up 3", "focus", "focus -1", "open x", "jump",
                       "text \xE2\x82\xAC",  // the euro sign has no code page 437 form
                       "key Ctrl+Ctrl+A",   "key F13"};
  for (const char* line : bad) {
    std::vector<ScriptCommand> c;
    std::string error;
    EXPECT_FALSE(ParseScript(std::string("open\n") + line + "\n", c, error)) << line;
    EXPECT_EQ(error.rfind("line 2:", 0), 0u) << error;
  }
}

TEST(ScriptParse, TextIsConvertedToTheOemCodePage) {
  std::vector<ScriptCommand> c;
  std::string error;
  ASSERT_TRUE(ParseScript("text caf\xC3\xA9 \xE2\x94\x82\n", c, error)) << error;
  EXPECT_EQ(c[0].text, "caf\x82 \xB3");
}

// Runs show, which must stop velk: with status, and a message that holds part.
template <typename Show>
void ExpectStop(Show show, int status, const std::string& part) {
  try {
    show();
    ADD_FAILURE() << "no stop";
  } catch (const Stopped& s) {
    EXPECT_EQ(s.status, status);
    EXPECT_NE(s.message.find(part), std::string::npos) << s.message;
  }
}

std::vector<HostMenuItem> Lines(int n, int selected = -1) {
  std::vector<HostMenuItem> items(n);
  for (auto& i : items) std::memset(&i, 0, sizeof i);
  if (selected >= 0) items[selected].flags = MenuItemSelected;
  return items;
}

MenuView MenuOf(const std::vector<HostMenuItem>& items, const uint32_t* breakKeys = nullptr) {
  MenuView view;
  view.items = items.data();
  view.count = static_cast<int>(items.size());
  view.breakKeys = breakKeys;
  return view;
}

TEST(ScriptMenu, CursorStartsOnSelectedLineAndStopsAtTheEdges) {
  const uint32_t keys[] = {BreakKeyWord(VkInsert), BreakKeyWord(VkUp, KeyModCtrl), 0};
  auto items = Lines(25, 3);
  MenuView view = MenuOf(items, keys);
  auto fe = Make(
      "key Up x5\nkey Down\nkey Ins\nkey End\nkey Down\nkey Ctrl+Up\nkey PgUp\nkey Enter\n"
      "key PgDn x3\nkey Home\nkey PgDn\nkey Esc\n");
  MenuAnswer a = fe.ShowMenu(view);
  EXPECT_EQ(a.position, 1);  // 3 - 5 stops at 0, then one down
  EXPECT_EQ(a.breakCode, 0);
  a = fe.ShowMenu(view);
  EXPECT_EQ(a.position, 24);
  EXPECT_EQ(a.breakCode, 1);
  a = fe.ShowMenu(view);  // starts at 3 again: the view is a new menu
  EXPECT_EQ(a.position, 0);
  EXPECT_EQ(a.breakCode, -1);
  a = fe.ShowMenu(view);
  EXPECT_EQ(a.position, -1);
  EXPECT_EQ(a.breakCode, -1);
  EXPECT_EQ(fe.Remaining(), 0u);
}

TEST(ScriptMenu, KeysOutsideTheTableDoNothing) {
  const uint32_t keys[] = {BreakKeyWord(VkInsert), 0};
  auto items = Lines(3);
  MenuView view = MenuOf(items, keys);
  auto fe = Make("key Down\nkey Ctrl+Ins\nkey Q\nkey F4\nkey Enter\n");
  MenuAnswer a = fe.ShowMenu(view);
  EXPECT_EQ(a.position, 1);
  EXPECT_EQ(a.breakCode, -1);
}

TEST(ScriptMenu, EndOfScriptAndMisplacedCommandsStop) {
  auto items = Lines(2);
  MenuView view = MenuOf(items);
  auto fe = Make("key Down\n");
  ExpectStop([&] { fe.ShowMenu(view); }, 3, "menu");
  auto fe2 = Make("open\n");
  ExpectStop([&] { fe2.ShowMenu(view); }, 2, "line 1");
}

std::vector<HostDialogItem> EditDialog() {
  const int kinds[] = {DialogItemFrame, DialogItemCheckBox, DialogItemEdit,  DialogItemText,
                       DialogItemEdit,  DialogItemButton,   DialogItemButton};
  std::vector<HostDialogItem> items(7);
  for (int i = 0; i < 7; ++i) {
    std::memset(&items[i], 0, sizeof items[i]);
    items[i].kind = kinds[i];
  }
  items[5].isDefault = 1;
  std::strcpy(items[4].text, "old");
  return items;
}

DialogView DialogOf(std::vector<HostDialogItem>& items) {
  DialogView view;
  view.items = items.data();
  view.count = static_cast<int>(items.size());
  return view;
}

TEST(ScriptDialog, FocusMovesOverFocusableItemsAndWraps) {
  auto items = EditDialog();
  DialogView view = DialogOf(items);
  // Starts on the check box (1); Tab 2, 4, 5, 6, then wraps to 1.
  auto fe = Make("key Space\nkey Tab x5\nkey Space\nkey Shift+Tab\nkey Up\nkey Up\nkey Enter\n");
  EXPECT_EQ(fe.RunDialog(view), 5);   // Enter on an edit field: the default button
  EXPECT_EQ(items[1].checkState, 0);  // toggled twice
}

TEST(ScriptDialog, TextReplacesTheFocusedFieldAndEnterOnAButtonChoosesIt) {
  auto items = EditDialog();
  std::memset(items[4].text, 'x', sizeof items[4].text - 1);
  DialogView view = DialogOf(items);
  auto fe = Make("focus 4\ntext new\nfocus 6\nkey Enter\n");
  EXPECT_EQ(fe.RunDialog(view), 6);
  EXPECT_STREQ(items[4].text, "new");
  // The rest of the field is cleared, not left over from the old text.
  EXPECT_EQ(items[4].text[sizeof items[4].text - 2], 0);
}

TEST(ScriptDialog, HasFocusChoosesTheStartAndTextNeedsAnEditField) {
  auto items = EditDialog();
  items[4].hasFocus = 1;
  DialogView view = DialogOf(items);
  auto fe = Make("text a\nkey Tab\ntext b\n");
  ExpectStop([&] { fe.RunDialog(view); }, 2, "line 3");  // the button, not the field
  // The dialog never closed: the plug-in's items keep what they held, since
  // the host writes what the user left in them only when the dialog returns.
  EXPECT_STREQ(items[4].text, "old");
  auto fe2 = Make("focus 3\n");
  EXPECT_THROW(fe2.RunDialog(view), Stopped);  // a text label cannot take the focus
}

TEST(ScriptDialog, WithoutDefaultEnterChoosesTheFocusedItem) {
  auto items = EditDialog();
  items[5].isDefault = 0;
  DialogView view = DialogOf(items);
  auto fe = Make("focus 2\nkey Enter\nkey Esc\n");
  EXPECT_EQ(fe.RunDialog(view), 2);
  EXPECT_EQ(fe.RunDialog(view), -1);
}

TEST(ScriptDialog, KeysEditTheFocusedFieldAsTheyDoAtTheTerminal) {
  auto items = EditDialog();
  DialogView view = DialogOf(items);
  // Letters type in lower case (Shift+ the capital), Space a blank; the
  // editing keys move and delete; the keys of the check box and the
  // buttons do what they do there.
  auto fe = Make(
      "focus 4\nkey Home\nkey N\nkey Shift+E\nkey W\nkey Space\nkey End\nkey BackSpace\n"
      "key Left\nkey Del\nkey 2\nkey Add\nfocus 5\nkey Right\nkey Space\n");
  EXPECT_EQ(fe.RunDialog(view), 6) << "Right went from item 5 to the next button, Space chose it";
  EXPECT_STREQ(items[4].text, "nEw o2+");
}

TEST(ScriptDialog, TheHistoryOfAMaskFieldFillsItFromAnEarlierConfirmation) {
  static const char masks[] = "Masks";
  auto items = EditDialog();
  items[2].flags = DialogHistoryFlag;
  items[2].historyName = masks;
  DialogView view = DialogOf(items);
  // Confirmed with the default button: the mask goes into the history.
  auto fe = Make(
      "focus 2\ntext *.zip\nkey Enter\n"
      "focus 2\ntext *.tar\nkey Esc\n"
      "focus 2\nkey Ctrl+Y\nkey Ctrl+Down\nkey Enter\nkey Enter\n");
  EXPECT_EQ(fe.RunDialog(view), 5);
  EXPECT_EQ(fe.RunDialog(view), -1);
  EXPECT_STREQ(items[2].text, "*.tar") << "what the user left is written back on escape too";
  EXPECT_EQ(fe.RunDialog(view), 5);
  EXPECT_STREQ(items[2].text, "*.zip") << "an escaped dialog adds nothing to the history";
  EXPECT_EQ(items[2].historyName, masks);
}

TEST(ScriptMessage, ButtonsWrapAndEnterChooses) {
  MessageView view;
  view.buttons = {"Yes", "No", "Cancel"};
  auto fe = Make("key Enter\nkey Left\nkey Enter\nkey Right x4\nkey Enter\nkey Tab\nkey Esc\n");
  EXPECT_EQ(fe.ShowMessage(view), 0);
  EXPECT_EQ(fe.ShowMessage(view), 2);
  EXPECT_EQ(fe.ShowMessage(view), 1);
  EXPECT_EQ(fe.ShowMessage(view), -1);
  MessageView none;
  auto fe2 = Make("key Right\nkey Enter\n");
  EXPECT_EQ(fe2.ShowMessage(none), -1);
}

TEST(ScriptHost, HostCommandsAndTheEnd) {
  auto fe = Make("open\nopen 4\nconfigure 2\n");
  HostCommand c = fe.NextHostCommand({}, {});
  EXPECT_EQ(c.kind, HostCommand::Open);
  EXPECT_EQ(c.openFrom, 0);
  c = fe.NextHostCommand({}, {});
  EXPECT_EQ(c.openFrom, 4);
  c = fe.NextHostCommand({}, {});
  EXPECT_EQ(c.kind, HostCommand::Configure);
  EXPECT_EQ(c.itemNumber, 2);
  EXPECT_EQ(fe.NextHostCommand({}, {}).kind, HostCommand::Quit);
  auto fe2 = Make("key Enter\n");
  EXPECT_THROW(fe2.NextHostCommand({}, {}), Stopped);
}

}  // namespace
}  // namespace velk
