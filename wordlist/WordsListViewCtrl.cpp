#include "wordlist/WordsListViewCtrl.h"

#include <algorithm>
#include <cmath>

#include "platform/base/Bundle.h"
#include "platform/base/Utf.h"
#include "platform/view/Animation.h"
#include "platform/view/Label.h"
#include "store/CallDB.h"
#include "store/WordOrder.h"
#include "ui/GuiImages.h"
#include "ui/MyAlerView.h"
#include "wordlist/ForgetStateImage.h"

using plat::Color;
using plat::Rect;

namespace {

const plat::Color kSeparator = Color::rgb255(201, 250, 199);
constexpr double kCancelWidth = 50;
// A search is a word or a phrase: a paste longer than this is refused with a word, as a field
// of one line drawing megabytes of text would be of no use.
constexpr size_t kSearchCharacters = 100;

std::shared_ptr<plat::Image> image(const std::string& name) {
  return plat::Image::named(name);
}

}  // namespace

WordsListViewCtrl::~WordsListViewCtrl() {
  if (tableView_) {
    tableView_->setDataSource(nullptr);
    tableView_->setTableDelegate(nullptr);
    tableView_->setDelegate(nullptr);
  }
  if (textField_) textField_->setDelegate(nullptr);
  if (SlideView_) SlideView_->setDeleage(nullptr);
}

void WordsListViewCtrl::loadView() {
  setView(std::make_shared<plat::View>(Rect{0, 0, 320, 376}));
}

void WordsListViewCtrl::viewDidLoad() {
  using namespace plat;
  View& root = *view();
  root.setBackgroundColor(Color::clear());
  const double width = root.bounds().width;

  childView_ = std::make_shared<View>(Rect{0, 0, width, kSearchStripHeight});
  childView_->setAutoresizingMask(kFlexibleWidth | kFlexibleBottomMargin);
  childView_->setBackgroundColor(Color::rgb255(232, 246, 236));
  root.addSubview(childView_);

  searchImage_ = std::make_shared<ImageView>(image("gui/search.png"));
  const Size glass = searchImage_->image() ? searchImage_->image()->size() : Size{20, 20};
  searchImage_->setFrame({8, (kSearchStripHeight - glass.height) / 2, glass.width, glass.height});
  childView_->addSubview(searchImage_);

  const double fieldLeft = 8 + glass.width + 6;
  textField_ = std::make_shared<MyTextField>(
      Rect{fieldLeft, 6, width - fieldLeft - 8, kSearchStripHeight - 12});
  textField_->setAutoresizingMask(kFlexibleWidth);
  textField_->setDelegate(this);
  textField_->setBackground(guiimages::stretchable("gui/textField.png", 5, 5));
  textField_->setFont(Font::system(15));
  textField_->setClearButtonMode(TextFieldViewMode::WhileEditing);
  textField_->setMostCharacters(kSearchCharacters);
  textField_->addTarget(
      this, "testFieldDidChange:", [this](Control&) { testFieldDidChange(); }, kEditingChanged);
  childView_->addSubview(textField_);

  cancelBtn_ =
      Button::create(ButtonType::Custom, Rect{width, 6, kCancelWidth, kSearchStripHeight - 12});
  cancelBtn_->setAutoresizingMask(kFlexibleLeftMargin);
  cancelBtn_->setBackgroundImage(image("gui/words_cancel.png"));
  cancelBtn_->setTitle("取消");
  cancelBtn_->titleLabel().setFont(Font::boldSystem(13));
  cancelBtn_->setTitleColor(Color::white());
  cancelBtn_->addTarget(
      this, "closeKeyboard:", [this](Control&) { closeKeyboard(); }, kTouchUpInside);
  childView_->addSubview(cancelBtn_);
  childView_->setClipsToBounds(true);

  const double tableHeight = root.bounds().height - kSearchStripHeight;
  tableView_ = std::make_shared<TableView>(Rect{0, kSearchStripHeight, width, tableHeight});
  tableView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  tableView_->setRowHeight(kRowHeight);
  tableView_->setSeparatorColor(kSeparator);
  tableView_->setDataSource(this);
  tableView_->setTableDelegate(this);
  tableView_->setDelegate(this);
  tableView_->setBackgroundColor(Color::white());
  root.addSubview(tableView_);

  // Over the check-box column, above the table, so a finger there never scrolls the list.
  SlideView_ = std::make_shared<MoveSelUIView>(
      Rect{0, kSearchStripHeight, MoveSelUIView::kWidth, tableHeight});
  SlideView_->setDeleage(this);
  root.addSubview(SlideView_);
}

void WordsListViewCtrl::refreshTable() {
  if (tableView_) tableView_->reloadData();
}

