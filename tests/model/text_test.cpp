#include "model/text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "host/base/exit_hook.h"

namespace {

// Raw storage for a TextField, pre-filled so that bytes an operation must not
// touch can be checked.
struct alignas(TextField) FieldStorage {
  unsigned char bytes[sizeof(TextField)];
  explicit FieldStorage(unsigned char fill) { std::memset(bytes, fill, sizeof bytes); }
  TextField* Field() { return reinterpret_cast<TextField*>(bytes); }
};

TEST(TextField, KeepsTheFirst260CharactersOfALongerText) {
  std::string text(300, 'q');
  text[259] = 'L';
  text[260] = 'X';
  FieldStorage storage(0xAA);
  TextField* field = new (storage.bytes) TextField(text.c_str());
  EXPECT_EQ(field->Length(), 260);
  EXPECT_EQ(std::string(field->Text()), text.substr(0, 260));
  EXPECT_EQ(storage.bytes[260], 0);
  EXPECT_EQ(storage.bytes[261], 0xAA) << "index 261 is never written";
}

TEST(TextField, NullEmptyAndDefaultAreEmpty) {
  TextField fromNull(static_cast<const char*>(nullptr));
  TextField fromEmpty("");
  EXPECT_STREQ(fromNull.Text(), "");
  EXPECT_EQ(fromNull.Length(), 0);
  EXPECT_STREQ(fromEmpty.Text(), "");
  EXPECT_EQ(fromEmpty.Length(), 0);

  FieldStorage storage(0xAA);
  TextField* field = new (storage.bytes) TextField();
  EXPECT_EQ(field->Length(), 0);
  EXPECT_EQ(storage.bytes[0], 0);
  EXPECT_EQ(storage.bytes[1], 0xAA) << "default construction sets only the first byte";
}

TEST(TextField, AssignmentRecountsInsteadOfTrustingTheOtherLength) {
  TextField source("hello");
  // A byte copy whose cached length was damaged: assignment must count the
  // characters again.
  FieldStorage damaged(0);
  std::memcpy(damaged.bytes, &source, sizeof source);
  int32_t wrong = 99;
  std::memcpy(damaged.bytes + 264, &wrong, sizeof wrong);
  ASSERT_EQ(damaged.Field()->Length(), 99);

  TextField target("something much longer than hello");
  target = *damaged.Field();
  EXPECT_STREQ(target.Text(), "hello");
  EXPECT_EQ(target.Length(), 5);

  TextField copy(*damaged.Field());
  EXPECT_EQ(copy.Length(), 5);

  target = target;  // self-assignment keeps the text
  EXPECT_STREQ(target.Text(), "hello");
  EXPECT_EQ(target.Length(), 5);
}

TEST(CopyBounded, SizesMinusOneZeroOneAndExactFit) {
  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  buffer[15] = 0;

  EXPECT_EQ(CopyBounded(buffer, "abc", 0), buffer);
  EXPECT_EQ(buffer[0], 'x') << "size 0 leaves the destination untouched";

  CopyBounded(buffer, "abc", 1);
  EXPECT_STREQ(buffer, "");

  CopyBounded(buffer, "abc", 4);  // exact fit
  EXPECT_STREQ(buffer, "abc");

  CopyBounded(buffer, "abcd", 4);  // one too long
  EXPECT_STREQ(buffer, "abc");

  CopyBounded(buffer, "a long text", -1);
  EXPECT_STREQ(buffer, "a long text");
}

TEST(CopyBounded, FillsTheRestOfTheBufferWithZeros) {
  char buffer[10];
  std::memset(buffer, 'x', sizeof buffer);
  CopyBounded(buffer, "ab", 8);
  for (int i = 2; i < 8; ++i) EXPECT_EQ(buffer[i], 0) << "index " << i;
  EXPECT_EQ(buffer[8], 'x') << "nothing is written at or past size";
}

TEST(CopyBounded, NullArguments) {
  char buffer[8] = "old";
  EXPECT_EQ(CopyBounded(nullptr, "abc", 8), nullptr);
  CopyBounded(buffer, nullptr, -1);
  EXPECT_STREQ(buffer, "");
  std::strcpy(buffer, "old");
  CopyBounded(buffer, nullptr, 8);
  EXPECT_STREQ(buffer, "");
}

TEST(CopyBounded, SizeBelowMinusOneWritesNothing) {
  char buffer[8] = "old";
  EXPECT_EQ(CopyBounded(buffer, "abc", -5), buffer);
  EXPECT_STREQ(buffer, "old");
}

TEST(AppendBounded, CutsToSizeMinusOne) {
  char buffer[16] = "abc";
  AppendBounded(buffer, "def", 5);
  EXPECT_STREQ(buffer, "abcd");

  std::strcpy(buffer, "abc");
  AppendBounded(buffer, "def", -1);
  EXPECT_STREQ(buffer, "abcdef");

  std::strcpy(buffer, "abc");
  AppendBounded(buffer, "def", 7);  // exact fit
  EXPECT_STREQ(buffer, "abcdef");

  std::strcpy(buffer, "abc");
  AppendBounded(buffer, "def", 0);
  EXPECT_STREQ(buffer, "abc");

  AppendBounded(buffer, nullptr, 16);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(AppendBounded(nullptr, "x", 16), nullptr);
}

TEST(AppendBounded, AFullOrUnterminatedDestinationIsCutNotOverrun) {
  char buffer[16] = "abcdef";
  AppendBounded(buffer, "x", 4);
  EXPECT_STREQ(buffer, "abc") << "the terminator goes at index size - 1";

  char unterminated[8];
  std::memset(unterminated, 'z', sizeof unterminated);
  AppendBounded(unterminated, "x", 5);
  EXPECT_EQ(std::string(unterminated, 5), std::string("zzzz\0", 5));
  EXPECT_EQ(unterminated[5], 'z');
}

TEST(TrimBlanks, SpacesAndTabsOnly) {
  char text[32] = " \t a b\t \t";
  EXPECT_EQ(TrimBlanks(text), text);
  EXPECT_STREQ(text, "a b");

  char blanks[8] = " \t  ";
  EXPECT_STREQ(TrimBlanks(blanks), "");
  char empty[1] = "";
  EXPECT_STREQ(TrimBlanks(empty), "");

  char lineBreaks[16] = "\r\nx\r\n";
  EXPECT_STREQ(TrimBlanks(lineBreaks), "\r\nx\r\n") << "CR and LF are not blanks";

  char leftOnly[16] = "   ab";
  EXPECT_STREQ(TrimBlanks(leftOnly), "ab");
  char rightOnly[16] = "ab \t";
  EXPECT_STREQ(TrimBlanks(rightOnly), "ab");
  char one[4] = " x ";
  EXPECT_STREQ(TrimBlanks(one), "x");

  const char* fromNull = TrimBlanks(nullptr);
  ASSERT_NE(fromNull, nullptr);
  EXPECT_STREQ(fromNull, "");
}

TEST(CutToFit, KeepsWhatFitsWithoutABlankTheCutExposed) {
  char fits[16] = "abcde";
  EXPECT_EQ(CutToFit(fits, 5), fits);
  EXPECT_STREQ(fits, "abcde") << "exactly the room: untouched";
  char untouched[16] = "ab  ";
  EXPECT_STREQ(CutToFit(untouched, 5), "ab  ") << "no cut, no trimming";
  char cut[16] = "abcdefg";
  EXPECT_STREQ(CutToFit(cut, 5), "abcde");
  char exposed[16] = "abc \t fg";
  EXPECT_STREQ(CutToFit(exposed, 5), "abc") << "the space and tab the cut left at the end go";
  char afterBlank[16] = "abcd efg";
  EXPECT_STREQ(CutToFit(afterBlank, 5), "abcd") << "the cut lands right after a blank";
  char inside[16] = "a    bcdef";
  EXPECT_STREQ(CutToFit(inside, 5), "a") << "blanks inside the kept text go only at its end";
  char allBlank[16] = "      x";
  EXPECT_STREQ(CutToFit(allBlank, 4), "");
  char none[16] = "abc";
  EXPECT_STREQ(CutToFit(none, 0), "");
  EXPECT_EQ(CutToFit(nullptr, 5), nullptr);
}

TEST(CompareText, NullRules) {
  EXPECT_EQ(CompareText(nullptr, nullptr, -1, 0), 0);
  EXPECT_EQ(CompareText(nullptr, "", -1, 0), -1);
  EXPECT_EQ(CompareText("", nullptr, -1, 0), 1);
}

TEST(CompareText, CaseAndLocaleOrder) {
  EXPECT_EQ(CompareText("Readme", "rEADME", -1, 0), 0);
  EXPECT_EQ(CompareText("a", "A", -1, 1), -1) << "lower case sorts first when case counts";
  EXPECT_EQ(CompareText("apple", "Banana", -1, 0), -1) << "by letters, not by byte value";
  EXPECT_EQ(CompareText("zebra", "Apple", -1, 0), 1);
  EXPECT_EQ(CompareText("coop", "co-op", -1, 0), -1) << "the hyphen weighs only after the letters";
  EXPECT_EQ(CompareText("co-op", "cop", -1, 0), -1);
  EXPECT_EQ(CompareText("\xe9t\xe9", "ete", -1, 0), 1) << "accents after letters";
  EXPECT_EQ(CompareText("\xe9t\xe9", "ETF", -1, 0), -1);
}

TEST(CompareText, CountLimitsBothTextsAndStopsAtTheTerminator) {
  EXPECT_EQ(CompareText("abcX", "abcY", 3, 0), 0);
  EXPECT_EQ(CompareText("abcX", "abcY", 4, 0), -1);
  EXPECT_EQ(CompareText("ab", "ab", 50, 0), 0);
  EXPECT_EQ(CompareText("ab", "abc", 50, 0), -1);
}

TEST(TextHelpers, LengthFindAndByteMoves) {
  EXPECT_EQ(TextLength(nullptr), 0);
  EXPECT_EQ(TextLength("abc"), 3);
  const char* text = "a.b.c";
  EXPECT_EQ(FindChar(text, '.'), text + 1);
  EXPECT_EQ(FindChar(text, 'x'), nullptr);
  EXPECT_EQ(FindChar(nullptr, 'x'), nullptr);

  char overlap[8] = "abcdef";
  MoveBytes(overlap + 1, overlap, 5);
  EXPECT_STREQ(overlap, "aabcde");
  char target[4] = "xyz";
  EXPECT_EQ(MoveBytes(target, nullptr, 2), target);
  EXPECT_EQ(CopyBytes(target, "ab", 0), target);
  EXPECT_STREQ(target, "xyz");
  CopyBytes(target, "ab", 2);
  EXPECT_STREQ(target, "abz");
}

TEST(FormatBounded, CutTextsReturnMinusOne) {
  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(FormatBounded(buffer, 10, "%s-%d", "abcdefgh", 123), -1);  // 12 characters
  EXPECT_STREQ(buffer, "abcdefgh-");
  EXPECT_EQ(buffer[10], 'x');

  EXPECT_EQ(FormatBounded(buffer, 10, "%s", "123456789"), 9);  // exactly size - 1
  EXPECT_STREQ(buffer, "123456789");

  EXPECT_EQ(FormatBounded(buffer, 1, "%s", "abc"), -1);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(FormatBounded(buffer, 1, "%s", ""), 0);
}

TEST(FormatBounded, SizeZeroStoresNothing) {
  char buffer[4] = "old";
  EXPECT_EQ(FormatBounded(buffer, 0, "%s", ""), 0);
  EXPECT_EQ(FormatBounded(buffer, 0, "%d", 5), -1);
  EXPECT_STREQ(buffer, "old");
}

TEST(FormatShared, OneBufferOverwrittenByEveryCall) {
  const char* first = FormatShared("first %d", 1);
  EXPECT_STREQ(first, "first 1");
  const char* second = FormatShared("second %s", "call");
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "second call");
}

TEST(FormatShared, CutsAt9999Characters) {
  std::string longText(12000, 'w');
  const char* text = FormatShared("%s", longText.c_str());
  EXPECT_EQ(std::strlen(text), 9999u);
}

TEST(FormatShared, MayFormatItsOwnPreviousText) {
  const char* text = FormatShared("%s", "base");
  text = FormatShared("[%s|%s]", text, text);
  EXPECT_STREQ(text, "[base|base]");
}

void RecordPreviousRoutine() { std::fputs("[previous]", stderr); }

// In a child process, since it releases the process-wide buffer and runs the
// exit-hook chain.
TEST(FormatSharedDeathTest, ReleaseRoutineRunsThePreviousExitRoutineOnce) {
  EXPECT_EXIT(
      {
        RunExitHook();  // start from an empty slot and no buffer
        InstallExitHook(&RecordPreviousRoutine);
        FormatShared("one");
        RunExitHook();                            // releases the buffer, then the previous routine
        RunExitHook();                            // the slot is empty now
        std::fputs(FormatShared("two"), stderr);  // created anew
        std::fflush(stderr);
        std::_Exit(0);
      },
      testing::ExitedWithCode(0), testing::Eq(std::string("[previous]two")));
}

}  // namespace
