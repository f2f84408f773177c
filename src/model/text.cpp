// Bounded 8-bit text utilities and the shared formatting buffer.
#include "model/text.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/base/exit_hook.h"
#include "support/errors.h"

namespace {

// Length of text, counting at most limit characters.
int32_t BoundedLength(const char* text, int32_t limit) {
  int32_t n = 0;
  while (n < limit && text[n] != 0) ++n;
  return n;
}

}  // namespace

// ---------------------------------------------------------------- TextField

TextField::TextField() : length(0) { chars[0] = 0; }

TextField::TextField(const char* text) { Set(text); }

TextField::TextField(const TextField& other) { Set(other.chars); }

TextField& TextField::operator=(const TextField& other) {
  Set(other.chars);
  return *this;
}

void TextField::Set(const char* text) {
  // 261 bytes: at most 260 characters and the terminator at index 260; index
  // 261 is never written.
  CopyBounded(chars, text, TextFieldChars + 1);
  length = TextLength(chars);
}

// ----------------------------------------------------------- string utilities

char* CopyBounded(char* destination, const char* source, int32_t size) {
  if (destination == nullptr) return nullptr;
  // Size 0 does nothing; sizes below -1 are no buffer size at all and are
  // treated the same way rather than writing before the destination.
  if (size == 0 || size < -1) return destination;
  if (source == nullptr) {
    destination[0] = 0;
    return destination;
  }
  if (size == -1) {
    // Byte by byte, so that a text copied onto itself stays as it is.
    int32_t i = 0;
    do {
      destination[i] = source[i];
    } while (source[i++] != 0);
    return destination;
  }
  int32_t i = 0;
  for (; i < size - 1 && source[i] != 0; ++i) destination[i] = source[i];
  for (; i < size - 1; ++i) destination[i] = 0;
  destination[size - 1] = 0;
  return destination;
}

char* AppendBounded(char* destination, const char* source, int32_t size) {
  if (destination == nullptr) return nullptr;
  if (size == 0 || size < -1) return destination;
  if (source == nullptr) return destination;
  if (size == -1) {
    char* end = destination + std::strlen(destination);
    std::memmove(end, source, std::strlen(source) + 1);
    return destination;
  }
  // The existing text is measured only within the buffer: an unterminated
  // destination counts as full.
  int32_t used = BoundedLength(destination, size - 1);
  int32_t room = size - 1 - used;
  int32_t n = BoundedLength(source, room);
  std::memmove(destination + used, source, static_cast<size_t>(n));
  destination[used + n] = 0;
  destination[size - 1] = 0;
  return destination;
}

bool IsBlank(char character) { return character == ' ' || character == '\t'; }

char* TrimBlanks(char* text) {
  static char sharedEmpty[1] = {0};
  if (text == nullptr) {
    sharedEmpty[0] = 0;  // in case a caller wrote into it
    return sharedEmpty;
  }
  char* p = text;
  while (*p != 0 && IsBlank(*p)) ++p;
  if (*p == 0) {
    text[0] = 0;
    return text;
  }
  size_t n = std::strlen(p);
  while (n > 0 && IsBlank(p[n - 1])) --n;  // p[0] is not a blank, so n stays >= 1
  if (p != text) std::memmove(text, p, n);
  text[n] = 0;
  return text;
}

char* CutToFit(char* text, int32_t maxChars) {
  if (text == nullptr || maxChars < 0) return text;
  if (BoundedLength(text, maxChars) < maxChars || text[maxChars] == 0) return text;
  int32_t n = maxChars;
  while (n > 0 && IsBlank(text[n - 1])) --n;
  text[n] = 0;
  return text;
}

int32_t CompareText(const char* a, const char* b, int32_t count, int32_t caseSensitive) {
  if (a == nullptr) return b == nullptr ? 0 : -1;
  if (b == nullptr) return 1;
  // A count longer than a text ends at its terminator instead of comparing
  // the bytes that follow it.
  int aLength = -1;
  int bLength = -1;
  if (count >= 0) {
    aLength = BoundedLength(a, count);
    bLength = BoundedLength(b, count);
  }
  int result = CompareStringA(LOCALE_USER_DEFAULT, caseSensitive == 0 ? NORM_IGNORECASE : 0, a, aLength, b, bLength);
  if (result == 0) FatalStop("!CompareString");
  return result - 2;
}

const char* AfterNamePrefix(const char* text, const char* lowerPrefix) {
  for (; *lowerPrefix; ++text, ++lowerPrefix) {
    if ((*text | 0x20) != *lowerPrefix) return nullptr;
  }
  return text;
}

