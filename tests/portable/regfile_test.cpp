// .reg files: what the writer produces must read back byte for byte, and the
// reader must take the UTF-16 form that `reg export` writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "reg_format.h"

#ifdef _WIN32
#include <windows.h>

#include "portable/registry_test_util.h"
#endif

namespace {

// A literal with every byte written in it, zeros included (but not the
// literal's own terminator).
template <size_t N>
std::string Lit(const char (&text)[N]) {
  return std::string(text, N - 1);
}

regfile::Value MakeValue(const std::string& name, uint32_t type, const std::string& bytes) {
  regfile::Value value;
  value.name = name;
  value.type = type;
  value.data.assign(bytes.begin(), bytes.end());
  return value;
}

std::vector<uint8_t> Utf16File(const std::u16string& text) {
  std::vector<uint8_t> bytes = {0xFF, 0xFE};
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  return bytes;
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::string DataOf(const regfile::Key& key, const std::string& name) {
  for (const regfile::Value& value : key.values) {
    if (value.name == name) return std::string(value.data.begin(), value.data.end());
  }
  return "<missing>";
}

uint32_t TypeOf(const regfile::Key& key, const std::string& name) {
  for (const regfile::Value& value : key.values) {
    if (value.name == name) return value.type;
  }
  return 0xFFFFFFFF;
}

// Values that a quoted text cannot carry as they are, and some it can.
regfile::File AwkwardValues(const std::string& root) {
  regfile::File file;
  std::string everyByte;
  for (int i = 0; i < 256; ++i) everyByte.push_back(static_cast<char>(i));
  std::string longBinary;
  for (int i = 0; i < 300; ++i) longBinary.push_back(static_cast<char>(i * 7));
  file.keys.push_back(
      {root + "\\Type0",
       {MakeValue("Mask", 1, Lit("\x10Group title\0")),
        MakeValue("Description", 1, Lit("OEM \xb3\xcd\x80\x81\x8d\xe9\xff and \"quotes\" \\ back\0")),
        MakeValue("NoTerminator", 1, "abc"), MakeValue("Embedded", 1, Lit("ab\0cd\0")),
        MakeValue("Empty", 1, Lit("\0")), MakeValue("NoBytes", 1, ""), MakeValue("Control", 1, Lit("a\tb\r\nc\0")),
        MakeValue("EveryByte", 1, everyByte), MakeValue("", 1, Lit("default\0")),
        MakeValue("Name \"with\" \\ escapes", 1, Lit("x\0")), MakeValue("GroupChar", 4, Lit("\x41\x01\0\0")),
        MakeValue("ShortNumber", 4, "\x07\x01"), MakeValue("Binary", 3, longBinary),
        MakeValue("Expand", 2, Lit("%PATH%\0")), MakeValue("Typeless", 0, ""), MakeValue("Qword", 11, "12345678")}});
  file.keys.push_back({root + "\\Type1 \xe9\x80", {}});
  return file;
}

TEST(RegFile, EveryByteOfEveryValueSurvivesWritingAndReading) {
  regfile::File original = AwkwardValues("HKEY_CURRENT_USER\\Software\\X");
  std::string text = regfile::Write(original);
  regfile::File read;
  std::string error;
  ASSERT_TRUE(regfile::Parse(Bytes(text), read, error)) << error << "\n" << text;
  ASSERT_EQ(read.keys.size(), original.keys.size());
  for (size_t k = 0; k < original.keys.size(); ++k) {
    EXPECT_EQ(read.keys[k].path, original.keys[k].path);
    ASSERT_EQ(read.keys[k].values.size(), original.keys[k].values.size());
    for (size_t v = 0; v < original.keys[k].values.size(); ++v) {
      const regfile::Value& a = original.keys[k].values[v];
      const regfile::Value& b = read.keys[k].values[v];
      EXPECT_EQ(b.name, a.name);
      EXPECT_EQ(b.type, a.type) << a.name;
      EXPECT_EQ(b.data, a.data) << a.name;
    }
  }
}

TEST(RegFile, WriterChoosesTheFormThatKeepsTheBytes) {
  std::string text = regfile::Write(AwkwardValues("HKEY_CURRENT_USER\\Software\\X"));
  EXPECT_EQ(text.rfind("REGEDIT4\r\n\r\n", 0), 0u);
  // The group marker is a control byte: hex(1) form.
  EXPECT_NE(text.find("\"Mask\"=hex(1):10,47,72,6f,75,70,20,74,69,74,6c,65,00\r\n"), std::string::npos) << text;
  // OEM bytes stay raw in a quoted text; quotes and backslashes are escaped.
  EXPECT_NE(text.find("\"Description\"=\"OEM \xb3\xcd\x80\x81\x8d\xe9\xff and \\\"quotes\\\" \\\\ back\"\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\"NoTerminator\"=hex(1):61,62,63\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"NoBytes\"=hex(1):\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Empty\"=\"\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("@=\"default\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"GroupChar\"=dword:00000141\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"ShortNumber\"=hex(4):07,01\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Qword\"=hex(b):31,32"), std::string::npos);
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\X\\Type1 \xe9\x80]\r\n"), std::string::npos);
  // Long hex data is continued on further lines; no line grows past 80.
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) EXPECT_LE(line.size(), 81u) << line;
}

