// A text's approved headwords as a file a reader keeps: one headword a line, in the order
// extraction gives them. A headword that extraction gives but the text does not mean stays in the
// list with the reader's mark after a tab ("saw<TAB># wrong: the text means see"), so the list
// says exactly what extraction gives while its known faults stay in sight ("grep -c '# wrong'").
// A line that starts with '#' is a note: the ones before the first headword head the file, the
// others belong to the headword above them (e.g. "# missing: see, from Will saw the bus").
#pragma once

#include <string>
#include <vector>

namespace toolstest {

class ApprovedHeadwords {
 public:
  static ApprovedHeadwords read(const std::string& path);

  std::vector<std::string> headwords() const;
  // The mark of a headword ("# wrong: ..."), or "".
  std::string markOf(const std::string& headword) const;
  // The list of `headwords`, keeping the head, and the marks and notes of the headwords that
  // stay; the notes of one that goes pass to the headword above it.
  ApprovedHeadwords rewrittenFor(const std::vector<std::string>& headwords) const;
  void write(const std::string& path) const;

 private:
  struct Line {
    std::string headword;
    std::string mark;
    std::vector<std::string> notes;
  };

  std::vector<std::string> head_;
  std::vector<Line> lines_;
};

}  // namespace toolstest
