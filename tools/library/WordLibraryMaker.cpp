#include "tools/library/WordLibraryMaker.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "platform/base/Charset.h"
#include "platform/base/Files.h"
#include "tools/TsvFile.h"
#include "tools/WordIdRecord.h"
#include "tools/library/AmericanFromBritish.h"
#include "tools/library/AmericanPronunciation.h"
#include "tools/library/BritishFromAmerican.h"
#include "tools/library/CardFitness.h"
#include "tools/library/ChineseMeanings.h"
#include "tools/library/EnglishChinese.h"
#include "tools/library/ExamBooks.h"
#include "tools/library/ExampleSentences.h"
#include "tools/library/Inflections.h"
#include "tools/library/OpenWordData.h"
#include "tools/library/Phonetics.h"
#include "tools/library/PlainText.h"
#include "tools/library/WordFilters.h"
#include "tools/library/WordNet.h"

namespace tools {
namespace {

// The tagged uses a verb needs, and half again the noun's, to go before the noun on the card.
constexpr int kVerbLeadUses = 8;

const char* posLabel(char pos) {
  switch (pos) {
    case 'n':
      return "n.";
    case 'v':
      return "v.";
    case 'a':
      return "adj.";
    case 'r':
      return "adv.";
  }
  return "";
}

char wordNetPos(const std::string& label) {
  for (char pos : kWordNetPos)
    if (label == posLabel(pos)) return pos;
  return 0;
}

bool isPlainWord(const std::string& word) {
  if (word.empty()) return false;
  for (char c : word)
    if (c < 'a' || c > 'z') return false;
  return true;
}

// "Monday", "Mr": a capital, then lower-case letters.
bool isCapitalisedWord(const std::string& word) {
  return word.size() >= 2 && word[0] >= 'A' && word[0] <= 'Z' && isPlainWord(word.substr(1));
}

std::string lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// "march" -> "March".
std::string withCapital(std::string word) {
  if (!word.empty()) word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
  return word;
}

std::string spaced(std::string lemma) {
  std::replace(lemma.begin(), lemma.end(), '_', ' ');
  return lemma;
}

// A text field of the library's files holds no TAB or line break.
std::string field(std::string text) {
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return text;
}

std::string sentence(std::string text) {
  if (text.empty()) return text;
  text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  char last = text.back();
  if (last != '.' && last != '!' && last != '?') text += '.';
  return text;
}

struct MeaningRow {
  char pos = 0;      // WordNet letter, 0 for a function word's own row
  std::string text;  // "n. 苹果；苹果树"
  std::string firstChinese;
};

struct Headword {
  int id = 0;
  std::string word;
  std::string display;
  double score = 0;
  bool function = false;
  std::vector<char> parts;  // parts of speech with senses, most used first
  std::vector<MeaningRow> meanings;
  std::string phonetics;
  std::string british;
  std::vector<std::string> exams;  // the exam lists that hold it: "zk", "cet4" ...
};

struct Band {
  int classId;
  std::string name;
  int firstBook;
  int firstRank;
  int lastRank;
  int perBook;
};

class Maker {
 public:
  Maker(const WordLibrarySources& sources, const std::string& output)
      : sources_(sources),
        output_(output),
        wordNet_(WordNet::load(sources.wordNet)),
        american_(loadPronunciations(plat::files::join(sources.wordData, "cmudict.txt")),
                  [this](const std::string& w) { return commonWords_.count(w) > 0; }),
        frequencies_(loadFrequencies(plat::files::join(sources.wordData, "frequencies.txt"))),
        exchange_(WordExchange::load(plat::files::join(sources.wordData, "exchange.txt"))),
        inflections_(
            wordNet_, exchange_,
            Inflections::Evidence{[this](const std::string& w) { return isKnown(w); },
                                  [this](const std::string& w) { return isSpelled(w); },
                                  [this](const std::string& noun, const std::string& plural) {
                                    return pluralStands(noun, plural);
                                  },
                                  [this](const std::string& w) { return listCount(w); },
                                  [this](const std::string& w) { return rank_.count(w) > 0; }}) {
    // Words met a few times in the corpus count as real; single occurrences are often typos.
    for (const auto& [word, count] : frequencies_) {
      if (count >= 3) knownWords_.insert(lowered(word));
      // Common enough to be a compound's part ("week", "end"; not "elf" in "itself").
      if (count >= 1000) commonWords_.insert(lowered(word));
      if (word != lowered(word)) capitalised_.insert(lowered(word));
      listCounts_.emplace(lowered(word), count);
    }
    readCurated();
    // The Chinese-English dictionary serves the phrases; a headword's meanings come from the
    // English-Chinese one alone.
    chinese_ = ChineseMeanings::load(plat::files::join(sources.wordData, "cedict.txt"), excluded_);
    english_ = loadEnglishChinese(plat::files::join(sources.wordData, "ecdict.txt"), kNoSenseLimit);
    mendChineseSlips();
    names_ = loadWordSet(plat::files::join(sources.wordData, "names.txt"));
  }

  WordLibraryCounts run() {
    checkEnglishFirst();
    chooseHeadwords();
    // Written aside and moved into place whole, so that a failed run leaves no folder that
    // looks up to date.
    const std::string finalFolder = output_;
    output_ += ".part";
    plat::files::remove(output_);
    std::filesystem::create_directories(output_ + "/book_words");
    writeWords();
    writeMeanings();
    writeRelated();
    writeBooks();
    plat::files::remove(finalFolder);
    std::error_code error;
    std::filesystem::rename(output_, finalFolder, error);
    if (error) throw BuildError(finalFolder + ": cannot be written: " + error.message());
    return counts_;
  }

 private:
  bool isKnown(const std::string& word) const { return knownWords_.count(word) > 0; }

  // Some source spells the word so: the subtitles, or WordNet as a lemma or irregular form.
  bool isSpelled(const std::string& word) const {
    if (listCounts_.count(word) || wordNet_.isLemma(word)) return true;
    return std::any_of(kWordNetPos.begin(), kWordNetPos.end(),
                       [&](char pos) { return !wordNet_.exceptionBases(word, pos).empty(); });
  }

  long listCount(const std::string& word) const {
    auto it = listCounts_.find(word);
    return it == listCounts_.end() ? 0L : it->second;
  }

  // Whether a noun's plural stands on its card. A noun that our own list names uncountable
  // shows none, whatever the record or WordNet's exception lists give ("equipments", "breads",
  // "macaronies" of the old sense a dandy). One that the dictionary's record gives no plural
  // ("advice", "tonight") shows one only where a second source attests it: WordNet's own texts use
  // it, or its exception lists give it
  // ("waters", "data"), or the subtitles use it at least once in a hundred uses of the noun
  // ("emails", but not "nows"). A word of its own spelt so is no such witness ("mores" is not
  // "more"'s plural).
  bool pluralStands(const std::string& noun, const std::string& plural) const {
    if (uncountable_.count(noun)) return false;
    if (!exchange_.formsOf(noun, '#').empty()) return true;
    if (wordNet_.usesInGlosses(plural) >= 2 || isIrregularFormOf(plural, noun)) return true;
    return listCount(plural) >= 3 && listCount(plural) * 100 >= listCount(noun);
  }

  std::string curated(const std::string& name) const {
    return plat::files::join(sources_.curated, name);
  }

