// The registry of the native build: an in-memory key tree with the semantics
// of the ANSI registry functions as Wine implements them.
//
//  - Key and value names match without regard to case (code page 1252 taken
//    as Unicode, lower-cased) and keep the spelling they were created with.
//  - Subkeys and values are kept, and enumerated, in that name order.
//  - A subkey argument longer than 260 characters fails with ERROR_MORE_DATA,
//    one name longer than 256 with ERROR_INVALID_PARAMETER, a leading
//    backslash with ERROR_BAD_PATHNAME; empty path parts are skipped.
//  - Missing keys and values give ERROR_FILE_NOT_FOUND; a query into a buffer
//    that is too small gives ERROR_MORE_DATA, the needed size, and leaves the
//    buffer alone; RegDeleteKeyA refuses a key with subkeys with
//    ERROR_ACCESS_DENIED; a handle to a deleted key gives ERROR_KEY_DELETED.
//  - Values keep exactly the bytes and the length given: a REG_SZ holds its
//    terminator only when the caller's length includes it, and any type can
//    be read as bytes.
//  - RegOpenKeyA with a null or empty subkey gives back the handle passed in;
//    RegOpenKeyExA and RegCreateKeyExA always give a new handle.
//  - Access: values are read only through handles with KEY_QUERY_VALUE,
//    written or deleted only through handles with KEY_SET_VALUE, subkeys
//    enumerated only with KEY_ENUMERATE_SUB_KEYS; creating and deleting
//    subkeys is not checked against the parent's access.
//
// Handles are pointers to heap records; an unknown or closed handle gives
// ERROR_INVALID_HANDLE. One mutex guards the whole tree.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "reg_format.h"
#include "registry_write_switch.h"
#include "winport.h"

namespace {

constexpr size_t MaxSubkeyChars = 260;
constexpr size_t MaxKeyNameChars = 256;
constexpr size_t MaxValueNameChars = 16383;

struct StoredValue {
  std::string name;
  DWORD type = REG_NONE;
  std::vector<uint8_t> data;
};

struct Node {
  std::string name;
  Node* parent = nullptr;
  bool deleted = false;
  std::vector<std::shared_ptr<Node>> children;  // in name order
  std::vector<StoredValue> values;              // in name order
};

}  // namespace

struct WinportKey {
  std::shared_ptr<Node> node;
  REGSAM access;
};

namespace {

struct Registry {
  std::mutex mutex;
  std::shared_ptr<Node> currentUser = std::make_shared<Node>();
  std::shared_ptr<Node> localMachine = std::make_shared<Node>();
  std::shared_ptr<Node> classesRoot = std::make_shared<Node>();
  std::set<WinportKey*> handles;
  winport::RegistryWriteSwitch writes;  // counts from the start, picking no call
  void (*endAfterWrite)() = nullptr;    // called once the call the switch picked to end after has returned
  unsigned long long changes = 0;       // calls that may have changed the tree; never reset

  Registry() { writes.Arm(0, winport::RegistryWriteSwitch::Action::FailAccessDenied); }
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;  // never destroyed: handles may outlive static destruction
  return *registry;
}

bool Less(const std::string& a, const std::string& b) { return regfile::CompareNames(a, b) < 0; }

// Resolves a handle to its key. Caller holds the mutex.
LONG Resolve(Registry& r, HKEY key, Node*& node, REGSAM& access) {
  if (key == HKEY_CURRENT_USER) {
    node = r.currentUser.get();
    access = KEY_ALL_ACCESS;
    return ERROR_SUCCESS;
  }
  if (key == HKEY_LOCAL_MACHINE) {
    node = r.localMachine.get();
    access = KEY_ALL_ACCESS;
    return ERROR_SUCCESS;
  }
  if (key == HKEY_CLASSES_ROOT) {
    node = r.classesRoot.get();
    access = KEY_ALL_ACCESS;
    return ERROR_SUCCESS;
  }
  if (key == nullptr || r.handles.count(key) == 0) return ERROR_INVALID_HANDLE;
  if (key->node->deleted) return ERROR_KEY_DELETED;
  node = key->node.get();
  access = key->access;
  return ERROR_SUCCESS;
}

std::shared_ptr<Node> SharedOf(Registry& r, Node* node) {
  if (node == r.currentUser.get()) return r.currentUser;
  if (node == r.localMachine.get()) return r.localMachine;
  if (node == r.classesRoot.get()) return r.classesRoot;
  for (const auto& child : node->parent->children) {
    if (child.get() == node) return child;
  }
  return nullptr;
}

// Splits a subkey argument into its names, with the checks the real calls
// make. Null and "" give no names.
LONG SplitSubkey(const char* subKey, std::vector<std::string>& names) {
  names.clear();
  if (subKey == nullptr || subKey[0] == 0) return ERROR_SUCCESS;
  if (std::strlen(subKey) > MaxSubkeyChars) return ERROR_MORE_DATA;
  if (subKey[0] == '\\') return ERROR_BAD_PATHNAME;
  std::string part;
  for (const char* p = subKey;; ++p) {
    if (*p == '\\' || *p == 0) {
      if (!part.empty()) {
        if (part.size() > MaxKeyNameChars) return ERROR_INVALID_PARAMETER;
        names.push_back(part);
      }
      part.clear();
      if (*p == 0) break;
    } else {
      part.push_back(*p);
    }
  }
  return ERROR_SUCCESS;
}

std::vector<std::shared_ptr<Node>>::iterator FindChildPosition(Node* node, const std::string& name) {
  return std::lower_bound(node->children.begin(), node->children.end(), name,
                          [](const std::shared_ptr<Node>& child, const std::string& n) { return Less(child->name, n); });
}

Node* FindChild(Node* node, const std::string& name) {
  auto it = FindChildPosition(node, name);
  if (it != node->children.end() && regfile::CompareNames((*it)->name, name) == 0) return it->get();
  return nullptr;
}

Node* AddChild(Node* node, const std::string& name) {
  auto it = FindChildPosition(node, name);
  if (it != node->children.end() && regfile::CompareNames((*it)->name, name) == 0) return it->get();
  auto child = std::make_shared<Node>();
  child->name = name;
  child->parent = node;
  return node->children.insert(it, child)->get();
}

Node* Walk(Node* node, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    node = FindChild(node, name);
    if (!node) return nullptr;
  }
  return node;
}

