// The record of every word id the library has shipped with (resources/words/word_ids.tsv: word
// id TAB headword). Study rows, dumps and backups name words by id, so a recorded word keeps its
// id in every build, a new word takes an id above all recorded ones, and the id of a word the
// library no longer holds is never given to another.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tools {

class WordIdRecord {
 public:
  // Throws BuildError naming the file and line of a malformed line or of a word or id listed
  // twice.
  static WordIdRecord read(const std::string& path);

  std::optional<int> idOf(const std::string& word) const;
  int highest() const { return highest_; }
  // The recorded headwords with their ids, by headword.
  const std::map<std::string, int>& ids() const { return ids_; }

 private:
  std::map<std::string, int> ids_;
  int highest_ = 0;
};

// Ids for the library's headwords in the order given: recorded words keep theirs, the others
// take ids above the highest recorded one, in that order.
std::vector<int> assignWordIds(const WordIdRecord& record,
                               const std::vector<std::string>& headwords);

// The library's words whose id disagrees with the record, each as "word (id N, recorded M)" or
// "word (id N, reserved)" for an unrecorded word under an id up to the highest recorded one.
std::vector<std::string> wordIdConflicts(const WordIdRecord& record,
                                         const std::vector<std::pair<int, std::string>>& library);

}  // namespace tools
