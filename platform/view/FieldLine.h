// The part of a one-line field's text that a frame can show: the field shows one line of a text
// that may hold megabytes (a paste), so it measures and lays out only as much of either end as
// fills its width, never the whole text.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/draw/Font.h"

namespace plat::fieldline {

// The most characters a frame looks at, however narrow they are (a text of zero-width marks
// would otherwise be measured whole).
inline constexpr size_t kMostShownCharacters = 4096;

// The first and the last `count` characters of `text` (all of it when it has fewer).
std::string_view first(std::string_view text, size_t count);
std::string_view last(std::string_view text, size_t count);

// The first characters of `text` that reach past `width` in `font`, or the whole text when it is
// narrower. Whole characters; about as many bytes are measured as are returned.
std::string_view head(std::string_view text, const Font& font, double width);
// The same from the text's end: what stands before the caret while the field is edited.
std::string_view tail(std::string_view text, const Font& font, double width);

}  // namespace plat::fieldline
