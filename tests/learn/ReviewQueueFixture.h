// A review queue over a real learn.db built from the fixture words, with a recording screen and
// the store's virtual clock (2023-11-15 10:00 in UTC+8).
#pragma once

#include <cstdlib>
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
inline std::ostream& operator<<(std::ostream& out, const StudyLog& log) {
  return out << "{last " << log.last << ", next " << log.next << ", grades " << log.g1 << " "
             << log.g2 << " " << log.g3 << ", counts " << log.know << " " << log.vague << " "
             << log.forget << "}";
}

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
  void planDue(const std::string& word, int g1 = kKnow, int g2 = 0) {
    plan(word, now() - 7 * kDay);
    setRecord(word, now() - 7 * kDay, now() - kDay, g1, g2);
  }
  // Plans `due` and never tested `fresh` words and loads the queue as the screen first does.
  void load(const std::vector<std::string>& due, const std::vector<std::string>& fresh = {}) {
    for (const std::string& word : due) planDue(word);
    for (const std::string& word : fresh) plan(word, now() - 60);
    queue_.firstInit();
    queue_.reLoadReviewData();
  }

  std::optional<StudyLog> logOf(const std::string& word) {
    plat::Value rows = db_->sql_select(
        "select sl_uLastTestTime, sl_uNextStudyTime, sl_uFeedbackID1, sl_uFeedbackID2, "
        "sl_uFeedbackID3, sl_uKnowNum, sl_uVagueNum, sl_uForgetNum from Study_Log where "
        "sl_uWordID = (select wl_uWordID from Words_Library where wl_tWord = ?)",
        "NNnnnnnn", "s", plat::Value::array({word}));
    if (rows.size() == 0) return std::nullopt;
    const plat::Value& r = rows.at(0);
    auto n = [&](size_t i) { return static_cast<int>(r.at(i).asInt()); };
    return StudyLog{r.at(0).asInt(), r.at(1).asInt(), n(2), n(3), n(4), n(5), n(6), n(7)};
  }
  std::vector<MirrorRow> mirror() {
    plat::Value rows = db_->getReviewWords_tempData();
    std::vector<MirrorRow> result;
    for (size_t i = 0; i < rows.size(); ++i) {
      const plat::Value& r = rows.at(i);
      result.push_back({r.at(0).asString(), static_cast<int>(r.at(1).asInt()),
                        static_cast<int>(r.at(2).asInt())});
    }
    return result;
  }
  std::vector<std::string> queueWords() const {
    std::vector<std::string> words;
    for (const P_Review& entry : queue_.ArrayReview()) words.push_back(entry.sWord);
    return words;
  }
  std::vector<int> queuePositions() const {
    std::vector<int> positions;
    for (const P_Review& entry : queue_.ArrayReview()) positions.push_back(entry.nReTestPos);
    return positions;
  }
  int64_t personalNumber(const std::string& key) {
    return std::strtoll(db_->getPersonalValue(key).c_str(), nullptr, 10);
  }
  // Answers the word on screen as the answer button `grade` does.
  void answer(int grade) {
    queue_.showSelBtn();
    queue_.selBtn_Down();
    queue_.selBtn_Up(grade);
  }

  RecordingReviewView view_;
  ReviewQueue queue_{view_};
};

}  // namespace learntest
