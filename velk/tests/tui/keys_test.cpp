// Key decoding of the terminal front end: what terminals send, as the
// plug-in's break-key table must see it.
#include <gtest/gtest.h>

#include "tui/key_decoding.h"

namespace velk::tui {
namespace {

std::string Decoded(std::string_view afterEsc) {
  Input in = DecodeEscapeSequence(afterEsc);
  return in.kind == Input::Key ? KeyName(in.key) : "none";
}

TEST(TuiKeys, ModifiedCursorAndFunctionKeysInXtermForm) {
  EXPECT_EQ(Decoded("[1;5A"), "Ctrl+Up");
  EXPECT_EQ(Decoded("[1;5B"), "Ctrl+Down");
  EXPECT_EQ(Decoded("[1;3A"), "Alt+Up");
  EXPECT_EQ(Decoded("[1;2D"), "Shift+Left");
  EXPECT_EQ(Decoded("[1;5P"), "Ctrl+F1");
  EXPECT_EQ(Decoded("[1;5S"), "Ctrl+F4");
  EXPECT_EQ(Decoded("[15;5~"), "Ctrl+F5");
  EXPECT_EQ(Decoded("[24~"), "F12");
  EXPECT_EQ(Decoded("[2~"), "Ins");
  EXPECT_EQ(Decoded("[3;5~"), "Ctrl+Del");
  EXPECT_EQ(Decoded("[6~"), "PgDn");
  EXPECT_EQ(Decoded("[A"), "Up");
  EXPECT_EQ(Decoded("[Z"), "Shift+Tab");
}

TEST(TuiKeys, OtherKeysWithModifiersInBothReportForms) {
  // xterm's modifyOtherKeys and the "CSI u" form carry the character code.
  EXPECT_EQ(Decoded("[27;5;49~"), "Ctrl+1");
  EXPECT_EQ(Decoded("[27;5;51~"), "Ctrl+3");
  EXPECT_EQ(Decoded("[49;5u"), "Ctrl+1");
  EXPECT_EQ(Decoded("[50;5u"), "Ctrl+2");
  EXPECT_EQ(Decoded("[97;7u"), "Ctrl+Alt+A");
  EXPECT_EQ(Decoded("[27u"), "Esc");
  EXPECT_EQ(Decoded("[13;5u"), "Ctrl+Enter");
  EXPECT_EQ(Decoded("[97:65;5u"), "Ctrl+A");  // sub-parameters are ignored
}

TEST(TuiKeys, KeypadRxvtAndConsoleVariants) {
  EXPECT_EQ(Decoded("Ok"), "Add");
  EXPECT_EQ(Decoded("Om"), "Subtract");
  EXPECT_EQ(Decoded("Oj"), "Multiply");
  EXPECT_EQ(Decoded("OP"), "F1");
  EXPECT_EQ(Decoded("O5P"), "Ctrl+F1");
  EXPECT_EQ(Decoded("Oa"), "Ctrl+Up");  // rxvt
  EXPECT_EQ(Decoded("[11^"), "Ctrl+F1");  // rxvt
  EXPECT_EQ(Decoded("[[A"), "F1");  // Linux console
  EXPECT_EQ(Decoded("[[E"), "F5");
}

TEST(TuiKeys, AltWithACharacterAndUnknownSequences) {
  EXPECT_EQ(Decoded("1"), "Alt+1");
  EXPECT_EQ(Decoded("x"), "Alt+X");
  Input alt = DecodeEscapeSequence("x");
  EXPECT_EQ(alt.key.ch, 0u) << "Alt+x must not type an x";
  EXPECT_EQ(Decoded("[?1;2c"), "none");  // a terminal's report
  EXPECT_EQ(Decoded("[99~"), "none");
  EXPECT_EQ(Decoded("[1;5"), "none");  // cut off
}

TEST(TuiKeys, SequenceCompletenessDecidesWhenReadingStops) {
  EXPECT_FALSE(EscapeSequenceComplete(""));
  EXPECT_FALSE(EscapeSequenceComplete("["));
  EXPECT_FALSE(EscapeSequenceComplete("[1;5"));
  EXPECT_TRUE(EscapeSequenceComplete("[1;5A"));
  EXPECT_FALSE(EscapeSequenceComplete("[["));
  EXPECT_TRUE(EscapeSequenceComplete("[[B"));
  EXPECT_FALSE(EscapeSequenceComplete("O"));
  EXPECT_FALSE(EscapeSequenceComplete("O5"));
  EXPECT_TRUE(EscapeSequenceComplete("O5P"));
  EXPECT_TRUE(EscapeSequenceComplete("x"));
  EXPECT_TRUE(EscapeSequenceComplete("[2$"));
}

TEST(TuiKeys, PlainCharacters) {
  Input e = InputFromCharacter(U'e');
  EXPECT_EQ(e.key.vk, 'E');
  EXPECT_EQ(e.key.modifiers, KeyModNone);
  EXPECT_EQ(e.key.ch, U'e');
  // An upper-case letter is the same key for the plug-in (Caps Lock).
  EXPECT_EQ(KeyName(InputFromCharacter(U'E').key), "E");
  EXPECT_EQ(KeyName(InputFromCharacter(U'7').key), "7");
  // The main keyboard's operators stand for the numeric pad and still type.
  Input plus = InputFromCharacter(U'+');
  EXPECT_EQ(KeyName(plus.key), "Add");
  EXPECT_EQ(plus.key.ch, U'+');
  EXPECT_EQ(KeyName(InputFromCharacter(U'-').key), "Subtract");
  EXPECT_EQ(KeyName(InputFromCharacter(U'*').key), "Multiply");
  EXPECT_EQ(KeyName(InputFromCharacter(127).key), "BackSpace");
  EXPECT_EQ(KeyName(InputFromCharacter(8).key), "BackSpace");
  EXPECT_EQ(KeyName(InputFromCharacter(13).key), "Enter");
  EXPECT_EQ(KeyName(InputFromCharacter(9).key), "Tab");
  EXPECT_EQ(KeyName(InputFromCharacter(25).key), "Ctrl+Y");
  Input dot = InputFromCharacter(U'.');
  EXPECT_EQ(dot.key.vk, 0);
  EXPECT_EQ(dot.key.ch, U'.');
  EXPECT_EQ(InputFromCharacter(U'\u00E9').key.ch, U'\u00E9');
}

TEST(TuiKeys, StandInsReachTheListScreensKeys) {
  const uint32_t table[] = {BreakKeyWord(VkUp, KeyModCtrl), BreakKeyWord(VkDown, KeyModCtrl),
                            BreakKeyWord(VkF(1), KeyModCtrl), BreakKeyWord(VkF(5), KeyModCtrl),
                            BreakKeyWord('1', KeyModCtrl), BreakKeyWord('3', KeyModCtrl), BreakKeyWord(VkAdd), 0};
  auto code = [&](Input in) { return FindBreakCode(table, ApplyStandIns(in.key)); };
  EXPECT_EQ(code(DecodeEscapeSequence("[1;3A")), 0) << "Alt+Up as xterm sends it";
  EXPECT_EQ(code(DecodeEscapeSequence("[1;3B")), 1);
  EXPECT_EQ(code(DecodeEscapeSequence("[1;3P")), 2);
  EXPECT_EQ(code(DecodeEscapeSequence("[15;3~")), 3);
  EXPECT_EQ(code(DecodeEscapeSequence("1")), 4) << "ESC 1: Alt+1";
  EXPECT_EQ(code(DecodeEscapeSequence("3")), 5);
  EXPECT_EQ(code(InputFromCharacter(U'+')), 6) << "the main keyboard's + for the numeric pad";
  EXPECT_EQ(code(DecodeEscapeSequence("4")), -1);
  // The Ctrl prefix: the next key with Ctrl, typing nothing.
  KeyPress one = WithCtrl(InputFromCharacter(U'1').key);
  EXPECT_EQ(FindBreakCode(table, one), 4);
  EXPECT_EQ(one.ch, 0u);
}

TEST(TuiKeys, XtermModifierParameter) {
  EXPECT_EQ(ModifiersFromXtermParameter(1), KeyModNone);
  EXPECT_EQ(ModifiersFromXtermParameter(2), KeyModShift);
  EXPECT_EQ(ModifiersFromXtermParameter(3), KeyModAlt);
  EXPECT_EQ(ModifiersFromXtermParameter(5), KeyModCtrl);
  EXPECT_EQ(ModifiersFromXtermParameter(8), KeyModCtrl | KeyModAlt | KeyModShift);
}

}  // namespace
}  // namespace velk::tui
