#include "account/UserInfoViewCtrl.h"

#include <algorithm>

#include "account/AccountNavBar.h"
#include "account/RecordViewController.h"
#include "online/AccountText.h"
#include "online/ApiReply.h"
#include "online/ApiRequest.h"
#include "online/Data_Package.h"
#include "online/OnlineScreens.h"
#include "platform/base/RunLoop.h"
#include "platform/draw/TextLayout.h"
#include "platform/view/NavigationController.h"
#include "platform/view/Screen.h"
#include "store/CallDB.h"
#include "store/StoreHooks.h"
#include "ui/GuiImages.h"
#include "ui/TabletTurns.h"

using accounttext::text;

namespace {

// Row titles (localisation keys) and the personal values they show.
const std::vector<std::pair<const char*, const char*>>& rows() {
  static const std::vector<std::pair<const char*, const char*>> list = {
      {"userinfo_eg1", "account"},
      {"userinfo_eg2", "nPopularizeId"},
      {"userinfo_eg3", "nNewMsgCount"},
      {"userinfo_eg5", "nMnemonicShareCount"},
      {"userinfo_eg6", "nMnemonicAcceptCount"},
      {"userinfo_eg8", "nYufaShareCount"},
      {"userinfo_eg9", "nYufaAcceptCount"},
      {"userinfo_eg7", "nPopularizeCount"}};
  return list;
}

constexpr double kRowHeight = 44;
constexpr double kLogoutHeight = 44;

}  // namespace

UserInfoViewCtrl::UserInfoViewCtrl() : self_(std::make_shared<UserInfoViewCtrl*>(this)) {
  setTitle(text("我的账号信息"));
}

UserInfoViewCtrl::~UserInfoViewCtrl() {
  if (auto question = question_.lock()) question->setDelegate(nullptr);
  if (tableView_) {
    tableView_->setDataSource(nullptr);
    tableView_->setTableDelegate(nullptr);
  }
  self_.reset();
}

bool UserInfoViewCtrl::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) {
  return ui::turnsOnTablet(o);
}

void UserInfoViewCtrl::loadView() {
  const plat::Rect frame = plat::Screen::main().applicationFrame();
  auto root = std::make_shared<plat::View>(plat::Rect{0, 0, frame.width, frame.height - 44});
  root->setBackgroundColor(plat::Color::rgb255(240, 248, 243));
  const double tableHeight = kRowHeight * static_cast<double>(rows().size());
  tableView_ = std::make_shared<plat::TableView>(plat::Rect{0, 10, frame.width, tableHeight});
  tableView_->setRowHeight(kRowHeight);
  tableView_->setBackgroundColor(plat::Color::white());
  // A turned tablet: the rows and the button span the turned width.
  tableView_->setAutoresizingMask(plat::kFlexibleWidth);
  root->addSubview(tableView_);
  logoutBtn_ = plat::Button::create(plat::ButtonType::Custom,
                                    {20, 10 + tableHeight + 20, frame.width - 40, kLogoutHeight});
  logoutBtn_->setTitle("退出登录");
  logoutBtn_->titleLabel().setFont(plat::Font::boldSystem(17));
  logoutBtn_->setTitleColor(plat::Color::white());
  logoutBtn_->setAutoresizingMask(plat::kFlexibleWidth);
  root->addSubview(logoutBtn_);
  infoLabel_ = std::make_shared<plat::Label>(plat::Rect{20, 20, frame.width - 40, 40});
  infoLabel_->setHidden(true);
  infoLabel_->setAutoresizingMask(plat::kFlexibleWidth);
  root->addSubview(infoLabel_);
  setView(root);
}

void UserInfoViewCtrl::viewDidLoad() {
  BaseViewController::viewDidLoad();
  accountnav::install(*this, title(), parentName_);
  accountnav::rightButton(*this, "刷新", [this] { UpdateMnemonic(); });
  logoutBtn_->setBackgroundImage(guiimages::stretchable("gui/logout.png", 10, 0));
  logoutBtn_->addTarget([this](plat::Control&) { logout(); }, plat::kTouchUpInside);
  tableView_->setSeparatorColor(plat::Color::rgb255(201, 250, 199));
  tableView_->setDataSource(this);
  tableView_->setTableDelegate(this);
}

void UserInfoViewCtrl::viewWillAppear(bool) {
  refreshData();
}

void UserInfoViewCtrl::refreshData() {
  CallDB* db = CallDB::callDB();
  cellArray_.clear();
  for (const auto& [key, value] : rows())
    cellArray_.emplace_back(text(key), db->getPersonalValue(value));
  if (infoLabel_) infoLabel_->setHidden(true);
  if (logoutBtn_) logoutBtn_->setHidden(false);
  if (tableView_) tableView_->reloadData();
}

int UserInfoViewCtrl::numberOfRows(plat::TableView&, int) {
  return static_cast<int>(cellArray_.size());
}

plat::Rect UserInfoViewCtrl::badgeFrame(const std::string& count, double cellWidth,
                                        double cellHeight) {
  const double width =
      std::max(29.0, plat::measureText(count, plat::Font::boldSystem(12)).width + 22);
  return {cellWidth - 75 - width, (cellHeight - 29) / 2, width, 29};
}

