// The book library page: shortcut sections for the book last planned from, the special book of
// excellent mnemonics and the whole library, then one collapsible section per book class whose
// rows are its books with their planned and total word counts. At most one class is expanded.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "books/WordsUIViewController.h"
#include "platform/view/TableView.h"
#include "platform/view/ViewController.h"

class BookLibraryList : public plat::ViewController,
                        public plat::TableViewDataSource,
                        public plat::TableViewDelegate,
                        public WordsUIViewDeleage {
 public:
  static constexpr double kHeaderHeight = 45;
  static constexpr int kIconTag = 36;
  static constexpr int kArrowTag = 66;

  // A section: its id (the last viewed book's id, 999999, 888888 or a class id), the class's
  // books, and once expanded each book's [name, words in study, words].
  struct Section {
    std::string sectionName;
    std::vector<int> book;
    bool hasBookData = false;
    std::map<int, plat::Value> book_data;
  };

  BookLibraryList() = default;
  ~BookLibraryList() override;

  void loadView() override;
  void viewDidLoad() override;
  void viewWillDisappear(bool animated) override;

  void setParent(plat::ViewController* parent) { parent_ = parent; }

  void refreshData();
  void revert_data() { isExpanded_ = -1; }
  void collapseOrExpand(int section);
  bool isExpanded(int section) const { return isExpanded_ == section; }
  void expandButtonClicked(int section);
  void changeExpandedItem_callback() override { ++isExpanded_; }

  int numberOfSections(plat::TableView&) override;
  int numberOfRows(plat::TableView&, int section) override;
  std::shared_ptr<plat::TableViewCell> cellForRow(plat::TableView&,
                                                  const plat::IndexPath& ip) override;
  std::optional<double> heightForHeader(plat::TableView&, int) override { return kHeaderHeight; }
  std::shared_ptr<plat::View> viewForHeader(plat::TableView&, int section) override;
  void didSelectRow(plat::TableView&, const plat::IndexPath& ip) override;

  const std::vector<Section>& sectionArray() const { return sectionArray_; }
  int64_t expandedSection() const { return isExpanded_; }
  bool isHaveLastBookID() const { return isHaveLastBookID_; }
  bool showSpecialBook() const { return showSpecialBook_; }
  plat::TableView& tableView() { return *tableView_; }
  // The header's title, as the list shows it.
  std::string headerTitle(int section) const;

 private:
  int shortcutCount() const { return 1 + (isHaveLastBookID_ ? 1 : 0) + (showSpecialBook_ ? 1 : 0); }
  void fillBookData(Section& section);
  void pushWords(const std::shared_ptr<WordsUIViewController>& screen);

  std::shared_ptr<plat::TableView> tableView_;
  std::vector<Section> sectionArray_;
  std::map<int, std::shared_ptr<plat::View>> sectionViewDic_;
  int64_t isExpanded_ = -1;
  bool isHaveLastBookID_ = false;
  bool showSpecialBook_ = false;
  plat::ViewController* parent_ = nullptr;
};