  void readCurated() {
    TsvFile function = TsvFile::read(curated("function_words.tsv"), true);
    function.expectFields(3, 3);
    for (const TsvRecord& r : function.records()) {
      if (!isPlainWord(r.fields[0])) throw function.error(r, "headword must be lower-case letters");
      if (r.fields[2].find(". ") == std::string::npos)
        throw function.error(r, "meaning must start with its part of speech");
      functionWords_[r.fields[0]].push_back(r.fields[2]);
      if (!r.fields[1].empty()) displays_[r.fields[0]] = r.fields[1];
    }
    readFunctionEnglish();
    TsvFile overrides = TsvFile::read(curated("meaning_overrides.tsv"), true);
    overrides.expectFields(2, 2);
    for (const TsvRecord& r : overrides.records()) {
      if (r.fields[1].find(". ") == std::string::npos)
        throw overrides.error(r, "meaning must start with its part of speech");
      meaningOverrides_[r.fields[0]].push_back(r.fields[1]);
    }
    TsvFile sounds = TsvFile::read(curated("sound_overrides.tsv"), true);
    sounds.expectFields(3, 3);
    for (const TsvRecord& r : sounds.records()) {
      if (r.fields[1].empty() && r.fields[2].empty()) throw sounds.error(r, "no sound given");
      if (!soundOverrides_.emplace(r.fields[0], std::pair{r.fields[1], r.fields[2]}).second)
        throw sounds.error(r, "listed twice");
    }
    TsvFile examples = TsvFile::read(curated("examples_zh.tsv"), true);
    examples.expectFields(4, 4);
    for (const TsvRecord& r : examples.records())
      chineseExamples_[r.fields[0]].push_back({r.fields[1], r.fields[2], r.fields[3]});
    TsvFile excluded = TsvFile::read(curated("excluded_words.txt"), true);
    excluded.expectFields(1, 1);
    for (const TsvRecord& r : excluded.records()) excluded_.insert(r.fields[0]);
    TsvFile bookless = TsvFile::read(curated("bookless_words.txt"), true);
    bookless.expectFields(1, 1);
    for (const TsvRecord& r : bookless.records()) bookless_.insert(r.fields[0]);
    unbanded_ = readWordList(curated("unbanded_words.txt"));
    TsvFile first = TsvFile::read(curated("english_first.tsv"), true);
    first.expectFields(2, 2);
    for (const TsvRecord& r : first.records()) englishFirst_[r.fields[0]].push_back(r.fields[1]);
    offSynonyms_ = readWordList(curated("kept_off_synonyms.txt"));
    offSynonyms_.insert(unbanded_.begin(), unbanded_.end());
    TsvFile unfit = TsvFile::read(curated("unfit_words.txt"), true);
    unfit.expectFields(1, 1);
    for (const TsvRecord& r : unfit.records()) unfit_.insert(r.fields[0]);
    excluded_.insert(unfit_.begin(), unfit_.end());
    wordIds_ = WordIdRecord::read(curated("word_ids.tsv"));
    TsvFile bands = TsvFile::read(curated("book_bands.tsv"), true);
    bands.expectFields(6, 6);
    for (const TsvRecord& r : bands.records()) {
      Band band{bands.positiveInt(r, 0), r.fields[1],
                bands.positiveInt(r, 2), bands.positiveInt(r, 3),
                bands.positiveInt(r, 4), bands.positiveInt(r, 5)};
      if (band.lastRank < band.firstRank) throw bands.error(r, "last rank before first rank");
      headwordCount_ = std::max(headwordCount_, band.lastRank);
      bands_.push_back(band);
    }
    if (bands_.empty()) throw bands.error({}, "no book band");
    exams_ = readExamClasses(curated("exam_books.tsv"));
    added_ = readWordList(curated("added_words.txt"));
    uncountable_ = readWordList(curated("uncountable_nouns.txt"));
    TsvFile capitalised = TsvFile::read(curated("capitalised_words.txt"), true);
    capitalised.expectFields(1, 1);
    for (const TsvRecord& r : capitalised.records()) {
      if (!isCapitalisedWord(r.fields[0]))
        throw capitalised.error(r, "expected a capital and lower-case letters");
      capitalisedWords_.insert(r.fields[0]);
    }
  }

  static std::set<std::string> readWordList(const std::string& path) {
    TsvFile list = TsvFile::read(path, true);
    list.expectFields(1, 1);
    std::set<std::string> words;
    for (const TsvRecord& r : list.records()) {
      if (!isPlainWord(r.fields[0])) throw list.error(r, "headword must be lower-case letters");
      if (!words.insert(r.fields[0]).second) throw list.error(r, "listed twice");
    }
    return words;
  }

  // The dictionary's slips of the hand ("决窍" for 诀窍, "时侯" for 时候), from our own reviewed
  // list, mended in every sense that holds one.
  void mendChineseSlips() {
    TsvFile slips = TsvFile::read(curated("chinese_slips.tsv"), true);
    slips.expectFields(2, 2);
    for (const TsvRecord& r : slips.records())
      if (r.fields[0].empty() || r.fields[0] == r.fields[1])
        throw slips.error(r, "expected a slip and the word it stands for");
    for (auto& [word, translated] : english_)
      for (TranslatedPart& part : translated.parts) {
        std::vector<std::string> mended;
        for (std::string sense : part.senses) {
          for (const TsvRecord& r : slips.records())
            for (size_t at = sense.find(r.fields[0]); at != std::string::npos;
                 at = sense.find(r.fields[0], at + r.fields[1].size()))
              sense.replace(at, r.fields[0].size(), r.fields[1]);
          // "侍侯" mended may stand twice in a line that had "侍候" too.
          if (std::find(mended.begin(), mended.end(), sense) == mended.end())
            mended.push_back(sense);
        }
        part.senses = std::move(mended);
      }
  }

  // WordNet knows no function word, so their English meanings are our own: each under one of the
  // word's parts of speech, and none missing, so that no card of the commonest words goes without.
  void readFunctionEnglish() {
    TsvFile english = TsvFile::read(curated("function_words_en.tsv"), true);
    english.expectFields(3, 3);
    for (const TsvRecord& r : english.records()) {
      auto meanings = functionWords_.find(r.fields[0]);
      if (meanings == functionWords_.end())
        throw english.error(r, "\"" + r.fields[0] + "\" is not in function_words.tsv");
      bool known = false;
      for (const std::string& text : meanings->second)
        known = known || text.rfind(r.fields[1] + " ", 0) == 0;
      if (!known)
        throw english.error(
            r, "\"" + r.fields[0] + "\" has no " + r.fields[1] + " meaning in function_words.tsv");
      functionEnglish_[r.fields[0]].push_back(r.fields[1] + " " + r.fields[2]);
    }
    for (const auto& entry : functionWords_)
      if (!functionEnglish_.count(entry.first))
        throw english.error({}, "\"" + entry.first + "\" has no English meaning");
  }

  // ---- Choosing the headwords

  // Counts of every base form: an inflected word counts for its base forms; a word that is a base
  // form itself and an inflection of another ("found", "left") keeps a part of its count.
  std::unordered_map<std::string, double> baseFormCounts() const {
    std::unordered_map<std::string, double> counts;
    for (const auto& [original, rawCount] : frequencies_) {
      std::string word = lowered(original);
      if (!isPlainWord(word) || isPieceBeforeNot(word)) continue;
      // The list writes a word capitalised when it mostly begins a sentence ("However", "Come")
      // or when it is a name. A word that is also a verb, adjective or adverb is taken whole; a
      // noun counts a third ("Dad"), unless WordNet knows it mostly as a name ("John"); the
      // names that WordNet knows as common nouns ("jenny") stand in excluded_words.txt.
      double count = static_cast<double>(rawCount);
      if (word != original && !functionWords_.count(word)) {
        bool other = false;
        for (char pos : {'v', 'a', 'r'}) other = other || !wordNet_.senses(word, pos).empty();
        if (!other) {
          if (wordNet_.senses(word, 'n').empty() || mostlyProper(word)) continue;
          count /= 3;
        }
      }
      const bool base = wordNet_.isLemma(word) || functionWords_.count(word);
      // A word of our own list counts for itself alone ("goods" is not "good").
      std::vector<std::string> bases = functionWords_.count(word) || added_.count(word)
                                           ? std::vector<std::string>{}
                                           : inflectionBases(word);
      if (added_.count(word)) {
        counts[word] += count;
        continue;
      }
      if (bases.empty()) {
        if (base) counts[word] += count;
        continue;
      }
      // A lemma keeps at least a part of its count, and as much as WordNet's tagged texts use
      // it more than its bases: "number" is rarely the comparative of "numb", nor "matter" of
      // "matte".
      double own = base ? 0.3 : 0.0;
      if (base) {
        int baseUses = 0;
        for (const std::string& b : bases) baseUses += tagCount(b);
        const int ownUses = tagCount(word);
        if (ownUses > 0) own = std::max(own, static_cast<double>(ownUses) / (ownUses + baseUses));
      }
      if (base) counts[word] += count * own;
      for (const std::string& b : bases) counts[b] += count * (1 - own) / bases.size();
    }
    return counts;
  }

  int tagCount(const std::string& lemma) const {
    int total = 0;
    for (char pos : kWordNetPos) total += wordNet_.tagCount(lemma, pos);
    return total;
  }

  // The base forms that `word` is an inflection of. A noun that only looks like a verb's third
  // person ("scissors" beside the verb "scissor") is a word of its own.
  std::vector<std::string> inflectionBases(const std::string& word) const {
    std::vector<std::string> bases = inflections_.baseForms(word);
    if (word.back() == 's' && !wordNet_.senses(word, 'n').empty())
      bases.erase(std::remove_if(bases.begin(), bases.end(),
                                 [&](const std::string& base) {
                                   return wordNet_.senses(base, 'n').empty() &&
                                          !isIrregularFormOf(word, base);
                                 }),
                  bases.end());
    return bases;
  }

  // A lemma spelt as a regular inflection of another ("running", "agreed") is a headword of its
  // own only when it is used much on its own ("evening", "feeling", "interesting"); an irregular
  // form ("made") only when used more still ("left", "thought"). Otherwise a learner's text
  // would yield it where the base form belongs.
  // An exam list's word passes at half the share: the list says it is learnt as a word.
  bool isMainlyAnInflection(const std::string& word, double share = 0.2, int slack = 1) const {
    auto ends = [&](const char* suffix) {
      size_t n = std::char_traits<char>::length(suffix);
      return word.size() > n && word.compare(word.size() - n, n, suffix) == 0;
    };
    for (const std::string& base : inflectionBases(word)) {
      if (isIrregularFormOf(word, base)) {
        if (tagCount(word) < 0.05 * tagCount(base) + 1) return true;
        continue;
      }
      if (!ends("s") && !ends("ed") && !ends("ing")) continue;
      // A verb whose past the exception lists give has no regular one ("seed" is no past of
      // "see").
      if (ends("ed") && !wordNet_.exceptionForms(base, 'v').empty()) continue;
      // "-ing" makes a form of the verb: the base's other uses ("even" as an adverb beside
      // "evening", "interest" as a noun beside "interesting") make no inflection of it.
      const int baseUse = ends("ing") ? wordNet_.tagCount(base, 'v') : tagCount(base);
      if (tagCount(word) < share * baseUse + slack) return true;
    }
    return false;
  }

