// Texts as the word data store them: line breaks are written as the two characters "\n".
#pragma once

#include <string>
#include <string_view>

namespace storedtext {

// The text with each "\n" pair turned into a line break; every other character as it stands.
std::string withLineBreaks(std::string_view stored);

}  // namespace storedtext
