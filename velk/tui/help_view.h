// The help window as a state machine (the topic shown, the first line shown,
// the selected link and the trail of topics followed), and its picture.
#pragma once

#include <string>
#include <vector>

#include "interaction/keys.h"
#include "interaction/views.h"
#include "tui/canvas.h"
#include "tui/help_file.h"

namespace velk::tui {

class HelpView {
 public:
  // fileError: why the help file could not be read (empty when it was);
  // the window then says so for every topic.
  HelpView(const HelpFile& file, std::string fileError, const std::string& topic);

  // The lines the window shows at once (the page for PgUp/PgDn, at least 1)
  // and the columns of text it shows of each (0: all of them).
  void SetView(int rows, int columns = 0);
  // Keys: Up/Down/PgUp/PgDn/Home/End scroll, Left/Right scroll sideways by
  // 4 columns as far as the end of the longest line, Tab and Shift+Tab
  // select the next and previous link (scrolling it into sight), Enter
  // follows it, BackSpace goes back, Shift+F1 shows "Contents", F1 velk's
  // keys, Esc or F10 closes.
  Step Feed(KeyPress key);

  const HelpTopic& Topic() const;
  int Top() const { return here_.top; }
  // The first column shown.
  int Column() const { return here_.column; }
  int Link() const { return here_.link; }
  bool Closed() const { return closed_; }

 private:
  struct Place {
    std::string topic;
    int top = 0;
    int link = -1;
    int column = 0;
  };
  void Show(const Place& place);
  void Go(const std::string& topic);
  void SelectLink(int step);
  void Clamp();

  const HelpFile& file_;
  std::string fileError_;
  Place here_;
  std::vector<Place> trail_;
  HelpTopic missing_;
  int rows_ = 20;
  int columns_ = 0;
  bool closed_ = false;
};

void PaintHelp(Canvas& canvas, HelpView& view);

}  // namespace velk::tui
