// WordNet's example sentences (the installed wordnet-base, a build dependency), each extracted
// alone against the shipped library: an example that holds a form of one of its synset's lemmas
// gives that lemma (WordNetExamples.h), but for the known misses of wordnet_misses.txt. A rule
// that loses a lemma any example gave fails here, naming the example.
//
// VOCAB_REWRITE_WORDNET_MISSES=1 rewrites the list from what extraction gives now, for reading
// with git diff.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <unordered_map>
#include <unordered_set>

#include "tests/tools/ShippedStore.h"
#include "tests/tools/WordNetExamples.h"

namespace toolstest {
namespace {

const std::string kWordNetDir = VOCAB_WORDNET_DIR;
const std::string kMisses = VOCAB_SOURCE_DIR "/tests/tools/wordnet_misses.txt";

const char* const kMissesHead =
    "# WordNet's examples that do not give a lemma of their synset that they hold a form of,\n"
    "# extracted alone against the shipped library: \"lemma<TAB>example\" a line. The test\n"
    "# WordNetExamplesTest fails on any other such pair. Rewritten from what extraction gives\n"
    "# now by: VOCAB_REWRITE_WORDNET_MISSES=1 ctest --test-dir build/test -R WordNetExamples\n";

std::unordered_set<std::string> libraryHeadwords() {
  const plat::Value rows = CallDB::callDB()->sql_select("select wl_tWord from Words_Library", "s",
                                                        "", plat::Value::array());
  std::unordered_set<std::string> words;
  for (size_t i = 0; i < rows.size(); ++i) words.insert(rows.at(i).asString());
  return words;
}

using WordNetExamplesTest = ShippedStoreTest;

TEST_F(WordNetExamplesTest, AnExampleGivesTheLemmasOfItsSynsetItHoldsAFormOfButTheKnownMisses) {
  if (!std::filesystem::exists(kWordNetDir + "/data.noun"))
    GTEST_SKIP() << "WordNet is not installed in " << kWordNetDir
                 << " (Debian's wordnet-base; make deps installs it)";
  const std::set<ExamplePair> pairs =
      examplePairs(tools::WordNet::load(kWordNetDir), libraryHeadwords());
  // Far fewer would mean the files were not read as WordNet's.
  ASSERT_GT(pairs.size(), 25000u);

  std::unordered_map<std::string, std::unordered_set<std::string>> extracted;
  std::set<ExamplePair> misses;
  for (const ExamplePair& pair : pairs) {
    auto found = extracted.find(pair.first);
    if (found == extracted.end()) {
      const std::vector<std::string> words = extract(pair.first);
      found = extracted.emplace(pair.first, std::unordered_set(words.begin(), words.end())).first;
    }
    if (!found->second.count(pair.second)) misses.insert(pair);
  }
  std::cout << pairs.size() - misses.size() << " of " << pairs.size()
            << " (example, lemma) pairs given, in " << extracted.size() << " examples\n";

  if (std::getenv("VOCAB_REWRITE_WORDNET_MISSES")) {
    writeExamplePairs(kMisses, kMissesHead, misses);
    std::cout << "rewrote " << kMisses << ": read the change with git diff\n";
    return;
  }
  const std::set<ExamplePair> known = readExamplePairs(kMisses);
  std::string lost, nowGiven;
  size_t lostCount = 0;
  for (const ExamplePair& miss : misses)
    if (!known.count(miss)) {
      lost += "  " + miss.second + "  \"" + miss.first + "\"\n";
      ++lostCount;
    }
  for (const ExamplePair& pair : known)
    if (pairs.count(pair) && !misses.count(pair)) nowGiven += "  " + pair.second + "\n";
  if (!nowGiven.empty())
    std::cout << "Known misses now given (rewrite the list to keep them):\n" << nowGiven;
  EXPECT_EQ(lostCount, 0u) << "Examples that no longer give a lemma of their synset:\n" << lost;
}

}  // namespace
}  // namespace toolstest
