#include "core/text_lines.h"

namespace velk {

bool TextLines::Next() {
  while (std::getline(in_, line_)) {
    ++number_;
    if (!line_.empty() && line_.back() == '\r') line_.pop_back();
    if (number_ == 1 && line_.compare(0, 3, "\xEF\xBB\xBF") == 0) line_.erase(0, 3);
    first_ = line_.find_first_not_of(" \t");
    if (first_ == std::string::npos || line_[first_] == '#') continue;
    return true;
  }
  return false;
}

bool TextLines::Fail(std::string& error, const std::string& why) const {
  error = "line " + std::to_string(number_) + ": " + why;
  return false;
}

}  // namespace velk
