// Helpers the fuzz targets share: texts drawn from the fuzz input with the
// bytes that matter to the plug-in made likely, plain copies of association
// records for comparing lists, and the failure report.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/assoc_list.h"

namespace fuzz {

[[noreturn]] inline void Fault(const char* what, const std::string& detail = std::string()) {
  std::fprintf(stderr, "FUZZ CHECK FAILED: %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
  std::abort();
}

inline void Check(bool condition, const char* what, const std::string& detail = std::string()) {
  if (!condition) Fault(what, detail);
}

// Blanks, tabs, the group marker, the column separator, format directives,
// mask characters and high OEM bytes come up far more often than in plain
// random bytes; any other byte can still come from the input.
inline char PickChar(FuzzedDataProvider& in, bool allowZero) {
  static const char common[] = " \t\x10\xB3\xCD%sdn*.?,;\\\"[]=aAbBeExXzZ019";
  const uint8_t b = in.ConsumeIntegral<uint8_t>();
  if (b < 0xC0) return common[b % (sizeof common - 1)];
  char c = static_cast<char>(in.ConsumeIntegral<uint8_t>());
  if (c == 0 && !allowZero) c = 'q';
  return c;
}

// A length of 0 to max, with the values around the field and line limits
// (124, 127, 260, 261) as likely as the short ones.
inline size_t PickLength(FuzzedDataProvider& in, size_t max) {
  switch (in.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
    case 1:
    case 2: return in.ConsumeIntegralInRange<size_t>(0, max < 12 ? max : 12);
    case 3: return in.ConsumeIntegralInRange<size_t>(max < 122 ? 0 : 122, max < 129 ? max : 129);
    case 4: return in.ConsumeIntegralInRange<size_t>(max < 258 ? 0 : 258, max < 263 ? max : 263);
    default: return in.ConsumeIntegralInRange<size_t>(0, max);
  }
}

inline std::string PickText(FuzzedDataProvider& in, size_t max, bool allowZero = false) {
  const size_t n = PickLength(in, max);
  std::string s;
  for (size_t i = 0; i < n && in.remaining_bytes() > 0; ++i) s.push_back(PickChar(in, allowZero));
  return s;
}

// An association record as plain texts: the eight fields in table order and
// the group flag. Marks are kept apart, since they are not content.
struct Entry {
  std::string fields[8];
  bool group = false;
  bool operator==(const Entry& other) const {
    if (group != other.group) return false;
    for (int i = 0; i < 8; ++i)
      if (fields[i] != other.fields[i]) return false;
    return true;
  }
  bool operator!=(const Entry& other) const { return !(*this == other); }
  bool operator<(const Entry& other) const {
    if (group != other.group) return group < other.group;
    for (int i = 0; i < 8; ++i)
      if (fields[i] != other.fields[i]) return fields[i] < other.fields[i];
    return false;
  }
};

// Field i of a record, in the order of the record's field table.
inline const TextField& FieldOf(const AssocRecord& r, int i) { return r.*AssocFields[i].member; }

inline Entry EntryOf(const AssocRecord& r) {
  Entry e;
  for (int i = 0; i < 8; ++i) e.fields[i] = FieldOf(r, i).Text();
  e.group = r.group != 0;
  return e;
}

inline std::vector<Entry> Entries(const AssocList& list) {
  std::vector<Entry> out;
  for (uint32_t i = 0; i < list.Count(); ++i) out.push_back(EntryOf(*list.At(i)));
  return out;
}

inline std::vector<bool> Marks(const AssocList& list) {
  std::vector<bool> out;
  for (uint32_t i = 0; i < list.Count(); ++i) out.push_back(list.At(i)->marked != 0);
  return out;
}

// A readable name of an entry for failure reports.
inline std::string Describe(const Entry& e) {
  std::string s = e.group ? "[group] " : "";
  for (unsigned char c : e.fields[0]) {
    if (c >= 0x20 && c < 0x7F) {
      s.push_back(static_cast<char>(c));
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      s += hex;
    }
  }
  return s;
}

}  // namespace fuzz
