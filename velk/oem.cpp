#include "velk/oem.h"

#include <cstdio>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace velk {
namespace {

constexpr unsigned OemCodePage = 437;

std::string Escape(unsigned char c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02X", c);
  return buf;
}

#if defined(_WIN32)

// One OEM byte as UTF-8 through the system's code-page tables.
std::string ConvertByte(unsigned char c) {
  char in = static_cast<char>(c);
  wchar_t wide[2];
  int n = MultiByteToWideChar(OemCodePage, 0, &in, 1, wide, 2);
  if (n <= 0) return Escape(c);
  char out[8];
  int m = WideCharToMultiByte(CP_UTF8, 0, wide, n, out, sizeof out, nullptr, nullptr);
  if (m <= 0) return Escape(c);
  return std::string(out, static_cast<size_t>(m));
}

bool FromUtf8(const std::string& utf8, std::string& oem, std::string& error) {
  oem.clear();
  if (utf8.empty()) return true;
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                              nullptr, 0);
  if (n <= 0) {
    // Name the first byte that starts no valid sequence, as the iconv
    // build does: try each sequence on its own, by its lead byte's length.
    size_t at = 0;
    while (at < utf8.size()) {
      unsigned char c = static_cast<unsigned char>(utf8[at]);
      size_t length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
      if (at + length > utf8.size() ||
          MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data() + at, static_cast<int>(length), nullptr,
                              0) <= 0)
        break;
      at += length;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "invalid UTF-8 byte 0x%02X",
                  static_cast<unsigned char>(utf8[at < utf8.size() ? at : utf8.size() - 1]));
    error = buf;
    return false;
  }
  std::vector<wchar_t> wide(static_cast<size_t>(n));
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  for (wchar_t w : wide) {
    char out[4];
    BOOL lossy = FALSE;
    int m = WideCharToMultiByte(OemCodePage, WC_NO_BEST_FIT_CHARS, &w, 1, out, sizeof out, nullptr, &lossy);
    if (m != 1 || lossy) {
      char buf[48];
      std::snprintf(buf, sizeof buf, "U+%04X has no form in code page 437", static_cast<unsigned>(w));
      error = buf;
      return false;
    }
    oem += out[0];
  }
  return true;
}

#else

class Converter {
 public:
  Converter(const char* to, const char* from) : cd(iconv_open(to, from)) {}
  ~Converter() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
  bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
  // Converts the whole input; false on the first unconvertible sequence,
  // with consumed set to the bytes converted before it.
  bool Run(const std::string& in, std::string& out, size_t& consumed) {
    out.clear();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    std::vector<char> buf(in.size() * 4 + 16);
    while (left > 0) {
      char* dst = buf.data();
      size_t room = buf.size();
      size_t r = iconv(cd, &src, &left, &dst, &room);
      out.append(buf.data(), static_cast<size_t>(dst - buf.data()));
      if (r == static_cast<size_t>(-1) && errno != E2BIG) {
        consumed = in.size() - left;
        return false;
      }
    }
    consumed = in.size();
    return true;
  }

 private:
  iconv_t cd;
};

std::string ConvertByte(unsigned char c) {
  static Converter conv("UTF-8", "CP437");
  std::string out;
  size_t consumed = 0;
  if (!conv.ok() || !conv.Run(std::string(1, static_cast<char>(c)), out, consumed)) return Escape(c);
  return out;
}

bool FromUtf8(const std::string& utf8, std::string& oem, std::string& error) {
  Converter conv("CP437", "UTF-8");
  if (!conv.ok()) {
    error = "iconv cannot convert UTF-8 to CP437";
    return false;
  }
  size_t consumed = 0;
  if (conv.Run(utf8, oem, consumed)) return true;
  // Name the offending character: decode the UTF-8 sequence at |consumed|.
  unsigned char c = static_cast<unsigned char>(utf8[consumed]);
  unsigned cp = c;
  int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  bool valid = c < 0x80 || (c >= 0xC2 && c < 0xF5);
  if (extra) cp = c & (0x3F >> extra);
  for (int i = 1; valid && i <= extra; ++i) {
    if (consumed + i >= utf8.size() || (static_cast<unsigned char>(utf8[consumed + i]) & 0xC0) != 0x80) {
      valid = false;
      break;
    }
    cp = (cp << 6) | (static_cast<unsigned char>(utf8[consumed + i]) & 0x3F);
  }
  char buf[64];
  if (valid) {
    std::snprintf(buf, sizeof buf, "U+%04X has no form in code page 437", cp);
  } else {
    std::snprintf(buf, sizeof buf, "invalid UTF-8 byte 0x%02X", c);
  }
  error = buf;
  return false;
}

#endif

}  // namespace

std::string OemToUtf8(const std::string& oem) {
  // One table for all 256 bytes, built once: the conversion is per byte.
  static const std::vector<std::string> table = [] {
    std::vector<std::string> t(256);
    for (int c = 0; c < 256; ++c) {
      if (c < 0x20 || c == 0x7F) t[c] = Escape(static_cast<unsigned char>(c));
      else if (c < 0x7F) t[c] = std::string(1, static_cast<char>(c));
      else t[c] = ConvertByte(static_cast<unsigned char>(c));
    }
    return t;
  }();
  std::string out;
  out.reserve(oem.size());
  for (unsigned char c : oem) out += table[c];
  return out;
}

bool Utf8ToOem(const std::string& utf8, std::string& oem, std::string& error) {
  return FromUtf8(utf8, oem, error);
}

}  // namespace velk
