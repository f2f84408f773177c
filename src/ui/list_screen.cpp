#include "ui/list_screen.h"

#include <cstring>

#include "host/host_services.h"
#include "host/messages.h"
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
const char SeparatorText[] = "\xB3";

constexpr int32_t LineTextSize = static_cast<int32_t>(sizeof(HostMenuItem::text));
// Five columns at full field length, their separators and a cut mark.
constexpr int32_t LineScratchSize = 5 * (TextFieldChars + 1) + 8;
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
  char upper[TextFieldChars + 2];
  CopyBounded(upper, record.Mask.Text(), static_cast<int32_t>(sizeof(upper)));
  for (char* c = upper; *c; ++c) {
    if (*c >= 'a' && *c <= 'z') *c = static_cast<char>(*c - 'a' + 'A');
  }
  return std::strstr(upper, state.filter) != nullptr;
}

// Appends one command column: the separator and the text padded to the
// width, or cut to width - 1 characters and "}" when it is longer.
void AppendColumn(char* scratch, const TextField& field, int32_t width) {
  const int32_t used = TextLength(scratch);
  char* end = scratch + used;
  const int32_t room = LineScratchSize - used;
  if (field.Length() <= width) {
    FormatBounded(end, room, "\xB3" "%-*s", static_cast<int>(width), field.Text());
  } else {
    FormatBounded(end, room, "\xB3" "%.*s}", static_cast<int>(width - 1), field.Text());
  }
}

void BuildAssocLine(const AssocRecord& record, const ScreenState& state, HostMenuItem& line) {
  char scratch[LineScratchSize];
  FormatBounded(scratch, LineScratchSize, "%-*s", static_cast<int>(state.descriptionWidth),
                record.Description.Text());
  if (ColumnShown(PluginSettings.ShowEx, state.executeWidth)) AppendColumn(scratch, record.Execute, state.executeWidth);
  if (ColumnShown(PluginSettings.ShowView, state.viewWidth)) AppendColumn(scratch, record.View, state.viewWidth);
  if (ColumnShown(PluginSettings.ShowEdit, state.editWidth)) AppendColumn(scratch, record.Edit, state.editWidth);
  AppendBounded(scratch, SeparatorText, LineScratchSize);
  AppendBounded(scratch, record.Mask.Text(), LineScratchSize);
  CopyBounded(line.text, scratch, LineTextSize);
}

// A header bar: one group character, a blank, the title, a blank, and group
// characters up to the longest association line. The title is copied as
// bytes, so it may hold any character.
void DrawHeader(char* text, int32_t longest, const TextField& mask, char groupChar) {
  for (int32_t p = 0; p < longest; ++p) text[p] = groupChar;
  text[1] = ' ';
  text[longest] = 0;
  const int32_t n = Smaller(mask.Length(), HeaderMaskChars);
  CopyBytes(text + 2, mask.Text(), static_cast<size_t>(n));
  text[2 + n] = ' ';
}

void DrawHeaders(const AssocList& list, ScreenState& state, int32_t shown) {
  int32_t longest = 0;
  for (int32_t i = 0; i < shown; ++i) {
    const HostMenuItem* line = state.lines.At(i);
    if (!list.At(static_cast<uint32_t>(line->userData))->group) longest = Larger(longest, TextLength(line->text));
  }
  // Without an association line longer than one character the bar would
  // hide the titles, the only text on the screen: the headers are then drawn
  // as for titles longer than the bar, the group character, a blank, the
  // title and a blank.
  longest = Larger(longest, 2);
  for (int32_t i = 0; i < shown; ++i) {
    HostMenuItem* line = state.lines.At(i);
    const AssocRecord* record = list.At(static_cast<uint32_t>(line->userData));
    if (record->group) DrawHeader(line->text, longest, record->Mask, static_cast<char>(PluginSettings.GroupChar));
  }
}

void ShowMarks(const AssocList& list, ScreenState& state, int32_t shown) {
  for (int32_t i = 0; i < shown; ++i) {
    HostMenuItem* line = state.lines.At(i);
    if (list.At(static_cast<uint32_t>(line->userData))->marked) {
      line->flags |= MenuItemChecked;
    } else {
      line->flags &= ~MenuItemChecked;
    }
  }
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
  HostMenuItem work;
  char title[TitleSize];
  int breakCode = -1;

  for (;;) {
    state.lines.Clear();
    UpdateWidths(list, state);

    const uint32_t total = list.Count();
    int32_t shown = 0;
    for (uint32_t i = 0; i < total; ++i) {
      const AssocRecord* record = list.At(i);
      if (!record->group && !FilterAccepts(state, *record)) continue;
      std::memset(&work, 0, sizeof(work));
      if (!record->group) BuildAssocLine(*record, state, work);
      work.userData = static_cast<int32_t>(i);
      // Only lines actually held count, so positions always name real lines.
      if (state.lines.Append(work)) ++shown;
    }
    std::memset(&work, 0, sizeof(work));
    state.lines.Append(work);

    DrawHeaders(list, state, shown);
    if (!state.Filtered()) ShowMarks(list, state, shown);
    ComposeTitle(title, state, shown, static_cast<int32_t>(total));
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
