// One answer grade as the store lists them (its position in the list is its id): 1 known before
// the meaning was shown, 2 know, 3 fuzzy, 4 forgot; 0 stands for "no earlier answer".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FeedbackGrade {
  int32_t gradeId = 0;
  std::string describe;
  double ideal = 0.0;
};

using FeedbackGrades = std::vector<FeedbackGrade>;

// The grades as the store lists them now.
FeedbackGrades readFeedbackGrades();

// The ideal value of the grade at `position`; 0 for a position the list does not hold, so that a
// damaged grade history cannot reach past the list.
inline double idealAt(const FeedbackGrades& grades, int position) {
  if (position < 0 || static_cast<size_t>(position) >= grades.size()) return 0.0;
  return grades[static_cast<size_t>(position)].ideal;
}