TEST(RegFile, ReadsTheUnicodeFormThatRegExportWrites) {
  // As `reg export` writes it: UTF-16LE with a BOM, CRLF, texts in Unicode,
  // \r and \n escaped, string-typed hex data in UTF-16.
  const std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Probe]\r\n\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Probe\\Sub Key\\Type0]\r\n"
      u"@=\"default\"\r\n"
      u"\"Bin\"=hex:01,02,ff\r\n"
      u"\"BigBin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
      u"  16,17\r\n"
      u"\"Ctl\"=\"a\tb\\r\\nc\u0001\"\r\n"
      u"\"Exp\"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,00,00\r\n"
      u"\"GroupChar\"=dword:00000141\r\n"
      u"\"Mask\"=\"\u0010Group \u20ac\u0081\u008d\u00e9\u00ff\"\r\n"
      u"\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
      u"\"Name\\\"With\\\\Esc\"=\"x\"\r\n"
      u"\"Q\"=hex(b):31,32,33,34,35,36,37,38\r\n"
      u"\"Quote\"=\"a\\\"b\\\\c\"\r\n"
      u"\"Unmapped\"=\"\u4e00\"\r\n"
      u"\r\n";
  regfile::File file;
  std::string error;
  ASSERT_TRUE(regfile::Parse(Utf16File(text), file, error)) << error;
  ASSERT_EQ(file.keys.size(), 2u);
  EXPECT_EQ(file.keys[0].path, "HKEY_CURRENT_USER\\Software\\Probe");
  EXPECT_TRUE(file.keys[0].values.empty());
  const regfile::Key& key = file.keys[1];
  EXPECT_EQ(key.path, "HKEY_CURRENT_USER\\Software\\Probe\\Sub Key\\Type0");
  EXPECT_EQ(DataOf(key, ""), Lit("default\0"));
  EXPECT_EQ(DataOf(key, "Bin"), "\x01\x02\xff");
  EXPECT_EQ(DataOf(key, "BigBin").size(), 24u);
  EXPECT_EQ(DataOf(key, "BigBin").back(), '\x17');
  EXPECT_EQ(DataOf(key, "Ctl"), Lit("a\tb\r\nc\x01\0"));
  EXPECT_EQ(DataOf(key, "Exp"), Lit("%PATH%\0"));
  EXPECT_EQ(TypeOf(key, "Exp"), 2u);
  EXPECT_EQ(DataOf(key, "GroupChar"), Lit("\x41\x01\0\0"));
  // Unicode back to the bytes of code page 1252, as the ANSI calls give them.
  EXPECT_EQ(DataOf(key, "Mask"), Lit("\x10Group \x80\x81\x8d\xe9\xff\0"));
  EXPECT_EQ(DataOf(key, "Multi"), Lit("a\0b\0\0"));
  EXPECT_EQ(DataOf(key, "Name\"With\\Esc"), Lit("x\0"));
  EXPECT_EQ(TypeOf(key, "Q"), 11u);
  EXPECT_EQ(DataOf(key, "Quote"), Lit("a\"b\\c\0"));
  EXPECT_EQ(DataOf(key, "Unmapped"), Lit("?\0"));
}