int64_t WordsListViewCtrl::rowCount() const {
  return sectionArray_ ? static_cast<int64_t>(sectionArray_->size()) : 0;
}

std::string WordsListViewCtrl::wordAt(int64_t row) const {
  if (row < 0 || row >= rowCount()) return "";
  const WordSlot& slot = (*sectionArray_)[static_cast<size_t>(row)];
  return slot ? *slot : std::string();
}

void WordsListViewCtrl::loadNewWords(int64_t row) {
  if (row < 0 || row >= rowCount() || (*sectionArray_)[static_cast<size_t>(row)]) return;
  if (deleage_) deleage_->loadNewWords_callback(currPage_, row, isDown_);
}

int WordsListViewCtrl::numberOfRows(plat::TableView&, int) {
  return static_cast<int>(rowCount());
}

std::shared_ptr<plat::TableViewCell> WordsListViewCtrl::cellForRow(plat::TableView& table,
                                                                   const plat::IndexPath& ip) {
  using namespace plat;
  auto cell = table.dequeueReusableCell("basecell");
  if (!cell) {
    cell = TableViewCell::create(TableViewCellStyle::Default, "basecell");
    const double width = table.bounds().width;
    auto button = std::make_shared<MyButton>();
    button->setFrame({0, 0, kButtonWidth, kRowHeight});
    button->setTag(kButtonTag);
    button->setTitleColor(Color::rgb255(0, 128, 0));
    button->setAdjustsImageWhenDisabled(false);
    cell->contentView().addSubview(button);
    auto label =
        std::make_shared<Label>(Rect{kButtonWidth, 0, width - kButtonWidth - 25, kRowHeight});
    label->setTag(kLabelTag);
    label->setFont(Font::boldSystem(20));
    label->setTextColor(Color::black());
    label->setNumberOfLines(1);
    label->setAdjustsFontSizeToFitWidth(true);
    label->setBackgroundColor(Color::clear());
    label->setAutoresizingMask(kFlexibleWidth);
    cell->contentView().addSubview(label);
  }
  if (isOpenDictionary_) {
    cell->setAccessoryType(TableViewCellAccessory::DisclosureIndicator);
    cell->setSelectionStyle(TableViewCellSelectionStyle::Blue);
  } else {
    cell->setAccessoryType(TableViewCellAccessory::None);
    cell->setSelectionStyle(TableViewCellSelectionStyle::None);
  }
  initcellState(*cell, ip.row);
  return cell;
}

void WordsListViewCtrl::initcellState(plat::TableViewCell& cell, int64_t row) {
  using namespace plat;
  loadNewWords(row);
  const std::string word = wordAt(row);
  auto* label = static_cast<Label*>(cell.contentView().viewWithTag(kLabelTag));
  auto* button = static_cast<MyButton*>(cell.contentView().viewWithTag(kButtonTag));
  label->setText(word.empty() ? "" : CallDB::callDB()->getWord_ShowName(word));
  button->setIndexNum(row + MyButton::kRowBase);

  std::string state;
  if (sectionDic_ && !word.empty())
    if (auto found = sectionDic_->find(word); found != sectionDic_->end()) state = found->second;

  if (state == WordListState::kInStudy) {
    button->removeTarget(this, "selectLearn:", kTouchDown);
    button->addTarget(
        this,
        "deleteLearn:", [this](Control& sender) { deleteLearn(static_cast<MyButton&>(sender)); },
        kTouchUpInside);
    const auto forget = CallDB::callDB()->getWordForgetState(word);
    if (!forget || forget->isLevelZero()) {
      button->setImage(image("gui/del_words.png"));
      button->setEnabled(true);
    } else {
      button->setImage(nullptr);
      button->setImage(forgetStateImage(*forget), kStateDisabled);
      button->setEnabled(false);
    }
    button->setIsState(1);
    return;
  }
  button->setEnabled(true);
  button->removeTarget(this, "deleteLearn:", kTouchUpInside);
  button->addTarget(
      this,
      "selectLearn:", [this](Control& sender) { selectLearn(static_cast<MyButton&>(sender)); },
      kTouchDown);
  if (state == WordListState::kNotSelected) {
    button->setImage(image("gui/checkbox_empty.png"));
    button->setIsState(2);
  } else if (state == WordListState::kSelected) {
    button->setImage(image("gui/checkbox_full.png"));
    button->setIsState(3);
  } else {
    button->setIsState(0);
  }
}

