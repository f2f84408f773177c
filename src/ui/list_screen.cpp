#include "ui/list_screen.h"

#include <cstring>

#include "host/interface/host_services.h"
#include "host/interface/messages.h"
#include "model/text.h"
#include "storage/settings.h"
#include "ui/changed_flag.h"
#include "ui/edit_dialog.h"
#include "ui/menu_line_list.h"

namespace {
constexpr uint32_t Ctrl = BreakKeyWord(0, KeyModCtrl);
}  // namespace

// The keys on which the host closes the menu; an entry's index is the break
// code the host reports. Low word: virtual-key code; high word: modifiers.
const uint32_t ListBreakKeys[ListBreakKeyCount + 1] = {
    0x2D,        0x2E,        0x73,        Ctrl | 0x26, Ctrl | 0x28, 0x20,        0x6B,        0x6D,
    0x6A,        Ctrl | 0x70, Ctrl | 0x71, Ctrl | 0x72, Ctrl | 0x73, Ctrl | 0x74, Ctrl | 0x31, Ctrl | 0x32,
    Ctrl | 0x33, 0x08,        'Q',         'W',         'E',         'R',         'T',         'Y',
    'U',         'I',         'O',         'P',         'A',         'S',         'D',         'F',
    'G',         'H',         'J',         'K',         'L',         'Z',         'X',         'C',
    'V',         'B',         'N',         'M',         '1',         '2',         '3',         '4',
    '5',         '6',         '7',         '8',         '9',         '0',         0,
};

namespace {

enum BreakCode : int {
  KeyIns = 0,
  KeyDel = 1,
  KeyF4 = 2,
  KeyCtrlUp = 3,
  KeyCtrlDown = 4,
  KeySpace = 5,
  KeyAdd = 6,
  KeySubtract = 7,
  KeyMultiply = 8,
  KeyCtrlF1 = 9,
  KeyCtrlF5 = 13,
  KeyCtrl1 = 14,
  KeyCtrl2 = 15,
  KeyCtrl3 = 16,
  KeyBackSpace = 17,
  KeyFirstChar = 18,
  KeyLastChar = 53,
};

// Base (ascending) sort modes of Ctrl+F1 ... Ctrl+F5.
const int32_t SortKeyModes[] = {SortDescriptionAsc, SortExecuteAsc, SortViewAsc, SortEditAsc, SortMaskAsc};
const char SortIndicators[] = " mMxXdDeEvV";

constexpr uint32_t MenuFlags = MenuFlagAlways | MenuFlagBit0;
constexpr uint32_t DeleteAskFlags = MessageButtonsYesNo | MessageFlagBit0;
constexpr char Separator = '\xB3';
const char SeparatorText[] = {Separator, 0};
// The characters a menu line holds; its last byte is the terminator.
constexpr int32_t LineChars = static_cast<int32_t>(sizeof(HostMenuItem::text)) - 1;
constexpr int32_t HeaderMaskChars = 124;
constexpr int32_t FilterChars = TextFieldChars;
constexpr int32_t TitleSize = 264;

// A message text that is never null.
const char* Message(int number) {
  const char* text = TextOrMessage(static_cast<uintptr_t>(number));
  return text ? text : "";
}
const char* BoxMessage(int number) {
  const char* text = MessageText(number);
  return text ? text : "";
}

struct ScreenState {
  int32_t descriptionWidth = 0;
  int32_t executeWidth = 0;
  int32_t viewWidth = 0;
  int32_t editWidth = 0;
  int32_t position = -1;
  char filter[FilterChars + 1] = {};
  int32_t filterLength = 0;
  MenuLineList lines;

