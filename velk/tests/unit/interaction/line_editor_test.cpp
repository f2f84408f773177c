// Edit fields: the line editor and the history lists.
#include <gtest/gtest.h>

#include "interaction/line_editor.h"

namespace velk {
namespace {

KeyPress Typed(char32_t c) {
  KeyPress key;
  key.vk = c >= U'a' && c <= U'z' ? static_cast<uint16_t>(c - U'a' + 'A') : 0;
  key.ch = c;
  return key;
}

void Type(LineEditor& ed, const std::u32string& text) {
  for (char32_t c : text) EXPECT_TRUE(ed.Handle(Typed(c)));
}

KeyPress KeyInput(uint16_t vk, uint16_t modifiers = KeyModNone) {
  KeyPress key;
  key.vk = vk;
  key.modifiers = modifiers;
  return key;
}

TEST(LineEditor, InsertsDeletesAndMovesLikeAnEditField) {
  LineEditor ed("view !.!");
  EXPECT_EQ(ed.Cursor(), 8u) << "the cursor starts after the text";
  EXPECT_TRUE(ed.Handle(KeyInput(VkHome)));
  Type(ed, U"my");
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

TEST(LineEditor, OverwriteWordsAndClearing) {
  LineEditor ed("tar tzf file");
  ed.Handle(KeyInput(VkHome));
  ed.Handle(KeyInput(VkInsert));
  EXPECT_TRUE(ed.Overwrite());
  Type(ed, U"zip");
  EXPECT_EQ(ed.Text(), "zip tzf file") << "overwrite replaces, it does not insert";
  ed.Handle(KeyInput(VkEnd));
  Type(ed, U"!");
  EXPECT_EQ(ed.Text(), "zip tzf file!") << "at the end overwrite appends";
  ed.Handle(KeyInput(VkLeft, KeyModCtrl));
  EXPECT_EQ(ed.Cursor(), 8u);
  ed.Handle(KeyInput(VkLeft, KeyModCtrl));
  EXPECT_EQ(ed.Cursor(), 4u);
  ed.Handle(KeyInput(VkRight, KeyModCtrl));
  EXPECT_EQ(ed.Cursor(), 8u);
  ed.Handle(KeyInput('K', KeyModCtrl));
  EXPECT_EQ(ed.Text(), "zip tzf ");
  ed.Handle(KeyInput('Y', KeyModCtrl));
  EXPECT_EQ(ed.Text(), "");
  EXPECT_EQ(ed.Cursor(), 0u);
}

TEST(LineEditor, KeysThatAreNotEditingKeysAreLeftToTheDialog) {
  LineEditor ed("abc");
  EXPECT_FALSE(ed.Handle(KeyInput(VkTab)));
  EXPECT_FALSE(ed.Handle(KeyInput(VkReturn)));
  EXPECT_FALSE(ed.Handle(KeyInput(VkDown, KeyModCtrl)));
  EXPECT_FALSE(ed.Handle(KeyInput(VkLeft, KeyModShift)));
  EXPECT_FALSE(ed.Handle(KeyInput('1', KeyModCtrl)));
  EXPECT_EQ(ed.Text(), "abc");
  EXPECT_EQ(ed.Cursor(), 3u);
}

TEST(LineEditor, StoresOemBytesAndKeepsTheCapacity) {
  LineEditor ed("", 5);
  Type(ed, U"\u00E9\u2502");  // e-acute and a vertical line exist in code page 437
  EXPECT_EQ(ed.Text(), "\x82\xB3");
  EXPECT_EQ(ed.Refused(), 0u);
  Type(ed, U"\u20AC");  // the euro sign does not: nothing is stored for it, and it is refused
  EXPECT_EQ(ed.Text(), "\x82\xB3");
  EXPECT_EQ(ed.Refused(), U'\u20AC');
  Type(ed, U"a");
  EXPECT_EQ(ed.Refused(), 0u) << "the refusal is of the last key only";
  ed.Handle(KeyInput(VkBack));
  Type(ed, U"abcdef");
  EXPECT_EQ(ed.Text(),
            "\x82\xB3"
            "abc")
      << "at most 5 bytes";
  LineEditor cut(std::string(600, 'x'));
  EXPECT_EQ(cut.Text().size(), 511u);
}

TEST(LineEditor, ModifiedKeysAndConsoleGlyphsTypeNothing) {
  LineEditor ed("ab");
  KeyPress altX = Typed(U'x');
  altX.modifiers = KeyModAlt;
  EXPECT_FALSE(ed.Handle(altX)) << "Alt+X is a key for the dialog, not a character";
  KeyPress ctrlX = Typed(U'x');
  ctrlX.modifiers = KeyModCtrl;
  EXPECT_FALSE(ed.Handle(ctrlX));
  Type(ed, U"\u25BA");  // the glyph the console shows for the group marker byte 0x10
  EXPECT_EQ(ed.Text(), "ab");
  EXPECT_FALSE(ed.Handle(KeyInput(VkHome, KeyModShift)));
  EXPECT_FALSE(ed.Handle(KeyInput(VkBack, KeyModCtrl)));
  EXPECT_EQ(ed.Text(), "ab");
}

TEST(History, MostRecentFirstWithoutDuplicatesOrEmptyTexts) {
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
}  // namespace velk
