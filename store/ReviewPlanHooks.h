// What the word lists tell the review screen after a committed change of the study plan. The
// review screen lives in a folder the word lists may not call; the application fills the entries
// in at start-up, and tests put recorders there. An entry left empty does nothing.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct ReviewPlanHooks {
  // Words just planned into study.
  std::function<void(const std::vector<std::string>& words)> addNewWordFinish;
  // A word just taken out of study.
  std::function<void(const std::string& word)> deleteWordFinish;

  static ReviewPlanHooks& shared();
};
