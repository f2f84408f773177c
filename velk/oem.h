// Conversions between the plug-in's OEM code page (437) and UTF-8, for the
// transcript, the script's "text" command and the language file.
#pragma once

#include <string>

namespace velk {

// OEM bytes as UTF-8 for a reader. Control bytes (below 0x20 and 0x7F) are
// written as \xNN, so that a transcript line stays one line and shows them.
std::string OemToUtf8(const std::string& oem);

// UTF-8 as OEM bytes. False, with error naming the first character that the
// code page cannot hold (or the invalid byte), when the text does not convert.
bool Utf8ToOem(const std::string& utf8, std::string& oem, std::string& error);

}  // namespace velk
