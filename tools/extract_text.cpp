// Prints the headwords that extraction gives for English texts, read against the shipped
// learn.db of the bundle, one a line in the order the text gives them: what a developer reads, and
// compares between two builds, when a change of extraction or of the word data may move them.
//
//   extract_text FILE...        (each file's list under a line "# FILE")
//   extract_text --units [FILE] (FILE or standard input holds a unit a line, a sentence say, each
//                                extracted alone, "\n" in it a line break and "\\" a backslash;
//                                its headwords are printed on one line, separated by tabs, an
//                                empty line where it gives none)
//
// The bundle is $VOCAB_BUNDLE, else the folder named "bundle" next to the program or above it.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "extract/ExtractWord.h"
#include "platform/base/AppHome.h"
#include "store/CallDB.h"

namespace {

// The headwords of one text, as the text page asks for them: nothing learnt, nothing left out.
plat::Value headwordsOf(const std::string& text) {
  plat::Value words = plat::Value::array(), learned = plat::Value::array(),
              none = plat::Value::array();
  ExtractWord().extractWord(text, words, learned, none);
  return words;
}

// The headwords of one file on standard output; false where it cannot be read.
bool printHeadwords(const char* path, bool named) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "extract_text: cannot read " << path << "\n";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  const plat::Value words = headwordsOf(text.str());
  if (named) std::cout << "# " << path << "\n";
  for (size_t w = 0; w < words.size(); ++w) std::cout << words.at(w).asString() << "\n";
  return true;
}

// A unit's text: "\n" a line break and "\\" a backslash, so that a unit of several lines fits
// on one.
std::string unitText(const std::string& line) {
  std::string text;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == 'n' || line[i + 1] == '\\')) {
      text += line[++i] == 'n' ? '\n' : '\\';
      continue;
    }
    text += line[i];
  }
  return text;
}

// Every line of `in` extracted alone, one line of headwords out for each line in, so that the
// lines of two builds' outputs pair up.
void printUnitHeadwords(std::istream& in) {
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const plat::Value words = headwordsOf(unitText(line));
    for (size_t w = 0; w < words.size(); ++w)
      std::cout << (w ? "\t" : "") << words.at(w).asString();
    std::cout << "\n";
  }
  std::cout.flush();
}

// Runs the chosen mode; the exit status.
int run(int argc, char** argv) {
  if (std::strcmp(argv[1], "--units") == 0) {
    if (argc == 2) {
      printUnitHeadwords(std::cin);
      return 0;
    }
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
      std::cerr << "extract_text: cannot read " << argv[2] << "\n";
      return 1;
    }
    printUnitHeadwords(in);
    return 0;
  }
  int status = 0;
  for (int i = 1; i < argc; ++i)
    if (!printHeadwords(argv[i], argc > 2)) status = 1;
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || (std::strcmp(argv[1], "--units") == 0 && argc > 3)) {
    std::cerr << "usage: extract_text FILE...\n       extract_text --units [FILE]\n";
    return 2;
  }
  std::ios::sync_with_stdio(false);
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
    status = run(argc, argv);
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
