// Reads one source file of the word library's open data as lines, so that every reader reports a
// missing, empty or malformed file the same way: "path:line: message".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/TsvFile.h"

namespace tools {

class SourceLines {
 public:
  // Throws BuildError when the file is missing, unreadable or holds no line.
  explicit SourceLines(const std::string& path);

  const std::string& path() const { return path_; }
  size_t size() const { return lines_.size(); }
  std::string_view line(size_t index) const { return lines_[index]; }

  // "path:<index + 1>: message"
  BuildError error(size_t index, const std::string& message) const;

 private:
  std::string path_;
  std::string text_;
  std::vector<std::string_view> lines_;
};

// The fields of a line split at `separator` (empty fields kept).
std::vector<std::string_view> splitFields(std::string_view line, char separator);

}  // namespace tools
