// The transcript: what it records of the views the plug-in shows and of
// the answers it gets.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "core/transcript.h"
#include "script/script_front_end.h"

namespace velk {
namespace {

TEST(Transcript, RecordsViewsAnswersAndDialogChanges) {
  std::vector<ScriptCommand> cmds;
  std::string error;
  ASSERT_TRUE(ParseScript("key Space\nfocus 1\ntext after\nkey Enter\n", cmds, error));
  ScriptFrontEnd script(cmds, [](int, const std::string&) { throw 1; });
  std::ostringstream out;
  TranscriptFrontEnd t(script, out);
  HostDialogItem d[3];
  std::memset(d, 0, sizeof d);
  d[0].kind = DialogItemCheckBox;
  d[0].checkState = 1;
  std::strcpy(d[0].text, "Check");
  d[1].kind = DialogItemEdit;
  std::strcpy(d[1].text, "before \"q\"");
  d[2].kind = DialogItemButton;
  d[2].isDefault = 1;
  std::strcpy(d[2].text, "Ok");
  DialogView view;
  view.width = 76;
  view.height = 23;
  view.helpTopic = "EditItem";
  view.items = d;
  view.count = 3;
  EXPECT_EQ(t.RunDialog(view), 2);
  std::string s = out.str();
  EXPECT_NE(s.find("-- dialog 76x23, help \"EditItem\", 3 items"), std::string::npos) << s;
  EXPECT_NE(s.find("checkbox 0,0 [x] \"Check\""), std::string::npos) << s;
  EXPECT_NE(s.find("=> item 2 (button \"Ok\")"), std::string::npos) << s;
  EXPECT_NE(s.find("item 0 check [x] -> [ ]"), std::string::npos) << s;
  EXPECT_NE(s.find("item 1 text \"before \\\"q\\\"\" -> \"after\""), std::string::npos) << s;
}

}  // namespace
}  // namespace velk
