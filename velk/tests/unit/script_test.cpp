// The scripted front end: parsing, and how menus, dialogs and message boxes
// answer key presses.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "velk/keys.h"
#include "velk/script.h"

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
    EXPECT_EQ(c[i].key.modifiers, ModCtrl);
    EXPECT_EQ(c[i].line, 4);
  }
  EXPECT_EQ(c[5].text, " two blanks ");  // the rest of the line after one blank
  EXPECT_EQ(c[6].kind, ScriptCommand::Configure);
}

TEST(ScriptParse, RejectsWithLineNumber) {
  const char* bad[] = {"key Foo", "key Up x0", "key Up 3", "focus", "focus -1", "open x", "jump",
                       "text \xE2\x82\xAC",  // the euro sign has no code page 437 form
                       "key Ctrl+Ctrl+A", "key F13"};
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

TEST(KeyNames, ParseAndNameAgree) {
  const char* names[] = {"Up", "Ctrl+Up", "F1", "F12", "Ctrl+F5", "Add", "Subtract", "Multiply", "Ctrl+1",
                         "A", "Shift+Tab", "Alt+X", "BackSpace", "PgDn", "Esc"};
  for (const char* n : names) {
    KeyPress k;
    ASSERT_TRUE(ParseKeyName(n, k)) << n;
    EXPECT_EQ(KeyName(k), n);
  }
  KeyPress k;
  ASSERT_TRUE(ParseKeyName("ctrl+shift+f4", k));
  EXPECT_EQ(KeyName(k), "Ctrl+Shift+F4");
  EXPECT_FALSE(ParseKeyName("+", k));
  EXPECT_FALSE(ParseKeyName("Ctrl+", k));
  EXPECT_FALSE(ParseKeyName("F0", k));
  EXPECT_EQ(BreakKeyName(0x00010026), "Ctrl+Up");
}

std::vector<HostMenuItem> Lines(int n, int selected = -1) {
  std::vector<HostMenuItem> items(n);
  for (auto& i : items) std::memset(&i, 0, sizeof i);
  if (selected >= 0) items[selected].flags = MenuItemSelected;
  return items;
}

TEST(ScriptMenu, CursorStartsOnSelectedLineAndStopsAtTheEdges) {
  const uint32_t keys[] = {0x2D, 0x00010026, 0};
  auto items = Lines(25, 3);
  MenuView view;
  view.items = items.data();
  view.count = 25;
  view.breakKeys = keys;
  auto fe = Make("key Up x5\nkey Down\nkey Ins\nkey End\nkey Down\nkey Ctrl+Up\nkey PgUp\nkey Enter\n"
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
  const uint32_t keys[] = {0x2D, 0};
  auto items = Lines(3);
  MenuView view;
  view.items = items.data();
  view.count = 3;
  view.breakKeys = keys;
  auto fe = Make("key Down\nkey Ctrl+Ins\nkey Q\nkey F4\nkey Enter\n");
  MenuAnswer a = fe.ShowMenu(view);
  EXPECT_EQ(a.position, 1);
  EXPECT_EQ(a.breakCode, -1);
}

TEST(ScriptMenu, EndOfScriptAndMisplacedCommandsStop) {
  auto items = Lines(2);
  MenuView view;
  view.items = items.data();
  view.count = 2;
  auto fe = Make("key Down\n");
  try {
    fe.ShowMenu(view);
    FAIL() << "no stop";
  } catch (const Stopped& s) {
    EXPECT_EQ(s.status, 3);
    EXPECT_NE(s.message.find("menu"), std::string::npos);
  }
  auto fe2 = Make("open\n");
  try {
    fe2.ShowMenu(view);
    FAIL() << "no stop";
  } catch (const Stopped& s) {
    EXPECT_EQ(s.status, 2);
    EXPECT_NE(s.message.find("line 1"), std::string::npos);
  }
}

std::vector<HostDialogItem> EditDialog() {
  // 0 frame, 1 check box, 2 edit, 3 text, 4 edit, 5 default button, 6 button
  int kinds[] = {3, 8, 4, 0, 4, 7, 7};
  std::vector<HostDialogItem> items(7);
  for (int i = 0; i < 7; ++i) {
    std::memset(&items[i], 0, sizeof items[i]);
    items[i].kind = kinds[i];
  }
  items[5].isDefault = 1;
  std::strcpy(items[4].text, "old");
  return items;
}

TEST(ScriptDialog, FocusMovesOverFocusableItemsAndWraps) {
  auto items = EditDialog();
  DialogView view;
  view.items = items.data();
  view.count = 7;
  // Starts on the check box (1); Tab 2, 4, 5, 6, then wraps to 1.
  auto fe = Make("key Space\nkey Tab x5\nkey Space\nkey Shift+Tab\nkey Up\nkey Up\nkey Enter\n");
  EXPECT_EQ(fe.RunDialog(view), 5);  // Enter on an edit field: the default button
  EXPECT_EQ(items[1].checkState, 0);  // toggled twice
}

TEST(ScriptDialog, TextReplacesTheFocusedFieldAndEnterOnAButtonChoosesIt) {
  auto items = EditDialog();
  std::memset(items[4].text, 'x', sizeof items[4].text - 1);
  DialogView view;
  view.items = items.data();
  view.count = 7;
  auto fe = Make("focus 4\ntext new\nfocus 6\nkey Enter\n");
  EXPECT_EQ(fe.RunDialog(view), 6);
  EXPECT_STREQ(items[4].text, "new");
  // The rest of the field is cleared, not left over from the old text.
  EXPECT_EQ(items[4].text[sizeof items[4].text - 2], 0);
}

TEST(ScriptDialog, HasFocusChoosesTheStartAndTextNeedsAnEditField) {
  auto items = EditDialog();
  items[4].hasFocus = 1;
  DialogView view;
  view.items = items.data();
  view.count = 7;
  auto fe = Make("text a\nkey Tab\ntext b\n");
  try {
    fe.RunDialog(view);
    FAIL() << "no stop";
  } catch (const Stopped& s) {
    EXPECT_EQ(s.status, 2);
    EXPECT_NE(s.message.find("line 3"), std::string::npos);  // the button, not the field
  }
  EXPECT_STREQ(items[4].text, "a");
  auto fe2 = Make("focus 3\n");
  EXPECT_THROW(fe2.RunDialog(view), Stopped);  // a text label cannot take the focus
}

TEST(ScriptDialog, WithoutDefaultEnterChoosesTheFocusedItem) {
  auto items = EditDialog();
  items[5].isDefault = 0;
  DialogView view;
  view.items = items.data();
  view.count = 7;
  auto fe = Make("focus 2\nkey Enter\nkey Esc\n");
  EXPECT_EQ(fe.RunDialog(view), 2);
  EXPECT_EQ(fe.RunDialog(view), -1);
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
