// Registry export files (.reg): a neutral model of their contents, a reader
// for the REGEDIT4 and the UTF-16 "Windows Registry Editor Version 5.00"
// forms, and a writer of the REGEDIT4 form (namespace regfile). Used by the
// portable registry and by the stand-in host to import and export the
// registry on every build.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace regfile {

struct Value {
  std::string name;           // "" is the key's default value ("@")
  uint32_t type = 0;          // REG_SZ, REG_DWORD, REG_BINARY, ...
  std::vector<uint8_t> data;  // the stored bytes, exactly (REG_SZ with its terminator)
};

struct Key {
  std::string path;  // full path, e.g. "HKEY_CURRENT_USER\\Software\\VELK"
  std::vector<Value> values;
};

struct File {
  std::vector<Key> keys;  // in file order; a key's parents need not be listed
};

// Asked now and then during a long read; true stops it.
using StopCheck = std::function<bool()>;

// Parses the bytes of a .reg file, in time linear in its size. On failure
// returns false and sets error to a message naming the line; when stop
// (if given) returns true, the reading ends that way within a few thousand
// lines ("reading stopped").
bool Parse(const std::vector<uint8_t>& bytes, File& out, std::string& error, const StopCheck& stop = nullptr);
// Writes the REGEDIT4 form. Every byte of every value survives Parse(Write(f)).
std::string Write(const File& file);
// Write's parts, for a writer that walks a tree of its own: the header,
// then each key with its values.
constexpr const char* kWriteHeader = "REGEDIT4\r\n\r\n";
void WriteKey(std::string& out, const std::string& path, const std::vector<Value>& values);
// Sorts keys by path and each key's values by name, case-insensitively, so
// that two exports of the same registry are byte-identical.
void Canonicalize(File& file);

// Compares two key or value names as the registry orders and matches them:
// each byte is taken in the ANSI code page 1252 and compared by its lower
// case; a name that is a prefix of another sorts first. 0 means the same name.
int CompareNames(const std::string& a, const std::string& b);
int CompareNames(const char* a, size_t aSize, const char* b, size_t bSize);
inline int CompareNames(const std::string& a, std::string_view b) {
  return CompareNames(a.data(), a.size(), b.data(), b.size());
}
// The same order and match as function objects, for ordered and hash maps
// keyed by names as the registry compares them.
struct NameLess {
  using is_transparent = void;  // ordered maps find views without making strings
  bool operator()(std::string_view a, std::string_view b) const {
    return CompareNames(a.data(), a.size(), b.data(), b.size()) < 0;
  }
};
struct NameEqual {
  bool operator()(std::string_view a, std::string_view b) const {
    return CompareNames(a.data(), a.size(), b.data(), b.size()) == 0;
  }
};
struct NameHash {
  size_t operator()(std::string_view name) const;
};
// The Unicode code point of a byte of the ANSI code page 1252.
uint32_t AnsiToUnicode(uint8_t byte);

// Reads and parses a file; error names the path.
bool ReadFile(const std::string& path, File& out, std::string& error);

}  // namespace regfile
