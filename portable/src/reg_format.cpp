// Registry export files. The neutral model holds every value as the bytes the
// ANSI registry functions give back: texts are 8-bit (the plug-in stores OEM
// bytes through the ANSI calls), REG_SZ includes its terminator.
//
// Reading:
//  - REGEDIT4, 8-bit: texts are taken byte for byte, hex data as they stand.
//  - "Windows Registry Editor Version 5.00" in UTF-16LE with a BOM (what
//    `reg export` writes), or in UTF-8: texts are Unicode and are converted
//    to the ANSI code page 1252 the way the ANSI registry calls convert them;
//    hex(1), hex(2) and hex(7) data hold UTF-16LE and are converted as well.
//  - Comments (;), blank lines, backslash continuation of hex data, "@" for
//    the default value, escapes \\ \" \r \n in quoted names and texts.
//  - [-KEY] and "name"=- deletions are refused with an error.
//
// Writing: always REGEDIT4 with CRLF line ends. A REG_SZ is written as a
// quoted text only when the reader gives back exactly its bytes (a single
// terminator at the end, no control bytes); otherwise as hex(1): so every
// byte survives. Bytes 0x80 and above stay raw in quoted texts, as REGEDIT4
// texts are in the ANSI code page.
#include "reg_format.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <unordered_map>
#include <utility>

namespace regfile {

namespace {

// The value types of windows.h that the format treats apart.
enum : uint32_t { kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4, kRegMultiSz = 7 };

// Code page 1252, bytes 0x80 to 0x9F; the five bytes the code page leaves
// undefined map to the C1 control of the same number, as Windows maps them.
constexpr uint16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint8_t UnicodeToAnsi(uint32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<uint8_t>(codePoint);
  for (int i = 0; i < 32; ++i) {
    if (kCp1252High[i] == codePoint) return static_cast<uint8_t>(0x80 + i);
  }
  return '?';  // the code page's default character
}

constexpr uint32_t LowerUnicode(uint32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  switch (c) {
    case 0x0160: return 0x0161;
    case 0x0152: return 0x0153;
    case 0x017D: return 0x017E;
    case 0x0178: return 0x00FF;
    default: return c;
  }
}

// ---- decoding the file into code units ------------------------------------

// The file as a sequence of characters: the bytes themselves for an 8-bit
// file (not copied), Unicode code points otherwise.
struct Decoded {
  const std::vector<uint8_t>* bytes = nullptr;  // an 8-bit file
  std::vector<uint32_t> chars;                  // a Unicode file, decoded
  bool unicode = false;

