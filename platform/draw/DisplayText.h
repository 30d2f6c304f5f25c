// Text from outside (a server's release note, an error message) made safe to lay out on screen:
// wrapping a huge text, or a long run with nowhere to break, takes the text layout seconds.
#pragma once

#include <string>
#include <string_view>

namespace plat {

// `text` cut after `maxCharacters` code points (an ellipsis marks the cut), with a zero-width
// break opportunity after every `longestRun` code points that have none of their own.
std::string boundedDisplayText(std::string_view text, size_t maxCharacters = 3000,
                               size_t longestRun = 12);

}  // namespace plat
