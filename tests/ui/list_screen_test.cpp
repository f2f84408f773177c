#include "ui/list_screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ui/ui_test_support.h"

namespace {

const std::string Bar = "\xB3";

enum : int { Ins = 0, Del = 1, F4 = 2, CtrlUp = 3, CtrlDown = 4, Space = 5, Add = 6, Subtract = 7, Multiply = 8 };
enum : int { CtrlF1 = 9, CtrlF2 = 10, CtrlF5 = 13, Ctrl1 = 14, BackSpace = 17 };

// Break code of a letter or digit key.
int CharKey(char c) {
  for (int i = 18; i < 54; ++i) {
    if ((ListBreakKeys[i] & 0xFFFF) == static_cast<uint32_t>(c)) return i;
  }
  return -100;
}

class ListScreenTest : public ScreenTest {
 protected:
  std::vector<std::string> Lines(size_t call) const {
    std::vector<std::string> texts;
    for (const HostMenuItem& item : host.menuCalls.at(call).items) texts.emplace_back(item.text);
    return texts;
  }
  std::vector<int> Checked(size_t call) const {
    std::vector<int> checked;
    for (const HostMenuItem& item : host.menuCalls.at(call).items)
      checked.push_back(item.flags & MenuItemChecked ? 1 : 0);
    return checked;
  }
  // Position of the line carrying MenuItemSelected, -1 when none.
  int Selected(size_t call) const {
    const auto& items = host.menuCalls.at(call).items;
    int selected = -1;
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i].flags & MenuItemSelected) {
        EXPECT_EQ(selected, -1) << "two selected lines";
        selected = static_cast<int>(i);
      }
    }
    return selected;
  }
  const std::string& Title(size_t call) const { return host.menuCalls.at(call).title; }

  AssocList list;
};

TEST_F(ListScreenTest, TwoRecordExampleLinesTitleAndMenuCall) {
  PluginSettings.ShowEx = 1;
  Fill(list, {Assoc("*.zip", "Archives", "unpack"), Assoc("*.txt", "Text files", "editor /r")});
  EXPECT_FALSE(RunListScreen(list));

  ASSERT_EQ(host.menuCalls.size(), 1u);
  const FakeHost::MenuCall& call = host.menuCalls[0];
  EXPECT_EQ(Lines(0), (std::vector<std::string>{"Archives  " + Bar + "unpack   " + Bar + "*.zip",
                                                "Text files" + Bar + "editor /r" + Bar + "*.txt", ""}));
  EXPECT_EQ(call.items[0].userData, 0);
  EXPECT_EQ(call.items[1].userData, 1);
  EXPECT_EQ(call.items[2].userData, 0);
  EXPECT_EQ(call.items[2].flags, 0u);
  EXPECT_EQ(call.title, "M22" + Bar + "M23" + Bar + "M26 (2) M15");
  EXPECT_EQ(call.flags, MenuFlagAlways | MenuFlagBit0);
  EXPECT_EQ(call.bottom, "M27");
  EXPECT_EQ(call.helpTopic, "Contents");
  EXPECT_EQ(call.x, -1);
  EXPECT_EQ(call.y, -1);
  // The host gets the screen's key words, up to the end word; a key's index
  // is its break code, so none may move.
  const uint32_t ctrl = 0x10000;
  std::vector<uint32_t> keys = {0x2D,        0x2E,        0x73,        ctrl | 0x26, ctrl | 0x28, 0x20,
                                0x6B,        0x6D,        0x6A,        ctrl | 0x70, ctrl | 0x71, ctrl | 0x72,
                                ctrl | 0x73, ctrl | 0x74, ctrl | 0x31, ctrl | 0x32, ctrl | 0x33, 0x08};
  for (char c : std::string("QWERTYUIOPASDFGHJKLZXCVBNM1234567890")) keys.push_back(static_cast<uint32_t>(c));
  keys.push_back(0);
  EXPECT_EQ(call.breakKeys, keys);
  EXPECT_EQ(Selected(0), -1);
  for (const HostMenuItem& item : call.items) {
    EXPECT_EQ(item.reserved1, 0u);
    EXPECT_EQ(item.reserved2, 0u);
  }
}

