#include "books/WordsUIViewController.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/base/Bundle.h"
#include "platform/base/Device.h"
#include "platform/base/NotificationCenter.h"
#include "platform/view/Animation.h"
#include "platform/view/ImageView.h"
#include "platform/view/Keyboard.h"
#include "platform/view/NavigationController.h"
#include "platform/view/Screen.h"
#include "store/CallDB.h"
#include "store/WordOrder.h"
#include "ui/GuiImages.h"
#include "ui/MyAlerView.h"
#include "ui/NavBarItems.h"

using plat::Color;
using plat::Rect;

namespace {

std::string decimal(int64_t n) {
  return std::to_string(n);
}

std::shared_ptr<plat::Button> planningButton(const std::string& image, const std::string& title) {
  auto button = plat::Button::create(plat::ButtonType::Custom);
  button->setBackgroundImage(plat::Image::named(image));
  button->setTitle(title);
  button->titleLabel().setFont(plat::Font::boldSystem(13));
  button->setTitleColor(Color::white());
  button->setExclusiveTouch(true);
  return button;
}

}  // namespace

WordsUIViewController::WordsUIViewController()
    : allWordsState_(std::make_unique<WordStates>()),
      allWords_(std::make_unique<WordSlots>()),
      learnedWords_(std::make_unique<WordSlots>()),
      noneWords_(std::make_unique<WordSlots>()),
      selWords_(std::make_unique<WordSlots>()) {}

// ---- Set-up

WordSlot WordsUIViewController::placeholder() const {
  return bookID_ == CallDB::WholeLibraryBookID ? WordSlot() : WordSlot("");
}

void WordsUIViewController::computeDictionaryRule() {
  if (parentType_ == kListsInMemory && bookID_ == CallDB::SpecialBookID)
    isOpenDictionary_ = true;
  else
    isOpenDictionary_ = CallDB::callDB()->LearnWordCount() >= kDictionaryThreshold;
}

void WordsUIViewController::setWordsDic(int64_t bookId) {
  parentType_ = kListsFromStore;
  bookID_ = bookId;
  CallDB* db = CallDB::callDB();
  const int book = static_cast<int>(bookId);
  allWordsNum_ = db->getAllWordsNum(book);
  learnedWordsNum_ = db->getStudyWordNum(book);
  noneWordsNum_ = db->getNoneWordNum(book);
  needWordsNum_ = db->getNeedLearnNum();
  computeDictionaryRule();
  allWordsState_->clear();
  allWords_->assign(static_cast<size_t>(allWordsNum_), placeholder());
  learnedWords_->assign(static_cast<size_t>(learnedWordsNum_), placeholder());
  noneWords_->assign(static_cast<size_t>(noneWordsNum_), placeholder());
  if (bookId != CallDB::WholeLibraryBookID) addNewThread({"3", "1", "2"});
}

void WordsUIViewController::setWordsDic(const std::vector<std::string>& all,
                                        const std::vector<std::string>& learned,
                                        const std::vector<std::string>& none) {
  parentType_ = kListsInMemory;
  isSort_ = false;
  allWordsNum_ = static_cast<int64_t>(all.size());
  learnedWordsNum_ = static_cast<int64_t>(learned.size());
  noneWordsNum_ = static_cast<int64_t>(none.size());
  needWordsNum_ = CallDB::callDB()->getNeedLearnNum();
  computeDictionaryRule();
  allWordsState_->clear();
  for (const auto& word : learned) (*allWordsState_)[word] = WordListState::kInStudy;
  for (const auto& word : none) (*allWordsState_)[word] = WordListState::kNotSelected;
  allWords_temp_ = all;
  learnedWords_temp_ = learned;
  noneWords_temp_ = none;
  *allWords_ = slotsOf(all);
  *learnedWords_ = slotsOf(learned);
  *noneWords_ = slotsOf(none);
}

std::string WordsUIViewController::stateOf(const std::string& word) const {
  auto found = allWordsState_->find(word);
  return found == allWordsState_->end() ? "" : found->second;
}

// ---- Screen

void WordsUIViewController::loadView() {
  setView(std::make_shared<plat::View>(Rect{0, 0, 320, 416}));
}

void WordsUIViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  using namespace plat;
  View& root = *view();
  root.setBackgroundColor(Color::white());
  const double width = root.bounds().width;
  const double height = root.bounds().height;
  pageNum_ = 1;

  navigationItem().setTitleView(navbar::titleLabel(NavName_));
  navigationItem().setHidesBackButton(true);
  navigationItem().setLeftBarButtonItem(navbar::backItem(ParentName_, [this] { goBackAction(); }));
  showBarButton();

  myTabbarView_ = std::make_shared<MyTabbarView>(Rect{0, 0, width, kTabHeight});
  myTabbarView_->setDeleage(this);
  myTabbarView_->setNormalImage(guiimages::stretchable("gui/tab_word_n.png", 10, 10));
  myTabbarView_->setSelectImage(guiimages::stretchable("gui/tab_word_s.png", 10, 10));
  root.addSubview(myTabbarView_);
  myTabbarView_->addBtn(changeTabName(), 70);
  myTabbarView_->selectBtn(1);
  refreshTabs();

  ScrollView_ = std::make_shared<ScrollView>(
      Rect{0, kTabHeight, width, height - kTabHeight - kBottomBarHeight});
  ScrollView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  ScrollView_->setPagingEnabled(true);
  ScrollView_->setShowsHorizontalScrollIndicator(false);
  ScrollView_->setShowsVerticalScrollIndicator(false);
  ScrollView_->setDelegate(this);
  root.addSubview(ScrollView_);
  // The excellent mnemonics come from the server: until some arrive the book's lists are blank.
  emptyHint_ = std::make_shared<Label>(Rect{20, kTabHeight + 30, width - 40, 80});
  emptyHint_->setText(localized("wordsview_em_empty"));
  emptyHint_->setFont(Font::system(15));
  emptyHint_->setTextColor(Color::white(0.45));
  emptyHint_->setTextAlignment(TextAlignment::Center);
  emptyHint_->setNumberOfLines(0);
  emptyHint_->setBackgroundColor(Color::clear());
  emptyHint_->setAutoresizingMask(kFlexibleWidth);
  root.addSubview(emptyHint_);
  showEmptyHint();

  auto bottom = std::make_shared<View>(Rect{0, height - kBottomBarHeight, width, kBottomBarHeight});
  bottom->setAutoresizingMask(kFlexibleWidth | kFlexibleTopMargin);
  bottom->setBackgroundColor(Color::rgb255(232, 246, 236));
  root.addSubview(bottom);
  tsInfoLabel_ = std::make_shared<Label>(Rect{6, 0, width - 6 - 3 * 62, kBottomBarHeight});
  tsInfoLabel_->setText(localized("wordsview_eg7"));
  tsInfoLabel_->setFont(Font::system(12));
  tsInfoLabel_->setTextColor(Color::white(0.35));
  tsInfoLabel_->setNumberOfLines(2);
  tsInfoLabel_->setAdjustsFontSizeToFitWidth(true);
  tsInfoLabel_->setBackgroundColor(Color::clear());
  bottom->addSubview(tsInfoLabel_);
  orderBtn_ = planningButton("gui/words_order.png", "顺序选");
  randomBtn_ = planningButton("gui/words_random.png", "随机选");
  saveBtn_ = planningButton("gui/words_ok.png", "保存");
  double x = width - 3 * 62;
  for (const auto& button : {orderBtn_, randomBtn_, saveBtn_}) {
    button->setFrame({x + 3, 7, 56, kBottomBarHeight - 14});
    button->setAutoresizingMask(kFlexibleLeftMargin);
    bottom->addSubview(button);
    x += 62;
  }
  orderBtn_->addTarget([this](Control&) { orderSel(); }, kTouchUpInside);
  randomBtn_->addTarget([this](Control&) { randomSel(); }, kTouchUpInside);
  saveBtn_->addTarget([this](Control&) { saveWord(); }, kTouchUpInside);
  isFirstShow_ = true;
}

void WordsUIViewController::showEmptyHint() {
  if (emptyHint_) emptyHint_->setHidden(bookID_ != CallDB::SpecialBookID || allWordsNum_ > 0);
}

void WordsUIViewController::viewWillAppear(bool) {
  auto& center = plat::NotificationCenter::defaultCenter();
  center.addObserver(this, plat::kKeyboardWillShowNotification, nullptr,
                     [this](const plat::Notification& n) { keyboardShow(n.userInfo); });
  center.addObserver(this, plat::kKeyboardWillHideNotification, nullptr,
                     [this](const plat::Notification& n) { keyboardHide(n.userInfo); });
  if (isFirstShow_) {
    isFirstShow_ = false;
    const plat::Size page = ScrollView_->bounds().size();
    ScrollView_->setContentSize({page.width * kPageCount, page.height});
    for (int p = 0; p < 3; ++p) loadScrollViewWithPage(p);
    if (bookID_ != CallDB::WholeLibraryBookID) {
      ScrollView_->setContentOffset({page.width, 0}, false);
    } else {
      pageNum_ = 0;
      myTabbarView_->selectBtn(0);
      showBarButton();
      viewControllers_[0]->autoDingWei();
    }
  }
  keyboardRoom_.forgetRoom();
}

