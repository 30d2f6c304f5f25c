#include "account/SharedNoteListController.h"

#include <algorithm>

#include "online/AccountText.h"
#include "online/ApiReply.h"
#include "online/ApiRequest.h"
#include "online/LoginUIWindow.h"
#include "platform/base/Clock.h"
#include "platform/base/DateFormat.h"
#include "platform/draw/Image.h"
#include "platform/draw/TextLayout.h"
#include "platform/view/ImageView.h"
#include "platform/view/Label.h"
#include "platform/view/TableViewCell.h"
#include "store/CallDB.h"
#include "store/StoredText.h"

namespace {

constexpr double kPlaceholderHeight = 60;
constexpr double kMeasureLimit = 20000;

const SharedNoteKind kMnemonics = {1,
                                   "find_mnemonic.php",
                                   "my_mnemonic",
                                   "mnemonic_list",
                                   "accept_mnemonic.php",
                                   "mnemonic_id",
                                   "helprem_eg1"};
const SharedNoteKind kGrammarNotes = {
    2, "find_yufa.php", "my_yufa", "yufa_list", "accept_yufa.php", "yufa_id", "helprem_eg2"};

// Decoded replies cannot change: rows that the list edits are copied first.
plat::Value editable(const plat::Value& array) {
  std::vector<plat::Value> items;
  for (size_t i = 0; i < array.size(); ++i) items.push_back(array.at(i));
  return plat::Value::array(std::move(items));
}

plat::Size iconSize() {
  auto icon = plat::Image::named("gui/good_1.png");
  return icon ? icon->size() : plat::Size{20, 20};
}

double measuredTextHeight(const std::string& text, double width) {
  plat::TextLayout::Options options;
  options.maxWidth = width;
  options.maxHeight = kMeasureLimit;
  options.lineBreak = plat::LineBreakMode::CharWrap;
  return plat::TextLayout(text, plat::Font::system(14), options).size().height + 3;
}

std::shared_ptr<plat::Label> cellLabel(int tag, const plat::Rect& frame) {
  auto label = std::make_shared<plat::Label>(frame);
  label->setTag(tag);
  label->setFont(plat::Font::system(13));
  label->setBackgroundColor(plat::Color::clear());
  return label;
}

}  // namespace

HelpRemListController::HelpRemListController() : SharedNoteListController(kMnemonics) {}
YuFaViewController::YuFaViewController() : SharedNoteListController(kGrammarNotes) {}

SharedNoteListController::SharedNoteListController(const SharedNoteKind& kind) : kind_(kind) {
  sortDataTree_ = plat::Value::array({plat::Value(), plat::Value()});
}

void SharedNoteListController::viewDidLoad() {
  plat::ViewController::viewDidLoad();
  view()->setAutoresizingMask(plat::kFlexibleAll);
  view()->setBackgroundColor(plat::Color::rgb255(106, 207, 153));
  tableView_ = std::make_shared<plat::TableView>(view()->bounds());
  tableView_->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
  tableView_->setDataSource(this);
  tableView_->setTableDelegate(this);
  tableView_->setSeparatorColor(plat::Color::rgb255(201, 250, 199));
  view()->addSubview(tableView_);
  if (!refreshHeaderView_) {
    refreshHeaderView_ = LoadMoreFooterView::addBelowRows(
        *tableView_, this,
        {accounttext::text("tabledown_eg1"), accounttext::text("tabledown_eg2"),
         accounttext::text("tabledown_eg3"), accounttext::text("tabledown_eg4")});
    refreshHeaderView_->refreshLastUpdatedDate();
  }
}

void SharedNoteListController::willAppearView() {
  if (!isFirst_) return;
  isFirst_ = false;
  view();
  refreshHeaderView_->loadMoreScrollViewFirstBeginDragging();
}

bool SharedNoteListController::currentIsEnd() const {
  return sortData(int(currSortType_))["is_end"].asInt() != 0;
}

void SharedNoteListController::showTop() {
  if (numberOfRows(*tableView_, 0) > 0 && isLoaded(int(currSortType_)))
    tableView_->scrollToRow({0, 0}, plat::TableViewScrollPosition::Top, false);
  tableView_->reloadData();
}

