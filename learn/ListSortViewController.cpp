#include "learn/ListSortViewController.h"

#include "learn/CardSections.h"
#include "learn/ReviewListSort.h"
#include "learn/SelStateButton.h"
#include "platform/view/NavigationController.h"
#include "platform/view/TableViewCell.h"
#include "store/CallDB.h"
#include "ui/NavBarItems.h"

namespace {

// The card's own header titles, so that a section has one name on both screens.
std::map<std::string, std::string> sectionTitles() {
  std::map<std::string, std::string> titles;
  for (int code = 1; code <= CardSections::kCount; ++code)
    titles[std::to_string(code)] = CardSections::info(code)->title;
  return titles;
}

}  // namespace

std::shared_ptr<ListSortViewController> ListSortViewController::initWithNibName(
    const std::string&) {
  return std::make_shared<ListSortViewController>();
}

void ListSortViewController::loadView() {
  plat::ViewController::loadView();
  tableView_ = std::make_shared<plat::TableView>(view()->bounds());
  tableView_->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
  view()->addSubview(tableView_);
}

void ListSortViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  navigationItem().setTitleView(navbar::titleLabel(NavName_));
  navigationItem().setHidesBackButton(true);
  navigationItem().setLeftBarButtonItem(navbar::backItem(ParentName_, [this] { goBackAction(); }));
  tableView_->setSeparatorColor(plat::Color::rgb255(201, 250, 199));
  tableView_->setDataSource(this);
  tableView_->setTableDelegate(this);
  cellSort_ =
      ReviewListSort::splitEntries(CallDB::callDB()->getPersonalValue(ReviewListSort::kKey));
  shown_.clear();
  for (const std::string& entry : cellSort_)
    shown_.push_back(ReviewListSort::readEntry(entry).shown);
  cellDic_ = sectionTitles();
  setRightButton();
}

void ListSortViewController::goBackAction() {
  if (auto* nav = navigationController()) nav->popViewController(true);
}

std::string ListSortViewController::rightButtonTitle() const {
  return rightButton_ ? rightButton_->titleForState(plat::kStateNormal) : "";
}

void ListSortViewController::setRightButton() {
  const bool editing = tableView_->isEditing();
  rightButton_ = navbar::rightButton(editing ? "完成" : "编辑",
                                     [this, editing] { editing ? leaveEdit() : enterEdit(); });
  navigationItem().setRightBarButtonItem(std::make_shared<plat::BarButtonItem>(rightButton_));
}

void ListSortViewController::showState(SelStateButton& box, bool on) {
  box.setImage(plat::Image::named(on ? "gui/checkbox_full.png" : "gui/checkbox_empty.png"));
  box.setIsSelState(on);
}

std::shared_ptr<plat::TableViewCell> ListSortViewController::cellForRow(plat::TableView& table,
                                                                        const plat::IndexPath& ip) {
  auto cell = table.dequeueReusableCell("basecell");
  if (!cell) {
    cell = plat::TableViewCell::create(plat::TableViewCellStyle::Default, "basecell");
    cell->setSelectionStyle(plat::TableViewCellSelectionStyle::None);
    auto content = std::make_shared<plat::View>(cell->bounds());
    content->setBackgroundColor(plat::Color::clear());
    content->setTag(kContentTag);
    content->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
    auto box = std::make_shared<SelStateButton>(plat::Rect(0, 0, 43, kRowHeight));
    box->setTag(kCheckBoxTag);
    box->setAutoresizingMask(plat::kFlexibleHeight);
    box->setContentHorizontalAlignment(plat::ContentHorizontalAlignment::Left);
    box->setImageEdgeInsets({0, 10, 0, 0});
    box->addTarget(
        [this](plat::Control& sender) { switchStateEvent(static_cast<SelStateButton&>(sender)); },
        plat::kTouchUpInside);
    // A few points of air between the box's picture and the title, taken from the title's width.
    constexpr double kTitleGap = 6;
    auto label = std::make_shared<plat::Label>(
        plat::Rect(43 + kTitleGap, 0, cell->bounds().width - 43 - kTitleGap - 25, kRowHeight));
    label->setTag(kTitleTag);
    label->setFont(plat::Font::boldSystem(20));
    label->setTextColor(plat::Color::black());
    label->setAdjustsFontSizeToFitWidth(true);
    label->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
    content->addSubview(box);
    content->addSubview(label);
    cell->contentView().addSubview(content);
  }
  const size_t row = size_t(ip.row);
  const ReviewListSort::Entry entry = ReviewListSort::readEntry(cellSort_[row]);
  auto* content = cell->contentView().viewWithTag(kContentTag);
  auto* label = static_cast<plat::Label*>(content->viewWithTag(kTitleTag));
  auto found = cellDic_.find(std::to_string(entry.code));
  label->setText(found != cellDic_.end() ? found->second : "");
  auto* box = static_cast<SelStateButton*>(content->viewWithTag(kCheckBoxTag));
  showState(*box, shown_[row]);
  box->setEnabled(table.isEditing());
  return cell;
}

void ListSortViewController::moveRow(plat::TableView&, const plat::IndexPath& from,
                                     const plat::IndexPath& to) {
  const size_t a = size_t(from.row), b = size_t(to.row);
  std::string entry = cellSort_[a];
  const bool shown = shown_[a];
  cellSort_.erase(cellSort_.begin() + long(a));
  shown_.erase(shown_.begin() + long(a));
  cellSort_.insert(cellSort_.begin() + long(b), entry);
  shown_.insert(shown_.begin() + long(b), shown);
}

void ListSortViewController::didSelectRow(plat::TableView& table, const plat::IndexPath& ip) {
  table.deselectRow(ip, true);
}

void ListSortViewController::enterEdit() {
  tableView_->setEditing(true, true);
  setRightButton();
  tableView_->reloadData();
}

void ListSortViewController::switchStateEvent(SelStateButton& box) {
  if (!tableView_->isEditing()) return;
  const bool on = !box.isSelState();
  showState(box, on);
  // The row's state is kept by row, so that a reused row shows it again.
  for (plat::View* v = &box; v; v = v->superview()) {
    if (auto* cell = dynamic_cast<plat::TableViewCell*>(v)) {
      if (auto ip = tableView_->indexPathForCell(cell)) shown_[size_t(ip->row)] = on;
      break;
    }
  }
}

void ListSortViewController::leaveEdit() {
  tableView_->setEditing(false, true);
  setRightButton();
  std::vector<ReviewListSort::Entry> entries;
  for (size_t row = 0; row < cellSort_.size(); ++row) {
    ReviewListSort::Entry entry = ReviewListSort::readEntry(cellSort_[row]);
    entry.shown = shown_[row];
    cellSort_[row] = ReviewListSort::entryText(entry);
    entries.push_back(entry);
  }
  tableView_->reloadData();
  CallDB::callDB()->UpdatePersonalValue_isNeed(ReviewListSort::kKey,
                                               ReviewListSort::format(entries));
}
