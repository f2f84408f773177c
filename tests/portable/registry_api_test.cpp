// The registry calls the plug-in relies on. The same tests run natively
// against the in-memory registry and, in the Windows build, against the real
// registry functions under Wine: a difference means the portable registry is
// wrong.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "portable/registry_test_util.h"

using regtest::ScratchKey;

namespace {

class RegistryApi : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, scratch.Path().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override { RegCloseKey(key); }

  HKEY Create(HKEY parent, const char* name, DWORD* disposition = nullptr, REGSAM access = KEY_ALL_ACCESS) {
    HKEY child = nullptr;
    EXPECT_EQ(RegCreateKeyExA(parent, name, 0, nullptr, 0, access, nullptr, &child, disposition), ERROR_SUCCESS)
        << name;
    return child;
  }

  ScratchKey scratch{"RegistryApi"};
  HKEY key = nullptr;
};

TEST_F(RegistryApi, NamesMatchWithoutCaseAndKeepTheirFirstSpelling) {
  RegCloseKey(Create(key, "MixedCase"));
  DWORD disposition = 0;
  HKEY again = Create(key, "MIXEDcase", &disposition);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  RegCloseKey(again);
  // Accented letters of the ANSI code page match their other case too.
  RegCloseKey(Create(key, "\xe9t\xe9"));
  HKEY accented = Create(key, "\xc9T\xc9", &disposition);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  RegCloseKey(accented);
  EXPECT_EQ(regtest::Subkeys(scratch.Path()), (std::vector<std::string>{"MixedCase", "\xe9t\xe9"}));

  ASSERT_EQ(RegSetValueExA(key, "Value", 0, REG_SZ, reinterpret_cast<const BYTE*>("a"), 2), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "VALUE", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\1\0\0\0"), 4), ERROR_SUCCESS);
  EXPECT_EQ(regtest::ValueNames(scratch.Path()), std::vector<std::string>{"Value"});
  regtest::RawValue value = regtest::GetRaw(scratch.Path(), "vAlUe");
  EXPECT_TRUE(value.found);
  EXPECT_EQ(value.type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(RegistryApi, SubkeysAndValuesEnumerateInCaseBlindNameOrder) {
  // Created out of order; '_' and '[' sort before letters (names compare in
  // lower case), digits compare as characters, letters of the upper half of
  // the code page after ASCII, the euro sign (U+20AC) last.
  const char* created[] = {"\x80x", "Zeta", "Type2", "_x", "type10", "\xe9t\xe9", "[b", "a b", "Type1", "~t", "1"};
  for (const char* name : created) RegCloseKey(Create(key, name));
  EXPECT_EQ(regtest::Subkeys(scratch.Path()), (std::vector<std::string>{"1", "[b", "_x", "a b", "Type1", "type10",
                                                                        "Type2", "Zeta", "~t", "\xe9t\xe9", "\x80x"}));
  for (const char* name : {"b", "A", "c"}) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1), ERROR_SUCCESS);
  }
  EXPECT_EQ(regtest::ValueNames(scratch.Path()), (std::vector<std::string>{"A", "b", "c"}));

  char name[16];
  DWORD size = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(key, 11, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  // A name buffer without room for the terminator is too small.
  size = 5;
  EXPECT_EQ(RegEnumKeyExA(key, 4, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  size = 6;
  EXPECT_EQ(RegEnumKeyExA(key, 4, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(name, "Type1");
  EXPECT_EQ(size, 5u);
}

TEST_F(RegistryApi, MissingKeysAndValuesAreNotFound) {
  HKEY other = nullptr;
  EXPECT_EQ(RegOpenKeyA(key, "Missing", &other), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExA(key, "Missing\\Deeper", 0, KEY_READ, &other), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(key, "Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key, "Missing"), ERROR_FILE_NOT_FOUND);
  DWORD size = 4;
  BYTE data[4];
  EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, nullptr, data, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryApi, QueriesReportSizesAndRefuseSmallBuffers) {
  ASSERT_EQ(RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>("hello"), 6), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 6u);

  unsigned char buffer[8];
  std::memset(buffer, 0xAA, sizeof buffer);
  size = 5;
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(buffer[0], 0xAA) << "a buffer that is too small is left alone";

  size = 6;
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size), std::string("hello", 6));
}

TEST_F(RegistryApi, ValuesKeepExactlyTheBytesAndLengthGiven) {
  struct Case {
    const char* name;
    DWORD type;
    std::string bytes;
  } cases[] = {
      {"Terminated", REG_SZ, std::string("abc\0", 4)},
      {"Empty", REG_SZ, std::string("\0", 1)},
      {"NoBytes", REG_SZ, std::string()},
      {"Embedded", REG_SZ, std::string("ab\0cd\0", 6)},
      {"GroupAndOem", REG_SZ, std::string("\x10G \x80\x81\x8d\xb3\xcd\xe9\xff\0", 12)},
      {"Number", REG_DWORD, std::string("\x41\x01\0\0", 4)},
      {"ShortNumber", REG_DWORD, std::string("\x07\x01", 2)},
      {"Binary", REG_BINARY, std::string("\0\1\2\xff", 4)},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(RegSetValueExA(key, c.name, 0, c.type, reinterpret_cast<const BYTE*>(c.bytes.data()),
                             static_cast<DWORD>(c.bytes.size())),
              ERROR_SUCCESS)
        << c.name;
  }
  for (const Case& c : cases) {
    regtest::RawValue value = regtest::GetRaw(scratch.Path(), c.name);
    EXPECT_TRUE(value.found) << c.name;
    EXPECT_EQ(value.type, c.type) << c.name;
    EXPECT_EQ(regtest::Bytes(value.data), c.bytes) << c.name;
  }
}

TEST_F(RegistryApi, TextWithoutTerminatorKeepsItsLength) {
  // The byte after the given length is not zero, so nothing may take the
  // length as one short of the terminator.
  ASSERT_EQ(RegSetValueExA(key, "Cut", 0, REG_SZ, reinterpret_cast<const BYTE*>("abcdX"), 4), ERROR_SUCCESS);
  regtest::RawValue value = regtest::GetRaw(scratch.Path(), "Cut");
  EXPECT_EQ(regtest::Bytes(value.data), "abcd");
}

TEST_F(RegistryApi, DeletingAKeyWithSubkeysIsRefused) {
  RegCloseKey(Create(key, "Parent\\Child"));
  EXPECT_EQ(RegDeleteKeyA(key, "Parent"), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(regtest::Exists(scratch / "Parent\\Child"));
  EXPECT_EQ(RegDeleteKeyA(key, "PARENT\\child"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(key, "Parent"), ERROR_SUCCESS);
  EXPECT_FALSE(regtest::Exists(scratch / "Parent"));
}

TEST_F(RegistryApi, HandlesOfADeletedKeyReportItDeleted) {
  HKEY doomed = Create(key, "Doomed");
  ASSERT_EQ(RegDeleteKeyA(key, "Doomed"), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(doomed, "x", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(RegSetValueExA(doomed, "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("a"), 2), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(doomed), ERROR_SUCCESS);
  EXPECT_FALSE(regtest::Exists(scratch / "Doomed"));
}

TEST_F(RegistryApi, OpeningWithoutSubkey) {
  // RegOpenKeyA gives back the very handle passed in; RegOpenKeyExA a new one.
  HKEY same = nullptr;
  EXPECT_EQ(RegOpenKeyA(key, nullptr, &same), ERROR_SUCCESS);
  EXPECT_EQ(same, key);
  EXPECT_EQ(RegOpenKeyA(key, "", &same), ERROR_SUCCESS);
  EXPECT_EQ(same, key);
  HKEY fresh = nullptr;
  ASSERT_EQ(RegOpenKeyExA(key, "", 0, KEY_READ, &fresh), ERROR_SUCCESS);
  EXPECT_NE(fresh, key);
  EXPECT_EQ(RegCloseKey(fresh), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(fresh), ERROR_INVALID_HANDLE);
  // key is still open and usable.
  EXPECT_EQ(RegSetValueExA(key, "Still", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1), ERROR_SUCCESS);
}

TEST_F(RegistryApi, PathsAndTheirLimits) {
  DWORD disposition = 0;
  // Missing keys above are created; empty parts and a trailing backslash are
  // skipped.
  HKEY deep = Create(key, "A\\\\B\\C\\", &disposition);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  RegCloseKey(deep);
  EXPECT_TRUE(regtest::Exists(scratch / "a\\b\\c"));
  EXPECT_EQ(regtest::Subkeys(scratch / "A"), std::vector<std::string>{"B"});

  HKEY other = nullptr;
  EXPECT_EQ(RegOpenKeyA(key, "\\A", &other), 161) << "leading backslash";

  // A subkey argument of up to 260 characters is taken, a longer one refused.
  std::string path = scratch.Path();
  while (path.size() < 260) path += path.size() % 10 == 0 ? '\\' : 'x';
  ASSERT_EQ(path.size(), 260u);
  path.back() = 'y';
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &other, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(other);
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, (path + "z").c_str(), &other), ERROR_MORE_DATA);
  EXPECT_EQ(
      RegCreateKeyExA(HKEY_CURRENT_USER, (path + "z").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &other, nullptr),
      ERROR_MORE_DATA);
}

TEST_F(RegistryApi, AccessOfTheHandleIsChecked) {
  HKEY writeOnly = Create(key, "Access", nullptr, KEY_WRITE);
  EXPECT_EQ(RegSetValueExA(writeOnly, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("a"), 2), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(writeOnly, "v", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
  char name[16];
  size = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(writeOnly, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
  RegCloseKey(writeOnly);

  HKEY readOnly = nullptr;
  ASSERT_EQ(RegOpenKeyExA(key, "Access", 0, KEY_READ, &readOnly), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(readOnly, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("b"), 2), ERROR_ACCESS_DENIED);
  size = 0;
  EXPECT_EQ(RegQueryValueExA(readOnly, "v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  RegCloseKey(readOnly);

  // RegOpenKeyA opens with every right.
  HKEY full = nullptr;
  ASSERT_EQ(RegOpenKeyA(key, "Access", &full), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(full, "w", 0, REG_SZ, reinterpret_cast<const BYTE*>("c"), 2), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(full, "w", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  RegCloseKey(full);
}

}  // namespace