// The existing key a subkey argument names below node: SplitSubkey's code
// for a malformed argument, ERROR_FILE_NOT_FOUND when a name along the way
// is missing.
LONG FindSubkey(Node* node, const char* subKey, Node*& target) {
  std::vector<std::string> names;
  LONG code = SplitSubkey(subKey, names);
  if (code != ERROR_SUCCESS) return code;
  target = Walk(node, names);
  return target ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

std::vector<StoredValue>::iterator FindValuePosition(Node* node, const std::string& name) {
  return std::lower_bound(node->values.begin(), node->values.end(), name,
                          [](const StoredValue& v, const std::string& n) { return Less(v.name, n); });
}

StoredValue* FindValue(Node* node, const std::string& name) {
  auto it = FindValuePosition(node, name);
  if (it != node->values.end() && regfile::CompareNames(it->name, name) == 0) return &*it;
  return nullptr;
}

void SetValue(Node* node, const std::string& name, DWORD type, const uint8_t* data, size_t size) {
  auto it = FindValuePosition(node, name);
  if (it == node->values.end() || regfile::CompareNames(it->name, name) != 0) {
    StoredValue value;
    value.name = name;
    it = node->values.insert(it, value);
  }
  it->type = type;
  it->data.assign(data, data + size);
}

void MarkDeleted(Node* node) {
  node->deleted = true;
  for (const auto& child : node->children) MarkDeleted(child.get());
}

HKEY NewHandle(Registry& r, Node* node, REGSAM access) {
  auto* handle = new WinportKey{SharedOf(r, node), access};
  r.handles.insert(handle);
  return handle;
}

// Counts a mutating call and tells what the switch makes of it.
winport::RegistryWriteSwitch::Verdict CountWrite(Registry& r) {
  ++r.changes;
  return r.writes.Count();
}

// The prologue of every call on a key: takes the lock for the whole call,
// counts a mutating call against the fault switch before anything is
// checked (so that every mutating call made counts once, whatever it
// returns), then resolves the handle. code is ERROR_SUCCESS or what the call
// returns at once; node and access are set once it is ERROR_SUCCESS. A call
// that checks an argument between the count and the handle constructs
// without the key and calls Open itself.
class KeyCall {
 public:
  enum Kind { Reads, Writes };

  KeyCall(Kind kind, HKEY key) : KeyCall(kind) {
    if (code == ERROR_SUCCESS) Open(key);
  }
  explicit KeyCall(Kind kind) : registry(TheRegistry()), lock_(registry.mutex) {
    if (kind != Writes) return;
    const winport::RegistryWriteSwitch::Verdict verdict = CountWrite(registry);
    if (verdict.fail) code = ERROR_ACCESS_DENIED;
    if (verdict.endAfter) endAfter_ = registry.endAfterWrite;
  }
  // The call is done (its result already taken) when its KeyCall goes: an
  // end the switch asked for comes now, with the registry unlocked, so that
  // it can be read as the call left it.
  ~KeyCall() {
    lock_.unlock();
    if (endAfter_) endAfter_();
  }
  KeyCall(const KeyCall&) = delete;
  KeyCall& operator=(const KeyCall&) = delete;

  LONG Open(HKEY key) {
    code = Resolve(registry, key, node, access);
    return code;
  }
  bool Failed() const { return code != ERROR_SUCCESS; }

  Registry& registry;
  Node* node = nullptr;
  REGSAM access = 0;
  LONG code = ERROR_SUCCESS;

 private:
  std::unique_lock<std::mutex> lock_;
  void (*endAfter_)() = nullptr;
};

LONG OpenKey(HKEY key, LPCSTR subKey, REGSAM access, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  KeyCall call(KeyCall::Reads, key);
  if (call.Failed()) return call.code;
  Node* target;
  LONG code = FindSubkey(call.node, subKey, target);
  if (code != ERROR_SUCCESS) return code;
  *result = NewHandle(call.registry, target, access);
  return ERROR_SUCCESS;
}

void ExportNode(const Node* node, const std::string& path, regfile::File& out, bool includeSelf) {
  if (includeSelf) {
    regfile::Key key;
    key.path = path;
    for (const StoredValue& v : node->values) key.values.push_back(regfile::Value{v.name, v.type, v.data});
    out.keys.push_back(std::move(key));
  }
  for (const auto& child : node->children) ExportNode(child.get(), path + "\\" + child->name, out, true);
}

const char kHiveName[] = "HKEY_CURRENT_USER";

}  // namespace

