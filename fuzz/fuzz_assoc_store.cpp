// Loading the association table from an arbitrary registry: the input is a
// list of registry operations (keys TypeN with gaps, odd names and subkeys;
// values of any name, type, length and bytes; deletions). The table is
// loaded, checked against what the raw registry bytes say it must be, saved,
// checked as stored, and loaded again, which must give the same list.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "host/entry/startup.h"
#include "storage/assoc_store.h"
#include "storage/registry_access.h"
#include "winport.h"

using fuzz::Check;
using fuzz::Entry;

namespace {

const char* const Root = "Software\\Fuzz\\Host";
const char* const AssocPath = "Software\\Fuzz\\Host\\Associations";
const char* const SettingsPath = "Software\\Fuzz\\Host\\Plugins\\Tollex";
// The eight value names, in the order of the record's field table.
const char* ValueName(int i) { return AssocFields[i].name; }
const std::string Hive = "HKEY_CURRENT_USER\\";

std::string PickKey(FuzzedDataProvider& in, bool table) {
  const std::string base = table ? AssocPath : std::string(Root) + (in.ConsumeBool() ? "\\Associationsx" : "\\Assoc");
  const int n = in.ConsumeIntegralInRange<int>(0, 24);
  switch (in.ConsumeIntegralInRange<int>(0, 15)) {
    case 0: return base;
    case 1: return base + "\\Type" + std::to_string(n) + "\\Sub";
    case 2: return base + "\\type" + std::to_string(n);
    case 3: return base + "\\Type0" + std::to_string(n);
    case 4: return base + "\\Type-" + std::to_string(n);
    default: return base + "\\Type" + std::to_string(n);
  }
}

std::string PickValueName(FuzzedDataProvider& in) {
  const int which = in.ConsumeIntegralInRange<int>(0, 10);
  if (which == 9) return "";
  if (which == 10) return fuzz::PickText(in, 12);
  std::string name = ValueName(which % 8);
  const uint8_t flips = in.ConsumeIntegral<uint8_t>();  // letter case does not matter to the registry
  for (size_t i = 0; i < name.size() && i < 8; ++i)
    if (flips & (1u << i)) name[i] = static_cast<char>(name[i] ^ 0x20);
  return name;
}

uint32_t PickType(FuzzedDataProvider& in) {
  static const uint32_t types[] = {REG_SZ,    REG_SZ,     REG_SZ,       REG_EXPAND_SZ,
                                   REG_DWORD, REG_BINARY, REG_MULTI_SZ, REG_NONE};
  const int which = in.ConsumeIntegralInRange<int>(0, 8);
  return which < 8 ? types[which] : in.ConsumeIntegral<uint32_t>();
}

std::vector<uint8_t> PickData(FuzzedDataProvider& in) {
  std::vector<uint8_t> data;
  if (in.ConsumeIntegralInRange<int>(0, 5) == 0) {
    data = in.ConsumeBytes<uint8_t>(fuzz::PickLength(in, 700));
  } else {
    const std::string text = fuzz::PickText(in, 400, true);
    data.assign(text.begin(), text.end());
    if (in.ConsumeIntegralInRange<int>(0, 7) != 0) data.push_back(0);
  }
  return data;
}

void BuildRegistry(FuzzedDataProvider& in, bool table) {
  if (table) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, AssocPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS)
      RegCloseKey(key);
  }
  for (int op = 0; op < 96 && in.remaining_bytes() > 0; ++op) {
    const int kind = in.ConsumeIntegralInRange<int>(0, 9);
    const std::string path = PickKey(in, table);
    HKEY key = nullptr;
    if (kind == 9) {
      RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());  // refused while it has subkeys; either is fine
      continue;
    }
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      continue;
    if (kind == 8) {
      RegDeleteValueA(key, PickValueName(in).c_str());
    } else if (kind != 0) {
      const std::string name = PickValueName(in);
      const uint32_t type = PickType(in);
      const std::vector<uint8_t> data = PickData(in);
      RegSetValueExA(key, name.c_str(), 0, type, data.empty() ? nullptr : data.data(), static_cast<DWORD>(data.size()));
    }
    RegCloseKey(key);
  }
}

// Names compared as the registry compares them.
bool SameName(const std::string& a, const std::string& b) { return regfile::CompareNames(a, b) == 0; }

const regfile::Key* FindKey(const regfile::File& file, const std::string& relative) {
  for (const regfile::Key& key : file.keys)
    if (SameName(key.path, Hive + relative)) return &key;
  return nullptr;
}

const regfile::Value* FindValue(const regfile::Key& key, const char* name) {
  for (const regfile::Value& value : key.values)
    if (SameName(value.name, name)) return &value;
  return nullptr;
}

