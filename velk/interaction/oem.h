// The plug-in's OEM code page (437), the one place velk converts it: for the
// transcript and the language file (UTF-8), for the script's "text" command
// and for typing into an edit field (characters to bytes), and for the
// terminal (the glyph a console shows for each byte).
#pragma once

#include <string>
#include <string_view>

namespace velk {

// The character an OEM byte stands for in text. Bytes below 0x80 are ASCII
// (control characters included); the upper half comes from the system's
// code page 437 table.
char32_t OemCharacter(unsigned char byte);
// The OEM byte for a character, 0 when code page 437 has none (and for U+0000).
unsigned char OemByte(char32_t c);
// The glyph an OEM console draws for a byte: the character, except for the
// control bytes, which have graphic glyphs (0x10 is a triangle); 0 draws a blank.
char32_t OemGlyph(unsigned char byte);

// OEM bytes as UTF-8 for a reader. Control bytes (below 0x20 and 0x7F) are
// written as \xNN, so that a transcript line stays one line and shows them.
std::string OemToUtf8(const std::string& oem);

// UTF-8 as OEM bytes. False, with error naming the first character that the
// code page cannot hold (or the invalid byte), when the text does not convert.
bool Utf8ToOem(const std::string& utf8, std::string& oem, std::string& error);
// UTF-8 as OEM bytes for showing, never refused: a character the code page
// cannot hold, a control character and a byte that is not UTF-8 each become
// '?'.
std::string Utf8ToOemShown(const std::string& utf8);

// Reads the UTF-8 sequence at `at` into c and moves `at` past it. False, with
// `at` unchanged, for a byte that starts no valid sequence there (overlong
// forms, surrogates and values past U+10FFFF included).
bool NextUtf8(std::string_view text, size_t& at, char32_t& c);
// Appends the UTF-8 form of a character.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace velk
