// make_word_library: writes the word library's text files from the open word data.
//   make_word_library <WordNet folder> <word data folder> <curated folder> <output folder>
#include <cstdio>

#include "tools/TsvFile.h"
#include "tools/library/WordLibraryMaker.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr,
                 "usage: %s <WordNet folder> <word data folder> <curated folder> <output folder>\n",
                 argv[0]);
    return 2;
  }
  try {
    tools::WordLibraryCounts counts = tools::makeWordLibrary({argv[1], argv[2], argv[3]}, argv[4]);
    std::printf("%s: %d words (%d with phonetics), %d meanings, %d examples, %d books\n", argv[4],
                counts.words, counts.withPhonetics, counts.meanings, counts.examples, counts.books);
    if (counts.newWords > 0)
      std::printf("%s: %d new words took ids above the record; add %s/new_word_ids.tsv to "
                  "resources/words/word_ids.tsv before they ship\n",
                  argv[4], counts.newWords, argv[4]);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_word_library: %s\n", e.what());
    return 1;
  }
}
