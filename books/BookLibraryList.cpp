#include "books/BookLibraryList.h"

#include <cmath>
#include <cstdlib>

#include "platform/base/Bundle.h"
#include "platform/view/Animation.h"
#include "platform/view/Button.h"
#include "platform/view/ImageView.h"
#include "platform/view/NavigationController.h"
#include "store/CallDB.h"
#include "ui/GuiImages.h"

using plat::Color;
using plat::Rect;
using plat::Value;

namespace {

std::string countsTitle(const Value& data) {  // [name, in study, words]
  return data.at(0).asString() + " (" + std::to_string(data.at(1).asInt()) + "/" +
         std::to_string(data.at(2).asInt()) + ")";
}

std::string libTitle(int sectionId) {
  const Value data = CallDB::callDB()->getBookLibData(sectionId);
  return data.at(0).asString() + " " + data.at(1).asString();
}

}  // namespace

BookLibraryList::~BookLibraryList() {
  if (tableView_) {
    tableView_->setDataSource(nullptr);
    tableView_->setTableDelegate(nullptr);
  }
}

void BookLibraryList::loadView() {
  setView(std::make_shared<plat::View>(Rect{0, 0, 320, 327}));
}

void BookLibraryList::viewDidLoad() {
  using namespace plat;
  tableView_ = std::make_shared<TableView>(view()->bounds(), TableViewStyle::Grouped);
  tableView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  tableView_->setDataSource(this);
  tableView_->setTableDelegate(this);
  tableView_->setBackgroundColor(Color::rgb255(240, 248, 243));
  view()->addSubview(tableView_);
  isExpanded_ = -1;
  isHaveLastBookID_ = false;
  showSpecialBook_ = false;
}

void BookLibraryList::viewWillDisappear(bool) {
  sectionArray_.clear();
  sectionViewDic_.clear();
  tableView_->reloadData();
}

void BookLibraryList::fillBookData(Section& section) {
  for (int book : section.book) section.book_data[book] = CallDB::callDB()->getBookData(book);
  section.hasBookData = true;
}

void BookLibraryList::refreshData() {
  view();
  CallDB* db = CallDB::callDB();
  sectionArray_.clear();
  sectionViewDic_.clear();
  isHaveLastBookID_ = false;
  showSpecialBook_ = false;

  std::string last = db->getPersonalValue("last_look_bookID");
  if (!last.empty() && !db->checkBooksID(std::atoi(last.c_str()))) {
    db->UpdatePersonalValue_isNeed("last_look_bookID", "");
    last.clear();
  }
  if (!last.empty()) {
    sectionArray_.push_back({last, {}, false, {}});
    isHaveLastBookID_ = true;
  }
  if (db->getPersonalValue("specialBook") == "1" && !db->getPersonalValue("account").empty()) {
    sectionArray_.push_back({std::to_string(CallDB::SpecialBookID), {}, false, {}});
    showSpecialBook_ = true;
  }
  sectionArray_.push_back({std::to_string(CallDB::WholeLibraryBookID), {}, false, {}});

  const Value classes = db->getBookLibID();
  for (size_t i = 0; i < classes.size(); ++i) {
    const int classId = static_cast<int>(classes.at(i).asInt());
    const Value books = db->getBooksID(classId);
    if (books.size() == 0) continue;
    Section section{std::to_string(classId), {}, false, {}};
    for (size_t b = 0; b < books.size(); ++b)
      section.book.push_back(static_cast<int>(books.at(b).asInt()));
    if (static_cast<int64_t>(sectionArray_.size()) == isExpanded_) fillBookData(section);
    sectionArray_.push_back(std::move(section));
  }
  tableView_->reloadData();
}

std::string BookLibraryList::headerTitle(int s) const {
  const Section& section = sectionArray_[static_cast<size_t>(s)];
  if (s == 0 && isHaveLastBookID_)
    return countsTitle(CallDB::callDB()->getBookData(std::atoi(section.sectionName.c_str())));
  return libTitle(std::atoi(section.sectionName.c_str()));
}

int BookLibraryList::numberOfSections(plat::TableView&) {
  return static_cast<int>(sectionArray_.size());
}