  bool isIrregularFormOf(const std::string& word, const std::string& base) const {
    for (char pos : kWordNetPos) {
      std::vector<std::string> bases = wordNet_.exceptionBases(word, pos);
      if (std::find(bases.begin(), bases.end(), base) != bases.end()) return true;
    }
    return false;
  }

  // More of the lemma's noun senses are written capitalised (names) than not.
  bool mostlyProper(const std::string& lemma) const {
    int proper = 0, common = 0;
    for (uint32_t offset : wordNet_.senses(lemma, 'n'))
      for (const std::string& w : wordNet_.synset('n', offset)->words)
        if (lowered(w) == lemma) (w == lemma ? common : proper)++;
    return proper > common;
  }

  // "august" (威严的): the exam lists' and the subtitles' word of these letters is the month, our
  // own headword "August". A lower-case word used as a verb, adjective or adverb in WordNet's
  // tagged texts ("march"), a function word ("may") or a word whose nouns are mostly common
  // ones ("turkey" 火鸡 beside Turkey) keeps them.
  bool onlyItsCapitalIsCommon(const std::string& word) const {
    if (word.empty() || !std::islower(static_cast<unsigned char>(word[0])) ||
        functionWords_.count(word))
      return false;
    if (!capitalisedWords_.count(withCapital(word))) return false;
    if (!wordNet_.senses(word, 'n').empty() && !mostlyProper(word)) return false;
    return std::none_of(kWordNetPos.begin() + 1, kWordNetPos.end(),
                        [&](char pos) { return wordNet_.tagCount(word, pos) >= 3; });
  }

  // Whether the dictionary's line of `word` ("North", "God") is the lower-case word's, which our
  // own meanings give: the two make one word, which a book holds in lower case.
  bool isCapitalOfALowerCaseWord(const std::string& word) const {
    if (!isCapitalisedWord(word) || capitalisedWords_.count(word)) return false;
    auto line = english_.find(word);
    auto own = meaningOverrides_.find(lowered(word));
    if (line == english_.end() || own == meaningOverrides_.end() || english_.count(lowered(word)) ||
        line->second.parts.empty() || line->second.parts.front().senses.empty())
      return false;
    return isTheLowerCaseWordsLine(line->second.parts.front().senses.front(), own->second);
  }

  // The dictionary's line "Polish" mixes in the verb polish, and "Titanic" is the adjective
  // titanic: its exam tags are the lower-case word's. Where our own meanings part the two
  // headwords and the line has a part of speech that only the lower-case one's meanings have,
  // the tags go to the lower-case one.
  void tagsOfAMixedLine(Headword& h) const {
    const std::string capital = withCapital(h.word);
    const std::string lower = lowered(h.word);
    if (capital == lower || !meaningOverrides_.count(capital) || !meaningOverrides_.count(lower))
      return;
    auto line = english_.find(capital);
    if (line == english_.end() || english_.count(lower)) return;
    auto hasPart = [&](const std::string& word, char pos) {
      const std::vector<std::string>& own = meaningOverrides_.at(word);
      return std::any_of(own.begin(), own.end(), [&](const std::string& meaning) {
        return wordNetPos(meaning.substr(0, meaning.find(' '))) == pos;
      });
    };
    const bool mixed =
        std::any_of(line->second.parts.begin(), line->second.parts.end(), [&](const auto& p) {
          const char pos = wordNetPos(p.label);
          return pos && hasPart(lower, pos) && !hasPart(capital, pos);
        });
    if (!mixed) return;
    if (h.word == capital) h.exams.clear();
    if (h.word == lower) h.exams = line->second.exams;
  }

  // A first name that the subtitles write capitalised ("Harry", "Nick") counts there as a name,
  // whatever the English-Chinese dictionary says it also means, and takes no place in the
  // frequency books; one that the school exams' lists hold ("mark", "bill", "west") is a word a
  // learner meets as a word.
  bool isLikelyName(const Headword& h) const {
    if (h.function || !capitalised_.count(h.word) || !names_.count(h.word)) return false;
    return std::none_of(h.exams.begin(), h.exams.end(), [](const std::string& exam) {
      return exam == "zk" || exam == "gk" || exam == "cet4";
    });
  }

  bool isProperNoun(const std::string& lemma) const {
    for (int p = 0; p < 4; ++p)
      for (uint32_t offset : wordNet_.senses(lemma, kWordNetPos[p])) {
        const Synset* s = wordNet_.synset(kWordNetPos[p], offset);
        for (const std::string& w : s->words)
          if (w == lemma) return false;
      }
    return true;
  }

  // Parts of speech worth showing: the most used one, and others met in the tagged texts
  // ("be" is a verb; its noun, the element beryllium, is left out).
  std::vector<char> partsOf(const std::string& lemma) const {
    std::vector<char> parts = allPartsOf(lemma);
    if (parts.size() > 1)
      parts.erase(std::remove_if(parts.begin() + 1, parts.end(),
                                 [&](char pos) { return wordNet_.tagCount(lemma, pos) == 0; }),
                  parts.end());
    return parts;
  }

  // Parts of speech whose inflections the card lists: the main one, others used often ("rights"
  // for right, but no "heres" for the rare noun here) and that of the card's first meaning
  // ("ferry" 渡船, whose noun the tagged texts hardly meet). A part whose senses are all a
  // name's is none of the word's: "More" the statesman gives more no plural.
  std::vector<char> formParts(const Headword& h) const {
    std::vector<char> parts;
    auto add = [&](char pos) {
      if (std::find(parts.begin(), parts.end(), pos) != parts.end() || !hasOwnSense(h.word, pos))
        return;
      parts.push_back(pos);
    };
    for (char pos : h.parts)
      if (parts.empty() || wordNet_.tagCount(h.word, pos) >= 3) add(pos);
    if (!h.meanings.empty() && h.meanings.front().pos) add(h.meanings.front().pos);
    return parts;
  }

  // Whether WordNet knows the word itself in that part of speech, spelt as the headword is,
  // and not only as a name ("More") or a phrase.
  bool hasOwnSense(const std::string& word, char pos) const {
    for (uint32_t offset : wordNet_.senses(word, pos)) {
      const Synset* synset = wordNet_.synset(pos, offset);
      if (synset &&
          std::find(synset->words.begin(), synset->words.end(), word) != synset->words.end())
        return true;
    }
    return false;
  }

  std::vector<char> allPartsOf(const std::string& lemma) const {
    std::vector<char> parts;
    for (char pos : kWordNetPos)
      if (!wordNet_.senses(lemma, pos).empty()) parts.push_back(pos);
    std::stable_sort(parts.begin(), parts.end(), [&](char a, char b) {
      int ta = wordNet_.tagCount(lemma, a), tb = wordNet_.tagCount(lemma, b);
      if (ta != tb) return ta > tb;
      return wordNet_.senses(lemma, a).size() > wordNet_.senses(lemma, b).size();
    });
    return parts;
  }

  bool fill(Headword& h) const {
    const std::string lower = lowered(h.word);
    auto translated = english_.find(h.word);
    // "March", "May": the dictionary has only the lower-case word; its exams are the month's too.
    auto sameLetters = translated == english_.end() ? english_.find(lower) : translated;
    if (sameLetters != english_.end()) h.exams = sameLetters->second.exams;
    // "I", "OK", "TV": the exam lists' words in capitals are the lower-case headwords'.
    if (isPlainWord(h.word)) {
      std::string upper = h.word;
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      auto capitals = english_.find(upper);
      if (capitals != english_.end())
        h.exams.insert(h.exams.end(), capitals->second.exams.begin(), capitals->second.exams.end());
    }
    if (onlyItsCapitalIsCommon(h.word)) h.exams.clear();
    tagsOfAMixedLine(h);
    // "North" 北方 is the dictionary's line of north: its exams are the lower-case word's.
    if (isCapitalOfALowerCaseWord(h.word) || bookless_.count(h.word)) h.exams.clear();
    if (translated == english_.end() && isCapitalOfALowerCaseWord(withCapital(h.word)))
      h.exams = english_.at(withCapital(h.word)).exams;
    auto display = displays_.find(h.word);
    if (display != displays_.end()) h.display = display->second;
    h.parts = partsOf(h.word);
    auto function = functionWords_.find(h.word);
    if (function == functionWords_.end()) function = meaningOverrides_.find(h.word);
    if (function != functionWords_.end() && function != meaningOverrides_.end()) {
      h.function = functionWords_.count(h.word) > 0;
      for (const std::string& text : function->second) {
        std::string first = text.substr(text.find(' ') + 1);
        first = first.substr(0, first.find("；"));
        // A reviewed row's part of speech chooses its sound and examples ("desert" the noun).
        const char pos = h.function ? 0 : wordNetPos(text.substr(0, text.find(' ')));
        h.meanings.push_back({pos, text, first});
      }
      fillSounds(h);
      takeReviewedSounds(h);
      return true;
    }
    // The English-Chinese dictionary gives the meanings. A word it does not know, or knows only in
    // a subject field, is no headword: a meaning guessed by reverse lookup in the Chinese-English
    // dictionary was too often wrong ("ok" 罚金, "teen" 愤怒).
    if (translated != english_.end()) translate(h, translated->second);
    fillSounds(h);
    // A noun put before its verb ("transport", "address") keeps the verb's sounds where the
    // dictionary's British stresses only the verb.
    for (size_t m = 1; m < h.meanings.size() && h.british.empty() && !h.phonetics.empty(); ++m) {
      Headword other = h;
      fillSounds(other, h.meanings[m].pos);
      if (!other.british.empty()) h = std::move(other);
    }
    takeReviewedSounds(h);
    return !h.meanings.empty();
  }

