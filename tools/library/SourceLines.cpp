#include "tools/library/SourceLines.h"

#include "platform/base/Files.h"

namespace tools {

SourceLines::SourceLines(const std::string& path) : path_(path) {
  std::optional<std::string> text = plat::files::readFile(path);
  if (!text) throw BuildError(path + ": cannot be read (is the word data installed?)");
  text_ = std::move(*text);
  size_t start = 0;
  while (start < text_.size()) {
    size_t end = text_.find('\n', start);
    if (end == std::string::npos) end = text_.size();
    size_t stop = end;
    if (stop > start && text_[stop - 1] == '\r') --stop;
    lines_.emplace_back(text_.data() + start, stop - start);
    start = end + 1;
  }
  if (lines_.empty()) throw BuildError(path + ": is empty");
}

BuildError SourceLines::error(size_t index, const std::string& message) const {
  return BuildError(path_ + ":" + std::to_string(index + 1) + ": " + message);
}

std::vector<std::string_view> splitFields(std::string_view line, char separator) {
  std::vector<std::string_view> fields;
  size_t from = 0;
  while (true) {
    size_t at = line.find(separator, from);
    fields.push_back(line.substr(from, at == std::string_view::npos ? at : at - from));
    if (at == std::string_view::npos) break;
    from = at + 1;
  }
  return fields;
}

}  // namespace tools