  bool Filtered() const { return filterLength != 0; }
};

int32_t Larger(int32_t a, int32_t b) { return a > b ? a : b; }
int32_t Smaller(int32_t a, int32_t b) { return a < b ? a : b; }

// A column is shown when its setting is on and it has a width.
bool ColumnShown(int32_t setting, int32_t width) { return setting != 0 && width != 0; }

// Widths only ever grow within one call; a negative cap counts as 0.
void UpdateWidths(const AssocList& list, ScreenState& state) {
  const uint32_t count = list.Count();
  for (uint32_t i = 0; i < count; ++i) {
    const AssocRecord* record = list.At(i);
    state.descriptionWidth = Larger(state.descriptionWidth, record->Description.Length());
    state.executeWidth = Larger(state.executeWidth, record->Execute.Length());
    state.viewWidth = Larger(state.viewWidth, record->View.Length());
    state.editWidth = Larger(state.editWidth, record->Edit.Length());
  }
  state.executeWidth = Smaller(state.executeWidth, Larger(PluginSettings.ExLen, 0));
  state.viewWidth = Smaller(state.viewWidth, Larger(PluginSettings.ViewLen, 0));
  state.editWidth = Smaller(state.editWidth, Larger(PluginSettings.EditLen, 0));
}

bool FilterAccepts(const ScreenState& state, const AssocRecord& record) {
  if (!state.Filtered()) return true;
  char upper[TextFieldChars + 1];
  // The cached length, held to what a field can hold, since it sizes a copy.
  const int32_t length = Smaller(Larger(record.Mask.Length(), 0), TextFieldChars);
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

// The widths of the columns one pass shows; 0 for a command column that is
// left out (its setting off, or no width).
struct LineLayout {
  int32_t description;
  int32_t execute;
  int32_t view;
  int32_t edit;
};

LineLayout LayoutOf(const ScreenState& state) {
  return {state.descriptionWidth, ColumnShown(PluginSettings.ShowEx, state.executeWidth) ? state.executeWidth : 0,
          ColumnShown(PluginSettings.ShowView, state.viewWidth) ? state.viewWidth : 0,
          ColumnShown(PluginSettings.ShowEdit, state.editWidth) ? state.editWidth : 0};
}

// An association line: the description padded to its width, the shown
// command columns, the separator and the whole mask; the first 127
// characters of that. Returns the length of the text.
int32_t BuildAssocLine(const AssocRecord& record, const LineLayout& layout, HostMenuItem& line) {
  LineComposer text(line.text);
  text.Padded(record.Description, layout.description);
  if (layout.execute != 0) text.Column(record.Execute, layout.execute);
  if (layout.view != 0) text.Column(record.View, layout.view);
  if (layout.edit != 0) text.Column(record.Edit, layout.edit);
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
  const int32_t n = Smaller(mask.Length(), HeaderMaskChars);
  CopyBytes(text + 2, mask.Text(), static_cast<size_t>(n));
  text[2 + n] = ' ';
}

// The lines of one pass: a line for every record the filter lets through,
// with the index of its record, marks shown without a filter; the trailing
// empty line; the header bars. Returns the number of record lines.
int32_t BuildLines(const AssocList& list, ScreenState& state) {
  state.lines.Clear();
  const LineLayout layout = LayoutOf(state);
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
    // Only lines actually held count, so positions always name real lines.
    if (!state.lines.Append(work)) continue;
    longest = Larger(longest, length);
    ++shown;
  }
  std::memset(&work, 0, sizeof(work));
  state.lines.Append(work);

  // Without an association line longer than one character the bar would
  // hide the titles, the only text on the screen: the headers are then drawn
  // as for titles longer than the bar, the group character, a blank, the
  // title and a blank.
  longest = Larger(longest, 2);
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

// The title never outgrows its buffer: every piece is appended bounded, and
// whatever does not fit is cut off.
void ComposeTitle(char* title, const ScreenState& state, int32_t shown, int32_t total) {
  title[0] = 0;
  const int32_t sortType = PluginSettings.SortType;
  if (sortType >= SortMaskAsc && sortType <= SortViewDesc) {
    const char indicator[3] = {SortIndicators[sortType], ' ', 0};
    AppendBounded(title, indicator, TitleSize);
  }
  AppendBounded(title, Message(MsgColumnDescription), TitleSize);
  const struct {
    int32_t setting, width;
    int message;
  } columns[] = {{PluginSettings.ShowEx, state.executeWidth, MsgColumnExecute},
                 {PluginSettings.ShowView, state.viewWidth, MsgColumnView},
                 {PluginSettings.ShowEdit, state.editWidth, MsgColumnEdit}};
  for (const auto& column : columns) {
    if (!ColumnShown(column.setting, column.width)) continue;
    AppendBounded(title, SeparatorText, TitleSize);
    AppendBounded(title, Message(column.message), TitleSize);
  }
  AppendBounded(title, SeparatorText, TitleSize);
  AppendBounded(title, Message(MsgColumnMask), TitleSize);
  AppendBounded(title, " ", TitleSize);

  char tail[TitleSize];
  if (!state.Filtered()) {
    FormatBounded(tail, TitleSize, "(%d) %s", static_cast<int>(shown), Message(MsgTitleItems));
  } else {
    FormatBounded(tail, TitleSize, "(%d of %d) %s: [%s]", static_cast<int>(shown), static_cast<int>(total),
                  Message(MsgTitleItems), state.filter);
  }
  AppendBounded(title, tail, TitleSize);
}

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

void DeleteAt(AssocList& list, ScreenState& state, AssocRecord* record) {
  if (!record) return;  // the trailing line
  if (list.CountMarked() > 0) {
    const int32_t first = list.FirstMarkedFrom(0);
    if (list.DeleteMarked()) {
      ChangedFlag = 1;
      state.position = first;
    }
    return;
  }
  // The mask is the argument of the question, never part of its format.
  const char* question = FormatShared(BoxMessage(MsgDeleteOne), record->Mask.Text());
  if (HostMessageBox(question, DeleteAskFlags, nullptr) == 0) {
    list.DeleteRecord(record);
    ChangedFlag = 1;
  }
}

void MoveUp(AssocList& list, ScreenState& state, int32_t pos, int32_t shown) {
  if (state.Filtered()) return;
  if (list.CountMarked() > 0) {
    if (list.MoveMarkedUp()) {
      ChangedFlag = 1;
      state.position = list.FirstMarkedFrom(0);
    }
  } else if (pos > 0 && pos < shown) {
    list.Swap(static_cast<uint32_t>(pos), static_cast<uint32_t>(pos - 1));
    ChangedFlag = 1;
    state.position = pos - 1;
  }
}

void MoveDown(AssocList& list, ScreenState& state, int32_t pos, int32_t shown) {
  if (state.Filtered()) return;
  if (list.CountMarked() > 0) {
    if (list.MoveMarkedDown()) {
      ChangedFlag = 1;
      state.position = list.FirstMarkedFrom(0);
    }
  } else if (pos < shown - 1) {
    list.Swap(static_cast<uint32_t>(pos), static_cast<uint32_t>(pos + 1));
    ChangedFlag = 1;
    state.position = pos + 1;
  }
}

void SortBy(AssocList& list, int32_t baseMode) {
  PluginSettings.SortType = PluginSettings.SortType == baseMode ? baseMode + 1 : baseMode;
  list.SortGroups(PluginSettings.SortType);
}

void Toggle(int32_t& setting) { setting = setting == 0 ? 1 : 0; }

void TypeFilterKey(AssocList& list, ScreenState& state, int breakCode) {
  const uint32_t key = ListBreakKeys[breakCode] & 0xFFFF;
  const bool letterOrDigit = (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
  if (!letterOrDigit || state.filterLength >= FilterChars) return;
  state.filter[state.filterLength++] = static_cast<char>(key);
  state.filter[state.filterLength] = 0;
  list.UnmarkAll();
}

void CarryOut(AssocList& list, ScreenState& state, int breakCode, int32_t pos, int32_t shown) {
  // The record the chosen line shows; null on the trailing line.
  AssocRecord* record = nullptr;
  if (pos < shown) record = list.At(static_cast<uint32_t>(state.lines.At(pos)->userData));

  switch (breakCode) {
    case KeyIns:
      InsertNew(list, record);
      break;
    case KeyDel:
      DeleteAt(list, state, record);
      break;
    case KeyF4:
      if (record) {
        if (EditAssocDialog(*record)) ChangedFlag = 1;
      } else {
        InsertNew(list, nullptr);
      }
      break;
    case KeyCtrlUp:
      MoveUp(list, state, pos, shown);
      break;
    case KeyCtrlDown:
      MoveDown(list, state, pos, shown);
      break;
    case KeySpace:
      if (state.Filtered() || !record) break;
      record->marked = record->marked ? 0 : 1;
      state.position = pos + 1;
      break;
    case KeyAdd:
      if (!state.Filtered()) list.MarkAll();
      break;
    case KeySubtract:
      if (!state.Filtered()) list.UnmarkAll();
      break;
    case KeyMultiply:
      if (!state.Filtered()) list.InvertMarks();
      break;
    case KeyCtrl1:
      Toggle(PluginSettings.ShowEx);
      break;
    case KeyCtrl2:
      Toggle(PluginSettings.ShowView);
      break;
    case KeyCtrl3:
      Toggle(PluginSettings.ShowEdit);
      break;
    case KeyBackSpace:
      if (state.Filtered()) state.filter[--state.filterLength] = 0;
      break;
    default:
      if (breakCode >= KeyCtrlF1 && breakCode <= KeyCtrlF5) {
        SortBy(list, SortKeyModes[breakCode - KeyCtrlF1]);
      } else if (breakCode >= KeyFirstChar && breakCode <= KeyLastChar) {
        TypeFilterKey(list, state, breakCode);
      }
      break;
  }
}

}  // namespace

bool RunListScreen(AssocList& list) {
  ScreenState state;
  char title[TitleSize];
  int breakCode = -1;

  for (;;) {
    UpdateWidths(list, state);
    const int32_t shown = BuildLines(list, state);
    ComposeTitle(title, state, shown, static_cast<int32_t>(list.Count()));
    if (state.position >= 0 && state.position < shown) state.lines.At(state.position)->flags |= MenuItemSelected;

    int pos = HostMenu(state.lines, reinterpret_cast<uintptr_t>(title), MenuFlags, MsgListBottom, "Contents",
                       ListBreakKeys, &breakCode);
    if (pos < 0) break;
    // A position past the trailing line is taken as the trailing line.
    if (pos > shown) pos = shown;
    state.position = pos;
    if (breakCode == -1) breakCode = KeyF4;
    CarryOut(list, state, breakCode, pos, shown);
  }

  state.lines.Clear();
  return ChangedFlag == 1;
}
