// How the word card talks back to its owner (the review screen, today's review, a book's word
// lists). Every callback but the state question may be left out; the card then does nothing.
#pragma once

#include <cstdint>
#include <string>

class BaseWordDeleage {
 public:
  virtual ~BaseWordDeleage() = default;

  // The word's state in the owner's lists: "1" in the study plan, "2" not selected, "3" selected.
  // Asked only by the plan button, which the embedded card never shows.
  virtual std::string checkWordState_callback(const std::string& /*word*/) { return ""; }
  // The learner ticked (YES) or unticked the word on the card.
  virtual void selectwords_callback(const std::string& /*word*/, bool /*isAdd*/) {}
  // The learner removed the word from the plan; the card always sends kind 2.
  virtual void deletewords_callback(const std::string& /*word*/, int64_t /*type*/) {}
  // Previous and next word of the owner's list.
  virtual void upBtn_Click_callback() {}
  virtual void downBtn_Click_callback() {}
};