TEST_F(ListScreenTest, EmptyListOffersOnlyTheTrailingLineAndInsertsAtZero) {
  EXPECT_FALSE(RunListScreen(list));
  EXPECT_EQ(Lines(0), std::vector<std::string>{""});
  EXPECT_EQ(Title(0), "M22" + Bar + "M26 (0) M15");

  // Enter on the trailing line opens the dialog for a new association.
  Key(0, -1);
  host.dialogAnswers.push_back(SetTextsAndPress({{2, "*.new"}}, 19));
  EXPECT_TRUE(RunListScreen(list));
  EXPECT_EQ(Masks(list), std::vector<std::string>{"*.new"});
  EXPECT_EQ(ChangedFlag, 1);
  EXPECT_STREQ(host.dialogCalls.at(0).items[2].text, "");
  EXPECT_EQ(host.dialogCalls.at(0).items[1].checkState, 1);
}

TEST_F(ListScreenTest, InsertGoesToTheLinePositionAndCancelInsertsNothing) {
  Fill(list, {Assoc("a"), Assoc("b"), Assoc("c")});
  Key(1, Ins);
  host.dialogAnswers.push_back(PressItem(20));
  Key(1, Ins);
  host.dialogAnswers.push_back(SetTextsAndPress({{2, "new"}}, 19));
  Key(4, F4);  // trailing line: as Ins
  host.dialogAnswers.push_back(SetTextsAndPress({{2, "last"}}, 19));
  EXPECT_TRUE(RunListScreen(list));
  EXPECT_EQ(Masks(list), (std::vector<std::string>{"a", "new", "b", "c", "last"}));
}

// Under a filter a line's position is not a record index: Ins goes before
// the record the line shows, and from the trailing line to the list's end.
TEST_F(ListScreenTest, InsertUnderAFilterGoesBeforeTheShownRecord) {
  Fill(list, {Header("Docs"), Assoc("*.txt"), Assoc("*.doc"), Assoc("*.pdf"), Header("Pictures"), Assoc("*.png"),
              Assoc("*.jpg"), Header("Sources"), Assoc("*.c")});
  Key(0, CharKey('P'));  // shows Docs, *.pdf, Pictures, *.png, *.jpg, Sources
  Key(3, Ins);           // the fourth line: *.png, record 5
  host.dialogAnswers.push_back(SetTextsAndPress({{2, "*.gif"}}, 19));
  Key(6, Ins);  // the trailing line (*.gif is not shown)
  host.dialogAnswers.push_back(SetTextsAndPress({{2, "*.ppm"}}, 19));
  Key(7, F4);  // the trailing line again, by F4 (*.ppm is shown)
  host.dialogAnswers.push_back(SetTextsAndPress({{2, "*.svg"}}, 19));
  Key(1, Ins);  // *.pdf, record 3
  host.dialogAnswers.push_back(SetTextsAndPress({{2, "*.eps"}}, 19));
  EXPECT_TRUE(RunListScreen(list));
  EXPECT_EQ(Masks(list), (std::vector<std::string>{"Docs", "*.txt", "*.doc", "*.eps", "*.pdf", "Pictures", "*.gif",
                                                   "*.png", "*.jpg", "Sources", "*.c", "*.ppm", "*.svg"}));
  ASSERT_EQ(host.menuCalls.size(), 6u);
  EXPECT_EQ(Lines(1).size(), 7u) << "the filter shows six records";
}

