// The feature switches: the special book of excellent mnemonics, the automatic mnemonic offer,
// the stubborn-word reminders with their daily time window and the study-information item, each
// kept for the next backup; the two voice-pack downloads (PrivilegeViewController_download.cpp);
// the first row of each section opens its help page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/HttpRequest.h"
#include "net/HttpRequestDelegate.h"
#include "platform/view/Button.h"
#include "platform/view/DatePicker.h"
#include "platform/view/TableView.h"
#include "platform/view/TextField.h"
#include "ui/BaseViewController.h"

class PrivilegeViewController : public BaseViewController,
                                public plat::TableViewDataSource,
                                public plat::TableViewDelegate,
                                public plat::TextFieldDelegate,
                                public HttpRequestDelegate,
                                public HttpProgressDelegate {
 public:
  static constexpr int kStartFieldTag = 111;
  static constexpr int kEndFieldTag = 112;
  static constexpr int kBasicPackTag = 1000;
  static constexpr int kExtendedPackTag = 1001;
  static constexpr int kMinimumWindowSeconds = 7200;

  PrivilegeViewController();
  ~PrivilegeViewController() override;

  void setParentName(const std::string& name) { ParentName_ = name; }
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;

  void refreshTableView();
  const std::vector<std::vector<std::string>>& cellArray() const { return cellArray_; }
  plat::TableView* tableView() const { return tableView_.get(); }

  int numberOfSections(plat::TableView&) override;
  int numberOfRows(plat::TableView&, int section) override;
  std::optional<double> heightForHeader(plat::TableView&, int) override { return 20; }
  std::shared_ptr<plat::View> viewForHeader(plat::TableView&, int) override;
  std::shared_ptr<plat::TableViewCell> cellForRow(plat::TableView&,
                                                  const plat::IndexPath&) override;
  void didSelectRow(plat::TableView&, const plat::IndexPath&) override;

  void switchChange(plat::Button& sender);
  bool shouldBeginEditing(plat::TextField& field) override;
  void datePickerValueChanged();
  // Whether a reminder window from `start` to `end` ("HH:mm") lasts at least two hours; shows
  // the refusal and ends the editing when it does not.
  bool check_time(const std::string& start, const std::string& end);
  void leaveEditMode();

  // ---- Voice packs
  void downClick(plat::Button& sender);
  void getLocalFinished(HttpRequest& request);
  void goServerDownFile(const std::string& address);
  void setProgress(double fraction) override;
  void downloadFinished(HttpRequest& request);
  void requestFailed(HttpRequest& request) override;
  // Whether a pack (1 basic, 2 extended) lies in Application Support.
  static bool packInstalled(int64_t type);
  static std::string packFileName(int64_t type);

  plat::Button* switchFor(const std::string& key) const;
  plat::Button* downloadButton(int64_t type) const;
  plat::TextField* amText1() const { return amText1_.get(); }
  plat::TextField* amText2() const { return amText2_.get(); }
  plat::DatePicker* datePicker() const { return datePicker_.get(); }
  int64_t downloadFileType() const { return downloadFileType_; }

 private:
  struct Switch {
    std::string key;
    std::shared_ptr<plat::Button> button;
  };
  void decorateCell(plat::TableViewCell& cell, const plat::IndexPath& ip);
  std::shared_ptr<plat::Button> makeSwitch(const std::string& key, double cellWidth);
  void layoutTimeWindow(plat::TableViewCell& cell);
  void showDownloadButton(plat::Button& button, int64_t type);
  void startRequest(std::shared_ptr<HttpRequest>& slot, std::shared_ptr<HttpRequest> request);
  void endDownload(bool succeeded);

  std::vector<std::vector<std::string>> cellArray_;
  std::shared_ptr<plat::TableView> tableView_;
  std::string ParentName_;
  std::shared_ptr<plat::Button> hideKBBtn_;
  std::shared_ptr<plat::DatePicker> datePicker_;
  std::shared_ptr<plat::TextField> amText1_;
  std::shared_ptr<plat::TextField> amText2_;
  plat::TextField* tempTextField_ = nullptr;
  int64_t downloadFileType_ = 0;
  std::vector<Switch> switches_;
  std::shared_ptr<plat::Button> down_sound1_;
  std::shared_ptr<plat::Button> down_sound2_;
  std::shared_ptr<HttpRequest> addressRequest_;
  std::shared_ptr<HttpRequest> fileRequest_;
};
