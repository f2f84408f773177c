// The host's association table: loading Type0, Type1, ... into a list and
// replacing the table with a list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/assoc_store.h"
#include "storage/storage_test_util.h"

#ifndef _WIN32
#include "winport.h"
#endif

namespace {

AssocRecord Record(const char* mask, const char* description, int group = 0, const char* execute = "") {
  AssocRecord record;
  record.Reset();
  record.Mask = mask;
  record.Description = description;
  record.Execute = execute;
  record.AltExec = "altexec";
  record.View = "view";
  record.AltView = "";
  record.Edit = "edit";
  record.AltEdit = "altedit";
  record.group = group;
  return record;
}

std::vector<std::string> Fields(const AssocRecord& r) {
  return {r.Mask.Text(), r.Description.Text(), r.Execute.Text(), r.AltExec.Text(),
          r.View.Text(), r.AltView.Text(),     r.Edit.Text(),    r.AltEdit.Text()};
}

class AssocStore : public StorageTest {
 protected:
  AssocStore() : StorageTest("AssocStore") {}

  std::string TypeKey(int n) const { return assocPath + "\\Type" + std::to_string(n); }
  void WriteType(int n, const std::string& mask, const std::string& description = "d") {
    ASSERT_TRUE(regtest::SetText(TypeKey(n), "Mask", mask));
    ASSERT_TRUE(regtest::SetText(TypeKey(n), "Description", description));
  }
  std::string Stored(int n, const char* name) const {
    regtest::RawValue value = regtest::GetRaw(TypeKey(n), name);
    return value.found ? regtest::Bytes(value.data) : "<missing>";
  }
  bool Load(AssocList& list) {
    bool loaded = LoadAssociations(list);
    EXPECT_EQ(RegistryBasePath, settingsPath.c_str()) << "base path set back after the load";
    return loaded;
  }
  bool Save(const AssocList& list) {
    bool saved = SaveAssociations(list);
    EXPECT_EQ(RegistryBasePath, settingsPath.c_str()) << "base path set back after the save";
    return saved;
  }
};

TEST_F(AssocStore, MissingTableFailsAndLeavesTheListAlone) {
  AssocList list;
  AssocRecord kept = Record("*.txt", "kept");
  list.Append(&kept);
  EXPECT_FALSE(Load(list));
  EXPECT_EQ(list.Count(), 1u);
}

TEST_F(AssocStore, SaveRecreatesATableKeyThatIsGone) {
  // As after a save that failed right after deleting the old table.
  AssocList list;
  AssocRecord record = Record("*.txt", "Text");
  list.Append(&record);
  ASSERT_FALSE(regtest::Exists(assocPath));
  EXPECT_TRUE(Save(list));
  EXPECT_EQ(Stored(0, "Mask"), std::string("*.txt\0", 6));
  EXPECT_EQ(regtest::Subkeys(assocPath), std::vector<std::string>{"Type0"});
}

TEST_F(AssocStore, EmptyTableLoadsAsAnEmptyList) {
  ASSERT_TRUE(regtest::CreateKey(assocPath));
  AssocList list;
  EXPECT_TRUE(Load(list));
  EXPECT_EQ(list.Count(), 0u);
}

TEST_F(AssocStore, LoadStopsAtAGapAndTheNextSaveDropsWhatFollows) {
  WriteType(0, "*.c", "C");
  WriteType(1, "*.h", "Header");
  WriteType(3, "*.o", "Object");
  AssocList list;
  ASSERT_TRUE(Load(list));
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_STREQ(list.At(1)->Description.Text(), "Header");
  ASSERT_TRUE(Save(list));
  EXPECT_EQ(regtest::Subkeys(assocPath), (std::vector<std::string>{"Type0", "Type1"}));
}

TEST_F(AssocStore, LoadStopsAtAMaskOfOnlyBlanksOrNoMask) {
  WriteType(0, "*.c");
  WriteType(1, " \t \t");
  WriteType(2, "*.h");
  AssocList list;
  ASSERT_TRUE(Load(list));
  EXPECT_EQ(list.Count(), 1u);

  ASSERT_TRUE(regtest::RemoveTree(HKEY_CURRENT_USER, TypeKey(1)));
  ASSERT_TRUE(regtest::SetText(TypeKey(1), "Description", "no mask value"));
  AssocList again;
  ASSERT_TRUE(Load(again));
  EXPECT_EQ(again.Count(), 1u);
}

TEST_F(AssocStore, GroupHeadersAndTrimming) {
  WriteType(0, "\x10");
  WriteType(1, "\x10 Spaced title ");
  WriteType(2, "  \t*.txt *.doc\t ", "  Documents  ");
  ASSERT_TRUE(regtest::SetText(TypeKey(2), "Execute", "\tnotepad !.!  "));
  AssocList list;
  ASSERT_TRUE(Load(list));
  ASSERT_EQ(list.Count(), 3u);
  EXPECT_EQ(list.At(0)->group, 1);
  EXPECT_STREQ(list.At(0)->Mask.Text(), "");
  EXPECT_EQ(list.At(1)->group, 1);
  EXPECT_STREQ(list.At(1)->Mask.Text(), " Spaced title") << "the blank after the marker stays";
  EXPECT_EQ(list.At(2)->group, 0);
  EXPECT_EQ(list.At(2)->marked, 0);
  EXPECT_EQ(Fields(*list.At(2)),
            (std::vector<std::string>{"*.txt *.doc", "Documents", "notepad !.!", "", "", "", "", ""}));
  ASSERT_TRUE(Save(list));
  EXPECT_EQ(Stored(1, "Mask"), std::string("\x10 Spaced title\0", 15));
  EXPECT_EQ(Stored(2, "Mask"), std::string("*.txt *.doc\0", 12));
  EXPECT_EQ(Stored(2, "Description"), std::string("Documents\0", 10));
  EXPECT_EQ(Stored(2, "Execute"), std::string("notepad !.!\0", 12));
}

TEST_F(AssocStore, SaveReplacesTheWholeTableInListOrder) {
  WriteType(0, "*.old");
  ASSERT_TRUE(regtest::SetText(TypeKey(0), "Extra", "gone after the save"));
  ASSERT_TRUE(regtest::CreateKey(TypeKey(0) + "\\Child\\Grandchild"));
  ASSERT_TRUE(regtest::SetText(assocPath, "Stray", "gone too"));
  WriteType(7, "*.unreached");

  AssocList list;
  AssocRecord records[3] = {Record("Sources", "", 1), Record("*.c *.cpp", "C source", 0, "cc !.!"),
                            Record("*.md", "Markdown")};
  records[1].marked = 1;  // marks are never stored
  for (AssocRecord& r : records) list.Append(&r);
  ASSERT_TRUE(Save(list));

  EXPECT_EQ(regtest::Subkeys(assocPath), (std::vector<std::string>{"Type0", "Type1", "Type2"}));
  EXPECT_TRUE(regtest::ValueNames(assocPath).empty());
  for (int n = 0; n < 3; ++n) {
    std::vector<std::string> names = regtest::ValueNames(TypeKey(n));
    EXPECT_EQ(names.size(), 8u) << n;
    EXPECT_TRUE(regtest::Subkeys(TypeKey(n)).empty()) << n;
    for (const AssocField& field : AssocFields) {
      const char* name = field.name;
      regtest::RawValue value = regtest::GetRaw(TypeKey(n), name);
      EXPECT_TRUE(value.found) << n << " " << name;
      EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ)) << n << " " << name;
    }
  }
  EXPECT_EQ(Stored(0, "Mask"), std::string("\x10Sources\0", 9));
  EXPECT_EQ(Stored(1, "Mask"), std::string("*.c *.cpp\0", 10));
  EXPECT_EQ(Stored(1, "Execute"), std::string("cc !.!\0", 7));
  EXPECT_EQ(Stored(1, "AltView"), std::string("\0", 1)) << "empty fields are written as empty values";
  EXPECT_EQ(Stored(2, "Description"), std::string("Markdown\0", 9));

  AssocList loaded;
  ASSERT_TRUE(Load(loaded));
  ASSERT_EQ(loaded.Count(), 3u);
  for (int n = 0; n < 3; ++n) {
    EXPECT_EQ(Fields(*loaded.At(n)), Fields(records[n])) << n;
    EXPECT_EQ(loaded.At(n)->group, records[n].group) << n;
    EXPECT_EQ(loaded.At(n)->marked, 0) << n;
  }
}