std::shared_ptr<plat::TableViewCell> UserInfoViewCtrl::cellForRow(plat::TableView& table,
                                                                  const plat::IndexPath& ip) {
  const auto& [title, value] = cellArray_.at(static_cast<size_t>(ip.row));
  const bool messages = ip.row == kMessageRow;
  const std::string identifier = messages ? "basecell1" : "basecell2";
  auto cell = table.dequeueReusableCell(identifier);
  if (!cell) cell = plat::TableViewCell::create(plat::TableViewCellStyle::Value1, identifier);
  cell->textLabel().setText(title);
  cell->textLabel().setFont(plat::Font::system(16));
  if (!messages) {
    cell->detailTextLabel()->setText(value);
    cell->setSelectionStyle(plat::TableViewCellSelectionStyle::None);
    cell->setAccessoryType(plat::TableViewCellAccessory::None);
    return cell;
  }
  cell->detailTextLabel()->setText("");
  cell->setSelectionStyle(plat::TableViewCellSelectionStyle::Blue);
  cell->setAccessoryType(plat::TableViewCellAccessory::DisclosureIndicator);
  auto* badge = static_cast<plat::Button*>(nullptr);
  for (const auto& sub : cell->contentView().subviews()) {
    if (sub->tag() == kBadgeTag) badge = static_cast<plat::Button*>(sub.get());
  }
  if (!badge) {
    auto made = plat::Button::create(plat::ButtonType::Custom);
    made->setTag(kBadgeTag);
    made->setBackgroundImage(guiimages::stretchable("gui/msg_bg.png", 15, 0));
    made->titleLabel().setFont(plat::Font::boldSystem(12));
    made->setTitleColor(plat::Color::white());
    made->setEnabled(false);
    made->setAdjustsImageWhenDisabled(false);
    made->setAutoresizingMask(plat::kFlexibleLeftMargin);
    cell->contentView().addSubview(made);
    badge = made.get();
  }
  badge->setTitle(value);
  // Placed from the row's right edge once the cell has the table's width, so the badge keeps that
  // distance when the row widens on a turned tablet.
  cell->setFrame({0, 0, table.bounds().width, kRowHeight});
  cell->layoutIfNeeded();
  plat::Rect frame = badgeFrame(value, table.bounds().width, kRowHeight);
  frame.x = cell->contentView().convertPointFrom({frame.x, 0}, cell.get()).x;
  badge->setFrame(frame);
  badge->setHidden(value.empty() || value == "0");
  return cell;
}

void UserInfoViewCtrl::didSelectRow(plat::TableView& table, const plat::IndexPath& ip) {
  table.deselectRow(ip, true);
  if (ip.row != kMessageRow) return;
  if (navigationController())
    navigationController()->pushViewController(RecordViewController::forAccount(title()), true);
}

void UserInfoViewCtrl::UpdateMnemonic() {
  if (CallDB::callDB()->getPersonalValue("account").empty()) {
    accounttext::showMessage(text("alermsg_eg18"));
    return;
  }
  auto request = ApiRequest::get("account_info.php");
  request->setDelegate(this);
  request->setDidFinishSelector([this](HttpRequest& r) { getInfoFinished(r); });
  request->setDidFailSelector([this](HttpRequest& r) { getInfoFailed(r); });
  networkQueue_.add(request);
}

void UserInfoViewCtrl::getInfoFinished(HttpRequest& request) {
  ApiReplyHooks hooks;
  hooks.relogin = ApiReplyHooks::openLoginAgain;
  auto reply = ApiReply::handleFinished(request, hooks);
  if (!reply) return;
  refreshData();
  OnlineScreens::call(OnlineScreens::shared().refreshADInfo);
  accounttext::showMessage(text("alermsg_eg19"));
  if (auto time = reply->time()) ApiReply::checkClock(*time, hooks);
}

void UserInfoViewCtrl::getInfoFailed(HttpRequest& request) {
  ApiReply::handleFailed(request, ApiReplyHooks());
}

void UserInfoViewCtrl::logout() {
  auto question = plat::AlertView::create("提示", text("alermsg_eg33"), this, "取消", {"确认退出"});
  question->setTag(kLogoutTag);
  question_ = question;
  question->show();
}

void UserInfoViewCtrl::didDismissWithButtonIndex(plat::AlertView& alert, int buttonIndex) {
  if (alert.tag() != kLogoutTag || buttonIndex != 1) return;
  std::weak_ptr<UserInfoViewCtrl*> alive = self_;
  plat::RunLoop::main().perform([alive] {
    if (auto self = alive.lock()) (*self)->logout_aler();
  });
}

void UserInfoViewCtrl::logout_aler() {
  accounttext::inTransaction([] { Data_Package::delete_isSyn(); });
  accounttext::studyDataChanged(true);
  if (const auto& refresh = StoreHooks::shared().refreshMsgNum) refresh(0);
  accounttext::showMessage(text("alermsg_eg17"));
  if (navigationController()) navigationController()->popViewController(true);
}
