// Word texts are stored scrambled by UTF-16 units, which only works for characters of the basic
// plane. The builder keeps every other character out (emoji, rare CJK extensions) and counts it,
// so that no stored text reads back broken.
#pragma once

#include <string>

namespace tools {

// `text` without invalid UTF-8 sequences and characters outside the basic plane; `dropped` grows
// by the number of characters (or stray bytes) left out.
std::string basicPlaneText(const std::string& text, int& dropped);

}  // namespace tools
