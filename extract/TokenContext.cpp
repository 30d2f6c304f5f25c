#include "extract/TokenContext.h"

namespace {

using Kind = Readings::Kind;

class Sentence {
 public:
  Sentence(const std::vector<TextToken>& tokens, const std::vector<SpellingReadings>& readings)
      : tokens_(tokens), readings_(readings) {}

  const SpellingReadings& at(size_t i) const { return readings_[tokens_[i].distinct]; }
  // Whether token i + 1 follows token i with only spaces between.
  bool joined(size_t i) const { return i + 1 < tokens_.size() && tokens_[i + 1].followsWord; }

  // A capitalised word that is surely a name: no headword answers to its capital, and no book
  // teaches what its letters mean in lower case ("Lucy", "Tom").
  bool isNameLike(size_t i) const { return at(i).capitalNoWord && at(i).rareInLowerCase; }

  // Whether token i stands right before a name as its title ("Aunt Rose").
  bool isTitle(size_t i) const { return joined(i) && tokens_[i + 1].followsTitle; }

  // How many capitalised words that books teach stand in the run of capitals around token i,
  // counted up to 2, as a run longer than a name counts. The run's first word when it starts a
  // sentence ("Yesterday Lucy Brook") and titles are left out: any word could stand there.
  size_t wordsInCapitalRun(size_t i) const {
    constexpr size_t kLongestName = 6;
    size_t first = i;
    while (first > 0 && tokens_[first].followsWord && at(first - 1).capitalNoWord)
      if (i - --first >= kLongestName) return 2;
    size_t words = 0;
    for (size_t k = first; k < tokens_.size() && words < 2; ++k) {
      if (k > first && !(tokens_[k].followsWord && at(k).capitalNoWord)) break;
      if (k - first >= kLongestName) return 2;
      if (!at(k).rareInLowerCase && !tokens_[k].startsSentence && !isTitle(k)) ++words;
    }
    return words;
  }

  bool isName(size_t i) const {
    const SpellingReadings& spelling = at(i);
    if (!spelling.capitalNoWord || isTitle(i)) return false;
    const TextToken& token = tokens_[i];
    // At a sentence's start any word is capitalised: only a rare one that a capital follows.
    if (token.startsSentence)
      return spelling.rareInLowerCase && joined(i) && at(i + 1).capitalNoWord;
    if (token.followsTitle) return true;
    const bool afterCapital = token.followsWord && at(i - 1).capitalNoWord;
    const bool beforeCapital = joined(i) && at(i + 1).capitalNoWord;
    if (spelling.rareInLowerCase) return afterCapital || beforeCapital;
    // A word beside a name is a name itself where the two name one person ("Lucy Brook", "Rose
    // Wang"), not where more words follow ("Zantor Public License", "Wang Takes Gold").
    const bool besideName =
        (afterCapital && isNameLike(i - 1)) || (beforeCapital && isNameLike(i + 1));
    return besideName && wordsInCapitalRun(i) < 2;
  }

  // What token i says of the one after it. A name is someone, who does what follows.
  Lead leadOf(size_t i) const {
    const SpellingReadings& spelling = at(i);
    if (spelling.capitalNoWord && (spelling.inSentence.empty() || isName(i)))
      return Lead::kThirdPerson;
    return spelling.lead;
  }

  // Whether token i can only be a noun: a determiner or possessive stands right before it ("the
  // wound", "a bit"), or a word that is first an adjective and never an adverb ("red rose";
  // "still", "only" and "all" stand before verbs), or any adjective after a determiner ("a
  // little bit").
  bool standsAsNoun(size_t i) const {
    const SpellingReadings& before = at(i - 1);
    if (before.lead == Lead::kNoun || before.isPlainAdjective) return true;
    return before.isAdjective && i >= 2 && tokens_[i - 1].followsWord &&
           at(i - 2).lead == Lead::kNoun;
  }

 private:
  const std::vector<TextToken>& tokens_;
  const std::vector<SpellingReadings>& readings_;
};

Readings only(const Readings& readings, size_t k) {
  Readings out;
  out.add(readings.words[k]);
  return out;
}

// A past form after a subject: the verb's, and the word itself too where it is a verb whose
// present the subject may take ("we found a school", "they rent a flat").
Readings pastAfterSubject(const Readings& readings) {
  return readings.ownMayBePresent ? readings : only(readings, 1);
}

}  // namespace

Readings readingsInContext(const std::vector<TextToken>& tokens,
                           const std::vector<SpellingReadings>& readings, size_t i) {
  const Sentence sentence(tokens, readings);
  if (sentence.isName(i)) return {};
  const TextToken& token = tokens[i];
  const SpellingReadings& spelling = sentence.at(i);
  const Readings& all = token.startsSentence ? spelling.atStart : spelling.inSentence;
  if (all.kind == Kind::kPlain || !token.followsWord) return all;
  if (sentence.standsAsNoun(i)) return only(all, 0);

  const Lead before = sentence.leadOf(i - 1);
  if (all.kind == Kind::kNounOrVerb) return before == Lead::kThirdPerson ? only(all, 1) : all;
  if (all.kind != Kind::kOwnOrPast) return all;
  switch (before) {
    case Lead::kThirdPerson:
    case Lead::kPerfect:
      return only(all, 1);
    case Lead::kSubject:
      return pastAfterSubject(all);
    case Lead::kNounFirst:
      // "The dog bit the postman", but "a head wound healed": a noun is the subject where
      // the form has an object.
      return sentence.joined(i) && sentence.at(i + 1).lead == Lead::kNoun ? pastAfterSubject(all)
                                                                          : all;
    case Lead::kBaseForm:
      return only(all, 0);
    case Lead::kNoun:
    case Lead::kNothing:
      break;
  }
  return all;
}
