// A review queue over a real learn.db built from the fixture words, with a recording screen and
// the store's virtual clock (2023-11-15 10:00 in UTC+8).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "learn/ReviewQueue.h"
#include "store/CallDB.h"
#include "tests/learn/RecordingReviewView.h"
#include "tests/store/StudyFixture.h"

namespace learntest {

// Grades of the fixture database: 2 know (0.9), 3 fuzzy (0.5), 4 forgot (0.3).
constexpr int kKnow = 2;
constexpr int kFuzzy = 3;
constexpr int kForgot = 4;

// A word's Study_Log row.
struct StudyLog {
  int64_t last = 0, next = 0;
  int g1 = 0, g2 = 0, g3 = 0;
  int know = 0, vague = 0, forget = 0;
  bool operator==(const StudyLog&) const = default;
};
std::ostream& operator<<(std::ostream& out, const StudyLog& log);

// One review_list row.
struct MirrorRow {
  std::string word;
  int type = 0;
  int pos = 0;
  bool operator==(const MirrorRow&) const = default;
};

class ReviewQueueTest : public storetest::StudyTest {
 protected:
  static constexpr int64_t kDay = 86400;

  // Plans a word that was tested a week ago and is due today, with the given grade history.
  void planDue(const std::string& word, int g1 = kKnow, int g2 = 0);
  // Plans a word never tested, due at once.
  void planNew(const std::string& word);
  // Plans `due` and `fresh` words and loads the queue as the screen does when it first appears.
  void load(const std::vector<std::string>& due, const std::vector<std::string>& fresh = {});

  std::optional<StudyLog> logOf(const std::string& word);
  std::vector<MirrorRow> mirror();
  std::vector<std::string> queueWords() const;
  std::vector<int> queuePositions() const;
  int64_t personalNumber(const std::string& key);
  // Answers the word on screen as the answer button `grade` does.
  void answer(int grade);

  RecordingReviewView view_;
  ReviewQueue queue_{view_};
};

}  // namespace learntest
