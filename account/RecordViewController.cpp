#include "account/RecordViewController.h"

#include <algorithm>
#include <cstdlib>

#include "online/AccountText.h"
#include "online/ApiReply.h"
#include "online/ApiRequest.h"
#include "platform/base/Clock.h"
#include "platform/base/DateFormat.h"
#include "platform/draw/TextLayout.h"
#include "platform/view/Label.h"
#include "platform/view/NavigationController.h"
#include "platform/view/TableViewCell.h"
#include "store/CallDB.h"
#include "store/StoreHooks.h"
#include "ui/ScreenNavItems.h"
#include "ui/TabletTurns.h"

namespace {

constexpr double kTextFontSize = 15;
constexpr double kLeastTextHeight = 25;
constexpr double kTextTop = 35;  // the time line above the text

// The height of a message text wrapped at words within `width`: at least one line's room.
double textHeight(const std::string& text, double width) {
  plat::TextLayout::Options options;
  options.maxWidth = width;
  options.lineBreak = plat::LineBreakMode::WordWrap;
  plat::TextLayout layout(text, plat::Font::system(kTextFontSize), options);
  return std::max(layout.size().height + 3, kLeastTextHeight);
}

}  // namespace

std::shared_ptr<RecordViewController> RecordViewController::forAccount(
    const std::string& parentName) {
  auto messages = std::make_shared<RecordViewController>();
  messages->setParentName(parentName);
  return messages;
}

RecordViewController::RecordViewController() {
  setTitle("我的消息");
  cellDataDic_ =
      plat::Value::dictionary({{"is_end", 0}, {"page", 0}, {"cell_data", plat::Value::array()}});
}

void RecordViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  ScreenNavItems::install(*this, title(), parentName_);
  tableView_ = std::make_shared<plat::TableView>(view()->bounds());
  tableView_->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
  tableView_->setDataSource(this);
  tableView_->setTableDelegate(this);
  tableView_->setSeparatorColor(plat::Color::rgb255(201, 250, 199));
  view()->addSubview(tableView_);
  if (!refreshHeaderView_) {
    refreshHeaderView_ = LoadMoreFooterView::addBelowRows(
        *tableView_, this,
        {accounttext::text("tabledown_eg5"), accounttext::text("tabledown_eg6"),
         accounttext::text("tabledown_eg7"), accounttext::text("tabledown_eg8")});
  }
  newNews_ = std::atoll(CallDB::callDB()->getPersonalValue("nNewMsgCount").c_str());
}

bool RecordViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) {
  return ui::turnsOnTablet(o);
}

void RecordViewController::viewWillAppear(bool animated) {
  BaseViewController::viewWillAppear(animated);
  // Each showing asks for the next page; a list read to its end keeps its nothing-more footer
  // rather than a spinner that no reply would stop.
  if (!isEnd()) refreshHeaderView_->loadMoreScrollViewFirstBeginDragging();
}

void RecordViewController::goBackAction() {
  if (auto* nav = navigationController()) nav->popViewController(true);
}

void RecordViewController::willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation,
                                                                     double) {
  refreshHeaderView_->setFrame(LoadMoreFooterView::frameBelowRows(*tableView_));
}

void RecordViewController::loadMoreFooterDidTriggerRefresh(LoadMoreFooterView&) {
  reloading_ = true;
  if (!netState_ || isEnd()) return;
  netState_ = false;
  auto request = ApiRequest::get("get_user_message.php", {{"page", cellDataDic_["page"]}});
  request->setDelegate(this);
  request->setDidFinishSelector([this](HttpRequest& r) { RequestFinished(r); });
  request->setDidFailSelector([this](HttpRequest& r) { RequestFailed(r); });
  queue_.add(request);
}

void RecordViewController::RequestFinished(HttpRequest& request) {
  netState_ = true;
  ApiReplyHooks hooks;
  hooks.relogin = ApiReplyHooks::openLoginAgain;
  if (auto reply = ApiReply::handleFinished(request, hooks)) {
    modifyData(reply->object());
    CallDB::callDB()->UpdatePersonalValue("nNewMsgCount", "0");
    if (const auto& refresh = StoreHooks::shared().refreshMsgNum) refresh(0);
    refreshHeaderView_->setFrame(LoadMoreFooterView::frameBelowRows(*tableView_));
  }
  doneLoadingTableViewData();
}

void RecordViewController::RequestFailed(HttpRequest& request) {
  ApiReply::handleFailed(request, ApiReplyHooks());
  netState_ = true;
  doneLoadingTableViewData();
}

