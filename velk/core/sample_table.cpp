// The association table velk starts from when its registry file does not
// exist yet: realistic entries in four groups, each group with its header.
#include <cstring>

#include "core/velk_branch.h"

namespace velk {
namespace {

// The values of an association key, in the order of a sample row.
constexpr const char* kValueNames[] = {"Mask", "Description", "Execute", "AltExec",
                                       "View", "AltView",     "Edit",    "AltEdit"};
constexpr size_t kValues = sizeof kValueNames / sizeof kValueNames[0];

// One entry: the texts of kValueNames in order; a group header's Mask is
// "\x10" and its title.
using SampleEntry = const char* [kValues];

constexpr SampleEntry kSample[] = {
    {"\x10"
     "Documents",
     "", "", "", "", "", "", ""},
    {"*.txt,*.log,*.ini", "Text files", "notepad.exe {file}", "", "more < {file}", "", "notepad.exe {file}",
     "wordpad.exe {file}"},
    {"*.md,*.rst", "Markup texts", "pandoc -s -o {name}.html {file}", "", "pandoc -t plain {file} | more", "",
     "notepad.exe {file}", ""},
    {"*.pdf", "PDF documents", "start \"\" {file}", "", "pdftotext -layout {file} - | more", "", "", ""},
    {"*.doc,*.docx,*.odt", "Word processor documents", "start \"\" {file}", "", "", "", "", ""},
    {"*.xls,*.xlsx,*.ods,*.csv", "Spreadsheets", "start \"\" {file}", "", "more < {file}", "", "", ""},
    {"*.htm,*.html", "Web pages", "start \"\" {file}", "", "lynx -dump {file} | more", "more < {file}",
     "notepad.exe {file}", ""},
    {"\x10"
     "Archives",
     "", "", "", "", "", "", ""},
    {"*.zip", "Zip archives", "unzip -o {file}", "unzip -o {file} -d {name}", "unzip -l {file}", "", "", ""},
    {"*.7z", "7-Zip archives", "7z x {file}", "7z x {file} -o{name}", "7z l {file}", "", "", ""},
    {"*.rar", "RAR archives", "unrar x {file}", "", "unrar l {file}", "", "", ""},
    {"*.tar,*.tgz,*.tar.gz,*.tar.xz", "Tape archives", "tar -xf {file}", "", "tar -tvf {file}", "", "", ""},
    {"*.msi", "Installer packages", "msiexec /i {file}", "msiexec /a {file}", "", "", "", ""},
    {"\x10"
     "Pictures and sound",
     "", "", "", "", "", "", ""},
    {"*.jpg,*.jpeg,*.png,*.gif,*.bmp", "Pictures", "mspaint.exe {file}", "", "imgview {file}", "", "mspaint.exe {file}",
     ""},
    {"*.svg", "Vector drawings", "inkscape {file}", "", "imgview {file}", "", "notepad.exe {file}", ""},
    {"*.mp3,*.ogg,*.flac,*.wav", "Music", "play {file}", "", "mediainfo {file}", "", "", ""},
    {"*.mp4,*.mkv,*.avi,*.webm", "Films", "mplayer {file}", "mplayer -fs {file}", "mediainfo {file}", "", "", ""},
    {"\x10"
     "Programs and sources",
     "", "", "", "", "", "", ""},
    {"*.exe,*.com", "Programs", "{file}", "", "dumpbin /headers {file}", "", "", ""},
    {"*.bat,*.cmd", "Batch files", "cmd /c {file}", "", "more < {file}", "", "notepad.exe {file}", ""},
    {"*.ps1", "PowerShell scripts", "powershell -File {file}", "", "more < {file}", "", "notepad.exe {file}", ""},
    {"*.py", "Python scripts", "python {file}", "python -i {file}", "more < {file}", "", "notepad.exe {file}", ""},
    {"*.c,*.cpp,*.h,*.hpp", "C and C++ sources", "gcc -o {name} {file}", "", "more < {file}", "", "notepad.exe {file}",
     ""},
    {"*.reg", "Registry files", "regedit {file}", "", "more < {file}", "", "notepad.exe {file}", ""},
};

regfile::Value Text(const char* name, const char* text) {
  regfile::Value v;
  v.name = name;
  v.type = 1;  // REG_SZ, stored with its terminator
  v.data.assign(text, text + std::strlen(text) + 1);
  return v;
}

}  // namespace

regfile::File SampleTable() {
  regfile::File file;
  std::string assoc = std::string(VelkBranch) + "\\Associations";
  file.keys.push_back(regfile::Key{VelkBranch, {}});
  file.keys.push_back(regfile::Key{assoc, {}});
  int n = 0;
  for (const SampleEntry& e : kSample) {
    regfile::Key key;
    key.path = assoc + "\\Type" + std::to_string(n++);
    for (size_t i = 0; i < kValues; ++i) key.values.push_back(Text(kValueNames[i], e[i]));
    file.keys.push_back(key);
  }
  return file;
}

}  // namespace velk
