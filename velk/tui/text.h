// Text for the terminal: the plug-in's OEM bytes as the glyphs an OEM
// console shows, and UTF-8 (velk's help file) as wide characters.
#pragma once

#include <string>
#include <string_view>

namespace velk::tui {

// OEM bytes as the glyphs an OEM console draws for them (interaction/oem.h).
std::wstring OemToScreen(std::string_view oem);
// A zero-terminated OEM text in a buffer of the given capacity.
std::wstring OemFieldToScreen(const char* text, size_t capacity);
// UTF-8 to wide characters; a byte that starts no valid sequence becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view utf8);

}  // namespace velk::tui
