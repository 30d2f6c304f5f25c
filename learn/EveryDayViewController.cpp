#include "learn/EveryDayViewController.h"

#include "extract/ExtractWord.h"
#include "learn/MyImage.h"
#include "learn/ReViewController.h"
#include "learn/TextTemplate.h"
#include "online/ApiReply.h"
#include "online/ApiRequest.h"
#include "platform/base/Bundle.h"
#include "platform/base/Clock.h"
#include "platform/base/DateFormat.h"
#include "platform/base/RunLoop.h"
#include "platform/view/Application.h"
#include "platform/view/NavigationController.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "store/StoreTransaction.h"
#include "ui/MyAlerView.h"
#include "util/LeadingInteger.h"

namespace {

std::string text(const std::string& key) {
  return plat::localized(key, "InfoPlist");
}

void showMessage(const std::string& message) {
  if (message.empty()) return;
  ApiReplyHooks::defaultShowMessage(message);
}

std::string personal(const std::string& key) {
  return CallDB::callDB()->getPersonalValue(key);
}

}  // namespace

EveryDayViewController::EveryDayViewController() = default;

EveryDayViewController::~EveryDayViewController() {
  if (awardWebView_) awardWebView_->setDelegate(nullptr);
  // No reply reaches the screen once it is gone: networkQueue_ forgets every request it was given.
}

void EveryDayViewController::goBackAction() {
  if (auto* nav = navigationController()) nav->popViewController(true);
}

// ---- Lessons

void EveryDayViewController::dayButton(int64_t dayIndex) {
  if (isLoadNewInfo_) return;
  getNetWordsInfo(dayIndex);
}

void EveryDayViewController::getNetWordsInfo(int64_t dayIndex) {
  if (dayIndex < 0) {
    showMessage(text("alermsg_eg44"));
    return;
  }
  auto request = ApiRequest::get("daily_lesson.php", {{"day_index", plat::Value(dayIndex)}});
  // The reply handler learns from the request which day it answered.
  request->setUserAgent(std::to_string(dayIndex));
  request->setDelegate(this);
  request->setDidFinishSelector([this](HttpRequest& r) { getInfoFinish(r); });
  request->setDidFailSelector([this](HttpRequest& r) { getInfoFaild(r); });
  networkQueue_.add(request);
  isLoadNewInfo_ = true;
}

void EveryDayViewController::getInfoFinish(HttpRequest& request) {
  isLoadNewInfo_ = false;
  ApiReplyHooks hooks;
  hooks.showMessage = showMessage;  // a refusal without a message text shows nothing
  std::optional<ApiReply> reply = ApiReply::handleFinished(request, hooks);
  if (!reply) return;
  const plat::Value& lesson = reply->object();
  auto textOf = [&lesson](const char* key) {
    const plat::Value& v = lesson[key];
    return v.isString() ? v.asString() : std::string();
  };
  currIndex_ = LeadingInteger::of64(request.userAgent());
  label_text_->setText(textOf("sentence") + "\n" + textOf("translate"));
  label_info_->setText(textOf("lucky_words"));
  serverTime_ = LeadingInteger::of64(lesson["time"]);
  const double instant = static_cast<double>(serverTime_);
  const int offset = plat::TimeZone::local()->offsetAt(instant);
  label_time_->setText(
      plat::DateFormat("yyyy年MM月dd日", plat::TimeZone::utc()).format(instant + offset));
  lotteryHtml_ = textOf("lottery");
  awardWebView_->loadHTMLString(lotteryHtml_, "");
  setAddBtnImage(newLuckyWords().empty() ? "gui/ed_aw_sbtn.png" : "gui/ed_aw_nbtn.png");
}

void EveryDayViewController::getInfoFaild(HttpRequest& request) {
  isLoadNewInfo_ = false;
  ApiReplyHooks hooks;
  hooks.showMessage = showMessage;
  ApiReply::handleFailed(request, hooks);
}