  // An s before f begins a syllable only in the Greek "sph" ("atmosphere" ˈætməˌsfɪr); elsewhere
  // it closes the syllable before ("satisfy" ˈsætəsˌfaɪ, "transfer" trænsˈfɝ).
  static std::string sOnlyBeginsSphere(const std::string& word, std::string ipa) {
    if (word.find("sph") != std::string::npos) return ipa;
    for (const std::string mark : {"ˈ", "ˌ"})
      for (size_t at = ipa.find(mark + "sf", 1); at != std::string::npos;
           at = ipa.find(mark + "sf", at + 1))
        ipa.replace(at, mark.size() + 1, "s" + mark);
    return ipa;
  }

  // Our own reviewed sounds stand where the open data say a word wrongly.
  void takeReviewedSounds(Headword& h) const {
    auto reviewed = soundOverrides_.find(h.word);
    if (reviewed == soundOverrides_.end()) return;
    if (!reviewed->second.first.empty()) h.phonetics = reviewed->second.first;
    if (!reviewed->second.second.empty()) h.british = reviewed->second.second;
  }

  // The sounds of the part of speech of the first meaning ("read" as a verb, "live" as the
  // adjective where that comes first), or of `pos`.
  void fillSounds(Headword& h, char pos = 0) const {
    if (!pos) pos = h.meanings.empty() ? 0 : h.meanings.front().pos;
    // "Monday" sounds as the pronouncing dictionary's "monday", "March" as "march".
    const std::string word = lowered(h.word);
    auto translated = english_.find(h.word);
    if (translated == english_.end()) translated = english_.find(word);
    const std::vector<std::string> none;
    const std::vector<std::string>& british =
        translated == english_.end() ? none : translated->second.phonetics;
    const std::string phonemes =
        american_.phonemes(word, pos, std::string(h.parts.begin(), h.parts.end()), british);
    std::optional<std::vector<Phone>> phones;
    if (!phonemes.empty()) phones = arpabetPhones(phonemes, american_.joins(word, phonemes));
    if (!phones) {
      // The card shows no British alone: the American is made from it where the accents map
      // one to one.
      h.british = british.empty() ? "" : british.front();
      h.phonetics = americanFromBritish(word, h.british);
      return;
    }
    if (pos == 'v' && !british.empty() && !american_.stressVaries(word))
      phones = withBritishStress(*phones, british.front());
    h.phonetics = sOnlyBeginsSphere(word, withStressMarks(*phones));
    // A lower-case homograph's British is another word's where it stresses otherwise: "August"
    // the month is not the adjective ɔːˈɡʌst.
    const bool borrowed = translated != english_.end() && translated->first != h.word;
    std::vector<std::string> sameStress;
    for (const std::string& b : british)
      if (!borrowed || britishAgreesWith(b, *phones, true)) sameStress.push_back(b);
    h.british = britishFor(word, sameStress, *phones, american_.stressVaries(word));
  }

  // One row a part of speech, at most three. The dictionary's first line and every noun line of a
  // word WordNet knows as a noun stay ("telescope" 望远镜 beside the verb 叠缩; not "neat" 牛); a
  // verb, adjective or adverb line stays when
  // WordNet's tagged texts use the word so, or, for a word they never meet, when WordNet knows
  // that part ("get" as a noun is a rare one). The rows follow the tagged texts' use ("still"
  // the adverb, "sick" the adjective), but a verb goes before a noun only where the texts use it
  // clearly more ("run", "thank"): they meet the nouns of things less than a learner does
  // ("train" 火车, "nurse" 护士 before their verbs).
  void translate(Headword& h, const TranslatedWord& word) const {
    const bool tagged = std::any_of(h.parts.begin(), h.parts.end(),
                                    [&](char pos) { return wordNet_.tagCount(h.word, pos) > 0; });
    auto rank = [&](const TranslatedPart& p) {
      return std::find(h.parts.begin(), h.parts.end(), wordNetPos(p.label)) - h.parts.begin();
    };
    std::vector<TranslatedPart> parts;
    for (size_t i = 0; i < word.parts.size(); ++i) {
      const TranslatedPart& p = word.parts[i];
      const char pos = wordNetPos(p.label);
      const bool known = tagged ? rank(p) < static_cast<long>(h.parts.size())
                                : !wordNet_.senses(h.word, pos).empty();
      const bool aNoun = pos == 'n' && !wordNet_.senses(lowered(h.word), 'n').empty();
      if (!pos || i == 0 || aNoun || known) parts.push_back(p);
    }
    // The dictionary's first line stays so that nothing is lost; a noun line there for a word
    // WordNet knows no noun of that only restates the adjective ("own" n. 自己的 beside adj.
    // 自己的) adds nothing to the card.
    auto restates = [&](const TranslatedPart& noun) {
      return std::all_of(noun.senses.begin(), noun.senses.end(), [&](const std::string& sense) {
        return std::any_of(parts.begin(), parts.end(), [&](const TranslatedPart& other) {
          return wordNetPos(other.label) == 'a' &&
                 std::any_of(other.senses.begin(), other.senses.end(),
                             [&](const std::string& s) { return s == sense || s == sense + "的"; });
        });
      });
    };
    if (parts.size() > 1 && wordNetPos(parts.front().label) == 'n' &&
        wordNet_.senses(lowered(h.word), 'n').empty() && restates(parts.front()))
      parts.erase(parts.begin());
    if (tagged) {
      std::stable_sort(
          parts.begin(), parts.end(),
          [&](const TranslatedPart& a, const TranslatedPart& b) { return rank(a) < rank(b); });
      auto isPart = [](char pos) {
        return [pos](const TranslatedPart& p) { return wordNetPos(p.label) == pos; };
      };
      auto verb = std::find_if(parts.begin(), parts.end(), isPart('v'));
      auto noun = std::find_if(parts.begin(), parts.end(), isPart('n'));
      if (verb < noun && noun != parts.end()) {
        const int verbUses = wordNet_.tagCount(h.word, 'v');
        const int nounUses = wordNet_.tagCount(h.word, 'n');
        if (verbUses < kVerbLeadUses || verbUses * 2 < nounUses * 3)
          std::rotate(verb, noun, noun + 1);
      }
    }
    std::vector<MeaningRow> rows;
    for (const TranslatedPart& p : parts) {
      if (rows.size() >= 3) break;
      std::string text = p.label + " ";
      for (size_t i = 0; i < p.senses.size(); ++i) text += (i ? "；" : "") + p.senses[i];
      rows.push_back({wordNetPos(p.label), text, p.senses.front()});
    }
    if (!rows.empty()) h.meanings = std::move(rows);
  }

  // Film subtitles under-count the words of writing and of the classroom ("rural", "width",
  // "output"): a word that the dictionary's corpora rank r counts as much as the base form
  // ranked r among the subtitles', or just less, so that the subtitles' order decides a tie.
  void addCorpusRanks(std::unordered_map<std::string, double>& counts) const {
    std::vector<double> byRank;
    for (const auto& [word, count] : counts) byRank.push_back(count);
    std::sort(byRank.begin(), byRank.end(), std::greater<>());
    for (const auto& [word, translated] : english_) {
      const size_t rank = static_cast<size_t>(translated.corpusRank);
      if (rank == 0 || rank > byRank.size() || !isPlainWord(word)) continue;
      // The corpora's ranks are of lower-cased words: a word that the subtitles write
      // capitalised is most often a name ("bobby", "terry"). Inflected forms ("made", "existing")
      // are no headwords of their own there either.
      if (!functionWords_.count(word) && !added_.count(word) &&
          (!wordNet_.isLemma(word) || capitalised_.count(word) || mostlyProper(word) ||
           isMainlyAnInflection(word)))
        continue;
      double& count = counts[word];
      count = std::max(count, std::nextafter(byRank[rank - 1], 0.0));
    }
  }

