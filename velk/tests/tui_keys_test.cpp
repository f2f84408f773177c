// Key decoding of the terminal front end: what terminals send, as the
// plug-in's break-key table must see it.
#include <gtest/gtest.h>

#include "velk/tui_parts.h"

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
  EXPECT_EQ(alt.ch, 0) << "Alt+x must not type an x";
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
  Input e = InputFromCharacter(L'e');
  EXPECT_EQ(e.key.vk, 'E');
  EXPECT_EQ(e.key.modifiers, ModNone);
  EXPECT_EQ(e.ch, L'e');
  // An upper-case letter is the same key for the plug-in (Caps Lock).
  EXPECT_EQ(KeyName(InputFromCharacter(L'E').key), "E");
  EXPECT_EQ(KeyName(InputFromCharacter(L'7').key), "7");
  // The main keyboard's operators stand for the numeric pad and still type.
  Input plus = InputFromCharacter(L'+');
  EXPECT_EQ(KeyName(plus.key), "Add");
  EXPECT_EQ(plus.ch, L'+');
  EXPECT_EQ(KeyName(InputFromCharacter(L'-').key), "Subtract");
  EXPECT_EQ(KeyName(InputFromCharacter(L'*').key), "Multiply");
  EXPECT_EQ(KeyName(InputFromCharacter(127).key), "BackSpace");
  EXPECT_EQ(KeyName(InputFromCharacter(8).key), "BackSpace");
  EXPECT_EQ(KeyName(InputFromCharacter(13).key), "Enter");
  EXPECT_EQ(KeyName(InputFromCharacter(9).key), "Tab");
  EXPECT_EQ(KeyName(InputFromCharacter(25).key), "Ctrl+Y");
  Input dot = InputFromCharacter(L'.');
  EXPECT_EQ(dot.key.vk, 0);
  EXPECT_EQ(dot.ch, L'.');
  EXPECT_EQ(InputFromCharacter(L'\u00E9').ch, L'\u00E9');
}

TEST(TuiKeys, AlternativesReachTheListScreensKeys) {
  const uint32_t table[] = {0x10026, 0x10028, 0x10070, 0x10074, 0x10031, 0x10033, 0x6B, 0};
  auto code = [&](Input in) { return FindBreakCode(table, ApplyAlternativeKeys(in).key); };
  EXPECT_EQ(code(KeyInput(VkUp, ModAlt)), 0);
  EXPECT_EQ(code(KeyInput(VkDown, ModAlt)), 1);
  EXPECT_EQ(code(KeyInput(VkF1, ModAlt)), 2);
  EXPECT_EQ(code(KeyInput(VkF1 + 4, ModAlt)), 3);
  EXPECT_EQ(code(KeyInput('1', ModAlt)), 4);
  EXPECT_EQ(code(KeyInput('3', ModAlt)), 5);
  EXPECT_EQ(code(InputFromCharacter(L'+')), 6);
  // Only those: Alt+4, Alt+F6 and Alt+Left stay what they are.
  EXPECT_EQ(KeyName(ApplyAlternativeKeys(KeyInput('4', ModAlt)).key), "Alt+4");
  EXPECT_EQ(KeyName(ApplyAlternativeKeys(KeyInput(VkF1 + 5, ModAlt)).key), "Alt+F6");
  EXPECT_EQ(KeyName(ApplyAlternativeKeys(KeyInput(VkLeft, ModAlt)).key), "Alt+Left");
  // The Ctrl prefix: the next key with Ctrl, typing nothing.
  Input one = WithCtrl(InputFromCharacter(L'1'));
  EXPECT_EQ(code(one), 4);
  EXPECT_EQ(one.ch, 0);
}

TEST(TuiKeys, XtermModifierParameter) {
  EXPECT_EQ(ModifiersFromXtermParameter(1), ModNone);
  EXPECT_EQ(ModifiersFromXtermParameter(2), ModShift);
  EXPECT_EQ(ModifiersFromXtermParameter(3), ModAlt);
  EXPECT_EQ(ModifiersFromXtermParameter(5), ModCtrl);
  EXPECT_EQ(ModifiersFromXtermParameter(8), ModCtrl | ModAlt | ModShift);
}

}  // namespace
}  // namespace velk::tui
