#include "settings/PrivilegeViewController.h"

#include "platform/base/Bundle.h"
#include "platform/base/Device.h"
#include "platform/view/NavigationController.h"
#include "platform/view/TableViewCell.h"
#include "settings/ClockTime.h"
#include "settings/HtmlViewController.h"
#include "settings/SettingsHooks.h"
#include "settings/SettingsLook.h"
#include "store/CallDB.h"
#include "ui/MyAlerView.h"
#include "ui/ScreenNavItems.h"
#include "ui/TabletTurns.h"

using namespace plat;

namespace {

struct RowSpec {
  const char* title;
  const char* detail;  // "" for none
  const char* icon;    // "" for none
  const char* page;    // "" for none
};

// Sections and their rows; the time-window row of section 4 shows only while its switch is on.
const std::vector<std::vector<RowSpec>>& rows() {
  static const std::vector<std::vector<RowSpec>> table = {
      {{"privilege_cell1", "", "gui/privilege_js.png", "te_quan_jie_shao.html"}},
      {{"privilege_cell7", "privilege_cell_detail3", "gui/privilege_zd.png",
        "zi_dian_mo_shi.html"}},
      {{"privilege_cell4", "", "gui/privilege_tb.png", "you_xiu_zhu_ji.html"},
       {"privilege_cell8", "privilege_cell_detail1", "gui/privilege_df.png", ""},
       {"privilege_cell9", "privilege_cell_detail2", "gui/privilege_df.png", ""}},
      {{"privilege_cell3", "", "gui/privilege_autoaccept.png", "zi_dong_zhu_ji.html"}},
      {{"privilege_cell5", "", "gui/privilege_wg.png", "wan_gu_ci_ti_xing.html"},
       {"privilege_cell6", "", "", ""}},
      {{"privilege_cell2", "", "gui/privilege_xx.png", "xue_xi_xin_xi.html"}},
  };
  return table;
}

// The personal value of the switch in row 0 of a section; "" for sections without one.
std::string switchKey(int section) {
  switch (section) {
    case 2:
      return "specialBook";
    case 3:
      return "autoAccept";
    case 4:
      return "forgetword_remind";
    case 5:
      return "show_wi";
    default:
      return "";
  }
}

std::string personal(const std::string& key) {
  return CallDB::callDB()->getPersonalValue(key);
}

double byIdiom(double phone, double tablet) {
  return Device::current().idiom == DeviceIdiom::Tablet ? tablet : phone;
}

}  // namespace

PrivilegeViewController::PrivilegeViewController() = default;

PrivilegeViewController::~PrivilegeViewController() {
  for (auto* request : {addressRequest_.get(), fileRequest_.get()})
    if (request) request->clearDelegatesAndCancel();
  if (tableView_) {
    tableView_->setDataSource(nullptr);
    tableView_->setTableDelegate(nullptr);
  }
  for (auto* field : {amText1_.get(), amText2_.get()})
    if (field) field->setDelegate(nullptr);
}

void PrivilegeViewController::loadView() {
  auto root = std::make_shared<View>(Screen::main().applicationFrame());
  root->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  tableView_ = std::make_shared<TableView>(root->bounds(), TableViewStyle::Plain);
  tableView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  tableView_->setDataSource(this);
  tableView_->setTableDelegate(this);
  root->addSubview(tableView_);
  hideKBBtn_ = Button::create(ButtonType::Custom, root->bounds());
  hideKBBtn_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  hideKBBtn_->addTarget([this](Control&) { leaveEditMode(); }, kTouchUpInside);
  root->addSubview(hideKBBtn_);
  setView(root);
}

void PrivilegeViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  ScreenNavItems::install(*this, localized("privilege_title"), ParentName_);
  view()->setBackgroundColor(Color::white());
  tableView_->setBackgroundColor(Color::clear());
  tableView_->setOpaque(false);
  tableView_->setSeparatorColor(settingslook::separator());
  hideKBBtn_->setHidden(true);
  datePicker_ = std::make_shared<DatePicker>(Rect{0, 0, 320, 300});
  datePicker_->setMode(DatePickerMode::CountDownTimer);
  datePicker_->addTarget([this](Control&) { datePickerValueChanged(); }, kValueChanged);
  refreshTableView();
}

void PrivilegeViewController::viewWillAppear(bool) {
  tableView_->reloadData();
}

bool PrivilegeViewController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) {
  return ui::turnsOnTablet(o);
}

