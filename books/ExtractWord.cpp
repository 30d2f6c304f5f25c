#include "books/ExtractWord.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/base/MainThread.h"
#include "platform/base/Utf.h"
#include "store/CallDB.h"

using plat::Value;

namespace {

// A token runs over ASCII letters, "_" and "."; every other character (digits, apostrophes,
// hyphens, Chinese) ends it.
bool staysInToken(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u'.';
}

bool endsWith(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Reports come at the 1st, 51st, 101st ... step, so a long text does not flood the main thread.
bool isReportStep(size_t k) {
  return k % 50 == 1;
}

// The distinct lower-cased tokens of a text, in the order of their first occurrence.
class Tokenizer {
 public:
  explicit Tokenizer(std::function<void(size_t i, size_t n)> onEnded)
      : onEnded_(std::move(onEnded)) {}

  std::vector<std::string> run(const std::string& text) {
    const std::u16string units = plat::utf::toUtf16(text);
    const size_t n = units.size();
    for (size_t i = 0; i < n; ++i) {
      if (staysInToken(units[i])) {
        buffer_.push_back(static_cast<char>(units[i]));
      } else if (!buffer_.empty()) {
        take();
        ++ended_;
        if (isReportStep(ended_)) onEnded_(i, n);
      }
    }
    if (!buffer_.empty()) take();
    return std::move(tokens_);
  }

 private:
  void take() {
    std::string token = plat::utf::asciiLowercase(buffer_);
    buffer_.clear();
    if (seen_.insert(token).second) tokens_.push_back(std::move(token));
  }

  std::function<void(size_t, size_t)> onEnded_;
  std::string buffer_;
  std::vector<std::string> tokens_;
  std::unordered_set<std::string> seen_;
  size_t ended_ = 0;
};

// Each rule tries its candidates in order; the first one that is a headword wins. A candidate
// whose condition does not hold is "".
std::string firstHeadword(std::initializer_list<std::function<std::string()>> candidates,
                          const std::function<std::string(const std::string&)>& lookUp) {
  for (const auto& candidate : candidates) {
    const std::string text = candidate();
    if (text.empty()) continue;
    std::string headword = lookUp(text);
    if (!headword.empty()) return headword;
  }
  return "";
}

// The study-order key: the next study time, or for a tested word the number written "1" followed
// by its digits, so that every untested word sorts first.
int64_t orderKey(int64_t lastTest, int64_t nextStudy) {
  if (lastTest == 0) return nextStudy;
  std::string digits = std::to_string(nextStudy);
  digits.insert(digits.begin(), '1');
  return std::strtoll(digits.c_str(), nullptr, 10);
}

// Every planned headword with its key, in one statement.
std::unordered_map<std::string, int64_t> allStudyKeys() {
  const Value rows = CallDB::callDB()->sql_select(
      "select wl.wl_tWord, sl.sl_uLastTestTime, sl.sl_uNextStudyTime from Words_Library as wl, "
      "Study_Log as sl where wl.wl_uWordID = sl.sl_uWordID",
      "sNN", "", Value::array());
  std::unordered_map<std::string, int64_t> keys;
  keys.reserve(rows.size());
  for (size_t i = 0; i < rows.size(); ++i)
    keys.emplace(rows.at(i).at(0).asString(),
                 orderKey(rows.at(i).at(1).asInt(), rows.at(i).at(2).asInt()));
  return keys;
}

}  // namespace

int ExtractWord::extractWord(const std::string& text, Value& words, Value& learnedWords,
                             Value& noneWords) {
  Tokenizer tokenizer([this](size_t i, size_t n) {
    if (reportsProgress()) reportProgress(0.7f * (static_cast<float>(i) / static_cast<float>(n)));
  });
  const std::vector<std::string> tokens = tokenizer.run(text);

  index_ = HeadwordIndex::current();
  studyKeys_.reset();
  if (index_ && tokens.size() >= kBulkStudyTokens) studyKeys_ = allStudyKeys();
  allWordsDic_.clear();
  learnWordsDic_.clear();
  int added = 0;
  for (size_t j = 0; j < tokens.size(); ++j) {
    added += AddWord(tokens[j], words, learnedWords, noneWords);
    if (reportsProgress() && isReportStep(j))
      reportProgress(0.7f + 0.3f * (static_cast<float>(j) / static_cast<float>(tokens.size())));
  }

  std::vector<std::pair<std::string, int64_t>> learned(learnWordsDic_.begin(),
                                                       learnWordsDic_.end());
  // Stable over the word, so that equal keys come out the same on every run.
  std::sort(learned.begin(), learned.end(), [](const auto& a, const auto& b) {
    return a.second != b.second ? a.second < b.second : a.first < b.first;
  });
  for (auto& entry : learned) learnedWords.append(std::move(entry.first));

  allWordsDic_.clear();
  learnWordsDic_.clear();
  index_.reset();
  studyKeys_.reset();
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

std::string ExtractWord::lookUp(const std::string& candidate) const {
  if (index_) return index_->contains(candidate) ? candidate : std::string();
  const Value found = CallDB::callDB()->GetWordPrototype(candidate);
  return found.size() > 0 ? found.at(0).asString() : std::string();
}

std::optional<int64_t> ExtractWord::studyKey(const std::string& headword) const {
  if (studyKeys_) {
    auto found = studyKeys_->find(headword);
    if (found == studyKeys_->end()) return std::nullopt;
    return found->second;
  }
  const Value study = CallDB::callDB()->IsWordStudy(headword);
  if (study.size() == 0) return std::nullopt;
  return study.at(0).asInt();
}

std::string ExtractWord::GetWord(const std::string& token) {
  std::string headword = lookUp(token);
  if (!headword.empty()) return headword;
  if (token.size() < 2) return "";
  if (endsWith(token, ".") || endsWith(token, "_")) {
    headword = lookUp(token.substr(0, token.size() - 1));
    if (!headword.empty()) return headword;
  }
  if (token.size() < 4) return "";
  headword = IsGQS_GQFC(token);
  if (headword.empty()) headword = IsFS_DSRC(token);
  if (headword.empty()) headword = IsXZFC(token);
  return headword;
}

std::string ExtractWord::IsGQS_GQFC(const std::string& t) {
  const size_t L = t.size();
  if (!endsWith(t, "ed")) return "";
  return firstHeadword(
      {[&] { return t.substr(0, L - 1); },                                        // used -> use
       [&] { return t.substr(0, L - 2); },                                        // walked -> walk
       [&] { return L >= 4 && t[L - 3] == t[L - 4] ? t.substr(0, L - 3) : ""; },  // stopped
       [&] { return L >= 3 && t[L - 3] == 'i' ? t.substr(0, L - 3) + "y" : ""; }},  // studied
      [this](const std::string& c) { return lookUp(c); });
}

std::string ExtractWord::IsFS_DSRC(const std::string& t) {
  const size_t L = t.size();
  if (!endsWith(t, "s")) return "";
  std::string headword = lookUp(t.substr(0, L - 1));  // books -> book
  if (!headword.empty() || !endsWith(t, "es")) return headword;
  return firstHeadword(
      {[&] { return t.substr(0, L - 2); },                                          // boxes
       [&] { return L >= 5 && t[L - 3] == 'i' ? t.substr(0, L - 3) + "y" : ""; }},  // studies
      [this](const std::string& c) { return lookUp(c); });
}

std::string ExtractWord::IsXZFC(const std::string& t) {
  const size_t L = t.size();
  if (!endsWith(t, "ing")) return "";
  return firstHeadword(
      {[&] { return t.substr(0, L - 3); },                                        // walking -> walk
       [&] { return t.substr(0, L - 3) + "e"; },                                  // making -> make
       [&] { return L >= 5 && t[L - 4] == t[L - 5] ? t.substr(0, L - 4) : ""; },  // running
       [&] { return L >= 4 && t[L - 4] == 'i' ? t.substr(0, L - 4) + "y" : ""; }},
      [this](const std::string& c) { return lookUp(c); });
}

void ExtractWord::reportProgress(float fraction) const {
  const ProgressFun fun = extract_progressFun_;
  plat::performOnMainThread([fun, fraction] { fun(Value(static_cast<double>(fraction))); },
                            /*wait=*/true);
}