extern "C" {

LONG WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  if (subKey == nullptr || subKey[0] == 0) {
    KeyCall call(KeyCall::Reads, key);
    if (call.Failed()) return call.code;
    *result = key;
    return ERROR_SUCCESS;
  }
  return OpenKey(key, subKey, KEY_ALL_ACCESS, result);
}

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
  return OpenKey(key, subKey, access, result);
}

LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access, LPSECURITY_ATTRIBUTES,
                            PHKEY result, LPDWORD disposition) {
  KeyCall call(KeyCall::Writes);
  if (call.Failed()) return call.code;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  if (call.Open(key) != ERROR_SUCCESS) return call.code;
  Node* node = call.node;
  std::vector<std::string> names;
  LONG code = SplitSubkey(subKey, names);
  if (code != ERROR_SUCCESS) return code;
  // Wine reports a new key when no subkey is named at all.
  bool created = names.empty();
  for (const std::string& name : names) {
    Node* child = FindChild(node, name);
    created = child == nullptr;
    node = created ? AddChild(node, name) : child;
  }
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = NewHandle(call.registry, node, access);
  return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  KeyCall call(KeyCall::Reads, key);
  if (call.Failed()) return call.code;
  if ((call.access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
  const StoredValue* value = FindValue(call.node, valueName ? valueName : "");
  if (!value) {
    if (type) *type = REG_NONE;
    return ERROR_FILE_NOT_FOUND;
  }
  if (type) *type = value->type;
  const DWORD size = static_cast<DWORD>(value->data.size());
  if (data != nullptr) {
    if (*dataSize < size) {
      *dataSize = size;
      return ERROR_MORE_DATA;
    }
    if (size) std::memcpy(data, value->data.data(), size);
  }
  if (dataSize) *dataSize = size;
  return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
  KeyCall call(KeyCall::Writes, key);
  if (call.Failed()) return call.code;
  if ((call.access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (data == nullptr && dataSize != 0) return ERROR_NOACCESS;
  const std::string name = valueName ? valueName : "";
  if (name.size() > MaxValueNameChars) return ERROR_INVALID_PARAMETER;
  SetValue(call.node, name, type, data, dataSize);
  return ERROR_SUCCESS;
}

LONG WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD, LPSTR className,
                          LPDWORD classSize, PFILETIME lastWrite) {
  KeyCall call(KeyCall::Reads, key);
  if (call.Failed()) return call.code;
  if ((call.access & KEY_ENUMERATE_SUB_KEYS) == 0) return ERROR_ACCESS_DENIED;
  if (name == nullptr || nameSize == nullptr) return ERROR_INVALID_PARAMETER;
  if (index >= call.node->children.size()) return ERROR_NO_MORE_ITEMS;
  const std::string& childName = call.node->children[index]->name;
  if (*nameSize <= childName.size()) return ERROR_MORE_DATA;
  std::memcpy(name, childName.c_str(), childName.size() + 1);
  *nameSize = static_cast<DWORD>(childName.size());
  if (classSize) {
    if (className && *classSize > 0) className[0] = 0;
    *classSize = 0;
  }
  if (lastWrite) *lastWrite = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD, LPDWORD type, LPBYTE data,
                          LPDWORD dataSize) {
  KeyCall call(KeyCall::Reads, key);
  if (call.Failed()) return call.code;
  if ((call.access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (name == nullptr || nameSize == nullptr) return ERROR_INVALID_PARAMETER;
  if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
  if (index >= call.node->values.size()) return ERROR_NO_MORE_ITEMS;
  const StoredValue& value = call.node->values[index];
  const DWORD size = static_cast<DWORD>(value.data.size());
  if (*nameSize <= value.name.size()) return ERROR_MORE_DATA;
  if (data != nullptr && *dataSize < size) {
    *dataSize = size;
    return ERROR_MORE_DATA;
  }
  std::memcpy(name, value.name.c_str(), value.name.size() + 1);
  *nameSize = static_cast<DWORD>(value.name.size());
  if (type) *type = value.type;
  if (data != nullptr && size) std::memcpy(data, value.data.data(), size);
  if (dataSize) *dataSize = size;
  return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  KeyCall call(KeyCall::Writes, key);
  if (call.Failed()) return call.code;
  Node* target;
  LONG code = FindSubkey(call.node, subKey, target);
  if (code != ERROR_SUCCESS) return code;
  if (target->parent == nullptr || !target->children.empty()) return ERROR_ACCESS_DENIED;
  Node* parent = target->parent;
  auto it = std::find_if(parent->children.begin(), parent->children.end(),
                         [target](const std::shared_ptr<Node>& child) { return child.get() == target; });
  MarkDeleted(target);
  target->parent = nullptr;
  parent->children.erase(it);
  return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName) {
  KeyCall call(KeyCall::Writes, key);
  if (call.Failed()) return call.code;
  if ((call.access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  const std::string name = valueName ? valueName : "";
  auto it = FindValuePosition(call.node, name);
  if (it == call.node->values.end() || regfile::CompareNames(it->name, name) != 0) return ERROR_FILE_NOT_FOUND;
  call.node->values.erase(it);
  return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key) {
  if (key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE || key == HKEY_CLASSES_ROOT) return ERROR_SUCCESS;
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.handles.find(key);
  if (it == r.handles.end()) return ERROR_INVALID_HANDLE;
  r.handles.erase(it);
  delete key;
  return ERROR_SUCCESS;
}

}  // extern "C"

void WinportRegistryClear() {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  ++r.changes;
  for (const auto& child : r.currentUser->children) {
    MarkDeleted(child.get());
    child->parent = nullptr;
  }
  r.currentUser->children.clear();
  r.currentUser->values.clear();
}

bool WinportRegistryImport(const regfile::File& file, std::string& error) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  // Check every path first, so that a refused file changes nothing.
  std::vector<std::vector<std::string>> paths;
  for (const regfile::Key& key : file.keys) {
    const std::string& path = key.path;
    const size_t hive = sizeof kHiveName - 1;
    if (path.size() < hive || regfile::CompareNames(path.substr(0, hive), kHiveName) != 0 ||
        (path.size() > hive && path[hive] != '\\')) {
      error = "key outside HKEY_CURRENT_USER: " + path;
      return false;
    }
    std::vector<std::string> names;
    std::string part;
    for (size_t i = hive; i <= path.size(); ++i) {
      if (i == path.size() || path[i] == '\\') {
        if (!part.empty()) names.push_back(part);
        part.clear();
      } else {
        part.push_back(path[i]);
      }
    }
    paths.push_back(std::move(names));
  }
  ++r.changes;
  for (size_t k = 0; k < file.keys.size(); ++k) {
    Node* node = r.currentUser.get();
    for (const std::string& name : paths[k]) node = AddChild(node, name);
    for (const regfile::Value& value : file.keys[k].values) {
      SetValue(node, value.name, value.type, value.data.data(), value.data.size());
    }
  }
  return true;
}

regfile::File WinportRegistryExport(const std::string& rootPath) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  regfile::File out;
  std::vector<std::string> names;
  std::string part;
  for (size_t i = 0; i <= rootPath.size(); ++i) {
    if (i == rootPath.size() || rootPath[i] == '\\') {
      if (!part.empty()) names.push_back(part);
      part.clear();
    } else {
      part.push_back(rootPath[i]);
    }
  }
  Node* node = Walk(r.currentUser.get(), names);
  if (!node) return out;
  std::string path = kHiveName;
  Node* walk = r.currentUser.get();
  for (const std::string& name : names) {
    walk = FindChild(walk, name);
    path += "\\" + walk->name;  // the stored spelling
  }
  // The hive itself is listed only when it holds values.
  ExportNode(node, path, out, !names.empty() || !node->values.empty());
  return out;
}

void WinportRegistryFailNthWrite(int n) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.writes.Arm(n, winport::RegistryWriteSwitch::Action::FailAccessDenied);
}

void WinportRegistryEndAfterNthWrite(int n, void (*end)()) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.writes.Arm(end ? n : 0, winport::RegistryWriteSwitch::Action::EndAfter);
  r.endAfterWrite = end;
}

int WinportRegistryWriteCount() {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.writes.Seen();
}

unsigned long long WinportRegistryChangeCount() {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.changes;
}
