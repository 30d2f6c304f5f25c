#include "learn/CardStandIns.h"

#include "books/NavBarItems.h"
#include "learn/AcceptUIWindowDeleage.h"
#include "platform/view/AlertView.h"
#include "platform/view/NavigationController.h"
#include "platform/view/TableView.h"
#include "platform/view/TableViewCell.h"
#include "store/CallDB.h"
#include "ui/BaseViewController.h"
#include "ui/MyTextView.h"

namespace CardStandIns {
namespace {

class NoteEditor : public BaseViewController {
 public:
  NoteEditor(std::string word, int type, std::string parentName)
      : word_(std::move(word)), type_(type), parentName_(std::move(parentName)) {}

  void viewDidLoad() override {
    BaseViewController::viewDidLoad();
    navigationItem().setTitleView(navbar::titleLabel(type_ == 1 ? "我的助记" : "我的语法"));
    navigationItem().setHidesBackButton(true);
    navigationItem().setLeftBarButtonItem(navbar::backItem(parentName_, [this] {
      if (auto* nav = navigationController()) nav->popViewController(true);
    }));
    text_ = std::make_shared<MyTextView>(view()->bounds().insetBy(10, 10));
    text_->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
    text_->setPlaceholder(word_);
    CallDB* store = CallDB::callDB();
    text_->setText(type_ == 1 ? store->getNote(word_) : store->getMyYuFa(word_));
    text_->textChange();
    view()->addSubview(text_);
  }

  void viewWillDisappear(bool animated) override {
    BaseViewController::viewWillDisappear(animated);
    CallDB* store = CallDB::callDB();
    if (type_ == 1)
      store->saveNote(word_, text_->text());
    else
      store->saveMyYuFa(word_, text_->text());
  }

 private:
  std::string word_;
  int type_;
  std::string parentName_;
  std::shared_ptr<MyTextView> text_;
};

// Lives while its alert shows.
class OfferAlert : public plat::AlertViewDelegate {
 public:
  OfferAlert(std::weak_ptr<AcceptUIWindowDeleage> delegate, std::string word, std::string text)
      : delegate_(std::move(delegate)), word_(std::move(word)), text_(std::move(text)) {}

  void didDismissWithButtonIndex(plat::AlertView& alert, int index) override {
    CallDB::callDB()->saveMnemonic(
        word_, index == alert.firstOtherButtonIndex() ? text_ : CallDB::DeclinedMnemonic);
    if (auto delegate = delegate_.lock()) delegate->closeAcceptUIWindow_callback();
    self_.reset();
  }

  std::shared_ptr<OfferAlert> self_;

 private:
  std::weak_ptr<AcceptUIWindowDeleage> delegate_;
  std::string word_;
  std::string text_;
};

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

std::shared_ptr<plat::ViewController> noteEditor(const std::string& word, int type,
                                                 const std::string& parentName) {
  return std::make_shared<NoteEditor>(word, type, parentName);
}

void offerWindow(std::weak_ptr<AcceptUIWindowDeleage> delegate, const std::string& word,
                 const plat::Value& row) {
  const std::string text = row[size_t(1)].asString();
  auto handler = std::make_shared<OfferAlert>(std::move(delegate), word, text);
  handler->self_ = handler;
  const std::string sharer = row[size_t(4)].asString();
  auto alert = plat::AlertView::create("最佳助记", text + "\n分享者: " + sharer, handler.get(),
                                       "不采纳", {"采纳"});
  alert->show();
}

std::shared_ptr<plat::ViewController> wordList(const std::string& navName,
                                               const std::string& parentName,
                                               const plat::Value& words) {
  return std::make_shared<WordList>(navName, parentName, words);
}

}  // namespace CardStandIns
