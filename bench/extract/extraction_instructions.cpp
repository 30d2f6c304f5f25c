// Runs one warm extraction of a text for valgrind's callgrind to count, so that a change to
// extraction can be weighed in instructions, which stay the same from run to run on a busy
// machine where seconds do not. scripts/extraction-instructions.sh runs it and reads the count.
//
//   extraction_instructions FILE|word-list
//
// The text is FILE repeated to 1 MiB, or the benchmarks' word-list text of that size. A first
// extraction builds the headword index; only the second, inside countedExtraction, is counted.
#include <cstdio>
#include <cstring>
#include <string>

#include "bench/extract/ExtractOnce.h"
#include "bench/extract/ProseText.h"
#include "bench/support/BenchHome.h"
#include "bench/support/EnglishText.h"
#include "platform/base/Files.h"
#include "store/CallDB.h"

namespace {

constexpr size_t kBytes = 1024 * 1024;

// The function callgrind's --toggle-collect names: kept out of line, so that its name stays.
__attribute__((noinline)) int countedExtraction(const std::string& text) {
  return bench::extractOnce(text);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: extraction_instructions FILE|word-list\n");
    return 2;
  }
  bench::temporaryHome();
  std::string text;
  if (std::strcmp(argv[1], "word-list") == 0) {
    text = bench::englishText(kBytes);
  } else {
    const auto content = plat::files::readFile(argv[1]);
    if (!content || content->empty()) {
      std::fprintf(stderr, "extraction_instructions: cannot read %s\n", argv[1]);
      return 1;
    }
    text = bench::repeatedTo(*content, kBytes);
  }
  bench::extractOnce(text);
  std::printf("%d headwords\n", countedExtraction(text));
  CallDB::Release_CallDB();
  return 0;
}
