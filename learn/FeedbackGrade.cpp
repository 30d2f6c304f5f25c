#include "learn/FeedbackGrade.h"

#include "store/CallDB.h"

FeedbackGrades readFeedbackGrades() {
  const plat::Value rows = CallDB::callDB()->GetFeedbackInfo();
  FeedbackGrades grades;
  grades.reserve(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const plat::Value& row = rows.at(i);
    grades.push_back(
        {static_cast<int32_t>(row.at(0).asInt()), row.at(2).asString(), row.at(1).asDouble()});
  }
  return grades;
}
