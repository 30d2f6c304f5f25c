#include "tools/TsvFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/base/Files.h"
#include "store/StoredText.h"

namespace tools {

TsvFile TsvFile::read(const std::string& path, bool required) {
  TsvFile file;
  file.path_ = path;
  std::optional<std::string> text = plat::files::readFile(path);
  if (!text) {
    if (required) throw BuildError(path + ": cannot be read");
    return file;
  }
  if (text->compare(0, 3, "\xEF\xBB\xBF") == 0) text->erase(0, 3);
  int lineNumber = 0;
  size_t start = 0;
  while (start < text->size()) {
    size_t end = text->find('\n', start);
    if (end == std::string::npos) end = text->size();
    std::string line = text->substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    TsvRecord record;
    record.line = lineNumber;
    size_t from = 0;
    while (true) {
      size_t tab = line.find('\t', from);
      record.fields.push_back(line.substr(from, tab == std::string::npos ? tab : tab - from));
      if (tab == std::string::npos) break;
      from = tab + 1;
    }
    file.records_.push_back(std::move(record));
  }
  return file;
}

void TsvFile::expectFields(size_t minFields, size_t maxFields) {
  for (TsvRecord& record : records_) {
    while (record.fields.size() > maxFields && record.fields.back().empty())
      record.fields.pop_back();
    if (record.fields.size() < minFields || record.fields.size() > maxFields) {
      throw error(record, "expected " + std::to_string(minFields) +
                              (minFields == maxFields ? "" : "-" + std::to_string(maxFields)) +
                              " fields, found " + std::to_string(record.fields.size()));
    }
    record.fields.resize(maxFields);
  }
}

BuildError TsvFile::error(const TsvRecord& record, const std::string& message) const {
  return BuildError(path_ + ":" + std::to_string(record.line) + ": " + message);
}

int TsvFile::positiveInt(const TsvRecord& record, size_t field) const {
  const std::string& text = record.fields.at(field);
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || value < 1 || value > INT_MAX)
    throw error(record, "\"" + text + "\" is not a positive number");
  return static_cast<int>(value);
}

std::string unescapeText(const std::string& field) {
  return storedtext::withLineBreaks(field);
}

}  // namespace tools
