// The notes that learners shared for one word, page 0 of the word note screen: the mnemonics
// (HelpRemListController) or the grammar notes (YuFaViewController), in two orders (by adoptions,
// by time of sharing), loaded page by page with the load-more footer. A tap on a row adopts that
// note: the server counts the adoption and the note becomes the word's adopted one on the device.
//
// Every reply works on the order and the row it was asked for, whatever order the learner shows
// meanwhile.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "account/LoadMoreFooterView.h"
#include "net/HttpRequest.h"
#include "online/AccountQueue.h"
#include "platform/base/Value.h"
#include "platform/view/TableView.h"
#include "platform/view/ViewController.h"

class HelpRemListDelegate {
 public:
  virtual ~HelpRemListDelegate() = default;
  // Show the learner's own note (the placeholder row was tapped).
  virtual void inEditHelpInfoView() {}
  // A note of `type` (1 mnemonic, 2 grammar note) was adopted and stored for `word`.
  virtual void acceptNetHelpRemInfo(const std::string& /*word*/, int64_t /*type*/,
                                    const std::string& /*msg*/) {}
};
using YuFaDelegate = HelpRemListDelegate;

// What tells the two lists apart.
struct SharedNoteKind {
  int64_t type;              // 1 mnemonic, 2 grammar note
  const char* listScript;    // "find_mnemonic.php"
  const char* ownRows;       // "my_mnemonic": the learner's own shared notes
  const char* otherRows;     // "mnemonic_list"
  const char* acceptScript;  // "accept_mnemonic.php"
  const char* idParameter;   // "mnemonic_id"
  const char* placeholderKey;
};

class SharedNoteListController : public plat::ViewController,
                                 public plat::TableViewDataSource,
                                 public plat::TableViewDelegate,
                                 public LoadMoreFooterDelegate,
                                 public HttpRequestDelegate {
 public:
  static constexpr int kCellViewTag = 125;
  enum CellTag { kCountTag = 1, kIconTag = 2, kSharerTag = 3, kDateTag = 4, kTextTag = 5 };
  enum Order { kByAdoptions = 0, kByTime = 1 };
  static constexpr const char* kOwnSharer = "自己";

  explicit SharedNoteListController(const SharedNoteKind& kind);

  void setMWord(std::string word) { mWord_ = std::move(word); }
  const std::string& mWord() const { return mWord_; }
  void setDeleage(HelpRemListDelegate* delegate) { deleage_ = delegate; }

  void viewDidLoad() override;
  // Sent by the note screen as it appears: the first time, the first list loads.
  void willAppearView();
  void AcceptSort() { showOrder(kByAdoptions); }
  void ShareSort() { showOrder(kByTime); }
  // Starts again from nothing (after the learner shared a note).
  void reLoadData();
  using plat::ViewController::willAnimateRotationToInterfaceOrientation;
  void willAnimateRotationToInterfaceOrientation();

  // Footer
  void loadMoreFooterDidTriggerRefresh(LoadMoreFooterView&) override;
  bool loadMoreFooterDataSourceIsLoading(LoadMoreFooterView&) override { return reloading_; }

  // Table
  int numberOfRows(plat::TableView&, int) override;
  std::shared_ptr<plat::TableViewCell> cellForRow(plat::TableView&,
                                                  const plat::IndexPath&) override;
  std::optional<double> heightForRow(plat::TableView&, const plat::IndexPath&) override;
  void didSelectRow(plat::TableView&, const plat::IndexPath&) override;
  void scrollViewDidScroll(plat::ScrollView&) override;
  void scrollViewDidEndDragging(plat::ScrollView&, bool) override;

  plat::TableView& tableView() const { return *tableView_; }
  LoadMoreFooterView& footer() const { return *refreshHeaderView_; }
  int64_t currSortType() const { return currSortType_; }
  // The list of an order ("page", "is_end", "cell_data"), null while not loaded.
  const plat::Value& sortData(int order) const { return sortDataTree_[size_t(order)]; }
  // A row's text with its "\n" pairs as line breaks.
  static std::string displayedText(const plat::Value& row);

 private:
  void showOrder(int order);
  bool isLoaded(int order) const { return !sortData(order).isNull(); }
  bool currentIsEnd() const;
  // Sends one list request; `page` 0 fills the order anew, a later page adds to it.
  void requestPage(int order, int64_t page);
  void listFinished(HttpRequest& request, int order, bool firstPage);
  void listFailed(HttpRequest& request, int order, bool firstPage);
  void markFirstPageFailed(int order);
  void refreshTable(const plat::Value& reply, int order);
  void modifyData(const plat::Value& reply, int order);
  void sendSel(int order, int row);
  void sendFinished(HttpRequest& request, int order, int row);
  void sendFailed(HttpRequest& request);
  void doneLoadingTableViewData();
  void showTop();

  SharedNoteKind kind_;
  AccountQueue queue_;
  std::shared_ptr<LoadMoreFooterView> refreshHeaderView_;
  bool reloading_ = false;
  bool isFirst_ = true;
  std::shared_ptr<plat::TableView> tableView_;
  plat::Value sortDataTree_;
  std::string mWord_;
  int64_t currSortType_ = kByAdoptions;
  int64_t selectNum_ = 0;
  bool netState_ = true;
  std::array<bool, 2> firstPageFailed_{};  // by order: its first page could not be fetched
  HelpRemListDelegate* deleage_ = nullptr;
};

// The shared mnemonics of a word.
class HelpRemListController : public SharedNoteListController {
 public:
  HelpRemListController();
};

// The shared grammar notes of a word.
class YuFaViewController : public SharedNoteListController {
 public:
  YuFaViewController();
};
