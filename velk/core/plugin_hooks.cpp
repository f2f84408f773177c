#include "core/plugin_hooks.h"

#include <cstring>

#include "registry_write_switch.h"
#if !defined(_WIN32)
#include "winport.h"
#endif

namespace velk {

namespace {
// What ends velk after the picked call (ArmRegistryWriteEnd).
void (*endAfterWrite)() = nullptr;
}  // namespace

#if defined(_WIN32)

namespace {

winport::RegistryWriteSwitch writes;
int consoleColumns = 0;

decltype(&RegCreateKeyExA) realCreateKey = nullptr;
decltype(&RegSetValueExA) realSetValue = nullptr;
decltype(&RegDeleteKeyA) realDeleteKey = nullptr;
decltype(&RegDeleteValueA) realDeleteValue = nullptr;
decltype(&GetConsoleScreenBufferInfo) realConsoleInfo = nullptr;

// One counted call: fails instead of calling when the switch says so, and
// ends velk once it has returned when the switch says that.
template <typename Call>
LONG Counted(Call call) {
  const winport::RegistryWriteSwitch::Verdict verdict = writes.Count();
  const LONG code = verdict.fail ? ERROR_ACCESS_DENIED : call();
  if (verdict.endAfter && endAfterWrite) endAfterWrite();
  return code;
}

LONG WINAPI CountedCreateKey(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR className, DWORD options, REGSAM access,
                             LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition) {
  return Counted(
      [&] { return realCreateKey(key, subKey, reserved, className, options, access, security, result, disposition); });
}

LONG WINAPI CountedSetValue(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
  return Counted([&] { return realSetValue(key, name, reserved, type, data, size); });
}

LONG WINAPI CountedDeleteKey(HKEY key, LPCSTR subKey) {
  return Counted([&] { return realDeleteKey(key, subKey); });
}

LONG WINAPI CountedDeleteValue(HKEY key, LPCSTR name) {
  return Counted([&] { return realDeleteValue(key, name); });
}

BOOL WINAPI FixedWidthConsoleInfo(HANDLE console, PCONSOLE_SCREEN_BUFFER_INFO info) {
  if (!info) return realConsoleInfo(console, info);
  CONSOLE_SCREEN_BUFFER_INFO real;
  if (!realConsoleInfo(console, &real)) {
    // No console (a script run with redirected output): a standard one.
    std::memset(&real, 0, sizeof real);
    real.dwSize.Y = 25;
    real.srWindow.Bottom = 24;
    real.dwMaximumWindowSize.Y = 25;
  }
  real.dwSize.X = static_cast<SHORT>(consoleColumns);
  real.srWindow.Left = 0;
  real.srWindow.Right = static_cast<SHORT>(consoleColumns - 1);
  real.dwMaximumWindowSize.X = static_cast<SHORT>(consoleColumns);
  *info = real;
  return TRUE;
}

// Points every import of |function| in |module| at |replacement| and
// returns the address it had; null when the module does not import it.
void* PatchImport(HMODULE module, const char* dll, const char* function, void* replacement) {
  BYTE* base = reinterpret_cast<BYTE*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress) return nullptr;
  HMODULE exporter = GetModuleHandleA(dll);
  void* byAddress = exporter ? reinterpret_cast<void*>(GetProcAddress(exporter, function)) : nullptr;
  void* original = nullptr;
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
    auto* addrs = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    auto* names = imp->OriginalFirstThunk ? reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk)
                                          : nullptr;
    for (int i = 0; addrs[i].u1.Function; ++i) {
      bool match = false;
      if (names && !IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal)) {
        auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData);
        match = std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0;
      } else if (byAddress) {
        match = reinterpret_cast<void*>(addrs[i].u1.Function) == byAddress;
      }
      if (!match) continue;
      DWORD old;
      void* slot = &addrs[i].u1.Function;
      if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old)) continue;
      if (!original) original = reinterpret_cast<void*>(addrs[i].u1.Function);
      addrs[i].u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(slot, sizeof(void*), old, &old);
    }
  }
  return original;
}

template <typename Fn>
bool Redirect(HMODULE module, const char* dll, const char* function, Fn replacement, Fn& real) {
  void* original = PatchImport(module, dll, function, reinterpret_cast<void*>(replacement));
  if (!original) {
    // The plug-in does not call it: use the system's for completeness.
    HMODULE exporter = GetModuleHandleA(dll);
    real = exporter ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(exporter, function))) : nullptr;
    return false;
  }
  if (original != reinterpret_cast<void*>(replacement)) real = reinterpret_cast<Fn>(original);
  return true;
}

bool ArmSwitch(HMODULE plugin, int n, winport::RegistryWriteSwitch::Action action, std::string& error) {
  int patched = 0;
  patched += Redirect(plugin, "advapi32.dll", "RegCreateKeyExA", &CountedCreateKey, realCreateKey);
  patched += Redirect(plugin, "advapi32.dll", "RegSetValueExA", &CountedSetValue, realSetValue);
  patched += Redirect(plugin, "advapi32.dll", "RegDeleteKeyA", &CountedDeleteKey, realDeleteKey);
  patched += Redirect(plugin, "advapi32.dll", "RegDeleteValueA", &CountedDeleteValue, realDeleteValue);
  if (patched == 0) {
    error = "the plug-in imports none of the registry's writing functions";
    return false;
  }
  writes.Arm(n, action);
  return true;
}

}  // namespace

void DisarmRegistryWriteFault() {
  // A plug-in loaded afresh has its imports as the system set them; only
  // the count is left to forget.
  writes.Disarm();
  endAfterWrite = nullptr;
}

int RegistryWritesSeen() { return writes.Seen(); }

bool SetPluginConsoleWidth(HMODULE plugin, int columns, std::string&) {
  consoleColumns = columns;
  // A plug-in that never asks has no import to redirect, and sees nothing
  // to change.
  Redirect(plugin, "kernel32.dll", "GetConsoleScreenBufferInfo", &FixedWidthConsoleInfo, realConsoleInfo);
  return true;
}

#else

namespace {

bool armed = false;

bool ArmSwitch(HMODULE, int n, winport::RegistryWriteSwitch::Action action, std::string&) {
  if (action == winport::RegistryWriteSwitch::Action::FailAccessDenied) {
    WinportRegistryFailNthWrite(n);
  } else {
    WinportRegistryEndAfterNthWrite(n, endAfterWrite);
  }
  armed = true;
  return true;
}

}  // namespace

void DisarmRegistryWriteFault() {
  WinportRegistryEndAfterNthWrite(0, nullptr);
  WinportRegistryFailNthWrite(0);
  endAfterWrite = nullptr;
  armed = false;
}

int RegistryWritesSeen() { return armed ? WinportRegistryWriteCount() : -1; }

bool SetPluginConsoleWidth(HMODULE, int columns, std::string&) {
  WinportSetConsoleWidth(columns);
  return true;
}

#endif

bool ArmRegistryWriteFault(HMODULE plugin, int n, std::string& error) {
  if (n < 1) {
    error = "the fault switch counts from 1";
    return false;
  }
  return ArmSwitch(plugin, n, winport::RegistryWriteSwitch::Action::FailAccessDenied, error);
}

bool ArmRegistryWriteEnd(HMODULE plugin, int n, void (*end)(), std::string& error) {
  if (n < 1 || end == nullptr) {
    error = "the ending switch counts from 1";
    return false;
  }
  endAfterWrite = end;
  return ArmSwitch(plugin, n, winport::RegistryWriteSwitch::Action::EndAfter, error);
}

}  // namespace velk
