#include "learn/ReViewController.h"

#include <cmath>

#include "learn/ReviewScreens.h"
#include "learn/TextTemplate.h"
#include "platform/base/Bundle.h"
#include "platform/view/AlertView.h"
#include "platform/view/Application.h"
#include "platform/view/NavigationController.h"
#include "platform/view/Screen.h"
#include "platform/view/TabBarController.h"
#include "store/CallDB.h"
#include "ui/GuiImages.h"
#include "ui/MyAlerView.h"
#include "voice/AudioControl.h"

namespace {

using plat::Rect;

ReViewController*& current() {
  static ReViewController* screen = nullptr;
  return screen;
}

std::string text(const char* key) {
  return plat::localized(key, "InfoPlist");
}

std::shared_ptr<plat::Image> named(const std::string& name) {
  return plat::Image::named(name);
}

void setTop(plat::View& view, double top) {
  Rect f = view.frame();
  f.y = top;
  view.setFrame(f);
}

double bottomOf(const plat::View& view) {
  return view.frame().y + view.frame().height;
}

std::shared_ptr<plat::Button> textButton(const Rect& frame, const std::string& title,
                                         const std::string& image) {
  auto button = plat::Button::create(plat::ButtonType::Custom, frame);
  button->setTitle(title);
  button->setTitleColor(plat::Color::white());
  button->titleLabel().setFont(plat::Font::boldSystem(17));
  button->setBackgroundImage(guiimages::stretchable(image, 10, 10));
  return button;
}

}  // namespace

ReViewController::ReViewController() {
  setTitle(text("复习"));
}

ReViewController::~ReViewController() {
  if (current() == this) current() = nullptr;
  if (adWebView_) adWebView_->setDelegate(nullptr);
  if (dataBackup_) dataBackup_->setDelegate(nullptr);
}

ReViewController* ReViewController::reviewObject() {
  return current();
}

// ---- Class operations

void ReViewController::refreshMsgNum(int count) {
  if (auto* screen = current()) screen->setTabBadge(3, count >= 1 ? std::to_string(count) : "");
}

void ReViewController::addNewWordFinish(const std::vector<std::string>& words) {
  if (auto* screen = current(); screen && !words.empty()) screen->queue_.addnewWord(words);
}

void ReViewController::deleteWordFinish(const std::string& word) {
  if (auto* screen = current()) screen->queue_.delnewWord(word);
}

void ReViewController::refreshADInfo() {
  auto* screen = current();
  if (!screen) return;
  screen->queue_.addnewWord({});
  screen->loadNotice();
}

void ReViewController::downDataFinish() {
  if (auto* screen = current()) screen->queue_.reLoadReviewData();
}

void ReViewController::closeProgram() {
  if (auto* screen = current()) screen->closeProgramNow();
}

void ReViewController::closeProgramNow() {
  queue_.changeViewState();
  deleteBtn_isShow();
  AudioControl::releaseAudio();
}

// ---- Building the view

void ReViewController::loadView() {
  plat::ViewController::loadView();
  buildInterface();
}

