#include "settings/SetViewController.h"

#include <cstdlib>

#include "online/CheckVersion.h"
#include "platform/base/Bundle.h"
#include "platform/base/Device.h"
#include "platform/draw/TextLayout.h"
#include "platform/view/NavigationController.h"
#include "platform/view/TableViewCell.h"
#include "settings/BackupAgeText.h"
#include "settings/HelpViewController.h"
#include "settings/HtmlViewController.h"
#include "settings/PrivilegeViewController.h"
#include "settings/SettingsHooks.h"
#include "settings/SettingsLook.h"
#include "settings/SettingsScreens.h"
#include "settings/ShareFileViewController.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "ui/GuiImages.h"
#include "ui/MyListAlerView.h"
#include "ui/ScreenNavItems.h"

using namespace plat;

namespace {

std::string personal(const std::string& key) {
  return CallDB::callDB()->getPersonalValue(key);
}

// Phone value, or the tablet's.
double byIdiom(double phone, double tablet) {
  return Device::current().idiom == DeviceIdiom::Tablet ? tablet : phone;
}

}  // namespace

SetViewController::SetViewController() {
  setTitle(localized("设置"));
}

SetViewController::~SetViewController() {
  if (LoginUIWindow* login = LoginUIWindow::shown())
    if (login->deleage() == this) login->setDeleage(nullptr);
  if (tableView_) {
    tableView_->setDataSource(nullptr);
    tableView_->setTableDelegate(nullptr);
  }
  if (clearRequest_) clearRequest_->clearDelegatesAndCancel();
  if (dataBackup_) dataBackup_->setDelegate(nullptr);
  for (auto* field : {fx_textField_.get(), aw_textField_.get(), timeField_.get()})
    if (field) field->setDelegate(nullptr);
}

void SetViewController::loadView() {
  auto root = std::make_shared<View>(Screen::main().applicationFrame());
  root->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  tableView_ = std::make_shared<TableView>(root->bounds(), TableViewStyle::Grouped);
  tableView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  tableView_->setDataSource(this);
  tableView_->setTableDelegate(this);
  root->addSubview(tableView_);
  // Under the last section: the way to the zip files of the Documents folder.
  auto footer = std::make_shared<View>(Rect{0, 0, root->bounds().width, 44});
  auto files = Button::create(ButtonType::Custom, {0, 4, root->bounds().width, 36});
  files->setTitle(localized("文件管理"));
  files->setTitleColor(Color::rgb255(57, 156, 102));
  files->titleLabel().setFont(Font::system(14));
  files->setAutoresizingMask(kFlexibleWidth);
  files->addTarget([this](Control&) { audioFile(); }, kTouchUpInside);
  footer->addSubview(files);
  tableView_->setTableFooterView(footer);
  // Shown while a field is edited; ends the editing.
  closeKeyboard_ = Button::create(ButtonType::Custom, root->bounds());
  closeKeyboard_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  closeKeyboard_->addTarget([this](Control&) { closeKeyboard(); }, kTouchUpInside);
  root->addSubview(closeKeyboard_);
  setView(root);
}

void SetViewController::viewDidLoad() {
  setEdgesForExtendedLayout(kRectEdgeNone);
  navigationItem().setTitle(title());
  navigationItem().setTitleView(ScreenNavItems::titleLabel(title()));
  view()->setBackgroundColor(Color::white());
  closeKeyboard_->setHidden(true);
  tableView_->setBackgroundColor(Color::clear());
  tableView_->setOpaque(false);
  tableView_->setSeparatorColor(settingslook::separator());
  const int messages = std::atoi(personal("nNewMsgCount").c_str());
  if (SettingsHooks::shared().refreshMsgNum) SettingsHooks::shared().refreshMsgNum(messages);
  cellArray_.clear();
}

void SetViewController::viewWillAppear(bool) {
  if (NavigationController* nav = navigationController()) nav->setNavigationBarHidden(false);
  if (!firstRun_) {
    firstRun_ = true;
    addNavBtnItem();
  }
  refreshTableView(true);
}

bool SetViewController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) {
  return Device::current().idiom == DeviceIdiom::Tablet || o == InterfaceOrientation::Portrait;
}