int BookLibraryList::numberOfRows(plat::TableView&, int section) {
  if (section != isExpanded_ || section >= static_cast<int>(sectionArray_.size())) return 0;
  return static_cast<int>(sectionArray_[static_cast<size_t>(section)].book.size());
}

std::shared_ptr<plat::View> BookLibraryList::viewForHeader(plat::TableView& table, int s) {
  using namespace plat;
  if (auto kept = sectionViewDic_.find(s); kept != sectionViewDic_.end()) return kept->second;
  if (s >= static_cast<int>(sectionArray_.size())) return nullptr;
  const double width = table.bounds().width;
  auto header = std::make_shared<View>(Rect{0, 0, width, kHeaderHeight});
  header->setBackgroundColor(Color::red());
  header->setAutoresizingMask(kFlexibleWidth);
  auto button = Button::create(ButtonType::Custom, header->bounds());
  button->setTag(s);
  button->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  button->setExclusiveTouch(true);
  button->setBackgroundImage(guiimages::stretchable("gui/cell_words.png", 10, 22));
  button->setTitle(headerTitle(s));
  button->titleLabel().setFont(Font::boldSystem(20));
  button->titleLabel().setAdjustsFontSizeToFitWidth(true);
  button->setTitleColor(Color::rgb(0.4, 0.4, 0.4));
  button->setContentHorizontalAlignment(ContentHorizontalAlignment::Left);
  button->addTarget([this, s](Control&) { expandButtonClicked(s); }, kTouchUpInside);
  header->addSubview(button);

  const bool shortcut = s < shortcutCount();
  std::string icon;
  if (s == 0 && isHaveLastBookID_)
    icon = "gui/cell_sign.png";
  else if (shortcut && showSpecialBook_ && s == (isHaveLastBookID_ ? 1 : 0))
    icon = "gui/privilege_tb.png";
  else if (shortcut)
    icon = "gui/book_learn_all.png";
  double left = 10;
  if (auto image = shortcut ? Image::named(icon) : nullptr) {
    auto iconView = std::make_shared<ImageView>(image);
    iconView->setTag(kIconTag);
    iconView->setUserInteractionEnabled(false);
    const Size size = image->size();
    iconView->setFrame({5, (kHeaderHeight - size.height) / 2, size.width, size.height});
    header->addSubview(iconView);
    left = 5 + size.width + 5;
  }
  button->setTitleEdgeInsets({0, left, 0, 40});

  auto arrowImage = Image::named(shortcut ? "gui/next.png" : "gui/down.png");
  auto arrow = std::make_shared<ImageView>(arrowImage);
  const Size size = arrowImage ? arrowImage->size() : Size{18, 18};
  arrow->setFrame(
      {width - 1.5 * size.width, (kHeaderHeight - size.height) / 2, size.width, size.height});
  arrow->setAutoresizingMask(kFlexibleLeftMargin);
  arrow->setTag(kArrowTag);
  arrow->setUserInteractionEnabled(false);
  if (!shortcut && isExpanded(s)) arrow->setTransform(AffineTransform::rotation(M_PI));
  button->addSubview(arrow);
  sectionViewDic_[s] = header;
  return header;
}

std::shared_ptr<plat::TableViewCell> BookLibraryList::cellForRow(plat::TableView& table,
                                                                 const plat::IndexPath& ip) {
  using namespace plat;
  auto cell = table.dequeueReusableCell("basecell");
  if (!cell) {
    cell = TableViewCell::create(TableViewCellStyle::Default, "basecell");
    auto background =
        std::make_shared<ImageView>(guiimages::stretchable("gui/cell_child.png", 10, 22));
    background->setFrame(cell->bounds());
    background->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
    cell->insertSubview(background, 0);
    // Drawn as a view, so that the row's background image does not cover it.
    cell->setAccessoryView(std::make_shared<ImageView>(Image::named("gui/next.png")));
  }
  cell->setAccessoryType(TableViewCellAccessory::DisclosureIndicator);
  Section& section = sectionArray_[static_cast<size_t>(ip.section)];
  if (!section.hasBookData) fillBookData(section);
  const Value& data = section.book_data[section.book[static_cast<size_t>(ip.row)]];
  Label& label = cell->textLabel();
  label.setText(countsTitle(data));
  label.setAdjustsFontSizeToFitWidth(true);
  label.setBackgroundColor(Color::clear());
  if (data.at(1).asInt() == data.at(2).asInt()) {
    label.setFont(Font::boldSystem(15));
    label.setTextColor(Color::rgb(0.4, 0.8, 0.6));
    cell->imageView().setImage(Image::named("gui/book_learn_over.png"));
  } else {
    label.setFont(Font::system(15));
    label.setTextColor(Color::black());
    cell->imageView().setImage(nullptr);
  }
  return cell;
}