  size_t size() const { return unicode ? chars.size() : bytes->size(); }
};

bool DecodeUtf8(const std::vector<uint8_t>& bytes, size_t start, std::vector<uint32_t>& out) {
  size_t i = start;
  while (i < bytes.size()) {
    uint8_t b = bytes[i];
    int extra;
    uint32_t cp;
    if (b < 0x80) {
      cp = b;
      extra = 0;
    } else if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1F;
      extra = 1;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0F;
      extra = 2;
    } else if ((b & 0xF8) == 0xF0) {
      cp = b & 0x07;
      extra = 3;
    } else return false;
    if (i + extra >= bytes.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      uint8_t c = bytes[i + k];
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    out.push_back(cp);
    i += extra + 1;
  }
  return true;
}

void DecodeUtf16(const std::vector<uint8_t>& bytes, size_t start, std::vector<uint32_t>& out) {
  for (size_t i = start; i + 1 < bytes.size(); i += 2) {
    uint32_t u = bytes[i] | (bytes[i + 1] << 8);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
      uint32_t low = bytes[i + 2] | (bytes[i + 3] << 8);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        out.push_back(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    out.push_back(u);
  }
}

// UTF-16LE data of a string value in a version 5 file, as the ANSI bytes the
// ANSI registry calls would return for it. An odd last byte is kept as it is.
std::vector<uint8_t> WideDataToAnsi(const std::vector<uint8_t>& wide) {
  std::vector<uint32_t> chars;
  DecodeUtf16(wide, 0, chars);
  std::vector<uint8_t> out;
  out.reserve(chars.size() + 1);
  for (uint32_t c : chars) out.push_back(UnicodeToAnsi(c));
  if (wide.size() % 2 != 0) out.push_back(wide.back());
  return out;
}

// ---- parsing ---------------------------------------------------------------

// One line of the file: a view of its characters, the
// bytes of an 8-bit file or the code points of a Unicode one, taken where
// they stand.
class Line {
 public:
  Line() = default;
  Line(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
  Line(const uint32_t* chars, size_t size) : chars_(chars), size_(size) {}
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  uint32_t operator[](size_t i) const { return bytes_ ? bytes_[i] : chars_[i]; }
  uint32_t back() const { return (*this)[size_ - 1]; }
  void pop_back() { --size_; }

 private:
  const uint8_t* bytes_ = nullptr;
  const uint32_t* chars_ = nullptr;
  size_t size_ = 0;
};

// A value named again in the same key replaces the earlier one in its place:
// the first keeps its position (and spelling) and takes the last one's type
// and data. Sorting the value indices by name finds the repeats in n log n;
// order is scratch space kept from one key to the next.
void MergeRepeatedValues(Key& key, std::vector<size_t>& order) {
  std::vector<Value>& values = key.values;
  if (values.size() < 2) return;
  order.resize(values.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&values](size_t x, size_t y) { return CompareNames(values[x].name, values[y].name) < 0; });
  std::vector<bool> dropped(values.size(), false);
  bool anyDropped = false;
  for (size_t run = 0, end = 1; run < order.size(); run = end++) {
    while (end < order.size() && CompareNames(values[order[end]].name, values[order[run]].name) == 0) ++end;
    if (end - run < 2) continue;
    Value& kept = values[order[run]];  // the first in the file: the sort is stable
    Value& last = values[order[end - 1]];
    kept.type = last.type;
    kept.data = std::move(last.data);
    for (size_t k = run + 1; k < end; ++k) dropped[order[k]] = true;
    anyDropped = true;
  }
  if (!anyDropped) return;
  size_t out = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    if (dropped[i]) continue;
    if (out != i) values[out] = std::move(values[i]);
    ++out;
  }
  values.resize(out);
}

class Parser {
 public:
  Parser(const Decoded& decoded, File& out, const StopCheck& stop) : in(decoded), file(out), stopRequested(stop) {}

  bool Run(std::string& error);

 private:
  bool Fail(const std::string& message) {
    error = "line " + std::to_string(lineNumber) + ": " + message;
    return false;
  }
  bool NextLine(Line& line);
  std::string ToBytes(const Line& line, size_t from, size_t to) const;
  bool ParseKey(const Line& line);
  bool ParseValue(const Line& line);
  bool ParseTextData(const Line& line, size_t pos, Value& value);
  bool ParseDwordData(const Line& line, size_t pos, Value& value);
  bool ParseHexData(const Line& line, size_t pos, Value& value);
  void StoreValue(Value value);
  bool ParseQuoted(const Line& line, size_t& pos, std::string& text);
  template <typename Bytes>
  bool ParseQuotedInto(const Line& line, size_t& pos, Bytes& out);
  bool ParseHex(Line line, size_t pos, std::vector<uint8_t>& data);
  bool ParseLine(const Line& line, bool& headerSeen);
  Key& CurrentKey() { return file.keys[currentKey]; }

