// The host's association table: keys Type0, Type1, ... below AssocKeyPath,
// each with eight text values. Every call points RegistryBasePath at the key
// it needs and sets it back to the value it found before returning.
#include "storage/assoc_store.h"

#include <vector>

#include "host/interface/startup_state.h"
#include "model/text.h"
#include "storage/registry_access.h"

namespace {

constexpr int32_t RecordPathSize = 261;

// The path of key TypeN. A path that would not fit is refused rather than
// cut, since the cut path would name another key.
bool ComposeRecordPath(char* path, int32_t n) {
  if (FormatBounded(path, RecordPathSize, "%s\\Type%d", AssocKeyPath, n) >= 0) return true;
  path[0] = 0;
  return false;
}

// Reads one value of the current record key whole, however long, and trims
// it: leading blanks never cost a field room, and a value whose trimmed text
// fits is read whole.
char* ReadTrimmed(const char* name, std::vector<char>& buffer) {
  return TrimBlanks(ReadWholeText(nullptr, name, buffer, ""));
}

}  // namespace

bool ReadAssocRecord(AssocRecord& record, int32_t n) {
  char path[RecordPathSize];
  if (!ComposeRecordPath(path, n)) return false;
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

bool WriteAssocRecord(const AssocRecord& record, int32_t n) {
  char path[RecordPathSize];
  if (!ComposeRecordPath(path, n)) {
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

bool LoadAssociations(AssocList& list) {
  AssocRecord scratch;
  scratch.Reset();
  if (!KeyExists(AssocKeyPath)) return false;
  for (int32_t n = 0; n >= 0 && ReadAssocRecord(scratch, n); ++n) list.Append(&scratch);
  return true;
}

bool SaveAssociations(const AssocList& list) {
  // A table key that is already gone (an earlier save failed right after
  // deleting it) is nothing to delete; refusing to save then would leave the
  // table lost for good.
  if (KeyExists(AssocKeyPath) && !DeleteKeyTree(HKEY_CURRENT_USER, AssocKeyPath)) return false;
  HKEY key = nullptr;
  {
    const BasePathRedirect atTable(AssocKeyPath);
    key = OpenOrCreateKey("");
  }
  if (key == nullptr) return false;
  RegCloseKey(key);
  for (uint32_t i = 0; i < list.Count(); ++i) {
    if (!WriteAssocRecord(*list.At(i), static_cast<int32_t>(i))) return false;
  }
  return true;
}