  // Words written with a capital: the exam lists' days, months, languages and peoples where the
  // dictionary has no lower-case word of the same letters ("Monday", "English"; not "Pole"
  // beside "pole"), and our own list ("Mr", "March"). Each counts what the subtitles count it,
  // a third of that when they write it in lower case ("march" is mostly the verb).
  void addCapitalisedWords(std::unordered_map<std::string, double>& counts) const {
    auto count = [&](const std::string& word) {
      auto it = listCounts_.find(lowered(word));
      if (it == listCounts_.end()) return 0.0;
      return static_cast<double>(it->second) / (capitalised_.count(lowered(word)) ? 1 : 3);
    };
    for (const auto& [word, translated] : english_)
      if (isCapitalisedWord(word) && !translated.exams.empty() && !english_.count(lowered(word)) &&
          !excluded_.count(word) && !isCapitalOfALowerCaseWord(word))
        counts[word] = count(word);
    for (const std::string& word : capitalisedWords_) counts[word] = count(word);
  }

  // Whether a word may stand in a book at all. An exam list's word with a meaning of its own may
  // ("meeting", "boring", "hey", "antarctic"); a frequent word only when WordNet knows it as a
  // common word. Neither when it is mostly an inflection that a text rather yields as its base.
  bool isBookWord(const std::string& word, bool examWord) const {
    if (functionWords_.count(word) || isCapitalisedWord(word)) return true;
    if (word.size() < 2 || !isPlainWord(word) || excluded_.count(word) ||
        isOffensive(wordNet_, word))
      return false;
    // A reviewed meaning makes a word of its own ("interested"), and so does our own list.
    if (meaningOverrides_.count(word) || added_.count(word)) return true;
    if (!examWord) return !isProperNoun(word) && !isMainlyAnInflection(word);
    // "children" 孩子们（child的复数）, "running": a text yields them as their base form.
    auto translated = english_.find(word);
    return (translated == english_.end() || translated->second.formOf.empty()) &&
           !isMainlyAnInflection(word, 0.1, 0);
  }

  // Every Chinese sense the dictionary gives a word, of all its parts of speech.
  std::set<std::string> allSenses(const std::string& word) const {
    std::set<std::string> senses;
    auto it = english_.find(word);
    if (it != english_.end())
      for (const TranslatedPart& part : it->second.parts)
        senses.insert(part.senses.begin(), part.senses.end());
    return senses;
  }

  // "better" for "good", "data" for "datum"; not "bigger", which WordNet's exception lists hold
  // for its doubled letter.
  bool isIrregularSpelling(const std::string& form, const std::string& base) const {
    return isIrregularFormOf(form, base) && form.rfind(base.substr(0, base.size() - 1), 0) != 0;
  }

  // A regular plural, comparative or superlative of `base` that means nothing more than it does:
  // the dictionary gives it no meaning of its own, names it the base's form in its first line
  // ("words" 话语；字（word的复数）), or its first sense holds one of the base's or is held in one
  // ("eggs" 鸡蛋 beside "egg" 蛋, "bigger" 更大的). Not "clothes" 衣服 beside "cloth" 布料, nor
  // an irregular form ("better", "data"), nor one the subtitles use far more ("jeans").
  std::vector<std::string> doubleForms(const std::string& base) const {
    if (!isPlainWord(base) || functionWords_.count(base)) return {};
    const std::set<std::string> baseSenses = allSenses(base);
    auto sameMeaning = [&](const std::string& form) {
      auto translated = english_.find(form);
      if (translated == english_.end() || translated->second.parts.empty()) return true;
      if (translated->second.formOf == base) return true;
      const std::string& first = translated->second.parts.front().senses.front();
      return std::any_of(baseSenses.begin(), baseSenses.end(), [&](const std::string& sense) {
        return first.find(sense) != std::string::npos || sense.find(first) != std::string::npos;
      });
    };
    std::vector<std::string> doubles;
    for (const auto& [pos, marker] : {std::pair{'n', '#'}, {'a', '&'}, {'a', '*'}})
      for (const std::string& form : inflections_.formsOf(base, pos, marker))
        if (form != base && !functionWords_.count(form) && !added_.count(form) &&
            !isIrregularSpelling(form, base) && sharesItsStem(form, base) &&
            listCount(form) <= 3 * listCount(base) && sameMeaning(form))
          doubles.push_back(form);
    return doubles;
  }

  // A regular form begins as its base does ("bigger", "eggs"); "more" is no double of "many".
  static bool sharesItsStem(const std::string& form, const std::string& base) {
    return form.compare(0, base.size() - 1, base, 0, base.size() - 1) == 0;
  }

  // The other spelling of a British/American pair, where the dictionary gives the two a sense in
  // common ("colour" and "color"; not "prise" beside "prize").
  std::vector<std::string> otherSpellings(const std::string& word) const {
    if (!isPlainWord(word) || functionWords_.count(word)) return {};
    const std::set<std::string> senses = allSenses(word);
    std::vector<std::string> found;
    for (const std::string& other : spellingVariants(word)) {
      if (functionWords_.count(other)) continue;
      const std::set<std::string> others = allSenses(other);
      if (std::any_of(others.begin(), others.end(),
                      [&](const std::string& sense) { return senses.count(sense) > 0; }) ||
          shareFirstSense(wordNet_, word, other))
        found.push_back(other);
    }
    return found;
  }

  void chooseHeadwords() {
    std::unordered_map<std::string, double> counts = baseFormCounts();
    addCorpusRanks(counts);
    addCapitalisedWords(counts);
    std::vector<std::pair<std::string, double>> ranked(counts.begin(), counts.end());
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
      return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    // The frequency books hold each word once: a plural or comparative that adds no meaning goes
    // where its base form comes, earlier or later, and of two spellings the more frequent stays.
    std::unordered_set<std::string> chosen, doubles;
    for (const auto& [word, score] : ranked) {
      if (static_cast<int>(headwords_.size()) >= headwordCount_) break;
      if (!isBookWord(word, false) || doubles.count(word) || onlyItsCapitalIsCommon(word) ||
          bookless_.count(word) || unbanded_.count(word))
        continue;
      Headword h;
      h.word = word;
      h.score = score;
      if (!fill(h) || isLikelyName(h)) continue;
      for (const std::string& form : doubleForms(word)) {
        doubles.insert(form);
        if (chosen.erase(form))
          headwords_.erase(std::find_if(headwords_.begin(), headwords_.end(),
                                        [&](const Headword& other) { return other.word == form; }));
      }
      for (const std::string& other : otherSpellings(word)) doubles.insert(other);
      chosen.insert(word);
      headwords_.push_back(std::move(h));
    }
    if (static_cast<int>(headwords_.size()) < headwordCount_)
      throw BuildError("the word data yield " + std::to_string(headwords_.size()) +
                       " headwords with a Chinese meaning; the books need " +
                       std::to_string(headwordCount_));
    for (size_t i = 0; i < headwords_.size(); ++i)
      rank_[headwords_[i].word] = static_cast<int>(i) + 1;
    addLibraryWords(counts);
    std::vector<std::string> words;
    for (const Headword& h : headwords_) words.push_back(h.word);
    std::vector<int> ids = assignWordIds(wordIds_, words);
    for (size_t i = 0; i < headwords_.size(); ++i) {
      headwords_[i].id = ids[i];
      if (!wordIds_.idOf(headwords_[i].word)) counts_.newWords++;
    }
    showOtherSpellings();
  }

  // Words the library holds beyond the frequency books, in order of frequency and in no
  // frequency book: every recorded word, so that a learner's study data keep their words (one
  // excluded since, or one that is no single word, "comic_strip", is left out and its id stays
  // unused), every word of an exam list, for the exam books, our own words with a capital and
  // the words kept out of the frequency books.
  void addLibraryWords(const std::unordered_map<std::string, double>& counts) {
    auto count = [&](const std::string& word) {
      auto it = counts.find(word);
      if (it != counts.end()) return it->second;
      auto translated = english_.find(word);
      // Below every counted word, in the order of the dictionary's corpora.
      const int rank = translated == english_.end() ? 0 : translated->second.corpusRank;
      return rank > 0 ? -static_cast<double>(rank) : -1e9;
    };
    std::set<std::string> recorded, wanted;
    for (const auto& [word, id] : wordIds_.ids())
      if (!rank_.count(word) && (isPlainWord(word) || isCapitalisedWord(word)) &&
          !excluded_.count(word))
        recorded.insert(word);
    for (const auto& [word, translated] : english_)
      if (!translated.exams.empty() && !rank_.count(word) && !recorded.count(word) &&
          (isPlainWord(word) || counts.count(word)) && isBookWord(word, true))
        wanted.insert(word);
    for (const std::string& word : capitalisedWords_)
      if (!rank_.count(word) && !recorded.count(word)) wanted.insert(word);
    for (const std::set<std::string>* own : {&added_, &unbanded_})
      for (const std::string& word : *own)
        if (!rank_.count(word) && !recorded.count(word) && !excluded_.count(word))
          wanted.insert(word);
    std::vector<std::string> missing(recorded.begin(), recorded.end());
    missing.insert(missing.end(), wanted.begin(), wanted.end());
    std::sort(missing.begin(), missing.end(), [&](const std::string& a, const std::string& b) {
      return count(a) != count(b) ? count(a) > count(b) : a < b;
    });
    for (const std::string& word : missing) {
      Headword h;
      h.word = word;
      h.score = count(word);
      if (!fill(h)) {
        if (!recorded.count(word)) continue;
        throw BuildError("\"" + word +
                         "\" of word_ids.tsv has no Chinese meaning in the word data: give it "
                         "one in meaning_overrides.tsv, or leave it out in excluded_words.txt");
      }
      rank_[word] = static_cast<int>(headwords_.size()) + 1;
      headwords_.push_back(std::move(h));
    }
  }

