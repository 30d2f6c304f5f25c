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
  const std::string texts = approvedTexts();
  while (text.size() < bytes) text += texts;
  text.resize(bytes);
  // No character cut in two at the end.
  while (!text.empty() && static_cast<unsigned char>(text.back()) >= 0x80) text.pop_back();
  return text;
}

}  // namespace bench