  const Decoded& in;
  File& file;
  const StopCheck& stopRequested;
  std::string error;
  size_t cursor = 0;
  int lineNumber = 0;
  bool version5 = false;
  long currentKey = -1;
  // Every key read so far, by its folded name: a key named again (in any
  // letter case) is found at once however many keys came before.
  std::unordered_map<std::string, size_t, NameHash, NameEqual> keyIndex;
};

bool Parser::NextLine(Line& line) {
  if (cursor >= in.size()) return false;
  ++lineNumber;
  size_t end = cursor;
  if (in.unicode) {
    end = std::find(in.chars.begin() + cursor, in.chars.end(), uint32_t{'\n'}) - in.chars.begin();
    line = Line(in.chars.data() + cursor, end - cursor);
  } else {
    const uint8_t* bytes = in.bytes->data();
    const void* newline = std::memchr(bytes + cursor, '\n', in.bytes->size() - cursor);
    end = newline ? static_cast<const uint8_t*>(newline) - bytes : in.bytes->size();
    line = Line(bytes + cursor, end - cursor);
  }
  cursor = end < in.size() ? end + 1 : end;  // past the '\n'
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

std::string Parser::ToBytes(const Line& line, size_t from, size_t to) const {
  to = std::min(to, line.size());
  std::string out;
  out.reserve(to - std::min(from, to));
  for (size_t i = from; i < to; ++i) {
    out.push_back(static_cast<char>(in.unicode ? UnicodeToAnsi(line[i]) : static_cast<uint8_t>(line[i])));
  }
  return out;
}

size_t SkipBlanks(const Line& line, size_t pos) {
  while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
  return pos;
}

bool IsBlankLine(const Line& line) { return SkipBlanks(line, 0) == line.size(); }

// How many lines the reader takes between two looks at its stop check.
constexpr int kLinesBetweenStopChecks = 4096;

bool Parser::Run(std::string& errorOut) {
  Line line;
  bool headerSeen = false;
  while (NextLine(line)) {
    if (stopRequested && lineNumber % kLinesBetweenStopChecks == 0 && stopRequested()) Fail("reading stopped");
    else if (ParseLine(line, headerSeen)) continue;
    errorOut = error;
    return false;
  }
  if (!headerSeen) {
    lineNumber = std::max(lineNumber, 1);
    Fail("empty file, no registry header");
    errorOut = error;
    return false;
  }
  std::vector<size_t> order;
  for (Key& key : file.keys) MergeRepeatedValues(key, order);
  return true;
}

// One line: the header first, then keys, values and comments.
bool Parser::ParseLine(const Line& line, bool& headerSeen) {
  if (IsBlankLine(line)) return true;
  size_t start = SkipBlanks(line, 0);
  if (!headerSeen) {
    std::string header = ToBytes(line, start, line.size());
    while (!header.empty() && (header.back() == ' ' || header.back() == '\t')) header.pop_back();
    if (header == "REGEDIT4") {
      version5 = false;
    } else if (header == "Windows Registry Editor Version 5.00") {
      version5 = true;
    } else {
      return Fail("not a registry file (expected \"REGEDIT4\" or \"Windows Registry Editor Version 5.00\")");
    }
    headerSeen = true;
    return true;
  }
  if (line[start] == ';') return true;
  if (line[start] == '[') return ParseKey(line);
  if (line[start] == '"' || line[start] == '@') return ParseValue(line);
  return Fail("unexpected text");
}

bool Parser::ParseKey(const Line& line) {
  size_t start = SkipBlanks(line, 0) + 1;
  size_t end = line.size();
  while (end > start && line[end - 1] != ']') --end;
  if (end <= start) return Fail("key line without closing ']'");
  --end;  // at the ']'
  if (start < end && line[start] == '-') return Fail("deleting keys ([-...]) is not supported");
  std::string path = ToBytes(line, start, end);
  if (path.empty()) return Fail("empty key name");
  auto found = keyIndex.emplace(path, file.keys.size());
  if (found.second) {
    // A new key is likely to hold as many values as the one before it.
    const size_t expected = file.keys.empty() ? 0 : file.keys.back().values.size();
    file.keys.push_back(Key{std::move(path), {}});
    file.keys.back().values.reserve(expected);
  }
  currentKey = static_cast<long>(found.first->second);
  return true;
}

bool Parser::ParseQuoted(const Line& line, size_t& pos, std::string& text) {
  text.clear();
  return ParseQuotedInto(line, pos, text);
}

// The bytes of a quoted text appended to out, escapes resolved and
// characters taken into the ANSI code page; pos goes from the opening quote
// to past the closing one.
template <typename Bytes>
bool Parser::ParseQuotedInto(const Line& line, size_t& pos, Bytes& out) {
  ++pos;
  while (true) {
    if (pos >= line.size()) return Fail("text without closing quote");
    uint32_t c = line[pos++];
    if (c == '"') break;
    if (c == '\\') {
      if (pos >= line.size()) return Fail("text without closing quote");
      uint32_t e = line[pos++];
      switch (e) {
        case '\\': c = '\\'; break;
        case '"': c = '"'; break;
        case 'n': c = '\n'; break;
        case 'r': c = '\r'; break;
        default: return Fail("unknown escape sequence in a quoted text");
      }
    }
    out.push_back(static_cast<typename Bytes::value_type>(in.unicode ? UnicodeToAnsi(c) : static_cast<uint8_t>(c)));
  }
  return true;
}

int HexDigit(uint32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  return -1;
}

bool Parser::ParseHex(Line line, size_t pos, std::vector<uint8_t>& data) {
  while (true) {
    pos = SkipBlanks(line, pos);
    if (pos >= line.size()) return true;
    if (line[pos] == ';') return true;  // comment after the data
    if (line[pos] == '\\') {
      if (SkipBlanks(line, pos + 1) != line.size()) return Fail("text after a line continuation");
      if (!NextLine(line)) return Fail("file ends after a line continuation");
      pos = 0;
      continue;
    }
    int high = pos < line.size() ? HexDigit(line[pos]) : -1;
    int low = pos + 1 < line.size() ? HexDigit(line[pos + 1]) : -1;
    if (high < 0 || low < 0) return Fail("bad hex byte");
    data.push_back(static_cast<uint8_t>(high * 16 + low));
    pos = SkipBlanks(line, pos + 2);
    if (pos >= line.size()) return true;
    if (line[pos] == ',') {
      ++pos;
    } else if (line[pos] != '\\' && line[pos] != ';') {
      return Fail("expected ',' between hex bytes");
    }
  }
}

bool StartsWith(const Line& line, size_t pos, const char* word) {
  for (size_t i = 0; word[i]; ++i) {
    if (pos + i >= line.size()) return false;
    uint32_t c = line[pos + i];
    if (c >= 'A' && c <= 'Z') c += 0x20;
    if (c != static_cast<uint8_t>(word[i])) return false;
  }
  return true;
}

// Reads the hex digits at pos into number; false when there are more than
// eight. digits is how many were read.
bool ReadHexNumber(const Line& line, size_t& pos, uint32_t& number, int& digits) {
  number = 0;
  digits = 0;
  while (pos < line.size() && HexDigit(line[pos]) >= 0) {
    number = number * 16 + static_cast<uint32_t>(HexDigit(line[pos++]));
    if (++digits > 8) return false;
  }
  return true;
}

bool Parser::ParseValue(const Line& line) {
  if (currentKey < 0) return Fail("value before the first key");
  size_t pos = SkipBlanks(line, 0);
  Value value;
  if (line[pos] == '@') {
    ++pos;
  } else if (!ParseQuoted(line, pos, value.name)) {
    return false;
  }
  pos = SkipBlanks(line, pos);
  if (pos >= line.size() || line[pos] != '=') return Fail("expected '=' after the value name");
  pos = SkipBlanks(line, pos + 1);
  if (pos >= line.size()) return Fail("value without data");
  if (line[pos] == '-') return Fail("deleting values (=-) is not supported");
  bool ok;
  if (line[pos] == '"') {
    ok = ParseTextData(line, pos, value);
  } else if (StartsWith(line, pos, "dword:")) {
    ok = ParseDwordData(line, pos + 6, value);
  } else if (StartsWith(line, pos, "hex")) {
    ok = ParseHexData(line, pos + 3, value);
  } else {
    ok = Fail("unknown value data");
  }
  if (ok) StoreValue(std::move(value));
  return ok;
}

bool Parser::ParseTextData(const Line& line, size_t pos, Value& value) {
  value.data.reserve(line.size() - pos);  // the text and its terminator fit in what the line has left
  if (!ParseQuotedInto(line, pos, value.data)) return false;
  size_t rest = SkipBlanks(line, pos);
  if (rest != line.size() && line[rest] != ';') return Fail("text after the closing quote");
  value.type = kRegSz;
  value.data.push_back(0);
  return true;
}

bool Parser::ParseDwordData(const Line& line, size_t pos, Value& value) {
  uint32_t number;
  int digits;
  if (!ReadHexNumber(line, pos, number, digits)) return Fail("dword with more than 8 hex digits");
  size_t rest = SkipBlanks(line, pos);
  if (digits == 0 || (rest != line.size() && line[rest] != ';')) return Fail("bad dword");
  value.type = kRegDword;
  for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<uint8_t>(number >> (8 * i)));
  return true;
}

// pos is just after "hex": an optional "(type)", then ':' and the bytes.
bool Parser::ParseHexData(const Line& line, size_t pos, Value& value) {
  uint32_t type = kRegBinary;
  if (pos < line.size() && line[pos] == '(') {
    ++pos;
    int digits;
    if (!ReadHexNumber(line, pos, type, digits) || digits == 0 || pos >= line.size() || line[pos] != ')') {
      return Fail("bad hex(type)");
    }
    ++pos;
  }
  if (pos >= line.size() || line[pos] != ':') return Fail("expected ':' after hex");
  if (!ParseHex(line, pos + 1, value.data)) return false;
  value.type = type;
  if (version5 && (type == kRegSz || type == kRegExpandSz || type == kRegMultiSz)) {
    value.data = WideDataToAnsi(value.data);
  }
  return true;
}

// Values are kept in the order read; a name met again in the same key is
// merged once the whole file is read (MergeRepeatedValues).
void Parser::StoreValue(Value value) { CurrentKey().values.push_back(std::move(value)); }

// ---- writing ----------------------------------------------------------------

void AppendEscaped(std::string& out, std::string_view text) {
  for (char ch : text) {
    switch (ch) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out.push_back(ch);
    }
  }
}

// True when a REG_SZ can be written as a quoted text that reads back as the
// same bytes: exactly one terminator, at the end, and no control bytes.
bool QuotableText(const std::vector<uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (size_t i = 0; i + 1 < data.size(); ++i) {
    if (data[i] < 0x20) return false;
  }
  return true;
}

void AppendHex(std::string& out, const std::vector<uint8_t>& data) {
  static const char digits[] = "0123456789abcdef";
  size_t column = out.size() - out.rfind('\n') - 1;
  for (size_t i = 0; i < data.size(); ++i) {
    out.push_back(digits[data[i] >> 4]);
    out.push_back(digits[data[i] & 15]);
    column += 2;
    if (i + 1 < data.size()) {
      out.push_back(',');
      ++column;
      if (column >= 76) {
        out += "\\\r\n  ";
        column = 2;
      }
    }
  }
}

void WriteValue(std::string& out, const Value& value) {
  if (value.name.empty()) {
    out += "@=";
  } else {
    out.push_back('"');
    AppendEscaped(out, value.name);
    out += "\"=";
  }
  if (value.type == kRegSz && QuotableText(value.data)) {
    out.push_back('"');
    AppendEscaped(out, std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1));
    out.push_back('"');
  } else if (value.type == kRegDword && value.data.size() == 4) {
    char number[16];
    uint32_t v = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                 (static_cast<uint32_t>(value.data[3]) << 24);
    std::snprintf(number, sizeof number, "dword:%08x", v);
    out += number;
  } else {
    if (value.type == kRegBinary) {
      out += "hex:";
    } else {
      char prefix[24];
      std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
      out += prefix;
    }
    AppendHex(out, value.data);
  }
  out += "\r\n";
}

