#include "tools/WordIdRecord.h"

#include <algorithm>
#include <set>

#include "tools/TsvFile.h"

namespace tools {

WordIdRecord WordIdRecord::read(const std::string& path) {
  TsvFile file = TsvFile::read(path, true);
  file.expectFields(2, 2);
  WordIdRecord record;
  std::set<int> ids;
  for (const TsvRecord& r : file.records()) {
    const int id = file.positiveInt(r, 0);
    if (r.fields[1].empty()) throw file.error(r, "empty headword");
    if (!ids.insert(id).second) throw file.error(r, "id " + r.fields[0] + " listed twice");
    if (!record.ids_.emplace(r.fields[1], id).second)
      throw file.error(r, "\"" + r.fields[1] + "\" listed twice");
    record.highest_ = std::max(record.highest_, id);
  }
  return record;
}

std::optional<int> WordIdRecord::idOf(const std::string& word) const {
  auto it = ids_.find(word);
  if (it == ids_.end()) return std::nullopt;
  return it->second;
}

std::vector<int> assignWordIds(const WordIdRecord& record,
                               const std::vector<std::string>& headwords) {
  std::vector<int> ids;
  int next = record.highest() + 1;
  for (const std::string& word : headwords) {
    std::optional<int> recorded = record.idOf(word);
    ids.push_back(recorded ? *recorded : next++);
  }
  return ids;
}

std::vector<std::string> wordIdConflicts(const WordIdRecord& record,
                                         const std::vector<std::pair<int, std::string>>& library) {
  std::vector<std::string> conflicts;
  for (const auto& [id, word] : library) {
    std::optional<int> recorded = record.idOf(word);
    const std::string shown = word + " (id " + std::to_string(id);
    if (recorded && *recorded != id)
      conflicts.push_back(shown + ", recorded " + std::to_string(*recorded) + ")");
    else if (!recorded && id <= record.highest())
      conflicts.push_back(shown + ", reserved)");
  }
  return conflicts;
}

}  // namespace tools
