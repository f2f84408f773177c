// Key decoding of the terminal front end: what terminals send, as the
// plug-in's break-key table must see it.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string_view>
#include <utility>

#include "tui/key_decoding.h"

namespace velk::tui {
namespace {

std::string Decoded(std::string_view afterEsc) {
  Input in = DecodeEscapeSequence(afterEsc);
  return in.kind == Input::Key ? KeyName(in.key) : "none";
}

// Each escape sequence (after the Esc) and the key it decodes to.
void ExpectDecoded(std::initializer_list<std::pair<std::string_view, const char*>> cases) {
  for (const auto& [afterEsc, key] : cases) EXPECT_EQ(Decoded(afterEsc), key) << afterEsc;
}

TEST(TuiKeys, ModifiedCursorAndFunctionKeysInXtermForm) {
  ExpectDecoded({
      {"[1;5A", "Ctrl+Up"},
      {"[1;5B", "Ctrl+Down"},
      {"[1;3A", "Alt+Up"},
      {"[1;2D", "Shift+Left"},
      {"[1;5P", "Ctrl+F1"},
      {"[1;5S", "Ctrl+F4"},
      {"[15;5~", "Ctrl+F5"},
      {"[24~", "F12"},
      {"[2~", "Ins"},
      {"[3;5~", "Ctrl+Del"},
      {"[6~", "PgDn"},
      {"[A", "Up"},
      {"[Z", "Shift+Tab"},
  });
}

TEST(TuiKeys, OtherKeysWithModifiersInBothReportForms) {
  // xterm's modifyOtherKeys and the "CSI u" form carry the character code.
  ExpectDecoded({
      {"[27;5;49~", "Ctrl+1"},
      {"[27;5;51~", "Ctrl+3"},
      {"[49;5u", "Ctrl+1"},
      {"[50;5u", "Ctrl+2"},
      {"[97;7u", "Ctrl+Alt+A"},
      {"[27u", "Esc"},
      {"[13;5u", "Ctrl+Enter"},
      {"[97:65;5u", "Ctrl+A"},  // sub-parameters are ignored
  });
}

TEST(TuiKeys, KeypadRxvtAndConsoleVariants) {
  ExpectDecoded({
      {"Ok", "Add"},
      {"Om", "Subtract"},
      {"Oj", "Multiply"},
      {"OP", "F1"},
      {"O5P", "Ctrl+F1"},
      {"Oa", "Ctrl+Up"},    // rxvt
      {"[11^", "Ctrl+F1"},  // rxvt
      {"[[A", "F1"},        // Linux console
      {"[[E", "F5"},
  });
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
  // Keys without a key code are named by their character (the key log's
  // names), with Ctrl and Alt too; Ctrl with \ ] ^ _ arrives as such a key.
  EXPECT_EQ(KeyName(dot.key), ".");
  EXPECT_EQ(KeyName(InputFromCharacter(U'\u65E5').key), "\u65E5");
  EXPECT_EQ(KeyName(InputFromCharacter(0x1C).key), "Ctrl+\\");
  EXPECT_EQ(KeyName(InputFromCharacter(0x1F).key), "Ctrl+_");
  EXPECT_EQ(KeyName(InputFromCharacter(3).key), "Ctrl+C");
  EXPECT_EQ(KeyName(DecodeEscapeSequence(".").key), "Alt+.");
  EXPECT_EQ(KeyName(DecodeEscapeSequence("[46;5u").key), "Ctrl+.");
}

TEST(TuiKeys, APasteIsTextWithLineBreaksAsBlanks) {
  EXPECT_EQ(PastedText(U"one\ntwo\r\nthree\rfour"), U"one two three four") << "CR LF is one break";
  EXPECT_EQ(PastedText(U"a\tb\x1b[Ac\x7f\u0085d"), U"a b[Acd") << "a tab a blank, control characters dropped";
  EXPECT_EQ(PastedText(U"\u20AC \u65E5"), U"\u20AC \u65E5") << "characters the code page lacks go on to be refused";
  EXPECT_EQ(PastedText(U""), U"");
}

TEST(TuiKeys, StandInsReachTheListScreensKeys) {
  const uint32_t table[] = {BreakKeyWord(VkUp, KeyModCtrl),
                            BreakKeyWord(VkDown, KeyModCtrl),
                            BreakKeyWord(VkF(1), KeyModCtrl),
                            BreakKeyWord(VkF(5), KeyModCtrl),
                            BreakKeyWord('1', KeyModCtrl),
                            BreakKeyWord('3', KeyModCtrl),
                            BreakKeyWord(VkAdd),
                            0};
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
