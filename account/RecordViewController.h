// The learner's messages ("我的消息"): the messages the server keeps for the account, in the
// server's order, loaded page by page with the load-more footer. The server's unread count marks
// that many rows at the top as new; the first page clears the count and the tab badge.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "account/LoadMoreFooterView.h"
#include "net/HttpRequest.h"
#include "online/AccountQueue.h"
#include "platform/base/Value.h"
#include "platform/view/TableView.h"
#include "ui/BaseViewController.h"

class RecordViewController : public BaseViewController,
                             public plat::TableViewDataSource,
                             public plat::TableViewDelegate,
                             public LoadMoreFooterDelegate,
                             public HttpRequestDelegate {
 public:
  static constexpr int kCellViewTag = 125;
  static constexpr int kTimeLabelTag = 1;
  static constexpr int kTextLabelTag = 2;

  RecordViewController();
  // The messages screen as the account screen (titled `parentName`) pushes it.
  static std::shared_ptr<RecordViewController> forAccount(const std::string& parentName);

  void setParentName(std::string name) { parentName_ = std::move(name); }

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void goBackAction();
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;
  // The footer goes back below the last row.
  void willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation, double) override;

  // Footer
  void loadMoreFooterDidTriggerRefresh(LoadMoreFooterView&) override;
  bool loadMoreFooterDataSourceIsLoading(LoadMoreFooterView&) override { return reloading_; }

  // Table
  int numberOfRows(plat::TableView&, int) override;
  std::shared_ptr<plat::TableViewCell> cellForRow(plat::TableView&,
                                                  const plat::IndexPath&) override;
  std::optional<double> heightForRow(plat::TableView&, const plat::IndexPath&) override;
  void scrollViewDidScroll(plat::ScrollView&) override;
  void scrollViewDidEndDragging(plat::ScrollView&, bool) override;

  plat::TableView& tableView() const { return *tableView_; }
  LoadMoreFooterView& footer() const { return *refreshHeaderView_; }
  const plat::Value& cellDataDic() const { return cellDataDic_; }
  int64_t newNews() const { return newNews_; }

 private:
  void RequestFinished(HttpRequest& request);
  void RequestFailed(HttpRequest& request);
  void modifyData(const plat::Value& reply);
  void doneLoadingTableViewData();
  // The text a row shows: new rows carry the "【新】" mark.
  std::string displayedText(int row) const;
  bool isEnd() const { return cellDataDic_["is_end"].asInt() != 0; }

  AccountQueue queue_;
  std::shared_ptr<plat::TableView> tableView_;
  plat::Value cellDataDic_;
  int64_t newNews_ = 0;
  std::shared_ptr<LoadMoreFooterView> refreshHeaderView_;
  bool reloading_ = false;
  bool netState_ = true;
  std::string parentName_;
};