TEST(RegFile, ReadsCommentsBlanksAndRepeatedKeys) {
  const std::string text =
      "REGEDIT4\n"
      "; a comment\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\A]\n"
      "  \"One\" = \"1\"\n"
      "\"Hex\"=hex:01, 02,\\\n"
      "   03 ; trailing comment\n"
      "[HKEY_CURRENT_USER\\software\\a]\n"
      "\"ONE\"=dword:2\n";
  regfile::File file;
  std::string error;
  ASSERT_TRUE(regfile::Parse(Bytes(text), file, error)) << error;
  ASSERT_EQ(file.keys.size(), 1u);
  ASSERT_EQ(file.keys[0].values.size(), 2u);
  EXPECT_EQ(file.keys[0].values[0].name, "One");
  EXPECT_EQ(file.keys[0].values[0].type, 4u);
  EXPECT_EQ(DataOf(file.keys[0], "One"), Lit("\x02\0\0\0"));
  EXPECT_EQ(DataOf(file.keys[0], "Hex"), "\x01\x02\x03");
}

TEST(RegFile, AStopCheckEndsALongReadLeavingTheModelAlone) {
  std::string text = "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n";
  for (int i = 0; i < 10000; ++i) text += "\"v" + std::to_string(i) + "\"=\"x\"\n";
  regfile::File file;
  std::string error;
  int asked = 0;
  EXPECT_FALSE(regfile::Parse(Bytes(text), file, error, [&asked] { return ++asked == 2; }));
  EXPECT_EQ(error, "line 8192: reading stopped");
  EXPECT_TRUE(file.keys.empty());
}

TEST(RegFile, RefusesWhatItCannotRepresentNamingTheLine) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\A]\r\n", "line 3"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=-\r\n", "line 3"},
      {"REGEDIT4\r\n\"v\"=\"x\"\r\n", "line 2"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=\"open\r\n", "line 3"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=hex:1,2\r\n", "line 3"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=dword:123456789\r\n", "line 3"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=\"a\\tb\"\r\n", "line 3"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=hex:01,\\\r\n", "line 3"},
      {"Some other file\r\n", "line 1"},
      {"", "line 1"},
  };
  for (const Case& c : cases) {
    regfile::File file;
    file.keys.push_back({"kept", {}});
    std::string error;
    EXPECT_FALSE(regfile::Parse(Bytes(c.text), file, error)) << c.text;
    EXPECT_EQ(error.rfind(c.expected, 0), 0u) << c.text << " -> " << error;
    EXPECT_EQ(file.keys.size(), 1u) << "a refused file leaves the model alone";
  }
}

TEST(RegFile, CanonicalOrderIsTheRegistrysTreeOrder) {
  regfile::File file;
  file.keys.push_back({"HKEY_CURRENT_USER\\S\\b", {MakeValue("z", 1, ""), MakeValue("A", 1, "")}});
  file.keys.push_back({"HKEY_CURRENT_USER\\S\\A\\x", {}});
  file.keys.push_back({"HKEY_CURRENT_USER\\S\\A_", {}});
  file.keys.push_back({"HKEY_CURRENT_USER\\S\\a", {}});
  file.keys.push_back({"HKEY_CURRENT_USER\\S", {}});
  regfile::Canonicalize(file);
  std::vector<std::string> paths;
  for (const regfile::Key& key : file.keys) paths.push_back(key.path);
  // A key's children come right after it, before a sibling whose name only
  // starts like it.
  EXPECT_EQ(paths,
            (std::vector<std::string>{"HKEY_CURRENT_USER\\S", "HKEY_CURRENT_USER\\S\\a", "HKEY_CURRENT_USER\\S\\A\\x",
                                      "HKEY_CURRENT_USER\\S\\A_", "HKEY_CURRENT_USER\\S\\b"}));
  EXPECT_EQ(file.keys[4].values[0].name, "A");
  EXPECT_EQ(file.keys[4].values[1].name, "z");
}