void SharedNoteListController::showOrder(int order) {
  currSortType_ = order;
  if (isLoaded(order)) {
    showTop();
    // The footer tells of the order now shown.
    refreshHeaderView_->setFrame(LoadMoreFooterView::frameBelowRows(*tableView_));
    if (!reloading_)
      refreshHeaderView_->loadMoreScrollViewDataSourceDidFinishedLoading(*tableView_,
                                                                         currentIsEnd());
    return;
  }
  if (!netState_) return;
  netState_ = false;
  // Shows the loading state; the trigger finds the request under way and sends nothing more.
  refreshHeaderView_->loadMoreScrollViewFirstBeginDragging();
  requestPage(order, 0);
}

void SharedNoteListController::loadMoreFooterDidTriggerRefresh(LoadMoreFooterView&) {
  reloading_ = true;
  const int order = int(currSortType_);
  if (!isLoaded(order)) {
    showOrder(order);
    return;
  }
  if (!netState_ || currentIsEnd()) return;
  netState_ = false;
  requestPage(order, sortData(order)["page"].asInt() + 1);
}

void SharedNoteListController::requestPage(int order, int64_t page) {
  auto request =
      ApiRequest::get(kind_.listScript, {{"word_id", CallDB::callDB()->getWordID(mWord_)},
                                         {"order_type", order + 1},
                                         {"page", page}});
  const bool firstPage = page == 0;
  request->setTag(firstPage ? (order == kByAdoptions ? 3 : 2) : 1);
  request->setDelegate(this);
  request->setDidFinishSelector(
      [this, order, firstPage](HttpRequest& r) { listFinished(r, order, firstPage); });
  request->setDidFailSelector(
      [this, order, firstPage](HttpRequest& r) { listFailed(r, order, firstPage); });
  queue_.add(request);
}

void SharedNoteListController::listFinished(HttpRequest& request, int order, bool firstPage) {
  netState_ = true;
  if (firstPage) firstPageFailed_[size_t(order)] = false;
  ApiReplyHooks hooks;
  hooks.relogin = ApiReplyHooks::openLoginAgain;
  if (auto reply = ApiReply::handleFinished(request, hooks)) {
    if (firstPage) {
      refreshTable(reply->object(), order);
      if (order == currSortType_) showTop();
    } else if (isLoaded(order)) {
      modifyData(reply->object(), order);
      tableView_->reloadData();
    }
    refreshHeaderView_->setFrame(LoadMoreFooterView::frameBelowRows(*tableView_));
  } else if (firstPage) {
    markFirstPageFailed(order);  // a refused or unreadable reply: nothing was fetched either
  }
  doneLoadingTableViewData();
}

void SharedNoteListController::listFailed(HttpRequest& request, int order, bool firstPage) {
  ApiReply::handleFailed(request, ApiReplyHooks());
  netState_ = true;
  if (firstPage) markFirstPageFailed(order);
  doneLoadingTableViewData();
}

// An order never loaded says that its list could not be fetched, not that nobody shared.
void SharedNoteListController::markFirstPageFailed(int order) {
  if (isLoaded(order)) return;
  firstPageFailed_[size_t(order)] = true;
  if (order == currSortType_) tableView_->reloadData();
}

void SharedNoteListController::refreshTable(const plat::Value& reply, int order) {
  plat::Value rows = plat::Value::array();
  const plat::Value& own = reply[kind_.ownRows];
  for (size_t i = 0; i < own.size(); ++i) {
    if (!own.at(i).isArray()) continue;
    plat::Value row = editable(own.at(i));
    row.insert(std::min<size_t>(4, row.size()), kOwnSharer);
    rows.append(row);
  }
  const plat::Value& others = reply[kind_.otherRows];
  for (size_t i = 0; i < others.size(); ++i) rows.append(others.at(i));
  sortDataTree_.replace(
      size_t(order),
      plat::Value::dictionary(
          {{"page", 0}, {"is_end", ApiReply::integerOf(reply["is_end"])}, {"cell_data", rows}}));
}

void SharedNoteListController::modifyData(const plat::Value& reply, int order) {
  plat::Value list = sortData(order);
  list.set("is_end", ApiReply::integerOf(reply["is_end"]));
  list.set("page", list["page"].asInt() + 1);
  plat::Value rows = editable(list["cell_data"]);
  const plat::Value& received = reply[kind_.otherRows];
  for (size_t i = 0; i < received.size(); ++i) rows.append(received.at(i));
  list.set("cell_data", rows);
  sortDataTree_.replace(size_t(order), list);
}

