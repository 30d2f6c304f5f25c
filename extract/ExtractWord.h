// Turns an English text into the distinct headwords of the word library that it contains, by the
// library's record of inflected forms, exact lookup and a fixed ladder of "ed", "s"/"es" and
// "ing" rules, read with the token's place in its sentence (TokenReadings.h, TokenContext.h),
// and splits them into words in study and words not yet in study. One object serves one call at
// a time.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/base/LatestOnMainThread.h"
#include "platform/base/Value.h"

class ExtractWord {
 public:
  // Receives the fraction done (a number holding a single-precision value) on the main thread,
  // in order, the final 1.0 always; a report not shown yet when a newer one comes is dropped.
  using ProgressFun = std::function<void(const plat::Value& fraction)>;

  ExtractWord() = default;
  ExtractWord(const ExtractWord&) = delete;
  ExtractWord& operator=(const ExtractWord&) = delete;

  // The progress receiver, not owned; progress is reported only while both it and the function
  // are set. The extracting thread does not wait for the main thread to show a report.
  const void* parent() const { return parent_; }
  void setParent(const void* parent) { parent_ = parent; }
  const ProgressFun& extract_progressFun() const { return extract_progressFun_; }
  void setExtract_progressFun(ProgressFun fun) { extract_progressFun_ = std::move(fun); }

  // Appends (never clears) every headword of `text` to `words` in the order of first occurrence,
  // the ones not in study to `noneWords` in that order, and the ones in study to `learnedWords`
  // by their study-order key. Returns the number of headwords added. Runs on the calling thread.
  int extractWord(const std::string& text, plat::Value& words, plat::Value& learnedWords,
                  plat::Value& noneWords);

  // Adds the headword of one lower-cased token, asked of the store; 1 when a new headword was
  // added, else 0.
  // `learnedWords` is left alone: words in study are collected and appended at the end.
  int AddWord(const std::string& token, plat::Value& words, plat::Value& learnedWords,
              plat::Value& noneWords);

  // The headword a lower-cased token stands for inside a sentence that tells no more (its first
  // reading: "left" for left, which may also be leave), or "".
  std::string GetWord(const std::string& token);
  std::string IsGQS_GQFC(const std::string& token);  // "ed"
  std::string IsFS_DSRC(const std::string& token);   // "s" / "es"
  std::string IsXZFC(const std::string& token);      // "ing"

 private:
  // Texts with this many distinct tokens read the study state of every planned word at once.
  static constexpr size_t kBulkStudyTokens = 200;

  // The study-order key of a headword in study, or nothing, asked of the store.
  std::optional<int64_t> studyKey(const std::string& headword) const;
  bool reportsProgress() const { return parent_ != nullptr && extract_progressFun_ != nullptr; }
  void reportProgress(float fraction) const;

  // What AddWord has added, for the length of one extraction without the in-memory index.
  std::unordered_map<std::string, std::string> allWordsDic_;
  std::unordered_map<std::string, int64_t> learnWordsDic_;
  ProgressFun extract_progressFun_;
  mutable plat::LatestOnMainThread progress_;
  const void* parent_ = nullptr;
};