std::string TempPath(const std::string& name) {
#ifdef _WIN32
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
#else
  return "/tmp/" + name + "." + std::to_string(::testing::UnitTest::GetInstance()->random_seed());
#endif
}

void WriteWhole(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

TEST(RegFile, ReadFileTakesWhatWriteWroteAndNamesThePathWhenItFails) {
  const std::string path = TempPath("tollex_regfile_read.reg");
  const regfile::File written = AwkwardValues("HKEY_CURRENT_USER\\First");
  WriteWhole(path, regfile::Write(written));
  regfile::File read;
  std::string error;
  ASSERT_TRUE(regfile::ReadFile(path, read, error)) << error;
  EXPECT_EQ(regfile::Write(read), regfile::Write(written));
  std::remove(path.c_str());

  EXPECT_FALSE(regfile::ReadFile(TempPath("tollex_no_such_file.reg"), read, error));
  EXPECT_NE(error.find("tollex_no_such_file.reg"), std::string::npos) << error;
}

#ifdef _WIN32
// Our file goes through the system's own `reg import`, and the system's
// `reg export` comes back through our reader, with the same bytes.
TEST(RegFile, InteroperatesWithTheSystemsRegTool) {
  regtest::ScratchKey scratch("RegFileInterop");
  const std::string root = "HKEY_CURRENT_USER\\" + scratch.Path();
  regfile::File file;
  file.keys.push_back({root + "\\Type0",
                       {MakeValue("Mask", 1, Lit("\x10Group \x80\x81\x8d\xb3\xcd\xe9\xff\0")),
                        MakeValue("Description", 1, Lit("OEM \xb3\xcd\xc4 \"q\" \\\0")),
                        MakeValue("Empty", 1, Lit("\0")), MakeValue("Embedded", 1, Lit("a\0b\0")),
                        MakeValue("GroupChar", 4, Lit("\xcd\0\0\0")), MakeValue("Binary", 3, Lit("\0\x10\xff"))}});
  const std::string path = TempPath("tollex_interop.reg");
  WriteWhole(path, regfile::Write(file));
  std::string error;
  ASSERT_EQ(std::system(("reg import \"" + path + "\" >NUL 2>&1").c_str()), 0);
  for (const regfile::Value& value : file.keys[0].values) {
    regtest::RawValue stored = regtest::GetRaw(scratch / "Type0", value.name.c_str());
    EXPECT_TRUE(stored.found) << value.name;
    EXPECT_EQ(stored.type, value.type) << value.name;
    EXPECT_EQ(stored.data, value.data) << value.name;
  }

  const std::string exported = TempPath("tollex_interop_export.reg");
  std::remove(exported.c_str());
  ASSERT_EQ(std::system(("reg export \"" + root + "\" \"" + exported + "\" /y >NUL 2>&1").c_str()), 0);
  regfile::File read;
  ASSERT_TRUE(regfile::ReadFile(exported, read, error)) << error;
  const regfile::Key* type0 = nullptr;
  for (const regfile::Key& key : read.keys) {
    if (regfile::CompareNames(key.path, root + "\\Type0") == 0) type0 = &key;
  }
  ASSERT_NE(type0, nullptr);
  // The export writes a text only up to its first zero, so the value with
  // an embedded zero cannot come back whole; every other one does.
  for (const regfile::Value& value : file.keys[0].values) {
    if (value.name == "Embedded") continue;
    EXPECT_EQ(DataOf(*type0, value.name), std::string(value.data.begin(), value.data.end())) << value.name;
    EXPECT_EQ(TypeOf(*type0, value.name), value.type) << value.name;
  }
  std::remove(path.c_str());
  std::remove(exported.c_str());
}

// The reader's code page table agrees with the system's ANSI code page.
TEST(RegFile, CodePageTableMatchesTheSystem) {
  if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP();
  for (int b = 1; b < 256; ++b) {
    char byte = static_cast<char>(b);
    wchar_t wide = 0;
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, &byte, 1, &wide, 1), 1);
    EXPECT_EQ(regfile::AnsiToUnicode(static_cast<uint8_t>(b)), static_cast<uint32_t>(wide)) << b;
  }
}
#endif

}  // namespace