void SetViewController::addNavBtnItem() {
  nightButton_ = Button::create(ButtonType::Custom, {0, 0, 55, 40});
  nightButton_->setImage(
      Image::named(personal("atNight") == "1" ? "gui/night.png" : "gui/sun.png"));
  nightButton_->addTarget([this](Control&) { at_night(); }, kTouchUpInside);
  navigationItem().setLeftBarButtonItem(std::make_shared<BarButtonItem>(nightButton_));
  auto help = Button::create(ButtonType::Custom, {0, 0, 17, 33});
  help->setImage(Image::named("help"));
  help->addTarget([this](Control&) { showHelpView(); }, kTouchUpInside);
  navigationItem().setRightBarButtonItem(std::make_shared<BarButtonItem>(help));
}

void SetViewController::refreshTableView(bool reload) {
  cellArray_.clear();
  cellArray_.push_back(
      {localized(personal("account").empty() ? "setting_login" : "setting_userinfo")});
  cellArray_.push_back({localized("setting_privilege"), localized("setting_sort")});
  cellArray_.push_back({localized("setting_everyday")});
  std::vector<std::string> reminders = {localized("setting_audio"),
                                        localized("setting_reviewreminded")};
  if (personal("alarm_setting") == "1") reminders.push_back(localized("setting_reviewtime"));
  cellArray_.push_back(reminders);
  cellArray_.push_back({localized("setting_backup"), localized("setting_checkup")});
  cellArray_.push_back({localized("setting_feedback")});
  if (reload) tableView_->reloadData();
}

std::string SetViewController::row(int section, int index) const {
  return cellArray_.at(size_t(section)).at(size_t(index));
}

int SetViewController::numberOfSections(TableView&) {
  return int(cellArray_.size());
}

int SetViewController::numberOfRows(TableView&, int section) {
  return section < int(cellArray_.size()) ? int(cellArray_[size_t(section)].size()) : 0;
}

std::shared_ptr<TableViewCell> SetViewController::cellForRow(TableView& table,
                                                             const IndexPath& ip) {
  static const char* const kIdentifiers[6][3] = {
      {"", "", ""},
      {"setting_tequan", "setting_sort", ""},
      {"setting_fuxi", "", ""},
      {"setting_audio1", "", ""},
      {"setting_lev", "setting_checkup", ""},
      {"setting_feedback", "", ""},
  };
  const std::string identifier =
      ip.section < 6 && ip.row < 3 ? kIdentifiers[ip.section][ip.row] : "";
  std::shared_ptr<TableViewCell> cell;
  if (!identifier.empty()) cell = table.dequeueReusableCell(identifier);
  const bool fresh = !cell;
  if (fresh) {
    cell = TableViewCell::create(TableViewCellStyle::Subtitle, identifier);
    cell->setFrame({0, 0, table.bounds().width, table.rowHeight()});
    cell->textLabel().setText(row(ip.section, ip.row));
  }
  if (fresh || identifier.empty()) decorateCell(*cell, ip);
  // Values that follow the store on every showing, also on a reused cell.
  if (ip.section == 2) {
    fx_textField_->setText(std::to_string(std::atoi(personal("ReviewLimitCount").c_str())));
    aw_textField_->setText(std::to_string(std::atoi(personal("StudyLimitCount").c_str())));
  } else if (ip.section == 3 && ip.row == 0) {
    switchBtn_->setImage(settingslook::switchImage(personal("autoAudio") == "1"));
  } else if (ip.section == 4 && ip.row == 0) {
    if (Label* detail = cell->detailTextLabel())
      detail->setText(BackupAgeText::text(std::atoll(personal("nLastSynTime").c_str()),
                                          MyDate::storedTime(MyDate::localDateTime())));
  } else if (ip.section == 4 && ip.row == 1) {
    if (auto* version = dynamic_cast<Label*>(cell->viewWithTag(kVersionLabelTag)))
      version->setText(std::string("V").append(Bundle::main().infoValue("CFBundleVersion")));
  }
  cell->setBackgroundColor(Color::white());
  return cell;
}

void SetViewController::makeControls() {
  if (switchBtn_) return;
  const double width = tableView_->bounds().width;
  const double height = tableView_->rowHeight();
  const double switchX = width - byIdiom(110, 150);
  auto tapped = [this](Button& sender) { switchChange(sender); };
  switchBtn_ = settingslook::switchButton(switchX, height, tapped);
  alarmSettingBtn_ = settingslook::switchButton(switchX, height, tapped);
  aw_textField_ = makeField({width - 43 - byIdiom(35, 80), 0, 43, 25});
  fx_textField_ = makeField({0, 0, 43, 27});
  timeField_ = makeField({width - 60 - byIdiom(40, 80), 0, 60, 27});
  datePicker_ = std::make_shared<DatePicker>(Rect{0, 0, 320, 300});
  datePicker_->setMode(DatePickerMode::CountDownTimer);
  timeField_->setInputView(datePicker_);
  for (auto* field : {aw_textField_.get(), fx_textField_.get(), timeField_.get()})
    settingslook::centreVertically(*field, height);
}

