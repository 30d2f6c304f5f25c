#include "learn/ReviewListSort.h"

namespace ReviewListSort {

std::vector<std::string> splitEntries(const std::string& value) {
  const std::string text = value.empty() ? std::string(kDefault) : value;
  std::vector<std::string> entries;
  size_t start = 0;
  while (true) {
    size_t colon = text.find(':', start);
    entries.push_back(text.substr(start, colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return entries;
}

Entry readEntry(const std::string& entry) {
  if (entry.empty()) return {};
  const char last = entry.back();
  Entry result;
  result.code = last >= '0' && last <= '9' ? last - '0' : 0;
  result.shown = entry.size() >= 2;
  return result;
}

std::vector<Entry> parse(const std::string& value) {
  std::vector<Entry> entries;
  for (const std::string& text : splitEntries(value)) {
    if (!text.empty()) entries.push_back(readEntry(text));
  }
  return entries;
}

std::string entryText(const Entry& entry) {
  std::string code = std::to_string(entry.code);
  return entry.shown ? "1" + code : code;
}

std::string format(const std::vector<Entry>& entries) {
  std::string value;
  for (const Entry& entry : entries) {
    if (!value.empty()) value += ':';
    value += entryText(entry);
  }
  return value;
}

}  // namespace ReviewListSort
