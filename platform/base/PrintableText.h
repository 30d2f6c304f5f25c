// Text from outside the program (another program's error output, a command-line argument, a
// request) made safe to print on a terminal. A terminal acts on control characters: an escape
// sequence can move the cursor, retitle the window, hide the rest of a line or rewrite lines
// already shown, so a message that repeats such text prints the controls as escapes instead.
#pragma once

#include <string>
#include <string_view>

namespace plat {

// C0 controls and DEL as \n, \r, \t, \e or \xNN; C1 controls (U+0080 to U+009F) as \u0080 to
// \u009f; bytes that are not UTF-8 as \xNN; a backslash doubled, so that every escape reads one
// way. Everything else, Chinese included, stays as it is.
std::string printableText(std::string_view text);

}  // namespace plat
