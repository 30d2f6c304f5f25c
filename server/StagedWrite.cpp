#include "server/StagedWrite.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace standin {
namespace {

std::string errorText(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

StagedWrite::~StagedWrite() {
  for (const auto& [temporary, place] : staged_) std::remove(temporary.c_str());
}

std::string StagedWrite::stage(const std::string& path, const std::string& bytes) {
  const std::string temporary = path + kTemporarySuffix;
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  // Not ours to take away: something else stands there (a folder, a file we may not write).
  if (!out) return errorText("cannot write", temporary);
  out << bytes;
  out.close();
  if (!out) {
    std::string error = errorText("cannot write", temporary);
    std::remove(temporary.c_str());
    return error;
  }
  staged_.emplace_back(temporary, path);
  return "";
}

std::string StagedWrite::commit() {
  while (!staged_.empty()) {
    const auto& [temporary, place] = staged_.front();
    if (std::rename(temporary.c_str(), place.c_str()) != 0)
      return errorText("cannot replace", place);
    staged_.erase(staged_.begin());
  }
  return "";
}

}  // namespace standin
