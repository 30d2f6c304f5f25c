// Reads the word library's text files: UTF-8, one record a line, fields separated by one TAB,
// "#" lines are comments. Errors name the file and line.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace tools {

class BuildError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TsvRecord {
  int line = 0;
  std::vector<std::string> fields;
};

class TsvFile {
 public:
  // Reads `path`; a missing file reads as empty unless `required`.
  static TsvFile read(const std::string& path, bool required);

  const std::string& path() const { return path_; }
  const std::vector<TsvRecord>& records() const { return records_; }

  // Checks that every record has between minFields and maxFields fields (trailing empty fields
  // beyond maxFields are dropped first); missing optional fields become "".
  void expectFields(size_t minFields, size_t maxFields);

  // "path:line: message"
  BuildError error(const TsvRecord& record, const std::string& message) const;
  // A positive decimal integer field.
  int positiveInt(const TsvRecord& record, size_t field) const;

 private:
  std::string path_;
  std::vector<TsvRecord> records_;
};

// A text field as stored: the two characters "\n" become a line break.
std::string unescapeText(const std::string& field);

}  // namespace tools