TEST_F(AssocStore, EmptyListSavesAsAnEmptyTable) {
  WriteType(0, "*.c");
  AssocList list;
  ASSERT_TRUE(Save(list));
  EXPECT_TRUE(regtest::Exists(assocPath));
  EXPECT_TRUE(regtest::Subkeys(assocPath).empty());
}

TEST_F(AssocStore, OverlongValuesAreCutAndTheLoadGoesOn) {
  const std::string longMask = "*.a " + std::string(296, 'm');
  const std::string exactMask(260, 'e');
  WriteType(0, "*.first");
  WriteType(1, longMask, std::string(400, 'd'));
  WriteType(2, exactMask);
  WriteType(3, "*.last");
  AssocList list;
  ASSERT_TRUE(Load(list));
  ASSERT_EQ(list.Count(), 4u) << "a mask too long for its field does not end the table";
  EXPECT_EQ(std::string(list.At(1)->Mask.Text()), longMask.substr(0, 260));
  EXPECT_EQ(std::string(list.At(1)->Description.Text()), std::string(260, 'd'));
  EXPECT_EQ(std::string(list.At(2)->Mask.Text()), exactMask);
  ASSERT_TRUE(Save(list));
  EXPECT_EQ(regtest::Subkeys(assocPath).size(), 4u);
  EXPECT_EQ(Stored(3, "Mask"), std::string("*.last\0", 7));
}

