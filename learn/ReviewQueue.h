// The review queue that the review screen owns and drives: the words the learner answers one at a
// time, loaded from the due words or resumed from its mirror in review_list, shown, graded,
// re-tested and rescheduled. Due words come first (state 4, reviewing), then the planned words
// never tested (state 8, learning); with both done the screen is idle (state 2).
//
// Only the answer to a word's first showing since the queue was loaded reaches the word's study
// record, and it is written one answer late: at the next live answer, at changeViewState(), or at
// once when the learner changes it while browsing back. Every effect on the screen goes through
// ReviewQueueView. Main thread only.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "learn/FeedbackGrade.h"
#include "learn/P_Review.h"
#include "learn/ReviewQueueView.h"

class ReviewQueue {
 public:
  // Screen states.
  static constexpr int kStateIdle = 2;
  static constexpr int kStateReview = 4;
  static constexpr int kStateLearn = 8;
  // Card states.
  static constexpr int kCardNothing = 2;
  static constexpr int kCardHidden = 4;
  static constexpr int kCardRevealed = 8;

  // The answer waiting to be written: the word, the re-test position it was given at, its grade.
  struct PendingAnswer {
    std::string word;
    int32_t retestPos = 0;
    int grade = 0;
  };

  explicit ReviewQueue(ReviewQueueView& view) : view_(view) {}
  ReviewQueue(const ReviewQueue&) = delete;
  ReviewQueue& operator=(const ReviewQueue&) = delete;

  // ---- Loading
  // First appearance: the grades, empty lists, and the queue resumed from review_list (an empty
  // table leaves the screen idle without looking for new words, its badges as stored).
  void firstInit();
  void LoadFeedbackDefine();
  // Rebuilds the queue from review_list; false when the table is empty.
  bool LoadReviewWords_TempData();
  // A new study day or changed data: drops the answered words and the pending answer unwritten,
  // and loads the due words.
  void reLoadReviewData();
  bool LoadReviewWords();
  // Shuffles the words in place (the first 30 among themselves, the rest among themselves) and
  // appends them to the queue.
  void upSetWords(std::vector<std::string>& words);

  // ---- Showing
  void changeWordBtnText(const std::string& word);
  // Shows entry 0, or loads the new words when the queue is empty, or goes idle.
  void ShowFrontWord();
  // Sets the card state for the queue and lets the screen lay out its controls.
  void updateControl();
  // The reveal of the meaning and the answer buttons.
  void showSelBtn();

  // ---- Answering
  // Touch-down and touch-up of answer button 1 to 4: the answer counts only when the word on
  // screen is still the one of the touch-down.
  void selBtn_Down();
  void selBtn_Up(int button);
  // One answer of grade 1 to 4 to the word on screen.
  void FeedBack(int grade);
  void addLearnedWord(const std::string& word);
  // Writes the pending answer when it belongs to a first showing, and clears it.
  void SaveFeedBack();
  // Saves the pending answer before the screen is left or the data are used elsewhere.
  void changeViewState();
  // Queues a re-test of the word on screen; true when one was queued.
  bool ReTestWord(int32_t retestPos, int grade);
  // Drops entry 0 (and its review_list row when `deleteRow`) and shows the next word.
  void ShowNextWord(bool deleteRow);

  // ---- Changes of the plan made elsewhere
  // Words planned while the queue runs join it as new words, unless due words are being reviewed.
  void addnewWord(const std::vector<std::string>& words);
  // A word left the plan: it leaves the queue and the answered words, with its pending answer.
  void delnewWord(const std::string& word);

  // ---- Schedule
  // Computes the interval and writes the answer (with its counters) in one transaction. A word
  // without a study record is skipped; a failed write is rolled back and shown.
  void UpdateAllData(const std::string& word, int grade);
  // The next study time for an answer with interval `days` and grade history [grade, previous,
  // the one before] (grade ids outside the grade list count as 0).
  int64_t UpdateNextStudyTime(const std::string& word, int64_t days,
                              const std::array<int, 3>& history);

  // ---- State
  const FeedbackGrades& ArrayFeedback() const { return feedback_; }
  const std::deque<P_Review>& ArrayReview() const { return queue_; }
  const std::vector<std::string>& finishWords() const { return finishWords_; }
  int64_t currWordIndex() const { return currWordIndex_; }
  void setCurrWordIndex(int64_t index) { currWordIndex_ = index; }
  const std::optional<PendingAnswer>& WaitSaveWord() const { return pending_; }
  const std::string& reallyName() const { return reallyName_; }
  const std::string& wordTitle() const { return wordTitle_; }
  int ReviewState() const { return reviewState_; }
  int currRemState() const { return currRemState_; }
  void setCurrRemState(int state) { currRemState_ = state; }
  // The live word is shown (not an answered word browsed back to).
  bool showsLiveWord() const;
  // The learner browsed back to the last answered word.
  bool browsesLastAnswer() const;

 private:
  void setState(int state);
  void setQueueBadges();
  // No word to show: no review badges, and the word-book tab's count of new words to plan.
  void setIdleBadges();
  void answerWhileBrowsing(int grade);
  // Runs `work` in one transaction; a failure rolls back and is shown. False on failure.
  bool guarded(const std::function<void()>& work);

  ReviewQueueView& view_;
  FeedbackGrades feedback_;
  std::deque<P_Review> queue_;
  std::vector<std::string> finishWords_;
  int64_t currWordIndex_ = 0;
  std::optional<PendingAnswer> pending_;
  std::string reallyName_;
  std::string wordTitle_;
  std::string strName_;  // the word title at an answer button's touch-down
  int reviewState_ = 0;
  int currRemState_ = 0;
};
