#include "platform/view/WebScript.h"

#include <cmath>
#include <regex>

#include "platform/draw/HtmlDocument.h"

namespace plat {
namespace {

std::string trimmed(const std::string& s) {
  size_t start = s.find_first_not_of(" \t\r\n");
  if (start == std::string::npos) return "";
  size_t end = s.find_last_not_of(" \t\r\n;");
  return end < start ? "" : s.substr(start, end - start + 1);
}

std::string number(double value) {
  double whole = std::round(value);
  return std::to_string(static_cast<long long>(whole));
}

}  // namespace

std::string evaluatePageScript(const std::string& script, const HtmlDocument* page,
                               const std::string& pageURL) {
  std::string s = trimmed(script);
  if (s == "document.URL" || s == "document.location.href" || s == "window.location.href") {
    return pageURL;
  }
  if (!page) return "";
  if (s == "document.title") return page->title();
  if (s == "document.links.length") return std::to_string(page->links().size());
  static const std::regex link(R"(document\.links\[\s*(\d+)\s*\](?:\.toString\(\)|\.href))");
  static const std::regex inner(R"(document\.getElementById\(\s*["']([^"']*)["']\s*\)\.innerHTML)");
  static const std::regex height(
      R"(document\.(?:body|documentElement)\.(?:offsetHeight|scrollHeight|clientHeight))");
  std::smatch m;
  if (std::regex_match(s, m, link)) {
    std::vector<std::string> links = page->links();
    size_t index = std::stoul(m[1].str());
    return index < links.size() ? links[index] : "";
  }
  if (std::regex_match(s, m, inner)) return page->innerHTML(m[1].str());
  if (std::regex_match(s, height)) return number(page->contentHeight());
  return "";
}

}  // namespace plat
