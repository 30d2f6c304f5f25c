// Taking a word out of study from a learnt row or from the word card.
#include <algorithm>

#include "books/WordsUIViewController.h"
#include "store/CallDB.h"
#include "store/ReviewPlanHooks.h"
#include "store/StoreTransaction.h"

void WordsUIViewController::deletewords_callback(const std::string& word, int type) {
  CallDB* db = CallDB::callDB();
  if (!StoreTransaction::run(db->sqlMgr(), [&] { db->delete_StudyWord(word); })) return;
  if (const auto& tell = ReviewPlanHooks::shared().deleteWordFinish) tell(word);
  (*allWordsState_)[word] = WordListState::kNotSelected;

  const int book = static_cast<int>(bookID_);
  if (parentType_ == kListsFromStore && bookID_ == CallDB::WholeLibraryBookID) {
    learnedWordsNum_ = db->getStudyWordNum(book);
    noneWordsNum_ = db->getNoneWordNum(book);
    learnedWords_->assign(static_cast<size_t>(learnedWordsNum_), WordSlot());
    noneWords_->assign(static_cast<size_t>(noneWordsNum_), WordSlot());
  } else if (parentType_ == kListsFromStore && isLoadData_) {
    // The running load may have read the lists before the removal: both are read again after it.
    learnedWordsNum_ = db->getStudyWordNum(book);
    noneWordsNum_ = db->getNoneWordNum(book);
    learnedWords_->resize(static_cast<size_t>(learnedWordsNum_), WordSlot(""));
    noneWords_->resize(static_cast<size_t>(noneWordsNum_), WordSlot(""));
    addNewThread({"3", "2"});
  } else if (parentType_ == kListsFromStore) {
    removeFirst(*learnedWords_, word);
    learnedWordsNum_ = static_cast<int64_t>(learnedWords_->size());
    noneWordsNum_ = db->getNoneWordNum(book);
    noneWords_->resize(static_cast<size_t>(noneWordsNum_), WordSlot(""));
    addNewThread({"3"});
  } else {
    auto found = std::find(learnedWords_temp_.begin(), learnedWords_temp_.end(), word);
    if (found != learnedWords_temp_.end()) learnedWords_temp_.erase(found);
    learnedWordsNum_ = static_cast<int64_t>(learnedWords_temp_.size());
    noneWords_temp_.clear();
    for (const std::string& w : allWords_temp_)
      if (std::find(learnedWords_temp_.begin(), learnedWords_temp_.end(), w) ==
          learnedWords_temp_.end())
        noneWords_temp_.push_back(w);
    noneWordsNum_ = static_cast<int64_t>(noneWords_temp_.size());
    *learnedWords_ = slotsOf(learnedWords_temp_);
    *noneWords_ = slotsOf(noneWords_temp_);
    if (isSort_) sortCaseInsensitive(*noneWords_);
  }
  if (type == 2 && baseWordViewCtrl_) {
    if (baseWordViewCtrl_->currPage() == kPageAll) baseWordViewCtrl_->addRightItemBtn();
    if (baseWordViewCtrl_->currPage() == kPageLearned) currword_del_callback();
  }
  refreshData_All();
  refreshTabs();
}

void WordsUIViewController::update_EM_list() {
  if (!EMList_) {
    EMList_ = std::make_unique<EMListNSObject>();
    EMList_->setDeleage(this);
  }
  EMList_->getExcellentMnemonic();
}

void WordsUIViewController::GetEMList_finish_callback() {
  std::vector<std::string> all, learned, none;
  {
    plat::Value a, l, n;
    CallDB::callDB()->haveSpecialBook(a, l, n);
    for (size_t i = 0; i < a.size(); ++i) all.push_back(a.at(i).asString());
    for (size_t i = 0; i < l.size(); ++i) learned.push_back(l.at(i).asString());
    for (size_t i = 0; i < n.size(); ++i) none.push_back(n.at(i).asString());
  }
  allWords_temp_ = all;
  learnedWords_temp_ = learned;
  noneWords_temp_ = none;
  *allWords_ = slotsOf(all);
  *learnedWords_ = slotsOf(learned);
  *noneWords_ = slotsOf(none);
  allWordsNum_ = static_cast<int64_t>(all.size());
  learnedWordsNum_ = static_cast<int64_t>(learned.size());
  noneWordsNum_ = static_cast<int64_t>(none.size());
  allWordsState_->clear();
  for (const auto& w : learned) (*allWordsState_)[w] = WordListState::kInStudy;
  for (const auto& w : none) (*allWordsState_)[w] = WordListState::kNotSelected;
  for (const WordSlot& w : *selWords_)
    if (w) (*allWordsState_)[*w] = WordListState::kSelected;
  refreshData(0);
  refreshData(3);
  refreshData(1);
  refreshTabs();
  showEmptyHint();
}