void ReViewController::buildInterface() {
  plat::View& root = *view();
  const double w = root.bounds().width;
  const double h = root.bounds().height;
  root.setBackgroundColor(plat::Color::white());

  wordBtn_ = plat::Button::create(plat::ButtonType::Custom, {10, 30, w - 20, 40});
  wordBtn_->titleLabel().setFont(plat::Font::boldSystem(28));
  wordBtn_->setTitleColor(plat::Color::rgb255(40, 40, 40));
  wordBtn_->setAutoresizingMask(plat::kFlexibleWidth);
  wordBtn_->addTarget([this](plat::Control&) { audioBtn(); }, plat::kTouchUpInside);
  PhoneticsBtn_ = plat::Button::create(plat::ButtonType::Custom, {10, 70, w - 20, 25});
  PhoneticsBtn_->titleLabel().setFont(plat::Font::system(16));
  // A long word's two transcriptions shrink to fit the strip's one line rather than lose their
  // middle.
  PhoneticsBtn_->titleLabel().setAdjustsFontSizeToFitWidth(true);
  PhoneticsBtn_->setTitleColor(plat::Color::rgb255(90, 90, 90));
  PhoneticsBtn_->setAutoresizingMask(plat::kFlexibleWidth);
  PhoneticsBtn_->addTarget([this](plat::Control&) { audioBtn(); }, plat::kTouchUpInside);
  root.addSubview(wordBtn_);
  root.addSubview(PhoneticsBtn_);

  showBtn_ = textButton({60, h / 2 - 10, w - 120, 44}, "看释义", "gui/right_btn.png");
  showBtn_->addTarget([this](plat::Control&) { showSelBtn(); }, plat::kTouchUpInside);
  // Under the word strip's centred word, also on a turned tablet.
  showBtn_->setAutoresizingMask(plat::kFlexibleLeftMargin | plat::kFlexibleRightMargin);
  root.addSubview(showBtn_);

  // The answer buttons along the bottom; grade 1 is never offered. A view built again after an
  // unload gets new ones.
  answerButtons_.clear();
  const double buttonTop = h - 72;
  // Whole points: the stretched faces would show seams at fractional edges.
  const double buttonWidth = std::floor((w - 40) / 3);
  answerButtons_.push_back(plat::Button::create(plat::ButtonType::Custom, {10, buttonTop, 0, 46}));
  const char* titles[] = {"认识", "模糊", "忘记"};
  for (int i = 0; i < 3; ++i) {
    auto button = plat::Button::create(plat::ButtonType::Custom,
                                       {10 + i * (buttonWidth + 10), buttonTop, buttonWidth, 46});
    button->setTitle(titles[i]);
    button->titleLabel().setFont(plat::Font::boldSystem(17));
    answerButtons_.push_back(button);
  }
  for (int grade = 1; grade <= 4; ++grade) {
    auto& button = answerButtons_[size_t(grade - 1)];
    // Side by side, each takes its share of a wider screen: with a fixed left edge a turned
    // tablet would stretch every button over its right-hand neighbour.
    button->setAutoresizingMask(plat::kFlexibleTopMargin | plat::kFlexibleLeftMargin |
                                plat::kFlexibleWidth | plat::kFlexibleRightMargin);
    button->addTarget([this](plat::Control&) { selBtn_Down(); }, plat::kTouchDown);
    button->addTarget([this, grade](plat::Control&) { selBtn_Up(grade); }, plat::kTouchUpInside);
    button->setHidden(true);
    root.addSubview(button);
  }
  remindLabel_ = std::make_shared<plat::Label>(Rect(0, h - 22, w, 18));
  remindLabel_->setFont(plat::Font::system(12));
  remindLabel_->setTextColor(plat::Color::rgb255(120, 120, 120));
  remindLabel_->setTextAlignment(plat::TextAlignment::Center);
  remindLabel_->setAutoresizingMask(plat::kFlexibleTopMargin | plat::kFlexibleWidth);
  root.addSubview(remindLabel_);

  upWordBtn_ = plat::Button::create(plat::ButtonType::Custom, {0, 110, 60, 44});
  downWordBtn_ = plat::Button::create(plat::ButtonType::Custom, {w - 60, 110, 60, 44});
  downWordBtn_->setAutoresizingMask(plat::kFlexibleLeftMargin);
  upWordBtn_->addTarget([this](plat::Control&) { upWord(); }, plat::kTouchUpInside);
  downWordBtn_->addTarget([this](plat::Control&) { downWord(); }, plat::kTouchUpInside);
  returnReviewBtn_ = textButton({w - 84, 6, 76, 30}, "返回", "gui/right_btn.png");
  returnReviewBtn_->titleLabel().setFont(plat::Font::boldSystem(13));
  returnReviewBtn_->setAutoresizingMask(plat::kFlexibleLeftMargin);
  returnReviewBtn_->addTarget([this](plat::Control&) { returnReview(); }, plat::kTouchUpInside);
  for (auto* b : {upWordBtn_.get(), downWordBtn_.get(), returnReviewBtn_.get()}) {
    b->setHidden(true);
  }
  root.addSubview(upWordBtn_);
  root.addSubview(downWordBtn_);
  root.addSubview(returnReviewBtn_);

  deleteWordBtn_ = plat::Button::create(plat::ButtonType::Custom, {w - 48, 4, 44, 44});
  deleteWordBtn_->setAutoresizingMask(plat::kFlexibleLeftMargin);
  deleteWordBtn_->addTarget([this](plat::Control&) { delete_word(); }, plat::kTouchUpInside);
  deleteWordBtn_->setHidden(true);

  infoLabel_ = std::make_shared<plat::Label>(Rect(20, h / 2 - 20, w - 40, 60));
  infoLabel_->setNumberOfLines(0);
  infoLabel_->setTextAlignment(plat::TextAlignment::Center);
  infoLabel_->setFont(plat::Font::system(16));
  infoLabel_->setTextColor(plat::Color::rgb255(70, 70, 70));
  infoLabel_->setAutoresizingMask(plat::kFlexibleWidth);
  root.addSubview(infoLabel_);
  // Under the information text, where a tablet keeps them; a phone moves them with the notice.
  const double backupTop = bottomOf(*infoLabel_) + 20;
  backupDataBtn_ = textButton({60, backupTop, w - 120, 40}, "备份数据", "gui/right_btn.png");
  backupDataBtn_->addTarget([this](plat::Control&) { backupData(); }, plat::kTouchUpInside);
  today_reBtn_ = textButton({60, backupTop + 70, w - 120, 40}, "今日已复习", "gui/right_btn.png");
  today_reBtn_->addTarget([this](plat::Control&) { today_re(); }, plat::kTouchUpInside);
  // A tablet turned on its side keeps them in the middle.
  for (plat::Button* button : {backupDataBtn_.get(), today_reBtn_.get()})
    button->setAutoresizingMask(plat::kFlexibleLeftMargin | plat::kFlexibleRightMargin);
  root.addSubview(backupDataBtn_);
  root.addSubview(today_reBtn_);

  adView_ = std::make_shared<plat::View>(Rect(10, 10, w - 20, 190));
  adView_->setAutoresizingMask(plat::kFlexibleWidth);
  adViewBg_ = std::make_shared<plat::ImageView>(Rect(0, 0, w - 20, 190));
  adViewBg_->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
  adTitleLabel_ = std::make_shared<plat::Label>(Rect(12, 8, w - 44, 24));
  adTitleLabel_->setFont(plat::Font::boldSystem(17));
  adTitleLabel_->setAutoresizingMask(plat::kFlexibleWidth);
  adWebView_ = std::make_shared<plat::WebView>(Rect(8, 34, w - 36, 110));
  adWebView_->setAutoresizingMask(plat::kFlexibleWidth);
  noticeLoaded_ = false;
  ad_tcBtn_ = plat::Button::create(plat::ButtonType::Custom, {w - 20 - 130, 148, 120, 36});
  ad_tcBtn_->setAutoresizingMask(plat::kFlexibleLeftMargin);
  ad_tcBtn_->setTitle("每日课堂");
  ad_tcBtn_->setTitleColor(plat::Color::rgb255(57, 156, 102));
  ad_tcBtn_->addTarget([this](plat::Control&) { extract_words(); }, plat::kTouchUpInside);
  ad_qdBtn_ = plat::Button::create(plat::ButtonType::Custom, {10, 148, 90, 36});
  ad_qdBtn_->addTarget([this](plat::Control&) { sign(); }, plat::kTouchUpInside);
  for (auto v : std::initializer_list<std::shared_ptr<plat::View>>{
           adViewBg_, adTitleLabel_, adWebView_, ad_tcBtn_, ad_qdBtn_})
    adView_->addSubview(v);
  root.addSubview(adView_);
}

void ReViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  plat::View& root = *view();
  const double w = root.bounds().width;

  backupDataBtn_->setImage(named("gui/backup.png"));
  today_reBtn_->setImage(named("gui/today_re.png"));
  upWordBtn_->setImage(named("gui/up_word.png"));
  upWordBtn_->setImageEdgeInsets({0, -20, 0, 0});
  downWordBtn_->setImage(named("gui/down_word.png"));
  downWordBtn_->setImageEdgeInsets({0, 20, 0, 0});
  deleteWordBtn_->setImage(named("gui/del_words.png"));
  ad_tcBtn_->setImage(named("gui/next.png"));
  ad_qdBtn_->setImage(named("gui/ad_qd_nbtn.png"));
  ad_qdBtn_->setImage(named("gui/ad_qd_sbtn.png"), plat::kStateHighlighted);

  // The word strip just above the reveal button.
  wordImage_ = std::make_shared<plat::ImageView>(Rect(0, 0, w, bottomOf(*PhoneticsBtn_) + 15));
  wordImage_->setImage(guiimages::stretchable("gui/word_bg.png", 0, 5));
  wordImage_->setUserInteractionEnabled(true);
  wordImage_->setAutoresizingMask(wordBtn_->autoresizingMask());
  setTop(*wordImage_, showBtn_->frame().y - wordImage_->frame().height - 20);
  root.insertSubviewBelow(wordImage_, showBtn_.get());
  // The browse-back buttons stand just above the word strip, clear of its panel and its words.
  for (plat::Button* button : {upWordBtn_.get(), downWordBtn_.get()})
    setTop(*button, wordImage_->frame().y - button->frame().height - 4);
  wordImage_->addSubview(wordBtn_);
  wordImage_->addSubview(PhoneticsBtn_);

  // The card fills the screen down to 5 points above the answer buttons, behind every control.
  wordView_ = BaseWordViewController::initWithNibName("BaseWordViewController");
  wordView_->setScrollFrame({0, 0, w, answerButtons_[2]->frame().y - 5});
  wordView_->setParentController(this);
  wordView_->setDeleage(this);
  addChildViewController(wordView_);
  root.addSubview(wordView_->view());
  root.sendSubviewToBack(wordView_->view().get());
  wordView_->myScrollView()->addSubview(deleteWordBtn_);
  // The remove button stands in the head's top right corner. The word, and the transcription
  // laid out under it at its width, keep clear of it; on both sides, so that they stay centred.
  plat::Button& headword = *wordView_->wordBtn();
  const double clear = w - deleteWordBtn_->frame().x;
  Rect head = headword.frame();
  head.x = clear;
  head.width = w - 2 * clear;
  headword.setFrame(head);

  const plat::Screen& screen = plat::Screen::main();
  if (!screen.isPad() && screen.bounds().height * screen.scale() > 1100) setTop(*adView_, 30);
  root.sendSubviewToBack(adView_.get());
  adView_->setBackgroundColor(plat::Color::clear());
  adWebView_->setOpaque(false);
  adWebView_->setDelegate(this);
  adWebView_->setBackgroundColor(plat::Color::clear());
  adTitleLabel_->setAdjustsFontSizeToFitWidth(true);
  adViewBg_->setImage(guiimages::stretchable("gui/ad_bg.png", 160, 150));
  ad_tcBtn_->setContentHorizontalAlignment(plat::ContentHorizontalAlignment::Right);
  ad_tcBtn_->setImageEdgeInsets({0, 0, 0, 10});

  for (auto& button : answerButtons_) button->setExclusiveTouch(true);
  for (auto* b : {upWordBtn_.get(), downWordBtn_.get(), returnReviewBtn_.get(), ad_tcBtn_.get(),
                  ad_qdBtn_.get(), deleteWordBtn_.get()})
    b->setExclusiveTouch(true);
  current() = this;
  isFirstRun_ = false;
}

