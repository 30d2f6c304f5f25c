// Writing an answer: the interval, the next study time and the study record's update.
#include "learn/ReviewQueue.h"
#include "learn/ReviewSchedule.h"
#include "store/CallDB.h"
#include "store/MyDate.h"

namespace {

using plat::Value;

// Grade ids read back from a study record; anything else (a damaged or foreign record) is 0.
int storedGrade(const Value& v) {
  const int64_t grade = v.asInt();
  return grade >= 0 && grade <= 4 ? static_cast<int>(grade) : 0;
}

}  // namespace

void ReviewQueue::UpdateAllData(const std::string& word, int grade) {
  guarded([&] {
    CallDB& db = *CallDB::callDB();
    const Value rows = db.GetStudyLog(word);
    // A queued word can lose its record (a restore, a rolled-back plan): nothing to write then.
    if (rows.size() == 0) return;
    const Value& log = rows.at(0);
    const int64_t last = log.at(0).asInt();
    const int64_t next = log.at(1).asInt();
    const int f1 = storedGrade(log.at(2));
    const int f2 = storedGrade(log.at(3));
    const int64_t now = MyDate::storedTime(MyDate::localDateTime());
    const int64_t days = ReviewSchedule::intervalDays(last, next, now);
    const int64_t nextStudy = UpdateNextStudyTime(word, days, {grade, f1, f2});
    db.UpdateLog(Value::array(
        {word, static_cast<long long>(now), static_cast<long long>(nextStudy), grade, f1, f2}));
  });
}

int64_t ReviewQueue::UpdateNextStudyTime(const std::string& word, int64_t days,
                                         const std::array<int, 3>& history) {
  // A fresh list, as the grades of the answer are read where the answer is computed.
  const FeedbackGrades grades = readFeedbackGrades();
  const ReviewSchedule::Ideals ideals{idealAt(grades, history[0]), idealAt(grades, history[1]),
                                      idealAt(grades, history[2])};
  const double seconds = ReviewSchedule::studySeconds(
      ideals, history[1] != 0, days, [&] { return CallDB::callDB()->GetWordUsedCofe(word); });
  return ReviewSchedule::nextStudyTime(MyDate::localDateTime(), seconds);
}
