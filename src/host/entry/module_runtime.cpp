// The pieces of the C++ runtime the Windows module would otherwise take
// from the statically linked libstdc++, whose versions report failure by
// throwing: that alone brings the unwinder, the personality routine, the
// exception classes and the demangler of the terminate message into a module
// built without exceptions. Here they fail the way every allocation of the
// plug-in fails: through the fatal stop.
#include <cstddef>
#include <new>

#include "model/text.h"
#include "support/errors.h"

// The allocation behind the standard containers (the registry layer's
// vectors). new and delete stay a matched pair on the plug-in's own heap
// calls.
void* operator new(std::size_t size) { return MemAlloc(size); }
void operator delete(void* block) noexcept { MemFree(block); }
void operator delete(void* block, std::size_t) noexcept { MemFree(block); }

// The failures the standard containers and their allocator report through
// the runtime. Should a build come to need another of the runtime's
// __throw_ functions, the runtime's file of them is linked in again and the
// link fails on these duplicates: the one to add then shows.
namespace std {
// A container asked to grow beyond the most elements it can hold.
void __throw_length_error(const char* what) { FatalStop("%s", what); }
// An allocation larger than any the allocator can make.
void __throw_bad_alloc() { FatalStop("out of memory"); }
void __throw_bad_array_new_length() { FatalStop("out of memory"); }
}  // namespace std