// Compares two key paths as the registry orders its tree: name by name
// (empty parts skipped), so that a key's children come right after it,
// before a sibling whose name only starts like it.
int ComparePaths(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  for (;;) {
    while (i < a.size() && a[i] == '\\') ++i;
    while (j < b.size() && b[j] == '\\') ++j;
    if (i == a.size() || j == b.size()) return (i == a.size() ? 0 : 1) - (j == b.size() ? 0 : 1);
    const size_t endA = std::min(a.find('\\', i), a.size()), endB = std::min(b.find('\\', j), b.size());
    const int c = CompareNames(a.data() + i, endA - i, b.data() + j, endB - j);
    if (c != 0) return c;
    i = endA;
    j = endB;
  }
}

// The lower case of each byte's character, as the registry matches names;
// made by the compiler, so that it is there before any static constructor
// compares a name.
struct FoldTable {
  uint32_t folded[256] = {};
  constexpr FoldTable() {
    for (int b = 0; b < 256; ++b) folded[b] = LowerUnicode(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b);
  }
};
constexpr FoldTable kFold;

}  // namespace

uint32_t AnsiToUnicode(uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0) return kCp1252High[byte - 0x80];
  return byte;
}

int CompareNames(const char* a, size_t aSize, const char* b, size_t bSize) {
  const size_t n = std::min(aSize, bSize);
  for (size_t i = 0; i < n; ++i) {
    if (a[i] == b[i]) continue;  // most bytes of two names that are compared are the same
    const uint32_t ca = kFold.folded[static_cast<uint8_t>(a[i])], cb = kFold.folded[static_cast<uint8_t>(b[i])];
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return aSize < bSize ? -1 : (aSize > bSize ? 1 : 0);
}

int CompareNames(const std::string& a, const std::string& b) {
  return CompareNames(a.data(), a.size(), b.data(), b.size());
}

size_t NameHash::operator()(std::string_view name) const {
  uint64_t h = 14695981039346656037ull;  // FNV-1a over the folded characters
  for (char c : name) h = (h ^ kFold.folded[static_cast<uint8_t>(c)]) * 1099511628211ull;
  return static_cast<size_t>(h);
}

bool Parse(const std::vector<uint8_t>& bytes, File& out, std::string& error, const StopCheck& stop) {
  Decoded decoded;
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    decoded.unicode = true;
    DecodeUtf16(bytes, 2, decoded.chars);
  } else if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    decoded.unicode = true;
    if (!DecodeUtf8(bytes, 3, decoded.chars)) {
      error = "line 1: the file starts as UTF-8 but is not valid UTF-8";
      return false;
    }
  } else {
    decoded.bytes = &bytes;
  }
  File parsed;
  Parser parser(decoded, parsed, stop);
  if (!parser.Run(error)) return false;
  out = std::move(parsed);
  return true;
}