TEST_F(ListScreenTest, CancelledEditIsNoChange) {
  Fill(list, {Assoc("a", "desc")});
  Key(0, F4);
  host.dialogAnswers.push_back(SetTextsAndPress({{4, "other"}}, -1));
  EXPECT_FALSE(RunListScreen(list));
  EXPECT_EQ(ChangedFlag, 0);
  EXPECT_STREQ(list.At(0)->Description.Text(), "desc");
}

TEST_F(ListScreenTest, EditWidensItsColumnAndKeepsTheCursor) {
  PluginSettings.ShowView = 1;
  AssocRecord r = Assoc("*.a", "A");
  r.View = "v";
  Fill(list, {r, Assoc("*.b", "B")});
  Key(1, F4);
  host.dialogAnswers.push_back(SetTextsAndPress({{4, "Longer"}, {11, "viewer"}}, 19));
  EXPECT_TRUE(RunListScreen(list));
  ASSERT_EQ(host.menuCalls.size(), 2u);
  EXPECT_EQ(Lines(1)[0], "A     " + Bar + "v     " + Bar + "*.a");
  EXPECT_EQ(Lines(1)[1], "Longer" + Bar + "viewer" + Bar + "*.b");
  EXPECT_EQ(Title(1), "M22" + Bar + "M24" + Bar + "M26 (2) M15");
  EXPECT_EQ(Selected(1), 1);
}

TEST_F(ListScreenTest, CapsCutLongCommandsAndEmptyOrZeroCapColumnsVanish) {
  PluginSettings.ShowEx = 1;
  PluginSettings.ShowView = 1;
  PluginSettings.ShowEdit = 1;
  PluginSettings.EditLen = 0;
  const std::string twenty = "abcdefghijklmnopqrst";
  AssocRecord r = MakeRecord({"*.m", "d", twenty, "", "edit", false, false});
  Fill(list, {r});
  EXPECT_FALSE(RunListScreen(list));
  // Execute capped at 15: 14 characters and "}"; View all empty and Edit
  // capped at 0 are left out of the line and the title.
  EXPECT_EQ(Lines(0)[0], "d" + Bar + twenty.substr(0, 14) + "}" + Bar + "*.m");
  EXPECT_EQ(Title(0), "M22" + Bar + "M23" + Bar + "M26 (1) M15");

  // Without a cap in the way the longest value is shown whole.
  PluginSettings.ExLen = 40;
  EXPECT_FALSE(RunListScreen(list));
  EXPECT_EQ(Lines(1)[0], "d" + Bar + twenty + Bar + "*.m");

  // A negative cap counts as no room at all.
  PluginSettings.ExLen = -5;
  EXPECT_FALSE(RunListScreen(list));
  EXPECT_EQ(Lines(2)[0], "d" + Bar + "*.m");
}

TEST_F(ListScreenTest, WidthsNeverShrinkWithinOneCall) {
  Fill(list, {Assoc("a", "a much longer text"), Assoc("b", "short")});
  host.messageAnswers.push_back(0);
  Key(0, Del);
  EXPECT_TRUE(RunListScreen(list));
  ASSERT_EQ(host.menuCalls.size(), 2u);
  EXPECT_EQ(Lines(1)[0], "short" + std::string(13, ' ') + Bar + "b");
  // The next call starts afresh.
  EXPECT_TRUE(RunListScreen(list));
  EXPECT_EQ(Lines(2)[0], "short" + Bar + "b");
}

TEST_F(ListScreenTest, LinesAreCutTo127Characters) {
  const std::string description(150, 'd');
  Fill(list, {Assoc("*.z", description)});
  EXPECT_FALSE(RunListScreen(list));
  EXPECT_EQ(Lines(0)[0], description.substr(0, 127));
}

