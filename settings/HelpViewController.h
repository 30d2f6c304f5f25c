// The help list: the picture guide first, then the help pages named in the bundle's
// "help/cell_list.txt", a row that shares the application with a picture of the learner's
// progress, and a row that opens the maker's web site (signed in with a promotion id).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/draw/Image.h"
#include "platform/view/TableView.h"
#include "platform/view/ViewController.h"

class HelpViewController : public plat::ViewController,
                           public plat::TableViewDataSource,
                           public plat::TableViewDelegate {
 public:
  // [title, page name]
  using Row = std::vector<std::string>;

  HelpViewController();
  ~HelpViewController() override;

  void loadView() override;
  void viewDidLoad() override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;

  int numberOfRows(plat::TableView&, int) override;
  std::shared_ptr<plat::TableViewCell> cellForRow(plat::TableView&,
                                                  const plat::IndexPath&) override;
  void didSelectRow(plat::TableView&, const plat::IndexPath&) override;

  // The rows of a list file's text: its entries, or none when it is missing or malformed.
  static std::vector<Row> listEntries(const std::string& text);
  // The maker's web address shown and shared (MakerWebSite::address()).
  static std::string webSite();
  // The address the web-site row opens: the one it shows, else the server base; never signed in.
  static std::string webSiteAddress();

  const std::vector<Row>& cellArray() const { return cellArray_; }
  plat::TableView* tableView() const { return tableView_.get(); }

 private:
  void share();

  std::vector<Row> cellArray_;
  std::shared_ptr<plat::TableView> tableView_;
};