// ---- Lucky words

std::vector<std::string> EveryDayViewController::newLuckyWords() const {
  plat::Value words = plat::Value::array(), learned = plat::Value::array(),
              none = plat::Value::array();
  ExtractWord extract;
  extract.extractWord(label_info_ ? label_info_->text() : "", words, learned, none);
  std::vector<std::string> out;
  for (size_t i = 0; i < none.size(); ++i) out.push_back(none.at(i).asString());
  return out;
}

void EveryDayViewController::addWordsFun() {
  if (personal("account").empty()) {
    showMessage(text("alermsg_eg13"));
    return;
  }
  const size_t count = newLuckyWords().size();
  if (count == 0) {
    showMessage(text("alermsg_eg41"));
    return;
  }
  auto alert = plat::AlertView::create(
      "提示", TextTemplate::fill(text("alermsg_eg45"), {std::to_string(count)}), this, "取消",
      {"加入规划"});
  alert->setTag(kPlanAlertTag);
  alert->show();
}

void EveryDayViewController::didDismissWithButtonIndex(plat::AlertView& alert, int index) {
  std::weak_ptr<plat::ViewController> self = weak_from_this();
  auto later = [self](void (EveryDayViewController::*step)()) {
    plat::RunLoop::main().perform([self, step] {
      if (auto screen = std::dynamic_pointer_cast<EveryDayViewController>(self.lock()))
        ((*screen).*step)();
    });
  };
  if (alert.tag() == kPlanAlertTag && index == 1)
    later(&EveryDayViewController::addWords_alercallback);
  if (alert.tag() == kDoneAlertTag && index == 1) later(&EveryDayViewController::goBackAction);
}

void EveryDayViewController::addWords_alercallback() {
  const std::vector<std::string> words = newLuckyWords();
  if (words.empty()) return;
  const bool committed = StoreTransaction::run(
      [&words] {
        const auto now = static_cast<int64_t>(MyDate::localDateTime());
        for (const std::string& word : words) CallDB::callDB()->InsertStudyWord(word, now);
      },
      [](const std::string&) {});
  // Only words really planned reach the review screen and the server.
  if (!committed) {
    showMessage(text("ed_eg2"));
    return;
  }
  ReViewController::addNewWordFinish(words);
  sendServerResult();
  setAddBtnImage("gui/ed_aw_sbtn.png");
  auto alert = plat::AlertView::create("提示", text("alermsg_eg24"), this, "取消", {"确定"});
  alert->setTag(kDoneAlertTag);
  alert->show();
}

void EveryDayViewController::sendServerResult() {
  // Nobody reads the report's reply.
  auto request = ApiRequest::get("study_lucky_words.php", {{"time", plat::Value(serverTime_)}});
  networkQueue_.add(request);
}

// ---- Links

void EveryDayViewController::openURL(plat::Button* sender) {
  std::string address;
  if (sender == st1Btn_.get()) {
    // The server's page as anyone sees it: an address handed to the browser carries no account
    // or password digest, which would stay in its history and in every log on the way.
    address = personal("url");
  } else if (sender == st2Btn_.get()) {
    address = plat::Bundle::main().infoValue("MakerWeiboSina");
  } else if (sender == st3Btn_.get()) {
    address = plat::Bundle::main().infoValue("MakerWeiboTencent");
  }
  if (!address.empty()) plat::Application::shared().openURL(address);
}

bool EveryDayViewController::shouldStartLoad(plat::WebView&, const std::string& url,
                                             plat::WebNavigationType type) {
  if (type != plat::WebNavigationType::LinkClicked) return true;
  // The notice's box is too small to show a page in: the link goes to the browser.
  plat::Application::shared().openURL(url);
  return false;
}

plat::Button* EveryDayViewController::linkBtn(int number) const {
  return number == 1 ? st1Btn_.get() : number == 2 ? st2Btn_.get() : st3Btn_.get();
}