// ---- Appearing

void ReViewController::viewWillAppear(bool animated) {
  BaseViewController::viewWillAppear(animated);
  if (auto* nav = navigationController()) nav->setNavigationBarHidden(true, animated);
  if (!isFirstRun_) {
    isFirstRun_ = true;
    queue_.firstInit();
  }
  wordView_->parentViewAppear();
  loadNotice();
  CallDB* store = CallDB::callDB();
  if (store->getPersonalValue("run_machine") == "0") {
    auto guide = ReviewScreens::makeHelpGuide();
    guide->setHidesBottomBarWhenPushed(true);
    guide->setModalTransitionStyle(plat::ModalTransitionStyle::CrossDissolve);
    presentViewController(guide, false);
    return;
  }
  const plat::Value plan = store->openMaxLearnView();
  if (plan.isArray() && plan.size() >= 3) {
    const std::string backlog = std::to_string(plan[size_t(0)].asInt());
    const std::string amount = std::to_string(plan[size_t(1)].asInt());
    const int64_t days = plan[size_t(2)].asInt();
    const std::string message =
        days < 30 ? TextTemplate::fill(text("review_eg6"), {backlog, amount, std::to_string(days)})
                  : TextTemplate::fill(text("review_eg5"), {backlog, amount});
    showAlert("提示", message, "知道了");
  }
}

void ReViewController::viewWillDisappear(bool animated) {
  BaseViewController::viewWillDisappear(animated);
  if (auto* nav = navigationController()) nav->setNavigationBarHidden(false, animated);
  wordView_->parentViewDisAppear();
}

void ReViewController::didReceiveMemoryWarning() {
  BaseViewController::didReceiveMemoryWarning();
  AudioControl::releaseAudio();
  CallDB::Release_CallDB();
}

