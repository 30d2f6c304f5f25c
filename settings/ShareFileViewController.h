// The zip archives of the Documents folder: listed, deleted in edit mode, and picked as the
// pronunciation file (the player then opens its packs again).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/view/Button.h"
#include "platform/view/Label.h"
#include "platform/view/TableView.h"
#include "platform/view/ViewController.h"

class ShareFileViewController : public plat::ViewController,
                                public plat::TableViewDataSource,
                                public plat::TableViewDelegate {
 public:
  ShareFileViewController();
  ~ShareFileViewController() override;

  void setParentName(const std::string& name) { ParentName_ = name; }
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidDisappear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;

  void setBarButtonItems();
  void enterEditMode();
  void leaveEditMode();

  int numberOfRows(plat::TableView&, int) override;
  std::shared_ptr<plat::TableViewCell> cellForRow(plat::TableView&,
                                                  const plat::IndexPath&) override;
  bool canEditRow(plat::TableView&, const plat::IndexPath&) override { return true; }
  plat::TableViewCellEditingStyle editingStyleForRow(plat::TableView&,
                                                     const plat::IndexPath&) override;
  void commitEditingStyle(plat::TableView&, plat::TableViewCellEditingStyle,
                          const plat::IndexPath&) override;
  void didSelectRow(plat::TableView&, const plat::IndexPath&) override;

  const std::vector<std::string>& cellArray() const { return cellArray_; }
  plat::TableView* tableView() const { return tableView_.get(); }
  plat::Label* errInfo() const { return errInfo_.get(); }

 private:
  std::string ParentName_;
  std::vector<std::string> cellArray_;
  std::shared_ptr<plat::TableView> tableView_;
  std::shared_ptr<plat::Label> errInfo_;
};
