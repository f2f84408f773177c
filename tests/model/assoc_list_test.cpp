#include "model/assoc_list.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "fakes/fake_host.h"
#include "host/interface/messages.h"
#include "model/counting_removals.h"

namespace {

// Builds a list from a compact description: "A" an association with mask A,
// "A*" the same marked, "#H" a group header titled H ("#H*" marked).
void Build(AssocList& list, const std::vector<std::string>& spec) {
  for (std::string s : spec) {
    AssocRecord record;
    record.Reset();
    if (!s.empty() && s.back() == '*') {
      record.marked = 1;
      s.pop_back();
    }
    if (!s.empty() && s[0] == '#') {
      record.group = 1;
      s.erase(0, 1);
    }
    record.Mask = s.c_str();
    record.Description = ("d-" + s).c_str();
    list.Append(&record);
  }
}

std::vector<std::string> Describe(const AssocList& list) {
  std::vector<std::string> out;
  for (uint32_t i = 0; i < list.Count(); ++i) {
    const AssocRecord* r = list.At(i);
    std::string s = (r->group ? "#" : "") + std::string(r->Mask.Text()) + (r->marked ? "*" : "");
    EXPECT_EQ(std::string(r->Description.Text()), "d-" + std::string(r->Mask.Text())) << "record moved whole";
    out.push_back(s);
  }
  return out;
}

using Spec = std::vector<std::string>;

TEST(AssocRecord, ResetEmptiesEverything) {
  AssocRecord record;
  record.Mask = "*.txt";
  record.AltEdit = "edit";
  record.marked = 1;
  record.group = 1;
  record.Reset();
  const TextField* fields[] = {&record.Mask, &record.Description, &record.Execute, &record.AltExec,
                               &record.View, &record.AltView,     &record.Edit,    &record.AltEdit};
  for (const TextField* f : fields) {
    EXPECT_STREQ(f->Text(), "");
    EXPECT_EQ(f->Length(), 0);
  }
  EXPECT_EQ(record.marked, 0);
  EXPECT_EQ(record.group, 0);
}

// The field table is what the store, the dialog, the sort and the list's
// title go by, so it is pinned here against the record, the stored value
// names, the dialog's items, the sort modes and the title's sort letters as
// they stand on their own.
TEST(AssocFields, DescribeTheEightFieldsInRecordOrder) {
  const struct {
    const char* name;
    TextField AssocRecord::*member;
    int dialogItem, ascending, descending;
    char indicator;
  } expected[] = {
      {"Mask", &AssocRecord::Mask, 2, 1, 2, 'm'},       {"Description", &AssocRecord::Description, 4, 5, 6, 'd'},
      {"Execute", &AssocRecord::Execute, 7, 3, 4, 'x'}, {"AltExec", &AssocRecord::AltExec, 9, 0, 0, 0},
      {"View", &AssocRecord::View, 11, 9, 10, 'v'},     {"AltView", &AssocRecord::AltView, 13, 0, 0, 0},
      {"Edit", &AssocRecord::Edit, 15, 7, 8, 'e'},      {"AltEdit", &AssocRecord::AltEdit, 17, 0, 0, 0},
  };
  ASSERT_EQ(AssocFieldCount, 8);
  AssocRecord record;
  const char* previous = nullptr;
  for (int i = 0; i < AssocFieldCount; ++i) {
    const AssocField& field = AssocFields[i];
    EXPECT_STREQ(field.name, expected[i].name) << i;
    EXPECT_TRUE(field.member == expected[i].member) << field.name;
    EXPECT_EQ(field.dialogItem, expected[i].dialogItem) << field.name;
    EXPECT_EQ(field.sortAscending, expected[i].ascending) << field.name;
    EXPECT_EQ(field.sortDescending, expected[i].descending) << field.name;
    EXPECT_EQ(field.sortIndicator, expected[i].indicator) << field.name;
    // Record order: each field lies after the one before it.
    const char* address = reinterpret_cast<const char*>(&(record.*field.member));
    if (previous) {
      EXPECT_EQ(address - previous, static_cast<std::ptrdiff_t>(sizeof(TextField))) << field.name;
    }
    previous = address;
  }
  EXPECT_EQ(&MaskField, &AssocFields[0]);
}

TEST(AssocFields, SortFieldFindsTheFieldOfEveryModeAndNoneForOtherNumbers) {
  for (int32_t mode = SortMaskAsc; mode <= SortViewDesc; ++mode) {
    const AssocField* field = SortField(mode);
    ASSERT_NE(field, nullptr) << mode;
    EXPECT_EQ(mode % 2 == 1 ? field->sortAscending : field->sortDescending, mode);
    EXPECT_EQ(field->sortDescending, field->sortAscending + 1) << "descending follows ascending";
  }
  EXPECT_EQ(SortField(SortMaskAsc)->member, &AssocRecord::Mask);
  EXPECT_EQ(SortField(SortViewDesc)->member, &AssocRecord::View);
  for (int32_t mode : {0, 11, -1, 0x7FFFFFFF}) EXPECT_EQ(SortField(mode), nullptr) << mode;
}

TEST(AssocList, StartsWithRoomFor200Records) {
  AssocList list;
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(list.Capacity(), 200u);
}

TEST(AssocList, MarksCoverGroupHeaders) {
  AssocList list;
  Build(list, {"a", "#H", "b*"});
  EXPECT_EQ(list.CountMarked(), 1);
  list.InvertMarks();
  EXPECT_EQ(Describe(list), (Spec{"a*", "#H*", "b"}));
  EXPECT_EQ(list.CountMarked(), 2);
  list.MarkAll();
  EXPECT_EQ(list.CountMarked(), 3);
  list.InvertMarks();
  EXPECT_EQ(list.CountMarked(), 0);
  list.MarkAll();
  list.UnmarkAll();
  EXPECT_EQ(list.CountMarked(), 0);
}

TEST(AssocList, MarkedSearchesInBothDirections) {
  AssocList list;
  Build(list, {"a", "b*", "c", "d*", "e"});
  EXPECT_EQ(list.FirstMarkedFrom(0), 1);
  EXPECT_EQ(list.FirstMarkedFrom(2), 3);
  EXPECT_EQ(list.FirstMarkedFrom(4), -1);
  EXPECT_EQ(list.FirstMarkedFrom(5), -1);
  EXPECT_EQ(list.FirstMarkedFrom(-1), -1);
  EXPECT_EQ(list.LastMarkedFrom(4), 3);
  EXPECT_EQ(list.LastMarkedFrom(2), 1);
  EXPECT_EQ(list.LastMarkedFrom(0), -1);
  EXPECT_EQ(list.LastMarkedFrom(5), -1) << "an index at the count yields -1 at once";
  EXPECT_EQ(list.LastMarkedFrom(-1), -1);
}

// Moves the marked records of start once, which must gather them into one
// block as in gathered, and once more, which must move nothing.
void ExpectGatheredOnce(bool (AssocList::*move)(), const Spec& start, const Spec& gathered) {
  AssocList list;
  Build(list, start);
  EXPECT_TRUE((list.*move)());
  EXPECT_EQ(Describe(list), gathered);
  EXPECT_FALSE((list.*move)()) << "the block is already at its end";
  EXPECT_EQ(Describe(list), gathered);
}

TEST(AssocList, MoveMarkedUpGathersOneBlockAboveTheFirst) {
  ExpectGatheredOnce(&AssocList::MoveMarkedUp, {"A", "B*", "C", "D*", "E"}, {"B*", "D*", "A", "C", "E"});
}

TEST(AssocList, MoveMarkedUpWithTheFirstRecordMarkedMovesNothing) {
  AssocList list;
  Build(list, {"A*", "B", "C*", "D"});
  EXPECT_FALSE(list.MoveMarkedUp());
  EXPECT_EQ(Describe(list), (Spec{"A*", "B", "C*", "D"}));
  AssocList none;
  Build(none, {"A", "B"});
  EXPECT_FALSE(none.MoveMarkedUp());
  EXPECT_FALSE(none.MoveMarkedDown());
}

TEST(AssocList, MoveMarkedDownGathersOneBlockBelowTheLast) {
  ExpectGatheredOnce(&AssocList::MoveMarkedDown, {"A", "B*", "C", "D*", "E"}, {"A", "C", "E", "B*", "D*"});
}

TEST(AssocList, HeadersMoveLikeAnyRecord) {
  AssocList list;
  Build(list, {"a", "#H*", "b", "c*", "#G"});
  EXPECT_TRUE(list.MoveMarkedUp());
  EXPECT_EQ(Describe(list), (Spec{"#H*", "c*", "a", "b", "#G"}));
  EXPECT_TRUE(list.MoveMarkedDown());
  EXPECT_EQ(Describe(list), (Spec{"a", "#H*", "c*", "b", "#G"}));
}

TEST(AssocList, MoveMarkedUpInALongList) {
  AssocList list;
  std::vector<std::string> spec;
  for (int i = 0; i < 199; ++i) spec.push_back("r" + std::to_string(i) + (i % 50 == 49 ? "*" : ""));
  Build(list, spec);
  EXPECT_TRUE(list.MoveMarkedUp());
  EXPECT_EQ(list.Count(), 199u);
  std::vector<std::string> got = Describe(list);
  EXPECT_EQ(Spec(got.begin() + 48, got.begin() + 52), (Spec{"r49*", "r99*", "r149*", "r48"}));
  EXPECT_EQ(list.CountMarked(), 3);
}

TEST(AssocList, SortGroupsSortsEachRunOnItsOwn) {
  AssocList list;
  Build(list, {"#H1", "c", "a", "b", "#H2", "z", "y"});
  list.SortGroups(SortMaskAsc);
  EXPECT_EQ(Describe(list), (Spec{"#H1", "a", "b", "c", "#H2", "y", "z"}));
  list.SortGroups(SortMaskDesc);
  EXPECT_EQ(Describe(list), (Spec{"#H1", "c", "b", "a", "#H2", "z", "y"}));
}

TEST(AssocList, SortGroupsLeavesSingleRecordsAndSortsPairs) {
  AssocList list;
  Build(list, {"x", "#H1", "q", "#H2", "c", "a"});
  list.SortGroups(SortMaskAsc);
  EXPECT_EQ(Describe(list), (Spec{"x", "#H1", "q", "#H2", "a", "c"}));

  AssocList leading;
  Build(leading, {"b", "a", "#H", "#G"});
  leading.SortGroups(SortMaskAsc);
  EXPECT_EQ(Describe(leading), (Spec{"a", "b", "#H", "#G"})) << "records before the first header form a run";
}

TEST(AssocList, SortGroupsModeZeroAndUnknownModesChangeNothing) {
  AssocList list;
  Build(list, {"c", "a", "b"});
  list.SortGroups(SortNone);
  EXPECT_EQ(Describe(list), (Spec{"c", "a", "b"}));
  list.SortGroups(11);
  list.SortGroups(-1);
  EXPECT_EQ(Describe(list), (Spec{"c", "a", "b"}));
}

TEST(AssocList, EachModeSortsByItsField) {
  struct Row {
    const char* mask;
    const char* description;
    const char* execute;
    const char* view;
    const char* edit;
  };
  // Each field orders the three records differently.
  const Row rows[] = {{"b", "c", "a", "c", "b"}, {"a", "b", "c", "b", "c"}, {"c", "a", "b", "a", "a"}};
  const struct {
    int32_t mode;
    std::vector<std::string> masks;
  } expected[] = {
      {SortMaskAsc, {"a", "b", "c"}},     {SortMaskDesc, {"c", "b", "a"}},       {SortExecuteAsc, {"b", "c", "a"}},
      {SortExecuteDesc, {"a", "c", "b"}}, {SortDescriptionAsc, {"c", "a", "b"}}, {SortDescriptionDesc, {"b", "a", "c"}},
      {SortEditAsc, {"c", "b", "a"}},     {SortEditDesc, {"a", "b", "c"}},       {SortViewAsc, {"c", "a", "b"}},
      {SortViewDesc, {"b", "a", "c"}},
  };
  for (const auto& e : expected) {
    AssocList list;
    for (const Row& row : rows) {
      AssocRecord r;
      r.Reset();
      r.Mask = row.mask;
      r.Description = row.description;
      r.Execute = row.execute;
      r.View = row.view;
      r.Edit = row.edit;
      list.Append(&r);
    }
    list.SortGroups(e.mode);
    std::vector<std::string> masks;
    for (uint32_t i = 0; i < list.Count(); ++i) masks.push_back(list.At(i)->Mask.Text());
    EXPECT_EQ(masks, e.masks) << "mode " << e.mode;
  }
}

TEST(AssocList, SortIgnoresCaseAndFollowsTheLocale) {
  AssocList list;
  Build(list, {"Zip", "apple", "Banana", "co-op", "coop", "cop"});
  list.SortGroups(SortMaskAsc);
  EXPECT_EQ(Describe(list), (Spec{"apple", "Banana", "coop", "co-op", "cop", "Zip"}));
}

TEST(AssocList, DeleteRecordByAddress) {
  AssocList list;
  Build(list, {"a", "b", "c"});
  list.DeleteRecord(list.At(1));
  EXPECT_EQ(Describe(list), (Spec{"a", "c"}));
  AssocRecord outside;
  outside.Reset();
  list.DeleteRecord(&outside);
  list.DeleteRecord(nullptr);
  EXPECT_EQ(Describe(list), (Spec{"a", "c"}));
}

class AssocListDeleteTest : public testing::Test {
 protected:
  void SetUp() override {
    host.Install();
    host.SetMessage(MsgDeleteMarked, "Delete %d entries?");
  }
  FakeHost host;
};

TEST_F(AssocListDeleteTest, AnswerZeroDeletesExactlyTheMarked) {
  AssocList list;
  Build(list, {"a*", "b", "c*", "d", "e*"});
  host.messageAnswers.push_back(0);
  EXPECT_TRUE(list.DeleteMarked());
  EXPECT_EQ(Describe(list), (Spec{"b", "d"}));
  ASSERT_EQ(host.messageCalls.size(), 1u);
  const uint32_t askFlags = MessageButtonsYesNo | MessageFlagBit0;
  EXPECT_EQ(host.messageCalls[0].flags & askFlags, askFlags);
  EXPECT_EQ(host.messageCalls[0].helpTopic, "(null)");
  ASSERT_FALSE(host.messageCalls[0].items.empty());
  EXPECT_EQ(host.messageCalls[0].items[0], "Delete 3 entries?");
}

TEST_F(AssocListDeleteTest, AnyOtherAnswerKeepsListAndMarks) {
  for (int answer : {1, -1}) {
    AssocList list;
    Build(list, {"a*", "#H*", "b"});
    host.messageAnswers.push_back(answer);
    EXPECT_FALSE(list.DeleteMarked()) << "answer " << answer;
    EXPECT_EQ(Describe(list), (Spec{"a*", "#H*", "b"}));
  }
}

TEST_F(AssocListDeleteTest, AdjacentMarkedRecordsAllGo) {
  AssocList list;
  Build(list, {"a*", "b*", "c*", "d"});
  host.messageAnswers.push_back(0);
  EXPECT_TRUE(list.DeleteMarked());
  EXPECT_EQ(Describe(list), (Spec{"d"}));
}

// The list's removals go through the table of virtual operations.
TEST_F(AssocListDeleteTest, RemovalsGoThroughTheVirtualRemoveAt) {
  CountingRemovals<AssocList> list;
  Build(list, {"a*", "b", "c*"});
  host.messageAnswers.push_back(0);
  list.DeleteMarked();
  EXPECT_EQ(list.removals, 2);
  Build(list, {"x", "y*"});
  list.MoveMarkedUp();
  list.DeleteRecord(list.At(0));
  EXPECT_EQ(list.removals, 4);
}

}  // namespace

