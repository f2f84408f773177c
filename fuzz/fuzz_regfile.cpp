// The .reg reader on arbitrary bytes. A file it refuses must come with an
// error naming the line; a file it accepts must write out and read back as
// the same model, and writing that again must give the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "reg_format.h"

namespace {

[[noreturn]] void Fault(const char* what, const std::string& detail = std::string()) {
  std::fprintf(stderr, "regfile fuzz: %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
  std::abort();
}

bool SameValue(const regfile::Value& a, const regfile::Value& b) {
  return a.name == b.name && a.type == b.type && a.data == b.data;
}

void CheckSameModel(const regfile::File& a, const regfile::File& b) {
  if (a.keys.size() != b.keys.size()) Fault("key count changed over a write and a read");
  for (size_t k = 0; k < a.keys.size(); ++k) {
    const regfile::Key& ka = a.keys[k];
    const regfile::Key& kb = b.keys[k];
    if (ka.path != kb.path) Fault("key path changed", ka.path + " -> " + kb.path);
    if (ka.values.size() != kb.values.size()) Fault("value count changed", ka.path);
    for (size_t v = 0; v < ka.values.size(); ++v) {
      if (!SameValue(ka.values[v], kb.values[v])) Fault("value changed", ka.path + " : " + ka.values[v].name);
    }
  }
}

// "line N: ..." with N at least 1.
bool NamesALine(const std::string& error) {
  if (error.compare(0, 5, "line ") != 0) return false;
  size_t i = 5;
  long n = 0;
  while (i < error.size() && error[i] >= '0' && error[i] <= '9') n = n * 10 + (error[i++] - '0');
  return i > 5 && n >= 1 && error.compare(i, 2, ": ") == 0 && error.size() > i + 2;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  regfile::File first;
  std::string error;
  if (!regfile::Parse(bytes, first, error)) {
    if (!NamesALine(error)) Fault("refused without an error naming the line", error);
    if (!first.keys.empty()) Fault("a refused file still filled the model");
    return 0;
  }

  const std::string written = regfile::Write(first);
  regfile::File second;
  std::string error2;
  if (!regfile::Parse(std::vector<uint8_t>(written.begin(), written.end()), second, error2))
    Fault("the reader refuses what the writer wrote", error2);
  CheckSameModel(first, second);
  if (regfile::Write(second) != written) Fault("writing the re-read model gives other bytes");

  // Canonical order is a fixed point and loses nothing.
  regfile::File canonical = second;
  regfile::Canonicalize(canonical);
  size_t before = 0, after = 0;
  for (const auto& k : second.keys) before += k.values.size();
  for (const auto& k : canonical.keys) after += k.values.size();
  if (canonical.keys.size() != second.keys.size() || before != after) Fault("Canonicalize lost keys or values");
  regfile::File again = canonical;
  regfile::Canonicalize(again);
  CheckSameModel(canonical, again);
  return 0;
}
