// OEM (code page 437) and UTF-8 text for the terminal front end. The bytes
// 0x20-0xFF go through iconv; the control range has graphic glyphs on an OEM
// console that iconv (rightly, for text) does not give, so those come from
// the table below.
#include <iconv.h>

#include <array>
#include <cerrno>
#include <unordered_map>

#include "velk/tui_parts.h"

namespace velk::tui {
namespace {

// Glyphs of the bytes 0x00-0x1F as an OEM console draws them.
constexpr wchar_t kControlGlyphs[32] = {
    L' ',    L'\u263A', L'\u263B', L'\u2665', L'\u2666', L'\u2663', L'\u2660', L'\u2022',
    L'\u25D8', L'\u25CB', L'\u25D9', L'\u2642', L'\u2640', L'\u266A', L'\u266B', L'\u263C',
    L'\u25BA', L'\u25C4', L'\u2195', L'\u203C', L'\u00B6', L'\u00A7', L'\u25AC', L'\u21A8',
    L'\u2191', L'\u2193', L'\u2192', L'\u2190', L'\u221F', L'\u2194', L'\u25B2', L'\u25BC',
};

struct OemTable {
  std::array<wchar_t, 256> toWide{};
  std::unordered_map<wchar_t, unsigned char> toOem;

  OemTable() {
    for (int b = 0; b < 32; ++b) toWide[b] = kControlGlyphs[b];
    toWide[0x7F] = L'\u2302';
    iconv_t cd = iconv_open("WCHAR_T", "CP437");
    for (int b = 0x20; b < 0x100; ++b) {
      if (b == 0x7F) continue;
      wchar_t out = L'?';
      if (cd != reinterpret_cast<iconv_t>(-1)) {
        char in = static_cast<char>(b);
        char* inp = &in;
        size_t inLeft = 1;
        char* outp = reinterpret_cast<char*>(&out);
        size_t outLeft = sizeof out;
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1)) out = L'?';
      } else if (b < 0x80) {
        out = static_cast<wchar_t>(b);
      }
      toWide[b] = out;
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    for (int b = 255; b >= 1; --b) toOem[toWide[b]] = static_cast<unsigned char>(b);
    // Printable ASCII always stands for itself.
    for (int b = 0x20; b < 0x7F; ++b) toOem[static_cast<wchar_t>(b)] = static_cast<unsigned char>(b);
  }
};

const OemTable& Table() {
  static const OemTable table;
  return table;
}

}  // namespace

wchar_t OemToWide(unsigned char byte) { return Table().toWide[byte]; }

std::wstring OemToWide(std::string_view oem) {
  std::wstring out;
  out.reserve(oem.size());
  for (char c : oem) out.push_back(OemToWide(static_cast<unsigned char>(c)));
  return out;
}

unsigned char WideToOem(wchar_t c) {
  const auto& map = Table().toOem;
  auto it = map.find(c);
  return it == map.end() ? 0 : it->second;
}

std::wstring Utf8ToWide(std::string_view utf8) {
  std::wstring out;
  iconv_t cd = iconv_open("WCHAR_T", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    for (char c : utf8) out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : L'\uFFFD');
    return out;
  }
  char* inp = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  std::wstring chunk(256, L'\0');
  while (inLeft > 0) {
    char* outp = reinterpret_cast<char*>(&chunk[0]);
    size_t outLeft = chunk.size() * sizeof(wchar_t);
    size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    size_t produced = chunk.size() - outLeft / sizeof(wchar_t);
    out.append(chunk.data(), produced);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      // An invalid or cut-off sequence: one replacement character for its
      // first byte, then go on after it.
      out.push_back(L'\uFFFD');
      ++inp;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace velk::tui
