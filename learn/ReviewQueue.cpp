// Loading, resuming and showing the review queue, and the plan changes made elsewhere.
#include <algorithm>
#include <cstdint>

#include "learn/ReviewQueue.h"
#include "platform/base/Clock.h"
#include "platform/base/Random.h"
#include "store/CallDB.h"
#include "store/StoreTransaction.h"

namespace {

using plat::Value;

// The first words of the due list are the most overdue: they are shuffled only among themselves.
constexpr size_t kShuffleHead = 30;

const char* titleOf(int state) {
  switch (state) {
    case ReviewQueue::kStateReview:
      return "复习中";
    case ReviewQueue::kStateLearn:
      return "学习中";
    default:
      return "复习/学习";
  }
}

std::vector<std::string> wordsOf(const Value& list) {
  std::vector<std::string> words;
  words.reserve(list.size());
  for (size_t i = 0; i < list.size(); ++i) words.push_back(list.at(i).asString());
  return words;
}

Value valueOf(const std::vector<std::string>& words) {
  std::vector<Value> items(words.begin(), words.end());
  return Value::array(std::move(items));
}

}  // namespace

bool ReviewQueue::guarded(const std::function<void()>& work) {
  return StoreTransaction::run(work,
                               [this](const std::string& reason) { view_.showMessage(reason); });
}

void ReviewQueue::setState(int state) {
  reviewState_ = state;
  view_.setReviewTitle(titleOf(state));
}

void ReviewQueue::setQueueBadges() {
  const int count = static_cast<int>(queue_.size());
  view_.setReviewBadge(std::to_string(count));
  view_.setIconBadge(count);
  view_.setWordBookBadge("");
}

void ReviewQueue::setIdleBadges() {
  view_.setReviewBadge("");
  view_.setIconBadge(0);
  // The word-book tab counts the new words that may still be planned today.
  const int toPlan = CallDB::callDB()->getNeedLearnNum();
  view_.setWordBookBadge(toPlan >= 1 ? std::to_string(toPlan) : "");
}

bool ReviewQueue::showsLiveWord() const {
  return currWordIndex_ == static_cast<int64_t>(finishWords_.size());
}

bool ReviewQueue::browsesLastAnswer() const {
  return currWordIndex_ + 1 == static_cast<int64_t>(finishWords_.size());
}

void ReviewQueue::firstInit() {
  guarded([this] {
    feedback_.clear();
    LoadFeedbackDefine();
    queue_.clear();
    finishWords_.clear();
    currWordIndex_ = 0;
    if (LoadReviewWords_TempData()) {
      ShowFrontWord();
      return;
    }
    // New words are not looked for here: the screen waits for the next rebuild or plan change.
    // The badges show the stored state all the same, as they did before the app was closed.
    changeWordBtnText("");
    setIdleBadges();
    updateControl();
    view_.deleteBtn_isShow();
  });
}

void ReviewQueue::LoadFeedbackDefine() {
  for (FeedbackGrade& grade : readFeedbackGrades()) feedback_.push_back(std::move(grade));
}

bool ReviewQueue::LoadReviewWords_TempData() {
  const Value rows = CallDB::callDB()->getReviewWords_tempData();
  if (rows.size() == 0) return false;
  for (size_t i = 0; i < rows.size(); ++i) {
    const Value& row = rows.at(i);
    queue_.push_back(
        P_Review::makeWithWord(row.at(0).asString(), static_cast<int32_t>(row.at(2).asInt())));
  }
  setState(rows.at(0).at(1).asInt() != 0 ? kStateLearn : kStateReview);
  return true;
}

void ReviewQueue::reLoadReviewData() {
  guarded([this] {
    queue_.clear();
    finishWords_.clear();
    currWordIndex_ = 0;
    pending_.reset();  // dropped unwritten: the new day's queue starts afresh
    LoadReviewWords();
    ShowFrontWord();
  });
}

