// An association table: keys Type0, Type1, ... below the table's key (the
// host's AssocKeyPath, or the journal's), each with eight text values. Every
// call points RegistryBasePath at the key it needs and sets it back to the
// value it found before returning.
#include "storage/assoc_store.h"

#include <vector>

#include "host/interface/startup_state.h"
#include "model/text.h"
#include "storage/registry_access.h"

namespace {

// As long as a path the registry layer composes: the journal lies below the
// settings key, whose path may be longer than the host's table's.
constexpr int32_t RecordPathSize = 1024;

// The path of key TypeN below a table. A path that would not fit is refused
// rather than cut, since the cut path would name another key.
bool ComposeRecordPath(char* path, const char* table, int32_t n) {
  if (FormatBounded(path, RecordPathSize, "%s\\Type%d", table, n) >= 0) return true;
  path[0] = 0;
  return false;
}

// The number of a key name "Type" + decimal digits, read strictly (no sign,
// no leading zero, no blank, within int32_t) as the load's "Type%d" names
// it, the prefix in any letter case as the registry matches names; -1 for
// any other name.
int32_t TypeNumber(const char* name) {
  const char* digits = AfterNamePrefix(name, "type");
  if (digits == nullptr) return -1;
  if (digits[0] < '0' || digits[0] > '9' || (digits[0] == '0' && digits[1] != 0)) return -1;
  int64_t n = 0;
  for (const char* d = digits; *d; ++d) {
    if (*d < '0' || *d > '9') return -1;
    n = n * 10 + (*d - '0');
    if (n > INT32_MAX) return -1;
  }
  return static_cast<int32_t>(n);
}

// Reads one value of the current record key whole, however long, and trims
// it: leading blanks never cost a field room, and a value whose trimmed text
// fits is read whole.
char* ReadTrimmed(const char* name, std::vector<char>& buffer) {
  return TrimBlanks(ReadWholeText(nullptr, name, buffer, ""));
}

}  // namespace

bool ReadAssocRecord(AssocRecord& record, int32_t n, const char* tablePath) {
  char path[RecordPathSize];
  if (!ComposeRecordPath(path, tablePath, n)) return false;
  const BasePathRedirect atRecord(path);
  std::vector<char> buffer;
  char* text = ReadTrimmed(MaskField.name, buffer);
  if (text[0] == 0) return false;
  // Every value keeps as much of its trimmed text as a field holds, and
  // never ends in a blank the cut exposed. A group title is what follows
  // the marker, not trimmed again, so the marker costs it no room.
  if (static_cast<unsigned char>(text[0]) == GroupMarker) {
    record.group = 1;
    record.Mask = CutToFit(text + 1, TextFieldChars);
  } else {
    record.group = 0;
    record.Mask = CutToFit(text, TextFieldChars);
  }
  // The other values follow in the order of the fields (the mask is the first).
  for (const AssocField& field : AssocFields) {
    if (&field == &MaskField) continue;
    record.*field.member = CutToFit(ReadTrimmed(field.name, buffer), TextFieldChars);
  }
  return true;
}

bool WriteAssocRecord(const AssocRecord& record, int32_t n, const char* tablePath) {
  char path[RecordPathSize];
  if (!ComposeRecordPath(path, tablePath, n)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const BasePathRedirect atRecord(path);
  HKEY key = OpenOrCreateKey("");
  if (key == nullptr) return false;
  RegCloseKey(key);
  const char* mask = record.group ? FormatShared("%c%s", GroupMarker, record.Mask.Text()) : record.Mask.Text();
  // A value that could not be written fails the record, and so the save: a
  // missing Mask would end the next load there and lose every later entry,
  // and any other missing value would silently empty its field.
  for (const AssocField& field : AssocFields) {
    if (!WriteText(nullptr, field.name, &field == &MaskField ? mask : (record.*field.member).Text())) return false;
  }
  return true;
}

bool LoadAssociations(AssocList& list, const char* tablePath) {
  AssocRecord scratch;
  scratch.Reset();
  if (!KeyExists(tablePath)) return false;
  for (int32_t n = 0; n >= 0 && ReadAssocRecord(scratch, n, tablePath); ++n) list.Append(&scratch);
  return true;
}

bool SaveAssociations(const AssocList& list, const char* tablePath) {
  // A table key that is already gone (an earlier save failed right after
  // deleting it) is nothing to delete; refusing to save then would leave the
  // table lost for good.
  if (KeyExists(tablePath) && !DeleteKeyTree(HKEY_CURRENT_USER, tablePath)) return false;
  HKEY key = nullptr;
  {
    const BasePathRedirect atTable(tablePath);
    key = OpenOrCreateKey("");
  }
  if (key == nullptr) return false;
  RegCloseKey(key);
  for (uint32_t i = 0; i < list.Count(); ++i) {
    if (!WriteAssocRecord(*list.At(i), static_cast<int32_t>(i), tablePath)) return false;
  }
  return true;
}

bool TableHoldsExactly(const AssocList& list) {
  AssocList stored;
  if (!LoadAssociations(stored) || !stored.SameContent(list)) return false;
  if (CountValues(AssocKeyPath) != 0 || CountSubkeys(AssocKeyPath) != static_cast<int32_t>(list.Count())) return false;
  for (uint32_t i = 0; i < list.Count(); ++i) {
    char path[RecordPathSize];
    if (!ComposeRecordPath(path, AssocKeyPath, static_cast<int32_t>(i))) return false;
    if (CountSubkeys(path) != 0 || CountValues(path) != AssocFieldCount) return false;
  }
  return true;
}

int32_t CountEntriesBeyondGap(int32_t loaded) {
  AssocRecord scratch;
  scratch.Reset();
  int32_t beyond = 0;
  char name[RecordPathSize];
  for (DWORD index = 0; SubkeyName(AssocKeyPath, index, name, sizeof name); ++index) {
    const int32_t n = TypeNumber(name);
    if (n > loaded && ReadAssocRecord(scratch, n)) ++beyond;
  }
  return beyond;
}