void WordsUIViewController::viewDidAppear(bool) {
  navbar::fitUnderBar(*this);
  const plat::Size page = ScrollView_->bounds().size();
  ScrollView_->setContentSize({page.width * kPageCount, page.height});
}

void WordsUIViewController::viewWillDisappear(bool) {
  plat::NotificationCenter::defaultCenter().removeObserver(this);
}

// ---- Rotation: phones stay upright; a tablet keeps the page it showed when it began turning.

namespace {
int pageBeforeRotation = 0;
}

bool WordsUIViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) {
  return plat::Device::current().idiom == plat::DeviceIdiom::Tablet ||
         o == plat::InterfaceOrientation::Portrait;
}

void WordsUIViewController::willRotateToInterfaceOrientation(plat::InterfaceOrientation, double) {
  const double width = ScrollView_->bounds().width;
  pageBeforeRotation = width > 0 ? static_cast<int>(ScrollView_->contentOffset().x / width) : 0;
  isRotate_ = true;
}

void WordsUIViewController::willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation,
                                                                      double) {
  const plat::Size page = ScrollView_->bounds().size();
  ScrollView_->setContentSize({page.width * kPageCount, page.height});
  // The pages were placed for the old width: each goes to its place in the turned area.
  for (int p = 0; p < kPageCount; ++p) {
    if (viewControllers_[p] && viewControllers_[p]->isViewLoaded())
      viewControllers_[p]->view()->setFrame({page.width * p, 0, page.width, page.height});
  }
  ScrollView_->setContentOffset({page.width * pageBeforeRotation, 0});
}

void WordsUIViewController::didRotateFromInterfaceOrientation(plat::InterfaceOrientation) {
  isRotate_ = false;
}

// ---- Tabs and pages

std::vector<std::vector<std::string>> WordsUIViewController::changeTabName() {
  char learnt[32];
  if (learnedWordsNum_ == allWordsNum_) {
    std::snprintf(learnt, sizeof learnt, "100%%");
  } else {
    const float share = static_cast<float>(learnedWordsNum_) / static_cast<float>(allWordsNum_);
    std::snprintf(learnt, sizeof learnt, "%.2f%%", static_cast<double>(share * 100.0f));
  }
  const int64_t selected = static_cast<int64_t>(selWords_->size());
  if (myTabbarView_)
    myTabbarView_->changeBtnColor(2, selected > needWordsNum_ ? Color::red() : Color::black());
  return {{"全部", decimal(allWordsNum_)},
          {"未学习", decimal(noneWordsNum_)},
          {"选择/规划", decimal(selected) + "/" + decimal(needWordsNum_)},
          {"已学习", learnt}};
}

void WordsUIViewController::refreshTabs() {
  needWordsNum_ = CallDB::callDB()->getNeedLearnNum();
  const auto titles = changeTabName();
  if (!myTabbarView_) return;
  for (int i = 0; i < kPageCount; ++i) myTabbarView_->changeBtnName(i, titles[i]);
}

const WordSlots* WordsUIViewController::getCurrWords(int64_t page) const {
  switch (page) {
    case kPageAll:
      return allWords_.get();
    case kPageNone:
      return noneWords_.get();
    case kPageSelected:
      return selWords_.get();
    case kPageLearned:
      return learnedWords_.get();
    default:
      return nullptr;
  }
}

void WordsUIViewController::loadScrollViewWithPage(int p) {
  if (p < 0 || p >= kPageCount) return;
  auto& page = viewControllers_[p];
  if (!page) {
    page = std::make_shared<WordsListViewCtrl>();
    page->setDeleage(this);
    page->setIsOpenDictionary(isOpenDictionary_);
    page->setCurrType(parentType_);
    page->setCurrPage(p + 1);
    page->setBookID(bookID_);
    page->setSectionDic(allWordsState_.get());
    page->setSectionArray(const_cast<WordSlots*>(getCurrWords(p + 1)));
    addChildViewController(page);
  }
  auto pageView = page->view();
  if (!pageView->superview()) {
    const plat::Size size = ScrollView_->bounds().size();
    pageView->setFrame({size.width * p, 0, size.width, size.height});
    pageView->setAutoresizingMask(plat::kFlexibleHeight);
    ScrollView_->addSubview(pageView);
    if (p == 0 && bookID_ == CallDB::WholeLibraryBookID) page->refreshTable();
  }
}

