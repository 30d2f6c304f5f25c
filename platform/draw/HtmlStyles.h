// The default style sheet under every HTML page: block and inline elements, headings, lists,
// tables, links and the fonts of a phone's web view.
#pragma once

namespace plat::html {

extern const char* const kDefaultStyleSheet;

}  // namespace plat::html
