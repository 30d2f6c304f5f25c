// The parameters of one request as the stand-in server reads them, in the order they came: a GET
// query, a url-encoded form or the text fields of a multipart form (its files apart).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "server/Exchange.h"

namespace standin {

struct Form {
  std::vector<std::pair<std::string, std::string>> fields;
  struct File {
    std::string field, fileName, contentType, bytes;
  };
  std::vector<File> files;

  const std::string& operator[](const std::string& name) const;  // "" when absent
  bool has(const std::string& name) const;
  std::vector<std::string> names() const;
  const File* file(const std::string& field) const;

  static Form of(const Request& request);
};

}  // namespace standin
