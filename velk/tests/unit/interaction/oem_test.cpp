// The code page 437 conversion: text both ways, the console's glyphs and the
// UTF-8 reader under it.
#include <gtest/gtest.h>

#include <string>

#include "interaction/oem.h"

namespace velk {
namespace {

TEST(Oem, ControlBytesAreEscapedAndBoxCharactersConverted) {
  EXPECT_EQ(OemToUtf8("a\x10"
                      "b\xB3\xCD\xFB"),
            "a\\x10b\xE2\x94\x82\xE2\x95\x90\xE2\x88\x9A");
  EXPECT_EQ(OemToUtf8("\x7F\x01"), "\\x7F\\x01");
  std::string oem, error;
  ASSERT_TRUE(Utf8ToOem("\xE2\x94\x82", oem, error));
  EXPECT_EQ(oem, "\xB3");
  EXPECT_FALSE(Utf8ToOem("\xFF", oem, error));
  EXPECT_NE(error.find("0xFF"), std::string::npos);
}

TEST(Oem, EveryPrintableByteSurvivesTheTripThroughUtf8) {
  for (int b = 0x20; b < 0x100; ++b) {
    if (b == 0x7F) continue;
    const std::string byte(1, static_cast<char>(b));
    std::string back, error;
    ASSERT_TRUE(Utf8ToOem(OemToUtf8(byte), back, error)) << "byte " << b << ": " << error;
    EXPECT_EQ(back, byte) << "byte " << b;
    EXPECT_EQ(OemByte(OemCharacter(static_cast<unsigned char>(b))), b) << "byte " << b;
  }
  EXPECT_EQ(OemCharacter(0x82), U'\u00E9');
  EXPECT_EQ(OemCharacter(0xE1), U'\u00DF');
}

TEST(Oem, TextForShowingReplacesWhatCannotBeShownByQuestionMarks) {
  // A box character converts; the euro sign, a stray byte, a tab and an
  // encoded U+0000 cannot be shown and become '?' each.
  EXPECT_EQ(Utf8ToOemShown("a\xE2\x94\x82"
                           "b"),
            "a\xB3"
            "b");
  EXPECT_EQ(Utf8ToOemShown("\xE2\x82\xAC\xFFx\t\xC3\xA9"), "??x?\x82");
  EXPECT_EQ(Utf8ToOemShown(std::string("\0z", 2)), "?z");
  EXPECT_EQ(Utf8ToOemShown(""), "");
}

TEST(Oem, RefusalsNameTheCharacterOrTheByte) {
  std::string oem = "kept", error;
  EXPECT_FALSE(Utf8ToOem("ab\xE2\x82\xAC", oem, error));  // the euro sign
  EXPECT_EQ(error, "U+20AC has no form in code page 437");
  EXPECT_EQ(oem, "kept") << "nothing is converted when a character fails";
  EXPECT_FALSE(Utf8ToOem("\xC0\x80", oem, error));  // an overlong form of U+0000
  EXPECT_EQ(error, "invalid UTF-8 byte 0xC0");
  EXPECT_FALSE(Utf8ToOem("x\xE2\x94", oem, error));  // cut off at the end
  EXPECT_EQ(error, "invalid UTF-8 byte 0xE2");
  EXPECT_FALSE(Utf8ToOem("\xED\xA0\x80", oem, error));  // a surrogate
  EXPECT_EQ(error, "invalid UTF-8 byte 0xED");
  EXPECT_FALSE(Utf8ToOem("\xF4\x90\x80\x80", oem, error));  // past U+10FFFF
  EXPECT_EQ(error, "invalid UTF-8 byte 0xF4");
  EXPECT_FALSE(Utf8ToOem("\xF0\x9F\x98\x80", oem, error));  // valid, outside the code page
  EXPECT_EQ(error, "U+1F600 has no form in code page 437");
  ASSERT_TRUE(Utf8ToOem("", oem, error));
  EXPECT_EQ(oem, "");
}

TEST(Oem, TheConsoleGlyphsOfTheControlRangeAreNotText) {
  EXPECT_EQ(OemGlyph(0x10), U'\u25BA');
  EXPECT_EQ(OemGlyph(0x01), U'\u263A');
  EXPECT_EQ(OemGlyph(0x7F), U'\u2302');
  EXPECT_EQ(OemGlyph(0), U' ');
  EXPECT_EQ(OemGlyph(0xB3), U'\u2502');
  EXPECT_EQ(OemGlyph('A'), U'A');
  // The glyph of the group marker byte does not turn back into that byte:
  // typing it must not make a group header.
  EXPECT_EQ(OemByte(U'\u25BA'), 0);
  EXPECT_EQ(OemByte(U'\u20AC'), 0);
  EXPECT_EQ(OemByte(U'\t'), 9);
}

TEST(Utf8, SequencesOfEveryLengthAndTheirLimits) {
  const char32_t points[] = {0x41, 0x7F, 0x80, 0x7FF, 0x800, 0xD7FF, 0xE000, 0xFFFD, 0x10000, 0x10FFFF};
  std::string text;
  for (char32_t c : points) AppendUtf8(text, c);
  EXPECT_EQ(text.size(), 1u + 1 + 2 + 2 + 3 + 3 + 3 + 3 + 4 + 4);
  size_t at = 0;
  for (char32_t c : points) {
    char32_t read = 0;
    ASSERT_TRUE(NextUtf8(text, at, read));
    EXPECT_EQ(read, c);
  }
  EXPECT_EQ(at, text.size());
  char32_t c = 0;
  EXPECT_FALSE(NextUtf8(text, at, c)) << "nothing after the end";
  at = 0;
  EXPECT_FALSE(
      NextUtf8("\x80"
               "a",
               at, c))
      << "a continuation byte starts nothing";
  EXPECT_EQ(at, 0u) << "a refused sequence leaves the position where it was";
  EXPECT_FALSE(NextUtf8("\xE0\x9F\xBF", at, c)) << "an overlong three-byte form";
}

}  // namespace
}  // namespace velk
