// Logs an existing account in from the login window: sends the login request, decides from the
// reply and the device's study data whether the device keeps its data or takes the account's
// backup (asking the learner when both exist), stores the account, and starts the sync down when
// the device's data was replaced. Tells its owner when the window may close.
#pragma once

#include <exception>
#include <memory>
#include <string>

#include "net/HttpRequest.h"
#include "online/AccountQueue.h"
#include "online/Data_Backup.h"
#include "platform/base/Value.h"
#include "platform/view/AlertView.h"

class LoginDeleage {
 public:
  virtual ~LoginDeleage() = default;
  virtual void Login_closewin_callback() {}
};

class Login : public HttpRequestDelegate,
              public DataBackupDelegate,
              public plat::AlertViewDelegate {
 public:
  // The keep-or-clear questions: the account has a backup / the account has none.
  static constexpr int kReplaceTag = 2;
  static constexpr int kKeepOrClearTag = 4;
  static constexpr double kCloseDelaySeconds = 2.0;

  Login();
  ~Login() override;
  Login(const Login&) = delete;
  Login& operator=(const Login&) = delete;

  // Sends the login request for userName() and userPwd().
  void loginServer();
  void loginFinished(HttpRequest& request);
  void loginFailed(HttpRequest& request);
  void didDismissWithButtonIndex(plat::AlertView& alert, int buttonIndex) override;
  // Stores the account; `clear` first wipes the device's study data and then fetches the backup.
  // When the store cannot take it (a full disk) nothing is stored or wiped: the learner is told,
  // the window stays for another try, and no sync down starts.
  void saveAccountInfo(bool clear);
  // Stores an account the server accepted, `clear` first wiping the device's study data: all of
  // it or none. When the store cannot take it, the panel goes and the learner is told by the text
  // "<flow>_err_not_stored" ("..._disk_full" for a full disk), the log naming `flow` and why;
  // false then.
  static bool storeAccount(const std::string& name, const std::string& password,
                           const plat::Value& synVar, bool clear, const std::string& flow);

  void updateDateFinish_callback() override;
  void updateFaild_callback() override;

  void setDeleage(LoginDeleage* deleage) { deleage_ = deleage; }
  LoginDeleage* deleage() const { return deleage_; }
  void setUserName(const std::string& name) { userName_ = name; }
  const std::string& userName() const { return userName_; }
  void setUserPwd(const std::string& password) { userPwd_ = password; }
  const std::string& userPwd() const { return userPwd_; }
  void setIsReLogin(bool relogin) { isReLogin_ = relogin; }
  bool isReLogin() const { return isReLogin_; }
  Data_Backup* dataBackup() const { return dataBackup_.get(); }
  const plat::Value& tempLoginData() const { return tempLoginData_; }

 private:
  void preparePanel();
  static void accountNotStored(const std::exception& error, const std::string& flow);

  AccountQueue networkQueue_;
  std::unique_ptr<Data_Backup> dataBackup_;
  plat::Value tempLoginData_;
  std::string userName_;
  std::string userPwd_;
  bool isReLogin_ = false;
  LoginDeleage* deleage_ = nullptr;
  std::weak_ptr<plat::AlertView> question_;
  std::shared_ptr<Login*> self_;  // emptied when this object goes, so late performs do nothing
};
