// Which of WordNet's examples stand on a card: whole sentences, not the phrases WordNet quotes
// ("visual powers", "at the expense of"); ones that show the headword in the meaning's part of
// speech and not another word of the same synset ("the dog chased the rabbit" shows chase, not
// the verb dog). What is unfit for a learner is CardFitness's to say.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tools/library/CardFitness.h"

namespace tools {

// The words of a text, lower-cased, apostrophes kept ("don't").
std::vector<std::string> wordsOf(const std::string& text);

// Tells a verb form by its ending: 'p' for a past ("chased", "ran"), 's' for a third person
// ("serves"), 'b' for a plain verb ("buy"), 0 for anything else.
using VerbEnding = std::function<char(const std::string&)>;

// Whether `text` is a sentence: a subject and a verb with tense, no dangling end.
bool isWholeSentence(const std::string& text, const VerbEnding& verbEnding);

// Whether `text` is whole as written: an elision ("She was not the...credible fool") leaves a
// hole a learner cannot read past.
bool hasNoElision(const std::string& text);

// Whether `text` shows one of `forms` (the headword and its inflections) used as part of
// speech `pos` (WordNet letter) and, for a verb, no form of `otherMembers`, the synset's
// other verbs.
bool showsTheWord(const std::string& text, const std::vector<std::string>& forms, char pos,
                  const std::vector<std::string>& otherMembers);

}  // namespace tools
