#include "extract/ExtractWord.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "extract/HeadwordIndex.h"
#include "extract/InflectionRules.h"
#include "extract/TextTokens.h"
#include "extract/TokenContext.h"
#include "extract/TokenReadings.h"
#include "platform/base/Utf.h"
#include "store/CallDB.h"

using plat::Value;

namespace {

// Reports come at the 1st, 51st, 101st ... step, so a long text does not flood the main thread.
bool isReportStep(size_t k) {
  return k % 50 == 1;
}

// The study-order key: the next study time, or for a tested word the number written "1" followed
// by its digits, so that every untested word sorts first.
int64_t orderKey(int64_t lastTest, int64_t nextStudy) {
  if (lastTest == 0) return nextStudy;
  std::string digits = std::to_string(nextStudy);
  digits.insert(digits.begin(), '1');
  return std::strtoll(digits.c_str(), nullptr, 10);
}

// Every planned headword's key by its number in the index, in one statement. It starts from the
// study log, which holds far fewer rows than the library.
std::unordered_map<uint32_t, int64_t> allStudyKeys(const HeadwordIndex& index) {
  const Value rows = CallDB::callDB()->sql_select(
      "select wl.wl_tWord, sl.sl_uLastTestTime, sl.sl_uNextStudyTime from Study_Log as sl "
      "cross join Words_Library as wl where wl.wl_uWordID = sl.sl_uWordID",
      "sNN", "", Value::array());
  std::unordered_map<uint32_t, int64_t> keys;
  keys.reserve(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const uint32_t number = index.findExact(rows.at(i).at(0).asString());
    if (number != HeadwordIndex::kAbsent)
      keys.emplace(number, orderKey(rows.at(i).at(1).asInt(), rows.at(i).at(2).asInt()));
  }
  return keys;
}

// Puts the headwords in study after `learnedWords` by their key; equal keys go by the word, so
// that they come out the same on every run.
void appendByStudyOrder(std::vector<std::pair<std::string, int64_t>> learned, Value& learnedWords) {
  std::sort(learned.begin(), learned.end(), [](const auto& a, const auto& b) {
    return a.second != b.second ? a.second < b.second : a.first < b.first;
  });
  for (auto& entry : learned) learnedWords.append(std::move(entry.first));
}

}  // namespace

int ExtractWord::extractWord(const std::string& text, Value& words, Value& learnedWords,
                             Value& noneWords) {
  std::function<void(size_t, size_t)> onTokenEnded;
  if (reportsProgress())
    onTokenEnded = [this](size_t i, size_t n) {
      reportProgress(0.7f * (static_cast<float>(i) / static_cast<float>(n)));
    };
  TextTokens tokens(std::move(onTokenEnded));
  tokens.run(text);
  const std::vector<std::string_view>& distinct = tokens.distinct();
  const auto onDistinct = [&](size_t j) {
    if (reportsProgress() && isReportStep(j))
      reportProgress(0.7f + 0.3f * (static_cast<float>(j) / static_cast<float>(distinct.size())));
  };

  std::vector<std::pair<std::string, int64_t>> learned;
  int added = 0;
  if (const std::shared_ptr<const HeadwordIndex> index = HeadwordIndex::current()) {
    const TokenReader reader(*index);
    std::vector<SpellingReadings> readings;
    readings.reserve(distinct.size());
    bool namesInIng = false;
    for (size_t j = 0; j < distinct.size(); ++j) {
      readings.push_back(reader.read(distinct[j], tokens.holdsAccents()));
      // Whether the text writes a name's spelling in lower case too only the text can tell.
      SpellingReadings& read = readings.back();
      if (read.mayBeANameInIng) {
        if (tokens.writesInLowerCase(distinct[j]))
          read.mayBeANameInIng = false;
        else
          namesInIng = true;
      }
      onDistinct(j);
    }
    // Seldom: a text without such a name takes no walk over its tokens for it.
    if (namesInIng) markNamesInIngAtStart(tokens, readings);

    std::optional<std::unordered_map<uint32_t, int64_t>> studyKeys;
    if (distinct.size() >= kBulkStudyTokens) studyKeys = allStudyKeys(*index);
    // A byte a headword, not a bit: every token asks, and a byte is read without a mask.
    std::vector<uint8_t> taken(index->size());
    const auto take = [&](uint32_t number) {
      if (taken[number]) return;
      taken[number] = true;
      Value headword(std::string(index->word(number)));
      std::optional<int64_t> key;
      if (studyKeys) {
        const auto known = studyKeys->find(number);
        if (known != studyKeys->end()) key = known->second;
      } else {
        key = studyKey(headword.asString());
      }
      if (key)
        learned.emplace_back(headword.asString(), *key);
      else
        noneWords.append(headword);  // shared with `words` until either is changed
      words.append(std::move(headword));
      ++added;
    };
    const std::vector<TextToken>& all = tokens.tokens();
    for (size_t i = 0; i < all.size(); ++i) {
      const Readings reading = readingsInContext(tokens, readings, i);
      for (size_t k = 0; k < reading.count; ++k) take(reading.words[k]);
    }
  } else {
    // Without an index every lookup is a statement: the store's answers go through AddWord.
    allWordsDic_.clear();
    learnWordsDic_.clear();
    std::unordered_set<std::string> seen;
    for (size_t j = 0; j < distinct.size(); ++j) {
      std::string lower = plat::utf::asciiLowercase(distinct[j]);
      if (seen.insert(lower).second) added += AddWord(lower, words, learnedWords, noneWords);
      onDistinct(j);
    }
    learned.assign(learnWordsDic_.begin(), learnWordsDic_.end());
    allWordsDic_.clear();
    learnWordsDic_.clear();
  }
  appendByStudyOrder(std::move(learned), learnedWords);

  if (reportsProgress()) reportProgress(1.0f);
  return added;
}