// Off screen under memory pressure the view goes, and with it the card. The queue stays as the
// class operations left it (every change is mirrored in review_list) and is read again from that
// mirror at the next appearance, as isFirstRun_ is cleared when the view loads again.
void ReViewController::viewWillUnload() {
  // The answer written one answer late would otherwise be lost with the browsing state.
  queue_.changeViewState();
}

void ReViewController::viewDidUnload() {
  if (wordView_) wordView_->removeFromParentViewController();
  wordView_.reset();
}

bool ReViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) {
  return plat::Screen::main().isPad() || o == plat::InterfaceOrientation::Portrait;
}

void ReViewController::didRotateFromInterfaceOrientation(plat::InterfaceOrientation) {
  wordView_->ParentAutorotate_Over();
  loadNotice();
}

void ReViewController::loadNotice() {
  CallDB* store = CallDB::callDB();
  adTitleLabel_->setText(store->getPersonalValue("sNewsTitle"));
  const std::string notice = store->getPersonalValue("sNewsContent");
  // Most launches have no notice: a page never loaded is blank already, without parsing one.
  if (notice.empty() && !noticeLoaded_) return;
  noticeLoaded_ = true;
  adWebView_->loadHTMLString(notice, "");
}

void ReViewController::didFinishLoad(plat::WebView& page) {
  page.stringByEvaluatingJavaScript("document.body.style.webkitTouchCallout='none';");
}

bool ReViewController::shouldStartLoad(plat::WebView&, const std::string& url,
                                       plat::WebNavigationType type) {
  if (type != plat::WebNavigationType::LinkClicked) return true;
  // A link of the notice opens outside the app.
  plat::Application::shared().openURL(url);
  return false;
}

// ---- The controls for the queue's state

void ReViewController::updateControl() {
  const bool idle = queue_.ArrayReview().empty();
  if (!idle) {
    showBtn_->setHidden(false);
    wordImage_->setHidden(false);
    infoLabel_->setHidden(true);
    backupDataBtn_->setHidden(true);
    today_reBtn_->setHidden(true);
    adView_->setHidden(true);
  } else {
    CallDB* store = CallDB::callDB();
    if (store->getStudyWordNum(888888) >= 1) {
      const int left = store->getNeedLearnNum();
      infoLabel_->setText(left >= 1 ? TextTemplate::fill(text("review_eg3"), {std::to_string(left)})
                                    : text("review_eg4"));
      backupDataBtn_->setHidden(false);
      today_reBtn_->setHidden(false);
    } else {
      infoLabel_->setText(text("review_eg7"));
      backupDataBtn_->setHidden(true);
      today_reBtn_->setHidden(true);
    }
    queue_.setCurrRemState(ReviewQueue::kCardNothing);
    showBtn_->setHidden(true);
    wordImage_->setHidden(true);
    infoLabel_->setHidden(false);
    layoutIdle();
  }
  for (auto& button : answerButtons_) button->setHidden(true);
  changeRemindLabel(3);
  if (!wordView_) return;  // the view is unloaded: the next appearance lays it out afresh
  showCard(false);
  downWordBtn_->setHidden(true);
  wordView_->downWordBtn()->setHidden(true);
  returnReviewBtn_->setHidden(true);
  const bool answered = !queue_.finishWords().empty();
  placeBrowseBackButton(idle);
  upWordBtn_->setHidden(!answered);
  wordView_->upWordBtn()->setHidden(!answered);
  resetAnswerImages();
}

void ReViewController::layoutIdle() {
  const bool notice = !CallDB::callDB()->getPersonalValue("sNewsContent").empty();
  adView_->setHidden(!notice);
  if (plat::Screen::main().isPad()) return;
  if (!notice) {
    setTop(*infoLabel_, view()->bounds().height / 2 - 20);
    setTop(*backupDataBtn_, bottomOf(*infoLabel_) + 20);
    setTop(*today_reBtn_, bottomOf(*backupDataBtn_) + 30);
  } else {
    setTop(*infoLabel_, bottomOf(*adView_));
    setTop(*backupDataBtn_, bottomOf(*infoLabel_) + 5);
    // Below the backup button, not over its lower edge: overlapping, the two read as one.
    setTop(*today_reBtn_, bottomOf(*backupDataBtn_) + 10);
  }
}