void PrivilegeViewController::refreshTableView() {
  cellArray_.clear();
  for (size_t s = 0; s < rows().size(); ++s) {
    std::vector<std::string> titles;
    for (size_t r = 0; r < rows()[s].size(); ++r) {
      if (s == 4 && r == 1 && personal("forgetword_remind") != "1") continue;
      titles.push_back(localized(rows()[s][r].title));
    }
    cellArray_.push_back(std::move(titles));
  }
}

int PrivilegeViewController::numberOfSections(TableView&) {
  return int(cellArray_.size());
}

int PrivilegeViewController::numberOfRows(TableView&, int section) {
  return section < int(cellArray_.size()) ? int(cellArray_[size_t(section)].size()) : 0;
}

std::shared_ptr<View> PrivilegeViewController::viewForHeader(TableView& table, int) {
  auto header = std::make_shared<View>(Rect{0, 0, table.bounds().width, 20});
  header->setBackgroundColor(Color::clear());
  header->setOpaque(false);
  return header;
}

std::shared_ptr<TableViewCell> PrivilegeViewController::cellForRow(TableView& table,
                                                                   const IndexPath& ip) {
  const std::string identifier = ip.section == 0   ? "jieshao"
                                 : ip.section == 1 ? "dictionaryOpen"
                                                   : "";
  std::shared_ptr<TableViewCell> cell;
  if (!identifier.empty()) cell = table.dequeueReusableCell(identifier);
  if (!cell) {
    cell = TableViewCell::create(TableViewCellStyle::Subtitle, identifier);
    cell->setFrame({0, 0, table.bounds().width, table.rowHeight()});
    decorateCell(*cell, ip);
  }
  cell->setBackgroundColor(Color::white());
  return cell;
}

void PrivilegeViewController::decorateCell(TableViewCell& cell, const IndexPath& ip) {
  const RowSpec& spec = rows().at(size_t(ip.section)).at(size_t(ip.row));
  cell.textLabel().setText(localized(spec.title));
  if (*spec.detail)
    if (Label* detail = cell.detailTextLabel()) detail->setText(localized(spec.detail));
  if (*spec.icon) cell.imageView().setImage(Image::named(spec.icon));
  if (*spec.page) {
    cell.setSelectionStyle(TableViewCellSelectionStyle::Blue);
    cell.setAccessoryType(TableViewCellAccessory::DisclosureIndicator);
  } else {
    cell.setSelectionStyle(TableViewCellSelectionStyle::None);
    cell.setAccessoryType(TableViewCellAccessory::None);
  }
  const double width = tableView_->bounds().width;
  const std::string key = switchKey(ip.section);
  if (ip.row == 0 && !key.empty()) {
    auto button = makeSwitch(key, width);
    button->setImage(settingslook::switchImage(personal(key) == "1"));
    settingslook::addFromRight(cell.contentView(), button, byIdiom(110, 150));
  } else if (ip.section == 2) {
    const int64_t type = ip.row;  // rows 1 and 2: the basic and the extended pack
    auto& button = type == 1 ? down_sound1_ : down_sound2_;
    if (!button) {
      auto image = Image::named("gui/down_btn.png");
      const Size size = image ? image->size() : Size{60, 27};
      button = Button::create(ButtonType::Custom,
                              {width - byIdiom(110, 150) + 15, 0, size.width, size.height});
      settingslook::centreVertically(*button, tableView_->rowHeight());
      button->setTitleColor(Color::rgb255(57, 156, 102));
      button->titleLabel().setFont(Font::boldSystem(14));
      button->setTag(type == 1 ? kBasicPackTag : kExtendedPackTag);
      button->setAutoresizingMask(kFlexibleLeftMargin);
      button->addTarget([this](Control& c) { downClick(static_cast<Button&>(c)); }, kTouchUpInside);
    }
    showDownloadButton(*button, type);
    settingslook::addFromRight(cell.contentView(), button, byIdiom(110, 150) - 15);
  } else if (ip.section == 4 && ip.row == 1) {
    layoutTimeWindow(cell);
  }
}

std::shared_ptr<Button> PrivilegeViewController::makeSwitch(const std::string& key,
                                                            double cellWidth) {
  for (const Switch& s : switches_)
    if (s.key == key) return s.button;
  auto button = settingslook::switchButton(cellWidth - byIdiom(110, 150), tableView_->rowHeight(),
                                           [this](Button& b) { switchChange(b); });
  switches_.push_back({key, button});
  return button;
}

Button* PrivilegeViewController::switchFor(const std::string& key) const {
  for (const Switch& s : switches_)
    if (s.key == key) return s.button.get();
  return nullptr;
}