// The whole line is description, command columns, separator and mask; what
// the host gets is its first 127 characters, wherever the cut falls (in the
// mask, on a separator, on the "}" of a cut command, in a column's padding),
// with zeros after them to the end of the line's text. Any byte but zero
// passes as it is.
TEST_F(ListScreenTest, LinesAreTheirFirst127CharactersWhereverTheCutFalls) {
  PluginSettings.ShowEx = 1;
  PluginSettings.ShowView = 1;
  PluginSettings.ExLen = 30;
  PluginSettings.ViewLen = 30;
  const std::string wide(30, 'w');  // beside each case: execute and view widths of 30
  const std::string odd = "%s%n\xFF\xB3\x01 ";
  struct Case {
    std::string description, execute, view, mask;
  };
  const std::vector<Case> cases = {
      {std::string(60, 'a'), "x", "v", "*.aaaaaaaaaa"},          // 60 + 31 + 31 + 1 = 123: in the mask
      {std::string(64, 'b'), "x", "v", "*.b"},                   // the mask's separator is the last
      {std::string(96, 'c'), std::string(40, 'x'), "v", "*.c"},  // the "}" of the cut execute is the last
      {std::string(95, 'd'), "x", "v", "*.d"},                   // the view's separator is the last
      {std::string(100, 'e'), "x", "v", "*.e"},                  // in the execute's padding
      {std::string(80, 'f'), "x", std::string(45, 'y'), "*.f"},  // in the cut view's text
      {std::string(20, 'g') + odd, odd, odd + std::string(40, 'o'), odd + "*.g"},  // whole
      {"", "", "", ""},                                                            // whole: padding and separators only
  };
  auto padded = [](const std::string& text, size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
  };
  auto column = [&](const std::string& text) {
    return Bar + (text.size() <= 30 ? padded(text, 30) : text.substr(0, 29) + "}");
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    AssocList one;
    Fill(one, {MakeRecord({"*.w", "", wide, wide, "", false, false}),
               MakeRecord({c.mask, c.description, c.execute, c.view, "", false, false})});
    EXPECT_FALSE(RunListScreen(one));
    const std::string whole = padded(c.description, c.description.size()) + column(c.execute) + column(c.view) + Bar +
                              c.mask;
    const std::string expected = whole.substr(0, 127);
    const HostMenuItem& line = host.menuCalls.back().items.at(1);
    EXPECT_EQ(std::string(line.text), expected) << "case " << i;
    EXPECT_EQ(whole.size() > 127, i < 6) << "case " << i << " is cut";
    for (size_t b = expected.size(); b < sizeof(line.text); ++b) {
      ASSERT_EQ(line.text[b], 0) << "case " << i << ", byte " << b;
    }
  }
}

TEST_F(ListScreenTest, GroupHeadersAreBarsUpToTheLongestLine) {
  PluginSettings.GroupChar = '=';
  Fill(list, {Header("Docs"), Assoc("*.txt", "Text files"), Header("A title longer than lines")});
  EXPECT_FALSE(RunListScreen(list));
  const std::string line = "Text files" + Bar + "*.txt";  // 16 characters
  EXPECT_EQ(Lines(0), (std::vector<std::string>{"= Docs =========", line, "= A title longer than lines ", ""}));
  EXPECT_EQ(Title(0), "M22" + Bar + "M26 (3) M15");
}

// With no association line of two characters or more, a bar up to the
// longest line would hide the titles: they are drawn as titles longer than
// the bar, group character, blank, title, blank.
TEST_F(ListScreenTest, HeadersKeepTheirTitlesWhenNoAssociationLineIsShown) {
  const std::string g(1, static_cast<char>(205));
  Fill(list, {Header("Only"), Header("Headers"), Header("")});
  EXPECT_FALSE(RunListScreen(list));
  EXPECT_EQ(Lines(0), (std::vector<std::string>{g + " Only ", g + " Headers ", g + "  ", ""}));

  // A filter that hides every association: the same.
  AssocList filtered;
  Fill(filtered, {Header("Archives"), Assoc("*.zip", "Zip archives"), Header("Text"), Assoc("*.txt")});
  Key(0, CharKey('Q'));
  EXPECT_FALSE(RunListScreen(filtered));
  // Unfiltered, the bar runs to the longest line, "Zip archives", the bar and
  // "*.zip": 18 characters.
  EXPECT_EQ(Lines(1)[0], g + " Archives " + std::string(7, g[0]));
  EXPECT_EQ(Lines(2), (std::vector<std::string>{g + " Archives ", g + " Text ", ""}));

  // L of 1: a description-less association with an empty mask still gives
  // the separator, one character.
  AssocList one;
  Fill(one, {Header("H"), Assoc("")});
  EXPECT_FALSE(RunListScreen(one));
  EXPECT_EQ(Lines(3)[1], Bar);
  EXPECT_EQ(Lines(3)[0], g + " H ");
}

