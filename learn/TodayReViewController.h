// Today's review: the words answered in the current study day in four tabs by the grade of their
// latest answer: known, fuzzy, forgotten, and stubborn (forgotten three times running). Each tab
// is a word-list page; a word opens the word card, whose previous and next walk the same tab.
// The screen changes no study data.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/view/ScrollView.h"
#include "ui/BaseViewController.h"
#include "ui/MyTabbarView.h"
#include "ui/PagerKeyboardRoom.h"
#include "wordlist/BaseWordDeleage.h"
#include "wordlist/WordListTypes.h"
#include "wordlist/WordsListViewCtrl.h"

class BaseWordViewController;

class TodayReViewController : public BaseViewController,
                              public MyTabbarDeleage,
                              public WordsListViewCtrlDeleage,
                              public BaseWordDeleage,
                              public plat::ScrollViewDelegate {
 public:
  static constexpr int kPageCount = 4;
  static constexpr double kTabHeight = 40;

  TodayReViewController();
  ~TodayReViewController() override;

  void setNavName(const std::string& name) { NavName_ = name; }
  void setParentName(const std::string& name) { ParentName_ = name; }

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

  // ---- Lists, tabs and pages
  void setWordsDic();
  std::vector<std::vector<std::string>> changeTabName() const;
  void loadScrollViewWithPage(int page);
  void refreshData(int page);
  // The list of page number 1 to 4; null for any other number.
  const WordSlots* getCurrWords(int64_t page) const;
  void selectTabBtn(int index) override;
  void scrollViewDidScroll(plat::ScrollView&) override;
  void scrollViewWillBeginDragging(plat::ScrollView&) override;
  void scrollViewDidEndDecelerating(plat::ScrollView&) override;
  void goBackAction();

  // ---- Page delegate
  bool isSort_callback() override { return false; }
  bool isLoadData_callback() override { return false; }
  bool answersPushNewView() const override { return true; }
  void pushNewView(int64_t row, int64_t page) override;
  void hideKeyboard_callback() override { keyboardRoom_.keyboardHiddenByScreen(); }
  void prohibitScroll_callback() override;
  void allowScroll_callback() override;

  // ---- Word card delegate
  std::string checkWordState_callback(const std::string& word) override;
  void upBtn_Click_callback() override { stepCard(-1); }
  void downBtn_Click_callback() override { stepCard(+1); }

  // ---- Keyboard while a page's search field is edited
  void keyboardShow(const plat::Value& info);
  void keyboardHide(const plat::Value& info);

  // ---- For the tests
  int pageNum() const { return pageNum_; }
  bool hasStateDictionary() const { return allWordsState_ != nullptr; }
  WordsListViewCtrl* page(int index) const { return viewControllers_[size_t(index)].get(); }
  MyTabbarView& tabbar() { return *myTabbarView_; }
  plat::ScrollView& scrollView() { return *ScrollView_; }
  BaseWordViewController* baseWordViewCtrl() const { return baseWordViewCtrl_.get(); }
  int64_t currentWordLocal() const { return currentWordLocal_; }

 private:
  // The page index a horizontal offset shows, within the four tabs.
  int pageAt(const plat::ScrollView& scroll) const;
  void stepCard(int step);

  std::string NavName_ = "今日已复习单词";
  std::string ParentName_;
  std::shared_ptr<MyTabbarView> myTabbarView_;
  std::shared_ptr<plat::ScrollView> ScrollView_;
  std::shared_ptr<BaseWordViewController> baseWordViewCtrl_;
  std::unique_ptr<WordStates> allWordsState_;
  WordSlots rsWords_, mhWords_, wjWords_, wgWords_;
  std::array<std::shared_ptr<WordsListViewCtrl>, kPageCount> viewControllers_;
  int pageNum_ = 2;
  bool pageControlUsed_ = false;
  bool isFirstShow_ = true;
  bool isRotate_ = false;
  PagerKeyboardRoom keyboardRoom_{kTabHeight, false};
  int pageBeforeRotation_ = 0;
  int64_t currentWordLocal_ = 0;
};
