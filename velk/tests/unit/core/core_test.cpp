// The host core's services, the language file and the registry file helpers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <regex>
#include <sstream>

#include "core/host_core.h"
#include "core/language.h"
#include "core/options.h"
#include "core/velk_branch.h"
#include "script/script_front_end.h"

namespace velk {
namespace {

// The items argument of a box in the one-text form: the text itself.
const char* const* OneText(const char* text) { return reinterpret_cast<const char* const*>(text); }

TEST(MessageView, OneTextFormSplitsLinesAndTakesStandardButtons) {
  const char* text = "Title\r\nfirst\nsecond\rthird";
  const uint32_t ask = MessageButtonsYesNoCancel | MessageOneText | MessageFlagBit0;
  MessageView v = BuildMessageView(ask, "ApplyAsk", OneText(text), 1, 1, "");
  EXPECT_EQ(v.lines, (std::vector<std::string>{"Title", "first", "second", "third"}));
  EXPECT_EQ(v.buttons, (std::vector<std::string>{"Yes", "No", "Cancel"}));
  EXPECT_EQ(v.helpTopic, "ApplyAsk");
  v = BuildMessageView(MessageButtonsYesNo | MessageOneText | MessageFlagBit0, nullptr, OneText(text), 1, 1, "");
  EXPECT_EQ(v.buttons.size(), 2u);
  EXPECT_EQ(v.helpTopic, "");
}

TEST(MessageView, ArrayFormWithoutButtonBitsEndsWithTheCaptions) {
  const char* items[] = {"Tollex", "VELK version: 1.70.1281", "too old", "Ok"};
  MessageView v = BuildMessageView(MessageFlagBit0, nullptr, items, 4, 1, "");
  EXPECT_EQ(v.lines, (std::vector<std::string>{"Tollex", "VELK version: 1.70.1281", "too old"}));
  EXPECT_EQ(v.buttons, (std::vector<std::string>{"Ok"}));
  // A button count larger than the items takes all of them, no more.
  v = BuildMessageView(MessageFlagBit0, nullptr, items, 2, 5, "");
  EXPECT_TRUE(v.lines.empty());
  EXPECT_EQ(v.buttons.size(), 2u);
}

TEST(MessageView, ErrorReportAddsTheSystemText) {
  const char* text = "Tollex\nCannot write";
  const uint32_t report = MessageButtonsOk | MessageOneText | MessageErrorReport | MessageFlagBit0;
  MessageView v = BuildMessageView(report, nullptr, OneText(text), 1, 1, "Access denied.");
  EXPECT_EQ(v.lines.back(), "Access denied.");
  v = BuildMessageView(report & ~MessageErrorReport, nullptr, OneText(text), 1, 1, "Access denied.");
  EXPECT_EQ(v.lines.back(), "Cannot write");
}

TEST(HostCoreServices, VersionQueryAndMessages) {
  Language lang;
  std::string error;
  ASSERT_TRUE(lang.Parse("1=Name\n", error)) << error;
  HostCore core(lang, VersionWord(1, 70, 1282));
  const HostStartupInfo* rec = core.Record();
  EXPECT_EQ(rec->recordSize, static_cast<int32_t>(sizeof(HostStartupInfo)));
  EXPECT_STREQ(rec->rootKeyPath, "Software\\VELK\\Plugins");
  uint32_t word = 0;
  EXPECT_EQ(rec->hostControl(rec->pluginId, 0, &word), 1);
  EXPECT_EQ(word, (1282u << 16) | (1u << 8) | 70u);
  EXPECT_EQ(rec->hostControl(rec->pluginId, 7, &word), 0);
  EXPECT_STREQ(rec->getMessageText(rec->pluginId, 1), "Name");
  EXPECT_STREQ(rec->getMessageText(rec->pluginId, 2), "");
  EXPECT_EQ(core.ForeignIdCalls(), 0);
  rec->getMessageText(rec->pluginId + 1, 1);
  EXPECT_EQ(core.ForeignIdCalls(), 1);
}

TEST(HostCoreServices, MenuAndDialogGoThroughTheFrontEnd) {
  Language lang;
  HostCore core(lang, 0);
  std::vector<ScriptCommand> cmds;
  std::string error;
  ASSERT_TRUE(ParseScript("key Down\nkey F4\nfocus 1\ntext typed\nkey Enter\n", cmds, error));
  ScriptFrontEnd fe(cmds, [](int, const std::string&) { throw 1; });
  core.SetFrontEnd(&fe);
  const HostStartupInfo* rec = core.Record();
  HostMenuItem items[3];
  std::memset(items, 0, sizeof items);
  const uint32_t keys[] = {BreakKeyWord(VkF(4)), 0};
  int code = 99;
  EXPECT_EQ(rec->showMenu(rec->pluginId, -1, -1, 0, MenuFlagAlways | MenuFlagBit0, "t", "b", "Contents", keys, &code,
                          items, 3),
            1);
  EXPECT_EQ(code, 0);
  HostDialogItem d[2];
  std::memset(d, 0, sizeof d);
  d[0].kind = DialogItemButton;
  d[0].isDefault = 1;
  d[1].kind = DialogItemEdit;
  std::memset(d[1].text, 'z', sizeof d[1].text);  // unterminated: the host terminates it
  EXPECT_EQ(rec->runDialog(rec->pluginId, -1, -1, 76, 23, "EditItem", d, 2), 0);
  EXPECT_STREQ(d[1].text, "typed");
}

TEST(LanguageFile, EscapesRawBytesAndConversion) {
  Language lang;
  std::string error;
  ASSERT_TRUE(lang.Parse("\xEF\xBB\xBF# comment\n 3 = x\n4=a\\nb\\\\c\\x10d\n5=\xE2\x95\x90\n", error)) << error;
  EXPECT_STREQ(lang.Text(3), " x");
  EXPECT_STREQ(lang.Text(4),
               "a\nb\\c\x10"
               "d");
  EXPECT_STREQ(lang.Text(5), "\xCD");  // U+2550 is byte 205 of code page 437
  EXPECT_EQ(lang.Count(), 3u);
}

TEST(LanguageFile, RejectsBadLinesNamingThem) {
  const char* bad[] = {"x=1",    "0=zero",    "2001=big",     "1=a\n1=b",         "1=bad \\q escape",
                       "1=\\x0", "1=\\x00",   "17=%s marked", "17=no conversion", "18=%s and %s",
                       "19=%d",  "21=%-20s%", "17=%ld",       "29=%s beyond"};
  for (const char* text : bad) {
    Language lang;
    std::string error;
    EXPECT_FALSE(lang.Parse(text, error)) << text;
    EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
  }
  Language ok;
  std::string error;
  EXPECT_TRUE(ok.Parse("17=Delete %d? 100%%\n18=%-20s\n19=%s\n21=at %s\n16=50% off\n", error)) << error;
}

TEST(LanguageFile, TheShippedFileHoldsAllMessages) {
  Language lang;
  std::string error;
  ASSERT_TRUE(lang.Load(VELK_SOURCE_DIR "/data/TollexEng.lng", error)) << error;
  for (int n = 1; n <= 29; ++n) {
    EXPECT_TRUE(lang.Has(n)) << n;
    EXPECT_STRNE(lang.Text(n), "") << n;
  }
  // The message boxes have a title line and a body.
  for (int n : {16, 17, 18, 19, 20, 21, 28, 29}) EXPECT_NE(std::strchr(lang.Text(n), '\n'), nullptr) << n;
  // The deletion of marked entries reads right for a single one: the count
  // is shown, and no plural noun follows it.
  char one[512];
  std::snprintf(one, sizeof one, lang.Text(17), 1);
  EXPECT_NE(std::strchr(one, '1'), nullptr) << one;
  EXPECT_FALSE(std::regex_search(one, std::regex("\\b1 (marked )?associations"))) << one;
}

TEST(Options, BothFormsOfAValueAndTheLimits) {
  Options o;
  std::string error;
  ASSERT_TRUE(ParseOptions({"--registry", "r.reg", "--columns=100", "--host-version", "1.70.1282", "--script=-",
                            "--fail-registry-write", "37", "--end-after-registry-write=40"},
                           o, error))
      << error;
  EXPECT_EQ(o.registryFile, "r.reg");
  EXPECT_EQ(o.columns, 100);
  EXPECT_EQ(o.hostBuild, 1282);
  EXPECT_EQ(o.scriptFile, "-");
  EXPECT_EQ(o.failRegistryWrite, 37);
  EXPECT_EQ(o.endAfterRegistryWrite, 40);
  const std::vector<std::vector<std::string>> bad = {
      {"--columns", "0"},
      {"--columns=10000"},
      {"--columns", "-5"},
      {"--registry"},
      {"--registry="},
      {"--host-version", "1.70"},
      {"--host-version=256.0.0"},
      {"--fail-registry-write", "0"},
      {"--end-after-registry-write", "0"},
      {"--verbose"},
      {"-x"},
  };
  for (const auto& args : bad) {
    Options rejected;
    EXPECT_FALSE(ParseOptions(args, rejected, error)) << args[0];
    EXPECT_FALSE(error.empty());
  }
  Options h;
  ASSERT_TRUE(ParseOptions({"-h"}, h, error));
  EXPECT_TRUE(h.help);
}

TEST(VelkBranch, BranchCheckAndAncestors) {
  regfile::File f;
  f.keys.push_back(regfile::Key{"HKEY_CURRENT_USER\\Software\\VELK\\A\\B\\C", {}});
  f.keys.push_back(regfile::Key{"hkey_current_user\\software\\velk\\a", {}});
  std::string error;
  EXPECT_TRUE(CheckBranch(f, error));
  CompleteAncestors(f);
  std::vector<std::string> paths;
  for (auto& k : f.keys) paths.push_back(k.path);
  EXPECT_EQ(paths, (std::vector<std::string>{
                       "HKEY_CURRENT_USER\\Software\\VELK\\A\\B\\C", "hkey_current_user\\software\\velk\\a",
                       "HKEY_CURRENT_USER\\Software\\VELK\\A\\B", "HKEY_CURRENT_USER\\Software\\VELK"}));
  f.keys.push_back(regfile::Key{"HKEY_CURRENT_USER\\Software\\VELKER", {}});
  EXPECT_FALSE(CheckBranch(f, error));
  EXPECT_NE(error.find("VELKER"), std::string::npos);
}

TEST(VelkBranch, SampleTableHasGroupsWithHeaders) {
  regfile::File f = SampleTable();
  int headers = 0, entries = 0;
  for (const auto& k : f.keys) {
    for (const auto& v : k.values) {
      if (v.name != "Mask") continue;
      ASSERT_EQ(v.type, 1u);
      ASSERT_FALSE(v.data.empty());
      EXPECT_EQ(v.data.back(), 0);
      if (v.data[0] == 0x10) ++headers;
      else ++entries;
    }
  }
  EXPECT_GE(headers, 3);
  EXPECT_LE(headers, 4);
  EXPECT_GE(entries, 18);
  EXPECT_EQ(f.keys[2].path, "HKEY_CURRENT_USER\\Software\\VELK\\Associations\\Type0");
  std::string error;
  EXPECT_TRUE(CheckBranch(f, error));
}

}  // namespace
}  // namespace velk
