// System message texts, code page conversion between ANSI (1252) and OEM
// (437), and process exit, as Wine gives them for en-US.
#include <windows.h>

#include <iconv.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

struct SystemText {
  DWORD code;
  const char* text;
};

// Wine's texts for every system code it knows (measured by
// tools/measure-wine/regenerate.sh), in code order.
#include "system_texts.inc"
// What Wine gives for the characters that have no exact counterpart in the
// other code page.
#include "codepage_bestfit.inc"

constexpr DWORD ErrorInsufficientBuffer = 122;
constexpr DWORD ErrorMessageNotFound = 317;

const SystemText* FindSystemText(DWORD code) {
  const SystemText* end = SystemTexts + sizeof SystemTexts / sizeof SystemTexts[0];
  const SystemText* found = std::lower_bound(SystemTexts, end, code,
                                             [](const SystemText& t, DWORD c) { return t.code < c; });
  return found != end && found->code == code ? found : nullptr;
}

bool HasInserts(const char* text) {
  for (const char* p = text; *p; ++p)
    if (p[0] == '%' && p[1] >= '1' && p[1] <= '9') return true;
  return false;
}

// One byte-to-byte table per direction: iconv's exact conversion where the
// target code page has the character, the measured best fit elsewhere.
struct CodePageTable {
  unsigned char map[256];

  CodePageTable(const char* from, const char* to, const unsigned char (*bestFit)[2], size_t bestFitCount) {
    for (int b = 0; b < 256; ++b) map[b] = static_cast<unsigned char>(b);
    iconv_t cd = iconv_open(to, from);
    for (int b = 1; b < 256 && cd != reinterpret_cast<iconv_t>(-1); ++b) {
      char in = static_cast<char>(b), out = 0;
      char* inPointer = &in;
      char* outPointer = &out;
      size_t inLeft = 1, outLeft = 1;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &inPointer, &inLeft, &outPointer, &outLeft) != static_cast<size_t>(-1) && outLeft == 0)
        map[b] = static_cast<unsigned char>(out);
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    for (size_t i = 0; i < bestFitCount; ++i) map[bestFit[i][0]] = bestFit[i][1];
  }

  void Convert(const char* source, char* destination) const {
    size_t i = 0;
    for (; source[i] != 0; ++i) destination[i] = static_cast<char>(map[static_cast<unsigned char>(source[i])]);
    destination[i] = 0;
  }
};

const CodePageTable& AnsiToOem() {
  static const CodePageTable table("CP1252", "CP437", AnsiToOemBestFit,
                                   sizeof AnsiToOemBestFit / sizeof AnsiToOemBestFit[0]);
  return table;
}

const CodePageTable& OemToAnsi() {
  static const CodePageTable table("CP437", "CP1252", OemToAnsiBestFit,
                                   sizeof OemToAnsiBestFit / sizeof OemToAnsiBestFit[0]);
  return table;
}

}  // namespace

// Only FORMAT_MESSAGE_FROM_SYSTEM is served, with or without
// FORMAT_MESSAGE_ALLOCATE_BUFFER and FORMAT_MESSAGE_IGNORE_INSERTS; the texts
// are the English ones whatever the language asked for. As in Wine, a text
// with inserts fails without FORMAT_MESSAGE_IGNORE_INSERTS, since no insert
// arguments are taken.
extern "C" DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPSTR buffer, DWORD size, void*) {
  constexpr DWORD known = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
  if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || (flags & ~known) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const SystemText* found = FindSystemText(messageId);
  if (found == nullptr) {
    SetLastError(ErrorMessageNotFound);
    return 0;
  }
  if ((flags & FORMAT_MESSAGE_IGNORE_INSERTS) == 0 && HasInserts(found->text)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t length = std::strlen(found->text);
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    if (buffer == nullptr) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    // size is the least the caller wants allocated.
    char* text = static_cast<char*>(std::malloc(std::max<size_t>(length + 1, size)));
    if (text == nullptr) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    std::memcpy(text, found->text, length + 1);
    *reinterpret_cast<char**>(buffer) = text;
  } else {
    if (buffer == nullptr || size < length + 1) {
      SetLastError(ErrorInsufficientBuffer);
      return 0;
    }
    std::memcpy(buffer, found->text, length + 1);
  }
  return static_cast<DWORD>(length);
}

extern "C" HLOCAL WINAPI LocalFree(HLOCAL block) {
  std::free(block);
  return nullptr;
}

// Source and destination may be the same buffer.
extern "C" BOOL WINAPI CharToOemA(LPCSTR source, LPSTR destination) {
  if (source == nullptr || destination == nullptr) return FALSE;
  AnsiToOem().Convert(source, destination);
  return TRUE;
}

extern "C" BOOL WINAPI OemToCharA(LPCSTR source, LPSTR destination) {
  if (source == nullptr || destination == nullptr) return FALSE;
  OemToAnsi().Convert(source, destination);
  return TRUE;
}

// Runs the exit routines of the program and of every loaded library, like
// the detach notifications that ExitProcess sends, and ends the process.
extern "C" void WINAPI ExitProcess(UINT exitCode) { std::exit(static_cast<int>(exitCode)); }
