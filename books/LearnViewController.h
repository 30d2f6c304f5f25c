// The word-book tab: the book library and the text page side by side in a horizontally paged
// area under a two-button tab strip. It reopens on the page it last showed, moves the strip out
// of the way while the keyboard is up, and is reached by the application through two class
// operations.
#pragma once

#include <memory>

#include "books/BookLibraryList.h"
#include "books/LearnView.h"
#include "platform/base/Value.h"
#include "platform/view/ScrollView.h"
#include "ui/BaseViewController.h"
#include "ui/MyTabbarView.h"

class LearnViewController : public BaseViewController,
                            public MyTabbarDeleage,
                            public plat::ScrollViewDelegate {
 public:
  static constexpr double kStripHeight = 40;
  static constexpr int kStripTag = 123;

  LearnViewController();
  ~LearnViewController() override;

  // The text page saves its text (the application enters the background).
  static void closeProgram();
  // No book class expanded (study data was replaced, or the special book switched).
  static void cleardata_learn();
  // The instance whose view loaded last, or null.
  static LearnViewController* instance();

  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;
  void willRotateToInterfaceOrientation(plat::InterfaceOrientation, double) override;
  void willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation, double) override;
  void didRotateFromInterfaceOrientation(plat::InterfaceOrientation) override;

  void selectTabBtn(int index) override;
  void scrollViewDidScroll(plat::ScrollView&) override;
  void scrollViewWillBeginDragging(plat::ScrollView&) override;
  void scrollViewDidEndDecelerating(plat::ScrollView&) override;
  void keyboardShow(const plat::Value& info);
  void keyboardHide(const plat::Value& info);

  BookLibraryList& bookLibraryList() { return *bookLibraryList_; }
  LearnView& learnView() { return *learnView_; }
  plat::ScrollView& scrollView() { return *ScrollView_; }
  MyTabbarView& tabbar() { return *tabbar_; }
  int currentPage() const;

 private:
  // Each page one paging area wide, side by side: the area is as wide as the screen, which on a
  // tablet and after a rotation is not the width the pages were made with.
  void layoutPages();
  void setTitleForPage(int page);

  std::shared_ptr<plat::ScrollView> ScrollView_;
  bool pageControlUsed_ = false;
  std::shared_ptr<BookLibraryList> bookLibraryList_;
  std::shared_ptr<LearnView> learnView_;
  std::shared_ptr<MyTabbarView> tabbar_;
  bool isRotate_ = false;
  double scrollHeight_ = 0;
  // The strip and the pages are moved up for the keyboard: they move back once, and only then.
  bool stripRaised_ = false;
  int rotatingPage_ = 0;
};
