// Edit fields of the terminal front end: the line editor, OEM text and the
// history lists.
#include <gtest/gtest.h>

#include "velk/tui_parts.h"

namespace velk::tui {
namespace {

void Type(LineEditor& ed, const std::wstring& text) {
  for (wchar_t c : text) ed.Handle(InputFromCharacter(c));
}

TEST(TuiLineEditor, InsertsDeletesAndMovesLikeAnEditField) {
  LineEditor ed("view !.!");
  EXPECT_EQ(ed.Cursor(), 8u) << "the cursor starts after the text";
  EXPECT_TRUE(ed.Handle(KeyInput(VkHome)));
  Type(ed, L"my");
  EXPECT_EQ(ed.Text(), "myview !.!");
  ed.Handle(KeyInput(VkDelete));
  ed.Handle(KeyInput(VkDelete));
  EXPECT_EQ(ed.Text(), "myew !.!");
  ed.Handle(KeyInput(VkBack));
  EXPECT_EQ(ed.Text(), "mew !.!");
  EXPECT_EQ(ed.Cursor(), 1u);
  ed.Handle(KeyInput(VkEnd));
  ed.Handle(KeyInput(VkLeft));
  ed.Handle(KeyInput(VkBack));
  EXPECT_EQ(ed.Text(), "mew !!");
  // BackSpace at the start and Del at the end change nothing.
  ed.Handle(KeyInput(VkHome));
  ed.Handle(KeyInput(VkBack));
  ed.Handle(KeyInput(VkLeft));
  EXPECT_EQ(ed.Cursor(), 0u);
  ed.Handle(KeyInput(VkEnd));
  ed.Handle(KeyInput(VkDelete));
  ed.Handle(KeyInput(VkRight));
  EXPECT_EQ(ed.Text(), "mew !!");
  EXPECT_EQ(ed.Cursor(), 6u);
}

TEST(TuiLineEditor, OverwriteWordsAndClearing) {
  LineEditor ed("tar tzf file");
  ed.Handle(KeyInput(VkHome));
  ed.Handle(KeyInput(VkInsert));
  EXPECT_TRUE(ed.Overwrite());
  Type(ed, L"zip");
  EXPECT_EQ(ed.Text(), "zip tzf file") << "overwrite replaces, it does not insert";
  ed.Handle(KeyInput(VkEnd));
  Type(ed, L"!");
  EXPECT_EQ(ed.Text(), "zip tzf file!") << "at the end overwrite appends";
  ed.Handle(KeyInput(VkLeft, ModCtrl));
  EXPECT_EQ(ed.Cursor(), 8u);
  ed.Handle(KeyInput(VkLeft, ModCtrl));
  EXPECT_EQ(ed.Cursor(), 4u);
  ed.Handle(KeyInput(VkRight, ModCtrl));
  EXPECT_EQ(ed.Cursor(), 8u);
  ed.Handle(KeyInput('K', ModCtrl));
  EXPECT_EQ(ed.Text(), "zip tzf ");
  ed.Handle(KeyInput('Y', ModCtrl));
  EXPECT_EQ(ed.Text(), "");
  EXPECT_EQ(ed.Cursor(), 0u);
}

TEST(TuiLineEditor, KeysThatAreNotEditingKeysAreLeftToTheDialog) {
  LineEditor ed("abc");
  EXPECT_FALSE(ed.Handle(KeyInput(VkTab)));
  EXPECT_FALSE(ed.Handle(KeyInput(VkReturn)));
  EXPECT_FALSE(ed.Handle(KeyInput(VkDown, ModCtrl)));
  EXPECT_FALSE(ed.Handle(KeyInput(VkLeft, ModShift)));
  EXPECT_FALSE(ed.Handle(KeyInput('1', ModCtrl)));
  EXPECT_EQ(ed.Text(), "abc");
  EXPECT_EQ(ed.Cursor(), 3u);
}

TEST(TuiLineEditor, StoresOemBytesAndKeepsTheCapacity) {
  LineEditor ed("", 5);
  Type(ed, L"\u00E9\u2502");  // e-acute and a vertical line exist in code page 437
  EXPECT_EQ(ed.Text(), "\x82\xB3");
  Type(ed, L"\u20AC");  // the euro sign does not: nothing is stored for it
  EXPECT_EQ(ed.Text(), "\x82\xB3");
  Type(ed, L"abcdef");
  EXPECT_EQ(ed.Text(), "\x82\xB3" "abc") << "at most 5 bytes";
  LineEditor cut(std::string(600, 'x'));
  EXPECT_EQ(cut.Text().size(), 511u);
}

TEST(TuiLineEditor, ScrollingKeepsTheCursorInTheField) {
  LineEditor ed(std::string(30, 'a'));
  EXPECT_EQ(ed.Scroll(10), 21u) << "cursor after the text, in the last column";
  ed.Handle(KeyInput(VkLeft));
  EXPECT_EQ(ed.Scroll(10), 21u) << "no jump while the cursor stays inside";
  ed.Handle(KeyInput(VkHome));
  EXPECT_EQ(ed.Scroll(10), 0u);
  ed.Handle(KeyInput(VkEnd));
  ed.Handle(KeyInput('Y', ModCtrl));
  EXPECT_EQ(ed.Scroll(10), 0u);
  LineEditor shortText("abc");
  EXPECT_EQ(shortText.Scroll(10), 0u);
}

TEST(TuiOemText, CodePage437GlyphsIncludingTheControlRange) {
  EXPECT_EQ(OemToWide(0xB3), L'\u2502');
  EXPECT_EQ(OemToWide(205), L'\u2550');
  EXPECT_EQ(OemToWide(0x10), L'\u25BA');
  EXPECT_EQ(OemToWide(0x82), L'\u00E9');
  EXPECT_EQ(OemToWide(0xFB), L'\u221A');
  EXPECT_EQ(OemToWide('A'), L'A');
  EXPECT_EQ(OemToWide(std::string_view("a\xB3" "b")), L"a\u2502b");
  for (int b = 1; b < 256; ++b) {
    wchar_t w = OemToWide(static_cast<unsigned char>(b));
    EXPECT_EQ(WideToOem(w), b) << "byte " << b << " must survive the round trip";
  }
  EXPECT_EQ(WideToOem(L'\u20AC'), 0);
}

TEST(TuiOemText, Utf8WithInvalidBytes) {
  EXPECT_EQ(Utf8ToWide("Gr\xC3\xBC\xC3\x9F" "e"), L"Gr\u00FC\u00DF" L"e");
  EXPECT_EQ(Utf8ToWide("a\xFF" "b"), L"a\uFFFD" L"b");
  EXPECT_EQ(Utf8ToWide(""), L"");
}

TEST(TuiHistory, MostRecentFirstWithoutDuplicatesOrEmptyTexts) {
  HistoryStore h;
  h.Add("Masks", "*.zip");
  h.Add("Masks", "*.txt");
  h.Add("Masks", "");
  h.Add("Masks", "*.zip");
  h.Add("Other", "x");
  EXPECT_EQ(h.Entries("Masks"), (std::vector<std::string>{"*.zip", "*.txt"}));
  EXPECT_EQ(h.Entries("Other"), std::vector<std::string>{"x"});
  EXPECT_TRUE(h.Entries("None").empty());
  for (int i = 0; i < 40; ++i) h.Add("Many", std::to_string(i));
  EXPECT_EQ(h.Entries("Many").size(), HistoryStore::MaxEntries);
  EXPECT_EQ(h.Entries("Many").front(), "39");
}

}  // namespace
}  // namespace velk::tui
