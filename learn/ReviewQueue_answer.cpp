// Answering the word on screen: grades, the pending answer, re-tests and the next word.
#include <algorithm>

#include "learn/ReviewQueue.h"
#include "learn/ReviewSchedule.h"
#include "platform/base/Bundle.h"
#include "store/CallDB.h"

namespace {

// A first showing answered below this ideal value comes back as a re-test.
constexpr double kRetestBelow = 0.6;

}  // namespace

void ReviewQueue::selBtn_Down() {
  strName_ = wordTitle_;
}

void ReviewQueue::selBtn_Up(int button) {
  if (wordTitle_ != strName_) return;  // the word changed under the finger
  if (button >= 1 && button <= 4) FeedBack(button);
}

void ReviewQueue::FeedBack(int grade) {
  if (grade < 1 || grade >= static_cast<int>(feedback_.size())) return;
  // One transaction for the answer and the queue's mirror; the pending answer's own writes are a
  // unit inside it, so a failed save does not take the queue's progress with it.
  guarded([&] {
    if (browsesLastAnswer()) {
      answerWhileBrowsing(grade);
      return;
    }
    if (queue_.empty()) return;
    const P_Review entry = queue_.front();
    addLearnedWord(reallyName_);
    SaveFeedBack();
    pending_ = PendingAnswer{reallyName_, entry.nReTestPos, grade};
    bool deleteRow = true;
    if (idealAt(feedback_, grade) < kRetestBelow || entry.nReTestPos != 0)
      deleteRow = !ReTestWord(entry.nReTestPos, grade);
    ShowNextWord(deleteRow);
  });
}

void ReviewQueue::answerWhileBrowsing(int grade) {
  // The answer buttons are offered here only while the last answer is pending.
  if (!pending_ || pending_->word != reallyName_) return;
  const int32_t retestPos = pending_->retestPos;
  auto queued = std::find_if(queue_.begin(), queue_.end(),
                             [&](const P_Review& entry) { return entry.sWord == reallyName_; });
  if (queued != queue_.end()) {
    // The re-test that the first answer queued goes with it.
    queue_.erase(queued);
    CallDB::callDB()->delTempData(reallyName_);
  }
  pending_ = PendingAnswer{reallyName_, retestPos, grade};
  SaveFeedBack();
  if (idealAt(feedback_, grade) < kRetestBelow || retestPos != 0) ReTestWord(retestPos, grade);
  view_.showReturnButton();
  view_.deleteBtn_isShow();
  view_.changeRemindLabel(3);
}

void ReviewQueue::addLearnedWord(const std::string& word) {
  finishWords_.push_back(word);
  currWordIndex_ = static_cast<int64_t>(finishWords_.size());
}

void ReviewQueue::SaveFeedBack() {
  if (!pending_) return;
  const PendingAnswer answer = std::move(*pending_);
  pending_.reset();
  // Answers at re-tests only decide where the word comes back.
  if (answer.retestPos == 0) UpdateAllData(answer.word, answer.grade);
}

void ReviewQueue::changeViewState() {
  if (pending_ && !finishWords_.empty() && browsesLastAnswer()) {
    view_.showReturnButton();
    view_.changeRemindLabel(3);
  }
  SaveFeedBack();
}

bool ReviewQueue::ReTestWord(int32_t retestPos, int grade) {
  const std::optional<int32_t> pos =
      ReviewSchedule::retestPosition(retestPos, idealAt(feedback_, grade));
  if (!pos) return false;
  // Entry 0 is still the answered word, so `pos` other words come first once it is dropped.
  const size_t index = std::min(queue_.size(), static_cast<size_t>(*pos) + 1);
  queue_.insert(queue_.begin() + static_cast<long>(index),
                P_Review::makeWithWord(reallyName_, *pos));
  CallDB::callDB()->modifyTempData(reallyName_, reviewState_ == kStateLearn ? 1 : 0, *pos);
  return true;
}

void ReviewQueue::ShowNextWord(bool deleteRow) {
  const int stateBefore = reviewState_;
  if (deleteRow) CallDB::callDB()->delTempData(reallyName_);
  if (!queue_.empty()) queue_.pop_front();
  ShowFrontWord();
  if (stateBefore == kStateReview && reviewState_ == kStateLearn)
    view_.showAlert("提示", plat::localized("review_eg8"), "确定");
}