void WordsListViewCtrl::selectLearn(MyButton& button) {
  const std::string word = wordAt(button.row());
  if (word.empty()) return;
  bool ticked;
  if (button.isState() == 3) {
    button.setIsState(2);
    button.setImage(image("gui/checkbox_empty.png"));
    ticked = false;
  } else if (button.isState() == 2) {
    button.setIsState(3);
    button.setImage(image("gui/checkbox_full.png"));
    ticked = true;
  } else {
    return;
  }
  if (currPage_ == kPageSelected) {
    // Unticks wait for the end of the touch, so the list does not change under the finger.
    auto found = std::find(tempDelWords_.begin(), tempDelWords_.end(), word);
    if (!ticked && found == tempDelWords_.end()) tempDelWords_.push_back(word);
    if (ticked && found != tempDelWords_.end()) tempDelWords_.erase(found);
    return;
  }
  if (deleage_) deleage_->selectwords_callback(word, ticked);
}

void WordsListViewCtrl::deleteLearn(MyButton& button) {
  const std::string word = wordAt(button.row());
  if (word.empty()) return;
  isDown_ = true;
  if (deleage_) deleage_->deletewords_callback(word, 1);
}

void WordsListViewCtrl::didSelectRow(plat::TableView& table, const plat::IndexPath& ip) {
  table.deselectRow(ip, true);
  if (!isOpenDictionary_) {
    // The search is over once a row is chosen: the message is read with the whole list in view.
    if (textField_->isFirstResponder()) {
      if (deleage_) deleage_->hideKeyboard_callback();
      textField_->resignFirstResponder();
    }
    MyAlerView::sharedAler()->ViewShow(plat::localized("alermsg_eg47"));
    return;
  }
  if (!deleage_ || deleage_->isLoadData_callback() || !deleage_->answersPushNewView()) return;
  if (wordAt(ip.row).empty()) return;
  deleage_->hideKeyboard_callback();
  textField_->resignFirstResponder();
  deleage_->pushNewView(ip.row, currPage_);
}

void WordsListViewCtrl::scrollViewDidScroll(plat::ScrollView& scroll) {
  const plat::Point offset = scroll.contentOffset();
  if (offset.y > scrollPoint_.y) isDown_ = true;
  if (offset.y < scrollPoint_.y) isDown_ = false;
  scrollPoint_ = offset;
}

// ---- Search

void WordsListViewCtrl::scrollToTop(int64_t row) {
  // A list read from the store may be longer than the rows counted when the screen opened.
  if (row < 0 || rowCount() == 0) return;
  row = std::min(row, rowCount() - 1);
  tableView_->scrollToRow({0, static_cast<int>(row)}, plat::TableViewScrollPosition::Top, false);
}

void WordsListViewCtrl::positionRule(int64_t row, bool loadWindow) {
  if (row < 0 || rowCount() == 0) return;
  row = std::min(row, rowCount() - 1);
  if (loadWindow) loadNewWords(row);
  scrollToTop(row);
}

std::vector<std::string> WordsListViewCtrl::loadedWords() const {
  std::vector<std::string> words;
  if (!sectionArray_) return words;
  words.reserve(sectionArray_->size());
  for (const WordSlot& slot : *sectionArray_) words.push_back(slot ? *slot : std::string());
  return words;
}

void WordsListViewCtrl::searchInMemory(const std::vector<std::string>& words,
                                       const std::string& text, bool prefixFirst) {
  if (prefixFirst) {
    for (size_t i = 0; i < words.size(); ++i) {
      if (!WordOrder::beginsWith(words[i], text)) continue;
      if (i == 0) break;  // the first row: the ordered search decides
      scrollToTop(static_cast<int64_t>(i));
      return;
    }
  }
  for (size_t i = 0; i < words.size(); ++i) {
    if (WordOrder::compareIgnoringCase(words[i], text) >= 0) {
      if (i != 0) scrollToTop(static_cast<int64_t>(i));
      return;
    }
  }
}

void WordsListViewCtrl::testFieldDidChange() {
  const std::string text = plat::utf::asciiLowercase(textField_->text());
  if (text.empty()) {
    if (rowCount() > 0) scrollToTop(0);
    return;
  }
  if (!deleage_) return;
  const bool alphabetical = deleage_->isSort_callback();
  CallDB* db = CallDB::callDB();
  if (currPage_ == kPageLearned) {
    std::vector<std::string> words;
    if (currType_ == kListsFromStore && bookID_ == CallDB::WholeLibraryBookID) {
      const plat::Value learnt = db->getLearnWords();
      for (size_t i = 0; i < learnt.size(); ++i) words.push_back(learnt.at(i).asString());
    } else {
      words = loadedWords();
    }
    searchInMemory(words, text, true);
  } else if (alphabetical && currPage_ != kPageSelected) {
    if (currType_ == kListsInMemory) {
      searchInMemory(loadedWords(), text, false);
    } else {
      isDown_ = true;
      positionRule(db->getwordPos_sortABC(text, bookID_, currPage_), true);
    }
  } else if (currType_ == kListsInMemory || currPage_ == kPageSelected) {
    searchInMemory(loadedWords(), text, true);
  } else {
    isDown_ = true;
    positionRule(db->getwordPos_sortBook(text, bookID_, currPage_), true);
  }
}