void WriteKey(std::string& out, const std::string& path, const std::vector<Value>& values) {
  out += '[';
  out += path;
  out += "]\r\n";
  for (const Value& value : values) WriteValue(out, value);
  out += "\r\n";
}

std::string Write(const File& file) {
  std::string out = kWriteHeader;
  for (const Key& key : file.keys) WriteKey(out, key.path, key.values);
  return out;
}

void Canonicalize(File& file) {
  const auto pathLess = [](const Key& a, const Key& b) { return ComparePaths(a.path, b.path) < 0; };
  const auto nameLess = [](const Value& a, const Value& b) { return CompareNames(a.name, b.name) < 0; };
  // An export of the registry's tree is in this order already: one pass
  // tells, and the sort is left out.
  if (!std::is_sorted(file.keys.begin(), file.keys.end(), pathLess))
    std::stable_sort(file.keys.begin(), file.keys.end(), pathLess);
  for (Key& key : file.keys) {
    if (!std::is_sorted(key.values.begin(), key.values.end(), nameLess))
      std::stable_sort(key.values.begin(), key.values.end(), nameLess);
  }
}

bool ReadFile(const std::string& path, File& out, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  bool readError = std::ferror(f) != 0;
  std::fclose(f);
  if (readError) {
    error = path + ": read error";
    return false;
  }
  if (!Parse(bytes, out, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

}  // namespace regfile