void SharedNoteListController::doneLoadingTableViewData() {
  reloading_ = false;
  refreshHeaderView_->loadMoreScrollViewDataSourceDidFinishedLoading(*tableView_, currentIsEnd());
}

void SharedNoteListController::reLoadData() {
  queue_.forgetAll();
  sortDataTree_ = plat::Value::array({plat::Value(), plat::Value()});
  firstPageFailed_ = {};
  currSortType_ = kByAdoptions;
  netState_ = true;
  tableView_->reloadData();
  refreshHeaderView_->loadMoreScrollViewFirstBeginDragging();
}

void SharedNoteListController::willAnimateRotationToInterfaceOrientation() {
  refreshHeaderView_->setFrame(LoadMoreFooterView::frameBelowRows(*tableView_));
}

void SharedNoteListController::scrollViewDidScroll(plat::ScrollView& scroll) {
  const bool loaded = isLoaded(int(currSortType_));
  if ((loaded && !currentIsEnd()) || (!loaded && netState_))
    refreshHeaderView_->loadMoreScrollViewDidScroll(scroll);
}

void SharedNoteListController::scrollViewDidEndDragging(plat::ScrollView& scroll, bool) {
  const bool loaded = isLoaded(int(currSortType_));
  if ((loaded && !currentIsEnd()) || (!loaded && netState_))
    refreshHeaderView_->loadMoreScrollViewDidEndDragging(scroll);
}

// ---- Table

std::string SharedNoteListController::displayedText(const plat::Value& row) {
  return storedtext::withLineBreaks(row.at(1).asString());
}

int SharedNoteListController::numberOfRows(plat::TableView&, int) {
  const size_t rows = sortData(int(currSortType_))["cell_data"].size();
  return rows == 0 ? 1 : int(rows);
}

std::optional<double> SharedNoteListController::heightForRow(plat::TableView& table,
                                                             const plat::IndexPath& ip) {
  const plat::Value& rows = sortData(int(currSortType_))["cell_data"];
  if (rows.size() == 0) return kPlaceholderHeight;
  const double text =
      measuredTextHeight(displayedText(rows.at(size_t(ip.row))), table.bounds().width - 20);
  return (text < 60 ? 70 : text + 10) + iconSize().height + 8;
}

std::shared_ptr<plat::TableViewCell> SharedNoteListController::cellForRow(
    plat::TableView& table, const plat::IndexPath& ip) {
  const plat::Size icon = iconSize();
  const double top = icon.height / 6 + 8;
  auto cell = table.dequeueReusableCell("basecell");
  if (!cell) {
    cell = plat::TableViewCell::create(plat::TableViewCellStyle::Subtitle, "basecell");
    cell->setSelectionStyle(plat::TableViewCellSelectionStyle::Blue);
    const double width = cell->bounds().width;
    auto content = std::make_shared<plat::View>(cell->bounds());
    content->setTag(kCellViewTag);
    content->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
    auto iconView = std::make_shared<plat::ImageView>(plat::Rect{5, 8, icon.width, icon.height});
    iconView->setTag(kIconTag);
    content->addSubview(iconView);
    auto count = cellLabel(kCountTag, {5 + icon.width + 5, top, 40, 20});
    count->setMinimumFontSize(13);
    content->addSubview(count);
    auto sharer = cellLabel(kSharerTag, {count->frame().maxX() + 5, top, 165, 20});
    content->addSubview(sharer);
    auto date = cellLabel(kDateTag, {width - 75, top, 75, 20});
    date->setAutoresizingMask(plat::kFlexibleLeftMargin);
    content->addSubview(date);
    auto text =
        std::make_shared<plat::Label>(plat::Rect{10, date->frame().maxY() + 5, width - 20, 60});
    text->setTag(kTextTag);
    text->setFont(plat::Font::system(14));
    text->setNumberOfLines(0);
    text->setLineBreakMode(plat::LineBreakMode::CharWrap);
    text->setBackgroundColor(plat::Color::clear());
    text->setAutoresizingMask(plat::kFlexibleWidth);
    content->addSubview(text);
    cell->contentView().addSubview(content);
  }
  plat::View* content = cell->contentView().viewWithTag(kCellViewTag);
  auto* iconView = static_cast<plat::ImageView*>(content->viewWithTag(kIconTag));
  auto label = [content](int tag) { return static_cast<plat::Label*>(content->viewWithTag(tag)); };
  plat::Label* text = label(kTextTag);
  const plat::Value& rows = sortData(int(currSortType_))["cell_data"];
  const double textWidth = table.bounds().width - 20;
  if (rows.size() == 0) {
    iconView->setHidden(true);
    label(kCountTag)->setText("");
    label(kSharerTag)->setText("");
    label(kDateTag)->setText("");
    text->setTextAlignment(plat::TextAlignment::Center);
    const bool failed = !isLoaded(int(currSortType_)) && firstPageFailed_[size_t(currSortType_)];
    text->setText(accounttext::text(failed ? "helprem_load_failed" : kind_.placeholderKey));
    text->setFrame({10, text->frame().y, textWidth, 25});
    return cell;
  }
  const plat::Value& row = rows.at(size_t(ip.row));
  iconView->setHidden(false);
  iconView->setImage(plat::Image::named(ApiReply::integerOf(row.at(5)) != 0 ? "gui/good_2.png"
                                                                            : "gui/good_1.png"));
  label(kCountTag)->setText(std::to_string(ApiReply::integerOf(row.at(2))));
  label(kSharerTag)->setText(row.at(4).asString());
  const plat::DateFormat format("yyyy-MM-dd", plat::TimeZone::local());
  label(kDateTag)->setText(format.format(double(ApiReply::integerOf(row.at(3)))));
  text->setTextAlignment(plat::TextAlignment::Left);
  const std::string shown = displayedText(row);
  text->setText(shown);
  text->setFrame({10, text->frame().y, textWidth, measuredTextHeight(shown, textWidth)});
  return cell;
}