void WordsListViewCtrl::autoDingWei() {
  isDown_ = true;
  positionRule(CallDB::callDB()->getwordPos_sortABC("a", bookID_, currPage_), false);
}

bool WordsListViewCtrl::shouldClear(plat::TextField&) {
  if (rowCount() > 0) scrollToTop(0);
  return true;
}

bool WordsListViewCtrl::shouldReturn(plat::TextField& field) {
  field.resignFirstResponder();
  return true;
}

void WordsListViewCtrl::didBeginEditing(plat::TextField&) {
  if (deleage_) deleage_->in_edit_callback();
  plat::Animation::animate(0.3, [this] { placeCancelButton(true); });
}

void WordsListViewCtrl::didEndEditing(plat::TextField&) {
  if (deleage_) deleage_->leave_edit_callback();
  plat::Animation::animate(0.3, [this] { placeCancelButton(false); });
}

// Placed from the strip's width, not moved by a step: a paste that comes after the editing
// ended ends it once more, and the field must not widen twice.
void WordsListViewCtrl::placeCancelButton(bool shown) {
  const double stripWidth = childView_->bounds().width;
  const double shift = shown ? kCancelWidth + 5 : 0;
  Rect field = textField_->frame();
  field.width = stripWidth - 8 - field.x - shift;
  textField_->setFrame(field);
  Rect cancel = cancelBtn_->frame();
  cancel.x = stripWidth - shift;
  cancelBtn_->setFrame(cancel);
}

// ---- Swipe selection

int64_t WordsListViewCtrl::rowAtStripY(double y) {
  return static_cast<int64_t>(
      std::floor((y + tableView_->contentOffset().y) / tableView_->rowHeight()));
}

MyButton* WordsListViewCtrl::buttonOfRow(int64_t row) {
  if (row < 0 || row >= rowCount()) return nullptr;
  plat::TableViewCell* cell = tableView_->cellForRow({0, static_cast<int>(row)});
  if (!cell) return nullptr;
  return static_cast<MyButton*>(cell->contentView().viewWithTag(kButtonTag));
}

void WordsListViewCtrl::fireRow(int64_t row, unsigned event) {
  MyButton* button = buttonOfRow(row);
  if (button && button->isEnabled()) button->sendActions(event);
}

void WordsListViewCtrl::touchDown_callback(plat::Point p) {
  moveStarPoint_ = p;
  downCellNum_ = rowAtStripY(p.y);
  // The strip is wider than the button column and so covers the start of the word; where the row
  // offers no check box to swipe over, a tap there is a tap on the word.
  const MyButton* button = buttonOfRow(downCellNum_);
  downOnWord_ = p.x >= kButtonWidth && button && button->isState() != 2 && button->isState() != 3;
  fireRow(downCellNum_, plat::kTouchDown);
  if (deleage_) deleage_->prohibitScroll_callback();
}

void WordsListViewCtrl::touchMove_callback(plat::Point p) {
  const double h = tableView_->rowHeight();
  const plat::Point offset = tableView_->contentOffset();
  double y0 = moveStarPoint_.y;
  const double whole = std::trunc(p.y - y0);
  const double step = whole > 0 ? h : whole < 0 ? -h : 0;
  const auto n = static_cast<int64_t>(std::fabs(p.y - y0) / h);
  for (int64_t i = 0; i < n; ++i) {
    const double y1 = y0 + step;
    if (MoveSelUIView::isSendMsg(y0, y1, offset, h)) fireRow(rowAtStripY(y1), plat::kTouchDown);
    y0 = y1;
    moveStarPoint_.y = y0;
  }
  if (MoveSelUIView::isSendMsg(y0, p.y, offset, h)) fireRow(rowAtStripY(p.y), plat::kTouchDown);
  moveStarPoint_ = p;
}

void WordsListViewCtrl::touchEnd_callback(plat::Point p) {
  if (currPage_ == kPageSelected) {
    const std::vector<std::string> unticked = std::move(tempDelWords_);
    tempDelWords_.clear();
    for (const std::string& word : unticked)
      if (deleage_) deleage_->selectwords_callback(word, false);
  }
  if (rowAtStripY(p.y) == downCellNum_) {
    if (downOnWord_) {
      didSelectRow(*tableView_, {0, static_cast<int>(downCellNum_)});
    } else {
      fireRow(downCellNum_, plat::kTouchUpInside);
    }
  }
  if (deleage_) deleage_->allowScroll_callback();
}
