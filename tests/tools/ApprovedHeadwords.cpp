#include "tests/tools/ApprovedHeadwords.h"

#include <fstream>
#include <stdexcept>
#include <unordered_map>

namespace toolstest {

ApprovedHeadwords ApprovedHeadwords::read(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path);
  ApprovedHeadwords list;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line[0] == '#') {
      (list.lines_.empty() ? list.head_ : list.lines_.back().notes).push_back(line);
      continue;
    }
    const size_t tab = line.find('\t');
    list.lines_.push_back(
        {line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1), {}});
  }
  return list;
}

std::vector<std::string> ApprovedHeadwords::headwords() const {
  std::vector<std::string> words;
  for (const Line& line : lines_) words.push_back(line.headword);
  return words;
}

std::string ApprovedHeadwords::markOf(const std::string& headword) const {
  for (const Line& line : lines_)
    if (line.headword == headword) return line.mark;
  return "";
}

ApprovedHeadwords ApprovedHeadwords::rewrittenFor(const std::vector<std::string>& headwords) const {
  std::unordered_map<std::string, size_t> position;
  for (size_t i = 0; i < headwords.size(); ++i) position.emplace(headwords[i], i);

  ApprovedHeadwords rewritten;
  rewritten.head_ = head_;
  for (const std::string& word : headwords) rewritten.lines_.push_back({word, markOf(word), {}});
  // A note follows its headword where that stays, else the kept headword above it.
  std::vector<std::string>* above = &rewritten.head_;
  for (const Line& line : lines_) {
    const auto kept = position.find(line.headword);
    if (kept != position.end()) above = &rewritten.lines_[kept->second].notes;
    above->insert(above->end(), line.notes.begin(), line.notes.end());
  }
  return rewritten;
}

void ApprovedHeadwords::write(const std::string& path) const {
  std::ofstream out(path, std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  for (const std::string& note : head_) out << note << '\n';
  for (const Line& line : lines_) {
    out << line.headword << (line.mark.empty() ? "" : "\t" + line.mark) << '\n';
    for (const std::string& note : line.notes) out << note << '\n';
  }
}

}  // namespace toolstest
