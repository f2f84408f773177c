// The terminal front end on made-up screens shaped like the plug-in's (a
// list with columns and group bars, the edit dialog, the delete and apply
// questions), for trying the front end by hand without the plug-in:
//   velk_tui_demo [HELPFILE]
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "interaction/keys.h"
#include "tests/support/dialog_item.h"
#include "tui/tui.h"

namespace {

struct Row {
  bool group;
  std::string mask, description, execute;
};

using namespace velk;  // the key codes

const uint32_t kBreakKeys[] = {BreakKeyWord(VkInsert),
                               BreakKeyWord(VkDelete),
                               BreakKeyWord(VkF(4)),
                               BreakKeyWord(VkUp, KeyModCtrl),
                               BreakKeyWord(VkDown, KeyModCtrl),
                               BreakKeyWord(VkSpace),
                               BreakKeyWord(VkAdd),
                               BreakKeyWord(VkSubtract),
                               BreakKeyWord(VkMultiply),
                               0};

std::string Line(const Row& r) {
  if (r.group) return std::string("\xCD ") + r.mask + " " + std::string(30, '\xCD');
  char buf[128];
  std::snprintf(buf, sizeof buf, "%-14s\xB3%-16s\xB3%s", r.description.c_str(), r.execute.c_str(), r.mask.c_str());
  return buf;
}

using velk::tests::Item;

bool Edit(velk::FrontEnd& front, Row& row) {
  std::vector<HostDialogItem> items;
  items.push_back(Item(DialogItemFrame, 3, 1, 72, "Association"));
  items.back().bottom = 9;
  items.push_back(Item(DialogItemCheckBox, 4, 2, 0, "An association (clear for a group header)"));
  items.back().checkState = row.group ? 0 : 1;
  items.push_back(Item(DialogItemEdit, 4, 3, 70, row.mask.c_str(), DialogHistoryFlag));
  items.back().historyName = "Masks";
  items.back().hasFocus = 1;
  items.push_back(Item(DialogItemText, 4, 4, 0, "Description"));
  items.push_back(Item(DialogItemEdit, 4, 5, 70, row.description.c_str()));
  items.push_back(Item(DialogItemText, 4, 6, 4, "", DialogSeparatorFlags));
  items.push_back(Item(DialogItemEdit, 4, 7, 70, row.execute.c_str()));
  items.push_back(Item(DialogItemButton, 0, 8, 0, "OK", DialogButtonRowFlag));
  items.back().isDefault = 1;
  items.push_back(Item(DialogItemButton, 0, 8, 0, "Cancel", DialogButtonRowFlag));
  velk::DialogView view;
  view.width = 76;
  view.height = 11;
  view.helpTopic = "EditItem";
  view.items = items.data();
  view.count = static_cast<int>(items.size());
  int r = front.RunDialog(view);
  if (r != 7) return false;
  row.group = items[1].checkState == 0;
  row.mask = items[2].text;
  row.description = items[4].text;
  row.execute = items[6].text;
  return true;
}

// The made-up list and what its keys do to it.
struct Demo {
  velk::FrontEnd& front;
  std::vector<Row> rows = {{true, "Archives", "", ""},
                           {false, "*.zip,*.jar", "Zip archive", "unzip -l !.!"},
                           {false, "*.tar.gz,*.tgz", "Tar archive", "tar tzf !.!"},
                           {true, "Pictures", "", ""},
                           {false, "*.png", "Image", "viewer !.!"}};
  std::vector<bool> marks = std::vector<bool>(rows.size());
  int pos = -1;

