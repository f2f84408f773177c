// CompareStringA as the plug-in uses it (LOCALE_USER_DEFAULT, flags 0 and
// NORM_IGNORECASE), checked against results measured from Wine. The same
// test runs in the Windows build against the system's own function and in the
// native build against the portable one, so passing both shows that they agree.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct ComparePair {
  const char* a;
  const char* b;
  int result;            // flags 0
  int resultIgnoreCase;  // NORM_IGNORECASE
};

#include "portable/compare_corpus.inc"

int Compare(const std::string& a, const std::string& b, DWORD flags) {
  return CompareStringA(LOCALE_USER_DEFAULT, flags, a.c_str(), -1, b.c_str(), -1);
}

int Expected(int rankA, int rankB) {
  return rankA < rankB ? CSTR_LESS_THAN : rankA > rankB ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

TEST(CompareStringA, OrdersEverySingleByteAsMeasured) {
  for (DWORD flags : {DWORD{0}, static_cast<DWORD>(NORM_IGNORECASE)}) {
    const int* rank = flags ? SingleByteRankIgnoreCase : SingleByteRank;
    int wrong = 0;
    for (int a = 1; a < 256 && wrong < 10; ++a) {
      for (int b = 1; b < 256 && wrong < 10; ++b) {
        int got = Compare(std::string(1, static_cast<char>(a)), std::string(1, static_cast<char>(b)), flags);
        if (got != Expected(rank[a], rank[b])) {
          ++wrong;
          ADD_FAILURE() << "flags " << flags << std::hex << ": 0x" << a << " vs 0x" << b << " gave " << got;
        }
      }
    }
  }
}

TEST(CompareStringA, ComparesTextsAsMeasured) {
  int wrong = 0;
  for (const ComparePair& p : ComparePairs) {
    int plain = Compare(p.a, p.b, 0);
    int ignoreCase = Compare(p.a, p.b, NORM_IGNORECASE);
    EXPECT_EQ(plain, p.result) << "\"" << p.a << "\" vs \"" << p.b << "\"";
    EXPECT_EQ(ignoreCase, p.resultIgnoreCase) << "\"" << p.a << "\" vs \"" << p.b << "\" ignoring case";
    // Swapping the texts reverses the result.
    EXPECT_EQ(Compare(p.b, p.a, 0), 4 - p.result) << "\"" << p.b << "\" vs \"" << p.a << "\"";
    if (plain != p.result || ignoreCase != p.resultIgnoreCase) ++wrong;
    if (wrong > 20) break;
  }
}

TEST(CompareStringA, ExplicitLengths) {
  EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0, "abc", 2, "ab", -1), CSTR_EQUAL);
  EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0, "abc", -5, "abc", -1), CSTR_EQUAL) << "any negative length";
  EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0, "", 0, "", -1), CSTR_EQUAL);
  // Within an explicit length a zero byte weighs nothing.
  EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0, "a\0b", 3, "a\0c", 3), CSTR_LESS_THAN);
  EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0, "a\0b", 3, "ab", 2), CSTR_EQUAL);
}

TEST(CompareStringA, FailuresSetTheLastError) {
  SetLastError(0);
  EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0, nullptr, -1, "a", -1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0, "a", -1, nullptr, -1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0x80000000u, "a", -1, "b", -1), 0);
  EXPECT_EQ(GetLastError(), 1004u) << "ERROR_INVALID_FLAGS";
  // Success leaves the last error alone.
  SetLastError(5);
  EXPECT_EQ(Compare("a", "b", 0), CSTR_LESS_THAN);
  EXPECT_EQ(GetLastError(), 5u);
}

TEST(CodePages, EveryByteConvertsAsMeasured) {
  for (int b = 1; b < 256; ++b) {
    char text[2] = {static_cast<char>(b), 0};
    char out[2] = {1, 1};
    ASSERT_TRUE(CharToOemA(text, out));
    EXPECT_EQ(static_cast<unsigned char>(out[0]), AnsiToOemMeasured[b]) << std::hex << "CharToOemA 0x" << b;
    EXPECT_EQ(out[1], 0);
    ASSERT_TRUE(OemToCharA(text, out));
    EXPECT_EQ(static_cast<unsigned char>(out[0]), OemToAnsiMeasured[b]) << std::hex << "OemToCharA 0x" << b;
  }
}

TEST(CodePages, ConvertsInPlace) {
  char text[] = "caf\xe9 \x80 x";
  ASSERT_TRUE(CharToOemA(text, text));
  EXPECT_STREQ(text, "caf\x82 ? x");
  EXPECT_FALSE(CharToOemA(nullptr, text));
  EXPECT_FALSE(CharToOemA(text, nullptr));
}

}  // namespace
