// The lines of velk's own text files, the language file and the script:
// read one by one with their line numbers, a trailing CR and a UTF-8 byte
// order mark on the first line dropped, and blank lines and comments (# as
// the first character that is not a blank or tab) skipped.
#pragma once

#include <sstream>
#include <string>

namespace velk {

class TextLines {
 public:
  explicit TextLines(const std::string& content) : in_(content) {}

  // Moves to the next line that holds something; false after the last one.
  bool Next();

  const std::string& Line() const { return line_; }
  // The line's number, from 1, counting the skipped lines too.
  int Number() const { return number_; }
  // Where the line's text starts: its first character that is not a blank or tab.
  size_t First() const { return first_; }

  // Sets error to "line N: why" for the current line and returns false, so
  // that a parser can end with `return lines.Fail(error, why);`.
  bool Fail(std::string& error, const std::string& why) const;

 private:
  std::istringstream in_;
  std::string line_;
  int number_ = 0;
  size_t first_ = 0;
};

}  // namespace velk