namespace {

TEST(SameContent, TextsAndKindCountMarksDoNot) {
  AssocList a, b;
  Build(a, {"#H", "x", "y*"});
  Build(b, {"#H*", "x", "y"});
  EXPECT_TRUE(a.SameContent(b)) << "marks are not content";
  EXPECT_TRUE(a.At(1)->SameContent(*b.At(1)));

  // Each of the eight texts counts, the last one included, and so does the
  // kind of the record.
  TextField AssocRecord::*const fields[] = {&AssocRecord::Mask,    &AssocRecord::Description, &AssocRecord::Execute,
                                            &AssocRecord::AltExec, &AssocRecord::View,        &AssocRecord::AltView,
                                            &AssocRecord::Edit,    &AssocRecord::AltEdit};
  for (TextField AssocRecord::*field : fields) {
    AssocRecord changed = *a.At(1);
    changed.*field = (std::string((changed.*field).Text()) + "!").c_str();
    EXPECT_FALSE(changed.SameContent(*a.At(1)));
    EXPECT_FALSE(a.At(1)->SameContent(changed));
  }
  AssocRecord header = *a.At(1);
  header.group = 1;
  EXPECT_FALSE(header.SameContent(*a.At(1)));
  AssocRecord caseOnly = *a.At(1);
  caseOnly.Mask = "X";
  EXPECT_FALSE(caseOnly.SameContent(*a.At(1))) << "compared byte for byte, not as the sort compares";

  AssocList reordered, shorter;
  Build(reordered, {"#H", "y", "x"});
  Build(shorter, {"#H", "x"});
  EXPECT_FALSE(a.SameContent(reordered));
  EXPECT_FALSE(a.SameContent(shorter));
  EXPECT_FALSE(shorter.SameContent(a));
  AssocList empty1, empty2;
  EXPECT_TRUE(empty1.SameContent(empty2));
}

}  // namespace