TEST_F(ListScreenTest, HeadersBesideLinesOfTwoOrThreeCharactersAreBarsAsBefore) {
  PluginSettings.GroupChar = '=';
  Fill(list, {Header("Long title"), Assoc("x"), Header("")});
  EXPECT_FALSE(RunListScreen(list));
  // L = 2: the bar is "= " and every title reaches past it.
  EXPECT_EQ(Lines(0), (std::vector<std::string>{"= Long title ", Bar + "x", "=  ", ""}));
  AssocList three;
  Fill(three, {Header(""), Assoc("xy")});
  EXPECT_FALSE(RunListScreen(three));
  EXPECT_EQ(Lines(1)[0], "=  ") << "L = 3 and an empty title: the closing blank lands on the bar's end";
}

TEST_F(ListScreenTest, HeaderMasksOf124AndMoreCharacters) {
  const std::string m124(124, 'h');
  const std::string m125 = std::string(124, 'k') + "X";
  Fill(list, {Header(m124), Header(m125), Assoc("*.x", "d")});
  EXPECT_FALSE(RunListScreen(list));
  const char g = static_cast<char>(205);
  EXPECT_EQ(Lines(0)[0], std::string(1, g) + " " + m124 + " ");
  EXPECT_EQ(Lines(0)[1], std::string(1, g) + " " + std::string(124, 'k') + " ");
}

TEST_F(ListScreenTest, FilterOfTypedKeysHidesAssociationsAndClearsMarks) {
  Fill(list, {MakeRecord({"*.exe *.com", "Programs", "", "", "", false, true}), Assoc("*.txt", "Text"), Header("Group"),
              MakeRecord({"setup.Exe", "Setup", "", "", "", false, true}), Assoc("*.ex")});
  Key(0, CharKey('E'));
  Key(0, CharKey('X'));
  Key(0, CharKey('E'));
  EXPECT_FALSE(RunListScreen(list));
  ASSERT_EQ(host.menuCalls.size(), 4u);
  EXPECT_EQ(Checked(0), (std::vector<int>{1, 0, 0, 1, 0, 0}));
  EXPECT_EQ(Title(3), "M22" + Bar + "M26 (3 of 5) M15: [EXE]");
  const auto& items = host.menuCalls[3].items;
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].userData, 0);
  EXPECT_EQ(items[1].userData, 2);
  EXPECT_EQ(items[2].userData, 3);
  EXPECT_EQ(Checked(3), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(list.CountMarked(), 0);
  EXPECT_EQ(Title(1), "M22" + Bar + "M26 (4 of 5) M15: [E]");
  EXPECT_EQ(Title(2), "M22" + Bar + "M26 (4 of 5) M15: [EX]");
}

