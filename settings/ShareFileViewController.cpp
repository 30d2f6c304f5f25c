#include "settings/ShareFileViewController.h"

#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "platform/view/TableViewCell.h"
#include "settings/SettingsLook.h"
#include "store/CallDB.h"
#include "ui/GuiImages.h"
#include "ui/MyAlerView.h"
#include "ui/ScreenNavItems.h"
#include "ui/TabletTurns.h"
#include "voice/AudioControl.h"

using namespace plat;

ShareFileViewController::ShareFileViewController() {
  setTitle(localized("文件管理"));
}

ShareFileViewController::~ShareFileViewController() {
  if (tableView_) {
    tableView_->setDataSource(nullptr);
    tableView_->setTableDelegate(nullptr);
  }
}

void ShareFileViewController::loadView() {
  auto root = std::make_shared<View>(Screen::main().applicationFrame());
  root->setBackgroundColor(Color::white());
  tableView_ = std::make_shared<TableView>(root->bounds());
  tableView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  tableView_->setDataSource(this);
  tableView_->setTableDelegate(this);
  root->addSubview(tableView_);
  errInfo_ = std::make_shared<Label>(Rect{20, 40, root->bounds().width - 40, 60});
  errInfo_->setText(localized("sharefile_empty"));
  errInfo_->setNumberOfLines(0);
  errInfo_->setTextAlignment(TextAlignment::Center);
  errInfo_->setFont(Font::system(15));
  errInfo_->setAutoresizingMask(kFlexibleWidth);
  root->addSubview(errInfo_);
  setView(root);
}

void ShareFileViewController::viewDidLoad() {
  setEdgesForExtendedLayout(kRectEdgeNone);
  ScreenNavItems::install(*this, title(), ParentName_);
  tableView_->setSeparatorColor(settingslook::separator());
  cellArray_.clear();
  // Case-sensitive, in the order of the listing; a folder whose name ends so is listed too.
  for (const std::string& name : files::list(AppHome::documentsDir()))
    if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".zip") == 0)
      cellArray_.push_back(name);
  errInfo_->setHidden(!cellArray_.empty());
  if (!cellArray_.empty()) setBarButtonItems();
}

void ShareFileViewController::setBarButtonItems() {
  auto button = Button::create(ButtonType::Custom, {0, 0, 50, 30});
  const bool editing = tableView_->isEditing();
  button->setTitle(editing ? "完成" : "编辑");
  button->setTitleColor(Color::white());
  button->titleLabel().setFont(Font::boldSystem(12));
  button->setBackgroundImage(guiimages::stretchable("gui/right_btn.png", 10, 10));
  button->setContentHorizontalAlignment(ContentHorizontalAlignment::Center);
  button->setExclusiveTouch(true);
  button->addTarget(
      [this, editing](Control&) {
        if (editing)
          leaveEditMode();
        else
          enterEditMode();
      },
      kTouchUpInside);
  navigationItem().setRightBarButtonItem(std::make_shared<BarButtonItem>(button));
}

void ShareFileViewController::enterEditMode() {
  tableView_->setEditing(true, true);
  setBarButtonItems();
}

void ShareFileViewController::leaveEditMode() {
  tableView_->setEditing(false, true);
  if (navigationItem().rightBarButtonItem()) setBarButtonItems();
}

bool ShareFileViewController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) {
  return ui::turnsOnTablet(o);
}

void ShareFileViewController::viewWillAppear(bool) {
  tableView_->reloadData();
}

void ShareFileViewController::viewDidDisappear(bool) {
  leaveEditMode();
}

int ShareFileViewController::numberOfRows(TableView&, int) {
  return int(cellArray_.size());
}

std::shared_ptr<TableViewCell> ShareFileViewController::cellForRow(TableView& table,
                                                                   const IndexPath& ip) {
  auto cell = table.dequeueReusableCell("basecell");
  if (!cell) {
    cell = TableViewCell::create(TableViewCellStyle::Subtitle, "basecell");
    cell->setSelectionStyle(TableViewCellSelectionStyle::Gray);
  }
  const std::string& name = cellArray_.at(size_t(ip.row));
  cell->textLabel().setText(name);
  // The pronunciation file in use carries a tick, so a pick shows where it landed.
  const bool picked = name == CallDB::callDB()->getPersonalValue("audio_file");
  cell->setAccessoryType(picked ? TableViewCellAccessory::Checkmark : TableViewCellAccessory::None);
  return cell;
}

TableViewCellEditingStyle ShareFileViewController::editingStyleForRow(TableView& table,
                                                                      const IndexPath&) {
  // No deleting by a swipe outside edit mode.
  return table.isEditing() ? TableViewCellEditingStyle::Delete : TableViewCellEditingStyle::None;
}

void ShareFileViewController::commitEditingStyle(TableView& table, TableViewCellEditingStyle,
                                                 const IndexPath& ip) {
  if (ip.row < 0 || ip.row >= int(cellArray_.size())) return;
  const std::string path = files::join(AppHome::documentsDir(), cellArray_[size_t(ip.row)]);
  cellArray_.erase(cellArray_.begin() + ip.row);
  table.reloadData();
  if (files::exists(path)) files::remove(path);
}

void ShareFileViewController::didSelectRow(TableView& table, const IndexPath& ip) {
  table.deselectRow(ip, true);
  CallDB::callDB()->UpdatePersonalValue("audio_file", cellArray_.at(size_t(ip.row)));
  table.reloadData();
  AudioControl::releaseAudio();
  MyAlerView::sharedAler()->ViewShow(localized("alermsg_eg16"));
}
