#include "learn/TodayReViewController.h"

#include <algorithm>
#include <cmath>

#include "learn/BaseWordViewController.h"
#include "learn/OpenerTitle.h"
#include "platform/base/Device.h"
#include "platform/base/NotificationCenter.h"
#include "platform/view/Animation.h"
#include "platform/view/Keyboard.h"
#include "platform/view/NavigationController.h"
#include "platform/view/Screen.h"
#include "store/CallDB.h"
#include "ui/GuiImages.h"
#include "ui/NavBarItems.h"

using plat::Rect;

namespace {

constexpr int kKnow = 2, kFuzzy = 3, kForgot = 4;

}  // namespace

TodayReViewController::TodayReViewController() {
  setTitle(NavName_);
}

TodayReViewController::~TodayReViewController() {
  plat::NotificationCenter::defaultCenter().removeObserver(this);
  if (ScrollView_) ScrollView_->setDelegate(nullptr);
  for (auto& page : viewControllers_)
    if (page) page->setDeleage(nullptr);
}

// ---- Lists

void TodayReViewController::setWordsDic() {
  rsWords_.clear();
  mhWords_.clear();
  wjWords_.clear();
  wgWords_.clear();
  const plat::Value rows = CallDB::callDB()->getTodayReWords();
  if (rows.size() == 0) return;
  allWordsState_ = std::make_unique<WordStates>();
  allWordsState_->reserve(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const plat::Value& row = rows.at(i);
    const std::string word = row.at(0).asString();
    const int64_t first = row.at(1).asInt();
    (*allWordsState_)[word] = WordListState::kInStudy;
    if (first == kForgot)
      wjWords_.push_back(word);
    else if (first == kFuzzy)
      mhWords_.push_back(word);
    else if (first == kKnow)
      rsWords_.push_back(word);
    // Forgotten three times running: stubborn, listed under forgotten as well.
    if (first == kForgot && row.at(2).asInt() == kForgot && row.at(3).asInt() == kForgot)
      wgWords_.push_back(word);
  }
}

std::vector<std::vector<std::string>> TodayReViewController::changeTabName() const {
  auto count = [](const WordSlots& list) { return std::to_string(static_cast<int>(list.size())); };
  return {{"认识", count(rsWords_)},
          {"模糊", count(mhWords_)},
          {"忘记", count(wjWords_)},
          {"顽固", count(wgWords_)}};
}

const WordSlots* TodayReViewController::getCurrWords(int64_t page) const {
  switch (page) {
    case 1:
      return &rsWords_;
    case 2:
      return &mhWords_;
    case 3:
      return &wjWords_;
    case 4:
      return &wgWords_;
    default:
      return nullptr;
  }
}

std::string TodayReViewController::checkWordState_callback(const std::string& word) {
  if (!allWordsState_) return "";
  auto found = allWordsState_->find(word);
  return found == allWordsState_->end() ? "" : found->second;
}

// ---- Screen

void TodayReViewController::loadView() {
  setView(std::make_shared<plat::View>(Rect{0, 0, 320, 416}));
}

void TodayReViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  using namespace plat;
  View& root = *view();
  root.setBackgroundColor(Color::white());
  const double width = root.bounds().width;
  const double height = root.bounds().height;

  if (ParentName_.empty()) ParentName_ = OpenerTitle::of(*this);
  navigationItem().setTitleView(navbar::titleLabel(NavName_));
  navigationItem().setHidesBackButton(true);
  navigationItem().setLeftBarButtonItem(navbar::backItem(ParentName_, [this] { goBackAction(); }));

  setWordsDic();
  myTabbarView_ = std::make_shared<MyTabbarView>(Rect{0, 0, width, kTabHeight});
  myTabbarView_->setAutoresizingMask(kFlexibleWidth);
  myTabbarView_->setDeleage(this);
  myTabbarView_->setNormalImage(guiimages::stretchable("gui/tab_word_n.png", 10, 10));
  myTabbarView_->setSelectImage(guiimages::stretchable("gui/tab_word_s.png", 10, 10));
  root.addSubview(myTabbarView_);
  myTabbarView_->addBtn(changeTabName(), 70);
  myTabbarView_->selectBtn(2);

  ScrollView_ = std::make_shared<ScrollView>(Rect{0, kTabHeight, width, height - kTabHeight});
  ScrollView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  ScrollView_->setBackgroundColor(Color::clear());
  ScrollView_->setPagingEnabled(true);
  ScrollView_->setShowsHorizontalScrollIndicator(false);
  ScrollView_->setDelegate(this);
  root.addSubview(ScrollView_);
  isFirstShow_ = true;
  pageNum_ = 2;
}

