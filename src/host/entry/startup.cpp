// The start-up work, the host version gate, the diagnostics library and the
// module's attach and detach work.
#include "host/entry/startup.h"

#include <cstring>

#include "host/base/exit_hook.h"
#include "host/interface/messages.h"
#include "model/text.h"
#include "storage/registry_access.h"

namespace {

// The module whose file name gives ModuleDirectory. When no module of that
// name is loaded, the system reports the host's executable instead.
const char ModuleName[] = "Pelmar.dll";
const char DiagnosticsName[] = "Grivet.dll";
const char DiagnosticsQuery[] = "ZUL_QueryInterface";

constexpr int32_t SettingsKeyPathSize = 1025;
constexpr int32_t SettingsKeyPathBound = 1024;
constexpr int32_t ModuleDirectorySize = 262;
constexpr DWORD ModuleNameLimit = 261;
constexpr int32_t LibraryPathSize = 261;

// Windows reports module file names with backslashes. The portable layer
// reports the platform's own paths, so the Linux build cuts at the last '/'
// and composes library paths with it (its LoadLibraryA accepts either).
#ifdef _WIN32
constexpr char PathSeparator = '\\';
const char DiagnosticsInDirectory[] = "\\Grivet.dll";
#else
constexpr char PathSeparator = '/';
const char DiagnosticsInDirectory[] = "/Grivet.dll";
#endif

// The oldest host accepted; each part is compared with its own minimum.
constexpr uint32_t MinMajor = 1;
constexpr uint32_t MinMinor = 70;
constexpr uint32_t MinBuild = 1282;

// The host record copy this module allocated (HostInfo normally points at it).
HostStartupInfo* recordCopy = nullptr;

void FreeOwnedBuffers() {
  if (HostInfo == recordCopy) HostInfo = nullptr;
  MemFree(recordCopy);
  recordCopy = nullptr;
  if (RegistryBasePath == SettingsKeyPath) RegistryBasePath = nullptr;
  MemFree(SettingsKeyPath);
  SettingsKeyPath = nullptr;
  MemFree(ModuleDirectory);
  ModuleDirectory = nullptr;
}

typedef uint32_t (*DiagnosticsQueryFn)();

}  // namespace

void FreeStartupData() {
  FreeOwnedBuffers();
  ModuleHandle = nullptr;
}

void FindModuleHandle() { ModuleHandle = GetModuleHandleA(ModuleName); }

void ModuleAttach() {
  FindModuleHandle();
  InstallExitHook(&FreeStartupData);
}

void ModuleDetach() { RunExitHook(); }

void CopyHostRecord(const HostStartupInfo* info) {
  FreeOwnedBuffers();
  recordCopy = static_cast<HostStartupInfo*>(MemAlloc(HostStartupCopySize));
  std::memset(recordCopy, 0, HostStartupCopySize);
  if (info) {
    // A host record may be shorter than the copy: take only what the host
    // declares, so nothing past its end is read, and leave the rest zero
    // (missing services are then null and are never called).
    int32_t declared = info->recordSize;
    size_t n = declared <= 0 ? 0 : static_cast<size_t>(declared);
    if (n > HostStartupCopySize) n = HostStartupCopySize;
    std::memcpy(recordCopy, info, n);
    recordCopy->recordSize = declared;
  }
  HostInfo = recordCopy;
}

void BuildSettingsKeyPath() {
  SettingsKeyPath = static_cast<char*>(MemAlloc(SettingsKeyPathSize));
  CopyBounded(SettingsKeyPath, HostInfo->rootKeyPath, SettingsKeyPathBound);
  AppendBounded(SettingsKeyPath, "\\", SettingsKeyPathBound);
  AppendBounded(SettingsKeyPath, "Tollex", SettingsKeyPathBound);
  RegistryBasePath = SettingsKeyPath;
}

bool BuildModuleDirectory() {
  ModuleDirectory = static_cast<char*>(MemAlloc(ModuleDirectorySize));
  DWORD n = GetModuleFileNameA(ModuleHandle, ModuleDirectory, ModuleNameLimit);
  if (n > ModuleNameLimit) n = ModuleNameLimit;
  ModuleDirectory[n] = 0;
  char* last = std::strrchr(ModuleDirectory, PathSeparator);
  if (last) *last = 0;
  return n != 0;
}

void LoadDiagnosticsLibrary(bool haveDirectory) {
  HMODULE library = LoadLibraryA(DiagnosticsName);
  if (!library && haveDirectory) {
    // Only a path that fits whole is tried: a cut path would name some other
    // file, which the system might then load in its place.
    if (TextLength(ModuleDirectory) + TextLength(DiagnosticsInDirectory) <= LibraryPathSize - 1) {
      char path[LibraryPathSize];
      CopyBounded(path, ModuleDirectory, LibraryPathSize);
      AppendBounded(path, DiagnosticsInDirectory, LibraryPathSize);
      library = LoadLibraryA(path);
    }
  }
  if (!library) return;
  FARPROC entry = GetProcAddress(library, DiagnosticsQuery);
  if (entry) {
    auto query = reinterpret_cast<DiagnosticsQueryFn>(reinterpret_cast<void (*)()>(entry));
    if (query() != 0) {
      DiagnosticsLibrary = library;
      return;
    }
  }
  FreeLibrary(library);
}

void BuildAssocKeyPath() {
  std::memset(AssocKeyPath, 0, sizeof AssocKeyPath);
  const char* root = HostInfo->rootKeyPath;
  int32_t length = TextLength(root);
  // The last path component of rootKeyPath ("Plugins", 7 characters) gives
  // way to "Associations". A shorter root has no such component and a longer
  // one would not fit the buffer: then the path stays empty rather than cut,
  // since a cut or empty path would name some other key (or the whole hive)
  // and saving deletes the tree below it.
  if (length < AssocRootMinLength || length > AssocRootMaxLength) return;
  CopyBounded(AssocKeyPath, root, length - AssocRootMinLength + 1);
  AppendBounded(AssocKeyPath, "Associations", AssocKeyPathSize);
}

bool CheckHostVersion() {
  bool result = false;
  uint32_t version = 0;
  if (!HostInfo) return false;
  if (HostInfo->recordSize >= static_cast<int32_t>(HostControlMinRecordSize) && HostInfo->hostControl) {
    if (HostInfo->hostControl(HostInfo->pluginId, HostControlGetVersion, &version) != 0) {
      uint32_t minor = version & 0xFF;
      uint32_t major = (version >> 8) & 0xFF;
      uint32_t build = version >> 16;
      result = major >= MinMajor && minor >= MinMinor && build >= MinBuild;
    }
  }
  if (!result && HostInfo->showMessage) {
    const char* items[4];
    items[0] = TextOrMessage(MsgVersionTitle);
    items[1] = FormatShared("VELK version: %d.%d.%d", static_cast<int>((version >> 8) & 0xFF),
                            static_cast<int>(version & 0xFF), static_cast<int>(version >> 16));
    items[2] = TextOrMessage(MsgVersionLine);
    items[3] = TextOrMessage(MsgButtonOk);
    // The array form: flags 1 only, so the last item is the button caption.
    HostInfo->showMessage(HostInfo->pluginId, 1, nullptr, items, 4, 1);
  }
  return result;
}
