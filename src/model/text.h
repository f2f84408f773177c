// Bounded 8-bit texts: the TextField kept inside records, the string and
// memory utilities every part of the plug-in copies, appends, trims, compares
// and formats with, and the shared formatting buffer.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

constexpr int32_t TextFieldChars = 260;  // characters a TextField holds at most

// A text of at most 260 characters embedded by value in plain-data records.
// Copying a record byte for byte copies a valid TextField.
class TextField {
 public:
  TextField();
  TextField(const char* text);  // NOLINT(google-explicit-constructor): set from a plain text
  TextField(const TextField& other);
  TextField& operator=(const TextField& other);

  const char* Text() const { return chars; }
  int32_t Length() const { return length; }

 private:
  void Set(const char* text);

  char chars[262];
  int32_t length;
};
static_assert(sizeof(TextField) == 268, "TextField is 262 characters and a 32-bit length");

char* CopyBounded(char* destination, const char* source, int32_t size);
char* AppendBounded(char* destination, const char* source, int32_t size);
char* TrimBlanks(char* text);
// Keeps at most maxChars characters of a text and drops the blanks that the
// cut leaves at its end, so that a trimmed text stays trimmed: the one rule
// for a trimmed value that goes into a TextField (maxChars TextFieldChars).
// A text that fits is left as it is.
char* CutToFit(char* text, int32_t maxChars);
bool IsBlank(char character);
int32_t CompareText(const char* a, const char* b, int32_t count, int32_t caseSensitive);
int32_t TextLength(const char* text);
// Where text begins with lowerPrefix (letters in lower case), matched the way
// registry key names match, ASCII letters in any case: the rest of text after
// the prefix; null when text does not begin with it.
const char* AfterNamePrefix(const char* text, const char* lowerPrefix);
const char* FindChar(const char* text, char character);
void* MoveBytes(void* destination, const void* source, size_t n);
void* CopyBytes(void* destination, const void* source, size_t n);

int32_t FormatBounded(char* buffer, int32_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
int32_t FormatBoundedV(char* buffer, int32_t size, const char* format, va_list arguments);
// Formats into the process-wide FormatBuffer and returns it; the text stays
// valid only until the next FormatShared anywhere in the module.
const char* FormatShared(const char* format, ...) __attribute__((format(printf, 1, 2)));

constexpr int32_t FormatBufferSize = 10001;

void* MemAlloc(size_t size);
void MemFree(void* block);
void* MemRealloc(void* block, size_t size);