TEST_F(ListScreenTest, FilterDisablesMarkingAndMovesUntilItIsErasedAgain) {
  Fill(list, {Assoc("a1"), Assoc("a2"), Assoc("b")});
  Key(0, CharKey('A'));
  Key(0, Space);
  Key(0, Add);
  Key(0, Multiply);
  Key(1, CtrlUp);
  Key(0, CtrlDown);
  Key(0, BackSpace);
  Key(0, BackSpace);  // an empty filter stays empty
  Key(0, Space);
  EXPECT_FALSE(RunListScreen(list));
  ASSERT_EQ(host.menuCalls.size(), 10u);
  for (size_t call = 1; call <= 6; ++call) {
    EXPECT_EQ(Checked(call), (std::vector<int>{0, 0, 0})) << "call " << call;
    EXPECT_EQ(Lines(call).size(), 3u);
  }
  EXPECT_EQ(Masks(list), (std::vector<std::string>{"a1", "a2", "b"}));
  EXPECT_EQ(Checked(7), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(Title(7), "M22" + Bar + "M26 (3) M15");
  EXPECT_EQ(Checked(9), (std::vector<int>{1, 0, 0, 0}));
  EXPECT_EQ(ChangedFlag, 0);
}

TEST_F(ListScreenTest, FilterHoldsAtMost260Characters) {
  Fill(list, {Assoc("x")});
  for (int i = 0; i < 262; ++i) Key(0, CharKey('1'));
  for (int i = 0; i < 260; ++i) Key(0, BackSpace);
  EXPECT_FALSE(RunListScreen(list));
  ASSERT_EQ(host.menuCalls.size(), 523u);
  // The title is cut to its buffer while the filter is long.
  EXPECT_EQ(Title(262), ("M22" + Bar + "M26 (0 of 1) M15: [" + std::string(260, '1')).substr(0, 263));
  // Two keys past 260 were dropped, so 260 BackSpaces empty the filter.
  EXPECT_EQ(Title(521), "M22" + Bar + "M26 (0 of 1) M15: [1]");
  EXPECT_EQ(Title(522), "M22" + Bar + "M26 (1) M15");
}

TEST_F(ListScreenTest, TitleIsCutSafelyWhateverTheTextLengths) {
  const std::string huge(600, 'w');
  for (int n : {15, 22, 23, 26}) host.SetMessage(n, huge);
  PluginSettings.ShowEx = 1;
  Fill(list, {Assoc("*.q", "d", "x")});
  Key(0, CharKey('Q'));
  EXPECT_FALSE(RunListScreen(list));
  EXPECT_EQ(Title(0), huge.substr(0, 263));
  EXPECT_EQ(Title(1).size(), 263u);
}

TEST_F(ListScreenTest, SortKeysAlternateAndShowTheirIndicator) {
  Fill(list, {Assoc("b", "2"), Assoc("a", "1"), Assoc("c", "3")});
  Key(0, CtrlF1);
  Key(0, CtrlF1);
  Key(0, CtrlF5);
  Key(0, CtrlF2);
  EXPECT_FALSE(RunListScreen(list));
  EXPECT_EQ(Title(0), "M22" + Bar + "M26 (3) M15");
  EXPECT_EQ(Title(1).substr(0, 2), "d ");
  EXPECT_EQ(Title(2).substr(0, 2), "D ");
  EXPECT_EQ(Title(3).substr(0, 2), "m ");
  EXPECT_EQ(Title(4).substr(0, 2), "x ");
  EXPECT_EQ(Lines(1)[0].substr(0, 1), "1");
  EXPECT_EQ(Lines(2)[0].substr(0, 1), "3");
  EXPECT_EQ(Lines(3), (std::vector<std::string>{"1" + Bar + "a", "2" + Bar + "b", "3" + Bar + "c", ""}));
  EXPECT_EQ(PluginSettings.SortType, 3);
  EXPECT_EQ(ChangedFlag, 0);
}

TEST_F(ListScreenTest, StoredSortTypeShowsFromTheStartWithoutSorting) {
  PluginSettings.SortType = 10;
  Fill(list, {Assoc("b"), Assoc("a")});
  EXPECT_FALSE(RunListScreen(list));
  EXPECT_EQ(Title(0), "V M22" + Bar + "M26 (2) M15");
  EXPECT_EQ(Masks(list), (std::vector<std::string>{"b", "a"}));

  // Outside 0-10 no indicator is read from beyond the indicator string.
  PluginSettings.SortType = 57;
  EXPECT_FALSE(RunListScreen(list));
  EXPECT_EQ(Title(1), "M22" + Bar + "M26 (2) M15");
}

TEST_F(ListScreenTest, ColumnTogglesAreNoChange) {
  AssocRecord r = MakeRecord({"*.m", "d", "x", "v", "e", false, false});
  Fill(list, {r});
  Key(0, Ctrl1);
  Key(0, Ctrl1 + 1);
  Key(0, Ctrl1 + 2);
  Key(0, Ctrl1);
  EXPECT_FALSE(RunListScreen(list));
  EXPECT_EQ(Lines(1)[0], "d" + Bar + "x" + Bar + "*.m");
  EXPECT_EQ(Lines(3)[0], "d" + Bar + "x" + Bar + "v" + Bar + "e" + Bar + "*.m");
  EXPECT_EQ(Title(3), "M22" + Bar + "M23" + Bar + "M24" + Bar + "M25" + Bar + "M26 (1) M15");
  EXPECT_EQ(Lines(4)[0], "d" + Bar + "v" + Bar + "e" + Bar + "*.m");
  EXPECT_EQ(PluginSettings.ShowEx, 0);
  EXPECT_EQ(PluginSettings.ShowView, 1);
  EXPECT_EQ(PluginSettings.ShowEdit, 1);
  EXPECT_EQ(ChangedFlag, 0);
}

TEST_F(ListScreenTest, SpaceMarksAndMovesTheCursorDown) {
  Fill(list, {Assoc("a"), Assoc("b")});
  Key(0, Space);
  Key(1, Space);  // last record line: the cursor goes to the trailing line
  Key(2, Space);  // trailing line: nothing
  Key(0, Subtract);
  Key(0, Add);
  EXPECT_FALSE(RunListScreen(list));
  EXPECT_EQ(Selected(1), 1);
  EXPECT_EQ(Checked(1), (std::vector<int>{1, 0, 0}));
  EXPECT_EQ(Selected(2), 2) << "the cursor stays on the trailing line it moved to";
  EXPECT_EQ(Checked(2), (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(Selected(3), 2);
  EXPECT_EQ(Checked(4), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(Checked(5), (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(Selected(5), 0);
  EXPECT_EQ(ChangedFlag, 0);
  EXPECT_EQ(list.CountMarked(), 2);  // marks survive the call
}

TEST_F(ListScreenTest, DeleteOneAsksWithTheMaskLiterally) {
  host.SetMessage(18, "Delete\n%s?");
  Fill(list, {Assoc("%s%n%%"), Assoc("last")});
  host.messageAnswers.push_back(1);  // declined
  Key(0, Del);
  host.messageAnswers.push_back(0);
  Key(0, Del);
  host.messageAnswers.push_back(0);
  Key(0, Del);
  Key(0, Del);  // the trailing line: nothing
  EXPECT_TRUE(RunListScreen(list));
  ASSERT_EQ(host.messageCalls.size(), 3u);
  EXPECT_EQ(host.messageCalls[0].items.at(0), "Delete\n%s%n%%?");
  EXPECT_EQ(host.messageCalls[0].flags & ~MessageOneText, MessageButtonsYesNo | MessageFlagBit0);
  EXPECT_EQ(host.messageCalls[0].helpTopic, "(null)");
  EXPECT_EQ(host.messageCalls[2].items.at(0), "Delete\nlast?");
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(Title(4), "M22" + Bar + "M26 (0) M15");
}

TEST_F(ListScreenTest, DeletingTheLastRecordSelectsTheTrailingLine) {
  Fill(list, {Assoc("a"), Assoc("b")});
  host.messageAnswers.push_back(0);
  Key(1, Del);
  EXPECT_TRUE(RunListScreen(list));
  EXPECT_EQ(Masks(list), std::vector<std::string>{"a"});
  EXPECT_EQ(Selected(1), 1);
}

TEST_F(ListScreenTest, DeleteMarkedRemembersTheFirstMarkedIndex) {
  Fill(list, {Assoc("a"), Assoc("b"), MakeRecord({"c", "", "", "", "", false, true}), Assoc("d"),
              MakeRecord({"e", "", "", "", "", false, true})});
  host.messageAnswers.push_back(1);  // declined: nothing happens
  Key(0, Del);
  host.messageAnswers.push_back(0);
  Key(0, Del);
  EXPECT_TRUE(RunListScreen(list));
  EXPECT_EQ(Masks(list), (std::vector<std::string>{"a", "b", "d"}));
  EXPECT_EQ(Selected(1), 0);
  EXPECT_EQ(Selected(2), 2);
}

TEST_F(ListScreenTest, MovesWithoutMarksSwapNeighboursWithinTheRecords) {
  Fill(list, {Assoc("a"), Assoc("b"), Assoc("c")});
  Key(0, CtrlUp);    // first line: nothing
  Key(2, CtrlDown);  // last record line: nothing
  Key(3, CtrlUp);    // trailing line: nothing
  EXPECT_FALSE(RunListScreen(list));
  EXPECT_EQ(ChangedFlag, 0);
  EXPECT_EQ(Masks(list), (std::vector<std::string>{"a", "b", "c"}));

  Key(2, CtrlUp);
  Key(0, CtrlDown);
  EXPECT_TRUE(RunListScreen(list));
  EXPECT_EQ(Masks(list), (std::vector<std::string>{"c", "a", "b"}));
  EXPECT_EQ(Selected(4), -1);
  EXPECT_EQ(Selected(5), 1);
  EXPECT_EQ(Selected(6), 1);
}

TEST_F(ListScreenTest, MovesOfMarkedBlocksRememberTheFirstMarked) {
  Fill(list, {Assoc("A"), MakeRecord({"B", "", "", "", "", false, true}), Assoc("C"),
              MakeRecord({"D", "", "", "", "", false, true}), Assoc("E")});
  Key(4, CtrlDown);
  Key(4, CtrlDown);  // already at the bottom: no move
  Key(0, CtrlUp);
  EXPECT_TRUE(RunListScreen(list));
  EXPECT_EQ(Selected(1), 3);
  EXPECT_EQ(Selected(2), 4);  // position stays where the cursor was
  EXPECT_EQ(Masks(list), (std::vector<std::string>{"A", "C", "B", "D", "E"}));
  EXPECT_EQ(Selected(3), 2);
}

TEST_F(ListScreenTest, RecordTextsAreNeverUsedAsFormats) {
  PluginSettings.ShowEx = 1;
  PluginSettings.GroupChar = '-';
  Fill(list, {Header("%s %n %%"), Assoc("*.%s", "%n%s%d", "%%x")});
  EXPECT_FALSE(RunListScreen(list));
  EXPECT_EQ(Lines(0)[1], "%n%s%d" + Bar + "%%x" + Bar + "*.%s");
  EXPECT_EQ(Lines(0)[0], "- %s %n %% ----");
}

TEST_F(ListScreenTest, UnknownBreakCodesDoNothing) {
  Fill(list, {Assoc("a")});
  Key(0, 54);
  Key(0, 999);
  Key(7, F4);  // a position past the trailing line counts as that line
  host.dialogAnswers.push_back(PressItem(20));
  EXPECT_FALSE(RunListScreen(list));
  EXPECT_EQ(host.menuCalls.size(), 4u);
  EXPECT_EQ(Selected(3), 1) << "the trailing line it was taken as";
  EXPECT_EQ(host.dialogCalls.size(), 1u);
  EXPECT_STREQ(host.dialogCalls[0].items[2].text, "");
  EXPECT_EQ(Masks(list), std::vector<std::string>{"a"});
}

}  // namespace