void TodayReViewController::viewWillAppear(bool) {
  auto& center = plat::NotificationCenter::defaultCenter();
  center.addObserver(this, plat::kKeyboardWillShowNotification, nullptr,
                     [this](const plat::Notification& n) { keyboardShow(n.userInfo); });
  center.addObserver(this, plat::kKeyboardWillHideNotification, nullptr,
                     [this](const plat::Notification& n) { keyboardHide(n.userInfo); });
  if (isFirstShow_) {
    isFirstShow_ = false;
    for (int p = 1; p < kPageCount; ++p) loadScrollViewWithPage(p);
    const plat::Size page = ScrollView_->bounds().size();
    ScrollView_->setContentSize({page.width * kPageCount, page.height});
    ScrollView_->setContentOffset({page.width * pageNum_, 0}, false);
  }
  keyboardRoom_.forgetRoom();
}

void TodayReViewController::viewDidAppear(bool) {
  navbar::fitUnderBar(*this);
  const plat::Size page = ScrollView_->bounds().size();
  ScrollView_->setContentSize({page.width * kPageCount, page.height});
}

void TodayReViewController::viewWillDisappear(bool) {
  plat::NotificationCenter::defaultCenter().removeObserver(this);
}

void TodayReViewController::goBackAction() {
  if (auto* nav = navigationController()) nav->popViewController(true);
}

// ---- Rotation: phones stay upright; a tablet keeps the page it showed.

bool TodayReViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) {
  return plat::Device::current().idiom == plat::DeviceIdiom::Tablet ||
         o == plat::InterfaceOrientation::Portrait;
}

void TodayReViewController::willRotateToInterfaceOrientation(plat::InterfaceOrientation, double) {
  pageBeforeRotation_ = pageAt(*ScrollView_);
  isRotate_ = true;
}

void TodayReViewController::willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation,
                                                                      double) {
  const plat::Size page = ScrollView_->bounds().size();
  ScrollView_->setContentSize({page.width * kPageCount, page.height});
  ScrollView_->setContentOffset({page.width * pageBeforeRotation_, 0});
}

void TodayReViewController::didRotateFromInterfaceOrientation(plat::InterfaceOrientation) {
  isRotate_ = false;
}

// ---- Pages

void TodayReViewController::loadScrollViewWithPage(int p) {
  if (p < 0 || p >= kPageCount) return;
  auto& page = viewControllers_[size_t(p)];
  if (!page) {
    page = std::make_shared<WordsListViewCtrl>();
    page->setDeleage(this);
    page->setIsOpenDictionary(true);
    page->setCurrType(kListsInMemory);
    page->setCurrPage(p + 1);
    page->setSectionDic(allWordsState_.get());
    page->setSectionArray(const_cast<WordSlots*>(getCurrWords(p + 1)));
    addChildViewController(page);
  }
  auto pageView = page->view();
  if (!pageView->superview()) {
    const plat::Size size = ScrollView_->bounds().size();
    pageView->setFrame({size.width * p, 0, size.width, size.height});
    pageView->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
    ScrollView_->addSubview(pageView);
  }
}

void TodayReViewController::refreshData(int p) {
  if (p < 0 || p >= kPageCount || !viewControllers_[size_t(p)]) return;
  viewControllers_[size_t(p)]->refreshTable();
}

int TodayReViewController::pageAt(const plat::ScrollView& scroll) const {
  const double width = scroll.bounds().width;
  if (width <= 0) return pageNum_;
  const double p = std::floor((scroll.contentOffset().x - width / 2) / width) + 1;
  // An offset past either end (a bounce, a rotation) still names one of the four tabs.
  return static_cast<int>(std::clamp(p, 0.0, double(kPageCount - 1)));
}

