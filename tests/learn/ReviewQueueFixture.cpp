#include "tests/learn/ReviewQueueFixture.h"

#include <cstdlib>

namespace learntest {

using plat::Value;

std::ostream& operator<<(std::ostream& out, const StudyLog& log) {
  return out << "{last " << log.last << ", next " << log.next << ", grades " << log.g1 << " "
             << log.g2 << " " << log.g3 << ", counts " << log.know << " " << log.vague << " "
             << log.forget << "}";
}

void ReviewQueueTest::planDue(const std::string& word, int g1, int g2) {
  plan(word, now() - 7 * kDay);
  setRecord(word, now() - 7 * kDay, now() - kDay, g1, g2);
}

void ReviewQueueTest::planNew(const std::string& word) {
  plan(word, now() - 60);
}

void ReviewQueueTest::load(const std::vector<std::string>& due,
                           const std::vector<std::string>& fresh) {
  for (const std::string& word : due) planDue(word);
  for (const std::string& word : fresh) planNew(word);
  queue_.firstInit();
  queue_.reLoadReviewData();
}

std::optional<StudyLog> ReviewQueueTest::logOf(const std::string& word) {
  Value rows = db_->sql_select(
      "select sl_uLastTestTime, sl_uNextStudyTime, sl_uFeedbackID1, sl_uFeedbackID2, "
      "sl_uFeedbackID3, sl_uKnowNum, sl_uVagueNum, sl_uForgetNum from Study_Log where sl_uWordID = "
      "(select wl_uWordID from Words_Library where wl_tWord = ?)",
      "NNnnnnnn", "s", Value::array({word}));
  if (rows.size() == 0) return std::nullopt;
  const Value& r = rows.at(0);
  auto n = [&](size_t i) { return static_cast<int>(r.at(i).asInt()); };
  return StudyLog{r.at(0).asInt(), r.at(1).asInt(), n(2), n(3), n(4), n(5), n(6), n(7)};
}

std::vector<MirrorRow> ReviewQueueTest::mirror() {
  Value rows = db_->getReviewWords_tempData();
  std::vector<MirrorRow> result;
  for (size_t i = 0; i < rows.size(); ++i) {
    const Value& r = rows.at(i);
    result.push_back(
        {r.at(0).asString(), static_cast<int>(r.at(1).asInt()), static_cast<int>(r.at(2).asInt())});
  }
  return result;
}

std::vector<std::string> ReviewQueueTest::queueWords() const {
  std::vector<std::string> words;
  for (const P_Review& entry : queue_.ArrayReview()) words.push_back(entry.sWord);
  return words;
}

std::vector<int> ReviewQueueTest::queuePositions() const {
  std::vector<int> positions;
  for (const P_Review& entry : queue_.ArrayReview()) positions.push_back(entry.nReTestPos);
  return positions;
}

int64_t ReviewQueueTest::personalNumber(const std::string& key) {
  return std::strtoll(db_->getPersonalValue(key).c_str(), nullptr, 10);
}

void ReviewQueueTest::answer(int grade) {
  queue_.showSelBtn();
  queue_.selBtn_Down();
  queue_.selBtn_Up(grade);
}

}  // namespace learntest