int32_t TextLength(const char* text) {
  if (text == nullptr) return 0;
  return static_cast<int32_t>(std::strlen(text));
}

const char* FindChar(const char* text, char character) {
  if (text == nullptr) return nullptr;
  return std::strchr(text, character);
}

void* MoveBytes(void* destination, const void* source, size_t n) {
  if (destination == nullptr || source == nullptr || n == 0) return destination;
  return std::memmove(destination, source, n);
}

void* CopyBytes(void* destination, const void* source, size_t n) {
  if (destination == nullptr || source == nullptr || n == 0) return destination;
  return std::memcpy(destination, source, n);
}

// ------------------------------------------------------------------ formatting

namespace {

// Formats into buffer (size at least 1) and always terminates it. Returns the
// length of the text when it fits in size - 1 characters, and -1 when it was
// cut to that (or, where the C library tells, could not be formatted at all,
// which leaves the buffer empty).
//
// On Windows this is the system's own formatter, msvcrt's _vsnprintf: the C++
// headers switch the standard names to mingw's own printf, which would add a
// whole printf with floating-point conversion to the module. For the integer,
// character and text conversions the two agree byte for byte; _vsnprintf
// differs from C99 only at the end of the buffer: a text longer than its
// count gives -1, not its length, and a text of exactly its count gets no
// terminator. Given one byte less than the buffer, it leaves the last byte
// for the terminator written here, so both systems cut and return alike.
int SystemFormat(char* buffer, int32_t size, const char* format, va_list arguments) {
  buffer[size - 1] = 0;
#ifdef _WIN32
  int n = _vsnprintf(buffer, static_cast<size_t>(size - 1), format, arguments);
  if (n >= 0) buffer[n] = 0;
  return n;
#else
  int n = std::vsnprintf(buffer, static_cast<size_t>(size), format, arguments);
  buffer[size - 1] = 0;
  if (n < 0) {
    buffer[0] = 0;
    return -1;
  }
  return n <= size - 1 ? n : -1;
#endif
}

}  // namespace

int32_t FormatBoundedV(char* buffer, int32_t size, const char* format, va_list arguments) {
  if (format == nullptr) format = "";
  if (size <= 0 || buffer == nullptr) {
    // Nothing is stored; the result still tells whether anything would have
    // been cut.
    char probe[1];
    return SystemFormat(probe, 1, format, arguments);
  }
  return SystemFormat(buffer, size, format, arguments);
}

int32_t FormatBounded(char* buffer, int32_t size, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int32_t n = FormatBoundedV(buffer, size, format, arguments);
  va_end(arguments);
  return n;
}

namespace {

char* formatBuffer = nullptr;
CRITICAL_SECTION formatLock;
ExitRoutine previousExitRoutine = nullptr;

void ReleaseFormatBuffer() {
  MemFree(formatBuffer);
  formatBuffer = nullptr;
  DeleteCriticalSection(&formatLock);
  ExitRoutine previous = previousExitRoutine;
  previousExitRoutine = nullptr;
  if (previous != nullptr) previous();
}

}  // namespace

const char* FormatShared(const char* format, ...) {
  if (formatBuffer == nullptr) {
    formatBuffer = static_cast<char*>(MemAlloc(FormatBufferSize));
    formatBuffer[0] = 0;
    InitializeCriticalSection(&formatLock);
    previousExitRoutine = InstallExitHook(&ReleaseFormatBuffer);
  }
  // The text is composed aside and then copied in, so that an argument may be
  // the buffer's own previous text.
  char composed[FormatBufferSize - 1];
  va_list arguments;
  va_start(arguments, format);
  FormatBoundedV(composed, FormatBufferSize - 1, format, arguments);
  va_end(arguments);
  EnterCriticalSection(&formatLock);
  std::memcpy(formatBuffer, composed, std::strlen(composed) + 1);
  LeaveCriticalSection(&formatLock);
  return formatBuffer;
}

// ---------------------------------------------------------------------- memory

// Running out of memory is fatal: every caller writes into the block it asked
// for, so carrying on with null would only corrupt memory later.
void* MemAlloc(size_t size) {
  void* block = std::malloc(size != 0 ? size : 1);
  if (block == nullptr) FatalStop("out of memory (%llu bytes)", static_cast<unsigned long long>(size));
  return block;
}

void MemFree(void* block) {
  if (block != nullptr) std::free(block);
}

void* MemRealloc(void* block, size_t size) {
  void* grown = std::realloc(block, size != 0 ? size : 1);
  if (grown == nullptr) FatalStop("out of memory (%llu bytes)", static_cast<unsigned long long>(size));
  return grown;
}
