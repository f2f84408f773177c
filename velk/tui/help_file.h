// velk's help files: UTF-8 text; "@Name" on a line of its own starts a
// topic, a first line "$ Title" gives its title, ";" at the start of a line
// is a comment, "[[Topic]]" or "[[Topic|text]]" is a link, "[[[[" is a
// literal "[[". Text before the first topic is ignored. (docs/velk.md: the help file format.)
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velk::tui {

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
