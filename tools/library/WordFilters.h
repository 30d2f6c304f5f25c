// What keeps a word out of the word books although it is a headword: swearing and slurs, a
// second spelling of a word the book holds already, a plural or comparative of a word of the
// same book.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/library/WordNet.h"

namespace tools {

// Whether WordNet marks the synset, for `lemma` or for all its words, as obscene, vulgar, an
// ethnic slur or disparaging ("she's a real dog").
bool isMarkedOffensive(const WordNet& wordNet, const Synset& synset, const std::string& lemma);

// WordNet marks a sense as obscene, vulgar, an ethnic slur or disparaging through its usage
// domain. A word is offensive when its main sense is so marked, or when it has no more than two
// senses, one of them so marked, and WordNet's tagged texts hardly use it ("boy" keeps its place:
// one later sense of four is marked; so does "fairy", used in its other sense).
bool isOffensive(const WordNet& wordNet, const std::string& lemma);

// The other spellings a word may have on the other side of the Atlantic: "colour" gives "color",
// "center" gives "centre", "programme" gives "program", "realise" gives "realize", "favourite"
// gives "favorite". Only
// candidates: whether one of them is the same word is for the dictionary to say.
std::vector<std::string> spellingVariants(const std::string& word);

// Whether two spellings of a British/American pair ("minimise", "minimize") are one word: in a
// part of speech, WordNet counts each one's first sense among the other's. Not "prise" beside
// "prize", whose main sense "value" prise lacks.
bool shareFirstSense(const WordNet& wordNet, const std::string& a, const std::string& b);

// Whether the dictionary's line of a capitalised word is the lower-case word's: it writes some
// everyday words only with a capital ("North" 北方, "God" 上帝), and our own meanings of the
// lower-case word (one "n. 北方；北部" a line) hold the capital's first sense. "China" 中国
// beside "china" 瓷器 is another word.
bool isTheLowerCaseWordsLine(const std::string& capitalsFirstSense,
                             const std::vector<std::string>& lowerCaseMeanings);

// Whether `word` is the part of a contraction before "n't" that a text splits off at the
// apostrophe ("didn" of didn't, "haven" of haven't): the subtitles count such a spelling for the
// contraction, whatever word it also spells.
bool isPieceBeforeNot(const std::string& word);

using RelatedWords = std::function<std::vector<std::string>(const std::string&)>;

// `words`, most important first, without doubles: a word that is one of `formsOf` another word of
// the list (its plurals, comparatives and superlatives) is left out wherever it stands, and of two
// words that `spellingsOf` pairs the later one.
std::vector<std::string> withoutDoubles(const std::vector<std::string>& words,
                                        const RelatedWords& formsOf,
                                        const RelatedWords& spellingsOf);

}  // namespace tools