  // A word of a British/American pair shows the other spelling beside it: "colour (color)".
  void showOtherSpellings() {
    for (Headword& h : headwords_) {
      if (!h.display.empty()) continue;
      for (const std::string& other : otherSpellings(h.word))
        if (rank_.count(other)) {
          h.display = h.word + " (" + other + ")";
          break;
        }
    }
  }

  // ---- Writing the folder

  std::ofstream open(const std::string& name, const std::string& header) {
    std::ofstream out(plat::files::join(output_, name), std::ios::binary | std::ios::trunc);
    if (!out) throw BuildError(plat::files::join(output_, name) + ": cannot be written");
    out << "# " << header << "\n";
    return out;
  }

  void writeWords() {
    std::ofstream out = open(
        "words.tsv", "word_id, headword, US, UK, display form, editor (in order of frequency)");
    for (size_t i = 0; i < headwords_.size(); ++i) {
      const Headword& h = headwords_[i];
      out << h.id << '\t' << h.word << '\t' << h.phonetics << '\t' << h.british << '\t' << h.display
          << "\t\n";
      counts_.words++;
      if (!h.phonetics.empty()) counts_.withPhonetics++;
    }
    if (counts_.newWords == 0) return;
    std::ofstream added = open(
        "new_word_ids.tsv", "word_id, headword: words not yet in word_ids.tsv, to be added there");
    for (const Headword& h : headwords_)
      if (!wordIds_.idOf(h.word)) added << h.id << '\t' << h.word << '\n';
  }

  void writeMeanings() {
    std::ofstream ch = open("meanings_ch.tsv", "headword, meaning number, Chinese meaning");
    std::ofstream ex = open("examples.tsv", "headword, meaning number, sentence, translation");
    std::ofstream en = open("meanings_en.tsv", "headword, English meanings");
    std::ofstream tr = open("transforms.tsv", "headword, inflected forms");
    for (const Headword& h : headwords_) {
      for (size_t m = 0; m < h.meanings.size(); ++m) {
        ch << h.word << '\t' << m + 1 << '\t' << field(h.meanings[m].text) << '\n';
        counts_.meanings++;
      }
      writeExamples(ex, h);
      if (h.function) {
        std::string english;
        for (const std::string& line : functionEnglish_.at(h.word))
          english += (english.empty() ? "" : "\\n") + field(line);
        en << h.word << '\t' << english << '\n';
        continue;
      }
      std::string english;
      for (const auto& [pos, offset] : shownSenses(h))
        english += (english.empty() ? "" : "\\n") + std::string(posLabel(pos)) + " " +
                   field(wordtext::plainGloss(wordNet_.synset(pos, offset)->definition));
      if (!english.empty()) en << h.word << '\t' << english << '\n';
      std::string forms = inflections_.formsText(h.word, formParts(h));
      if (!forms.empty()) tr << h.word << '\t' << forms << '\n';
    }
  }

  using Sense = std::pair<char, uint32_t>;  // part of speech, synset offset

  // The senses the card's English meaning shows, in its order: those of the Chinese rows' parts
  // of speech first ("desert" the noun), then the other parts used; two a part, four in all.
  // The synonyms come from these alone, so that none stands for a sense the card does not show.
  std::vector<Sense> shownSenses(const Headword& h) const {
    std::vector<char> order;
    for (const MeaningRow& row : h.meanings)
      if (row.pos && std::find(order.begin(), order.end(), row.pos) == order.end())
        order.push_back(row.pos);
    for (char pos : h.parts)
      if (std::find(order.begin(), order.end(), pos) == order.end()) order.push_back(pos);
    // WordNet's sets of the numbers hold "trio", "leash" and "fin" (five dollars) beside "three"
    // and "five": the number itself shows on the card of a number alone.
    const bool aNumber =
        std::any_of(h.meanings.begin(), h.meanings.end(),
                    [](const MeaningRow& row) { return row.text.rfind("num. ", 0) == 0; });
    std::vector<Sense> shown;
    for (char pos : order) {
      int taken = 0;
      for (uint32_t offset : sensesInCardOrder(h.word, pos)) {
        if (taken >= 2 || shown.size() >= 4) break;
        if (!isOwnSense(pos, offset, h.word)) continue;
        const std::string& definition = wordNet_.synset(pos, offset)->definition;
        if (!aNumber && definition.rfind("the cardinal number", 0) == 0) continue;
        // Drug dealers' names for their wares ("rope", "acid", "deck") are no sense a card
        // teaches, unless they are the word's first ("dope").
        if (definition.rfind("street name", 0) == 0 &&
            offset != wordNet_.senses(h.word, pos).front())
          continue;
        shown.push_back({pos, offset});
        ++taken;
      }
    }
    return shown;
  }

  // A word's senses in WordNet's order, but those our own list puts first ahead of the others,
  // in its order: WordNet leads with a sense a learner rarely meets where its tagged texts met
  // none (fig the figure of a book, medic a herb, chopper a ball that bounces).
  std::vector<uint32_t> sensesInCardOrder(const std::string& word, char pos) const {
    std::vector<uint32_t> senses = wordNet_.senses(word, pos);
    auto first = englishFirst_.find(word);
    if (first == englishFirst_.end()) return senses;
    std::vector<uint32_t> ordered;
    for (const std::string& start : first->second)
      for (uint32_t offset : senses)
        if (glossBegins(pos, offset, start) &&
            std::find(ordered.begin(), ordered.end(), offset) == ordered.end())
          ordered.push_back(offset);
    for (uint32_t offset : senses)
      if (std::find(ordered.begin(), ordered.end(), offset) == ordered.end())
        ordered.push_back(offset);
    return ordered;
  }

  // Whether the sense's definition, as a card shows it, begins with `start`: how our own list
  // names the senses it puts first.
  bool glossBegins(char pos, uint32_t offset, const std::string& start) const {
    return wordtext::plainGloss(wordNet_.synset(pos, offset)->definition).rfind(start, 0) == 0;
  }

  // Every sense our own list puts first is one of its word's, so that a slip in the list or a
  // new WordNet stops the build rather than being ignored.
  void checkEnglishFirst() const {
    for (const auto& [word, starts] : englishFirst_)
      for (const std::string& start : starts) {
        bool found = false;
        for (char pos : kWordNetPos)
          for (uint32_t offset : wordNet_.senses(word, pos))
            found = found || glossBegins(pos, offset, start);
        if (!found)
          throw BuildError(curated("english_first.tsv") + ": no sense of \"" + word +
                           "\" begins \"" + start + "\"");
      }
  }

  // Whether a sense is slang of swearing: more than a third of its words are on our own list
  // (slit's "snatch" and "puss"), not one crude word among plain ones (toil's "fag").
  bool isASwearSense(const Synset& synset) const {
    const auto swearing =
        std::count_if(synset.words.begin(), synset.words.end(),
                      [&](const std::string& w) { return unfit_.count(lowered(w)) > 0; });
    return swearing > 0 && 3 * static_cast<size_t>(swearing) > synset.words.size();
  }

  // A sense the card may show: one of the word's own and not slang of swearing. A sense it shares
  // with a word we leave out is shown only when its definition is one a card would hold (not
  // "hustler" beside "hooker", nor "violate" beside "rape"), and when it is not a swear word's
  // first sense in the part of speech ("screw" and "fuck" for making love, "flaming" and
  // "fucking" as a curse): a later one is a plain sense the swear word lends its letters to
  // ("toil" and the verb "fag", to work hard), and a name's is the common word's ("girl" beside
  // "missy", "three" beside "trey").
  bool isOwnSense(char pos, uint32_t offset, const std::string& word) const {
    const Synset* synset = wordNet_.synset(pos, offset);
    if (!synset || !isTheWordsSense(*synset, word) || isASwearSense(*synset)) return false;
    bool sharedWithALeftOutWord = false;
    for (const std::string& member : synset->words) {
      const std::string w = lowered(member);
      if (!excluded_.count(w)) continue;
      sharedWithALeftOutWord = true;
      const std::vector<uint32_t>& senses = wordNet_.senses(w, pos);
      if (unfit_.count(w) && (senses.empty() || senses.front() == offset)) return false;
    }
    return !sharedWithALeftOutWord || isFitForACard(synset->definition, unfit_);
  }

  // Not a sense WordNet marks offensive, nor a name's where the headword is the common word
  // ("China" for china, "PI" the private investigator for pi).
  bool isTheWordsSense(const Synset& synset, const std::string& word) const {
    if (isMarkedOffensive(wordNet_, synset, word)) return false;
    if (word != lowered(word)) return true;
    return std::any_of(synset.words.begin(), synset.words.end(),
                       [&](const std::string& w) { return w == word; });
  }

