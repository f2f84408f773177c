// The key vocabulary: names, what keys type, the break-key table and the
// terminal's stand-ins.
#include <gtest/gtest.h>

#include "interaction/keys.h"

namespace velk {
namespace {

TEST(KeyNames, ParseAndNameAgree) {
  const char* names[] = {"Up",     "Ctrl+Up", "F1",        "F12",   "Ctrl+F5",   "Add",  "Subtract", "Multiply",
                         "Ctrl+1", "A",       "Shift+Tab", "Alt+X", "BackSpace", "PgDn", "Esc"};
  for (const char* n : names) {
    KeyPress k;
    ASSERT_TRUE(ParseKeyName(n, k)) << n;
    EXPECT_EQ(KeyName(k), n);
  }
  KeyPress k;
  ASSERT_TRUE(ParseKeyName("ctrl+shift+f4", k));
  EXPECT_EQ(KeyName(k), "Ctrl+Shift+F4");
  EXPECT_FALSE(ParseKeyName("+", k));
  EXPECT_FALSE(ParseKeyName("Ctrl+", k));
  EXPECT_FALSE(ParseKeyName("F0", k));
  EXPECT_FALSE(ParseKeyName("F13", k));
  EXPECT_FALSE(ParseKeyName("F01", k));
  EXPECT_FALSE(ParseKeyName("Shift+Alt+Shift+A", k)) << "a modifier given twice";
  EXPECT_FALSE(ParseKeyName("Divide", k)) << "not a key of the script language";
  EXPECT_EQ(BreakKeyName(BreakKeyWord(VkUp, KeyModCtrl)), "Ctrl+Up");
  // Keys without a name show their code, unknown modifier bits too.
  EXPECT_EQ(KeyName(KeyPress{0x91, KeyModCtrl, 0}), "Ctrl+0x91");
  EXPECT_EQ(BreakKeyName(0x00080041), "Mod0x8+A");
}

TEST(KeyNames, AKeyTypesWhatAKeyboardTypesForIt) {
  EXPECT_EQ(TypedCharacter('A', KeyModNone), U'a');
  EXPECT_EQ(TypedCharacter('Z', KeyModShift), U'Z');
  EXPECT_EQ(TypedCharacter('7', KeyModNone), U'7');
  EXPECT_EQ(TypedCharacter(VkSpace, KeyModNone), U' ');
  EXPECT_EQ(TypedCharacter(VkAdd, KeyModNone), U'+');
  EXPECT_EQ(TypedCharacter(VkSubtract, KeyModNone), U'-');
  EXPECT_EQ(TypedCharacter(VkMultiply, KeyModNone), U'*');
  // Nothing with Ctrl or Alt, nothing for Shift with a digit (the
  // character depends on the keyboard), nothing for other keys.
  EXPECT_EQ(TypedCharacter('A', KeyModCtrl), 0u);
  EXPECT_EQ(TypedCharacter('A', KeyModAlt | KeyModShift), 0u);
  EXPECT_EQ(TypedCharacter('1', KeyModShift), 0u);
  EXPECT_EQ(TypedCharacter(VkF(4), KeyModNone), 0u);
  EXPECT_EQ(TypedCharacter(VkReturn, KeyModNone), 0u);
  KeyPress k;
  ASSERT_TRUE(ParseKeyName("q", k));
  EXPECT_EQ(k.vk, 'Q');
  EXPECT_EQ(k.ch, U'q') << "a script's key Q types the letter, whatever case it is written in";
}

TEST(BreakKeys, ExactKeyAndModifiersAndTheEndOfTheTable) {
  const uint32_t table[] = {BreakKeyWord(VkInsert), BreakKeyWord(VkUp, KeyModCtrl), BreakKeyWord('Q'), 0,
                            BreakKeyWord(VkDown)};
  EXPECT_EQ(FindBreakCode(table, Key(VkInsert)), 0);
  EXPECT_EQ(FindBreakCode(table, Key(VkUp, KeyModCtrl)), 1);
  EXPECT_EQ(FindBreakCode(table, Key(VkUp)), -1) << "Up is not Ctrl+Up";
  EXPECT_EQ(FindBreakCode(table, Key(VkInsert, KeyModShift)), -1);
  EXPECT_EQ(FindBreakCode(table, Key('Q')), 2) << "the typed character does not matter";
  EXPECT_EQ(FindBreakCode(table, Key(VkDown)), -1) << "the zero word ends the table";
  EXPECT_EQ(FindBreakCode(nullptr, Key(VkInsert)), -1);
}

TEST(StandIns, AltForTheCtrlKeysOfTheListAndTheCtrlPrefix) {
  EXPECT_EQ(KeyName(ApplyStandIns(Key(VkUp, KeyModAlt))), "Ctrl+Up");
  EXPECT_EQ(KeyName(ApplyStandIns(Key(VkDown, KeyModAlt))), "Ctrl+Down");
  EXPECT_EQ(KeyName(ApplyStandIns(Key('1', KeyModAlt))), "Ctrl+1");
  EXPECT_EQ(KeyName(ApplyStandIns(Key('3', KeyModAlt))), "Ctrl+3");
  EXPECT_EQ(KeyName(ApplyStandIns(Key(VkF(1), KeyModAlt))), "Ctrl+F1");
  EXPECT_EQ(KeyName(ApplyStandIns(Key(VkF(5), KeyModAlt))), "Ctrl+F5");
  // Only those, and only with Alt alone.
  EXPECT_EQ(KeyName(ApplyStandIns(Key('4', KeyModAlt))), "Alt+4");
  EXPECT_EQ(KeyName(ApplyStandIns(Key(VkF(6), KeyModAlt))), "Alt+F6");
  EXPECT_EQ(KeyName(ApplyStandIns(Key(VkLeft, KeyModAlt))), "Alt+Left");
  EXPECT_EQ(KeyName(ApplyStandIns(Key(VkUp, KeyModAlt | KeyModShift))), "Alt+Shift+Up");
  EXPECT_EQ(KeyName(ApplyStandIns(Key(VkUp))), "Up");
  KeyPress one = WithCtrl(Key('1'));
  EXPECT_EQ(KeyName(one), "Ctrl+1");
  EXPECT_EQ(one.ch, 0u) << "a key taken with Ctrl types nothing";
}

}  // namespace
}  // namespace velk
