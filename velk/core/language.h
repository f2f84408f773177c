// The plug-in's language file as velk reads it: one message per line,
// "NUMBER=TEXT", UTF-8, converted to the OEM code page when loaded.
#pragma once

#include <map>
#include <string>

namespace velk {

class Language {
 public:
  // Reads and checks a language file; on failure error names the line.
  bool Load(const std::string& path, std::string& error);
  // Parses the file's contents (UTF-8).
  bool Parse(const std::string& content, std::string& error);
  // The OEM text of a message, or an empty text for a number the file lacks.
  // The pointer stays valid as long as this object.
  const char* Text(int number) const;
  bool Has(int number) const { return texts.count(number) != 0; }
  size_t Count() const { return texts.size(); }

 private:
  std::map<int, std::string> texts;
};

// Which printf conversion a message that the plug-in uses as a format must
// hold: exactly one, of this kind ('d' an integer, 's' a text), or none.
// The plug-in passes messages 17, 18, 19 and 21 to a formatter, so a wrong
// conversion there would read an argument it was never given.
char RequiredConversion(int number);
// Checks the conversions of a text against RequiredConversion; false with a
// reason otherwise.
bool CheckConversions(int number, const std::string& text, std::string& reason);

}  // namespace velk
