// Selecting words and planning the selection into study.
#include <algorithm>
#include <cstdlib>

#include "books/FormatOneInteger.h"
#include "books/WordsUIViewController.h"
#include "platform/base/Bundle.h"
#include "platform/base/Clock.h"
#include "platform/base/MainThread.h"
#include "platform/base/Random.h"
#include "platform/view/NavigationController.h"
#include "platform/view/TabBarController.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "store/ReviewPlanHooks.h"
#include "store/StoreTransaction.h"
#include "ui/MyAlerView.h"

namespace {

// "Don't ask again today" marks hold a calendar day, which changes at midnight.
bool silencedToday(const std::string& key) {
  const std::string stored = CallDB::callDB()->getPersonalValue(key);
  return !stored.empty() && std::strtoll(stored.c_str(), nullptr, 10) == MyDate::calendarDayId();
}

void silenceForToday(const std::string& key) {
  CallDB::callDB()->UpdatePersonalValue_isNeed(key, std::to_string(MyDate::calendarDayId()));
}

std::vector<std::string> wordsOf(const WordSlots& slots) {
  std::vector<std::string> words;
  for (const WordSlot& slot : slots)
    if (slot && !slot->empty()) words.push_back(*slot);
  return words;
}

std::vector<std::string> stringsOf(const plat::Value& flat) {
  std::vector<std::string> words;
  for (size_t i = 0; i < flat.size(); ++i) words.push_back(flat.at(i).asString());
  return words;
}

}  // namespace

void WordsUIViewController::removeFirst(WordSlots& list, const std::string& word) {
  auto found = std::find(list.begin(), list.end(), WordSlot(word));
  if (found != list.end()) list.erase(found);
}

void WordsUIViewController::selectwords_callback(const std::string& word, bool isAdd) {
  if (isAdd) {
    (*allWordsState_)[word] = WordListState::kSelected;
    selWords_->push_back(word);
  } else {
    (*allWordsState_)[word] = WordListState::kNotSelected;
    removeFirst(*selWords_, word);
  }
  refreshData_All();
  refreshTabs();
}

void WordsUIViewController::saveWord() {
  if (selWords_->empty() || isLoadData_) return;
  const int64_t need = CallDB::callDB()->getNeedLearnNum();
  std::string message = plat::localized("wordsview_eg5");
  if (need < static_cast<int64_t>(selWords_->size()))
    message = formatOneInteger(plat::localized("wordsview_eg4"), need);
  auto alert = plat::AlertView::create("提示", message, this, "取消", {"确定"});
  alert->setTag(kSaveAlert);
  alert->show();
}

void WordsUIViewController::saveWord_aler_callback() {
  if (selWords_->empty()) return;
  const std::vector<std::string> planned = wordsOf(*selWords_);
  CallDB* db = CallDB::callDB();
  const bool saved = StoreTransaction::run(db->sqlMgr(), [&] {
    const int64_t learnTime = MyDate::storedTime(MyDate::localDateTime());
    for (const std::string& word : planned) db->InsertStudyWord(word, learnTime);
    computeDictionaryRule();
  });
  if (!saved) {
    // The selection stays as it was, ready for another try.
    MyAlerView::sharedAler()->ViewShow(plat::localized("wordsview_eg9"));
    return;
  }
  selWords_->clear();
  afterPlanning(planned);
}

void WordsUIViewController::afterPlanning(const std::vector<std::string>& planned) {
  CallDB* db = CallDB::callDB();
  for (const std::string& word : planned) (*allWordsState_)[word] = WordListState::kInStudy;
  if (const auto& tell = ReviewPlanHooks::shared().addNewWordFinish) tell(planned);

  const int book = static_cast<int>(bookID_);
  if (parentType_ == kListsFromStore && bookID_ == CallDB::WholeLibraryBookID) {
    learnedWordsNum_ = db->getStudyWordNum(book);
    noneWordsNum_ = db->getNoneWordNum(book);
    learnedWords_->assign(static_cast<size_t>(learnedWordsNum_), WordSlot());
    noneWords_->assign(static_cast<size_t>(noneWordsNum_), WordSlot());
  } else if (parentType_ == kListsFromStore) {
    if (db->getPersonalValue("last_look_bookID").empty() && deleage_)
      deleage_->changeExpandedItem_callback();
    db->UpdatePersonalValue_isNeed("last_look_bookID", std::to_string(bookID_));
    for (const std::string& word : planned) removeFirst(*noneWords_, word);
    noneWordsNum_ = static_cast<int64_t>(noneWords_->size());
    learnedWordsNum_ = db->getStudyWordNum(book);
    learnedWords_->resize(static_cast<size_t>(learnedWordsNum_), WordSlot(""));
    addNewThread({"2"});
  } else {
    for (const std::string& word : planned) {
      learnedWords_temp_.insert(learnedWords_temp_.begin(), word);
      auto found = std::find(noneWords_temp_.begin(), noneWords_temp_.end(), word);
      if (found != noneWords_temp_.end()) noneWords_temp_.erase(found);
    }
    learnedWordsNum_ = static_cast<int64_t>(learnedWords_temp_.size());
    noneWordsNum_ = static_cast<int64_t>(noneWords_temp_.size());
    *learnedWords_ = slotsOf(learnedWords_temp_);
    *noneWords_ = slotsOf(noneWords_temp_);
    if (isSort_) sortCaseInsensitive(*noneWords_);
  }
  refreshData_All();
  refreshTabs();

  if (silencedToday("review_noLP")) {
    MyAlerView::sharedAler()->ViewShow(plat::localized("alermsg_eg46"));
    return;
  }
  auto alert =
      plat::AlertView::create("提示", plat::localized("alermsg_eg24"), this,
                              plat::localized("alermsg_cancel1"), {plat::localized("alermsg_ok1")});
  alert->setTag(kAfterSaveAlert);
  alert->show();
}

