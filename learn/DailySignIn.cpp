#include "learn/DailySignIn.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "learn/CardScreens.h"
#include "online/ApiReply.h"
#include "online/ApiRequest.h"
#include "online/LoginUIWindow.h"
#include "platform/base/Bundle.h"
#include "platform/base/Clock.h"
#include "platform/base/Device.h"
#include "share/SharePictures.h"
#include "store/CallDB.h"
#include "ui/MakerWebSite.h"
#include "ui/MyAlerView.h"
#include "ui/MyListAlerView.h"
#include "util/DebugNSObject.h"
#include "util/LeadingInteger.h"

namespace {

std::string text(const std::string& key) {
  return plat::localized(key, "InfoPlist");
}

void hidePanel() {
  MyListAlerView::sharedAler()->AlerListHide(false);
}

}  // namespace

DailySignIn& DailySignIn::shared() {
  static DailySignIn signIn;
  return signIn;
}

void DailySignIn::sign(plat::ViewController& reviewScreen) {
  reviewScreen_ = reviewScreen.weak_from_this();
  if (CallDB::callDB()->getPersonalValue("account").empty()) {
    LoginUIWindow::show();
    return;
  }
  MyListAlerView::sharedAler()->initShowList({text("qian_dao")});
  MyListAlerView::sharedAler()->AlerListChange(text("qian_dao"), text("login_waitting"));

  std::erase_if(running_, [](const auto& request) { return request->complete(); });
  auto request = ApiRequest::get("sign_in.php");
  request->setDelegate(this);
  request->setDidFinishSelector([this](HttpRequest& r) { didFinishSign(r); });
  request->setDidFailSelector([this](HttpRequest& r) { didFailSign(r); });
  running_.push_back(request);
  request->startAsynchronous();
}

void DailySignIn::didFinishSign(HttpRequest& request) {
  hidePanel();
  const int status = request.responseStatusCode();
  if (status < 200 || status > 299) return;
  std::optional<ApiReply> reply = ApiReply::decode(request.responseString().value_or(""));
  if (!reply) {
    if (DebugNSObject::checkIsDebug()) {
      auto raw = request.responseData().value_or(HttpRequest::Bytes());
      ApiReplyHooks::defaultShowAlert("错误", std::string(raw.begin(), raw.end()), "关闭");
    }
    return;
  }
  // A failed store is rolled back inside; the rest of the reply still counts.
  if (reply->hasSynVar()) reply->saveSynVar();
  if (!reply->succeeded() && reply->relogin()) ApiReplyHooks::openLoginAgain();
  handleMessage(reply->msg(), reply->object()["last_signin_id"]);
}

void DailySignIn::handleMessage(const std::string& msg, const plat::Value& lastSigninId) {
  // A reply without a message text has nothing to show.
  if (msg.empty()) return;
  if (msg[0] != '@') {
    ApiReplyHooks::defaultShowMessage(msg);
    return;
  }
  countSignNum_ = LeadingInteger::of32(lastSigninId);
  auto alert = plat::AlertView::create("提示", msg.substr(1), this, "分享", {"确定"});
  alert->setTag(kShareAlertTag);
  alert->show();
}

void DailySignIn::didFailSign(HttpRequest& request) {
  hidePanel();
  ApiReply::handleFailed(request, ApiReplyHooks{});
}

void DailySignIn::didDismissWithButtonIndex(plat::AlertView& alert, int index) {
  if (alert.tag() != kShareAlertTag || index != 0) return;
  share();
}

std::string DailySignIn::shareText(int r) {
  const int number = (r % kShareTextCount + kShareTextCount) % kShareTextCount;
  const std::string site = MakerWebSite::address();
  const std::string chosen = text("share_text" + std::to_string(number + 1));
  return site.empty() ? chosen : chosen + " " + site;
}

void DailySignIn::share() {
  std::srand(static_cast<unsigned>(plat::Clock::current().now()));
  const int r = std::rand();
  if (std::atof(plat::Device::current().systemVersion.c_str()) < 6.0) {
    plat::AlertView::create("提醒", "您的系统版本过低,无法进行分享,请您更新后在分享!", nullptr,
                            "确定")
        ->show();
    return;
  }
  auto picture = SharePictures::usesPictureOne(countSignNum_)
                     ? SharePictures::getSharePngOne(countSignNum_)
                     : SharePictures::getSharePngTwo();
  auto screen = reviewScreen_.lock();
  if (!screen) return;
  CardScreens::share(screen.get(), shareText(r), picture ? picture->pngData() : "");
}
