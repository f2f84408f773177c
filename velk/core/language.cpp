#include "core/language.h"

#include <cctype>
#include <cstring>
#include <fstream>
#include <sstream>

#include "core/text_lines.h"
#include "interaction/oem.h"

namespace velk {
namespace {

bool Unescape(const std::string& in, std::string& out, std::string& error) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i >= in.size()) {
      error = "a backslash ends the line";
      return false;
    }
    switch (in[i]) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case '\\': out += '\\'; break;
      case 'x': {
        if (i + 2 >= in.size() || !std::isxdigit(static_cast<unsigned char>(in[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(in[i + 2]))) {
          error = "\\x needs two hex digits";
          return false;
        }
        int v = std::stoi(in.substr(i + 1, 2), nullptr, 16);
        if (v == 0) {
          error = "\\x00 would end the text";
          return false;
        }
        // A raw OEM byte: marked so that the UTF-8 conversion leaves it.
        out += '\0';
        out += static_cast<char>(v);
        i += 2;
        break;
      }
      default: error = std::string("unknown escape \\") + in[i]; return false;
    }
  }
  return true;
}

// Converts the UTF-8 parts to OEM and keeps the raw bytes of \xHH as they are.
bool ToOem(const std::string& mixed, std::string& oem, std::string& error) {
  oem.clear();
  size_t start = 0;
  while (start <= mixed.size()) {
    size_t raw = mixed.find('\0', start);
    std::string part = mixed.substr(start, raw == std::string::npos ? std::string::npos : raw - start);
    std::string converted;
    if (!Utf8ToOem(part, converted, error)) return false;
    oem += converted;
    if (raw == std::string::npos) break;
    oem += mixed[raw + 1];
    start = raw + 2;
  }
  return true;
}

}  // namespace

char RequiredConversion(int number) {
  switch (number) {
    case 17:
    case 29: return 'd';
    case 18:
    case 19:
    case 21: return 's';
    default: return 0;
  }
}

bool CheckConversions(int number, const std::string& text, std::string& reason) {
  char want = RequiredConversion(number);
  if (want == 0) return true;  // shown as it stands, never used as a format
  int found = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    ++i;
    if (i < text.size() && text[i] == '%') continue;
    while (i < text.size() && std::strchr("-+ #0", text[i])) ++i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && text[i] == '.') {
      ++i;
      while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    }
    if (i >= text.size()) {
      reason = "a conversion is cut off at the end";
      return false;
    }
    char conv = text[i];
    bool ok = want == 's' ? conv == 's' : (conv == 'd' || conv == 'i' || conv == 'u');
    if (!ok) {
      reason = std::string("conversion %") + conv + " where the plug-in passes " +
               (want == 's' ? "a text (%s)" : "an integer (%d)");
      return false;
    }
    ++found;
  }
  if (found != 1) {
    reason = "needs exactly one " + std::string(want == 's' ? "%s" : "%d") + " conversion, has " +
             std::to_string(found);
    return false;
  }
  return true;
}

bool Language::Parse(const std::string& content, std::string& error) {
  std::map<int, std::string> parsed;
  TextLines lines(content);
  while (lines.Next()) {
    const std::string& line = lines.Line();
    const size_t first = lines.First();
    auto fail = [&](const std::string& why) { return lines.Fail(error, why); };
    size_t eq = line.find('=');
    if (eq == std::string::npos) return fail("expected NUMBER=TEXT");
    std::string num = line.substr(first, eq - first);
    while (!num.empty() && (num.back() == ' ' || num.back() == '\t')) num.pop_back();
    if (num.empty() || num.size() > 4 || num.find_first_not_of("0123456789") != std::string::npos)
      return fail("expected a message number before '='");
    int n = std::stoi(num);
    if (n < 1 || n > 2000) return fail("message numbers run from 1 to 2000");
    if (parsed.count(n)) return fail("message " + std::to_string(n) + " is given twice");
    std::string mixed, oem, why;
    if (!Unescape(line.substr(eq + 1), mixed, why)) return fail(why);
    if (!ToOem(mixed, oem, why)) return fail(why);
    if (!CheckConversions(n, oem, why)) return fail("message " + std::to_string(n) + ": " + why);
    parsed[n] = oem;
  }
  texts.swap(parsed);
  return true;
}

bool Language::Load(const std::string& path, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot read the language file " + path;
    return false;
  }
  std::ostringstream content;
  content << file.rdbuf();
  std::string why;
  if (!Parse(content.str(), why)) {
    error = path + ": " + why;
    return false;
  }
  return true;
}

const char* Language::Text(int number) const {
  static const char empty[] = "";
  auto it = texts.find(number);
  return it == texts.end() ? empty : it->second.c_str();
}

}  // namespace velk
