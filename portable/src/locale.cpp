// CompareStringA for the user's default locale (en-US, ANSI code page 1252),
// ordering texts as Wine does.
//
// Each text becomes a sort key and the keys compare byte by byte. A key holds,
// separated by 0x01 and ended by 0x00:
//   - the primary weights of all characters (two bytes each; the ligatures
//     such as "\xe6" or "\xdf" expand to two),
//   - one diacritic weight per primary weight, trailing plain ones (2) dropped,
//   - one case weight per primary weight, likewise (with NORM_IGNORECASE the
//     case-independent variant),
//   - an empty section,
//   - for each character that has only a special weight (hyphen, apostrophe,
//     the controls) its position, 0xFFFF less the number of primary weights
//     before it, and its weight.
// So texts differ first by their letters, digits and other symbols; then by
// accents; then by case; and only last by hyphens and apostrophes ("co-op"
// sorts right after "coop"). Characters with no weight at all (NUL, the soft
// hyphen) are ignored.
//
// The per-byte weights in sort_weights.inc are measured from Wine by
// tools/measure-wine/regenerate.sh.
#include <windows.h>

#include <cstring>
#include <string>

namespace {

struct ByteWeights {
  unsigned char primaryCount;
  unsigned char primary[4];
  unsigned char diacritic[2];
  unsigned char caseWeight[2];
  unsigned char caseIgnored[2];
  unsigned char special[2];
};

#include "sort_weights.inc"

constexpr DWORD ErrorInvalidFlags = 1004;

void AppendTrimmed(std::string& key, const std::string& weights) {
  size_t n = weights.size();
  while (n > 0 && static_cast<unsigned char>(weights[n - 1]) == 2) --n;
  key.append(weights, 0, n);
}

std::string SortKey(const unsigned char* text, size_t length, bool ignoreCase) {
  std::string primary, diacritic, caseWeights, special;
  size_t primaries = 0;
  for (size_t i = 0; i < length; ++i) {
    const ByteWeights& w = SortWeights[text[i]];
    if (w.special[0] != 0 || w.special[1] != 0) {
      unsigned position = primaries < 0xFFFF ? static_cast<unsigned>(0xFFFF - primaries) : 0;
      special += static_cast<char>(position >> 8);
      special += static_cast<char>(position & 0xFF);
      special += static_cast<char>(w.special[0]);
      special += static_cast<char>(w.special[1]);
    }
    for (int p = 0; p < w.primaryCount; ++p) {
      primary += static_cast<char>(w.primary[2 * p]);
      primary += static_cast<char>(w.primary[2 * p + 1]);
      diacritic += static_cast<char>(w.diacritic[p]);
      caseWeights += static_cast<char>(ignoreCase ? w.caseIgnored[p] : w.caseWeight[p]);
    }
    primaries += w.primaryCount;
  }
  std::string key = primary;
  key += '\x01';
  AppendTrimmed(key, diacritic);
  key += '\x01';
  AppendTrimmed(key, caseWeights);
  key += "\x01\x01";
  key += special;
  key += '\0';
  return key;
}

bool KnownLocale(LCID locale) {
  return locale == 0 || locale == LOCALE_USER_DEFAULT || locale == LOCALE_SYSTEM_DEFAULT || locale == 0x0409;
}

}  // namespace

// Only the locale this layer stands for is known (0, LOCALE_USER_DEFAULT,
// LOCALE_SYSTEM_DEFAULT, 0x409), and only NORM_IGNORECASE among the flags.
extern "C" int WINAPI CompareStringA(LCID locale, DWORD flags, LPCSTR a, int aLength, LPCSTR b, int bLength) {
  if (a == nullptr || b == nullptr || !KnownLocale(locale)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if ((flags & ~static_cast<DWORD>(NORM_IGNORECASE)) != 0) {
    SetLastError(ErrorInvalidFlags);
    return 0;
  }
  size_t na = aLength < 0 ? std::strlen(a) : static_cast<size_t>(aLength);
  size_t nb = bLength < 0 ? std::strlen(b) : static_cast<size_t>(bLength);
  bool ignoreCase = (flags & NORM_IGNORECASE) != 0;
  std::string ka = SortKey(reinterpret_cast<const unsigned char*>(a), na, ignoreCase);
  std::string kb = SortKey(reinterpret_cast<const unsigned char*>(b), nb, ignoreCase);
  int r = ka.compare(kb);
  return r < 0 ? CSTR_LESS_THAN : r > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL;
}
