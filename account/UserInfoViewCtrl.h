// The account screen: the stored account and the counters the server keeps for it, a refresh from
// the server, the way to the messages, and logout, which wipes the learner's data from the device
// once the learner confirms.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "net/HttpRequest.h"
#include "online/AccountQueue.h"
#include "platform/view/AlertView.h"
#include "platform/view/Button.h"
#include "platform/view/Label.h"
#include "platform/view/TableView.h"
#include "ui/BaseViewController.h"

class UserInfoViewCtrl : public BaseViewController,
                         public plat::TableViewDataSource,
                         public plat::TableViewDelegate,
                         public HttpRequestDelegate,
                         public plat::AlertViewDelegate {
 public:
  static constexpr int kLogoutTag = 2;
  static constexpr int kMessageRow = 2;
  static constexpr int kBadgeTag = 2;

  UserInfoViewCtrl();
  ~UserInfoViewCtrl() override;

  void loadView() override;  // the interface "UserInfoViewCtrl"
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;

  void refreshData();
  void UpdateMnemonic();  // the refresh from the server
  void getInfoFinished(HttpRequest& request);
  void getInfoFailed(HttpRequest& request);
  void logout();
  void didDismissWithButtonIndex(plat::AlertView& alert, int buttonIndex) override;
  void logout_aler();

  int numberOfRows(plat::TableView&, int section) override;
  std::shared_ptr<plat::TableViewCell> cellForRow(plat::TableView&,
                                                  const plat::IndexPath& ip) override;
  void didSelectRow(plat::TableView&, const plat::IndexPath& ip) override;

  void setParentName(const std::string& name) { parentName_ = name; }
  const std::vector<std::pair<std::string, std::string>>& cellArray() const { return cellArray_; }
  plat::TableView& tableView() const { return *tableView_; }
  plat::Button& logoutBtn() const { return *logoutBtn_; }
  // The badge's frame for `count` in a cell `cellWidth` wide and `cellHeight` high.
  static plat::Rect badgeFrame(const std::string& count, double cellWidth, double cellHeight);

 private:
  AccountQueue networkQueue_;
  std::vector<std::pair<std::string, std::string>> cellArray_;
  std::shared_ptr<plat::Label> infoLabel_;
  std::shared_ptr<plat::Button> logoutBtn_;
  std::shared_ptr<plat::TableView> tableView_;
  std::string parentName_;
  std::weak_ptr<plat::AlertView> question_;
  std::shared_ptr<UserInfoViewCtrl*> self_;
};
