// Builds the shipped study database learn.db from the schema and the word library's text files:
// word texts are stored scrambled under their word's id, the grades and the first personal values
// are filled in, and "v_client" is the bundle's CFBundleVersion. The file appears in one rename,
// so a failed build leaves no half-made database behind.
#pragma once

#include <string>

namespace tools {

struct LearnDbSources {
  std::string schema;       // schema.sql
  std::string wordsFolder;  // words.tsv, meanings_ch.tsv, ..., book_words/<book_id>.txt (each
                            // required; a book line may give the word's position after a TAB)
  std::string grades;       // grade id, ideal value, description
  std::string settings;     // key, first value
  std::string infoStrings;  // the bundle's info.strings (CFBundleVersion)
};

struct LearnDbSummary {
  int words = 0;
  int meanings = 0;
  int examples = 0;
  int books = 0;
  int bookEntries = 0;
  int droppedCharacters = 0;  // outside the basic plane or not UTF-8, left out of the texts
};

// Throws BuildError (tools/TsvFile.h) naming the file and line of the first fault. With a record
// of word ids (word_ids.tsv, tools/WordIdRecord.h), a word under another id than recorded, or a
// new word under a recorded one, fails the build naming the words.
LearnDbSummary buildLearnDb(const LearnDbSources& sources, const std::string& outputPath,
                            const std::string& wordIdRecord = "");

}  // namespace tools
