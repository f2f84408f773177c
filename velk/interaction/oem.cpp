#include "interaction/oem.h"

#include <array>
#include <cstdio>
#include <unordered_map>

#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace velk {
namespace {

constexpr unsigned OemCodePage = 437;

// Glyphs of the bytes 0x00-0x1F as an OEM console draws them.
constexpr char32_t kControlGlyphs[32] = {
    U' ',      U'\u263A', U'\u263B', U'\u2665', U'\u2666', U'\u2663', U'\u2660', U'\u2022',
    U'\u25D8', U'\u25CB', U'\u25D9', U'\u2642', U'\u2640', U'\u266A', U'\u266B', U'\u263C',
    U'\u25BA', U'\u25C4', U'\u2195', U'\u203C', U'\u00B6', U'\u00A7', U'\u25AC', U'\u21A8',
    U'\u2191', U'\u2193', U'\u2192', U'\u2190', U'\u221F', U'\u2194', U'\u25B2', U'\u25BC',
};

#if defined(_WIN32)

// The character of one byte of the upper half, from the system's tables; 0
// when the code page has none for it.
char32_t UpperHalfCharacter(unsigned char byte) {
  char in = static_cast<char>(byte);
  wchar_t wide[2];
  int n = MultiByteToWideChar(OemCodePage, MB_ERR_INVALID_CHARS, &in, 1, wide, 2);
  return n == 1 ? static_cast<char32_t>(wide[0]) : 0;
}

#else

char32_t UpperHalfCharacter(unsigned char byte) {
  static const iconv_t cd = iconv_open("UTF-8", "CP437");
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char in = static_cast<char>(byte);
  char out[8];
  char* inp = &in;
  char* outp = out;
  size_t inLeft = 1, outLeft = sizeof out;
  if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1)) return 0;
  size_t at = 0;
  char32_t c = 0;
  return NextUtf8(std::string_view(out, sizeof out - outLeft), at, c) ? c : 0;
}

#endif

struct CodePage {
  std::array<char32_t, 256> characters{};
  std::unordered_map<char32_t, unsigned char> bytes;

  CodePage() {
    for (int b = 0; b < 0x80; ++b) characters[b] = static_cast<char32_t>(b);
    for (int b = 0x80; b < 0x100; ++b) characters[b] = UpperHalfCharacter(static_cast<unsigned char>(b));
    for (int b = 255; b >= 1; --b) {
      if (characters[b] != 0) bytes[characters[b]] = static_cast<unsigned char>(b);
    }
  }
};

const CodePage& Table() {
  static const CodePage table;
  return table;
}

std::string Escape(unsigned char c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02X", c);
  return buf;
}

}  // namespace

char32_t OemCharacter(unsigned char byte) { return Table().characters[byte]; }

unsigned char OemByte(char32_t c) {
  const auto& bytes = Table().bytes;
  auto it = bytes.find(c);
  return it == bytes.end() ? 0 : it->second;
}

char32_t OemGlyph(unsigned char byte) {
  if (byte < 0x20) return kControlGlyphs[byte];
  if (byte == 0x7F) return U'\u2302';
  char32_t c = OemCharacter(byte);
  return c ? c : U'?';
}

std::string OemToUtf8(const std::string& oem) {
  // One text per byte, built once: the conversion is per byte.
  static const std::array<std::string, 256> table = [] {
    std::array<std::string, 256> t;
    for (int b = 0; b < 256; ++b) {
      char32_t c = OemCharacter(static_cast<unsigned char>(b));
      if (b < 0x20 || b == 0x7F || c == 0) {
        t[b] = Escape(static_cast<unsigned char>(b));
      } else {
        AppendUtf8(t[b], c);
      }
    }
    return t;
  }();
  std::string out;
  out.reserve(oem.size());
  for (unsigned char c : oem) out += table[c];
  return out;
}

bool Utf8ToOem(const std::string& utf8, std::string& oem, std::string& error) {
  std::string out;
  char buf[64];
  for (size_t at = 0; at < utf8.size();) {
    char32_t c = 0;
    if (!NextUtf8(utf8, at, c)) {
      std::snprintf(buf, sizeof buf, "invalid UTF-8 byte 0x%02X", static_cast<unsigned char>(utf8[at]));
      error = buf;
      return false;
    }
    unsigned char byte = OemByte(c);
    if (byte == 0 && c != 0) {
      std::snprintf(buf, sizeof buf, "U+%04X has no form in code page 437", static_cast<unsigned>(c));
      error = buf;
      return false;
    }
    out.push_back(static_cast<char>(byte));
  }
  oem.swap(out);
  return true;
}

std::string Utf8ToOemShown(const std::string& utf8) {
  std::string oem;
  for (size_t at = 0; at < utf8.size();) {
    char32_t c = 0;
    if (!NextUtf8(utf8, at, c)) {
      ++at;
      c = U'?';
    }
    const unsigned char byte = OemByte(c);
    oem += byte >= 0x20 ? static_cast<char>(byte) : '?';
  }
  return oem;
}

bool NextUtf8(std::string_view text, size_t& at, char32_t& c) {
  if (at >= text.size()) return false;
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) {
    c = lead;
    ++at;
    return true;
  }
  size_t extra;
  char32_t value, least;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, value = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, value = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, value = lead & 0x07, least = 0x10000;
  } else {
    return false;
  }
  if (text.size() - at <= extra) return false;
  for (size_t i = 1; i <= extra; ++i) {
    const unsigned char next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return false;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  c = value;
  at += extra + 1;
  return true;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace velk
