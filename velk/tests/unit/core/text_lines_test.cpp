// The line reader shared by the language file and the script.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text_lines.h"

namespace velk {
namespace {

struct Seen {
  int number;
  std::string line;
  size_t first;
};

std::vector<Seen> ReadAll(const std::string& content) {
  std::vector<Seen> seen;
  TextLines lines(content);
  while (lines.Next()) seen.push_back({lines.Number(), lines.Line(), lines.First()});
  return seen;
}

TEST(TextLines, SkipsBlankAndCommentLinesButCountsThem) {
  std::vector<Seen> seen = ReadAll("# comment\n\n \t \n  # indented comment\n\tone two\r\nlast");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].number, 5);
  EXPECT_EQ(seen[0].line, "\tone two") << "the CR is dropped, leading blanks kept";
  EXPECT_EQ(seen[0].first, 1u);
  EXPECT_EQ(seen[1].number, 6);
  EXPECT_EQ(seen[1].line, "last");
  EXPECT_EQ(seen[1].first, 0u);
}

TEST(TextLines, DropsAByteOrderMarkOnTheFirstLineOnly) {
  std::vector<Seen> seen = ReadAll("\xEF\xBB\xBFx=1\n\xEF\xBB\xBFy=2\n");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].line, "x=1");
  EXPECT_EQ(seen[1].line, "\xEF\xBB\xBFy=2");
  // A mark before a comment still leaves a comment.
  EXPECT_TRUE(ReadAll("\xEF\xBB\xBF# only a comment\r\n").empty());
}

TEST(TextLines, FailNamesTheCurrentLine) {
  TextLines lines("\n\nbad\n");
  ASSERT_TRUE(lines.Next());
  std::string error;
  EXPECT_FALSE(lines.Fail(error, "no good"));
  EXPECT_EQ(error, "line 3: no good");
  EXPECT_FALSE(lines.Next());
}

}  // namespace
}  // namespace velk
