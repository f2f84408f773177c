#include "core/options.h"

#include <cstdlib>

namespace velk {
namespace {

bool ParseNumber(const std::string& s, long min, long max, int& out) {
  if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos) return false;
  long v = std::strtol(s.c_str(), nullptr, 10);
  if (v < min || v > max) return false;
  out = static_cast<int>(v);
  return true;
}

bool ParseVersion(const std::string& s, Options& o) {
  size_t a = s.find('.');
  size_t b = a == std::string::npos ? a : s.find('.', a + 1);
  if (b == std::string::npos) return false;
  return ParseNumber(s.substr(0, a), 0, 255, o.hostMajor) &&
         ParseNumber(s.substr(a + 1, b - a - 1), 0, 255, o.hostMinor) &&
         ParseNumber(s.substr(b + 1), 0, 65535, o.hostBuild);
}

}  // namespace

const char* UsageText() {
  return "usage: velk [--registry FILE] [--script FILE|-] [--transcript FILE] [--columns N]\n"
         "            [--host-version MAJOR.MINOR.BUILD] [--plugin PATH] [--lang FILE]\n"
         "            [--fail-registry-write N] [--end-after-registry-write N]\n"
         "       velk --batch FILE   (runs, one a line: directory<TAB>arguments, tab-separated)\n";
}

namespace {

// Takes the value of one option that has one.
bool SetOption(const std::string& name, const std::string& value, Options& o, std::string& error) {
  if (name == "--registry") {
    o.registryFile = value;
  } else if (name == "--script") {
    o.scriptFile = value;
  } else if (name == "--transcript") {
    o.transcriptFile = value;
  } else if (name == "--columns") {
    if (!ParseNumber(value, 1, 9999, o.columns)) error = "--columns takes a width from 1 to 9999, not " + value;
  } else if (name == "--host-version") {
    if (!ParseVersion(value, o)) error = "--host-version takes MAJOR.MINOR.BUILD (0-255, 0-255, 0-65535), not " + value;
  } else if (name == "--plugin") {
    o.pluginPath = value;
  } else if (name == "--lang") {
    o.languageFile = value;
  } else if (name == "--fail-registry-write") {
    if (!ParseNumber(value, 1, 100000000, o.failRegistryWrite))
      error = "--fail-registry-write takes a count from 1, not " + value;
  } else if (name == "--end-after-registry-write") {
    if (!ParseNumber(value, 1, 100000000, o.endAfterRegistryWrite))
      error = "--end-after-registry-write takes a count from 1, not " + value;
  } else {
    error = "unknown argument: " + name;
  }
  return error.empty();
}

bool Known(const std::string& name) {
  static const char* const withValue[] = {"--registry",
                                          "--script",
                                          "--transcript",
                                          "--columns",
                                          "--host-version",
                                          "--plugin",
                                          "--lang",
                                          "--fail-registry-write",
                                          "--end-after-registry-write"};
  for (const char* w : withValue) {
    if (name == w) return true;
  }
  return false;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, Options& o, std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      o.help = true;
      continue;
    }
    std::string name = a, value;
    const size_t eq = a.find('=');
    const bool inlineValue = a.compare(0, 2, "--") == 0 && eq != std::string::npos;
    if (inlineValue) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
    }
    if (!Known(name)) {
      error = "unknown argument: " + a;
      return false;
    }
    if (!inlineValue && i + 1 < args.size()) value = args[++i];
    if (value.empty()) {
      error = name + " needs a value";
      return false;
    }
    if (!SetOption(name, value, o, error)) return false;
  }
  return true;
}

}  // namespace velk
