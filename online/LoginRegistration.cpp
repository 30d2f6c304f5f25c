// Registration from the login form: the input checks, the request, the keep-or-clear question and
// storing the new account.
#include "online/AccountText.h"
#include "online/ApiReply.h"
#include "online/ApiRequest.h"
#include "online/LoginViewController.h"
#include "platform/base/RunLoop.h"
#include "platform/base/Utf.h"
#include "store/CallDB.h"
#include "util/MyExtensions.h"

using accounttext::text;

namespace {
constexpr size_t kShortestPassword = 6;
constexpr size_t kLongestPassword = 16;
}  // namespace

void LoginViewController::registerAccount() {
  const std::string name = nameText_->text();
  const std::string password = pwdText_->text();
  if (name.empty() || password.empty()) {
    accounttext::showMessage(text("alermsg_eg10"));
    return;
  }
  const size_t length = plat::utf::utf16Length(password);
  if (length < kShortestPassword || length > kLongestPassword) {
    accounttext::showMessage(text("alermsg_eg11"));
    return;
  }
  if (password != rePwdText_->text()) {
    accounttext::showMessage(text("alermsg_eg12"));
    return;
  }
  accounttext::panelChange(kRegisterRow, "请等待");
  ApiRequest::Values values = {{"account", name}, {"password", MyExtensions::md5(password)}};
  if (!populText_->text().empty()) values["popularize_id"] = populText_->text();
  auto request = ApiRequest::get("account_register.php", values);
  request->setDelegate(this);
  request->setDidFinishSelector([this](HttpRequest& r) { regFinished(r); });
  request->setDidFailSelector([this](HttpRequest& r) { regFailed(r); });
  networkQueue_.add(request);
}

void LoginViewController::regFinished(HttpRequest& request) {
  ApiReplyHooks hooks;
  hooks.hidePanel = accounttext::panelHide;
  auto reply = ApiReply::handleFinished(request, hooks, ApiReply::SynVarStep::OnFailureOnly);
  if (!reply) return;
  tempLoginData_ = reply->object();
  if (CallDB::callDB()->LearnWordCount() < 1) {
    registerUser_Finish(true);
    return;
  }
  auto question =
      plat::AlertView::create("提示", text("alermsg_eg38"), this, "清空重学", {"保留数据"});
  question->setTag(kKeepOrClearTag);
  question_ = question;
  question->show();
}

void LoginViewController::regFailed(HttpRequest& request) {
  ApiReplyHooks hooks;
  hooks.hidePanel = accounttext::panelHide;
  ApiReply::handleFailed(request, hooks);
}

void LoginViewController::didDismissWithButtonIndex(plat::AlertView& alert, int buttonIndex) {
  if (alert.tag() != kKeepOrClearTag || (buttonIndex != 0 && buttonIndex != 1)) return;
  const bool clear = buttonIndex == 0;
  std::weak_ptr<LoginViewController*> alive = self_;
  plat::RunLoop::main().perform([alive, clear] {
    if (auto self = alive.lock()) (*self)->registerUser_Finish(clear);
  });
}

void LoginViewController::registerUser_Finish(bool clear) {
  const plat::Value synVar = tempLoginData_["syn_var"];
  const std::string name = nameText_->text();
  const std::string password = pwdText_->text();
  tempLoginData_ = plat::Value();
  // The account exists on the server now whether or not the device takes it; when it cannot,
  // the learner is told so and logs it in from this window once there is room.
  if (!Login::storeAccount(name, password, synVar, clear, "register")) return;
  accounttext::studyDataChanged(clear);
  accounttext::panelChange(kRegisterRow, "完成");
  std::weak_ptr<LoginViewController*> alive = self_;
  plat::RunLoop::main().performAfter(kCloseDelaySeconds, this, "LoginViewController.close",
                                     [alive] {
                                       if (auto self = alive.lock()) (*self)->closeBtn();
                                     });
}