bool ReviewQueue::LoadReviewWords() {
  setState(kStateReview);
  CallDB& db = *CallDB::callDB();
  std::vector<std::string> words = wordsOf(db.GetReviewWords("review"));
  upSetWords(words);
  db.initReviewWords_tempData(valueOf(words), 0);
  return true;
}

void ReviewQueue::upSetWords(std::vector<std::string>& words) {
  const size_t n = words.size();
  if (n == 0) return;
  const size_t k = std::min(n, kShuffleHead);
  plat::seedRand(static_cast<unsigned>(static_cast<int64_t>(plat::Clock::current().now())));
  for (size_t i = 0; i < k; ++i) std::swap(words[i], words[static_cast<size_t>(plat::rand()) % k]);
  if (n > kShuffleHead) {
    for (size_t i = k; i < n; ++i)
      std::swap(words[i], words[k + static_cast<size_t>(plat::rand()) % (n - k)]);
  }
  for (const std::string& word : words) queue_.push_back(P_Review::makeWithWord(word, 0));
}

void ReviewQueue::changeWordBtnText(const std::string& word) {
  wordTitle_ = word.empty() ? std::string() : CallDB::callDB()->getWord_ShowName(word);
  view_.setWordTitle(wordTitle_);
  reallyName_ = word;
}

void ReviewQueue::ShowFrontWord() {
  guarded([this] {
    if (!queue_.empty()) {
      changeWordBtnText(queue_.front().sWord);
      if (reviewState_ == kStateIdle) setState(kStateReview);
      setQueueBadges();
    } else {
      CallDB& db = *CallDB::callDB();
      std::vector<std::string> words = wordsOf(db.GetReviewWords("newlearn"));
      if (pending_) std::erase(words, pending_->word);
      upSetWords(words);
      db.initReviewWords_tempData(valueOf(words), 1);
      if (!queue_.empty()) {
        setState(kStateLearn);
        changeWordBtnText(queue_.front().sWord);
        setQueueBadges();
      } else {
        setState(kStateIdle);
        changeWordBtnText("");
        setIdleBadges();
      }
    }
    updateControl();
    view_.refreshWordView();
  });
}

void ReviewQueue::updateControl() {
  currRemState_ = queue_.empty() ? kCardNothing : kCardHidden;
  view_.updateControl();
}

void ReviewQueue::showSelBtn() {
  view_.showAnswerButtons();
  currRemState_ = kCardRevealed;
  view_.changeRemindLabel(1);
  if (CallDB::callDB()->getPersonalValue("autoAccept") == "1") view_.autoAcceptFun();
}

void ReviewQueue::addnewWord(const std::vector<std::string>& words) {
  // While due words are reviewed the new words wait: they are loaded once the due ones are done.
  if (reviewState_ == kStateReview) return;
  guarded([&] {
    const size_t before = queue_.size();
    setState(kStateLearn);
    view_.setWordBookBadge("");
    const int count = static_cast<int>(words.size() + before);
    view_.setReviewBadge(std::to_string(count));
    view_.setIconBadge(count);
    CallDB::callDB()->addTempData(valueOf(words));
    std::vector<std::string> shuffled = words;
    upSetWords(shuffled);
    if (before == 0 && showsLiveWord()) ShowFrontWord();
  });
}

void ReviewQueue::delnewWord(const std::string& word) {
  guarded([&] {
    auto queued = std::find_if(queue_.begin(), queue_.end(),
                               [&](const P_Review& entry) { return entry.sWord == word; });
    const bool wasQueued = queued != queue_.end();
    if (wasQueued) {
      queue_.erase(queued);
      CallDB::callDB()->delTempData(word);
    }
    const bool wasAnswered = std::erase(finishWords_, word) > 0;
    // Only the word's own pending answer goes; another word's stays to be written.
    if (wasAnswered && pending_ && pending_->word == word) pending_.reset();
    if (!wasQueued && !wasAnswered) return;
    currWordIndex_ = static_cast<int64_t>(finishWords_.size());
    ShowFrontWord();
  });
}
