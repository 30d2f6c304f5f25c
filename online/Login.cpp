#include "online/Login.h"

#include <cstdio>

#include "online/AccountText.h"
#include "online/ApiReply.h"
#include "online/ApiRequest.h"
#include "online/Data_BackupFailure.h"
#include "online/Data_BackupValues.h"
#include "platform/base/RunLoop.h"
#include "platform/base/Utf.h"
#include "store/CallDB.h"
#include "store/StoreTransaction.h"
#include "util/MyExtensions.h"

using accounttext::text;

namespace {

const char* const kCloseKey = "Login.close";

}  // namespace

Login::Login() : self_(std::make_shared<Login*>(this)) {}

Login::~Login() {
  plat::RunLoop::main().cancelPerforms(this);
  if (auto question = question_.lock()) question->setDelegate(nullptr);
  self_.reset();
}

void Login::preparePanel() {
  accounttext::panelList({text("user_login"), text("data_syn")});
}

void Login::loginServer() {
  preparePanel();
  if (userName_.empty() || userPwd_.empty()) {
    accounttext::showMessage(text("alermsg_eg10"));
    return;
  }
  accounttext::panelChange(text("user_login"), text("login_waitting"));
  auto request = ApiRequest::get(
      "account_login.php", {{"account", userName_}, {"password", MyExtensions::md5(userPwd_)}});
  request->setDelegate(this);
  request->setDidFinishSelector([this](HttpRequest& r) { loginFinished(r); });
  request->setDidFailSelector([this](HttpRequest& r) { loginFailed(r); });
  networkQueue_.add(request);
}

void Login::loginFinished(HttpRequest& request) {
  ApiReplyHooks hooks;
  hooks.hidePanel = accounttext::panelHide;
  auto reply = ApiReply::handleFinished(request, hooks, ApiReply::SynVarStep::OnFailureOnly);
  if (!reply) return;
  tempLoginData_ = reply->object();
  if (isReLogin_) {
    saveAccountInfo(false);
    return;
  }
  if (CallDB::callDB()->LearnWordCount() < 1) {
    saveAccountInfo(true);
    return;
  }
  accounttext::panelHide();
  const plat::Value& synVar = reply->synVar();
  const bool hasBackup = synVar.isDictionary() && ApiReply::integerOf(synVar["nLastSynId"]) != 0;
  auto question =
      hasBackup
          ? plat::AlertView::create("提示", text("alermsg_eg39"), this, "取消", {"继续登录"})
          : plat::AlertView::create("提示", text("alermsg_eg43"), this, "清空重学", {"保留数据"});
  question->setTag(hasBackup ? kReplaceTag : kKeepOrClearTag);
  question_ = question;
  question->show();
}

void Login::loginFailed(HttpRequest& request) {
  ApiReplyHooks hooks;
  hooks.hidePanel = accounttext::panelHide;
  ApiReply::handleFailed(request, hooks);
}

void Login::didDismissWithButtonIndex(plat::AlertView& alert, int buttonIndex) {
  bool clear;
  if (alert.tag() == kReplaceTag && buttonIndex == 0) {
    tempLoginData_ = plat::Value();  // cancelled: nothing is stored, the window stays
    return;
  } else if (alert.tag() == kReplaceTag && buttonIndex == 1) {
    clear = true;
  } else if (alert.tag() == kKeepOrClearTag && (buttonIndex == 0 || buttonIndex == 1)) {
    clear = buttonIndex == 0;
  } else {
    return;
  }
  std::weak_ptr<Login*> alive = self_;
  plat::RunLoop::main().perform([alive, clear] {
    if (auto self = alive.lock()) (*self)->saveAccountInfo(clear);
  });
}

void Login::saveAccountInfo(bool clear) {
  const plat::Value synVar = tempLoginData_["syn_var"];
  tempLoginData_ = plat::Value();
  if (!storeAccount(userName_, userPwd_, synVar, clear, "login")) return;
  preparePanel();
  accounttext::panelChange(text("user_login"), "完成");
  accounttext::studyDataChanged(clear);
  if (!clear) {
    accounttext::panelChange(text("data_syn"), text("none_data_syn"));
    std::weak_ptr<Login*> alive = self_;
    plat::RunLoop::main().performAfter(kCloseDelaySeconds, this, kCloseKey, [alive] {
      if (auto self = alive.lock()) (*self)->updateDateFinish_callback();
    });
    return;
  }
  if (!dataBackup_) {
    dataBackup_ = std::make_unique<Data_Backup>();
    dataBackup_->setDelegate(this);
  }
  dataBackup_->downData(Data_Backup::kModeAfterLogin);
}

bool Login::storeAccount(const std::string& name, const std::string& password,
                         const plat::Value& synVar, bool clear, const std::string& flow) {
  try {
    // The wipe, the account and the server's values go together: a device wiped without the
    // account stored, or an account stored over data it was to replace, is no state to leave.
    StoreTransaction::runOrRaise(CallDB::callDB()->sqlMgr(), [&] {
      CallDB* db = CallDB::callDB();
      if (clear) Data_Package::delete_isSyn();
      db->UpdatePersonalValue("account", plat::utf::lowercase(name));
      db->UpdatePersonalValue("password", MyExtensions::md5(password));
      if (synVar.isDictionary()) db->saveNetInfo(synVar);
    });
    return true;
  } catch (const std::exception& error) {
    accountNotStored(error, flow);
    return false;
  }
}

void Login::accountNotStored(const std::exception& error, const std::string& flow) {
  // Nothing was stored and nothing wiped: the window stays, so that once there is room the
  // learner logs in (again, or for the first time with an account just registered).
  std::fprintf(stderr, "%s: storing the account: %s\n", flow.c_str(),
               databackup::reasonOf(error).c_str());
  const bool diskFull =
      Data_BackupFailure::ofException(error) == Data_BackupFailure::Kind::DiskFull;
  accounttext::panelHide();
  accounttext::showMessage(
      text(flow + (diskFull ? "_err_not_stored_disk_full" : "_err_not_stored")));
}

void Login::updateDateFinish_callback() {
  if (deleage_) deleage_->Login_closewin_callback();
}

void Login::updateFaild_callback() {
  if (deleage_) deleage_->Login_closewin_callback();
}