std::shared_ptr<TextField> SetViewController::makeField(const Rect& frame) {
  auto field = settingslook::editField(frame, 4);
  field->setDelegate(this);
  // The amounts take four digits (shouldChangeCharacters); a longer paste is told so.
  field->setMostCharacters(4);
  return field;
}

void SetViewController::layoutAmountFields(TableViewCell& cell) {
  const double height = tableView_->rowHeight();
  auto label = [&](const std::string& key, double rightEdge) {
    auto text = std::make_shared<Label>();
    text->setText(localized(key));
    text->setFont(Font::boldSystem(14));
    text->setBackgroundColor(Color::clear());
    text->setAutoresizingMask(kFlexibleLeftMargin);
    text->sizeToFit();
    const double w = text->frame().width;
    text->setFrame({rightEdge - w, (height - 25) / 2, w, 25});
    cell.contentView().addSubview(text);
    return text;
  };
  settingslook::addFromRight(cell.contentView(), aw_textField_, 43 + byIdiom(35, 80));
  auto newWords = label("setting_awNum", aw_textField_->frame().x - 3);
  Rect fx = fx_textField_->frame();
  fx.x = newWords->frame().x - 8 - fx.width;
  fx_textField_->setFrame(fx);
  label("setting_rwNum", fx.x - 3);
  cell.contentView().addSubview(fx_textField_);
}

void SetViewController::addMessageBadge(TableViewCell& cell) {
  const std::string count = personal("nNewMsgCount");
  auto badge = Button::create(ButtonType::Custom);
  badge->setTag(kBadgeTag);
  badge->setEnabled(false);
  auto background = guiimages::stretchable("gui/msg_bg.png", 15, 0);
  badge->setBackgroundImage(background);
  badge->setBackgroundImage(background, kStateDisabled);
  badge->setTitle(count);
  badge->setTitle(count, kStateDisabled);
  badge->setTitleColor(Color::white());
  badge->setTitleColor(Color::white(), kStateDisabled);
  badge->titleLabel().setFont(Font::boldSystem(12));
  badge->setContentHorizontalAlignment(ContentHorizontalAlignment::Center);
  badge->setAutoresizingMask(kFlexibleLeftMargin | kFlexibleTopMargin | kFlexibleBottomMargin);
  const double viewWidth = view()->bounds().width;
  double width = measureText(count, Font::boldSystem(12), {viewWidth, 29}).width + 22;
  if (width < 29) width = 29;
  const double height = tableView_->rowHeight();
  badge->setFrame({viewWidth - byIdiom(80, 130), (height - 29) / 2, width, 29});
  badge->setHidden(count.empty() || count == "0");
  cell.contentView().addSubview(badge);
}