// Every value is trimmed first and then keeps what fits in 260 characters,
// never ending in a blank the cut exposed: leading blanks cost no room,
// however many there are.
TEST_F(AssocStore, ValuesAreTrimmedBeforeTheyAreCut) {
  const std::string c255(255, 'c');
  WriteType(0, std::string(10, ' ') + c255, std::string(40, '\t') + std::string(260, 'd') + "  ");
  ASSERT_TRUE(regtest::SetText(TypeKey(0), "Execute", std::string(259, 'x') + " \t yz"));
  ASSERT_TRUE(regtest::SetText(TypeKey(0), "View", std::string(5000, ' ') + "viewer {file}"));
  WriteType(1, std::string(300, '\t') + "*.after-blanks");
  WriteType(2, std::string(300, ' ') + "\x10" + " Title " + std::string(300, 't'));
  WriteType(3, "\x10" + std::string(259, 'g') + " tail");
  WriteType(4, "*.last");
  AssocList list;
  ASSERT_TRUE(Load(list));
  ASSERT_EQ(list.Count(), 5u) << "a mask of many leading blanks does not end the table";
  const AssocRecord& first = *list.At(0);
  EXPECT_EQ(std::string(first.Mask.Text()), c255);
  EXPECT_EQ(std::string(first.Description.Text()), std::string(260, 'd'));
  EXPECT_EQ(std::string(first.Execute.Text()), std::string(259, 'x'));
  EXPECT_EQ(std::string(first.View.Text()), "viewer {file}");
  EXPECT_EQ(std::string(list.At(1)->Mask.Text()), "*.after-blanks");
  EXPECT_EQ(list.At(2)->group, 1);
  EXPECT_EQ(std::string(list.At(2)->Mask.Text()), (" Title " + std::string(300, 't')).substr(0, 260))
      << "the title's own leading blank stays";
  EXPECT_EQ(list.At(3)->group, 1);
  EXPECT_EQ(std::string(list.At(3)->Mask.Text()), std::string(259, 'g'));
  EXPECT_EQ(std::string(list.At(4)->Mask.Text()), "*.last");
  for (uint32_t i = 0; i < list.Count(); ++i) {
    for (const std::string& field : Fields(*list.At(i))) {
      if (!field.empty()) {
        EXPECT_NE(field.back(), ' ') << "record " << i;
      }
    }
  }
  // Saved and loaded again, the table is the same.
  ASSERT_TRUE(Save(list));
  EXPECT_EQ(Stored(0, "Mask"), c255 + std::string(1, '\0'));
  AssocList again;
  ASSERT_TRUE(Load(again));
  EXPECT_TRUE(again.SameContent(list));
}

TEST_F(AssocStore, AFullLengthGroupTitleSurvivesSaveAndLoad) {
  // The marker byte comes on top of the 260 characters a title may have.
  const std::string title = "T" + std::string(258, 't') + "Z";
  WriteType(0, "\x10" + title);
  WriteType(1, "\x10" + title + "cut");
  WriteType(2, "\x10 " + std::string(259, 's') + "  ");
  WriteType(3, std::string(260, 'm') + "X");
  AssocList list;
  ASSERT_TRUE(Load(list));
  ASSERT_EQ(list.Count(), 4u);
  EXPECT_EQ(list.At(0)->group, 1);
  EXPECT_EQ(std::string(list.At(0)->Mask.Text()), title);
  EXPECT_EQ(std::string(list.At(1)->Mask.Text()), title) << "a longer title is cut to 260";
  EXPECT_EQ(std::string(list.At(2)->Mask.Text()), " " + std::string(259, 's'));
  EXPECT_EQ(list.At(3)->group, 0);
  EXPECT_EQ(std::string(list.At(3)->Mask.Text()), std::string(260, 'm')) << "a plain mask keeps its 260";
  ASSERT_TRUE(Save(list));
  EXPECT_EQ(Stored(0, "Mask"), "\x10" + title + std::string(1, '\0'));
  AssocList again;
  ASSERT_TRUE(Load(again));
  ASSERT_EQ(again.Count(), 4u);
  EXPECT_EQ(std::string(again.At(0)->Mask.Text()), title);
  EXPECT_EQ(std::string(again.At(1)->Mask.Text()), title);
}

