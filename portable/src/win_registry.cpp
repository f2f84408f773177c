// The registry of the native build: an in-memory key tree with the semantics
// of the ANSI registry functions as Wine implements them.
//
//  - Key and value names match without regard to case (code page 1252 taken
//    as Unicode, lower-cased) and keep the spelling they were created with.
//  - Subkeys and values are kept, and enumerated, in that name order. A key's
//    subkeys are an ordered map by name, indexed by a hash map of the same
//    names: finding one among n siblings takes constant time, adding and
//    deleting one log n steps, and enumerating them by index 0, 1, 2, ...
//    walks the map once.
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
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "reg_format.h"
#include "registry_write_switch.h"
#include "winport.h"

namespace {

constexpr size_t MaxSubkeyChars = 260;
constexpr size_t MaxKeyNameChars = 256;
constexpr size_t MaxValueNameChars = 16383;

// A value as the .reg model holds one (name, type, bytes), so that an
// export writes it as it stands.
using StoredValue = regfile::Value;

struct Node;
using Children = std::map<std::string, std::shared_ptr<Node>, regfile::NameLess>;  // in name order

struct Node : std::enable_shared_from_this<Node> {
  std::string name;
  Node* parent = nullptr;
  bool deleted = false;
  Children children;
  // The same subkeys found by name in constant time; the views are the
  // names the ordered map keeps.
  std::unordered_map<std::string_view, Node*, regfile::NameHash, regfile::NameEqual> byName;
  std::vector<StoredValue> values;  // in name order
  // Where the last enumeration of the subkeys stood (index and position);
  // forgotten whenever a subkey is added or deleted.
  size_t enumIndex = 0;
  Children::iterator enumAt;
  bool enumValid = false;
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
  // What the last open found: a caller that opens one key for each of its
  // values finds it again by comparing the subkey's text. Valid while
  // changes stays as it was.
  struct {
    const Node* parent = nullptr;
    std::string subKey;
    Node* target = nullptr;
    unsigned long long changes = ~0ull;
  } lastOpen;

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

// Calls name(part) for each name of a key path, split at backslashes,
// empty parts skipped, until it returns false; false then.
template <typename Name>
bool ForEachName(std::string_view path, const Name& name) {
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '\\') continue;
    if (i > start && !name(path.substr(start, i - start))) return false;
    start = i + 1;
  }
  return true;
}

// A subkey argument with the checks the real calls make; path is its text
// (empty for null and "").
LONG CheckSubkey(const char* subKey, std::string_view& path) {
  path = subKey ? std::string_view(subKey) : std::string_view();
  if (path.empty()) return ERROR_SUCCESS;
  if (path.size() > MaxSubkeyChars) return ERROR_MORE_DATA;
  if (path[0] == '\\') return ERROR_BAD_PATHNAME;
  const bool namesFit = ForEachName(path, [](std::string_view name) { return name.size() <= MaxKeyNameChars; });
  return namesFit ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

Node* FindChild(const Node* node, std::string_view name) {
  auto it = node->byName.find(name);
  return it == node->byName.end() ? nullptr : it->second;
}

Node* AddChild(Node* node, std::string_view name) {
  if (Node* found = FindChild(node, name)) return found;
  auto child = std::make_shared<Node>();
  child->name = std::string(name);
  child->parent = node;
  node->enumValid = false;
  // Names often come in order (a canonical .reg file): the end is tried first.
  auto added = node->children.emplace_hint(node->children.end(), child->name, child);
  node->byName.emplace(added->first, child.get());
  return child.get();
}

void RemoveChild(Node* node, Node* child) {
  const std::string name = child->name;  // erasing may free child
  node->byName.erase(name);
  node->children.erase(name);
  node->enumValid = false;
}

// The subkey at index in name order, nullptr past the last. An enumeration
// asks for 0, 1, 2, ... (or for 0 again and again while deleting): each step
// starts from where the last one stood.
Node* ChildAt(Node* node, size_t index) {
  if (index >= node->children.size()) return nullptr;
  if (!node->enumValid || index < node->enumIndex) {
    node->enumAt = node->children.begin();
    node->enumIndex = 0;
    node->enumValid = true;
  }
  node->enumAt = std::next(node->enumAt, static_cast<std::ptrdiff_t>(index - node->enumIndex));
  node->enumIndex = index;
  return node->enumAt->second.get();
}

// The existing key a subkey argument names below node: CheckSubkey's code
// for a malformed argument, ERROR_FILE_NOT_FOUND when a name along the way
// is missing.
LONG FindSubkey(Node* node, const char* subKey, Node*& target) {
  std::string_view path;
  LONG code = CheckSubkey(subKey, path);
  if (code != ERROR_SUCCESS) return code;
  target = node;
  ForEachName(path, [&target](std::string_view name) { return (target = FindChild(target, name)) != nullptr; });
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

void SetValue(Node* node, const std::string& name, DWORD type, std::vector<uint8_t> data) {
  auto it = FindValuePosition(node, name);
  if (it == node->values.end() || regfile::CompareNames(it->name, name) != 0) {
    StoredValue value;
    value.name = name;
    it = node->values.insert(it, std::move(value));
  }
  it->type = type;
  it->data = std::move(data);
}

void MarkDeleted(Node* node) {
  node->deleted = true;
  for (const auto& child : node->children) MarkDeleted(child.second.get());
}

HKEY NewHandle(Registry& r, Node* node, REGSAM access) {
  auto* handle = new WinportKey{node->shared_from_this(), access};
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
  auto& last = call.registry.lastOpen;
  if (subKey && last.changes == call.registry.changes && last.parent == call.node && last.subKey == subKey) {
    *result = NewHandle(call.registry, last.target, access);
    return ERROR_SUCCESS;
  }
  Node* target;
  LONG code = FindSubkey(call.node, subKey, target);
  if (code != ERROR_SUCCESS) return code;
  if (subKey) last = {call.node, subKey, target, call.registry.changes};
  *result = NewHandle(call.registry, target, access);
  return ERROR_SUCCESS;
}

// Calls visit(path, node) for node (when includeSelf) and every key below
// it, parents before children, in name order: the order of a canonical .reg
// file. path is node's full path on entry and again on return.
template <typename Visit>
void ForEachKey(const Node* node, std::string& path, bool includeSelf, const Visit& visit) {
  if (includeSelf) visit(path, *node);
  const size_t length = path.size();
  for (const auto& child : node->children) {
    path += '\\';
    path += child.second->name;
    ForEachKey(child.second.get(), path, true, visit);
    path.resize(length);
  }
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
  std::string_view path;
  LONG code = CheckSubkey(subKey, path);
  if (code != ERROR_SUCCESS) return code;
  // Wine reports a new key when no subkey is named at all.
  bool created = true;
  ForEachName(path, [&node, &created](std::string_view name) {
    Node* child = FindChild(node, name);
    created = child == nullptr;
    node = created ? AddChild(node, name) : child;
    return true;
  });
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
  SetValue(call.node, name, type, std::vector<uint8_t>(data, data + dataSize));
  return ERROR_SUCCESS;
}

LONG WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD, LPSTR className,
                          LPDWORD classSize, PFILETIME lastWrite) {
  KeyCall call(KeyCall::Reads, key);
  if (call.Failed()) return call.code;
  if ((call.access & KEY_ENUMERATE_SUB_KEYS) == 0) return ERROR_ACCESS_DENIED;
  if (name == nullptr || nameSize == nullptr) return ERROR_INVALID_PARAMETER;
  const Node* child = ChildAt(call.node, index);
  if (!child) return ERROR_NO_MORE_ITEMS;
  const std::string& childName = child->name;
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
  MarkDeleted(target);
  target->parent = nullptr;
  RemoveChild(parent, target);  // the last reference to target unless a handle holds it
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
    MarkDeleted(child.second.get());
    child.second->parent = nullptr;
  }
  r.currentUser->children.clear();
  r.currentUser->byName.clear();
  r.currentUser->enumValid = false;
  r.currentUser->values.clear();
}