Button* PrivilegeViewController::downloadButton(int64_t type) const {
  return type == 1 ? down_sound1_.get() : type == 2 ? down_sound2_.get() : nullptr;
}

void PrivilegeViewController::layoutTimeWindow(TableViewCell& cell) {
  const double width = tableView_->bounds().width;
  const double height = tableView_->rowHeight();
  if (!amText2_) {
    auto field = [&](int tag) {
      auto f = settingslook::editField({0, 0, 60, 30}, 0);
      f->setTag(tag);
      f->setInputView(datePicker_);
      f->setDelegate(this);
      return f;
    };
    amText1_ = field(kStartFieldTag);
    amText2_ = field(kEndFieldTag);
  }
  amText2_->setFrame({width - 60 - byIdiom(30, 80), (height - 30) / 2, 60, 30});
  auto to = std::make_shared<Label>(Rect{amText2_->frame().x - 20, (height - 30) / 2, 20, 30});
  to->setText("到");
  to->setFont(Font::system(14));
  to->setTextColor(Color::black());
  to->setAutoresizingMask(kFlexibleLeftMargin);
  amText1_->setFrame({to->frame().x - 5 - 60, (height - 30) / 2, 60, 30});
  const std::string start = personal("remind_time1");
  const std::string end = personal("remind_time2");
  amText1_->setText(start.empty() ? "08:00" : start);
  amText2_->setText(end.empty() ? "21:00" : end);
  cell.contentView().addSubview(amText1_);
  cell.contentView().addSubview(to);
  cell.contentView().addSubview(amText2_);
}

void PrivilegeViewController::didSelectRow(TableView& table, const IndexPath& ip) {
  table.deselectRow(ip, true);
  if (ip.row != 0) return;
  auto html = std::make_shared<HtmlViewController>();
  html->setNavName(cellArray_.at(size_t(ip.section)).at(0));
  html->setHtmlName(rows().at(size_t(ip.section)).at(0).page);
  html->setParentName(localized("PriIntro_back"));
  if (NavigationController* nav = navigationController()) nav->pushViewController(html, true);
}

void PrivilegeViewController::switchChange(Button& sender) {
  std::string key;
  for (const Switch& s : switches_)
    if (s.button.get() == &sender) key = s.key;
  if (key.empty()) return;
  if (personal("account").empty()) {
    MyAlerView::sharedAler()->ViewShow(localized("alermsg_eg35"));
    return;
  }
  const bool on = settingslook::toggle(key);
  sender.setImage(settingslook::switchImage(on));
  if (key == "specialBook") SettingsHooks::call(SettingsHooks::shared().cleardata_learn);
  if (key != "forgetword_remind") return;
  refreshTableView();
  if (on) {
    const int row = int(cellArray_[4].size()) - 1;
    tableView_->insertRows({{4, row}}, TableViewRowAnimation::Fade);
    tableView_->scrollToRow({4, 1}, TableViewScrollPosition::Bottom, true);
  } else {
    tableView_->deleteRows({{4, 1}}, TableViewRowAnimation::Fade);
  }
}

bool PrivilegeViewController::shouldBeginEditing(TextField& field) {
  if (auto seconds = ClockTime::parse(field.text()))
    datePicker_->setCountDownDuration(double(*seconds));
  tempTextField_ = &field;
  hideKBBtn_->setHidden(false);
  view()->bringSubviewToFront(hideKBBtn_.get());
  return true;
}

void PrivilegeViewController::datePickerValueChanged() {
  if (!tempTextField_) return;
  const std::string time = ClockTime::format(datePicker_->countDownDuration());
  std::string key;
  bool ok = false;
  if (tempTextField_->tag() == kEndFieldTag) {
    key = "remind_time2";
    ok = check_time(amText1_->text(), time);
  } else if (tempTextField_->tag() == kStartFieldTag) {
    key = "remind_time1";
    ok = check_time(time, amText2_->text());
  }
  if (!ok) return;
  CallDB::callDB()->UpdatePersonalValue_isNeed(key, time);
  tempTextField_->setText(time);
}

bool PrivilegeViewController::check_time(const std::string& start, const std::string& end) {
  std::optional<int> distance = ClockTime::distance(start, end);
  if (distance && *distance > kMinimumWindowSeconds - 1) return true;
  MyAlerView::sharedAler()->ViewShow("时间相差要大于2个小时");
  leaveEditMode();
  return false;
}

void PrivilegeViewController::leaveEditMode() {
  tempTextField_ = nullptr;
  for (auto* field : {amText1_.get(), amText2_.get()})
    if (field) field->resignFirstResponder();
  hideKBBtn_->setHidden(true);
}