TEST_F(AssocStore, WritingOneRecordSetsTheBasePathBack) {
  AssocRecord record = Record("*.x", "x");
  EXPECT_TRUE(WriteAssocRecord(record, 12));
  EXPECT_EQ(RegistryBasePath, settingsPath.c_str());
  EXPECT_EQ(Stored(12, "Description"), std::string("x\0", 2));
  AssocRecord read;
  read.Reset();
  EXPECT_TRUE(ReadAssocRecord(read, 12));
  EXPECT_EQ(RegistryBasePath, settingsPath.c_str());
  EXPECT_FALSE(ReadAssocRecord(read, 13));
  EXPECT_EQ(RegistryBasePath, settingsPath.c_str());
}

#ifndef _WIN32
// Every mutating call of a save, failing in turn. The old table is Type0
// (with a subkey) and Type1; the new list has two records. The calls are:
// 1-4 the deletions (Type0\Sub, Type0, Type1, the table key), 5 the new table
// key, 6 Type0, 7-14 its eight values, 15 Type1, 16-23 its values.
TEST_F(AssocStore, EveryFailureOfASave) {
  AssocRecord records[2] = {Record("*.a", "A"), Record("*.b", "B")};
  AssocList list;
  for (AssocRecord& r : records) list.Append(&r);
  for (int n = 1; n <= 24; ++n) {
    SCOPED_TRACE("failing call " + std::to_string(n));
    regtest::RemoveTree(HKEY_CURRENT_USER, assocPath);
    WriteType(0, "*.old0");
    ASSERT_TRUE(regtest::CreateKey(TypeKey(0) + "\\Sub"));
    WriteType(1, "*.old1");
    WinportRegistryFailNthWrite(n);
    SetLastError(0);
    const bool saved = Save(list);
    const DWORD code = GetLastError();
    const int calls = WinportRegistryWriteCount();
    WinportRegistryFailNthWrite(0);

    // Every failing call fails the save and leaves its code.
    EXPECT_EQ(saved, n > 23);
    if (n <= 23) {
      EXPECT_EQ(code, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    if (n <= 4) {
      EXPECT_EQ(calls, n) << "nothing is written after a failed deletion";
      EXPECT_TRUE(regtest::Exists(assocPath));
      EXPECT_EQ(regtest::Exists(TypeKey(0)), n <= 2);
      EXPECT_EQ(regtest::Exists(TypeKey(1)), n <= 3);
    } else if (n == 5) {
      EXPECT_FALSE(regtest::Exists(assocPath));
    } else if (n == 6) {
      EXPECT_TRUE(regtest::Subkeys(assocPath).empty());
    } else if (n == 15) {
      EXPECT_EQ(regtest::Subkeys(assocPath), std::vector<std::string>{"Type0"});
      EXPECT_EQ(Stored(0, "Mask"), std::string("*.a\0", 4));
      EXPECT_EQ(calls, 15);
    } else if (n <= 23) {
      // A failed value write fails the save at once: that record's later
      // values and the later records are not written.
      EXPECT_EQ(calls, n);
      const int record = n < 15 ? 0 : 1;
      const int failed = n - (record == 0 ? 7 : 16);
      EXPECT_EQ(Stored(record, AssocFields[failed].name), "<missing>") << AssocFields[failed].name;
      EXPECT_EQ(regtest::ValueNames(TypeKey(record)).size(), static_cast<size_t>(failed));
      EXPECT_EQ(regtest::Exists(TypeKey(1)), record == 1);
    } else {
      EXPECT_EQ(calls, 23);
      EXPECT_EQ(Stored(1, "Description"), std::string("B\0", 2));
    }
  }
}
#endif

// A record whose key path would not fit is refused, not written under the
// cut path, which names another record's key: below a table path of 254
// characters "\\Type9" fits and "\\Type10" would be cut to "\\Type1".
TEST_F(AssocStore, RecordPathThatDoesNotFitIsRefusedNotCut) {
  std::string table = assocPath + "\\";
  table += std::string(254 - table.size(), 'p');
  std::snprintf(AssocKeyPath, sizeof AssocKeyPath, "%s", table.c_str());
  AssocList list;
  for (int i = 0; i <= 10; ++i) {
    AssocRecord record = Record(("*." + std::to_string(i)).c_str(), "d");
    list.Append(&record);
  }
  EXPECT_FALSE(Save(list));
  EXPECT_EQ(regtest::Subkeys(table).size(), 10u);
  EXPECT_EQ(regtest::Bytes(regtest::GetRaw(table + "\\Type1", "Mask").data), std::string("*.1\0", 4));
}

}  // namespace
