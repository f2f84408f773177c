#include "workload.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/entry/startup.h"
#include "storage/assoc_store.h"
#include "storage/registry_access.h"
#include "storage/settings.h"
#include "ui/list_screen.h"

namespace bench {

bool captureNextMenu = false;
std::vector<HostMenuItem> captured;
int menuCalls = 0;

namespace {

int TOLLEX_CALL LeanMenu(int32_t, int, int, int, uint32_t, const char*, const char*, const char*, const uint32_t*,
                         int* breakCode, const HostMenuItem* items, int itemCount) {
  ++menuCalls;
  if (captureNextMenu) {
    captured.assign(items, items + itemCount);
    captureNextMenu = false;
  }
  if (breakCode) *breakCode = -1;
  return -1;
}

const char* TOLLEX_CALL LeanMessage(int32_t, int number) {
  switch (number) {
    case 15: return "entries";
    case 22: return "Description";
    case 23: return "Execute";
    case 24: return "View";
    case 25: return "Edit";
    case 26: return "Mask";
    case 27: return "Ins, Del, F4, Ctrl+Up, Ctrl+Down, Space, Ctrl+F1..F5";
    default: return "";
  }
}

int TOLLEX_CALL NoDialog(int32_t, int, int, int, int, const char*, HostDialogItem*, int) { return -1; }
int TOLLEX_CALL NoMessage(int32_t, uint32_t, const char*, const char* const*, int, int) { return -1; }

HostStartupInfo leanHost{};

// A small linear congruential generator: the same table in every build.
struct Numbers {
  uint32_t state;
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  int Between(int low, int high) { return low + static_cast<int>(Next() % static_cast<uint32_t>(high - low + 1)); }
};

// A text of exactly `length` characters made of words, with no blank at
// either end (the store trims them, and the check compares what it reads
// back).
std::string Words(Numbers& numbers, const char* lead, int length) {
  static const char* const pool[] = {"archive", "view",  "-x",   "%s",   "unpack", "text",  "/r",
                                     "image",   "media", "play", "open", "edit",   "files", "!.!"};
  std::string text = lead;
  while (static_cast<int>(text.size()) < length) {
    text += ' ';
    text += pool[numbers.Next() % (sizeof(pool) / sizeof(pool[0]))];
  }
  text.resize(static_cast<size_t>(length));
  while (!text.empty() && text.back() == ' ') text.back() = 'x';
  return text;
}

}  // namespace

void InstallLeanHost() {
  leanHost.recordSize = static_cast<int32_t>(sizeof(HostStartupInfo));
  leanHost.pluginId = 1;
  leanHost.rootKeyPath = "Software\\TollexBench\\Plugins";
  leanHost.showMenu = &LeanMenu;
  leanHost.runDialog = &NoDialog;
  leanHost.showMessage = &NoMessage;
  leanHost.getMessageText = &LeanMessage;
  HostInfo = &leanHost;
}

void UseScreenSettings() {
  PluginSettings = DefaultSettings();
  for (const CommandColumn& column : CommandColumns) {
    PluginSettings.*column.shown = 1;
    PluginSettings.*column.limit = 30;
  }
  PluginSettings.SortType = SortMaskAsc;
}

void FillTable(AssocList& list, int n, int headerEvery) {
  Numbers numbers{0x7011u};
  AssocRecord record;
  char number[16];
  for (int i = 0; i < n; ++i) {
    record.Reset();
    std::snprintf(number, sizeof number, "%d", i);
    if (headerEvery > 0 && i % headerEvery == 0) {
      record.group = 1;
      record.Mask = Words(numbers, "Group", numbers.Between(8, 30)).c_str();
    } else {
      record.Description = Words(numbers, "Files", numbers.Between(5, 40)).c_str();
      record.Execute = Words(numbers, "run", numbers.Between(5, 45)).c_str();
      record.AltExec = Words(numbers, "alt", numbers.Between(0, 20)).c_str();
      record.View = Words(numbers, "show", numbers.Between(0, 35)).c_str();
      record.AltView = Words(numbers, "alt", numbers.Between(0, 20)).c_str();
      record.Edit = Words(numbers, "ed", numbers.Between(0, 35)).c_str();
      record.AltEdit = Words(numbers, "alt", numbers.Between(0, 20)).c_str();
      std::string mask = "*.a" + std::string(number) + ",*.B" + std::string(number);
      const size_t maskLength = static_cast<size_t>(numbers.Between(10, 60));
      while (mask.size() < maskLength) mask += ",*.c" + std::to_string(numbers.Next() % 1000);
      record.Mask = mask.c_str();
    }
    record.marked = i % 7 == 3 ? 1 : 0;
    list.Append(&record);
  }
}

void CopyPassBytes(const std::vector<HostMenuItem>& lines) {
  const size_t count = lines.size();
  auto* block = static_cast<HostMenuItem*>(std::malloc(count * sizeof(HostMenuItem)));
  for (size_t i = 0; i < count; ++i) std::memcpy(block + i, &lines[i], sizeof(HostMenuItem));
  // Keeps the copies from being optimised away.
  volatile char sink = block[count - 1].text[0];
  (void)sink;
  std::free(block);
}

namespace {

int32_t Cap(int32_t width, int32_t cap) { return width < cap ? width : (cap < 0 ? 0 : cap); }

// Composes into a menu line's text, never past its 127 characters.
struct LineWriter {
  char* text;
  int32_t used = 0;
  void Put(const char* source, int32_t n) {
    if (n > 127 - used) n = 127 - used;
    if (n > 0) std::memcpy(text + used, source, static_cast<size_t>(n));
    if (n > 0) used += n;
  }
  void Pad(int32_t n) {
    if (n > 127 - used) n = 127 - used;
    if (n > 0) std::memset(text + used, ' ', static_cast<size_t>(n));
    if (n > 0) used += n;
  }
  void Column(const TextField& field, int32_t width) {
    Put("\xB3", 1);
    if (field.Length() <= width) {
      Put(field.Text(), field.Length());
      Pad(width - field.Length());
    } else {
      Put(field.Text(), width - 1);
      Put("}", 1);
    }
  }
};

}  // namespace

void LeanPass(const AssocList& list, MenuLineList& lines) {
  lines.Clear();
  const uint32_t total = list.Count();
  int32_t descriptionWidth = 0;
  int32_t widths[CommandColumnCount] = {};  // 0 for a column left out
  for (uint32_t i = 0; i < total; ++i) {
    const AssocRecord* r = list.At(i);
    if (r->Description.Length() > descriptionWidth) descriptionWidth = r->Description.Length();
    for (int c = 0; c < CommandColumnCount; ++c) {
      const int32_t length = (r->*CommandColumns[c].field).Length();
      if (length > widths[c]) widths[c] = length;
    }
  }
  for (int c = 0; c < CommandColumnCount; ++c) {
    widths[c] = PluginSettings.*CommandColumns[c].shown != 0 ? Cap(widths[c], PluginSettings.*CommandColumns[c].limit)
                                                             : 0;
  }

  HostMenuItem work;
  int32_t longest = 0;
  for (uint32_t i = 0; i < total; ++i) {
    const AssocRecord* r = list.At(i);
    std::memset(&work, 0, sizeof work);
    if (!r->group) {
      LineWriter line{work.text};
      line.Put(r->Description.Text(), r->Description.Length());
      line.Pad(descriptionWidth - r->Description.Length());
      for (int c = 0; c < CommandColumnCount; ++c) {
        if (widths[c] != 0) line.Column(r->*CommandColumns[c].field, widths[c]);
      }
      line.Put("\xB3", 1);
      line.Put(r->Mask.Text(), r->Mask.Length());
      if (line.used > longest) longest = line.used;
    }
    if (r->marked) work.flags |= MenuItemChecked;
    work.userData = static_cast<int32_t>(i);
    lines.Append(work);
  }
  std::memset(&work, 0, sizeof work);
  lines.Append(work);

  const char groupChar = static_cast<char>(PluginSettings.GroupChar);
  for (uint32_t i = 0; i < total; ++i) {
    const AssocRecord* r = list.At(i);
    if (!r->group) continue;
    char* text = lines.At(static_cast<int32_t>(i))->text;
    std::memset(text, groupChar, static_cast<size_t>(longest));
    text[1] = ' ';
    text[longest] = 0;
    const int32_t n = r->Mask.Length() < 124 ? r->Mask.Length() : 124;
    std::memcpy(text + 2, r->Mask.Text(), static_cast<size_t>(n));
    text[2 + n] = ' ';
  }
}

namespace {
std::string settingsPath;
}

void UseStorePaths(const char* root) {
  std::snprintf(AssocKeyPath, AssocKeyPathSize, "%s\\Associations", root);
  settingsPath = std::string(root) + "\\Tollex";
  RegistryBasePath = settingsPath.c_str();
}

void RemoveStoreRoot(const char* root) { DeleteKeyTree(HKEY_CURRENT_USER, root); }

BarePlan::BarePlan(const AssocList& table) : tablePath(AssocKeyPath) {
  char path[300];
  for (uint32_t i = 0; i <= table.Count(); ++i) {
    std::snprintf(path, sizeof path, "%s\\Type%u", AssocKeyPath, i);
    paths.push_back(path);
  }
  for (uint32_t i = 0; i < table.Count(); ++i) {
    const AssocRecord* r = table.At(i);
    // The stored texts in the order of the record's field table; the mask
    // first, with the marker of a group header.
    for (const AssocField& field : AssocFields) {
      const char* text = (r->*field.member).Text();
      values.push_back(&field == &MaskField && r->group ? std::string(1, static_cast<char>(GroupMarker)) + text
                                                        : std::string(text));
    }
  }
}

int BarePlan::Load() const {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, tablePath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
  RegCloseKey(key);
  int read = 0;
  char buffer[261];
  const size_t records = paths.size() - 1;
  for (size_t i = 0; i < records; ++i) {
    for (int v = 0; v < AssocFieldCount; ++v) {
      if (RegOpenKeyA(HKEY_CURRENT_USER, paths[i].c_str(), &key) != ERROR_SUCCESS) continue;
      DWORD size = sizeof buffer;
      if (RegQueryValueExA(key, AssocFields[v].name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) ==
          ERROR_SUCCESS) {
        ++read;
      }
      RegCloseKey(key);
    }
  }
  // The key after the last record is missing: that open ends the load.
  if (RegOpenKeyA(HKEY_CURRENT_USER, paths[records].c_str(), &key) == ERROR_SUCCESS) RegCloseKey(key);
  return read;
}

bool BarePlan::DeleteTree(HKEY parent, const char* subkey) const {
  HKEY key;
  LONG code = RegOpenKeyExA(parent, subkey, 0, KEY_READ | KEY_WRITE, &key);
  if (code != ERROR_SUCCESS) return false;
  for (;;) {
    char name[1024];
    std::memset(name, 0, sizeof name);
    DWORD capacity = sizeof name;
    code = RegEnumKeyExA(key, 0, name, &capacity, nullptr, nullptr, nullptr, nullptr);
    if (code == ERROR_NO_MORE_ITEMS) {
      code = ERROR_SUCCESS;
      break;
    }
    if (code != ERROR_SUCCESS || !DeleteTree(key, name)) {
      code = ERROR_ACCESS_DENIED;
      break;
    }
  }
  if (code == ERROR_SUCCESS) code = RegDeleteKeyA(parent, subkey);
  RegCloseKey(key);
  return code == ERROR_SUCCESS;
}

bool BarePlan::Save() const {
  if (!DeleteTree(HKEY_CURRENT_USER, tablePath.c_str())) return false;
  HKEY key;
  // Opening a key that does not exist, then creating it: the table key, and
  // then each record's key.
  auto openOrCreate = [&key](const char* path) {
    if (RegOpenKeyA(HKEY_CURRENT_USER, path, &key) == ERROR_SUCCESS) return true;
    return RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                           nullptr) == ERROR_SUCCESS;
  };
  if (!openOrCreate(tablePath.c_str())) return false;
  RegCloseKey(key);
  const size_t records = paths.size() - 1;
  bool allStored = true;
  for (size_t i = 0; i < records; ++i) {
    if (!openOrCreate(paths[i].c_str())) return false;
    RegCloseKey(key);
    for (int v = 0; v < AssocFieldCount; ++v) {
      if (RegOpenKeyA(HKEY_CURRENT_USER, paths[i].c_str(), &key) != ERROR_SUCCESS) return false;
      const std::string& text = values[i * AssocFieldCount + static_cast<size_t>(v)];
      allStored &= RegSetValueExA(key, AssocFields[v].name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
      RegCloseKey(key);
    }
  }
  return allStored;
}

namespace {

std::string Describe(const AssocRecord& a, const AssocRecord& b, uint32_t index) {
  if (a.group != b.group) return "record " + std::to_string(index) + ": group flag differs";
  for (const AssocField& field : AssocFields) {
    const TextField& fa = a.*field.member;
    const TextField& fb = b.*field.member;
    if (std::strcmp(fa.Text(), fb.Text()) != 0) {
      return "record " + std::to_string(index) + " " + field.name + ": \"" + fa.Text() + "\" vs \"" + fb.Text() + "\"";
    }
  }
  return "";
}

// Loads the table key and compares it with the table; also checks that the
// key holds no subkey beyond the last record.
std::string CompareStored(const AssocList& table, const char* what) {
  AssocList loaded;
  if (!LoadAssociations(loaded)) return std::string(what) + ": the table key is missing";
  if (loaded.Count() != table.Count()) {
    return std::string(what) + ": " + std::to_string(loaded.Count()) + " records read back, " +
           std::to_string(table.Count()) + " written";
  }
  for (uint32_t i = 0; i < table.Count(); ++i) {
    std::string difference = Describe(*table.At(i), *loaded.At(i), i);
    if (!difference.empty()) return std::string(what) + ": " + difference;
  }
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, AssocKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return std::string(what) + ": cannot open the table key";
  }
  char name[300];
  DWORD size = sizeof name;
  LONG code = RegEnumKeyExA(key, table.Count(), name, &size, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  if (code != ERROR_NO_MORE_ITEMS) return std::string(what) + ": more subkeys than records";
  return "";
}

}  // namespace

std::string CheckStoreFloor(const AssocList& table, const char* root) {
  UseStorePaths(root);
  AssocList expected;
  // The store reads back what it wrote, without the marks.
  for (uint32_t i = 0; i < table.Count(); ++i) {
    AssocRecord copy = *table.At(i);
    copy.marked = 0;
    expected.Append(&copy);
  }
  // A save deletes the old table first and fails when there is none, as
  // the host always has one: start from an empty table key.
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, AssocKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return "cannot create the table key";
  }
  RegCloseKey(key);
  if (!SaveAssociations(table)) return "SaveAssociations failed";
  std::string problem = CompareStored(expected, "after SaveAssociations");
  if (!problem.empty()) return problem;
  BarePlan plan(table);
  if (!plan.Save()) return "the bare save failed";
  problem = CompareStored(expected, "after the bare save");
  if (!problem.empty()) return problem;
  const int read = plan.Load();
  if (read != static_cast<int>(table.Count()) * 8) {
    return "the bare load read " + std::to_string(read) + " values of " + std::to_string(table.Count() * 8);
  }
  return "";
}

}  // namespace bench
