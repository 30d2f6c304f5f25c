// The word-list screen: one word set (a word book, the whole library, the special book of
// excellent mnemonics, or words extracted from a text) as four paged lists under a tab strip:
// all, not learnt, selected, learnt. It owns the lists, every word's state and the selection;
// loads a book's lists on a loader thread and the whole library in windows of 40 rows; selects
// by tap, swipe, in order and at random; plans the selection into study and takes words out.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "online/EMListNSObject.h"
#include "platform/base/DetachedWork.h"
#include "platform/base/Value.h"
#include "platform/view/AlertView.h"
#include "platform/view/Button.h"
#include "platform/view/Label.h"
#include "platform/view/ScrollView.h"
#include "ui/BaseViewController.h"
#include "ui/MyTabbarView.h"
#include "ui/PagerKeyboardRoom.h"
#include "wordlist/BaseWordDeleage.h"
#include "wordlist/WordCard.h"
#include "wordlist/WordListTypes.h"
#include "wordlist/WordsListViewCtrl.h"

// What the opener (the book library page) hears from the word-list screen.
class WordsUIViewDeleage {
 public:
  virtual ~WordsUIViewDeleage() = default;
  // A last viewed book is about to be stored while none was: the library gains a first section.
  virtual void changeExpandedItem_callback() {}
};

