#include "tui/text.h"

#include "interaction/oem.h"

namespace velk::tui {

std::wstring OemToScreen(std::string_view oem) {
  std::wstring out;
  out.reserve(oem.size());
  for (char c : oem) out.push_back(static_cast<wchar_t>(OemGlyph(static_cast<unsigned char>(c))));
  return out;
}

std::wstring OemFieldToScreen(const char* text, size_t capacity) {
  size_t n = 0;
  while (n < capacity && text[n] != 0) ++n;
  return OemToScreen(std::string_view(text, n));
}

std::wstring Utf8ToWide(std::string_view utf8) {
  std::wstring out;
  for (size_t at = 0; at < utf8.size();) {
    char32_t c = 0;
    if (NextUtf8(utf8, at, c)) {
      out.push_back(static_cast<wchar_t>(c));
    } else {
      out.push_back(L'\uFFFD');
      ++at;
    }
  }
  return out;
}

}  // namespace velk::tui
