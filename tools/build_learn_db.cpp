// build_learn_db: makes the shipped learn.db at build time.
//   build_learn_db <schema.sql> <words folder> <word_ids.tsv> <grades.tsv> <settings.tsv>
//                  <info.strings> <out.db>
#include <cstdio>

#include "tools/LearnDbBuilder.h"
#include "tools/TsvFile.h"

int main(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr,
                 "usage: %s <schema.sql> <words folder> <word_ids.tsv> <grades.tsv> <settings.tsv> "
                 "<info.strings> <out.db>\n",
                 argv[0]);
    return 2;
  }
  try {
    tools::LearnDbSummary summary =
        tools::buildLearnDb({argv[1], argv[2], argv[4], argv[5], argv[6]}, argv[7], argv[3]);
    std::printf("%s: %d words, %d meanings, %d examples, %d books (%d entries)\n", argv[7],
                summary.words, summary.meanings, summary.examples, summary.books,
                summary.bookEntries);
    if (summary.droppedCharacters > 0)
      std::printf("%s: %d characters outside the basic plane or not UTF-8 left out\n", argv[7],
                  summary.droppedCharacters);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "build_learn_db: %s\n", e.what());
    return 1;
  }
}
