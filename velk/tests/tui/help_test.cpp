// velk's help file reader, and the plug-in's own help file as shipped.
#include <gtest/gtest.h>

#include <string>

#include "tui/help_file.h"

namespace velk::tui {
namespace {

TEST(TuiHelpFile, TopicsTitlesLinksAndComments) {
  HelpFile help;
  help.Parse(
      "Text before the first topic is ignored.\n"
      "@Contents\r\n"
      "$ The list\n"
      "; a comment line\n"
      "Press F4 to [[EditItem]] or see [[ApplyAsk|the question]].\n"
      "A literal [[[[ stays.\n"
      "\tindented\n"
      "\n"
      "\n"
      "@EditItem\n"
      "No title line here.\n"
      "@ApplyAsk\n"
      "$Apply?\n");
  EXPECT_TRUE(help.Problems().empty()) << help.Problems().front();
  ASSERT_EQ(help.TopicCount(), 3u);
  const HelpTopic* c = help.Find("contents");
  ASSERT_NE(c, nullptr) << "names are found in any letter case";
  EXPECT_EQ(c->title, L"The list");
  ASSERT_EQ(c->lines.size(), 3u) << "comments and trailing blank lines are dropped";
  EXPECT_EQ(c->lines[0], L"Press F4 to EditItem or see the question.");
  EXPECT_EQ(c->lines[1], L"A literal [[ stays.");
  EXPECT_EQ(c->lines[2], L"        indented");
  ASSERT_EQ(c->links.size(), 2u);
  EXPECT_EQ(c->links[0].target, "EditItem");
  EXPECT_EQ(c->links[0].column, 12u);
  EXPECT_EQ(c->links[0].length, 8u);
  EXPECT_EQ(c->links[1].target, "ApplyAsk");
  EXPECT_EQ(c->lines[0].substr(c->links[1].column, c->links[1].length), L"the question");
  EXPECT_EQ(help.Find("EditItem")->title, L"EditItem");
  EXPECT_EQ(help.Find("EditItem")->lines.size(), 1u);
  EXPECT_EQ(help.Find("ApplyAsk")->title, L"Apply?");
  EXPECT_EQ(help.Find("Nothing"), nullptr);
}

TEST(TuiHelpFile, ProblemsAreReportedAndTheRestIsKept) {
  HelpFile help;
  help.Parse(
      "@One\n"
      "see [[Two]] and [[Missing]]\n"
      "a [[broken link\n"
      "@Two\n"
      "@One\n"
      "second One\n"
      "@bad name\n");
  ASSERT_EQ(help.TopicCount(), 2u);
  EXPECT_EQ(help.Find("One")->lines.size(), 2u) << "the second One is not merged into the first";
  EXPECT_EQ(help.Find("One")->lines[1], L"a [[broken link");
  std::string all;
  for (const auto& p : help.Problems()) all += p + "\n";
  EXPECT_NE(all.find("closing ]]"), std::string::npos) << all;
  EXPECT_NE(all.find("appears twice"), std::string::npos) << all;
  EXPECT_NE(all.find("one-word name"), std::string::npos) << all;
  EXPECT_NE(all.find("missing topic Missing"), std::string::npos) << all;
  EXPECT_EQ(help.Problems().size(), 4u) << all;
}

TEST(TuiHelpFile, UnreadableFile) {
  HelpFile help;
  std::string error;
  EXPECT_FALSE(help.Load("/nonexistent/Tollex.hlp", &error));
  EXPECT_NE(error.find("/nonexistent/Tollex.hlp"), std::string::npos);
  HelpTopic t = MissingTopic("EditItem", error);
  ASSERT_GE(t.lines.size(), 2u);
  EXPECT_NE(t.lines[1].find(L"/nonexistent/Tollex.hlp"), std::wstring::npos);
}

// The shipped help file: every topic the plug-in and velk open is there,
// every link leads somewhere, and the keys of the list screen and the
// dialog are all explained.
TEST(TuiHelpFile, TheShippedHelpFileIsComplete) {
  HelpFile help;
  std::string error;
  ASSERT_TRUE(help.Load(VELK_HELP_FILE, &error)) << error;
  std::string problems;
  for (const auto& p : help.Problems()) problems += p + "\n";
  EXPECT_TRUE(problems.empty()) << problems;
  auto text = [&](const char* name) {
    const HelpTopic* t = help.Find(name);
    std::wstring all;
    if (t) {
      for (const auto& line : t->lines) all += line + L"\n";
    }
    return all;
  };
  for (const char* topic : {"Contents", "EditItem", "ApplyAsk", "VelkKeys"}) {
    EXPECT_FALSE(text(topic).empty()) << topic;
  }
  const std::wstring contents = text("Contents");
  for (const wchar_t* key :
       {L"Ins", L"Del", L"F4", L"Enter", L"Ctrl+Up", L"Ctrl+Down", L"Space", L"Ctrl+F1", L"Ctrl+F2", L"Ctrl+F3",
        L"Ctrl+F4", L"Ctrl+F5", L"Ctrl+1", L"Ctrl+2", L"Ctrl+3", L"BackSpace", L"Esc"}) {
    EXPECT_NE(contents.find(key), std::wstring::npos)
        << "Contents does not explain " << std::string(key, key + wcslen(key));
  }
  const std::wstring edit = text("EditItem");
  for (const wchar_t* field : {L"Mask", L"Description", L"Execute", L"AltExec", L"View", L"AltView", L"Edit",
                               L"AltEdit", L"history", L"group"}) {
    EXPECT_NE(edit.find(field), std::wstring::npos)
        << "EditItem does not explain " << std::string(field, field + wcslen(field));
  }
  const std::wstring keys = text("VelkKeys");
  for (const wchar_t* alt : {L"Alt+Up", L"Alt+Down", L"Alt+1", L"Alt+F1", L"F12", L"Ctrl+L", L"Ctrl+Z"}) {
    EXPECT_NE(keys.find(alt), std::wstring::npos)
        << "VelkKeys does not explain " << std::string(alt, alt + wcslen(alt));
  }
}

}  // namespace
}  // namespace velk::tui