void ReViewController::placeBrowseBackButton(bool idle) {
  // Over a word it stands just above the word strip. Idle, the strip is gone and the notice
  // may fill that place: it stands in the free margin left of the backup button.
  const plat::View& beside = *backupDataBtn_;
  setTop(*upWordBtn_,
         idle ? beside.frame().y + (beside.frame().height - upWordBtn_->frame().height) / 2
              : wordImage_->frame().y - upWordBtn_->frame().height - 4);
}

void ReViewController::resetAnswerImages() {
  answerButtons_[0]->setBackgroundImage(guiimages::stretchable("gui/rs_btn_n.png", 10, 10));
  answerButtons_[1]->setBackgroundImage(guiimages::stretchable("gui/rs_btn_n.png", 10, 10));
  answerButtons_[2]->setBackgroundImage(guiimages::stretchable("gui/mh_btn_n.png", 10, 10));
  answerButtons_[3]->setBackgroundImage(guiimages::stretchable(
      queue_.ReviewState() == ReviewQueue::kStateLearn ? "gui/brs_btn_n.png" : "gui/wj_btn_n.png",
      10, 10));
  answerButtons_[3]->setTitle(queue_.ReviewState() == ReviewQueue::kStateLearn ? "不认识" : "忘记");
}

void ReViewController::changeRemindLabel(int kind) {
  if (kind == 1) remindLabel_->setText(text("review_eg1"));
  if (kind == 2) remindLabel_->setText(text("review_eg2"));
  if (kind == 3) remindLabel_->setText("");
}

void ReViewController::refreshWordView() {
  if (!wordView_) return;
  wordView_->refreshView(queue_.reallyName());
  PhoneticsBtn_->setTitle(wordView_->GetPhonetics());
  deleteBtn_isShow();
}

void ReViewController::deleteBtn_isShow() {
  const std::string& word = queue_.reallyName();
  bool show = !word.empty() && queue_.showsLiveWord();
  if (show) {
    // Rows of [last test time, next study time, grade, grade]: only a word never tested goes.
    const plat::Value rows = CallDB::callDB()->GetStudyLog(word);
    show = rows.size() > 0 && rows.at(0).at(0).asInt() == 0;
  }
  deleteWordBtn_->setHidden(!show);
}

void ReViewController::showAnswerButtons() {
  showBtn_->setHidden(true);
  wordImage_->setHidden(true);
  for (int grade = 2; grade <= 4; ++grade) answerButtons_[size_t(grade - 1)]->setHidden(false);
  upWordBtn_->setHidden(true);
  downWordBtn_->setHidden(true);
  if (wordView_) showCard(true);
}

void ReViewController::showCard(bool shown) {
  wordView_->view()->setAlpha(shown ? 1 : 0);
  // Hidden, the card lays out its word after the screen is drawn, ready by the reveal.
  wordView_->setCovered(!shown);
}

void ReViewController::autoAcceptFun() {
  if (wordView_) wordView_->autoAcceptFun();
}

void ReViewController::showReturnButton() {
  for (auto& button : answerButtons_) button->setHidden(true);
  returnReviewBtn_->setHidden(false);
}

void ReViewController::showAlert(const std::string& title, const std::string& message,
                                 const std::string& button) {
  plat::AlertView::create(title, message, nullptr, button)->show();
}

void ReViewController::showMessage(const std::string& message) {
  MyAlerView::sharedAler()->ViewShow(message);
}

// ---- Titles and badges

void ReViewController::setWordTitle(const std::string& title) {
  wordBtn_->setTitle(title);
}

plat::TabBarItem& ReViewController::reviewTabItem() {
  // The tab shows the navigation controller the screen sits in.
  if (auto* nav = navigationController()) return nav->tabBarItem();
  return tabBarItem();
}

void ReViewController::setReviewTitle(const std::string& title) {
  reviewTabItem().setTitle(title);
}

void ReViewController::setTabBadge(int index, const std::string& badge) {
  plat::TabBarController* tabs = tabBarController();
  if (!tabs || index >= int(tabs->viewControllers().size())) return;
  tabs->viewControllers()[size_t(index)]->tabBarItem().setBadgeValue(badge);
}

void ReViewController::setReviewBadge(const std::string& badge) {
  reviewTabItem().setBadgeValue(badge);
}

void ReViewController::setWordBookBadge(const std::string& badge) {
  setTabBadge(1, badge);
}

void ReViewController::setIconBadge(int count) {
  plat::Application::shared().setApplicationIconBadgeNumber(count);
}
