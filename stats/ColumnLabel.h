// How a column's label is set under the chart. Its lines are never broken inside: a word such as
// 天前 stays whole. It takes the largest size, up to the chart's, at which each line fits the
// column; a label with a number before its word ("13天前") that does not fit on one line goes onto
// two, the number above the word, before its size is made smaller. Shared by the chart and its
// tests.
#pragma once

#include <string>
#include <vector>

#include "platform/draw/Font.h"
#include "platform/draw/Geometry.h"

struct ColumnLabel {
  std::vector<std::string> lines;
  plat::Font font;
  std::vector<plat::Rect> lineFrames;  // where each line is drawn
};

namespace columnlabel {

// The smallest size a label is set in: below it the Chinese is no longer readable.
constexpr double kSmallestFontSize = 7;

// `label` (lines joined by line feeds) set with its top left at `origin` within `room`, in
// `font` or a smaller size of it.
ColumnLabel fit(const std::string& label, plat::Point origin, plat::Size room,
                const plat::Font& font);

// The lines of a label: split at its line feeds, and with `apart` a line that starts with a
// number and goes on with a word split between the two.
std::vector<std::string> linesOf(const std::string& label, bool apart);

// The rectangle that a set label's lines cover together.
plat::Rect extent(const ColumnLabel& label);

// The box a highlighted label stands on: around its lines, with a little room on every side.
plat::Rect highlightBox(const ColumnLabel& label);

// Whether something covering `extent` is drawn while the chart shows only the x from `shownLeft`
// to `shownRight`. A label cut at either edge reads as another day (13天前 cut to "3天前"), so
// it shows whole or not at all.
bool showsWhole(const plat::Rect& extent, double shownLeft, double shownRight);

}  // namespace columnlabel