void SharedNoteListController::didSelectRow(plat::TableView& table, const plat::IndexPath& ip) {
  table.deselectRow(ip, true);
  const int order = int(currSortType_);
  if (isLoaded(order) && sortData(order)["cell_data"].size() > 0) {
    selectNum_ = ip.row;
    sendSel(order, ip.row);
  } else if (deleage_) {
    deleage_->inEditHelpInfoView();
  }
}

// ---- Adoption

void SharedNoteListController::sendSel(int order, int row) {
  if (CallDB::callDB()->getPersonalValue("account").empty()) {
    LoginUIWindow::show();
    accounttext::showMessage(accounttext::text("alermsg_eg3"));
    return;
  }
  if (!netState_) return;
  netState_ = false;
  const plat::Value& note = sortData(order)["cell_data"].at(size_t(row));
  auto request =
      ApiRequest::get(kind_.acceptScript, {{kind_.idParameter, ApiReply::integerOf(note.at(0))}});
  request->setDelegate(this);
  request->setDidFinishSelector(
      [this, order, row](HttpRequest& r) { sendFinished(r, order, row); });
  request->setDidFailSelector([this](HttpRequest& r) { sendFailed(r); });
  queue_.add(request);
}

void SharedNoteListController::sendFinished(HttpRequest& request, int order, int row) {
  netState_ = true;
  ApiReplyHooks hooks;
  hooks.relogin = ApiReplyHooks::openLoginAgain;
  auto reply = ApiReply::handleFinished(request, hooks);
  // The tapped row, though the learner may have switched the order meanwhile.
  plat::Value list = sortData(order);
  plat::Value rows = editable(list["cell_data"]);
  if (!reply || size_t(row) >= rows.size()) return;
  plat::Value note = editable(rows.at(size_t(row)));
  CallDB* store = CallDB::callDB();
  if (kind_.type == 1)
    store->saveMnemonic(mWord_, note.at(1).asString());
  else
    store->saveYuFa(mWord_, note.at(1).asString());
  if (note.size() > 2) note.replace(2, ApiReply::integerOf(reply->object()["accept_num"]));
  rows.replace(size_t(row), note);
  list.set("cell_data", rows);
  sortDataTree_.replace(size_t(order), list);
  tableView_->reloadData();
  // The note screen may close, and this list with it: nothing may follow the call.
  if (deleage_)
    deleage_->acceptNetHelpRemInfo(mWord_, kind_.type, accounttext::text("alermsg_eg9"));
}

void SharedNoteListController::sendFailed(HttpRequest& request) {
  ApiReply::handleFailed(request, ApiReplyHooks());
  netState_ = true;
}
