#include "tools/library/ExampleSentences.h"

#include <algorithm>
#include <cctype>

namespace tools {
namespace {

bool isOneOf(const std::string& word, const std::set<std::string>& set) {
  return set.count(word) > 0;
}

const std::set<std::string>& determiners() {
  static const std::set<std::string> words = {
      "a",   "an",  "the", "this",  "that", "these", "those", "my",    "your", "his",
      "her", "its", "our", "their", "some", "any",   "no",    "every", "each", "another"};
  return words;
}

// "who" and "which" begin a relative clause, whose verb makes no sentence ("emigres, who
// used to ...").
const std::set<std::string>& subjectPronouns() {
  static const std::set<std::string> words = {"i",    "you",   "he",     "she",      "it",     "we",
                                              "they", "there", "nobody", "everyone", "someone"};
  return words;
}

const std::set<std::string>& pluralPronouns() {
  static const std::set<std::string> words = {"i", "you", "we", "they"};
  return words;
}

const std::set<std::string>& singularSubjects() {
  static const std::set<std::string> words = {"he",  "she",      "it",      "that",  "this",
                                              "one", "everyone", "someone", "nobody"};
  return words;
}

// Verbs that carry tense or person of their own.
const std::set<std::string>& auxiliaries() {
  static const std::set<std::string> words = {
      "am",       "is",        "are",   "was",     "were",   "has",    "have",   "had",
      "do",       "does",      "did",   "will",    "would",  "can",    "could",  "shall",
      "should",   "may",       "might", "must",    "isn't",  "aren't", "wasn't", "weren't",
      "hasn't",   "hadn't",    "don't", "doesn't", "didn't", "won't",  "can't",  "couldn't",
      "wouldn't", "shouldn't"};
  return words;
}

// A subject and its verb in one word.
const std::set<std::string>& subjectContractions() {
  static const std::set<std::string> words = {
      "i'm", "he's", "she's", "it's", "we're", "they're", "you're", "i've", "we've", "they've",
      "you've", "i'll", "you'll", "he'll", "she'll", "we'll", "they'll", "i'd", "you'd", "he'd",
      "she'd", "we'd", "they'd", "that's", "there's", "what's"};
  return words;
}

// Words a sentence does not end on ("at the expense of").
const std::set<std::string>& danglingEnds() {
  static const std::set<std::string> words = {"of", "to",   "in",   "on",   "at",   "for", "with",
                                              "by", "from", "and",  "or",   "but",  "the", "a",
                                              "an", "as",   "than", "into", "about"};
  return words;
}

// Whether `word` is `form` or a regular inflection of it ("chase": "chases", "chased").
bool isFormOf(const std::string& word, const std::string& form) {
  if (word == form) return true;
  if (word.size() <= form.size() || word.compare(0, form.size(), form) != 0) return false;
  const std::string rest = word.substr(form.size());
  static const std::set<std::string> endings = {"s", "es", "d",  "ed", "ing",
                                                "r", "er", "st", "est"};
  return endings.count(rest) > 0 || (!form.empty() && form.back() == 'e' && rest == "d");
}

}  // namespace

std::vector<std::string> wordsOf(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isalpha(u) || (c == '\'' && !word.empty())) {
      word += static_cast<char>(std::tolower(u));
      continue;
    }
    if (!word.empty()) words.push_back(word);
    word.clear();
  }
  if (!word.empty()) words.push_back(word);
  for (std::string& w : words)
    while (!w.empty() && w.back() == '\'') w.pop_back();
  return words;
}

