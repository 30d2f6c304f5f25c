#include "bench/extract/ProseText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <vector>

#include "platform/base/Files.h"

namespace bench {
namespace {

std::string approvedTexts() {
  const std::filesystem::path folder =
      std::filesystem::path(VOCAB_SOURCE_DIR) / "tests/tools/texts";
  std::vector<std::filesystem::path> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    if (entry.path().extension() == ".txt") names.push_back(entry.path());
  std::sort(names.begin(), names.end());
  std::string joined;
  for (const auto& name : names) {
    const auto content = plat::files::readFile(name.string());
    if (content) joined += *content + "\n";
  }
  if (joined.empty()) {
    std::fprintf(stderr, "no approved texts in %s\n", folder.string().c_str());
    std::exit(1);
  }
  return joined;
}

}  // namespace

const std::string& proseText(size_t bytes) {
  static std::map<size_t, std::string> made;
  std::string& text = made[bytes];
  if (!text.empty()) return text;
  text = repeatedTo(approvedTexts(), bytes);
  return text;
}

std::string repeatedTo(const std::string& text, size_t bytes) {
  std::string repeated;
  while (repeated.size() < bytes) repeated += text;
  repeated.resize(bytes);
  // No character cut in two at the end.
  while (!repeated.empty() && static_cast<unsigned char>(repeated.back()) >= 0x80)
    repeated.pop_back();
  return repeated;
}

}  // namespace bench