void SetViewController::decorateCell(TableViewCell& cell, const IndexPath& ip) {
  makeControls();
  const bool hasAccount = !personal("account").empty();
  auto disclose = [&](bool on) {
    cell.setSelectionStyle(TableViewCellSelectionStyle::Blue);
    cell.setAccessoryType(on ? TableViewCellAccessory::DisclosureIndicator
                             : TableViewCellAccessory::None);
  };
  auto plain = [&] {
    cell.setSelectionStyle(TableViewCellSelectionStyle::None);
    cell.setAccessoryType(TableViewCellAccessory::None);
  };
  auto icon = [&](const char* name) { cell.imageView().setImage(Image::named(name)); };
  const int key = ip.section * 10 + ip.row;
  switch (key) {
    case 0:
      icon("gui/setting_user.png");
      disclose(hasAccount);
      if (hasAccount) {
        if (Label* detail = cell.detailTextLabel()) detail->setText(personal("account"));
        addMessageBadge(cell);
      }
      break;
    case 10:
      icon("gui/setting_privilege.png");
      disclose(true);
      break;
    case 11:
      icon("gui/learn_order.png");
      disclose(true);
      break;
    case 20:
      icon("gui/setting_rewords.png");
      disclose(true);
      layoutAmountFields(cell);
      break;
    case 30:
      icon("gui/setting_audio.png");
      plain();
      settingslook::addFromRight(cell.contentView(), switchBtn_, byIdiom(110, 150));
      break;
    case 31:
      icon("gui/setting_time.png");
      disclose(true);
      alarmSettingBtn_->setImage(settingslook::switchImage(personal("alarm_setting") == "1"));
      settingslook::addFromRight(cell.contentView(), alarmSettingBtn_, byIdiom(110, 150));
      settingslook::alignFromRowEdge(cell, *alarmSettingBtn_, byIdiom(110, 150));
      break;
    case 32:
      icon("gui/setting_reviewtime.png");
      plain();
      timeField_->setText(personal("time_setting"));
      settingslook::addFromRight(cell.contentView(), timeField_, 60 + byIdiom(40, 80));
      break;
    case 40:
      icon("gui/setting_lev.png");
      disclose(false);
      break;
    case 41: {
      icon("gui/setting_checkup.png");
      disclose(false);
      const double height = tableView_->rowHeight();
      auto caption = std::make_shared<Label>();
      caption->setText(localized("setting_checkup_label1"));
      caption->setFont(Font::system(14));
      caption->setTextColor(Color::rgb255(57, 156, 102));
      caption->setAutoresizingMask(kFlexibleRightMargin);
      caption->sizeToFit();
      caption->setFrame({byIdiom(140, 180), (height - 25) / 2, caption->frame().width, 25});
      auto version = std::make_shared<Label>(
          Rect{caption->frame().x + caption->frame().width, (height - 25) / 2, 60, 25});
      version->setFont(Font::system(14));
      version->setTextColor(Color::red());
      version->setTag(kVersionLabelTag);
      version->setAutoresizingMask(kFlexibleRightMargin);
      cell.contentView().addSubview(caption);
      cell.contentView().addSubview(version);
      break;
    }
    case 50:
      icon("gui/setting_feedback.png");
      disclose(true);
      break;
    default:
      break;
  }
}

void SetViewController::didSelectRow(TableView& table, const IndexPath& ip) {
  table.deselectRow(ip, true);
  const int key = ip.section * 10 + ip.row;
  switch (key) {
    case 0:
      if (personal("account").empty())
        login();
      else
        userInfo();
      break;
    case 10: {
      auto screen = std::make_shared<PrivilegeViewController>();
      screen->setParentName(title());
      pushScreen(screen);
      break;
    }
    case 11:
      pushScreen(SettingsScreens::makeSectionOrder(row(1, 1), title()));
      break;
    case 20:
      pushHelpPage("复习量/学习量", "fu_xi_liang.html");
      break;
    case 31:
      pushHelpPage(row(3, 1), "fu_xi_ti_xing.html");
      break;
    case 40:
      backup();
      break;
    case 41:
      if (!checkVersion_) checkVersion_ = std::make_unique<CheckVersion>();
      checkVersion_->CheckVersion_setting();
      break;
    case 50:
      pushScreen(SettingsScreens::makeFeedback(row(5, 0), title()));
      break;
    default:
      break;
  }
}

void SetViewController::pushScreen(const std::shared_ptr<ViewController>& screen) {
  if (!screen) return;
  if (NavigationController* nav = navigationController()) nav->pushViewController(screen, true);
}

void SetViewController::pushHelpPage(const std::string& navName, const std::string& page) {
  auto html = std::make_shared<HtmlViewController>();
  html->setNavName(navName);
  html->setHtmlName(page);
  html->setParentName(title());
  pushScreen(html);
}

void SetViewController::at_night() {
  CallDB* db = CallDB::callDB();
  const bool on = db->getPersonalValue("atNight") != "1";
  nightButton_->setImage(Image::named(on ? "gui/night.png" : "gui/sun.png"));
  if (SettingsHooks::shared().topViewState) SettingsHooks::shared().topViewState(on);
  db->UpdatePersonalValue("atNight", on ? "1" : "0");
}

void SetViewController::showHelpView() {
  if (!helpViewController_) helpViewController_ = std::make_shared<HelpViewController>();
  pushScreen(helpViewController_);
}

void SetViewController::login() {
  LoginUIWindow::show(this);
}

void SetViewController::userInfo() {
  pushScreen(SettingsScreens::makeAccount(title()));
}

void SetViewController::audioFile() {
  auto files = std::make_shared<ShareFileViewController>();
  files->setParentName(title());
  pushScreen(files);
}

void SetViewController::updateDateFinish_callback() {
  MyListAlerView::sharedAler()->AlerListHide(true);
  refreshTableView(true);
}

void SetViewController::closeWindow_callback() {
  refreshTableView(true);
}
