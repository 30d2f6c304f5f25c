// What the word lists tell the review screen after a committed change of the study plan. The
// review screen lives in a folder the word lists may not call; it registers an implementation at
// start-up, and tests register one that records the calls.
#pragma once

#include <string>
#include <vector>

class ReviewPlanHooks {
 public:
  virtual ~ReviewPlanHooks() = default;

  // Words just planned into study.
  virtual void addNewWordFinish(const std::vector<std::string>& /*words*/) {}
  // A word just taken out of study.
  virtual void deleteWordFinish(const std::string& /*word*/) {}

  // The registered hooks, or nullptr; not owned: unregister with nullptr before they go away.
  static void install(ReviewPlanHooks* hooks);
  static ReviewPlanHooks* installed();
};
