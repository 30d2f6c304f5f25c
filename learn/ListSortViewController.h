// The section order screen: the word card's nine sections in the learner's order, each with a
// check box for whether it is shown. Editing lets rows move and boxes toggle; leaving editing
// saves "review_list_sort" for the next backup. Going back while editing saves nothing.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/view/TableView.h"
#include "ui/BaseViewController.h"

class SelStateButton;

class ListSortViewController : public BaseViewController,
                               public plat::TableViewDataSource,
                               public plat::TableViewDelegate {
 public:
  static constexpr int kCheckBoxTag = 2;
  static constexpr int kTitleTag = 1;
  static constexpr int kContentTag = 124;
  static constexpr double kRowHeight = 39;

  static std::shared_ptr<ListSortViewController> initWithNibName(const std::string& nibName);

  void setNavName(const std::string& name) { NavName_ = name; }
  void setParentName(const std::string& name) { ParentName_ = name; }

  void goBackAction();
  void enterEdit();
  void leaveEdit();
  void switchStateEvent(SelStateButton& box);

  const std::vector<std::string>& cellSort() const { return cellSort_; }
  plat::TableView& tableView() { return *tableView_; }
  // The bar button's title: "编辑" or "完成".
  std::string rightButtonTitle() const;

  void loadView() override;
  void viewDidLoad() override;

  int numberOfRows(plat::TableView&, int) override { return int(cellSort_.size()); }
  std::shared_ptr<plat::TableViewCell> cellForRow(plat::TableView& table,
                                                  const plat::IndexPath& ip) override;
  bool canMoveRow(plat::TableView&, const plat::IndexPath&) override { return true; }
  void moveRow(plat::TableView&, const plat::IndexPath& from, const plat::IndexPath& to) override;
  std::optional<double> heightForRow(plat::TableView&, const plat::IndexPath&) override {
    return kRowHeight;
  }
  plat::TableViewCellEditingStyle editingStyleForRow(plat::TableView&,
                                                     const plat::IndexPath&) override {
    return plat::TableViewCellEditingStyle::None;
  }
  void didSelectRow(plat::TableView& table, const plat::IndexPath& ip) override;

 private:
  void setRightButton();
  static void showState(SelStateButton& box, bool on);

  std::string NavName_;
  std::string ParentName_;
  std::vector<std::string> cellSort_;
  std::map<std::string, std::string> cellDic_;
  std::shared_ptr<plat::TableView> tableView_;
  std::shared_ptr<plat::Button> rightButton_;
  // The shown state of each entry while editing, by entry text; rows are reused while scrolled.
  std::vector<bool> shown_;
};
