#include "tui/help_view.h"

#include <algorithm>

#include "tui/text.h"

namespace velk::tui {
namespace {

constexpr const char* ContentsTopic = "Contents";

}  // namespace

HelpView::HelpView(const HelpFile& file, std::string fileError, const std::string& topic)
    : file_(file), fileError_(std::move(fileError)) {
  Show(Place{topic.empty() ? ContentsTopic : topic, 0, -1, 0});
}

void HelpView::Show(const Place& place) {
  here_ = place;
  if (!file_.Find(place.topic)) {
    missing_ = MissingTopic(place.topic,
                            fileError_.empty() ? "The help file has no topic \"" + place.topic + "\"." : fileError_);
  }
}

void HelpView::Go(const std::string& topic) {
  trail_.push_back(here_);
  Show(Place{topic, 0, -1, 0});
}

const HelpTopic& HelpView::Topic() const {
  const HelpTopic* topic = file_.Find(here_.topic);
  return topic ? *topic : missing_;
}

void HelpView::SetView(int rows, int columns) {
  rows_ = std::max(rows, 1);
  columns_ = std::max(columns, 0);
  Clamp();
}

void HelpView::Clamp() {
  const HelpTopic& t = Topic();
  const int maxTop = std::max(0, static_cast<int>(t.lines.size()) - rows_);
  here_.top = std::max(0, std::min(here_.top, maxTop));
  int widest = 0;
  for (const auto& line : t.lines) widest = std::max(widest, static_cast<int>(line.size()));
  const int maxColumn = columns_ > 0 ? std::max(0, widest - columns_) : 0;
  here_.column = std::max(0, std::min(here_.column, maxColumn));
}

void HelpView::SelectLink(int step) {
  const HelpTopic& t = Topic();
  const int links = static_cast<int>(t.links.size());
  if (links == 0) return;
  here_.link = here_.link < 0 ? (step > 0 ? 0 : links - 1) : ((here_.link + step) % links + links) % links;
  const HelpLink& link = t.links[static_cast<size_t>(here_.link)];
  const int line = static_cast<int>(link.line);
  if (line < here_.top || line >= here_.top + rows_) here_.top = std::max(0, line - rows_ / 2);
  // Sideways, as far as shows the whole link (its start, if it is wider
  // than the window).
  const int start = static_cast<int>(link.column), end = static_cast<int>(link.column + link.length);
  if (columns_ > 0 && (start < here_.column || end > here_.column + columns_))
    here_.column = std::min(start, std::max(0, end - columns_));
}

Step HelpView::Feed(KeyPress key) {
  if (closed_) return Step::Closed;
  const HelpTopic& t = Topic();
  if (key.Is(VkEscape) || key.Is(VkF(10))) {
    closed_ = true;
    return Step::Closed;
  }
  if (key.Is(VkUp)) here_.top--;
  else if (key.Is(VkDown)) here_.top++;
  else if (key.Is(VkPrior)) here_.top -= std::max(rows_ - 1, 1);
  else if (key.Is(VkNext)) here_.top += std::max(rows_ - 1, 1);
  else if (key.Is(VkHome)) here_.top = 0;
  else if (key.Is(VkEnd)) here_.top = static_cast<int>(t.lines.size());
  else if (key.Is(VkLeft)) here_.column -= 4;
  else if (key.Is(VkRight)) here_.column += 4;
  else if (key.Is(VkTab)) SelectLink(+1);
  else if (key.Is(VkTab, KeyModShift)) SelectLink(-1);
  else if (key.Is(VkReturn) && here_.link >= 0 && here_.link < static_cast<int>(t.links.size()))
    Go(t.links[static_cast<size_t>(here_.link)].target);
  else if (key.Is(VkBack) && !trail_.empty()) {
    Show(trail_.back());
    trail_.pop_back();
  } else if (key.Is(VkF1, KeyModShift)) Go(ContentsTopic);
  else if (key.Is(VkF1)) Go(VelkKeysTopic);
  Clamp();
  return Step::Open;
}

namespace {

// One line of a help topic in the window, from the first column shown, its
// links in their colours, with « and » beside it where it goes on.
void PaintHelpLine(Canvas& canvas, const HelpView& view, size_t li, int y, int x, int w) {
  const HelpTopic& t = view.Topic();
  const Styles& st = canvas.style;
  const std::wstring& line = t.lines[li];
  const size_t column = static_cast<size_t>(view.Column());
  const int room = w - 4;
  if (column < line.size()) canvas.Put(y, x + 2, line.substr(column), st.help, room);
  for (size_t k = 0; k < t.links.size(); ++k) {
    const HelpLink& link = t.links[k];
    if (link.line != li || link.column + link.length <= column) continue;
    const size_t from = std::max(link.column, column);
    const int lx = x + 2 + static_cast<int>(from - column);
    const attr_t attr = static_cast<int>(k) == view.Link() ? st.linkSelected : st.link;
    if (lx < x + 2 + room)
      canvas.Put(y, lx, line.substr(from, link.column + link.length - from), attr, x + 2 + room - lx);
  }
  if (column > 0 && !line.empty()) canvas.Put(y, x + 1, L"\u00AB", st.menuFrame);
  if (static_cast<int>(line.size()) - static_cast<int>(column) > room)
    canvas.Put(y, x + w - 2, L"\u00BB", st.menuFrame);
}

}  // namespace

void PaintHelp(Canvas& canvas, HelpView& view) {
  const int w = std::min(canvas.Columns(), 80), h = std::max(5, canvas.Lines() - 2);
  const int x = (canvas.Columns() - w) / 2, y = 1, rows = h - 2;
  view.SetView(rows, w - 4);
  const HelpTopic& t = view.Topic();
  const Styles& st = canvas.style;
  for (int r = 0; r < h; ++r) canvas.Fill(y + r, x, w, st.help);
  canvas.Frame(y, x, h, w, true, st.menuFrame, L"Help: " + t.title);
  for (int r = 0; r < rows; ++r) {
    const size_t li = static_cast<size_t>(view.Top() + r);
    if (li >= t.lines.size()) break;
    PaintHelpLine(canvas, view, li, y + 1 + r, x, w);
  }
  if (static_cast<int>(t.lines.size()) > rows) {
    const size_t shownTo = std::min<size_t>(t.lines.size(), static_cast<size_t>(view.Top() + rows));
    const int percent = static_cast<int>(100 * shownTo / t.lines.size());
    canvas.Put(y + h - 1, x + w - 8, L" " + std::to_wstring(percent) + L"% ", st.menuFrame);
  }
}

}  // namespace velk::tui
