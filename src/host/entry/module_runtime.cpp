// The two pieces of the C++ runtime the Windows module would otherwise take
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

namespace std {
// A container asked to grow beyond the most elements it can hold.
void __throw_length_error(const char* what) { FatalStop("%s", what); }
}  // namespace std
