// Text from outside the server (a request's fields and path, an account name or a port from the
// command line, a line of a data file, a path and the error that names it) as the server repeats
// it in its log and its messages: cut to a bounded length first, then with its control characters
// escaped. A request may carry a field of a hundred megabytes; repeated whole and escaped, it took
// several times that in memory and made a line of hundreds of megabytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace standin {

// What a client or a user gave: a few hundred bytes tell what it was.
inline constexpr size_t kLongestEchoedValue = 300;
// A path (up to 4096 bytes) or an error text naming one, with its cause.
inline constexpr size_t kLongestEchoedPath = 4096 + 256;

// `text` when no longer than `longest` bytes; else its first `longest` bytes, back to the start of
// a UTF-8 character, followed by "... (cut from N bytes)".
std::string shortened(std::string_view text, size_t longest = kLongestEchoedValue);

// shortened(), then with control characters escaped (plat::printableText): one line, nothing a
// terminal acts on.
std::string echoed(std::string_view text, size_t longest = kLongestEchoedValue);

}  // namespace standin