  velk::MenuAnswer ShowList();
  bool Leave();
  void Act(int code);
  void Delete();
};

velk::MenuAnswer Demo::ShowList() {
  std::vector<HostMenuItem> items;
  for (size_t i = 0; i <= rows.size(); ++i) {
    HostMenuItem item;
    std::memset(&item, 0, sizeof item);
    if (i < rows.size()) std::snprintf(item.text, sizeof item.text, "%s", Line(rows[i]).c_str());
    if (i < rows.size() && marks[i]) item.flags |= MenuItemChecked;
    if (static_cast<int>(i) == pos) item.flags |= MenuItemSelected;
    item.userData = static_cast<int32_t>(i);
    items.push_back(item);
  }
  velk::MenuView view;
  view.flags = MenuFlagAlways | MenuFlagBit0;
  view.title =
      "Description\xB3"
      "Execute\xB3"
      "Masks (" +
      std::to_string(rows.size()) + ") associations";
  view.bottom = "Ins Del F4 Space Ctrl+\x18\x19";
  view.helpTopic = "Contents";
  view.breakKeys = kBreakKeys;
  view.items = items.data();
  view.count = static_cast<int>(items.size());
  return front.ShowMenu(view);
}

// The apply question; true when the list is left.
bool Demo::Leave() {
  velk::MessageView ask;
  ask.flags = MessageButtonsYesNoCancel | MessageFlagBit0;
  ask.helpTopic = "ApplyAsk";
  ask.lines = {"Associations", "Apply the changes?"};
  ask.buttons = {"Apply", "Discard", "Back"};
  int answer = front.ShowMessage(ask);
  return answer == 0 || answer == 1;
}

void Demo::Delete() {
  velk::MessageView ask;
  ask.flags = MessageButtonsYesNo | MessageFlagBit0;
  ask.lines = {"Delete", "Delete the association", rows[static_cast<size_t>(pos)].mask + " ?"};
  ask.buttons = {"Delete", "Cancel"};
  if (front.ShowMessage(ask) != 0) return;
  rows.erase(rows.begin() + pos);
  marks.erase(marks.begin() + pos);
}

void Demo::Act(int code) {
  const bool onRow = pos < static_cast<int>(rows.size());
  if (code == 2 && onRow) {
    Edit(front, rows[static_cast<size_t>(pos)]);
  } else if (code == 0 || code == 2) {
    Row fresh{false, "", "", ""};
    if (Edit(front, fresh)) {
      rows.insert(rows.begin() + pos, fresh);
      marks.insert(marks.begin() + pos, false);
    }
  } else if (code == 1 && onRow) {
    Delete();
  } else if (code == 5 && onRow) {
    marks[static_cast<size_t>(pos)] = !marks[static_cast<size_t>(pos)];
    ++pos;
  } else if (code == 6 || code == 7 || code == 8) {
    for (size_t i = 0; i < marks.size(); ++i) marks[i] = code == 6 ? true : code == 7 ? false : !marks[i];
  } else if ((code == 3 && pos > 0 && onRow) || (code == 4 && pos + 1 < static_cast<int>(rows.size()))) {
    int other = code == 3 ? pos - 1 : pos + 1;
    std::swap(rows[static_cast<size_t>(pos)], rows[static_cast<size_t>(other)]);
    pos = other;
  }
}

}  // namespace

int main(int argc, char** argv) {
  velk::TerminalOptions options;
  if (argc > 1) options.helpFile = argv[1];
  std::string error;
  auto front = velk::MakeTerminalFrontEnd(options, error);
  if (!front) {
    std::fprintf(stderr, "velk_tui_demo: %s\n", error.c_str());
    return 2;
  }
  Demo demo{*front};
  for (;;) {
    velk::HostCommand cmd = front->NextHostCommand({"Demo plug-in"}, {"Demo plug-in"});
    if (cmd.kind == velk::HostCommand::Quit) break;
    if (cmd.kind != velk::HostCommand::Open) continue;
    demo.pos = -1;
    for (;;) {
      velk::MenuAnswer a = demo.ShowList();
      if (a.position < 0) {
        if (demo.Leave()) break;
        continue;
      }
      demo.pos = a.position;
      demo.Act(a.breakCode < 0 ? 2 : a.breakCode);
    }
  }
  return 0;
}
