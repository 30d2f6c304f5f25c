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
// "center" gives "centre", "programme" gives "program", "realise" gives "realize". Only
// candidates: whether one of them is the same word is for the dictionary to say.
std::vector<std::string> spellingVariants(const std::string& word);

using RelatedWords = std::function<std::vector<std::string>(const std::string&)>;

// `words`, most important first, without doubles: a word that is one of `formsOf` another word of
// the list (its plurals, comparatives and superlatives) is left out wherever it stands, and of two
// words that `spellingsOf` pairs the later one.
std::vector<std::string> withoutDoubles(const std::vector<std::string>& words,
                                        const RelatedWords& formsOf,
                                        const RelatedWords& spellingsOf);

}  // namespace tools
