// A front end that passes every view on to another front end and records it,
// with the answer, as readable UTF-8 text. The record is deterministic: no
// times, no addresses, only what the plug-in showed and what it was told.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/front_end.h"

namespace velk {

class TranscriptFrontEnd : public FrontEnd {
 public:
  TranscriptFrontEnd(FrontEnd& inner, std::ostream& out);

  HostCommand NextHostCommand(const std::vector<std::string>& pluginMenu,
                              const std::vector<std::string>& configMenu) override;
  MenuAnswer ShowMenu(const MenuView& menu) override;
  int RunDialog(DialogView& dialog) override;
  int ShowMessage(const MessageView& message) override;

  // A line of velk's own (a call into the plug-in and its result), UTF-8.
  void Note(const std::string& line);
  void Flush();

 private:
  FrontEnd& inner;
  std::ostream& out;
  std::vector<uint32_t> lastBreakKeys;
  bool haveBreakKeys = false;
};

// The parts of a transcript, also usable on their own.
std::string DescribeMenu(const MenuView& menu, bool withBreakKeys);
std::string DescribeMenuAnswer(const MenuView& menu, const MenuAnswer& answer);
std::string DescribeDialog(const DialogView& dialog);
// Lists the texts and check states that differ between before and after.
std::string DescribeDialogChanges(const std::vector<HostDialogItem>& before, const DialogView& after);
std::string DescribeDialogAnswer(const DialogView& dialog, int result);
std::string DescribeMessage(const MessageView& message);
std::string DescribeMessageAnswer(const MessageView& message, int result);

// A text in double quotes, OEM bytes converted to UTF-8.
std::string Quote(const std::string& oem);

}  // namespace velk
