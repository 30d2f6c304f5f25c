// One list of words: a search strip over a table whose rows carry a check box, a remove button or
// the word's schedule image, and the word. It shows its owner's list and states (not owned),
// loads unread rows through the owner, turns taps and swipes over the check boxes into
// selection and removal, and finds typed words in memory or by position queries on the store.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/view/ImageView.h"
#include "platform/view/TableView.h"
#include "platform/view/ViewController.h"
#include "ui/MyTextField.h"
#include "wordlist/MoveSelUIView.h"
#include "wordlist/MyButton.h"
#include "wordlist/WordListTypes.h"
#include "wordlist/WordsListViewCtrlDeleage.h"

class WordsListViewCtrl : public plat::ViewController,
                          public plat::TableViewDataSource,
                          public plat::TableViewDelegate,
                          public plat::TextFieldDelegate,
                          public MoveSelUIViewDeleage {
 public:
  static constexpr int kLabelTag = 1;
  static constexpr int kButtonTag = 2;
  static constexpr double kSearchStripHeight = 40;
  static constexpr double kRowHeight = 44;
  static constexpr double kButtonWidth = 43;

  WordsListViewCtrl() = default;
  ~WordsListViewCtrl() override;

  void loadView() override;
  void viewDidLoad() override;

  // ---- Set up by the owner before the page shows
  WordsListViewCtrlDeleage* deleage() const { return deleage_; }
  void setDeleage(WordsListViewCtrlDeleage* delegate) { deleage_ = delegate; }
  bool isOpenDictionary() const { return isOpenDictionary_; }
  void setIsOpenDictionary(bool open) { isOpenDictionary_ = open; }
  int64_t currType() const { return currType_; }
  void setCurrType(int64_t type) { currType_ = type; }
  int64_t currPage() const { return currPage_; }
  void setCurrPage(int64_t page) { currPage_ = page; }
  int64_t bookID() const { return bookID_; }
  void setBookID(int64_t bookId) { bookID_ = bookId; }
  void setSectionDic(WordStates* states) { sectionDic_ = states; }
  void setSectionArray(WordSlots* words) { sectionArray_ = words; }
  const WordSlots* sectionArray() const { return sectionArray_; }

  void refreshTable();
  void autoDingWei();  // to the first word at or after "a"
  void loadNewWords(int64_t row);

  // ---- Row buttons, search field
  void selectLearn(MyButton& button);
  void deleteLearn(MyButton& button);
  void testFieldDidChange();
  void closeKeyboard();

  plat::TableView& tableView() { return *tableView_; }
  MyTextField& textField() { return *textField_; }
  MoveSelUIView& slideView() { return *SlideView_; }
  bool isDown() const { return isDown_; }

  // ---- Table
  int numberOfRows(plat::TableView&, int section) override;
  std::shared_ptr<plat::TableViewCell> cellForRow(plat::TableView&,
                                                  const plat::IndexPath& ip) override;
  void didSelectRow(plat::TableView&, const plat::IndexPath& ip) override;
  void scrollViewDidScroll(plat::ScrollView&) override;

  // ---- Search field
  void didBeginEditing(plat::TextField&) override;
  void didEndEditing(plat::TextField&) override;
  void placeCancelButton(bool shown);
  bool shouldClear(plat::TextField&) override;
  bool shouldReturn(plat::TextField&) override;

  // ---- Swipe over the check boxes
  void touchDown_callback(plat::Point p) override;
  void touchMove_callback(plat::Point p) override;
  void touchEnd_callback(plat::Point p) override;

 private:
  void initcellState(plat::TableViewCell& cell, int64_t row);
  std::string wordAt(int64_t row) const;  // "" for a placeholder or a row out of range
  int64_t rowCount() const;
  // Scrolls so that `row` stands at the top (clamped; nothing for a negative row).
  void positionRule(int64_t row, bool loadWindow);
  void scrollToTop(int64_t row);
  // Compares without regard to case, as the lists are sorted and the store searches: the typed
  // text arrives in lower case and must still find "China".
  void searchInMemory(const std::vector<std::string>& words, const std::string& text,
                      bool prefixFirst);
  std::vector<std::string> loadedWords() const;
  void runDeveloperCommand(const std::string& text);
  int64_t rowAtStripY(double y);
  MyButton* buttonOfRow(int64_t row);  // null for a row off screen or out of range
  void fireRow(int64_t row, unsigned event);

  WordsListViewCtrlDeleage* deleage_ = nullptr;
  bool isOpenDictionary_ = false;
  int64_t currType_ = kListsFromStore;
  int64_t currPage_ = kPageAll;
  int64_t bookID_ = 0;
  WordSlots* sectionArray_ = nullptr;
  WordStates* sectionDic_ = nullptr;

  std::shared_ptr<plat::View> childView_;
  std::shared_ptr<plat::ImageView> searchImage_;
  std::shared_ptr<MyTextField> textField_;
  std::shared_ptr<plat::Button> cancelBtn_;
  std::shared_ptr<plat::TableView> tableView_;
  std::shared_ptr<MoveSelUIView> SlideView_;

  bool isDown_ = true;
  plat::Point scrollPoint_;
  std::vector<std::string> tempDelWords_;  // unticked on the selected page during a touch
  plat::Point moveStarPoint_;
  int64_t downCellNum_ = -1;
  bool downOnWord_ = false;  // the touch began on the word of a row without a check box
};