void RecordViewController::modifyData(const plat::Value& reply) {
  cellDataDic_.set("is_end", ApiReply::integerOf(reply["is_end"]));
  cellDataDic_.set("page", cellDataDic_["page"].asInt() + 1);
  plat::Value rows = cellDataDic_["cell_data"];
  const plat::Value& received = reply["msg_list"];
  for (size_t i = 0; i < received.size(); ++i) rows.append(received.at(i));
  cellDataDic_.set("cell_data", rows);
  // A count of 0 keeps the marks of the rows already shown.
  if (int64_t unread = ApiReply::integerOf(reply["syn_var"]["nNewMsgCount"])) newNews_ = unread;
  tableView_->reloadData();
}

void RecordViewController::doneLoadingTableViewData() {
  reloading_ = false;
  refreshHeaderView_->loadMoreScrollViewDataSourceDidFinishedLoading(
      *tableView_, cellDataDic_["is_end"].asInt());
}

void RecordViewController::scrollViewDidScroll(plat::ScrollView& scroll) {
  if (!isEnd()) refreshHeaderView_->loadMoreScrollViewDidScroll(scroll);
}

void RecordViewController::scrollViewDidEndDragging(plat::ScrollView& scroll, bool) {
  if (!isEnd()) refreshHeaderView_->loadMoreScrollViewDidEndDragging(scroll);
}

int RecordViewController::numberOfRows(plat::TableView&, int) {
  return static_cast<int>(cellDataDic_["cell_data"].size());
}

std::string RecordViewController::displayedText(int row) const {
  const std::string& message = cellDataDic_["cell_data"].at(size_t(row)).at(1).asString();
  return row < newNews_ ? "【新】" + message : message;
}

std::optional<double> RecordViewController::heightForRow(plat::TableView& table,
                                                         const plat::IndexPath& ip) {
  return textHeight(displayedText(ip.row), table.bounds().width - 10) + kTextTop;
}

std::shared_ptr<plat::TableViewCell> RecordViewController::cellForRow(plat::TableView& table,
                                                                      const plat::IndexPath& ip) {
  auto cell = table.dequeueReusableCell("basecell");
  if (!cell) {
    cell = plat::TableViewCell::create(plat::TableViewCellStyle::Subtitle, "basecell");
    // As wide as the table from the start: the text is laid out for that width below, and a cell
    // widened afterwards would stretch its text past the screen's edge.
    cell->setFrame({0, 0, table.bounds().width, cell->bounds().height});
    cell->setSelectionStyle(plat::TableViewCellSelectionStyle::None);
    auto content = std::make_shared<plat::View>(cell->bounds());
    content->setTag(kCellViewTag);
    content->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
    auto time = std::make_shared<plat::Label>(plat::Rect{5, 0, 150, 20});
    time->setTag(kTimeLabelTag);
    time->setFont(plat::Font::boldSystem(14));
    time->setAdjustsFontSizeToFitWidth(true);
    time->setMinimumFontSize(13);
    content->addSubview(time);
    auto text = std::make_shared<plat::Label>(
        plat::Rect{5, kTextTop - 10, cell->bounds().width - 10, kLeastTextHeight});
    text->setTag(kTextLabelTag);
    text->setAutoresizingMask(plat::kFlexibleWidth);
    text->setFont(plat::Font::system(kTextFontSize));
    text->setNumberOfLines(0);
    text->setLineBreakMode(plat::LineBreakMode::WordWrap);
    text->setMinimumFontSize(14);
    content->addSubview(text);
    cell->contentView().addSubview(content);
  }
  plat::View* content = cell->contentView().viewWithTag(kCellViewTag);
  auto* time = static_cast<plat::Label*>(content->viewWithTag(kTimeLabelTag));
  auto* text = static_cast<plat::Label*>(content->viewWithTag(kTextLabelTag));
  const plat::Value& row = cellDataDic_["cell_data"].at(size_t(ip.row));
  const plat::DateFormat format("yyyy-MM-dd HH:mm", plat::TimeZone::local());
  time->setText(format.format(double(ApiReply::integerOf(row.at(0)))));
  text->setText(displayedText(ip.row));
  text->setTextColor(ip.row < newNews_ ? plat::Color::black() : plat::Color::rgb255(126, 126, 126));
  const double width = table.bounds().width - 10;
  text->setFrame({5, kTextTop - 10, width, textHeight(text->text(), width)});
  return cell;
}
