#include "stats/ColumnLabel.h"

#include <algorithm>
#include <cctype>

#include "platform/draw/TextLayout.h"

using namespace plat;

namespace columnlabel {
namespace {

constexpr double kSizeStep = 0.5;
// Room around a highlighted label's lines on its box; narrower at the sides, where the box must
// keep clear of the neighbours in a narrow column.
constexpr double kBoxSide = 1.5;
constexpr double kBoxTopAndBottom = 2;
// Below this part of a point an edge is not cut: sums of column widths round off that little.
constexpr double kEdgeTolerance = 0.01;

// Each line on its own, one under the other; empty when one is wider than the room or they are
// taller together.
std::vector<Rect> frames(const std::vector<std::string>& lines, Point origin, Size room,
                         const Font& font) {
  std::vector<Rect> out;
  double y = origin.y;
  for (const std::string& line : lines) {
    const Size size = measureText(line.empty() ? " " : line, font);
    if (size.width > room.width) return {};
    out.push_back({origin.x, y, size.width, size.height});
    y += size.height;
  }
  if (y - origin.y > room.height) return {};
  return out;
}

}  // namespace

std::vector<std::string> linesOf(const std::string& label, bool apart) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = label.find('\n', start);
    const std::string line = label.substr(start, end == std::string::npos ? end : end - start);
    size_t digits = 0;
    while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits]))) ++digits;
    if (apart && digits > 0 && digits < line.size()) {
      lines.push_back(line.substr(0, digits));
      lines.push_back(line.substr(digits));
    } else {
      lines.push_back(line);
    }
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

ColumnLabel fit(const std::string& label, Point origin, Size room, const Font& font) {
  const std::vector<std::string> asGiven = linesOf(label, false);
  const std::vector<std::string> apart = linesOf(label, true);
  for (double size = font.size; size >= kSmallestFontSize; size -= kSizeStep) {
    const Font sized = font.withSize(size);
    for (const auto* lines : {&asGiven, &apart}) {
      std::vector<Rect> placed = frames(*lines, origin, room, sized);
      if (!placed.empty()) return {*lines, sized, std::move(placed)};
    }
  }
  // Too narrow a column for any size: the smallest, apart, overlapping rather than broken.
  const Font smallest = font.withSize(kSmallestFontSize);
  std::vector<Rect> placed;
  double y = origin.y;
  for (const std::string& line : apart) {
    const Size size = measureText(line.empty() ? " " : line, smallest);
    placed.push_back({origin.x, y, size.width, size.height});
    y += size.height;
  }
  return {apart, smallest, std::move(placed)};
}

Rect extent(const ColumnLabel& label) {
  if (label.lineFrames.empty()) return {};
  Rect all = label.lineFrames.front();
  for (const Rect& frame : label.lineFrames) {
    const double left = std::min(all.x, frame.x), top = std::min(all.y, frame.y);
    all = {left, top, std::max(all.maxX(), frame.maxX()) - left,
           std::max(all.maxY(), frame.maxY()) - top};
  }
  return all;
}

Rect highlightBox(const ColumnLabel& label) {
  return extent(label).insetBy(-kBoxSide, -kBoxTopAndBottom);
}

bool showsWhole(const Rect& extent, double shownLeft, double shownRight) {
  return extent.x >= shownLeft - kEdgeTolerance && extent.maxX() <= shownRight + kEdgeTolerance;
}

}  // namespace columnlabel
