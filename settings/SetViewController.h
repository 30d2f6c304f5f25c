// The settings tab: a table of six sections (account; feature switches and card order; daily
// amounts; pronunciation, review reminder and its time; backup and version; feedback), with night
// mode and the help list behind the two bar buttons. Editing, the switches, the backup sheet and
// clear-and-relearn are in SetViewController_actions.cpp.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "net/HttpRequest.h"
#include "net/HttpRequestDelegate.h"
#include "online/Data_Backup.h"
#include "online/LoginUIWindow.h"
#include "platform/view/ActionSheet.h"
#include "platform/view/AlertView.h"
#include "platform/view/Button.h"
#include "platform/view/DatePicker.h"
#include "platform/view/TableView.h"
#include "platform/view/TextField.h"
#include "platform/view/ViewController.h"

class CheckVersion;
class HelpViewController;

class SetViewController : public plat::ViewController,
                          public plat::TableViewDataSource,
                          public plat::TableViewDelegate,
                          public plat::TextFieldDelegate,
                          public plat::ActionSheetDelegate,
                          public plat::AlertViewDelegate,
                          public DataBackupDelegate,
                          public HttpRequestDelegate,
                          public LoginWindowDeleage {
 public:
  static constexpr int kBackupSheetTag = 1001;
  static constexpr int kClearAlertTag = 4;
  static constexpr int kVersionLabelTag = 125;
  static constexpr int kBadgeTag = 126;

  SetViewController();
  ~SetViewController() override;

  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;

  // The row model from the account and the reminder switch; reloads the table when asked.
  void refreshTableView(bool reload);
  const std::vector<std::vector<std::string>>& cellArray() const { return cellArray_; }
  plat::TableView* tableView() const { return tableView_.get(); }

  // ---- Table
  int numberOfSections(plat::TableView&) override;
  int numberOfRows(plat::TableView&, int section) override;
  std::shared_ptr<plat::TableViewCell> cellForRow(plat::TableView&,
                                                  const plat::IndexPath&) override;
  void didSelectRow(plat::TableView&, const plat::IndexPath&) override;

  // ---- Bar buttons and rows
  void at_night();
  void showHelpView();
  void login();
  void userInfo();
  void audioFile();
  void backup();

  // ---- Editing (SetViewController_actions.cpp)
  bool shouldChangeCharacters(plat::TextField&, plat::TextRange, const std::string&) override;
  bool shouldBeginEditing(plat::TextField&) override;
  bool shouldEndEditing(plat::TextField&) override;
  void closeKeyboard();
  void switchChange(plat::Button& sender);

  // ---- Sheet, alert, backup and clearing
  void didDismissWithButtonIndex(plat::ActionSheet& sheet, int index) override;
  void didDismissWithButtonIndex(plat::AlertView& alert, int index) override;
  void clearData_callback(bool confirmed);
  void updateDateFinish_callback() override;
  void closeWindow_callback() override;

  plat::Button* switchBtn() const { return switchBtn_.get(); }
  plat::Button* alarmSettingBtn() const { return alarmSettingBtn_.get(); }
  plat::TextField* timeField() const { return timeField_.get(); }
  plat::TextField* fx_textField() const { return fx_textField_.get(); }
  plat::TextField* aw_textField() const { return aw_textField_.get(); }
  plat::DatePicker* datePicker() const { return datePicker_.get(); }
  plat::Button* closeKeyboardButton() const { return closeKeyboard_.get(); }
  Data_Backup* dataBackup() const { return dataBackup_.get(); }
  HelpViewController* helpViewController() const { return helpViewController_.get(); }
  // The clear request under way, if any.
  HttpRequest* clearRequest() const { return clearRequest_.get(); }

 private:
  void addNavBtnItem();
  std::string row(int section, int index) const;
  void decorateCell(plat::TableViewCell& cell, const plat::IndexPath& ip);
  void addMessageBadge(plat::TableViewCell& cell);
  void layoutAmountFields(plat::TableViewCell& cell);
  void makeControls();
  std::shared_ptr<plat::TextField> makeField(const plat::Rect& frame);
  void storeAmount(plat::TextField& field);
  void pushHelpPage(const std::string& navName, const std::string& page);
  void pushScreen(const std::shared_ptr<plat::ViewController>& screen);
  void clearFinished(HttpRequest& request);
  void clearFailed(HttpRequest& request);
  void deleteLocalData();

  std::vector<std::vector<std::string>> cellArray_;
  std::shared_ptr<plat::TableView> tableView_;
  std::unique_ptr<Data_Backup> dataBackup_;
  std::shared_ptr<plat::Button> switchBtn_;
  std::shared_ptr<plat::Button> alarmSettingBtn_;
  std::shared_ptr<plat::TextField> timeField_;
  std::shared_ptr<plat::DatePicker> datePicker_;
  std::shared_ptr<plat::TextField> fx_textField_;
  std::shared_ptr<plat::TextField> aw_textField_;
  std::shared_ptr<plat::Button> closeKeyboard_;
  std::shared_ptr<plat::Button> nightButton_;
  std::unique_ptr<CheckVersion> checkVersion_;
  std::shared_ptr<HelpViewController> helpViewController_;
  std::shared_ptr<HttpRequest> clearRequest_;
  bool firstRun_ = false;
};
