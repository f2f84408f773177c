// The list screen driven by arbitrary keys on an arbitrary list through the
// scripted fake host. The input gives the display settings, the message
// texts, the console width, the list and then, decided while the screen runs,
// every menu answer (a line the host may really return and any break code),
// every dialog answer (edited texts, the check box, any closing item) and
// every message-box answer.
//
// Each key is checked on its own when the menu comes back: whatever the
// screen shows must fit its records, the list may only change as the key
// allows (marks, columns and the filter leave its content alone; a sort
// permutes each group on its own and orders it), and ChangedFlag must be set
// exactly when the content or order changed, apart from the two cases where
// the screen rightly counts a change that left the list equal (a confirmed
// dialog that changed nothing; a move of two equal neighbours).
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fakes/fake_host.h"
#include "fuzz_support.h"
#include "model/text.h"
#include "storage/settings.h"
#include "ui/list_screen.h"
#include "ui/session.h"
#include "winport.h"

using fuzz::Check;
using fuzz::Entry;

namespace {

constexpr int MaxSteps = 160;
constexpr int MaxDialogsPerStep = 6;
constexpr uint32_t Selected = 0x10000;
constexpr uint32_t Checked = 0x20000;

enum : int {
  Ins = 0,
  Del = 1,
  F4 = 2,
  CtrlUp = 3,
  CtrlDown = 4,
  Space = 5,
  CtrlF1 = 9,
  CtrlF5 = 13,
  BackSpace = 17,
  FirstChar = 18,
  LastChar = 53
};

// The field a sort mode orders by, as an index into the eight fields: the
// check's own reading of the modes, kept apart from the field table that the
// sort itself goes by.
int SortedFieldIndex(int32_t mode) {
  switch ((mode + 1) / 2) {
    case 1: return 0;   // Mask
    case 2: return 2;   // Execute
    case 3: return 1;   // Description
    case 4: return 6;   // Edit
    default: return 4;  // View
  }
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

struct Driver {
  FuzzedDataProvider& in;
  AssocList& list;
  FakeHost& host;

  // The state as the previous menu showed it, and what has happened since.
  std::vector<Entry> before;
  std::vector<bool> marksBefore;
  uint8_t flagBefore = 0;
  int32_t sortBefore = 0;
  int32_t showBefore[3] = {0, 0, 0};
  int key = -100;  // the break code answered last; -100 before the first menu
  int steps = 0;
  int dialogsThisStep = 0;
  bool confirmPressed = false;  // a dialog was closed with its confirming button
  // Where a new record goes: before the record of the chosen line, or at the
  // end from the trailing line; -1 when the key cannot insert.
  int32_t insertAt = -1;
  std::string filter;  // the screen's filter, followed key by key

  explicit Driver(FuzzedDataProvider& input, AssocList& l, FakeHost& h) : in(input), list(l), host(h) {}

  static bool HasEqualNeighbours(const std::vector<Entry>& entries) {
    std::vector<Entry> sorted = entries;
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end();
  }

  void CheckSort(const std::vector<Entry>& after) {
    const int base = (key - CtrlF1 == 0)   ? 5
                     : (key - CtrlF1 == 1) ? 3
                     : (key - CtrlF1 == 2) ? 9
                     : (key - CtrlF1 == 3) ? 7
                                           : 1;
    const int32_t expectedMode = sortBefore == base ? base + 1 : base;
    Check(PluginSettings.SortType == expectedMode, "sort key set the wrong SortType",
          std::to_string(sortBefore) + " -> " + std::to_string(PluginSettings.SortType));
    Check(after.size() == before.size(), "a sort changed the number of records");
    const int field = SortedFieldIndex(expectedMode);
    const bool descending = expectedMode % 2 == 0;
    size_t i = 0;
    while (i < after.size()) {
      if (before[i].group) {
        Check(after[i] == before[i], "a sort moved a group header");
        ++i;
        continue;
      }
      size_t e = i;
      while (e < after.size() && !before[e].group) ++e;
      std::vector<Entry> a(after.begin() + i, after.begin() + e), b(before.begin() + i, before.begin() + e);
      for (size_t k = i + 1; k < e; ++k) {
        int c = CompareText(after[k - 1].fields[field].c_str(), after[k].fields[field].c_str(), -1, 0);
        Check(descending ? c >= 0 : c <= 0, "a run is not in order after the sort", fuzz::Describe(after[k]));
      }
      std::sort(a.begin(), a.end());
      std::sort(b.begin(), b.end());
      Check(a == b, "a sort lost, added or moved records across a header");
      i = e;
    }
  }

  // Checks the effect of the key answered last, now that the screen is back
  // (at the next menu) or has ended.
  void CheckStep() {
    if (key == -100) return;
    const std::vector<Entry> after = fuzz::Entries(list);
    const uint8_t flagAfter = ChangedFlag;
    Check(flagAfter == 0 || flagAfter == 1, "ChangedFlag holds neither 0 nor 1");
    Check(flagBefore == 0 || flagAfter == 1, "ChangedFlag was cleared by the screen");
    const bool changed = after != before;
    const bool raised = flagBefore == 0 && flagAfter == 1;
    const std::string what = "key " + std::to_string(key);
    if (key >= CtrlF1 && key <= CtrlF5) {
      CheckSort(after);
      Check(!raised, "a sort counted as a change", what);
    } else if (key == Ins || key == Del || key == F4 || key == -1 || key == CtrlUp || key == CtrlDown) {
      if (changed) Check(flagAfter == 1, "the list changed but ChangedFlag is not set", what);
      if (raised && !changed) {
        const bool confirmedEdit = (key == Ins || key == F4 || key == -1) && confirmPressed;
        const bool equalSwap = (key == CtrlUp || key == CtrlDown) && HasEqualNeighbours(before);
        Check(confirmedEdit || equalSwap, "ChangedFlag set though nothing changed", what);
      }
      if (key == Ins && changed) Check(after.size() == before.size() + 1, "Ins changed more than one record");
      if (insertAt >= 0 && after.size() == before.size() + 1) {
        const auto at = after.begin() + insertAt;
        Check(
            std::equal(after.begin(), at, before.begin()) && std::equal(at + 1, after.end(), before.begin() + insertAt),
            "a new record was not inserted before the chosen line's record", what);
      }
      if (key == Del && changed) Check(after.size() < before.size(), "Del changed the list without deleting");
    } else {
      Check(!changed, "a key that must leave the list alone changed it", what);
      Check(!raised, "a key that changes nothing set ChangedFlag", what);
      if (key >= Space && key <= 8 && !filter.empty())
        Check(fuzz::Marks(list) == marksBefore, "a marking key changed marks while filtering", what);
      if (key >= 14 && key <= 16) {
        const int32_t now[3] = {PluginSettings.ShowEx, PluginSettings.ShowView, PluginSettings.ShowEdit};
        Check(now[key - 14] == (showBefore[key - 14] == 0 ? 1 : 0), "a column key did not toggle its column", what);
      }
    }
    // The filter model follows the key.
    if (key == BackSpace && !filter.empty()) filter.pop_back();
    if (key >= FirstChar && key <= LastChar && filter.size() < 260) {
      filter.push_back(static_cast<char>(ListBreakKeys[key] & 0xFF));
      for (bool m : fuzz::Marks(list)) Check(!m, "typing into the filter left a mark");
    }
  }

  void CheckMenu(const FakeHost::MenuCall& call) {
    Check(!call.items.empty(), "a menu without the trailing line");
    Check(call.title.size() < 264, "the title is longer than its buffer");
    // The trailing line is all zero but for the selection: the cursor may
    // be remembered there.
    HostMenuItem last = call.items.back();
    last.flags &= ~Selected;
    const HostMenuItem zero{};
    Check(std::memcmp(&last, &zero, sizeof zero) == 0, "the trailing line is not all zero");
    const size_t shown = call.items.size() - 1;
    int selected = 0;
    int32_t previous = -1;
    std::vector<bool> marks = fuzz::Marks(list);
    for (size_t i = 0; i < call.items.size(); ++i) {
      const HostMenuItem& item = call.items[i];
      Check(std::memchr(item.text, 0, sizeof item.text) != nullptr, "a line's text is not terminated");
      Check((item.flags & ~(Selected | Checked)) == 0, "a line carries flags other than selected and checked");
      Check(item.reserved1 == 0 && item.reserved2 == 0, "a line's reserved fields are not zero");
      if (item.flags & Selected) ++selected;
      if (i == shown) break;
      Check(item.userData > previous && item.userData < static_cast<int32_t>(list.Count()),
            "a line's record index is out of order or outside the list");
      previous = item.userData;
      const AssocRecord& record = *list.At(static_cast<uint32_t>(item.userData));
      if (record.group && PluginSettings.GroupChar != 0) {
        // A header shows its title (up to 124 characters) between blanks,
        // whatever the other lines are.
        const int32_t n = std::min<int32_t>(record.Mask.Length(), 124);
        const std::string shown = std::string(1, static_cast<char>(PluginSettings.GroupChar)) + " " +
                                  std::string(record.Mask.Text(), static_cast<size_t>(n)) + " ";
        Check(std::string(item.text).compare(0, shown.size(), shown) == 0, "a group header hides its title");
      }
      if (filter.empty()) {
        Check(((item.flags & Checked) != 0) == (record.marked != 0), "a check mark differs from the record's mark");
      } else {
        Check((item.flags & Checked) == 0, "a check mark is shown while filtering");
      }
    }
    Check(selected <= 1, "more than one line is selected");
    // Which records are shown: all without a filter; with one, the headers
    // and the associations whose mask holds the filter in any letter case.
    size_t expectedShown = 0;
    for (uint32_t i = 0; i < list.Count(); ++i) {
      const AssocRecord& r = *list.At(i);
      if (filter.empty() || r.group || Upper(r.Mask.Text()).find(filter) != std::string::npos) ++expectedShown;
    }
    Check(shown == expectedShown, "the menu shows other records than the filter allows",
          std::to_string(shown) + " shown, " + std::to_string(expectedShown) + " expected");
  }

  std::pair<int, int> OnMenu(const FakeHost::MenuCall& call) {
    CheckStep();
    CheckMenu(call);
    before = fuzz::Entries(list);
    marksBefore = fuzz::Marks(list);
    flagBefore = ChangedFlag;
    sortBefore = PluginSettings.SortType;
    showBefore[0] = PluginSettings.ShowEx;
    showBefore[1] = PluginSettings.ShowView;
    showBefore[2] = PluginSettings.ShowEdit;
    dialogsThisStep = 0;
    confirmPressed = false;
    if (++steps > MaxSteps || in.remaining_bytes() == 0) {
      key = -100;
      return {-1, -1};  // Esc
    }
    const int position = in.ConsumeIntegralInRange<int>(0, static_cast<int>(call.items.size()) - 1);
    key = in.ConsumeIntegralInRange<int>(-1, LastChar);
    const bool trailing = position == static_cast<int>(call.items.size()) - 1;
    insertAt = -1;
    if (key == Ins || (trailing && (key == F4 || key == -1)))
      insertAt = trailing ? static_cast<int32_t>(list.Count()) : call.items[static_cast<size_t>(position)].userData;
    return {position, key};
  }

  int OnDialog(HostDialogItem* items, int count) {
    Check(count == 21, "the edit dialog does not have 21 items");
    for (int i = 0; i < count; ++i) {
      if (items[i].kind == 3 || items[i].kind == 4)
        Check(items[i].right >= items[i].left, "a stretched dialog item's right edge is left of its left edge");
    }
    Check(host.dialogCalls.back().width >= 10, "the dialog is narrower than its narrowest layout");
    for (int i = 0; i < count; ++i)
      Check(std::memchr(items[i].text, 0, sizeof items[i].text) != nullptr, "a dialog text is not terminated");
    if (++dialogsThisStep > MaxDialogsPerStep || in.remaining_bytes() == 0) return -1;
    switch (in.ConsumeIntegralInRange<int>(0, 5)) {
      case 0: return -1;
      case 1: return 20;  // cancel
      case 2: {
        // Any item, the confirming one included; the others open it again.
        const int item = in.ConsumeIntegralInRange<int>(-2, 22);
        if (item == 19) confirmPressed = true;
        return item;
      }
      default: break;
    }
    const uint8_t edits = in.ConsumeIntegral<uint8_t>();
    for (int f = 0; f < 8; ++f) {
      if (!(edits & (1u << f))) continue;
      const std::string text = fuzz::PickText(in, 511);
      std::memcpy(items[AssocFields[f].dialogItem].text, text.c_str(), text.size() + 1);
    }
    if (in.ConsumeIntegralInRange<int>(0, 3) == 0) items[1].checkState = items[1].checkState ? 0 : 1;
    confirmPressed = true;
    return 19;
  }

  int OnMessage(const FakeHost::MessageCall& call) {
    for (const std::string& text : call.items) Check(text.size() < 20000, "a message text is unbounded");
    if (in.remaining_bytes() == 0) return -1;
    return in.ConsumeIntegralInRange<int>(-1, 2);
  }
};

void SetUpMessages(FuzzedDataProvider& in, FakeHost& host) {
  // The host's texts: any length; 17 and 18 hold their one directive (an
  // integer and a text), the others none, as the language file is made.
  static const int plain[] = {15, 16, 22, 23, 24, 25, 26, 27};
  auto noDirectives = [](std::string s) {
    std::replace(s.begin(), s.end(), '%', '+');
    return s;
  };
  for (int n : plain) {
    if (in.ConsumeIntegralInRange<int>(0, 3) == 0) host.SetMessage(n, noDirectives(fuzz::PickText(in, 300)));
  }
  if (in.ConsumeBool())
    host.SetMessage(17, noDirectives(fuzz::PickText(in, 40)) + "%d" + noDirectives(fuzz::PickText(in, 40)));
  else host.SetMessage(17, "Delete %d?");
  if (in.ConsumeBool())
    host.SetMessage(18, noDirectives(fuzz::PickText(in, 40)) + "%s" + noDirectives(fuzz::PickText(in, 40)));
  else host.SetMessage(18, "Delete %s?");
}

void SetUpSettings(FuzzedDataProvider& in) {
  PluginSettings.ShowEx = in.ConsumeIntegralInRange<int32_t>(-1, 2);
  PluginSettings.ShowView = in.ConsumeIntegralInRange<int32_t>(-1, 2);
  PluginSettings.ShowEdit = in.ConsumeIntegralInRange<int32_t>(-1, 2);
  PluginSettings.ExLen = in.ConsumeIntegralInRange<int32_t>(-3, 280);
  PluginSettings.ViewLen = in.ConsumeIntegralInRange<int32_t>(-3, 280);
  PluginSettings.EditLen = in.ConsumeIntegralInRange<int32_t>(-3, 280);
  // Stored values outside 0..10 reach the screen from the registry too.
  PluginSettings.SortType = in.ConsumeIntegralInRange<int32_t>(-2, 12);
  PluginSettings.GroupChar = in.ConsumeIntegral<uint8_t>();
}

void FillList(FuzzedDataProvider& in, AssocList& list) {
  const int count = in.ConsumeIntegralInRange<int>(0, 24);
  for (int i = 0; i < count && in.remaining_bytes() > 0; ++i) {
    AssocRecord r;
    r.Reset();
    const uint8_t bits = in.ConsumeIntegral<uint8_t>();
    r.group = (bits & 0x7) == 0 ? 1 : 0;
    r.marked = (bits & 0x8) ? 1 : 0;
    const uint8_t present = in.ConsumeIntegral<uint8_t>();
    for (int f = 0; f < AssocFieldCount; ++f) {
      if (f == 0 || (present & (1u << f))) r.*AssocFields[f].member = fuzz::PickText(in, 260).c_str();
    }
    list.Append(&r);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  FakeHost host;
  host.Install();
  SetUpMessages(in, host);
  SetUpSettings(in);
  WinportSetConsoleWidth(in.ConsumeIntegralInRange<int>(-1, 300));
  ChangedFlag = in.ConsumeBool() ? 1 : 0;  // a second showing starts with it set

  AssocList list;
  FillList(in, list);
  Driver driver(in, list, host);
  host.menuResponder = [&](const FakeHost::MenuCall& call) { return driver.OnMenu(call); };
  host.dialogResponder = [&](HostDialogItem* items, int count) { return driver.OnDialog(items, count); };
  host.messageResponder = [&](const FakeHost::MessageCall& call) { return driver.OnMessage(call); };

  const bool result = RunListScreen(list);
  Check(result == (ChangedFlag == 1), "RunListScreen's result differs from ChangedFlag");
  Check(!host.menuCalls.empty(), "the screen never showed its menu");
  host.Uninstall();
  WinportSetConsoleWidth(0);
  return 0;
}
