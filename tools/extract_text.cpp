// Prints the headwords that extraction gives for English texts, read against the shipped
// learn.db of the bundle, one a line in the order the text gives them: what a developer reads, and
// compares between two builds, when a change of extraction or of the word data may move them.
//
//   extract_text FILE...   (each file's list under a line "# FILE")
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "extract/ExtractWord.h"
#include "platform/base/AppHome.h"
#include "store/CallDB.h"

namespace {

// The headwords of one file on standard output; false where it cannot be read.
bool printHeadwords(const char* path, bool named) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "extract_text: cannot read " << path << "\n";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  plat::Value words = plat::Value::array(), learned = plat::Value::array(),
              none = plat::Value::array();
  ExtractWord().extractWord(text.str(), words, learned, none);
  if (named) std::cout << "# " << path << "\n";
  for (size_t w = 0; w < words.size(); ++w) std::cout << words.at(w).asString() << "\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: extract_text FILE...\n";
    return 2;
  }
  // A home of its own, so that no learner's study state sorts the words.
  std::string home = (std::filesystem::temp_directory_path() / "extract-text-XXXXXX").string();
  if (!mkdtemp(home.data())) {
    std::perror("extract_text: temporary home");
    return 1;
  }
  plat::AppHome::setHome(home);
  plat::AppHome::ensureFolders();
  int status = 0;
  try {
    for (int i = 1; i < argc; ++i)
      if (!printHeadwords(argv[i], argc > 2)) status = 1;
  } catch (const std::exception& error) {
    // No library to read (a bundle without learn.db, $VOCAB_BUNDLE elsewhere).
    std::cerr << "extract_text: " << error.what() << "\n";
    status = 1;
  }
  CallDB::Release_CallDB();
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
  return status;
}