void WordsUIViewController::refreshData(int p) {
  if (p < 0 || p >= kPageCount || !viewControllers_[p]) return;
  viewControllers_[p]->setIsOpenDictionary(isOpenDictionary_);
  viewControllers_[p]->refreshTable();
}

void WordsUIViewController::refreshData_All() {
  for (int p = 0; p < kPageCount; ++p) refreshData(p);
}

void WordsUIViewController::selectTabBtn(int t) {
  loadScrollViewWithPage(t - 1);
  loadScrollViewWithPage(t);
  loadScrollViewWithPage(t + 1);
  if (t != pageNum_) refreshData(t);
  const plat::Size size = ScrollView_->bounds().size();
  ScrollView_->scrollRectToVisible({size.width * t, 0, size.width, size.height}, true);
  pageNum_ = t;
  showBarButton();
  pageControlUsed_ = true;
}

void WordsUIViewController::scrollViewDidScroll(plat::ScrollView& scroll) {
  if (&scroll != ScrollView_.get() || pageControlUsed_) return;
  const double width = scroll.bounds().width;
  const int p = static_cast<int>(std::floor((scroll.contentOffset().x - width / 2) / width)) + 1;
  loadScrollViewWithPage(p - 1);
  loadScrollViewWithPage(p);
  loadScrollViewWithPage(p + 1);
  if (p >= 0 && p < kPageCount) myTabbarView_->selectBtn(p);
}

void WordsUIViewController::scrollViewWillBeginDragging(plat::ScrollView& scroll) {
  if (&scroll == ScrollView_.get()) pageControlUsed_ = false;
}

void WordsUIViewController::scrollViewDidEndDecelerating(plat::ScrollView& scroll) {
  if (&scroll != ScrollView_.get()) return;
  const double width = scroll.bounds().width;
  const int p = static_cast<int>(std::floor((scroll.contentOffset().x - width / 2) / width)) + 1;
  if (p != pageNum_) refreshData(p);
  pageNum_ = p;
  showBarButton();
  pageControlUsed_ = false;
}

void WordsUIViewController::prohibitScroll_callback() {
  if (!keyboardRoom_.isEditing() && ScrollView_) ScrollView_->setScrollEnabled(false);
}

void WordsUIViewController::allowScroll_callback() {
  if (!keyboardRoom_.isEditing() && ScrollView_) ScrollView_->setScrollEnabled(true);
}

// ---- Sorting

void WordsUIViewController::showBarButton() {
  using namespace plat;
  if (bookID_ == CallDB::SpecialBookID) {
    navigationItem().setRightBarButtonItem(
        std::make_shared<BarButtonItem>(navbar::rightButton("刷新", [this] { update_EM_list(); })));
    return;
  }
  if (parentType_ == kListsFromStore && bookID_ != CallDB::WholeLibraryBookID && pageNum_ <= 1) {
    if (navigationItem().rightBarButtonItem()) return;
    auto background = Image::named("gui/nav_btnbg.png");
    const Size size = background ? background->size() : Size{90, 30};
    auto holder = std::make_shared<View>(Rect{0, 0, size.width, 44});
    auto image = std::make_shared<ImageView>(background);
    image->setFrame({0, (44 - size.height) / 2, size.width, size.height});
    holder->addSubview(image);
    noneBtn_ = Button::create(
        ButtonType::Custom, {size.width / 2, (44 - size.height) / 2, size.width / 2, size.height});
    abcBtn_ = Button::create(ButtonType::Custom,
                             {0, (44 - size.height) / 2, size.width / 2, size.height});
    noneBtn_->setImage(Image::named(isSort_ ? "gui/bk_2.png" : "gui/bk_1.png"));
    abcBtn_->setImage(Image::named(isSort_ ? "gui/az_1.png" : "gui/az_2.png"));
    noneBtn_->addTarget([this](Control&) { buttonAction2(); }, kTouchUpInside);
    abcBtn_->addTarget([this](Control&) { buttonAction1(); }, kTouchUpInside);
    holder->addSubview(abcBtn_);
    holder->addSubview(noneBtn_);
    navigationItem().setRightBarButtonItem(std::make_shared<BarButtonItem>(holder));
    return;
  }
  navigationItem().setRightBarButtonItem(nullptr);
}