// What a value reads as: its bytes up to the first zero, however many,
// without leading and trailing spaces and tabs. A missing value reads as the
// empty text.
std::string TrimmedText(const regfile::Key& key, const char* name) {
  const regfile::Value* value = FindValue(key, name);
  if (value == nullptr) return "";
  std::string text;
  for (uint8_t b : value->data) {
    if (b == 0) break;
    text.push_back(static_cast<char>(b));
  }
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// What a field keeps of a trimmed text: at most 260 characters, and not the
// blanks a cut leaves at the end.
std::string Fitted(std::string text) {
  if (text.size() <= 260) return text;
  text.resize(260);
  const size_t last = text.find_last_not_of(" \t");
  return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

// The table the registry holds: Type0, Type1, ... up to the first key that is
// missing or whose Mask reads as empty. A group title is what follows the
// marker in the trimmed Mask.
std::vector<Entry> ExpectedTable(const regfile::File& exported) {
  std::vector<Entry> table;
  for (int n = 0;; ++n) {
    const regfile::Key* key = FindKey(exported, std::string(AssocPath) + "\\Type" + std::to_string(n));
    if (key == nullptr) break;
    Entry e;
    std::string mask = TrimmedText(*key, "Mask");
    if (mask.empty()) break;
    if (static_cast<unsigned char>(mask[0]) == GroupMarker) {
      e.group = true;
      mask.erase(0, 1);
    }
    e.fields[0] = Fitted(mask);
    for (int i = 1; i < 8; ++i) e.fields[i] = Fitted(TrimmedText(*key, ValueName(i)));
    table.push_back(e);
  }
  return table;
}

void CheckList(const AssocList& list, const std::vector<Entry>& expected, const char* when) {
  const std::vector<Entry> got = fuzz::Entries(list);
  Check(got.size() == expected.size(), when,
        "records " + std::to_string(got.size()) + ", expected " + std::to_string(expected.size()));
  for (size_t i = 0; i < got.size(); ++i) {
    Check(got[i] == expected[i], when, "record " + std::to_string(i) + " " + fuzz::Describe(got[i]));
    Check(list.At(static_cast<uint32_t>(i))->marked == 0, when, "a loaded record is marked");
    for (int f = 0; f < 8; ++f)
      Check(fuzz::FieldOf(*list.At(static_cast<uint32_t>(i)), f).Length() ==
                static_cast<int32_t>(got[i].fields[f].size()),
            when, "a field's cached length is wrong");
  }
}

// After a save the table key holds Type0 ... TypeN-1 and nothing else, each
// with the eight texts and nothing else.
void CheckStored(const std::vector<Entry>& table) {
  const regfile::File stored = WinportRegistryExport(AssocPath);
  Check(stored.keys.size() == table.size() + 1, "stored table has other keys than Type0..TypeN-1",
        std::to_string(stored.keys.size()) + " keys for " + std::to_string(table.size()) + " records");
  const regfile::Key* top = FindKey(stored, AssocPath);
  Check(top != nullptr && top->values.empty(), "the table key itself keeps values after a save");
  for (size_t n = 0; n < table.size(); ++n) {
    const regfile::Key* key = FindKey(stored, std::string(AssocPath) + "\\Type" + std::to_string(n));
    Check(key != nullptr, "a saved record has no key", std::to_string(n));
    Check(key->values.size() == 8, "a saved record key does not hold exactly eight values", std::to_string(n));
    for (int i = 0; i < 8; ++i) {
      const regfile::Value* value = FindValue(*key, ValueName(i));
      Check(value != nullptr, "a saved value is missing", ValueName(i));
      std::string want = table[n].fields[i];
      if (i == 0 && table[n].group) want.insert(want.begin(), static_cast<char>(GroupMarker));
      std::vector<uint8_t> bytes(want.begin(), want.end());
      bytes.push_back(0);
      Check(value->type == REG_SZ && value->data == bytes, "a saved value differs from its field", ValueName(i));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  WinportRegistryClear();
  WinportRegistryFailNthWrite(0);
  std::strncpy(AssocKeyPath, AssocPath, AssocKeyPathSize - 1);
  RegistryBasePath = SettingsPath;

  const bool table = in.ConsumeIntegralInRange<int>(0, 15) != 0;
  BuildRegistry(in, table);
  const std::vector<Entry> expected = ExpectedTable(WinportRegistryExport(AssocPath));

  AssocList first;
  const bool loaded = LoadAssociations(first);
  Check(RegistryBasePath == SettingsPath, "LoadAssociations left the base path changed");
  Check(loaded == KeyExists(AssocPath), "LoadAssociations result differs from the key's existence");
  if (!loaded) {
    Check(first.Count() == 0, "a failed load filled the list");
    return 0;
  }
  CheckList(first, expected, "first load differs from the registry");

  Check(SaveAssociations(first), "SaveAssociations failed without a fault");
  Check(RegistryBasePath == SettingsPath, "SaveAssociations left the base path changed");
  CheckStored(expected);

  AssocList second;
  Check(LoadAssociations(second), "the saved table does not load");
  CheckList(second, expected, "second load differs from the first");
  return 0;
}
