// The pieces of velk's terminal front end that do not need a terminal: OEM
// text conversion, key decoding, the line editor of edit fields, the dialog
// layout and the help file reader. tui_screen.cpp puts them on the screen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "velk/frontend.h"

namespace velk::tui {

// Windows virtual-key codes velk reports.
enum Vk : uint16_t {
  VkBack = 0x08, VkTab = 0x09, VkReturn = 0x0D, VkEscape = 0x1B, VkSpace = 0x20,
  VkPrior = 0x21, VkNext = 0x22, VkEnd = 0x23, VkHome = 0x24,
  VkLeft = 0x25, VkUp = 0x26, VkRight = 0x27, VkDown = 0x28,
  VkInsert = 0x2D, VkDelete = 0x2E,
  VkMultiply = 0x6A, VkAdd = 0x6B, VkSubtract = 0x6D, VkDivide = 0x6F,
  VkF1 = 0x70,  // F1 ... F12 are VkF1 + 0 ... 11
};

// ---- OEM text (code page 437) ----

// The character the console shows for an OEM byte: the code-page 437 glyph,
// including the graphic glyphs of the control range (0x10 is a triangle).
// Byte 0 gives a blank.
wchar_t OemToWide(unsigned char byte);
std::wstring OemToWide(std::string_view oem);
// The OEM byte for a character, or 0 when code page 437 has none.
unsigned char WideToOem(wchar_t c);
// UTF-8 to wide characters; invalid sequences become U+FFFD.
std::wstring Utf8ToWide(std::string_view utf8);

// ---- keys ----

// One thing the user did: a key (with the character it types, if any) or a
// change of the terminal's size.
struct Input {
  enum Kind { None, Key, Resize } kind = None;
  KeyPress key;
  wchar_t ch = 0;  // the character typed; 0 for keys that type nothing
};

Input KeyInput(uint16_t vk, uint16_t modifiers = ModNone, wchar_t ch = 0);

// The key for a character read from the terminal as it stands (control
// characters included): letters and digits as their upper-case codes, the
// main keyboard's '+', '-', '*' as the numeric-pad keys, control characters
// as Ctrl+letter, Tab, Enter, BackSpace, Esc.
Input InputFromCharacter(wchar_t c);

// Decodes the bytes that followed an ESC: a CSI or SS3 key sequence (xterm
// and rxvt forms, modified keys "CSI 1;5A", "CSI 27;5;49~", "CSI 49;5u",
// the application keypad's "ESC O k" ...), or a single character, which is
// that key with Alt. Returns a None input for a sequence it does not know.
Input DecodeEscapeSequence(std::string_view afterEsc);
// Whether the bytes after an ESC form a complete sequence (so a reader knows
// when to stop reading).
bool EscapeSequenceComplete(std::string_view afterEsc);

// Modifier bits of an xterm modifier parameter (2 Shift, 3 Alt, 5 Ctrl ...).
uint16_t ModifiersFromXtermParameter(int parameter);

// velk's alternatives for keys many terminals cannot send: Alt+Up/Down for
// Ctrl+Up/Down, Alt+1..3 for Ctrl+1..3, Alt+F1..F5 for Ctrl+F1..F5. Other
// keys are returned unchanged.
Input ApplyAlternativeKeys(Input in);
// The key taken with Ctrl, for the Ctrl prefix key (F12 then the key).
Input WithCtrl(Input in);

// A readable name such as "Ctrl+F1" or "Alt+Up" (shown in the key bar and
// used in tests).
std::string KeyName(KeyPress key);

// ---- edit fields ----

// The text and cursor of one edit field; text is OEM bytes.
class LineEditor {
 public:
  explicit LineEditor(std::string text = std::string(), size_t maxLength = 511);
  const std::string& Text() const { return text_; }
  size_t Cursor() const { return cursor_; }
  bool Overwrite() const { return overwrite_; }
  void SetText(std::string text);
  // Carries out an editing key; false when the key is not an editing key
  // (the dialog then handles it).
  bool Handle(const Input& in);
  // First character shown in a field of the given width, chosen so that the
  // cursor stays inside the field; remembered between calls so the text
  // does not jump while the cursor moves within the field.
  size_t Scroll(size_t width);

 private:
  void Put(unsigned char byte);
  std::string text_;
  size_t maxLength_;
  size_t cursor_ = 0;
  size_t scroll_ = 0;
  bool overwrite_ = false;
};

// Earlier inputs of edit fields with a history name, most recent first.
class HistoryStore {
 public:
  static constexpr size_t MaxEntries = 30;
  // Adds a text in front (moving it there when it is already held); empty
  // texts are not kept.
  void Add(const std::string& name, const std::string& text);
  const std::vector<std::string>& Entries(const std::string& name) const;

 private:
  std::map<std::string, std::vector<std::string>> lists_;
};

// ---- dialog layout ----

// Where an item stands in dialog coordinates and whether it takes the focus.
struct ItemPlace {
  int x = 0, y = 0, width = 0;
  bool focusable = false;
};

constexpr uint32_t DialogSeparatorFlags = 0x00010200;  // a line across the frame
constexpr uint32_t DialogCenterGroupFlag = 0x00004000;  // laid out together on the row
constexpr uint32_t DialogHistoryFlag = 0x00040000;      // edit field with a history

// Caption of a button as drawn, brackets included.
std::wstring ButtonCaption(const HostDialogItem& item);
// Places every item. Buttons and check boxes with DialogCenterGroupFlag on
// the same row are centred together, one blank apart. A text with left -1
// is centred. Edit fields span left to right.
std::vector<ItemPlace> LayoutDialog(const HostDialogItem* items, int count, int dialogWidth);
// The item that takes the focus first: the first focusable one with
// hasFocus, else the first focusable one, else -1.
int InitialFocus(const HostDialogItem* items, const std::vector<ItemPlace>& places);
// The next (step +1) or previous (-1) focusable item, wrapping around.
int NextFocus(const std::vector<ItemPlace>& places, int current, int step);
// The item Enter chooses when the focus is not on a button: the default
// button, else the focused item.
int DefaultItem(const HostDialogItem* items, int count, int focused);

// ---- help file ----

struct HelpLink {
  size_t line = 0, column = 0, length = 0;  // where its text stands
  std::string target;
};

struct HelpTopic {
  std::string name;
  std::wstring title;
  std::vector<std::wstring> lines;
  std::vector<HelpLink> links;  // in reading order
};

// velk's help files: UTF-8 text; "@Name" on a line of its own starts a
// topic, a first line "$ Title" gives its title, ";" at the start of a line
// is a comment, "[[Topic]]" or "[[Topic|text]]" is a link, "[[[[" is a
// literal "[[". Text before the first topic is ignored.
class HelpFile {
 public:
  bool Load(const std::string& path, std::string* error);
  void Parse(std::string_view text);
  // Topic names are compared without regard to letter case.
  const HelpTopic* Find(const std::string& name) const;
  size_t TopicCount() const { return topics_.size(); }
  const std::vector<std::string>& Problems() const { return problems_; }

 private:
  std::vector<HelpTopic> topics_;
  std::vector<std::string> problems_;
};

// A topic that stands in for one that cannot be shown.
HelpTopic MissingTopic(const std::string& name, const std::string& why);

}  // namespace velk::tui