class WordsUIViewController : public BaseViewController,
                              public MyTabbarDeleage,
                              public WordsListViewCtrlDeleage,
                              public BaseWordDeleage,
                              public plat::ScrollViewDelegate,
                              public plat::AlertViewDelegate,
                              public EMListNSObjectDeleage {
 public:
  static constexpr int kPageCount = 4;
  static constexpr int kWindowRows = 40;
  static constexpr int kDictionaryThreshold = 60;  // planned words from which rows open cards
  static constexpr double kTabHeight = 40;
  static constexpr double kBottomBarHeight = 50;
  // Alert tags.
  static constexpr int kSaveAlert = 2;
  static constexpr int kAfterSaveAlert = 4;
  static constexpr int kLeaveAlert = 8;

  WordsUIViewController();
  ~WordsUIViewController() override;

  // ---- Set up by the opener before the push
  void setNavName(const std::string& name) { NavName_ = name; }
  void setParentName(const std::string& name) { ParentName_ = name; }
  void setBookID(int64_t bookId) { bookID_ = bookId; }
  void setDeleage(WordsUIViewDeleage* delegate) { deleage_ = delegate; }
  void setWordsDic(int64_t bookId);  // lists from the store
  void setWordsDic(const std::vector<std::string>& all, const std::vector<std::string>& learned,
                   const std::vector<std::string>& none);  // given lists

  // ---- Screen
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;
  void willRotateToInterfaceOrientation(plat::InterfaceOrientation, double) override;
  void willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation, double) override;
  void didRotateFromInterfaceOrientation(plat::InterfaceOrientation) override;

  // ---- Tabs and pages
  void selectTabBtn(int index) override;
  std::vector<std::vector<std::string>> changeTabName();
  void refreshTabs();  // need number, tab titles and the selection tab's colour
  void loadScrollViewWithPage(int page);
  void refreshData(int page);
  void refreshData_All();
  void scrollViewDidScroll(plat::ScrollView&) override;
  void scrollViewWillBeginDragging(plat::ScrollView&) override;
  void scrollViewDidEndDecelerating(plat::ScrollView&) override;

  // ---- Sorting (the two buttons of a word book's first two pages)
  void showBarButton();
  void buttonAction1();  // alphabetical
  void buttonAction2();  // book order
  void sortType(bool alphabetical);

  // ---- Windows of the whole library
  void allWordsFormPos(int64_t row, bool isDown);
  void noneWordsFormPos(int64_t row, bool isDown);
  void learnedWordsFormPos(int64_t row, bool isDown);

  // ---- Page delegate
  bool isSort_callback() override { return isSort_; }
  bool isLoadData_callback() override { return isLoadData_; }
  void loadNewWords_callback(int64_t page, int64_t row, bool isDown) override;
  void selectwords_callback(const std::string& word, bool isAdd) override;
  void deletewords_callback(const std::string& word, int type) override;
  bool answersPushNewView() const override { return true; }
  void pushNewView(int64_t row, int64_t page) override;
  void hideKeyboard_callback() override { keyboardRoom_.keyboardHiddenByScreen(); }
  void prohibitScroll_callback() override;
  void allowScroll_callback() override;

  // ---- Planning
  void saveWord();
  void saveWord_aler_callback();
  void goBackAction();
  void orderSel();
  void randomSel();
  void selectWords(const std::vector<std::string>& words, int64_t maxNum);
  void didDismissWithButtonIndex(plat::AlertView& alert, int index) override;

  // ---- The word card (its delegate)
  std::string checkWordState_callback(const std::string& word) override { return stateOf(word); }
  void deletewords_callback(const std::string& word, int64_t type) override {
    deletewords_callback(word, static_cast<int>(type));
  }
  void upBtn_Click_callback() override;
  void downBtn_Click_callback() override;
  void currword_del_callback();
  WordCard* baseWordViewCtrl() const { return baseWordViewCtrl_.get(); }
  int64_t currentWordLocal() const { return currentWordLocal_; }

  // The word lists of words extracted from a text, as the word card opens them.
  static std::shared_ptr<WordsUIViewController> forExtractedWords(const std::string& navName,
                                                                  const std::string& parentName,
                                                                  const plat::Value& words,
                                                                  const plat::Value& learnedWords,
                                                                  const plat::Value& noneWords);

  // ---- The special book's refresh
  void update_EM_list();
  void GetEMList_finish_callback() override;

  // ---- Keyboard while a page's search field is edited
  void keyboardShow(const plat::Value& info);
  void keyboardHide(const plat::Value& info);

  // ---- State, for the pages and the tests
  int64_t bookID() const { return bookID_; }
  int64_t parentType() const { return parentType_; }
  int pageNum() const { return pageNum_; }
  bool isSort() const { return isSort_; }
  bool isLoadData() const { return isLoadData_; }
  bool isOpenDictionary() const { return isOpenDictionary_; }
  int64_t needWordsNum() const { return needWordsNum_; }
  int64_t allWordsNum() const { return allWordsNum_; }
  plat::Label* emptyHint() const { return emptyHint_.get(); }
  int64_t learnedWordsNum() const { return learnedWordsNum_; }
  int64_t noneWordsNum() const { return noneWordsNum_; }
  const WordSlots& allWords() const { return *allWords_; }
  const WordSlots& noneWords() const { return *noneWords_; }
  const WordSlots& learnedWords() const { return *learnedWords_; }
  const WordSlots& selWords() const { return *selWords_; }
  const WordStates& allWordsState() const { return *allWordsState_; }
  std::string stateOf(const std::string& word) const;
  WordsListViewCtrl* page(int index) const { return viewControllers_[index].get(); }
  MyTabbarView& tabbar() { return *myTabbarView_; }
  plat::ScrollView& scrollView() { return *ScrollView_; }
  plat::Button& orderBtn() { return *orderBtn_; }
  plat::Button& randomBtn() { return *randomBtn_; }
  plat::Button& saveBtn() { return *saveBtn_; }
  // The words of list kind `page` (3: the selection).
  const WordSlots* getCurrWords(int64_t page) const;
  // Blocks until no loader runs (tests; the main run loop keeps turning).
  bool waitForLoader(double seconds = 20);

 private:
  struct LoaderControl;

  // ---- Loader thread
  void addNewThread(std::vector<std::string> codes);
  void startLoader(std::vector<std::string> codes);
  void takeLoadedList(const std::string& code, std::vector<std::string> words,
                      std::vector<bool> inStudy);
  // The all and not-learnt lists a run reads go back to placeholders.
  void refillPlaceholders(const std::vector<std::string>& codes);
  void setLoaderSort(bool alphabetical);
  void loaderFinished(const std::vector<std::string>& codes, bool alphabetical);
  WordSlot placeholder() const;
  void fillWindow(WordSlots& list, const plat::Value& rows, int64_t row, bool isDown, bool withIds,
                  const std::string* forcedState);

  // ---- Planning helpers
  void afterPlanning(const std::vector<std::string>& planned);
  void showCardWord(bool isDown);
  void computeDictionaryRule();
  void showSaveFailed();
  void popSelf(bool animated);
  static void removeFirst(WordSlots& list, const std::string& word);
  void sortCaseInsensitive(WordSlots& list) const;

  std::string NavName_;
  std::string ParentName_;
  int64_t parentType_ = kListsFromStore;
  int64_t bookID_ = 0;
  WordsUIViewDeleage* deleage_ = nullptr;

  std::shared_ptr<MyTabbarView> myTabbarView_;
  std::shared_ptr<WordsListViewCtrl> viewControllers_[kPageCount];
  std::shared_ptr<plat::ScrollView> ScrollView_;
  std::shared_ptr<plat::Label> tsInfoLabel_;
  // Over the lists of the excellent-mnemonics book while it has no word.
  std::shared_ptr<plat::Label> emptyHint_;
  void showEmptyHint();
  std::shared_ptr<plat::Button> orderBtn_, randomBtn_, saveBtn_;
  std::shared_ptr<plat::Button> abcBtn_, noneBtn_;
  bool pageControlUsed_ = false;
  int pageNum_ = 1;

  // The lists keep their identity (the pages point at them); contents are replaced in place.
  std::unique_ptr<WordStates> allWordsState_;
  std::unique_ptr<WordSlots> allWords_, learnedWords_, noneWords_, selWords_;
  std::vector<std::string> allWords_temp_, learnedWords_temp_, noneWords_temp_;
  int64_t allWordsNum_ = 0, learnedWordsNum_ = 0, noneWordsNum_ = 0;
  int64_t needWordsNum_ = 0;

  bool isFirstShow_ = true;
  bool isSort_ = true;
  bool isLoadData_ = false;
  bool isRotate_ = false;
  PagerKeyboardRoom keyboardRoom_{kTabHeight, true};
  bool isOpenDictionary_ = false;
  int64_t currentWordLocal_ = 0;
  std::shared_ptr<WordCard> baseWordViewCtrl_;

  std::shared_ptr<LoaderControl> loader_;
  plat::DetachedWork loaderWork_;
  std::deque<std::vector<std::string>> pendingLoads_;
  std::unique_ptr<EMListNSObject> EMList_;  // made on the first refresh
};