  void writeExamples(std::ofstream& out, const Headword& h) {
    // The example must show the word itself or one of its inflected forms.
    std::vector<std::string> forms = {h.word};
    std::string text = inflections_.formsText(h.word, formParts(h));
    for (size_t at = 0; at < text.size();) {
      size_t end = text.find(' ', at);
      if (end == std::string::npos) end = text.size();
      forms.push_back(text.substr(at + 1, end - at - 1));
      at = end + 1;
    }
    std::set<std::string> written;
    auto emit = [&](size_t meaning, const std::string& text, const std::string& translation) {
      if (!written.insert(lowered(text)).second) return;
      out << h.word << '\t' << meaning + 1 << '\t' << field(text) << '\t' << field(translation)
          << '\n';
      counts_.examples++;
    };
    // Our own examples with their translations come first, under the meaning of their part of
    // speech.
    auto own = chineseExamples_.find(h.word);
    if (own != chineseExamples_.end())
      for (const CuratedExample& e : own->second) {
        size_t meaning = 0;
        for (size_t m = 0; m < h.meanings.size(); ++m)
          if (h.meanings[m].text.rfind(e.pos + " ", 0) == 0) {
            meaning = m;
            break;
          }
        emit(meaning, e.sentence, e.translation);
      }
    if (h.function) return;
    for (size_t m = 0; m < h.meanings.size(); ++m) {
      int taken = 0;
      const char pos = h.meanings[m].pos;
      for (uint32_t offset : wordNet_.senses(h.word, pos)) {
        const Synset* synset = wordNet_.synset(pos, offset);
        // No example of a sense no card would define ("Did you score last night?" of score's
        // "induce to have sex"), however plain its own words.
        if (isMarkedOffensive(wordNet_, *synset, h.word) ||
            !isFitForACard(synset->definition, unfit_))
          continue;
        std::vector<std::string> otherMembers;
        for (const std::string& w : synset->words)
          if (lowered(w) != h.word) otherMembers.push_back(lowered(w));
        for (const std::string& example : synset->examples) {
          if (taken >= 2) break;
          if (!showsTheWord(example, forms, pos, otherMembers) ||
              !isWholeSentence(example, [this](const std::string& w) { return verbEnding(w); }) ||
              !isFitForACard(example, unfit_, forms) || !hasNoGrammarSlip(example) ||
              !hasNoElision(example))
            continue;
          emit(m, sentence(example), "");
          ++taken;
        }
        if (taken >= 2) break;
      }
    }
  }

  // 'p' for a past of a WordNet verb ("chased", "ran"), 's' for its third person ("serves"),
  // 'b' for the verb itself.
  char verbEnding(const std::string& w) const {
    auto verb = [&](const std::string& base) { return !wordNet_.senses(base, 'v').empty(); };
    auto ends = [&](const char* end) {
      const size_t n = std::char_traits<char>::length(end);
      return w.size() > n + 1 && w.compare(w.size() - n, n, end) == 0;
    };
    if (!wordNet_.exceptionBases(w, 'v').empty() && !ends("ing")) return 'p';
    const std::string stem2 = w.size() > 2 ? w.substr(0, w.size() - 2) : "";
    if (ends("ed") && (verb(stem2) || verb(stem2 + "e") ||
                       (ends("ied") && verb(stem2.substr(0, stem2.size() - 1) + "y")) ||
                       (stem2.size() > 2 && stem2.back() == stem2[stem2.size() - 2] &&
                        verb(stem2.substr(0, stem2.size() - 1)))))
      return 'p';
    if (ends("s") && (verb(w.substr(0, w.size() - 1)) || (ends("es") && verb(stem2)) ||
                      (ends("ies") && verb(w.substr(0, w.size() - 3) + "y"))))
      return 's';
    return verb(w) ? 'b' : 0;
  }

  // Related words through WordNet pointers of a given symbol that leave from the word itself, in
  // any of its senses or in those of `only`.
  std::vector<std::string> pointed(const Headword& h, const std::string& symbol,
                                   const std::vector<Sense>* only = nullptr) const {
    std::vector<std::string> words;
    for (char pos : h.parts)
      for (uint32_t offset : wordNet_.senses(h.word, pos)) {
        if (only && std::find(only->begin(), only->end(), Sense{pos, offset}) == only->end())
          continue;
        const Synset* s = wordNet_.synset(pos, offset);
        for (const WordNetPointer& ptr : s->pointers) {
          if (ptr.symbol != symbol) continue;
          if (ptr.source != 0 && lowered(s->words[ptr.source - 1]) != h.word) continue;
          const Synset* target = wordNet_.synset(ptr.pos, ptr.offset);
          if (!target) continue;
          if (ptr.target == 0) {
            for (const std::string& w : target->words) words.push_back(spaced(lowered(w)));
          } else if (ptr.target <= static_cast<int>(target->words.size())) {
            words.push_back(spaced(lowered(target->words[ptr.target - 1])));
          }
        }
      }
    std::vector<std::string> unique;
    for (const std::string& w : words)
      if (w != h.word && std::find(unique.begin(), unique.end(), w) == unique.end())
        unique.push_back(w);
    return unique;
  }

  // Whether a synonym is a word we leave out or keep off other cards, or has a swear word among
  // its words ("fuck off" and "bugger off" beside "scram").
  bool holdsALeftOutWord(const std::string& synonym) const {
    if (excluded_.count(synonym)) return true;
    size_t from = 0;
    while (from <= synonym.size()) {
      size_t end = synonym.find_first_of(" -", from);
      if (end == std::string::npos) end = synonym.size();
      const std::string part = synonym.substr(from, end - from);
      if (unfit_.count(part) || offSynonyms_.count(part)) return true;
      from = end + 1;
    }
    return false;
  }

  std::string withMeaning(const std::string& word) const {
    auto r = rank_.find(word);
    if (r == rank_.end()) return word;
    const Headword& other = headwords_[r->second - 1];
    const MeaningRow& row = other.meanings.front();
    std::string label = row.text.substr(0, row.text.find(' '));
    return word + " " + label + " " + row.firstChinese;
  }

