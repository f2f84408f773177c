#include "ui/list_screen.h"

#include <algorithm>
#include <cstring>

#include "host/interface/host_services.h"
#include "host/interface/messages.h"
#include "model/text.h"
#include "ui/changed_flag.h"
#include "ui/edit_dialog.h"
#include "ui/menu_line_list.h"

namespace {

constexpr uint32_t MenuFlags = MenuFlagAlways | MenuFlagBit0;
constexpr uint32_t DeleteAskFlags = MessageButtonsYesNo | MessageFlagBit0;
constexpr char Separator = '\xB3';
const char SeparatorText[] = {Separator, 0};
// The characters a menu line holds; its last byte is the terminator.
constexpr int32_t LineChars = static_cast<int32_t>(sizeof(HostMenuItem::text)) - 1;
constexpr int32_t HeaderMaskChars = 124;
constexpr int32_t FilterChars = TextFieldChars;
constexpr int32_t TitleSize = 264;

struct ScreenState {
  int32_t descriptionWidth = 0;
  int32_t commandWidths[CommandColumnCount] = {};  // in the order of CommandColumns
  int32_t position = -1;
  char filter[FilterChars + 1] = {};
  int32_t filterLength = 0;
  MenuLineList lines;

  bool Filtered() const { return filterLength != 0; }
};

// Widths only ever grow within one call; a negative limit counts as 0.
void UpdateWidths(const AssocList& list, ScreenState& state) {
  const uint32_t count = list.Count();
  for (uint32_t i = 0; i < count; ++i) {
    const AssocRecord* record = list.At(i);
    state.descriptionWidth = std::max(state.descriptionWidth, record->Description.Length());
    for (int c = 0; c < CommandColumnCount; ++c) {
      state.commandWidths[c] = std::max(state.commandWidths[c], (record->*CommandColumns[c].field).Length());
    }
  }
  for (int c = 0; c < CommandColumnCount; ++c) {
    state.commandWidths[c] = std::min(state.commandWidths[c], std::max(PluginSettings.*CommandColumns[c].limit, 0));
  }
}

// The widths of the columns one pass shows: a command column is left out
// (width 0) when its setting is off or it has no width.
struct LineLayout {
  int32_t description;
  int32_t commands[CommandColumnCount];
};

LineLayout LayoutOf(const ScreenState& state) {
  LineLayout layout{state.descriptionWidth, {}};
  for (int c = 0; c < CommandColumnCount; ++c) {
    layout.commands[c] = PluginSettings.*CommandColumns[c].shown != 0 ? state.commandWidths[c] : 0;
  }
  return layout;
}

bool FilterAccepts(const ScreenState& state, const AssocRecord& record) {
  if (!state.Filtered()) return true;
  char upper[TextFieldChars + 1];
  // The cached length, held to what a field can hold, since it sizes a copy.
  const int32_t length = std::min(std::max(record.Mask.Length(), 0), TextFieldChars);
  for (int32_t i = 0; i < length; ++i) {
    const char c = record.Mask.Text()[i];
    upper[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  upper[length] = 0;
  return std::strstr(upper, state.filter) != nullptr;
}

// Composes a menu line's text in place by copying bytes and padding with
// blanks, never past the characters a line holds; whatever goes past is
// cut. The line was zeroed beforehand, so the text is always terminated.
class LineComposer {
 public:
  explicit LineComposer(char* text) : text(text) {}

  void Put(const char* source, int32_t n) {
    if (n > LineChars - used) n = LineChars - used;
    if (n <= 0) return;
    std::memcpy(text + used, source, static_cast<size_t>(n));
    used += n;
  }
  void Put(char c) { Put(&c, 1); }
  void Pad(int32_t n) {
    if (n > LineChars - used) n = LineChars - used;
    if (n <= 0) return;
    std::memset(text + used, ' ', static_cast<size_t>(n));
    used += n;
  }
  // A text left-aligned in a column of the given width: padded with blanks
  // when shorter, whole when longer.
  void Padded(const TextField& field, int32_t width) {
    Put(field.Text(), field.Length());
    Pad(width - field.Length());
  }
  // A command column: the separator and the text padded to the width, or cut
  // to width - 1 characters and "}" when it is longer.
  void Column(const TextField& field, int32_t width) {
    Put(Separator);
    if (field.Length() <= width) {
      Padded(field, width);
    } else {
      Put(field.Text(), width - 1);
      Put('}');
    }
  }
  int32_t Length() const { return used; }

 private:
  char* text;
  int32_t used = 0;
};

// An association line: the description padded to its width, the shown
// command columns, the separator and the whole mask; the first 127
// characters of that. Returns the length of the text.
int32_t BuildAssocLine(const AssocRecord& record, const LineLayout& layout, HostMenuItem& line) {
  LineComposer text(line.text);
  text.Padded(record.Description, layout.description);
  for (int c = 0; c < CommandColumnCount; ++c) {
    if (layout.commands[c] != 0) text.Column(record.*CommandColumns[c].field, layout.commands[c]);
  }
  text.Put(Separator);
  text.Put(record.Mask.Text(), record.Mask.Length());
  return text.Length();
}

// A header bar: one group character, a blank, the title, a blank, and group
// characters up to the longest association line. The title is copied as
// bytes, so it may hold any character.
void DrawHeader(char* text, int32_t longest, const TextField& mask, char groupChar) {
  std::memset(text, static_cast<unsigned char>(groupChar), static_cast<size_t>(longest));
  text[1] = ' ';
  text[longest] = 0;
  const int32_t n = std::min(mask.Length(), HeaderMaskChars);
  CopyBytes(text + 2, mask.Text(), static_cast<size_t>(n));
  text[2 + n] = ' ';
}

// The lines of one pass: a line for every record the filter lets through,
// with the index of its record, marks shown without a filter; the trailing
// empty line; the header bars. Returns the number of record lines. Running
// out of memory is a fatal stop, so every line appended is held.
int32_t BuildLines(const AssocList& list, const LineLayout& layout, ScreenState& state) {
  state.lines.Clear();
  const bool showMarks = !state.Filtered();
  const uint32_t total = list.Count();
  HostMenuItem work;
  int32_t shown = 0;
  int32_t longest = 0;
  for (uint32_t i = 0; i < total; ++i) {
    const AssocRecord* record = list.At(i);
    if (!record->group && !FilterAccepts(state, *record)) continue;
    std::memset(&work, 0, sizeof(work));
    // A header's line stays empty until the bars are drawn.
    const int32_t length = record->group ? 0 : BuildAssocLine(*record, layout, work);
    if (showMarks && record->marked) work.flags |= MenuItemChecked;
    work.userData = static_cast<int32_t>(i);
    state.lines.Append(work);
    longest = std::max(longest, length);
    ++shown;
  }
  std::memset(&work, 0, sizeof(work));
  state.lines.Append(work);

  // Without an association line longer than one character the bar would
  // hide the titles, the only text on the screen: the headers are then drawn
  // as for titles longer than the bar, the group character, a blank, the
  // title and a blank.
  longest = std::max(longest, 2);
  const char groupChar = static_cast<char>(PluginSettings.GroupChar);
  for (int32_t i = 0; i < shown; ++i) {
    HostMenuItem* line = state.lines.At(i);
    // An association line always holds its separator or its description,
    // so only lines still empty can be headers: the records of the others
    // need not be read again.
    if (line->text[0] != 0) continue;
    const AssocRecord* record = list.At(static_cast<uint32_t>(line->userData));
    if (record->group) DrawHeader(line->text, longest, record->Mask, groupChar);
  }
  return shown;
}

// The title's sort indicator: the letter of the field sorted by, upper case
// when descending; 0 for no sort (and for modes that name no field).
char SortIndicator(int32_t mode) {
  const AssocField* field = SortField(mode);
  if (!field) return 0;
  const char letter = field->sortIndicator;
  return mode == field->sortDescending ? static_cast<char>(letter - 'a' + 'A') : letter;
}

// The title never outgrows its buffer: every piece is appended bounded, and
// whatever does not fit is cut off.
void ComposeTitle(char* title, const ScreenState& state, const LineLayout& layout, int32_t shown, int32_t total) {
  title[0] = 0;
  if (const char indicator = SortIndicator(PluginSettings.SortType)) {
    const char text[3] = {indicator, ' ', 0};
    AppendBounded(title, text, TitleSize);
  }
  AppendBounded(title, TextOrMessage(MsgColumnDescription), TitleSize);
  for (int c = 0; c < CommandColumnCount; ++c) {
    if (layout.commands[c] == 0) continue;
    AppendBounded(title, SeparatorText, TitleSize);
    AppendBounded(title, TextOrMessage(CommandColumns[c].header), TitleSize);
  }
  AppendBounded(title, SeparatorText, TitleSize);
  AppendBounded(title, TextOrMessage(MsgColumnMask), TitleSize);
  AppendBounded(title, " ", TitleSize);

  char tail[TitleSize];
  if (!state.Filtered()) {
    FormatBounded(tail, TitleSize, "(%d) %s", static_cast<int>(shown), TextOrMessage(MsgTitleItems));
  } else {
    FormatBounded(tail, TitleSize, "(%d of %d) %s: [%s]", static_cast<int>(shown), static_cast<int>(total),
                  TextOrMessage(MsgTitleItems), state.filter);
  }
  AppendBounded(title, tail, TitleSize);
}

// What a key's action works on: the list, the screen's state and the line
// the menu returned.
struct KeyPress {
  AssocList& list;
  ScreenState& state;
  int32_t pos;          // the line's position
  int32_t shown;        // the record lines shown; the trailing line is at shown
  AssocRecord* record;  // the record the line shows; null on the trailing line
};

// A key's action, with the argument its row of the key table gives.
using KeyAction = void (*)(KeyPress& key, int32_t argument);

// A new association goes before the record the chosen line shows, or at the
// end of the list from the trailing line; without a filter that is the
// line's own position.
void InsertNew(AssocList& list, const AssocRecord* before) {
  AssocRecord fresh;
  fresh.Reset();
  if (!EditAssocDialog(fresh)) return;
  const int32_t index = before ? list.IndexOf(before) : static_cast<int32_t>(list.Count());
  if (index >= 0 && list.Insert(static_cast<uint32_t>(index), &fresh)) ChangedFlag = 1;
}

void InsertLine(KeyPress& key, int32_t) { InsertNew(key.list, key.record); }

// F4, and Enter: the line's record in the dialog; on the trailing line a new
// association, as Ins.
void EditLine(KeyPress& key, int32_t) {
  if (!key.record) {
    InsertNew(key.list, nullptr);
  } else if (EditAssocDialog(*key.record)) {
    ChangedFlag = 1;
  }
}

void DeleteLine(KeyPress& key, int32_t) {
  if (!key.record) return;  // the trailing line
  AssocList& list = key.list;
  if (list.CountMarked() > 0) {
    const int32_t first = list.FirstMarkedFrom(0);
    if (list.DeleteMarked()) {
      ChangedFlag = 1;
      key.state.position = first;
    }
    return;
  }
  // The mask is the argument of the question, never part of its format.
  const char* question = FormatShared(MessageText(MsgDeleteOne), key.record->Mask.Text());
  if (HostMessageBox(question, DeleteAskFlags, nullptr) == 0) {
    list.DeleteRecord(key.record);
    ChangedFlag = 1;
  }
}

// Ctrl+Up (step -1) and Ctrl+Down (step 1): the marked records as one block,
// or without marks the line's record and its neighbour in that direction.
// Moves need the whole list shown, so a line's position is its record's
// index.
void MoveLine(KeyPress& key, int32_t step) {
  if (key.state.Filtered()) return;
  AssocList& list = key.list;
  if (list.CountMarked() > 0) {
    if (step < 0 ? list.MoveMarkedUp() : list.MoveMarkedDown()) {
      ChangedFlag = 1;
      key.state.position = list.FirstMarkedFrom(0);
    }
    return;
  }
  const int32_t target = key.pos + step;
  if (key.pos >= key.shown || target < 0 || target >= key.shown) return;
  list.Swap(static_cast<uint32_t>(key.pos), static_cast<uint32_t>(target));
  ChangedFlag = 1;
  key.state.position = target;
}

// Space: marks or unmarks the line's record and moves the cursor down.
void ToggleMark(KeyPress& key, int32_t) {
  if (key.state.Filtered() || !key.record) return;
  key.record->marked = key.record->marked ? 0 : 1;
  key.state.position = key.pos + 1;
}

// The numeric-pad keys: marks all, none or the others.
template <void (AssocList::*change)()>
void ChangeMarks(KeyPress& key, int32_t) {
  if (!key.state.Filtered()) (key.list.*change)();
}

// A sort key: its field ascending, or descending when the list is sorted by
// it ascending already.
void SortBy(KeyPress& key, int32_t ascendingMode) {
  PluginSettings.SortType = PluginSettings.SortType == ascendingMode ? ascendingMode + 1 : ascendingMode;
  key.list.SortGroups(PluginSettings.SortType);
}

void ToggleColumn(KeyPress&, int32_t column) {
  int32_t& setting = PluginSettings.*CommandColumns[column].shown;
  setting = setting == 0 ? 1 : 0;
}

void EraseFilterChar(KeyPress& key, int32_t) {
  ScreenState& state = key.state;
  if (state.Filtered()) state.filter[--state.filterLength] = 0;
}

// A letter or digit joins the filter, which clears every mark.
void TypeFilterChar(KeyPress& key, int32_t character) {
  ScreenState& state = key.state;
  if (state.filterLength >= FilterChars) return;
  state.filter[state.filterLength++] = static_cast<char>(character);
  state.filter[state.filterLength] = 0;
  key.list.UnmarkAll();
}

struct ListKey {
  uint32_t word;  // as the host reports it: virtual-key code, modifiers above
  KeyAction action;
  int32_t argument;
};

constexpr uint32_t Ctrl(uint16_t virtualKey) { return BreakKeyWord(virtualKey, KeyModCtrl); }

// The keys with an action of their own, each with its virtual-key code.
constexpr ListKey ActionKeys[] = {
    {BreakKeyWord(0x2D), InsertLine, 0},                            // Ins
    {BreakKeyWord(0x2E), DeleteLine, 0},                            // Del
    {BreakKeyWord(0x73), EditLine, 0},                              // F4
    {Ctrl(0x26), MoveLine, -1},                                     // Ctrl+Up
    {Ctrl(0x28), MoveLine, 1},                                      // Ctrl+Down
    {BreakKeyWord(0x20), ToggleMark, 0},                            // Space
    {BreakKeyWord(0x6B), ChangeMarks<&AssocList::MarkAll>, 0},      // numeric-pad +
    {BreakKeyWord(0x6D), ChangeMarks<&AssocList::UnmarkAll>, 0},    // numeric-pad -
    {BreakKeyWord(0x6A), ChangeMarks<&AssocList::InvertMarks>, 0},  // numeric-pad *
    {Ctrl(0x70), SortBy, SortDescriptionAsc},                       // Ctrl+F1
    {Ctrl(0x71), SortBy, SortExecuteAsc},                           // Ctrl+F2
    {Ctrl(0x72), SortBy, SortViewAsc},                              // Ctrl+F3
    {Ctrl(0x73), SortBy, SortEditAsc},                              // Ctrl+F4
    {Ctrl(0x74), SortBy, SortMaskAsc},                              // Ctrl+F5
    {Ctrl('1'), ToggleColumn, 0},                                   // Ctrl+1..3: the command columns in their order
    {Ctrl('2'), ToggleColumn, 1},
    {Ctrl('3'), ToggleColumn, 2},
    {BreakKeyWord(0x08), EraseFilterChar, 0},  // BackSpace
};
// Then the keys that type into the filter, each under its own character code.
constexpr char FilterTypingKeys[] = "QWERTYUIOPASDFGHJKLZXCVBNM1234567890";

constexpr int ActionKeyCount = sizeof(ActionKeys) / sizeof(ActionKeys[0]);
static_assert(ActionKeyCount + static_cast<int>(sizeof(FilterTypingKeys)) - 1 == ListBreakKeyCount,
              "the key table has ListBreakKeyCount rows");

using KeyTable = std::array<ListKey, ListBreakKeyCount>;

constexpr KeyTable MakeKeyTable() {
  KeyTable keys{};
  for (int i = 0; i < ActionKeyCount; ++i) keys[i] = ActionKeys[i];
  for (int i = ActionKeyCount; i < ListBreakKeyCount; ++i) {
    const char character = FilterTypingKeys[i - ActionKeyCount];
    keys[i] = {BreakKeyWord(static_cast<uint16_t>(character)), TypeFilterChar, character};
  }
  return keys;
}

// The screen's keys: a row's index is the break code the host reports.
constexpr KeyTable ListKeys = MakeKeyTable();

constexpr std::array<uint32_t, ListBreakKeyCount + 1> BreakWordsOf(const KeyTable& keys) {
  std::array<uint32_t, ListBreakKeyCount + 1> words{};  // the last stays 0, the end of the table
  for (int i = 0; i < ListBreakKeyCount; ++i) words[i] = keys[i].word;
  return words;
}

// Acts on the key that closed the menu, on the line at pos.
void ActOnKey(AssocList& list, ScreenState& state, int breakCode, int32_t pos, int32_t shown) {
  AssocRecord* record = pos < shown ? list.At(static_cast<uint32_t>(state.lines.At(pos)->userData)) : nullptr;
  KeyPress key{list, state, pos, shown, record};
  // Enter, reported as -1, does what F4 does; other codes are no keys of ours.
  if (breakCode == -1) {
    EditLine(key, 0);
  } else if (breakCode >= 0 && breakCode < ListBreakKeyCount) {
    ListKeys[breakCode].action(key, ListKeys[breakCode].argument);
  }
}

}  // namespace

const std::array<uint32_t, ListBreakKeyCount + 1> ListBreakKeys = BreakWordsOf(ListKeys);

bool RunListScreen(AssocList& list) {
  ScreenState state;
  char title[TitleSize];
  int breakCode = -1;

  for (;;) {
    UpdateWidths(list, state);
    const LineLayout layout = LayoutOf(state);
    const int32_t shown = BuildLines(list, layout, state);
    ComposeTitle(title, state, layout, shown, static_cast<int32_t>(list.Count()));
    // The remembered line may be the trailing one (Space on the last record,
    // the last record deleted): it is selected like any other, so that the
    // cursor stays where the user is rather than going back to the top.
    if (state.position >= 0 && state.position <= shown) state.lines.At(state.position)->flags |= MenuItemSelected;

    int pos = HostMenu(state.lines, reinterpret_cast<uintptr_t>(title), MenuFlags, MsgListBottom, "Contents",
                       ListBreakKeys.data(), &breakCode);
    if (pos < 0) break;
    // A position past the trailing line is taken as the trailing line.
    if (pos > shown) pos = shown;
    state.position = pos;
    ActOnKey(list, state, breakCode, pos, shown);
  }

  state.lines.Clear();
  return ChangedFlag == 1;
}