bool WinportRegistryImport(regfile::File file, std::string& error, const regfile::StopCheck& stop) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  // Check every path first, so that a refused file changes nothing.
  const std::string_view hive = kHiveName;
  for (const regfile::Key& key : file.keys) {
    const std::string& path = key.path;
    if (path.size() < hive.size() || regfile::CompareNames(path.data(), hive.size(), hive.data(), hive.size()) != 0 ||
        (path.size() > hive.size() && path[hive.size()] != '\\')) {
      error = "key outside HKEY_CURRENT_USER: " + path;
      return false;
    }
  }
  ++r.changes;
  size_t done = 0;
  // Keys of one parent follow each other in a file: the parent found for
  // the key before is taken again when the path up to the last name is the
  // same text.
  std::string_view lastParentPath;
  Node* lastParent = nullptr;
  for (regfile::Key& key : file.keys) {
    if (stop && ++done % 1024 == 0 && stop()) {
      error = "importing stopped";
      return false;
    }
    const std::string_view path = std::string_view(key.path).substr(hive.size());
    const size_t cut = path.find_last_of('\\');
    const std::string_view parentPath = cut == std::string_view::npos ? std::string_view() : path.substr(0, cut);
    Node* node = r.currentUser.get();
    if (lastParent && parentPath == lastParentPath) {
      node = lastParent;
    } else {
      ForEachName(parentPath, [&node](std::string_view name) { return (node = AddChild(node, name)) != nullptr; });
      lastParentPath = parentPath;
      lastParent = node;
    }
    ForEachName(path.substr(parentPath.size()),
                [&node](std::string_view name) { return (node = AddChild(node, name)) != nullptr; });
    node->values.reserve(node->values.size() + key.values.size());
    for (regfile::Value& value : key.values) SetValue(node, value.name, value.type, std::move(value.data));
  }
  return true;
}

namespace {

// The key an export starts from, and its full path in the stored spelling
// in path; null when there is no such key. Caller holds the mutex.
const Node* ExportRoot(Registry& r, const std::string& rootPath, std::string& path, bool& includeSelf) {
  const Node* node = r.currentUser.get();
  path = kHiveName;
  const bool found = ForEachName(rootPath, [&node, &path](std::string_view name) {
    if (!(node = FindChild(node, name))) return false;
    path += '\\';
    path += node->name;
    return true;
  });
  if (!found) return nullptr;
  // The hive itself is listed only when it holds values.
  includeSelf = path.size() > sizeof kHiveName - 1 || !node->values.empty();
  return node;
}

}  // namespace

regfile::File WinportRegistryExport(const std::string& rootPath) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  regfile::File out;
  std::string path;
  bool includeSelf = false;
  const Node* node = ExportRoot(r, rootPath, path, includeSelf);
  if (!node) return out;
  ForEachKey(node, path, includeSelf, [&out](const std::string& keyPath, const Node& key) {
    out.keys.push_back({keyPath, key.values});
  });
  return out;
}

std::string WinportRegistryExportText(const std::string& rootPath) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  std::string text = regfile::kWriteHeader;
  std::string path;
  bool includeSelf = false;
  const Node* node = ExportRoot(r, rootPath, path, includeSelf);
  if (!node) return text;
  ForEachKey(node, path, includeSelf,
             [&text](const std::string& keyPath, const Node& key) { regfile::WriteKey(text, keyPath, key.values); });
  return text;
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
