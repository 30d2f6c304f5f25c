#include "learn/CardStandIns.h"

#include "platform/view/NavigationController.h"
#include "platform/view/TableView.h"
#include "platform/view/TableViewCell.h"
#include "ui/BaseViewController.h"
#include "ui/NavBarItems.h"

namespace CardStandIns {
namespace {

class WordList : public BaseViewController, public plat::TableViewDataSource {
 public:
  WordList(std::string navName, std::string parentName, plat::Value words)
      : navName_(std::move(navName)),
        parentName_(std::move(parentName)),
        words_(std::move(words)) {}

  void viewDidLoad() override {
    BaseViewController::viewDidLoad();
    navigationItem().setTitleView(navbar::titleLabel(navName_));
    navigationItem().setHidesBackButton(true);
    navigationItem().setLeftBarButtonItem(navbar::backItem(parentName_, [this] {
      if (auto* nav = navigationController()) nav->popViewController(true);
    }));
    table_ = std::make_shared<plat::TableView>(view()->bounds());
    table_->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
    table_->setDataSource(this);
    view()->addSubview(table_);
  }

  int numberOfRows(plat::TableView&, int) override { return int(words_.size()); }

  std::shared_ptr<plat::TableViewCell> cellForRow(plat::TableView& table,
                                                  const plat::IndexPath& ip) override {
    auto cell = table.dequeueReusableCell("word");
    if (!cell) cell = plat::TableViewCell::create(plat::TableViewCellStyle::Default, "word");
    cell->textLabel().setText(words_[size_t(ip.row)].asString());
    return cell;
  }

 private:
  std::string navName_;
  std::string parentName_;
  plat::Value words_;
  std::shared_ptr<plat::TableView> table_;
};

}  // namespace

std::shared_ptr<plat::ViewController> wordList(const std::string& navName,
                                               const std::string& parentName,
                                               const plat::Value& words) {
  return std::make_shared<WordList>(navName, parentName, words);
}

}  // namespace CardStandIns
