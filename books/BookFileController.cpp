#include "books/BookFileController.h"

#include "books/BookScreens.h"
#include "books/TextFile.h"
#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "platform/view/AlertView.h"
#include "platform/view/NavigationController.h"
#include "ui/MyAlerView.h"
#include "ui/NavBarItems.h"

namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string documentPath(const std::string& name) {
  return plat::files::join(plat::AppHome::documentsDir(), name);
}

}  // namespace

BookFileController::BookFileController() {
  // Not "文件管理": that is the settings' screen of voice-pack archives, a different list.
  setTitle(plat::localized("文本文件"));
}

BookFileController::~BookFileController() {
  if (tableView_) {
    tableView_->setDataSource(nullptr);
    tableView_->setTableDelegate(nullptr);
  }
}

void BookFileController::loadView() {
  setView(std::make_shared<plat::View>(plat::Rect{0, 0, 320, 416}));
}

void BookFileController::copySampleTexts() {
  const std::string samples = plat::files::join(plat::Bundle::main().path(), "text");
  for (const std::string& name : plat::files::list(samples)) {
    if (!endsWith(name, ".txt") || plat::files::exists(documentPath(name))) continue;
    plat::files::copyFile(plat::files::join(samples, name), documentPath(name));  // may fail
  }
}

void BookFileController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  using namespace plat;
  navigationItem().setTitleView(navbar::titleLabel(title()));
  navigationItem().setHidesBackButton(true);
  navigationItem().setLeftBarButtonItem(navbar::backItem(ParentName_, [this] { goBackAction(); }));
  navigationItem().setRightBarButtonItem(
      std::make_shared<BarButtonItem>(navbar::rightButton("帮助", [this] { openHelpView(); })));

  View& root = *view();
  root.setBackgroundColor(Color::white());
  tableView_ = std::make_shared<TableView>(root.bounds());
  tableView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  tableView_->setSeparatorColor(Color::rgb255(201, 250, 199));
  tableView_->setDataSource(this);
  tableView_->setTableDelegate(this);
  root.addSubview(tableView_);
  errInfo_ = std::make_shared<Label>(Rect{20, 40, root.bounds().width - 40, 80});
  errInfo_->setText(localized("bookfile_eg2"));
  errInfo_->setNumberOfLines(0);
  errInfo_->setTextAlignment(TextAlignment::Center);
  errInfo_->setTextColor(Color::white(0.4));
  errInfo_->setFont(Font::system(15));
  errInfo_->setBackgroundColor(Color::clear());
  errInfo_->setAutoresizingMask(kFlexibleWidth);
  root.addSubview(errInfo_);

  copySampleTexts();
  cellArray_.clear();
  for (const std::string& name : files::list(AppHome::documentsDir()))
    if (!endsWith(name, "plist")) cellArray_.push_back(name);
  errInfo_->setHidden(!cellArray_.empty());
}

void BookFileController::viewWillAppear(bool) {
  tableView_->reloadData();
}

void BookFileController::viewDidAppear(bool) {
  navbar::fitUnderBar(*this);
}

void BookFileController::viewWillDisappear(bool) {
  tableView_->setEditing(false, true);
}

void BookFileController::goBackAction() {
  if (auto* nav = navigationController()) nav->popViewController(true);
}

void BookFileController::openHelpView() {
  auto help = BookScreens::makeHelpPage(plat::localized("bookfile_eg1"), "wen_ben.html", title());
  if (!help) return;
  if (auto* nav = navigationController()) nav->pushViewController(help, true);
}

int BookFileController::numberOfRows(plat::TableView&, int) {
  return static_cast<int>(cellArray_.size());
}

std::shared_ptr<plat::TableViewCell> BookFileController::cellForRow(plat::TableView& table,
                                                                    const plat::IndexPath& ip) {
  using namespace plat;
  auto cell = table.dequeueReusableCell("basecell");
  if (!cell) cell = TableViewCell::create(TableViewCellStyle::Subtitle, "basecell");
  cell->setSelectionStyle(TableViewCellSelectionStyle::Blue);
  const std::string& name = cellArray_[static_cast<size_t>(ip.row)];
  cell->textLabel().setText(name);
  cell->textLabel().setTextColor(endsWith(name, ".txt") ? Color::black() : Color::gray());
  return cell;
}

bool BookFileController::canEditRow(plat::TableView&, const plat::IndexPath& ip) {
  return ip.row >= readonlyNum_;
}

void BookFileController::commitEditingStyle(plat::TableView& table,
                                            plat::TableViewCellEditingStyle style,
                                            const plat::IndexPath& ip) {
  if (style != plat::TableViewCellEditingStyle::Delete) return;
  const std::string name = cellArray_[static_cast<size_t>(ip.row)];
  if (plat::files::exists(documentPath(name))) plat::files::remove(documentPath(name));
  cellArray_.erase(cellArray_.begin() + ip.row);
  table.deleteRows({ip}, plat::TableViewRowAnimation::None);
  table.setEditing(false, true);
  errInfo_->setHidden(!cellArray_.empty());  // the last file gone: the notice comes back
}

void BookFileController::didSelectRow(plat::TableView& table, const plat::IndexPath& ip) {
  table.deselectRow(ip, true);
  const std::string name = cellArray_[static_cast<size_t>(ip.row)];
  if (!endsWith(name, ".txt")) {
    MyAlerView::sharedAler()->ViewShow(plat::localized("alermsg_eg201"));
    return;
  }
  const auto size = plat::files::fileSize(documentPath(name));
  if (!size) return;  // gone meanwhile
  if (*size > kMaxFileBytes) {
    plat::AlertView::create("提示", plat::localized("alermsg_eg202"), nullptr, "确定")->show();
    return;
  }
  // A file that cannot be read as text (a folder, no permission, another encoding) is refused here:
  // the page would show nothing where the learner was told the file was loaded.
  const std::optional<std::string> text = textfile::read(documentPath(name));
  if (!text) {
    plat::AlertView::create("提示", plat::localized("alermsg_eg203"), nullptr, "确定")->show();
    return;
  }
  if (deleage_) deleage_->selectFile_CallBack(name, *text);
  MyAlerView::sharedAler()->ViewShow(plat::localized("alermsg_eg200"));
  if (auto* nav = navigationController()) nav->popViewController(true);
}
