// The reader of velk's help files.
#include "tui/help_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "tui/text.h"

namespace velk::tui {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::wstring ExpandTabs(const std::wstring& line) {
  std::wstring out;
  for (wchar_t c : line) {
    if (c == L'\t') {
      do out.push_back(L' ');
      while (out.size() % 8 != 0);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string Narrow(const std::wstring& w) {
  std::string out;
  for (wchar_t c : w) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

// Takes the links out of one line of topic text.
void AddLine(HelpTopic& topic, const std::wstring& raw, std::vector<std::string>& problems) {
  std::wstring shown;
  size_t lineIndex = topic.lines.size();
  size_t i = 0;
  while (i < raw.size()) {
    if (raw.compare(i, 4, L"[[[[") == 0) {
      shown += L"[[";
      i += 4;
      continue;
    }
    if (raw.compare(i, 2, L"[[") == 0) {
      size_t end = raw.find(L"]]", i + 2);
      if (end == std::wstring::npos) {
        problems.push_back("topic " + topic.name + ": a link without its closing ]]");
        shown += raw.substr(i);
        break;
      }
      std::wstring inner = raw.substr(i + 2, end - i - 2);
      size_t bar = inner.find(L'|');
      std::wstring target = bar == std::wstring::npos ? inner : inner.substr(0, bar);
      std::wstring text = bar == std::wstring::npos ? inner : inner.substr(bar + 1);
      if (target.empty() || text.empty()) {
        problems.push_back("topic " + topic.name + ": an empty link");
      } else {
        HelpLink link;
        link.line = lineIndex;
        link.column = shown.size();
        link.length = text.size();
        link.target = Narrow(target);
        topic.links.push_back(link);
      }
      shown += text;
      i = end + 2;
      continue;
    }
    shown.push_back(raw[i++]);
  }
  while (!shown.empty() && shown.back() == L' ') shown.pop_back();
  topic.lines.push_back(shown);
}

}  // namespace

bool HelpFile::Load(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (error) *error = "cannot read the help file " + path;
    return false;
  }
  std::ostringstream all;
  all << in.rdbuf();
  Parse(all.str());
  if (topics_.empty()) {
    if (error) *error = "the help file " + path + " holds no topic";
    return false;
  }
  return true;
}

void HelpFile::Parse(std::string_view text) {
  topics_.clear();
  problems_.clear();
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  HelpTopic* current = nullptr;
  bool expectTitle = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty() && line[0] == ';') continue;
    if (!line.empty() && line[0] == '@') {
      std::string name(line.substr(1));
      while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
      if (name.empty() || name.find_first_of(" \t") != std::string::npos) {
        problems_.push_back("a topic line without a one-word name: " + std::string(line));
        current = nullptr;
        continue;
      }
      if (Find(name)) {
        problems_.push_back("topic " + name + " appears twice; the first one counts");
        current = nullptr;
        continue;
      }
      topics_.emplace_back();
      current = &topics_.back();
      current->name = name;
      current->title = Utf8ToWide(name);
      expectTitle = true;
      continue;
    }
    if (!current) continue;
    if (expectTitle) {
      expectTitle = false;
      if (!line.empty() && line[0] == '$') {
        std::string_view title = line.substr(1);
        while (!title.empty() && title.front() == ' ') title.remove_prefix(1);
        current->title = Utf8ToWide(title);
        continue;
      }
    }
    AddLine(*current, ExpandTabs(Utf8ToWide(line)), problems_);
  }
  for (HelpTopic& topic : topics_) {
    while (!topic.lines.empty() && topic.lines.back().empty()) topic.lines.pop_back();
    for (const HelpLink& link : topic.links) {
      if (!Find(link.target)) problems_.push_back("topic " + topic.name + " links to the missing topic " + link.target);
    }
  }
}

const HelpTopic* HelpFile::Find(const std::string& name) const {
  const std::string wanted = Lower(name);
  for (const HelpTopic& topic : topics_) {
    if (Lower(topic.name) == wanted) return &topic;
  }
  return nullptr;
}

HelpTopic MissingTopic(const std::string& name, const std::string& why) {
  HelpTopic topic;
  topic.name = name;
  topic.title = L"Help";
  topic.lines.push_back(L"");
  topic.lines.push_back(L"  " + Utf8ToWide(why));
  topic.lines.push_back(L"");
  std::wstring back = L"  Press Esc to go back.";
  topic.lines.push_back(back);
  return topic;
}

}  // namespace velk::tui
