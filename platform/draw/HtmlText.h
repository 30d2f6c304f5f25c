// Plain-text helpers for HTML: the text of a page without its markup (what a page that cannot be
// laid out shows), and how deeply its elements nest (pages nested deeper than the layout engine's
// recursion can take are shown as text).
#pragma once

#include <string>

namespace plat::html {

std::string toPlainText(const std::string& html);
int nestingDepth(const std::string& html);
std::string escapeText(const std::string& text);  // & < > as entities

}  // namespace plat::html
