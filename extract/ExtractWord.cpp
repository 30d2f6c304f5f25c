#include "extract/ExtractWord.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "extract/HeadwordIndex.h"
#include "extract/InflectionRules.h"
#include "extract/WordTable.h"
#include "platform/base/Utf.h"
#include "store/CallDB.h"

using plat::Value;

namespace {

// A token runs over ASCII letters, "_" and "."; every other character (digits, apostrophes,
// hyphens, Chinese) ends it. No byte of a multi-byte character is ASCII, so the text is split
// as it stands, without decoding it.
bool staysInToken(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '.';
}

// Reports come at the 1st, 51st, 101st ... step, so a long text does not flood the main thread.
bool isReportStep(size_t k) {
  return k % 50 == 1;
}

// "won't" and "shan't" split at the apostrophe leave "won" (a form of win) and "shan": the
// token before "n't" stands for its verb. Other contractions leave no headword of their own
// ("don", "isn", "ll", "ve").
std::string_view ownWordOf(std::string_view token, std::string_view rest) {
  if (token.size() < 3 || token.back() != 'n') return token;
  if (rest.substr(0, 2) == "'t")
    rest.remove_prefix(2);
  else if (rest.substr(0, 4) == "\u2019t")
    rest.remove_prefix(4);
  else
    return token;
  if (!rest.empty() && std::isalpha(static_cast<unsigned char>(rest.front()))) return token;
  if (token == "won") return "will";
  if (token == "shan") return "shall";
  return token;
}

// The distinct lower-cased tokens of a text, in the order of their first occurrence. They view
// the lower-cased copy that the tokenizer keeps.
class Tokenizer {
 public:
  // `onEnded(i, n)`, when set, hears of every report step: a token ended at UTF-16 unit i of n.
  explicit Tokenizer(std::function<void(size_t i, size_t n)> onEnded)
      : onEnded_(std::move(onEnded)) {}

  const std::vector<std::string_view>& run(const std::string& text) {
    lower_ = plat::utf::asciiLowercase(text);
    // Sized for the distinct words of a text of this length, so that a long text does not make
    // the table grow a dozen times.
    seen_ = WordTable(lower_.size() / 16);
    const std::string_view lower = lower_;
    size_t units = 0;  // the UTF-16 index of `pos`, which progress is reported in
    size_t total = 0;  // counted only when first needed: it takes a pass of its own
    size_t start = std::string_view::npos;
    for (size_t pos = 0; pos < lower.size();) {
      const auto c = static_cast<unsigned char>(lower[pos]);
      if (staysInToken(c)) {
        if (start == std::string_view::npos) start = pos;
        ++pos, ++units;
        continue;
      }
      if (start != std::string_view::npos) {
        take(ownWordOf(lower.substr(start, pos - start), lower.substr(pos)));
        start = std::string_view::npos;
        if (isReportStep(++ended_) && onEnded_) {
          if (total == 0) total = plat::utf::utf16Length(text);
          onEnded_(units, total);
        }
      }
      if (c < 0x80) {
        ++pos, ++units;
      } else {
        units += plat::utf::decodeNext(lower, pos) >= 0x10000 ? 2 : 1;
      }
    }
    if (start != std::string_view::npos) take(lower.substr(start));
    return seen_.words();
  }

 private:
  void take(std::string_view token) {
    bool added;
    seen_.insert(token, added);
  }

  std::function<void(size_t, size_t)> onEnded_;
  std::string lower_;
  WordTable seen_;
  size_t ended_ = 0;
};

// Collects the first candidate of the ladder that the library holds, or the recorded base of
// the first token that is an inflected form.
struct IndexedHeadword {
  bool operator()(std::string_view candidate) {
    number = candidate.empty() ? HeadwordIndex::kAbsent : index.find(candidate);
    return number != HeadwordIndex::kAbsent;
  }
  bool recorded(std::string_view token) {
    number = index.baseOf(token);
    return number != HeadwordIndex::kAbsent;
  }
  const HeadwordIndex& index;
  uint32_t number = HeadwordIndex::kAbsent;
};

bool reduce(std::string_view token, IndexedHeadword& found) {
  auto recordedBase = [&found](std::string_view form) { return found.recorded(form); };
  return inflection::reduce(token, found, recordedBase);
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
    const uint32_t number = index.find(rows.at(i).at(0).asString());
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
  Tokenizer tokenizer(std::move(onTokenEnded));
  const std::vector<std::string_view>& tokens = tokenizer.run(text);
  const auto onToken = [&](size_t j) {
    if (reportsProgress() && isReportStep(j))
      reportProgress(0.7f + 0.3f * (static_cast<float>(j) / static_cast<float>(tokens.size())));
  };

  std::vector<std::pair<std::string, int64_t>> learned;
  int added = 0;
  if (const std::shared_ptr<const HeadwordIndex> index = HeadwordIndex::current()) {
    std::optional<std::unordered_map<uint32_t, int64_t>> studyKeys;
    if (tokens.size() >= kBulkStudyTokens) studyKeys = allStudyKeys(*index);
    std::vector<bool> taken(index->size());
    for (size_t j = 0; j < tokens.size(); ++j) {
      IndexedHeadword found{*index};
      if (reduce(tokens[j], found) && !taken[found.number]) {
        taken[found.number] = true;
        Value headword(std::string(index->word(found.number)));
        std::optional<int64_t> key;
        if (studyKeys) {
          const auto known = studyKeys->find(found.number);
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
      }
      onToken(j);
    }
  } else {
    // Without an index every lookup is a statement: the store's answers go through AddWord.
    allWordsDic_.clear();
    learnWordsDic_.clear();
    for (size_t j = 0; j < tokens.size(); ++j) {
      added += AddWord(std::string(tokens[j]), words, learnedWords, noneWords);
      onToken(j);
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
  // The base the library records for an inflected form; the record is read with the library
  // into memory, so without it a token is reduced by the rules alone.
  bool recorded(std::string_view token) {
    if (!indexRead) index = HeadwordIndex::current(), indexRead = true;
    const uint32_t base = index ? index->baseOf(token) : HeadwordIndex::kAbsent;
    text = base == HeadwordIndex::kAbsent ? std::string() : std::string(index->word(base));
    return !text.empty();
  }

  static std::vector<std::string> spellings(std::string_view word) {
    std::vector<std::string> out = {std::string(word)};
    if (word.front() < 'a' || word.front() > 'z') return out;
    out.push_back(out.front());
    out.back()[0] = static_cast<char>(word.front() - 'a' + 'A');
    if (word.size() > 1) out.push_back(plat::utf::asciiUppercase(word));
    return out;
  }

  std::shared_ptr<const HeadwordIndex> index;
  bool indexRead = false;
  std::string text;
};

template <class Rule>
std::string storedHeadword(std::string_view token, Rule rule) {
  StoredHeadword found;
  return rule(token, found) ? found.text : std::string();
}

}  // namespace

std::string ExtractWord::GetWord(const std::string& token) {
  return storedHeadword(token, [](std::string_view t, StoredHeadword& found) {
    auto recordedBase = [&found](std::string_view form) { return found.recorded(form); };
    return inflection::reduce(t, found, recordedBase);
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
