// Module functions over the dynamic loader.
//
// A module handle is the loader's handle of a loaded shared object (with
// glibc, its link map). Names are mapped to shared-object names by one rule,
// used by LoadLibraryA and GetModuleHandleA alike:
//   - every backslash becomes a slash, so "dir\Grivet.dll" is "dir/Grivet.dll";
//   - a final ".dll" extension, in any letter case, becomes ".so", so
//     "Grivet.dll" is "Grivet.so"; other names are left as they are.
// A mapped name without a slash is searched for by the loader's own rules
// (LD_LIBRARY_PATH, the run path, the system's library directories), which
// take the place of the Windows search order. File names themselves are
// compared with their letter case, as the file system does.
#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include <string>

#include <windows.h>

namespace {

std::string MapModuleName(const char* name) {
  std::string mapped(name);
  for (char& c : mapped) {
    if (c == '\\') c = '/';
  }
  const size_t n = mapped.size();
  if (n >= 4 && strcasecmp(mapped.c_str() + n - 4, ".dll") == 0) mapped.replace(n - 4, 4, ".so");
  return mapped;
}

const char* BaseName(const char* path) {
  const char* slash = strrchr(path, '/');
  return slash ? slash + 1 : path;
}

// The link map of the main program, the head of the loader's list.
link_map* MainLinkMap() {
  void* self = dlopen(nullptr, RTLD_LAZY);
  if (!self) return nullptr;
  link_map* map = nullptr;
  if (dlinfo(self, RTLD_DI_LINKMAP, &map) != 0) map = nullptr;
  dlclose(self);
  while (map && map->l_prev) map = map->l_prev;
  return map;
}

// The loaded object a handle names, or null when it names none.
link_map* FindLoaded(HMODULE module) {
  for (link_map* map = MainLinkMap(); map; map = map->l_next) {
    if (reinterpret_cast<HMODULE>(map) == module) return map;
  }
  return nullptr;
}

bool SamePath(const char* a, const char* b) {
  char realA[PATH_MAX], realB[PATH_MAX];
  if (!realpath(a, realA) || !realpath(b, realB)) return strcmp(a, b) == 0;
  return strcmp(realA, realB) == 0;
}

std::string ExecutablePath() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return std::string();
  return std::string(path, static_cast<size_t>(n));
}

std::string ObjectPath(const link_map* map) {
  if (!map->l_name || map->l_name[0] == 0) return ExecutablePath();
  char resolved[PATH_MAX];
  if (realpath(map->l_name, resolved)) return resolved;
  return map->l_name;
}

}  // namespace

extern "C" HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  if (!moduleName) return reinterpret_cast<HMODULE>(MainLinkMap());
  std::string mapped = MapModuleName(moduleName);
  const bool withPath = mapped.find('/') != std::string::npos;
  for (link_map* map = MainLinkMap(); map; map = map->l_next) {
    if (!map->l_name || map->l_name[0] == 0) continue;
    bool match = withPath ? SamePath(map->l_name, mapped.c_str()) : strcmp(BaseName(map->l_name), mapped.c_str()) == 0;
    if (match) return reinterpret_cast<HMODULE>(map);
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

// As Windows (and Wine) do: copies at most size characters; a name that does
// not fit is cut to size characters without a terminator, the result is size
// and the last error ERROR_INSUFFICIENT_BUFFER.
extern "C" DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  std::string path;
  if (!module) {
    path = ExecutablePath();
  } else {
    link_map* map = FindLoaded(module);
    if (!map) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    path = ObjectPath(map);
  }
  if (path.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  if (!fileName || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() < size) {
    memcpy(fileName, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
  }
  memcpy(fileName, path.data(), size);
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

extern "C" HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
  if (!fileName || !fileName[0]) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string mapped = MapModuleName(fileName);
  void* handle = dlopen(mapped.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return static_cast<HMODULE>(handle);
}

extern "C" FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName) {
  if (!procName || !FindLoaded(module)) {
    SetLastError(module ? ERROR_PROC_NOT_FOUND : ERROR_INVALID_HANDLE);
    return nullptr;
  }
  dlerror();
  void* symbol = dlsym(static_cast<void*>(module), procName);
  if (!symbol) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

extern "C" BOOL WINAPI FreeLibrary(HMODULE module) {
  if (!module || !FindLoaded(module)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (dlclose(static_cast<void*>(module)) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
