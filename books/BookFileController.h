// The text files screen: the entries of the Documents folder (the shipped sample texts copied in
// when missing), deleted with a swipe; a picked ".txt" file of at most 300 KiB goes back to the
// delegate by name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/view/Label.h"
#include "platform/view/TableView.h"
#include "ui/BaseViewController.h"

class BookFileControllerDeleage {
 public:
  virtual ~BookFileControllerDeleage() = default;
  // The chosen file's name inside the Documents folder, and its text as read and decoded there.
  virtual void selectFile_CallBack(const std::string& /*fileName*/, const std::string& /*text*/) {}
};

class BookFileController : public BaseViewController,
                           public plat::TableViewDataSource,
                           public plat::TableViewDelegate {
 public:
  static constexpr uint64_t kMaxFileBytes = 307200;

  BookFileController();
  ~BookFileController() override;

  void setDeleage(BookFileControllerDeleage* delegate) { deleage_ = delegate; }
  void setParentName(const std::string& name) { ParentName_ = name; }

  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void goBackAction();
  void openHelpView();

  // Copies every ".txt" of the bundle's "text" folder that Documents lacks.
  static void copySampleTexts();

  int numberOfRows(plat::TableView&, int) override;
  std::shared_ptr<plat::TableViewCell> cellForRow(plat::TableView&,
                                                  const plat::IndexPath& ip) override;
  bool canEditRow(plat::TableView&, const plat::IndexPath& ip) override;
  void commitEditingStyle(plat::TableView&, plat::TableViewCellEditingStyle,
                          const plat::IndexPath& ip) override;
  void didSelectRow(plat::TableView&, const plat::IndexPath& ip) override;

  const std::vector<std::string>& cellArray() const { return cellArray_; }
  plat::TableView& tableView() { return *tableView_; }
  plat::Label& errInfo() { return *errInfo_; }

 private:
  std::vector<std::string> cellArray_;
  std::shared_ptr<plat::TableView> tableView_;
  std::shared_ptr<plat::Label> errInfo_;
  std::string ParentName_;
  int64_t readonlyNum_ = 0;
  BookFileControllerDeleage* deleage_ = nullptr;
};
