// The review screen's actions: revealing and answering, browsing back over the answered words,
// deleting a word never tested, pronouncing, the backup, and the screens it opens.
#include "learn/ReViewController.h"
#include "learn/ReviewScreens.h"
#include "online/Data_Package.h"
#include "platform/base/Bundle.h"
#include "platform/view/NavigationController.h"
#include "store/CallDB.h"
#include "store/StoreTransaction.h"
#include "ui/GuiImages.h"
#include "ui/MyAlerView.h"
#include "ui/MyListAlerView.h"
#include "voice/AudioControl.h"

namespace {

std::string text(const char* key) {
  return plat::localized(key, "InfoPlist");
}

}  // namespace

void ReViewController::showSelBtn() {
  queue_.showSelBtn();
}

void ReViewController::selBtn_Down() {
  queue_.selBtn_Down();
}

void ReViewController::selBtn_Up(int button) {
  queue_.selBtn_Up(button);
}

// ---- Browsing over the answered words

void ReViewController::upWord() {
  if (queue_.finishWords().empty() || queue_.currWordIndex() <= 0) return;
  queue_.setCurrWordIndex(queue_.currWordIndex() - 1);
  wordView_->downWordBtn()->setHidden(false);
  if (queue_.currWordIndex() == 0) wordView_->upWordBtn()->setHidden(true);
  commonUpDown();
}

void ReViewController::downWord() {
  const int64_t count = int64_t(queue_.finishWords().size());
  if (count == 0 || queue_.currWordIndex() >= count) return;
  queue_.setCurrWordIndex(queue_.currWordIndex() + 1);
  wordView_->upWordBtn()->setHidden(false);
  if (queue_.currWordIndex() < count)
    commonUpDown();
  else
    returnToLiveWord();
}

void ReViewController::returnReview() {
  queue_.setCurrWordIndex(int64_t(queue_.finishWords().size()));
  returnToLiveWord();
}

void ReViewController::returnToLiveWord() {
  const int before = queue_.currRemState();
  queue_.ShowFrontWord();
  // The live word had been revealed before the learner browsed away: reveal it again.
  if (before == ReviewQueue::kCardRevealed && queue_.currRemState() == ReviewQueue::kCardHidden) {
    queue_.setCurrRemState(ReviewQueue::kCardRevealed);
    showAnswerButtons();
    changeRemindLabel(1);
  }
}

void ReViewController::commonUpDown() {
  const auto& words = queue_.finishWords();
  queue_.changeWordBtnText(words[size_t(queue_.currWordIndex())]);
  refreshWordView();
  showBtn_->setHidden(true);
  infoLabel_->setHidden(true);
  backupDataBtn_->setHidden(true);
  today_reBtn_->setHidden(true);
  wordImage_->setHidden(true);
  const auto& pending = queue_.WaitSaveWord();
  if (queue_.browsesLastAnswer() && pending) {
    for (int grade = 2; grade <= 4; ++grade) answerButtons_[size_t(grade - 1)]->setHidden(false);
    returnReviewBtn_->setHidden(true);
    changeRemindLabel(2);
    const int g = pending->grade;
    if (g >= 1 && g <= 4) {
      const char* images[] = {"gui/rs_btn_s.png", "gui/rs_btn_s.png", "gui/mh_btn_s.png",
                              queue_.ReviewState() == ReviewQueue::kStateLearn
                                  ? "gui/brs_btn_s.png"
                                  : "gui/wj_btn_s.png"};
      answerButtons_[size_t(g - 1)]->setBackgroundImage(
          guiimages::stretchable(images[g - 1], 10, 10));
    }
  } else {
    for (auto& button : answerButtons_) button->setHidden(true);
    returnReviewBtn_->setHidden(false);
    changeRemindLabel(3);
  }
  downWordBtn_->setHidden(true);
  upWordBtn_->setHidden(true);
  showCard(true);
}

// ---- Deleting a word never tested

void ReViewController::delete_word() {
  const std::string word = queue_.reallyName();
  if (word.empty()) return;
  // The queue changes only once the plan did: a failed removal leaves the word where it is.
  const bool removed =
      StoreTransaction::run([&] { CallDB::callDB()->delete_StudyWord(word); },
                            [this](const std::string&) { showMessage(text("review_eg9")); });
  if (removed) queue_.delnewWord(word);
}

// ---- Sound, backup and the screens opened from here

void ReViewController::audioBtn() {
  if (wordBtn_->currentTitle().empty()) return;
  AudioControl::sharedAudio().playerWord(queue_.reallyName(), true);
}

void ReViewController::backupData() {
  CallDB* store = CallDB::callDB();
  if (store->getPersonalValue("account").empty()) {
    MyAlerView::sharedAler()->ViewShow(text("alermsg_eg13"));
    return;
  }
  if (!Data_Package::check_isSyn()) {
    MyAlerView::sharedAler()->ViewShow(text("alermsg_eg14"));
    return;
  }
  // The state the upload reads is committed before its thread starts.
  const bool saved = StoreTransaction::run(
      [&] {
        store->modify_systeminfo();
        closeProgramNow();
      },
      [this](const std::string&) { showMessage(text("review_eg10")); });
  if (!saved) return;
  if (!dataBackup_) {
    dataBackup_ = std::make_unique<Data_Backup>();
    dataBackup_->setDelegate(this);
  }
  MyListAlerView::sharedAler()->initShowList({text("data_backup")});
  dataBackup_->upData();
}

void ReViewController::updateDateFinish_callback() {
  MyListAlerView::sharedAler()->AlerListHide(true);
}

void ReViewController::today_re() {
  queue_.changeViewState();
  auto* nav = navigationController();
  if (!nav) return;
  auto screen = ReviewScreens::makeTodayReview();
  screen->setHidesBottomBarWhenPushed(true);
  nav->pushViewController(screen, true);
}

void ReViewController::extract_words() {
  auto* nav = navigationController();
  if (!nav) return;
  auto screen = ReviewScreens::makeDailyLesson();
  screen->setHidesBottomBarWhenPushed(true);
  nav->pushViewController(screen, true);
}

void ReViewController::sign() {
  ReviewScreens::signIn(*this);
}
