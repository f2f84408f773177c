// The wrappers around the host's message box, menu and dialog, and the two
// message lookups, against a fake host installed directly.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "fakes/fake_host.h"
#include "host/entry/startup.h"
#include "host/interface/host_services.h"
#include "host/interface/messages.h"
#include "ui/menu_line_list.h"

using ::testing::ElementsAre;

namespace {

class HostServicesTest : public ::testing::Test {
 protected:
  void SetUp() override { host.Install(); }
  FakeHost host;
};

// ------------------------------------------------------------ message box

TEST_F(HostServicesTest, AMultiLineTextGoesAsOneTextWithTheFlagAdded) {
  host.messageAnswers = {2};
  EXPECT_EQ(HostMessageBox("Title\nBody line", MessageButtonsYesNoCancel | MessageFlagBit0, "ApplyAsk"), 2);
  ASSERT_EQ(host.messageCalls.size(), 1u);
  const FakeHost::MessageCall& call = host.messageCalls[0];
  EXPECT_EQ(call.flags, MessageButtonsYesNoCancel | MessageOneText | MessageFlagBit0);
  EXPECT_EQ(call.helpTopic, "ApplyAsk");
  EXPECT_THAT(call.items, ElementsAre("Title\nBody line"));
  EXPECT_EQ(call.itemCount, 1);
  EXPECT_EQ(call.buttonCount, 1);

  // A carriage return alone counts as a line break too.
  HostMessageBox("Title\rBody", MessageButtonsOk | MessageFlagBit0, nullptr);
  EXPECT_EQ(host.messageCalls[1].flags, MessageButtonsOk | MessageOneText | MessageFlagBit0);
  EXPECT_EQ(host.messageCalls[1].helpTopic, "(null)");
}

TEST_F(HostServicesTest, ASingleLineTextGoesInTheSameOneTextForm) {
  // Never as an array: the host would take the text's bytes for pointers.
  host.messageAnswers = {0};
  EXPECT_EQ(HostMessageBox("Only a title", MessageButtonsOk | MessageFlagBit0, nullptr), 0);
  ASSERT_EQ(host.messageCalls.size(), 1u);
  EXPECT_EQ(host.messageCalls[0].flags, MessageButtonsOk | MessageOneText | MessageFlagBit0);
  EXPECT_THAT(host.messageCalls[0].items, ElementsAre("Only a title"));

  HostMessageBox(nullptr, MessageButtonsOk | MessageFlagBit0, nullptr);  // a null text is an empty one
  ASSERT_EQ(host.messageCalls.size(), 2u);
  EXPECT_THAT(host.messageCalls[1].items, ElementsAre(""));
}

TEST_F(HostServicesTest, EscapeFromTheMessageBoxIsPassedBack) {
  EXPECT_EQ(HostMessageBox("A\nB", MessageButtonsYesNo | MessageFlagBit0, nullptr), -1);  // no scripted answer: Esc
}

// ------------------------------------------------------------ menu

TEST_F(HostServicesTest, TheMenuGetsItsTextsThroughTheLookupsAndTheFixedArguments) {
  MenuLineList lines;
  HostMenuItem line{};
  std::strcpy(line.text, "first");
  line.userData = 4;
  lines.Append(line);
  std::strcpy(line.text, "second");
  line.userData = 9;
  lines.Append(line);
  const uint32_t keys[] = {0x2D, 0x2E, 0};
  const char title[] = "A ready title";
  host.menuAnswers = {{1, 0}};
  int breakCode = 77;

  int position = HostMenu(lines, reinterpret_cast<uintptr_t>(title), MenuFlagBit0, MsgListBottom, "Contents", keys,
                          &breakCode);
  EXPECT_EQ(position, 1);
  EXPECT_EQ(breakCode, 0);
  ASSERT_EQ(host.menuCalls.size(), 1u);
  const FakeHost::MenuCall& call = host.menuCalls[0];
  EXPECT_EQ(call.x, -1);
  EXPECT_EQ(call.y, -1);
  EXPECT_EQ(call.maxHeight, 0);
  EXPECT_EQ(call.flags, MenuFlagAlways | MenuFlagBit0);
  EXPECT_EQ(call.title, "A ready title");
  EXPECT_EQ(call.bottom, "M27");
  EXPECT_EQ(call.helpTopic, "Contents");
  EXPECT_THAT(call.breakKeys, ElementsAre(0x2Du, 0x2Eu, 0u));
  ASSERT_EQ(call.items.size(), 2u);
  EXPECT_STREQ(call.items[0].text, "first");
  EXPECT_EQ(call.items[1].userData, 9);

  // Value 0 stands for no text; Esc comes back as -1 with break code -1.
  HostMenu(lines, 0, MenuFlagAlways, 0, nullptr, keys, &breakCode);
  EXPECT_EQ(host.menuCalls[1].title, "");
  EXPECT_EQ(host.menuCalls[1].bottom, "");
  EXPECT_EQ(host.menuCalls[1].flags, MenuFlagAlways);
  EXPECT_EQ(breakCode, -1);
}

// ------------------------------------------------------------ dialog

TEST_F(HostServicesTest, TheDialogIsPlacedByTheHostAndEditsComeBack) {
  HostDialogItem items[2] = {};
  std::strcpy(items[1].text, "before");
  host.dialogAnswers.push_back(SetTextsAndPress({{1, "after"}}, 1));
  EXPECT_EQ(HostDialog(76, 22, items, 2, "EditItem"), 1);
  ASSERT_EQ(host.dialogCalls.size(), 1u);
  EXPECT_EQ(host.dialogCalls[0].x, -1);
  EXPECT_EQ(host.dialogCalls[0].y, -1);
  EXPECT_EQ(host.dialogCalls[0].width, 76);
  EXPECT_EQ(host.dialogCalls[0].height, 22);
  EXPECT_EQ(host.dialogCalls[0].helpTopic, "EditItem");
  EXPECT_STREQ(host.dialogCalls[0].items[1].text, "before");
  EXPECT_STREQ(items[1].text, "after");
  EXPECT_EQ(HostDialog(76, 22, items, 2, "EditItem"), -1);
}

// ------------------------------------------------------------ lookups

TEST_F(HostServicesTest, TextOrMessageTellsNumbersFromReadyTexts) {
  EXPECT_STREQ(TextOrMessage(0), "");
  EXPECT_EQ(TextOrMessage(0), TextOrMessage(0));  // one shared empty text
  const char ready[] = "ready";
  EXPECT_EQ(TextOrMessage(reinterpret_cast<uintptr_t>(ready)), ready);
  EXPECT_TRUE(host.messageLookups.empty());

  EXPECT_STREQ(TextOrMessage(15), "M15");
  EXPECT_STREQ(TextOrMessage(2000), "M2000");  // still a message number
  EXPECT_THAT(host.messageLookups, ElementsAre(15, 2000));
}

TEST_F(HostServicesTest, MessageTextTakesTheMagnitudeBelow2000) {
  host.SetMessage(16, "The mask\nmust not be empty");
  EXPECT_STREQ(MessageText(-16), "The mask\nmust not be empty");
  EXPECT_STREQ(MessageText(16), "The mask\nmust not be empty");
  EXPECT_STREQ(MessageText(1999), "M1999");
  EXPECT_EQ(MessageText(2000), nullptr);
  EXPECT_EQ(MessageText(-2000), nullptr);
  EXPECT_EQ(MessageText(INT_MIN), nullptr);
  EXPECT_THAT(host.messageLookups, ElementsAre(16, 16, 1999));
}

TEST_F(HostServicesTest, AMessageTheLanguageFileLacksIsAnEmptyText) {
  host.Lack(19);
  host.Lack(4);
  const char* text = MessageText(19);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "");
  ASSERT_NE(TextOrMessage(4), nullptr);
  EXPECT_STREQ(TextOrMessage(4), "");
}

TEST(HostServicesWithoutHost, NothingIsCalledAndNothingIsNull) {
  ASSERT_EQ(HostInfo, nullptr);
  EXPECT_STREQ(MessageText(3), "");
  EXPECT_STREQ(TextOrMessage(3), "");
  EXPECT_EQ(HostMessageBox("A\nB", MessageButtonsOk | MessageFlagBit0, nullptr), -1);
  MenuLineList lines;
  int breakCode = 5;
  EXPECT_EQ(HostMenu(lines, 0, 0, 0, nullptr, nullptr, &breakCode), -1);
  EXPECT_EQ(breakCode, -1);
  EXPECT_EQ(HostDialog(10, 10, nullptr, 0, nullptr), -1);
}

}  // namespace