bool isWholeSentence(const std::string& text, const VerbEnding& verbEnding) {
  // Quotations with their source, lists and glosses are no model sentences.
  if (text.find_first_of("\"`;:()[]") != std::string::npos || text.find("--") != std::string::npos)
    return false;
  const std::vector<std::string> words = wordsOf(text);
  if (words.size() < 3 || isOneOf(words.back(), danglingEnds())) return false;
  auto at = [&](size_t i) { return i < words.size() ? words[i] : std::string(); };
  bool subject = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    const std::string before = i > 0 ? words[i - 1] : "";
    if (isOneOf(w, subjectContractions())) return true;  // "I'm late"
    if (isOneOf(w, auxiliaries())) {
      // "An ambassador of good will.", "Little rain fell in May.": a modal that ends the text is
      // one only after its subject ("Yes, I will."); otherwise it is a noun.
      static const std::set<std::string> modalNouns = {"will", "may", "can", "must", "shall"};
      if (i + 1 == words.size() && isOneOf(w, modalNouns) && !isOneOf(before, subjectPronouns()))
        continue;
      // "Did he go?" asks; "Had an unhappy time at school" has lost its subject.
      if (i > 0) return true;
      if (text.find('?') != std::string::npos &&
          (isOneOf(at(1), subjectPronouns()) || isOneOf(at(1), determiners())))
        return true;
    }
    const bool afterSubject = i > 0 && subject && !isOneOf(before, danglingEnds()) &&
                              (!isOneOf(before, determiners()) ||
                               isOneOf(before, singularSubjects()));  // "this brings"
    // A sentence that begins with a verb's past or third person has lost its subject ("gave us
    // a broad hint").
    if (i == 0 && (verbEnding(w) == 'p' || verbEnding(w) == 's')) return false;
    // "A beautifully appointed house.": an article, an adverb, a past and a noun or two make
    // no sentence.
    const bool describesANoun = i == 2 && words.size() <= 5 && before.size() > 5 &&
                                before.compare(before.size() - 2, 2, "ly") == 0 &&
                                before != "family" && isOneOf(words[0], determiners());
    const char ending = afterSubject && !describesANoun ? verbEnding(w) : 0;
    // "I buy", "they split": a plain verb after a plural pronoun.
    if (ending == 'b' && isOneOf(before, pluralPronouns())) return true;
    if (ending == 'p') return true;
    // "-s" is a plural as often: the verb follows a singular subject ("she serves", "the tree
    // stump serves"), not a phrase after a preposition ("a sewer of fine gowns"), and is
    // followed by no "of" ("the broad outlines of the plan").
    if (ending == 's' && at(i + 1) == "of") continue;
    if (ending == 's' && isOneOf(before, singularSubjects())) return true;
    for (size_t back = 2; ending == 's' && back <= 3 && back <= i; ++back) {
      if (isOneOf(words[i - back + 1], danglingEnds())) break;
      if (isOneOf(words[i - back], determiners())) return true;
    }
    if (isOneOf(w, subjectPronouns()) || isOneOf(w, determiners())) subject = true;
  }
  return false;
}

bool hasNoElision(const std::string& text) {
  return text.find("..") == std::string::npos && text.find("\u2026") == std::string::npos;
}

bool showsTheWord(const std::string& text, const std::vector<std::string>& forms, char pos,
                  const std::vector<std::string>& otherMembers) {
  const std::vector<std::string> words = wordsOf(text);
  // A verb synset's example shows one of its verbs: "the dog chased the rabbit" is chase's
  // ("the judge tried him" is still try's).
  for (size_t i = 0; pos == 'v' && i < words.size(); ++i)
    for (const std::string& other : otherMembers)
      if (isFormOf(words[i], other) && (i == 0 || !isOneOf(words[i - 1], determiners())))
        return false;
  for (size_t i = 0; i < words.size(); ++i) {
    if (std::find(forms.begin(), forms.end(), words[i]) == forms.end()) continue;
    const std::string before = i > 0 ? words[i - 1] : "";
    // "the dog" is a noun, "to dog" or "they dog" a verb.
    const bool nounUse = isOneOf(before, determiners());
    const bool verbUse =
        before == "to" || isOneOf(before, subjectPronouns()) || isOneOf(before, auxiliaries());
    if (pos == 'v' && nounUse) continue;
    if (pos == 'n' && verbUse && before != "it") continue;
    return true;
  }
  return false;
}

}  // namespace tools