void WordsUIViewController::didDismissWithButtonIndex(plat::AlertView& alert, int index) {
  switch (alert.tag()) {
    case kSaveAlert:
      if (index == 1) {
        std::weak_ptr<WordsUIViewController> self =
            std::static_pointer_cast<WordsUIViewController>(shared_from_this());
        plat::performOnMainThread([self] {
          if (auto screen = self.lock()) screen->saveWord_aler_callback();
        });
      }
      break;
    case kAfterSaveAlert:
      if (index != 1) {
        silenceForToday("review_noLP");
      } else if (auto* tabs = tabBarController(); tabs && tabs->selectedIndex() != 0) {
        tabs->setSelectedIndex(0);
      } else {
        popSelf(true);
      }
      break;
    case kLeaveAlert:
      if (index == 1)
        popSelf(true);
      else
        silenceForToday("exitlearn_noLP");
      break;
    default:
      break;
  }
}

void WordsUIViewController::popSelf(bool animated) {
  if (auto* nav = navigationController()) nav->popViewController(animated);
}

void WordsUIViewController::goBackAction() {
  if (!selWords_->empty() && !silencedToday("exitlearn_noLP")) {
    auto alert = plat::AlertView::create("提示", plat::localized("wordsview_eg2"), this,
                                         plat::localized("alermsg_cancel1"), {"退出"});
    alert->setTag(kLeaveAlert);
    alert->show();
    return;
  }
  popSelf(false);
}

void WordsUIViewController::selectWords(const std::vector<std::string>& words, int64_t maxNum) {
  if (maxNum < 1) {
    plat::AlertView::create("提示", plat::localized("alermsg_eg40"), nullptr, "确定")->show();
    return;
  }
  for (const WordSlot& slot : *selWords_)
    if (slot) (*allWordsState_)[*slot] = WordListState::kNotSelected;
  selWords_->clear();
  for (size_t i = 0; i < words.size() && static_cast<int64_t>(i) < maxNum; ++i) {
    (*allWordsState_)[words[i]] = WordListState::kSelected;
    selWords_->push_back(words[i]);
  }
  refreshData_All();
  refreshTabs();
}

void WordsUIViewController::orderSel() {
  if (isLoadData_) return;
  CallDB* db = CallDB::callDB();
  if (parentType_ == kListsFromStore && bookID_ == CallDB::WholeLibraryBookID) {
    const std::vector<std::string> words = stringsOf(db->getOrderWords());
    selectWords(words, static_cast<int64_t>(words.size()));
    return;
  }
  selectWords(wordsOf(*noneWords_), db->getNeedLearnNum());
}

void WordsUIViewController::randomSel() {
  if (isLoadData_) return;
  CallDB* db = CallDB::callDB();
  if (parentType_ == kListsFromStore && bookID_ == CallDB::WholeLibraryBookID) {
    const std::vector<std::string> words = stringsOf(db->getRandomWords());
    selectWords(words, static_cast<int64_t>(words.size()));
    return;
  }
  const int64_t need = db->getNeedLearnNum();
  std::vector<std::string> words = wordsOf(*noneWords_);
  const size_t count = words.size();
  if (static_cast<int64_t>(count) > need) {
    // Half as many exchanges as entries, each from the front half to any place.
    plat::seedRand(static_cast<unsigned>(plat::Clock::current().now()));
    if (count >= 2)
      for (size_t i = 0; i < count / 2; ++i)
        std::swap(words[i], words[static_cast<size_t>(plat::rand()) % count]);
  }
  selectWords(words, need);
}
