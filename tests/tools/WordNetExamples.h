// WordNet's example sentences as a corpus for extraction that no one here wrote: each example
// beside the one-word lemmas of its synset that it holds, as written or inflected ("The leaves
// fell" holds leaf), and that the library has as headwords. Such an example should give the lemma
// when extracted alone. scripts/compare-extraction.sh pairs them by the same rules.
#pragma once

#include <set>
#include <string>
#include <unordered_set>
#include <utility>

#include "tools/library/WordNet.h"

namespace toolstest {

// (example, lemma), ordered by example, then lemma.
using ExamplePair = std::pair<std::string, std::string>;

// Every pair of WordNet's examples and the headwords of `library` among their synset's lemmas
// that they hold a form of: the token itself in lower case, a base that the part of speech's
// exception list gives for it, or one that its regular endings give ("-ies" -> "-y", "-ing" ->
// "" or "-e", ...). Tokens are runs of ASCII letters.
std::set<ExamplePair> examplePairs(const tools::WordNet& wordNet,
                                   const std::unordered_set<std::string>& library);

// The pairs of a list of known misses: "lemma<TAB>example" a line, '#' lines are notes. Throws
// std::runtime_error where the file cannot be read or a line has no tab.
std::set<ExamplePair> readExamplePairs(const std::string& path);
// Writes `pairs` in that form under the lines of `head`.
void writeExamplePairs(const std::string& path, const std::string& head,
                       const std::set<ExamplePair>& pairs);

}  // namespace toolstest
