// Filling the card's fixed text templates and plain text replacement.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace TextTemplate {

// The template with each "%@" (a text) or "%i" (an integer, given as its decimal text) replaced by
// the next argument, in order. Arguments are not scanned again; missing ones leave the marker out.
std::string fill(std::string_view pattern, std::initializer_list<std::string_view> args);

// Every occurrence of `from` replaced by `to`, scanning left to right without re-scanning.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);

}  // namespace TextTemplate
