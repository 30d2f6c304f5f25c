#include "learn/TextTemplate.h"

namespace TextTemplate {

std::string fill(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string result;
  result.reserve(pattern.size() + 64);
  auto next = args.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    const bool marker = pattern[i] == '%' && i + 1 < pattern.size() &&
                        (pattern[i + 1] == '@' || pattern[i + 1] == 'i');
    if (!marker) {
      result += pattern[i];
      continue;
    }
    if (next != args.end()) result += *next++;
    ++i;
  }
  return result;
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string result;
  result.reserve(text.size());
  size_t start = 0;
  while (true) {
    size_t found = text.find(from, start);
    if (found == std::string_view::npos) break;
    result.append(text, start, found - start);
    result += to;
    start = found + from.size();
  }
  result.append(text, start);
  return result;
}

}  // namespace TextTemplate