void WordsUIViewController::buttonAction1() {
  if (abcBtn_) abcBtn_->setImage(plat::Image::named("gui/az_1.png"));
  if (noneBtn_) noneBtn_->setImage(plat::Image::named("gui/bk_2.png"));
  sortType(true);
  MyAlerView::sharedAler()->ViewShow(plat::localized("alermsg_eg22"));
}

void WordsUIViewController::buttonAction2() {
  if (abcBtn_) abcBtn_->setImage(plat::Image::named("gui/az_2.png"));
  if (noneBtn_) noneBtn_->setImage(plat::Image::named("gui/bk_1.png"));
  sortType(false);
  MyAlerView::sharedAler()->ViewShow(plat::localized("alermsg_eg23"));
}

void WordsUIViewController::sortCaseInsensitive(WordSlots& list) const {
  std::stable_sort(list.begin(), list.end(), [](const WordSlot& a, const WordSlot& b) {
    return WordOrder::before(a.value_or(""), b.value_or(""));
  });
}

void WordsUIViewController::sortType(bool alphabetical) {
  if ((pageNum_ != 0 && pageNum_ != 1) || alphabetical == isSort_) return;
  isSort_ = alphabetical;
  if (parentType_ == kListsInMemory) {
    *allWords_ = slotsOf(allWords_temp_);
    if (alphabetical) sortCaseInsensitive(*allWords_);
    refreshData(0);
    if (!alphabetical) {
      *learnedWords_ = slotsOf(learnedWords_temp_);
      refreshData(3);
    }
    *noneWords_ = slotsOf(noneWords_temp_);
    if (alphabetical) sortCaseInsensitive(*noneWords_);
    refreshData(1);
    return;
  }
  setLoaderSort(alphabetical);
  if (!isLoadData_)
    addNewThread(pageNum_ == 0 ? std::vector<std::string>{"1", "3"}
                               : std::vector<std::string>{"3", "1"});
}

// ---- Windows of the whole library

void WordsUIViewController::fillWindow(WordSlots& list, const plat::Value& rows, int64_t row,
                                       bool isDown, bool withIds, const std::string* forcedState) {
  // The window's real first row, whichever way it was read; rows past the list are ignored.
  const CallDB::RowWindow window = CallDB::windowOf(static_cast<int>(row), kWindowRows, isDown);
  for (size_t i = 0; i < rows.size(); ++i) {
    const size_t slot = static_cast<size_t>(window.offset) + i;
    if (slot >= list.size()) break;
    const std::string word = withIds ? rows.at(i).at(0).asString() : rows.at(i).asString();
    if (forcedState) {
      (*allWordsState_)[word] = *forcedState;
    } else if (!allWordsState_->count(word)) {
      const bool inStudy = withIds && rows.at(i).at(1).asInt() >= 1;
      (*allWordsState_)[word] = inStudy ? WordListState::kInStudy : WordListState::kNotSelected;
    }
    list[slot] = word;
  }
}

void WordsUIViewController::allWordsFormPos(int64_t row, bool isDown) {
  const plat::Value rows =
      CallDB::callDB()->getWordsFromBook(static_cast<int>(row), kWindowRows, isDown);
  fillWindow(*allWords_, rows, row, isDown, true, nullptr);
}

void WordsUIViewController::noneWordsFormPos(int64_t row, bool isDown) {
  const plat::Value rows =
      CallDB::callDB()->GetNoneWords(static_cast<int>(row), kWindowRows, isDown);
  fillWindow(*noneWords_, rows, row, isDown, false, nullptr);
}

void WordsUIViewController::learnedWordsFormPos(int64_t row, bool isDown) {
  const plat::Value rows =
      CallDB::callDB()->GetStudyWords(static_cast<int>(row), kWindowRows, isDown);
  fillWindow(*learnedWords_, rows, row, isDown, false, &WordListState::kInStudy);
}

void WordsUIViewController::loadNewWords_callback(int64_t page, int64_t row, bool isDown) {
  if (page == kPageAll) allWordsFormPos(row, isDown);
  if (page == kPageNone) noneWordsFormPos(row, isDown);
  if (page == kPageLearned) learnedWordsFormPos(row, isDown);
}

// ---- Keyboard

void WordsUIViewController::keyboardShow(const plat::Value& info) {
  keyboardRoom_.keyboardShow(info, navigationController(), *ScrollView_, *myTabbarView_, isRotate_);
}

void WordsUIViewController::keyboardHide(const plat::Value&) {
  keyboardRoom_.keyboardHide(navigationController(), *ScrollView_, *myTabbarView_, isRotate_);
}