  void writeRelated() {
    std::ofstream syn = open("synonyms.tsv", "headword, synonyms");
    std::ofstream ant = open("antonyms.tsv", "headword, antonyms");
    std::ofstream par = open("paronyms.tsv", "headword, derived and related words");
    std::ofstream sim = open("similar.tsv", "headword, words of similar spelling");
    std::ofstream phr = open("phrases.tsv", "headword, phrases (one a line on the card)");
    std::unordered_map<std::string, std::vector<std::string>> phrases = phrasesByWord();
    std::unordered_map<std::string, std::vector<std::string>> similar = similarSpellings();
    auto join = [](const std::vector<std::string>& list, size_t limit, const std::string& sep) {
      std::string text;
      for (size_t i = 0; i < list.size() && i < limit; ++i) text += (i ? sep : "") + list[i];
      return text;
    };
    for (const Headword& h : headwords_) {
      if (!h.function) {
        // Synonyms of the senses the card shows ("pi" is not the "PI" of private investigator,
        // "flaming" no curse), none of them a word we leave out ("fucking"), one we keep off
        // other cards ("tit" beside "breast") or a letter ("s" for "second").
        const std::vector<Sense> shown = shownSenses(h);
        std::vector<std::string> synonyms;
        auto add = [&](const std::string& s) {
          if (s != h.word && s.size() > 1 && !holdsALeftOutWord(s) &&
              std::find(synonyms.begin(), synonyms.end(), s) == synonyms.end() &&
              std::none_of(s.begin(), s.end(),
                           [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            synonyms.push_back(s);
        };
        for (char pos : h.parts) {
          const size_t senseCount = pos == h.parts.front() ? 2 : 1;
          size_t taken = 0;
          for (const auto& [shownPos, offset] : shown) {
            if (shownPos != pos || taken >= senseCount) continue;
            ++taken;
            for (const std::string& w : wordNet_.synset(pos, offset)->words)
              add(spaced(lowered(w)));
          }
        }
        for (const std::string& s : pointed(h, "&", &shown)) add(s);
        if (!synonyms.empty()) syn << h.word << '\t' << field(join(synonyms, 6, ", ")) << '\n';
        // Antonyms of every sense: "come" for go, "night" for day, which the card names though
        // its English meaning shows other senses first.
        std::vector<std::string> antonyms = pointed(h, "!");
        if (!antonyms.empty()) ant << h.word << '\t' << field(join(antonyms, 4, ", ")) << '\n';
        std::vector<std::string> derived;
        for (const std::string& w : pointed(h, "+"))
          if (rank_.count(w)) derived.push_back(withMeaning(w));
        if (!derived.empty()) par << h.word << '\t' << field(join(derived, 4, "; ")) << '\n';
      }
      auto s = similar.find(h.word);
      if (s != similar.end()) {
        std::vector<std::string> shown;
        for (const std::string& w : s->second) shown.push_back(withMeaning(w));
        sim << h.word << '\t' << field(join(shown, 3, "; ")) << '\n';
      }
      auto p = phrases.find(h.word);
      if (p != phrases.end()) phr << h.word << '\t' << field(join(p->second, 5, "<br/>")) << '\n';
    }
  }

  // Multiword lemmas of WordNet holding a headword, the most used first, with a Chinese meaning
  // where the dictionary has one.
  std::unordered_map<std::string, std::vector<std::string>> phrasesByWord() const {
    struct Phrase {
      std::string text;
      double score;
    };
    std::unordered_map<std::string, std::vector<Phrase>> found;
    for (const auto& [lemma, senses] : wordNet_.index()) {
      if (lemma.find('_') == std::string::npos) continue;
      std::vector<std::string> tokens;
      size_t from = 0;
      bool plain = true;
      while (true) {
        size_t at = lemma.find('_', from);
        tokens.push_back(lemma.substr(from, at == std::string::npos ? at : at - from));
        plain = plain && isPlainWord(tokens.back());
        if (at == std::string::npos) break;
        from = at + 1;
      }
      if (!plain || tokens.size() > 3) continue;
      // Every word of the phrase is a headword, so that the learner can read it.
      int rarest = 0;
      for (const std::string& t : tokens) {
        auto r = rank_.find(t);
        rarest = std::max(rarest, r == rank_.end() ? headwordCount_ + 1 : r->second);
      }
      if (rarest > headwordCount_) continue;
      char pos = 0;
      int tags = 0;
      for (char p : kWordNetPos)
        if (!senses[posIndex(p)].empty()) {
          tags += wordNet_.tagCount(lemma, p);
          if (!pos) pos = p;
        }
      std::string text = spaced(lemma);
      std::vector<ChineseCandidate> chinese = chinese_.lookup(text, pos, 3, true);
      // A phrase nobody met in the tagged texts and the dictionary does not know is left out.
      if (chinese.empty() && tags == 0) continue;
      double score = tags * 10.0 + (chinese.empty() ? 0 : 20.0) - rarest / 1000.0;
      // Its Chinese in the characters of everyday writing, those of GB 2312: "dust storm" is no
      // 塕埲, "mountain peak" no 厜; a phrase whose words have none stands in English alone.
      for (const ChineseCandidate& candidate : chinese)
        if (plat::charset::fromUtf8(candidate.chinese, "GB2312")) {
          text += " " + candidate.chinese;
          break;
        }
      // A phrase of sex or swearing stands on the card of that word alone: "have sex" on sex's
      // card, not have's; "sexual abuse" on sexual's, not abuse's.
      const bool crude = std::any_of(tokens.begin(), tokens.end(), [&](const std::string& t) {
        return isOfSexOrSwearing(t, unfit_);
      });
      for (const std::string& t : tokens)
        if (!functionWords_.count(t) && (!crude || isOfSexOrSwearing(t, unfit_)))
          found[t].push_back({text, score});
    }
    std::unordered_map<std::string, std::vector<std::string>> result;
    for (auto& [word, list] : found) {
      std::stable_sort(list.begin(), list.end(),
                       [](const Phrase& a, const Phrase& b) { return a.score > b.score; });
      for (const Phrase& p : list)
        if (std::find(result[word].begin(), result[word].end(), p.text) == result[word].end())
          result[word].push_back(p.text);
    }
    return result;
  }

  // Headwords of four letters or more one edit apart, the more frequent first. Two words that
  // each lose a letter to the same key may be two edits apart ("able", "blue"): the real
  // distance decides.
  std::unordered_map<std::string, std::vector<std::string>> similarSpellings() const {
    std::unordered_map<std::string, std::vector<std::string>> byDeletion;
    for (const Headword& h : headwords_) {
      if (h.word.size() < 4) continue;
      byDeletion[h.word].push_back(h.word);
      for (size_t i = 0; i < h.word.size(); ++i) {
        std::string key = h.word.substr(0, i) + "*" + h.word.substr(i + 1);
        byDeletion[key].push_back(h.word);
        byDeletion[h.word.substr(0, i) + h.word.substr(i + 1)].push_back(h.word);
      }
    }
    std::unordered_map<std::string, std::vector<std::string>> result;
    for (const auto& [key, words] : byDeletion)
      for (const std::string& a : words)
        for (const std::string& b : words)
          if (wordtext::oneEditApart(a, b)) {
            std::vector<std::string>& list = result[a];
            if (std::find(list.begin(), list.end(), b) == list.end()) list.push_back(b);
          }
    for (auto& [word, list] : result)
      std::sort(list.begin(), list.end(), [&](const std::string& a, const std::string& b) {
        return rank_.at(a) < rank_.at(b);
      });
    return result;
  }

  void writeBooks() {
    std::ofstream classes = open("book_class.tsv", "class_id, class name");
    std::ofstream books = open("books.tsv", "book_id, book name, class_id");
    std::set<int> classIds, bookIds;
    auto write = [&](const WordBook& book, int firstRank, bool ranked) {
      if (!bookIds.insert(book.id).second)
        throw BuildError("book " + std::to_string(book.id) + " is made twice: see " +
                         curated("book_bands.tsv") + " and " + curated("exam_books.tsv"));
      books << book.id << '\t' << book.name << '\t' << book.classId << '\n';
      std::ofstream words(
          plat::files::join(output_, "book_words/" + std::to_string(book.id) + ".txt"),
          std::ios::binary | std::ios::trunc);
      for (size_t k = 0; k < book.words.size(); ++k) {
        words << book.words[k];
        if (ranked) words << '\t' << firstRank + static_cast<int>(k);
        words << '\n';
      }
      if (!words) throw BuildError("book " + std::to_string(book.id) + ": cannot be written");
      counts_.books++;
    };
    for (const Band& band : bands_) {
      if (classIds.insert(band.classId).second)
        classes << band.classId << '\t' << band.name << '\n';
      int bookId = band.firstBook;
      for (int first = band.firstRank; first <= band.lastRank; first += band.perBook, ++bookId) {
        int last = std::min(band.lastRank, first + band.perBook - 1);
        WordBook book{bookId,
                      band.name + " " + std::to_string(first) + "-" + std::to_string(last),
                      band.classId,
                      {}};
        for (int rank = first; rank <= last; ++rank)
          book.words.push_back(headwords_[rank - 1].word);
        // In the frequency books a word's position is its frequency rank.
        write(book, first, bookId == 800 || bookId == 801);
      }
    }
    for (const ExamClass& exam : exams_) {
      std::vector<std::string> listed;
      for (const Headword& h : headwords_)
        if (std::find(h.exams.begin(), h.exams.end(), exam.exam) != h.exams.end())
          listed.push_back(h.word);
      listed = withoutDoubles(
          listed, [&](const std::string& w) { return doubleForms(w); },
          [&](const std::string& w) { return otherSpellings(w); });
      std::vector<WordBook> examBooks = splitIntoBooks(exam, listed);
      if (examBooks.empty()) continue;
      if (!classIds.insert(exam.classId).second)
        throw BuildError("book class " + std::to_string(exam.classId) + " is made twice");
      classes << exam.classId << '\t' << exam.name << '\n';
      for (const WordBook& book : examBooks) write(book, 1, false);
    }
  }

  struct CuratedExample {
    std::string pos;
    std::string sentence;
    std::string translation;
  };

  const WordLibrarySources& sources_;
  std::string output_;
  WordNet wordNet_;
  ChineseMeanings chinese_;
  std::unordered_map<std::string, TranslatedWord> english_;
  AmericanPronunciation american_;
  std::vector<std::pair<std::string, long>> frequencies_;
  std::unordered_set<std::string> knownWords_;
  std::unordered_set<std::string> commonWords_;
  std::unordered_set<std::string> capitalised_;  // words the frequency list writes capitalised
  WordExchange exchange_;
  std::unordered_map<std::string, long> listCounts_;  // the frequency list's, by lower-cased word
  std::unordered_set<std::string> names_;             // first names
  std::set<std::string> capitalisedWords_;            // our own list of words with a capital
  std::set<std::string> added_;        // our own words that the frequency data undercount
  std::set<std::string> uncountable_;  // our own list of nouns that take no plural
  std::vector<ExamClass> exams_;
  Inflections inflections_;
  std::map<std::string, std::vector<std::string>> functionWords_;
  std::map<std::string, std::vector<std::string>> functionEnglish_;
  std::map<std::string, std::string> displays_;
  std::map<std::string, std::vector<std::string>> meaningOverrides_;
  std::map<std::string, std::pair<std::string, std::string>> soundOverrides_;  // US, UK
  WordIdRecord wordIds_;
  std::map<std::string, std::vector<CuratedExample>> chineseExamples_;
  std::set<std::string> excluded_;     // out of the library, unfit_ among them
  std::set<std::string> unfit_;        // swearing and slurs: no example uses one
  std::set<std::string> bookless_;     // in the library, in no book
  std::set<std::string> unbanded_;     // in the library and its exam books, in no frequency book
  std::map<std::string, std::vector<std::string>> englishFirst_;  // definitions shown first
  std::set<std::string> offSynonyms_;  // on no other card's synonyms, unbanded_ among them
  std::vector<Band> bands_;
  int headwordCount_ = 0;
  std::vector<Headword> headwords_;
  std::unordered_map<std::string, int> rank_;
  WordLibraryCounts counts_;
};

}  // namespace

WordLibraryCounts makeWordLibrary(const WordLibrarySources& sources, const std::string& output) {
  return Maker(sources, output).run();
}

}  // namespace tools
