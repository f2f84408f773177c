// The terminal's screens without a terminal: where a list box and a
// message box stand for a screen size, and the help window's state machine.
#include <gtest/gtest.h>

#include <string>

#include "tui/help_view.h"
#include "tui/menu_screen.h"
#include "tui/message_screen.h"

namespace velk::tui {
namespace {

MenuLines Box(int lines, int width) {
  MenuLines m;
  m.title = L"Title";
  for (int i = 0; i < lines; ++i) m.lines.push_back(std::wstring(static_cast<size_t>(width), L'x'));
  return m;
}

TEST(TuiMenuLayout, ABoxIsCentredAndAsTallAsTheScreenAllows) {
  MenuGeometry g = LayOutMenu(Box(5, 20), 32, 100);
  EXPECT_EQ(g.w, 20 + 3 + 2);
  EXPECT_EQ(g.x, (100 - 25) / 2);
  EXPECT_EQ(g.visible, 5);
  EXPECT_EQ(g.h, 7);
  EXPECT_EQ(g.y, 1 + (30 - 7) / 2) << "centred between the title row and the key bar";
  EXPECT_EQ(g.avail, 20);
  // More lines than fit: the box takes the screen's height less the title
  // row, the key bar and its frame.
  g = LayOutMenu(Box(200, 20), 32, 100);
  EXPECT_EQ(g.visible, 28);
  EXPECT_EQ(g.y, 1);
  // A screen narrower than the longest line: the box is cut to the screen
  // and shows fewer columns of text than the line has.
  g = LayOutMenu(Box(3, 120), 32, 100);
  EXPECT_EQ(g.w, 100);
  EXPECT_EQ(g.x, 0);
  EXPECT_EQ(g.avail, 95);
  EXPECT_EQ(g.textWidth, 120);
  // A long title widens the box; so does the bottom line.
  MenuLines titled = Box(2, 4);
  titled.title = std::wstring(30, L't');
  EXPECT_EQ(LayOutMenu(titled, 32, 100).w, 30 + 6 + 2);
  // A bottom line longer than the edge can hold (the plug-in's, at 80
  // columns): its last words stand in the edge, the words before them on a
  // line inside the box under the list, which shows a line fewer.
  MenuLines keys = Box(40, 60);
  keys.bottom = L"Ins, F4 Edit, Del, Space Mark, Ctrl+Up/Down Move, Ctrl+F1-F5 Sort, Ctrl+1-3 Columns";
  g = LayOutMenu(keys, 24, 80);
  ASSERT_EQ(g.footer.size(), 1u);
  EXPECT_EQ(g.footer[0] + L" " + g.bottom, keys.bottom) << "nothing lost";
  EXPECT_LE(static_cast<int>(g.footer[0].size()), g.w - 6);
  EXPECT_EQ(g.visible, 24 - 2 - 2 - 1);
  EXPECT_EQ(g.h, g.visible + 2 + 1);
  EXPECT_TRUE(LayOutMenu(keys, 32, 100).footer.empty()) << "wide enough, the edge holds all of it";
  // Even an empty menu shows one (empty) line.
  EXPECT_EQ(LayOutMenu(Box(0, 0), 32, 100).visible, 1);
  EXPECT_EQ(LayOutMenu(Box(9, 10), 3, 100).visible, 1) << "a tiny screen";
}

TEST(TuiMenuLayout, ADropDownListStaysUnderItsFieldAndOnTheScreen) {
  MenuLines m = Box(30, 5);
  m.fixedX = 90;
  m.fixedY = 10;
  m.minWidth = 20;
  m.maxVisible = 10;
  MenuGeometry g = LayOutMenu(m, 32, 100);
  EXPECT_EQ(g.w, 22);
  EXPECT_EQ(g.x, 100 - 22) << "pushed back onto the screen";
  EXPECT_EQ(g.y, 10);
  EXPECT_EQ(g.visible, 10);
  m.fixedY = 25;
  g = LayOutMenu(m, 32, 100);
  EXPECT_EQ(g.visible, 4) << "room down to the key bar";
  m.maxWidth = 12;
  EXPECT_EQ(LayOutMenu(m, 32, 100).w, 12) << "no wider than it may be, however long its lines";
}

TEST(TuiMenuLayout, TheModelIsLaidOutForTheScreenItIsPaintedOn) {
  // What PaintMenu does before it paints: a page is what the box shows.
  MenuLines m = Box(100, 10);
  MenuModel model(100, 0, nullptr);
  MenuGeometry g = LayOutMenu(m, 24, 80);
  model.SetView(g.visible, g.avail, g.textWidth);
  model.Feed(Key(VkNext));
  EXPECT_EQ(model.Cursor(), 20);
  g = LayOutMenu(m, 50, 80);  // the terminal was made taller
  model.SetView(g.visible, g.avail, g.textWidth);
  model.Feed(Key(VkNext));
  EXPECT_EQ(model.Cursor(), 20 + 46);
}

MessageView Question(std::vector<std::string> body) {
  MessageView view;
  view.lines.push_back("Tollex");
  for (auto& line : body) view.lines.push_back(line);
  view.buttons = {"Yes", "No", "Cancel"};
  return view;
}

TEST(TuiMessageLayout, TheFrameIsTheBoxsEdge) {
  // "[ Yes ] [ No ] [ Cancel ]" is 25 columns; the longest line 30: the
  // frame and a blank on either side make 34; 2 lines, the separator, the
  // buttons and the frame's two rows make 6.
  const MessageLayout l = LayOutMessage(Question({"The table was changed.", std::string(30, 'a')}), 32, 100);
  EXPECT_EQ(l.w, 34);
  EXPECT_EQ(l.h, 6);
  EXPECT_EQ(l.x, (100 - 34) / 2);
  EXPECT_EQ(l.y, (32 - 6) / 2);
  EXPECT_EQ(l.buttonsWidth, 25);
  // Without buttons: the lines and the frame only.
  MessageView plain = Question({"one line"});
  plain.buttons.clear();
  EXPECT_EQ(LayOutMessage(plain, 32, 100).h, 3);
}

TEST(TuiMessageLayout, ANarrowScreenWrapsTheBodyAndTheBoxStaysOnIt) {
  const std::string longLine = "(Yes: write them, No: discard them, Cancel: back to the list)";
  const MessageLayout wide = LayOutMessage(Question({longLine}), 24, 80);
  EXPECT_EQ(wide.lines.size(), 1u);
  const MessageLayout narrow = LayOutMessage(Question({longLine}), 24, 40);
  EXPECT_GT(narrow.lines.size(), 1u);
  EXPECT_LE(narrow.x + narrow.w, 40);
  EXPECT_GE(narrow.x, 0);
  for (const auto& line : narrow.lines) EXPECT_LE(static_cast<int>(line.size()), narrow.w - 4) << "inside the frame";
}

HelpFile Topics() {
  HelpFile help;
  std::string text = "@Contents\n$ The list\nsee [[EditItem]]\nand [[ApplyAsk|the question]]\n";
  for (int i = 0; i < 40; ++i) text += "line " + std::to_string(i) + "\n";
  text += "last [[EditItem|link]]\n@EditItem\nedit\n@ApplyAsk\nask\n@VelkKeys\nkeys\n";
  help.Parse(text);
  return help;
}

TEST(TuiHelpView, ScrollingStopsAtTheTopAndAtTheLastPage) {
  HelpFile help = Topics();
  HelpView v(help, "", "");
  EXPECT_EQ(v.Topic().name, "Contents") << "no topic given: Contents";
  v.SetView(10);
  v.Feed(Key(VkUp));
  EXPECT_EQ(v.Top(), 0);
  v.Feed(Key(VkNext));
  EXPECT_EQ(v.Top(), 9) << "a page keeps one line of the last";
  v.Feed(Key(VkEnd));
  EXPECT_EQ(v.Top(), 43 - 10) << "the last line at the bottom";
  v.Feed(Key(VkDown));
  EXPECT_EQ(v.Top(), 33);
  v.SetView(50);
  EXPECT_EQ(v.Top(), 0) << "all of it fits";
}

TEST(TuiHelpView, LinksAreSelectedFollowedAndTheTrailLeadsBack) {
  HelpFile help = Topics();
  HelpView v(help, "", "Contents");
  v.SetView(10);
  v.Feed(Key(VkTab, KeyModShift));
  EXPECT_EQ(v.Link(), 2) << "Shift+Tab first: the last link";
  EXPECT_EQ(v.Top(), 33) << "scrolled to show it (as far as the last page goes)";
  v.Feed(Key(VkTab));
  EXPECT_EQ(v.Link(), 0) << "wraps";
  EXPECT_EQ(v.Top(), 0);
  v.Feed(Key(VkTab));
  v.Feed(Key(VkReturn));
  EXPECT_EQ(v.Topic().name, "ApplyAsk");
  EXPECT_EQ(v.Link(), -1);
  v.Feed(Key(VkF(1)));
  EXPECT_EQ(v.Topic().name, "VelkKeys");
  v.Feed(Key(VkBack));
  v.Feed(Key(VkBack));
  EXPECT_EQ(v.Topic().name, "Contents");
  EXPECT_EQ(v.Link(), 1) << "back where the link was followed";
  v.Feed(Key(VkBack));
  EXPECT_EQ(v.Topic().name, "Contents") << "nothing further back";
  v.Feed(Key(VkF(1), KeyModShift));
  EXPECT_EQ(v.Topic().name, "Contents");
  EXPECT_EQ(v.Feed(Key(VkF(10))), Step::Closed);
}

TEST(TuiHelpView, LinesWiderThanTheWindowScrollSideways) {
  HelpFile help;
  help.Parse("@Contents\nshort\n" + std::string(70, 'x') + " [[EditItem|far link]]\n@EditItem\nedit\n");
  HelpView v(help, "", "Contents");
  v.SetView(10, 40);
  v.Feed(Key(VkLeft));
  EXPECT_EQ(v.Column(), 0);
  v.Feed(Key(VkRight));
  EXPECT_EQ(v.Column(), 4);
  for (int i = 0; i < 20; ++i) v.Feed(Key(VkRight));
  EXPECT_EQ(v.Column(), 79 - 40) << "as far as the end of the longest line";
  for (int i = 0; i < 20; ++i) v.Feed(Key(VkLeft));
  EXPECT_EQ(v.Column(), 0);
  v.Feed(Key(VkTab));
  EXPECT_EQ(v.Column(), 39) << "the link selected comes into sight whole";
  v.SetView(10, 80);
  EXPECT_EQ(v.Column(), 0) << "a window that shows every column";
}

TEST(TuiHelpView, AMissingTopicOrFileIsShownAsSuch) {
  HelpFile help = Topics();
  HelpView v(help, "", "Nowhere");
  ASSERT_GE(v.Topic().lines.size(), 2u);
  EXPECT_NE(v.Topic().lines[1].find(L"no topic \"Nowhere\""), std::wstring::npos);
  v.Feed(Key(VkF(1), KeyModShift));
  EXPECT_EQ(v.Topic().name, "Contents");
  v.Feed(Key(VkBack));
  EXPECT_NE(v.Topic().lines[1].find(L"Nowhere"), std::wstring::npos) << "back to the missing topic's page";
  HelpFile none;
  HelpView w(none, "cannot read the help file /x/Tollex.hlp.", "Contents");
  EXPECT_NE(w.Topic().lines[1].find(L"/x/Tollex.hlp"), std::wstring::npos);
  EXPECT_EQ(w.Feed(Key(VkReturn)), Step::Open);
  EXPECT_EQ(w.Feed(Key(VkEscape)), Step::Closed);
}

}  // namespace
}  // namespace velk::tui
