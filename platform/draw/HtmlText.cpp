#include "platform/draw/HtmlText.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

#include "platform/base/Utf.h"

namespace plat::html {
namespace {

std::string lowerName(const std::string& html, size_t start) {
  std::string name;
  for (size_t i = start; i < html.size() && (std::isalnum(static_cast<unsigned char>(html[i])));
       ++i) {
    name += static_cast<char>(std::tolower(static_cast<unsigned char>(html[i])));
  }
  return name;
}

// Decodes the entity starting at html[i] ('&'); returns the characters consumed (0: not one).
size_t decodeEntity(const std::string& html, size_t i, std::string& out) {
  size_t semi = html.find(';', i);
  if (semi == std::string::npos || semi - i > 10) return 0;
  std::string name = html.substr(i + 1, semi - i - 1);
  if (name.size() > 1 && name[0] == '#') {
    bool hex = name[1] == 'x' || name[1] == 'X';
    char* end = nullptr;
    unsigned long cp = std::strtoul(name.c_str() + (hex ? 2 : 1), &end, hex ? 16 : 10);
    if (!end || *end) return 0;
    bool valid = cp > 0 && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    out += utf::fromCodePoint(valid ? char32_t(cp) : char32_t(0xFFFD));
    return semi - i + 1;
  }
  static const std::pair<const char*, const char*> named[] = {
      {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", " "}};
  for (const auto& [key, value] : named) {
    if (name == key) {
      out += value;
      return semi - i + 1;
    }
  }
  return 0;
}

const std::set<std::string>& voidElements() {
  static const std::set<std::string> names = {"area",  "base",   "br",    "col",  "embed",
                                              "hr",    "img",    "input", "link", "meta",
                                              "param", "source", "track", "wbr"};
  return names;
}

// Elements that the parser closes by themselves when the next one starts.
const std::set<std::string>& selfClosingByParser() {
  static const std::set<std::string> names = {"p", "li", "td", "th", "tr", "option", "dt", "dd"};
  return names;
}

}  // namespace

std::string toPlainText(const std::string& html) {
  static const std::set<std::string> breaking = {"br", "p",  "div", "li", "tr",    "h1", "h2",
                                                 "h3", "h4", "h5",  "h6", "table", "ul", "ol"};
  std::string out;
  bool space = false;
  for (size_t i = 0; i < html.size();) {
    char c = html[i];
    if (c == '<') {
      size_t end = html.find('>', i);
      if (end == std::string::npos) break;
      bool closing = i + 1 < html.size() && html[i + 1] == '/';
      std::string name = lowerName(html, i + (closing ? 2 : 1));
      if (!closing && (name == "script" || name == "style" || name == "title" || name == "head")) {
        size_t close = html.find("</" + name, end);
        end = close == std::string::npos ? html.size() - 1 : html.find('>', close);
        if (end == std::string::npos) break;
      } else if (breaking.count(name)) {
        while (!out.empty() && out.back() == ' ') out.pop_back();
        if (!out.empty() && out.back() != '\n') out += '\n';
        space = false;
      }
      i = end + 1;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c))) {
      space = true;
      ++i;
      continue;
    }
    if (space && !out.empty() && out.back() != '\n') out += ' ';
    space = false;
    if (c == '&') {
      size_t used = decodeEntity(html, i, out);
      if (used) {
        i += used;
        continue;
      }
    }
    out += c;
    ++i;
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

int nestingDepth(const std::string& html) {
  int depth = 0, deepest = 0;
  for (size_t i = 0; i + 1 < html.size(); ++i) {
    if (html[i] != '<') continue;
    if (html[i + 1] == '/') {
      depth = std::max(0, depth - 1);
      continue;
    }
    if (!std::isalpha(static_cast<unsigned char>(html[i + 1]))) continue;
    size_t end = html.find('>', i);
    if (end == std::string::npos) break;
    std::string name = lowerName(html, i + 1);
    if (html[end - 1] == '/' || voidElements().count(name) || selfClosingByParser().count(name)) {
      continue;
    }
    deepest = std::max(deepest, ++depth);
  }
  return deepest;
}

std::string escapeText(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace plat::html