void BookLibraryList::pushWords(const std::shared_ptr<WordsUIViewController>& screen) {
  screen->setParentName(parent_ ? parent_->title() : "");
  screen->setHidesBottomBarWhenPushed(true);
  auto* nav = parent_ ? parent_->navigationController() : navigationController();
  if (nav) nav->pushViewController(screen, true);
}

void BookLibraryList::didSelectRow(plat::TableView& table, const plat::IndexPath& ip) {
  table.deselectRow(ip, true);
  const int book = sectionArray_[static_cast<size_t>(ip.section)].book[static_cast<size_t>(ip.row)];
  auto screen = std::make_shared<WordsUIViewController>();
  screen->setNavName(CallDB::callDB()->getBookName(book));
  screen->setDeleage(this);
  screen->setWordsDic(book);
  pushWords(screen);
}

void BookLibraryList::expandButtonClicked(int s) {
  if (s < shortcutCount()) {
    auto screen = std::make_shared<WordsUIViewController>();
    const int id = std::atoi(sectionArray_[static_cast<size_t>(s)].sectionName.c_str());
    if (s == 0 && isHaveLastBookID_) {
      screen->setNavName(CallDB::callDB()->getBookName(id));
      screen->setWordsDic(id);
    } else if (id == CallDB::SpecialBookID) {
      screen->setNavName("优秀助记词汇");
      screen->setBookID(CallDB::SpecialBookID);
      Value all, learned, none;
      CallDB::callDB()->haveSpecialBook(all, learned, none);
      auto strings = [](const Value& flat) {
        std::vector<std::string> out;
        for (size_t i = 0; i < flat.size(); ++i) out.push_back(flat.at(i).asString());
        return out;
      };
      screen->setWordsDic(strings(all), strings(learned), strings(none));
    } else {
      screen->setNavName("总词库");
      screen->setWordsDic(CallDB::WholeLibraryBookID);
    }
    pushWords(screen);
    return;
  }
  auto arrowOf = [this](int section) -> plat::View* {
    auto kept = sectionViewDic_.find(section);
    return kept == sectionViewDic_.end() ? nullptr : kept->second->viewWithTag(kArrowTag);
  };
  const bool collapsing = isExpanded(s);
  if (plat::View* arrow = arrowOf(s))
    plat::Animation::animate(0.2, [arrow, collapsing] {
      arrow->setTransform(collapsing ? plat::AffineTransform::identity()
                                     : plat::AffineTransform::rotation(M_PI));
    });
  if (!collapsing && isExpanded_ > 0)
    if (plat::View* former = arrowOf(static_cast<int>(isExpanded_)))
      former->setTransform(plat::AffineTransform::identity());
  collapseOrExpand(s);
}

void BookLibraryList::collapseOrExpand(int s) {
  if (s < 0 || s >= static_cast<int>(sectionArray_.size())) return;
  if (!isExpanded(s)) {
    isExpanded_ = s;
    Section& section = sectionArray_[static_cast<size_t>(s)];
    if (!section.hasBookData) fillBookData(section);
    tableView_->reloadData();
    if (!section.book.empty())
      tableView_->scrollToRow({s, 0}, plat::TableViewScrollPosition::Top, true);
    return;
  }
  const int rows = tableView_->numberOfRows(s);
  isExpanded_ = -1;
  std::vector<plat::IndexPath> gone;
  for (int r = rows - 1; r >= 0; --r) gone.push_back({s, r});
  tableView_->deleteRows(gone, plat::TableViewRowAnimation::Fade);
}