void TodayReViewController::selectTabBtn(int index) {
  const int t = std::clamp(index, 0, kPageCount - 1);
  loadScrollViewWithPage(t - 1);
  loadScrollViewWithPage(t);
  loadScrollViewWithPage(t + 1);
  if (t != pageNum_) refreshData(t);
  const plat::Size size = ScrollView_->bounds().size();
  ScrollView_->scrollRectToVisible({size.width * t, 0, size.width, size.height}, true);
  pageNum_ = t;
  pageControlUsed_ = true;
}

void TodayReViewController::scrollViewDidScroll(plat::ScrollView& scroll) {
  if (&scroll != ScrollView_.get() || pageControlUsed_) return;
  const int p = pageAt(scroll);
  loadScrollViewWithPage(p - 1);
  loadScrollViewWithPage(p);
  loadScrollViewWithPage(p + 1);
  myTabbarView_->selectBtn(p);
}

void TodayReViewController::scrollViewWillBeginDragging(plat::ScrollView& scroll) {
  if (&scroll == ScrollView_.get()) pageControlUsed_ = false;
}

void TodayReViewController::scrollViewDidEndDecelerating(plat::ScrollView& scroll) {
  if (&scroll != ScrollView_.get()) return;
  const int p = pageAt(scroll);
  if (p != pageNum_) refreshData(p);
  pageNum_ = p;
  pageControlUsed_ = false;
}

void TodayReViewController::prohibitScroll_callback() {
  if (!keyboardRoom_.isEditing() && ScrollView_) ScrollView_->setScrollEnabled(false);
}

void TodayReViewController::allowScroll_callback() {
  if (!keyboardRoom_.isEditing() && ScrollView_) ScrollView_->setScrollEnabled(true);
}

// ---- The word card

void TodayReViewController::pushNewView(int64_t row, int64_t page) {
  const WordSlots* list = getCurrWords(page);
  if (!list || row < 0 || row >= static_cast<int64_t>(list->size())) return;
  if (!baseWordViewCtrl_) {
    baseWordViewCtrl_ = BaseWordViewController::initWithNibName("BaseWordViewController");
    baseWordViewCtrl_->setParentController(baseWordViewCtrl_.get());
    baseWordViewCtrl_->setDeleage(this);
    baseWordViewCtrl_->setParentName("单词列表");
    baseWordViewCtrl_->view();
    if (auto* up = baseWordViewCtrl_->upWordBtn()) up->setHidden(false);
    if (auto* down = baseWordViewCtrl_->downWordBtn()) down->setHidden(false);
  }
  baseWordViewCtrl_->setCurrPage(page);
  baseWordViewCtrl_->setWordName((*list)[size_t(row)].value_or(""));
  baseWordViewCtrl_->addRightItemBtn();
  currentWordLocal_ = row;
  if (auto* nav = navigationController()) nav->pushViewController(baseWordViewCtrl_, true);
}

void TodayReViewController::stepCard(int step) {
  if (!baseWordViewCtrl_) return;
  const WordSlots* list = getCurrWords(baseWordViewCtrl_->currPage());
  if (!list || list->empty()) return;
  const auto count = static_cast<int64_t>(list->size());
  int64_t next = currentWordLocal_ + step;
  if (next < 0) next = count - 1;
  if (next >= count) next = 0;
  currentWordLocal_ = next;
  const std::string word = (*list)[size_t(next)].value_or("");
  baseWordViewCtrl_->setWordName(word);
  baseWordViewCtrl_->refreshView(word);
  baseWordViewCtrl_->addRightItemBtn();
}

// ---- Keyboard

void TodayReViewController::keyboardShow(const plat::Value& info) {
  keyboardRoom_.keyboardShow(info, navigationController(), *ScrollView_, *myTabbarView_, isRotate_);
}

void TodayReViewController::keyboardHide(const plat::Value&) {
  keyboardRoom_.keyboardHide(navigationController(), *ScrollView_, *myTabbarView_, isRotate_);
}