int ExtractWord::AddWord(const std::string& token, Value& words, Value& /*learnedWords*/,
                         Value& noneWords) {
  if (allWordsDic_.count(token)) return 0;
  const std::string headword = GetWord(token);
  if (headword.empty() || allWordsDic_.count(headword)) return 0;

  if (const auto key = studyKey(headword))
    learnWordsDic_[headword] = *key;
  else
    noneWords.append(headword);
  words.append(headword);
  allWordsDic_[headword] = "";
  return 1;
}

std::optional<int64_t> ExtractWord::studyKey(const std::string& headword) const {
  const Value study = CallDB::callDB()->IsWordStudy(headword);
  if (study.size() == 0) return std::nullopt;
  return study.at(0).asInt();
}

namespace {

// Collects the library's own text of the first candidate the store holds. A headword stored
// with capitals ("Monday", "TV") is found from the lower-case token too.
struct StoredHeadword {
  bool operator()(std::string_view candidate) {
    if (candidate.empty()) return false;
    for (const std::string& spelling : spellings(candidate)) {
      const Value found = CallDB::callDB()->GetWordPrototype(spelling);
      text = found.size() > 0 ? found.at(0).asString() : std::string();
      if (!text.empty()) return true;
    }
    return false;
  }
  static std::vector<std::string> spellings(std::string_view word) {
    std::vector<std::string> out = {std::string(word)};
    if (word.front() < 'a' || word.front() > 'z') return out;
    out.push_back(out.front());
    out.back()[0] = static_cast<char>(word.front() - 'a' + 'A');
    if (word.size() > 1) out.push_back(plat::utf::asciiUppercase(word));
    return out;
  }

  std::string text;
};

template <class Rule>
std::string storedHeadword(std::string_view token, Rule rule) {
  StoredHeadword found;
  return rule(token, found) ? found.text : std::string();
}

}  // namespace

std::string ExtractWord::GetWord(const std::string& token) {
  if (const std::shared_ptr<const HeadwordIndex> index = HeadwordIndex::current()) {
    const Readings readings = TokenReader(*index).read(token).inSentence;
    return readings.empty() ? std::string() : std::string(index->word(readings.words[0]));
  }
  // Without the library in memory there is no record of forms: the rules alone, asked of the
  // store.
  return storedHeadword(token, [](std::string_view t, StoredHeadword& found) {
    auto noRecord = [](std::string_view) { return false; };
    return inflection::reduce(t, found, noRecord);
  });
}

std::string ExtractWord::IsGQS_GQFC(const std::string& token) {
  return storedHeadword(token, [](std::string_view t, StoredHeadword& found) {
    return inflection::pastTense(t, found);
  });
}

std::string ExtractWord::IsFS_DSRC(const std::string& token) {
  return storedHeadword(token, [](std::string_view t, StoredHeadword& found) {
    return inflection::plural(t, found);
  });
}

std::string ExtractWord::IsXZFC(const std::string& token) {
  return storedHeadword(token, [](std::string_view t, StoredHeadword& found) {
    return inflection::presentParticiple(t, found);
  });
}

// A report waiting for a busy main thread (one drawing a frame) would hold the extraction back
// for that long, hundreds of times over a long text: reports are handed over without waiting,
// and one the main thread has not shown yet gives way to the newer one.
void ExtractWord::reportProgress(float fraction) const {
  const ProgressFun fun = extract_progressFun_;
  progress_.post([fun, fraction] { fun(Value(static_cast<double>(fraction))); },
                 /*last=*/fraction >= 1.0f);
}
