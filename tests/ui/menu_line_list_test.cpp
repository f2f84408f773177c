#include "ui/menu_line_list.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

HostMenuItem Line(const char* text, int32_t userData) {
  HostMenuItem item;
  std::memset(&item, 0, sizeof(item));
  std::strncpy(item.text, text, sizeof(item.text) - 1);
  item.userData = userData;
  return item;
}

TEST(MenuLineList, GrowsByExactlyOneRecordPerAppendAndKeepsCopies) {
  MenuLineList lines;
  EXPECT_EQ(lines.Count(), 0);
  EXPECT_EQ(lines.Capacity(), 0);
  EXPECT_EQ(lines.Items(), nullptr);

  for (int i = 0; i < 5; ++i) {
    HostMenuItem source = Line(("line " + std::to_string(i)).c_str(), 100 + i);
    HostMenuItem* stored = lines.Append(source);
    ASSERT_NE(stored, nullptr);
    EXPECT_NE(stored, &source);
    EXPECT_EQ(lines.Count(), i + 1);
    EXPECT_EQ(lines.Capacity(), i + 1);
    EXPECT_EQ(stored, lines.At(i));
  }
  // Earlier lines survive the block's moves.
  for (int i = 0; i < 5; ++i) {
    EXPECT_STREQ(lines.At(i)->text, ("line " + std::to_string(i)).c_str());
    EXPECT_EQ(lines.At(i)->userData, 100 + i);
    EXPECT_EQ(&lines.Items()[i], lines.At(i));
  }
}

TEST(MenuLineList, AtRefusesIndexesOutsideTheLines) {
  MenuLineList lines;
  EXPECT_EQ(lines.At(0), nullptr);
  lines.Append(Line("a", 0));
  lines.Append(Line("b", 1));
  EXPECT_EQ(lines.At(-1), nullptr);
  EXPECT_EQ(lines.At(2), nullptr);
  EXPECT_STREQ(lines.At(1)->text, "b");
}

TEST(MenuLineList, ClearReleasesEverythingAndTheListIsReusable) {
  MenuLineList lines;
  lines.Clear();  // nothing held: nothing happens
  EXPECT_EQ(lines.Items(), nullptr);
  lines.Append(Line("a", 0));
  lines.Append(Line("b", 1));
  lines.Clear();
  EXPECT_EQ(lines.Count(), 0);
  EXPECT_EQ(lines.Capacity(), 0);
  EXPECT_EQ(lines.Items(), nullptr);
  lines.Append(Line("c", 7));
  EXPECT_EQ(lines.Count(), 1);
  EXPECT_EQ(lines.Capacity(), 1);
  EXPECT_STREQ(lines.At(0)->text, "c");
}

}  // namespace
