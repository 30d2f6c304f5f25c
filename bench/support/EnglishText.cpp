#include "bench/support/EnglishText.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "platform/base/Files.h"
#include "platform/base/Value.h"
#include "store/CallDB.h"

namespace bench {
std::vector<std::string> libraryWords() {
  const plat::Value words = CallDB::callDB()->sql_select("select wl_tWord from Words_Library",
                                                         "s", "", plat::Value::array());
  std::vector<std::string> out;
  for (size_t i = 0; i < words.size(); ++i) out.push_back(words.at(i).asString());
  return out;
}

namespace {

std::string samplePassages() {
  std::string passages;
  for (const char* name :
       {"how_we_remember_words.txt", "night_train.txt", "note_to_a_neighbour.txt"}) {
    const auto content =
        plat::files::readFile(std::string(VOCAB_SOURCE_DIR) + "/resources/text/" + name);
    if (!content) {
      std::fprintf(stderr, "missing sample text %s\n", name);
      std::exit(1);
    }
    passages += *content + "\n";
  }
  return passages;
}

}  // namespace

const std::string& englishText(size_t bytes) {
  static std::map<size_t, std::string> made;
  std::string& text = made[bytes];
  if (!text.empty()) return text;
  const std::string passages = samplePassages();
  const std::vector<std::string> library = libraryWords();
  const char* const suffixes[] = {"", "s", "ed", "ing", "."};
  size_t next = 0;
  while (text.size() < bytes) {
    text += passages;
    for (int i = 0; i < 400 && !library.empty(); ++i, ++next) {
      text += library[next % library.size()] + suffixes[next % 5];
      text += next % 9 == 8 ? ".\n" : " ";
    }
  }
  text.resize(bytes);
  return text;
}

}  // namespace bench
