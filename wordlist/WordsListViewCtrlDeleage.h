// What a word-list page asks of and tells its owner. The owner answers what it needs; the page
// sends pushNewView only to an owner that says it opens word cards.
#pragma once

#include <cstdint>
#include <string>

class WordsListViewCtrlDeleage {
 public:
  virtual ~WordsListViewCtrlDeleage() = default;

  virtual bool isSort_callback() = 0;      // alphabetical (true) or book order
  virtual bool isLoadData_callback() = 0;  // a loader is filling the lists
  // The row of list kind `page` holds an unread slot: read its window in that direction.
  virtual void loadNewWords_callback(int64_t /*page*/, int64_t /*row*/, bool /*isDown*/) {}
  virtual void selectwords_callback(const std::string& /*word*/, bool /*isAdd*/) {}
  // Take a word out of study; type 1 from a page, 2 from the word card.
  virtual void deletewords_callback(const std::string& /*word*/, int /*type*/) {}
  virtual bool answersPushNewView() const { return false; }
  virtual void pushNewView(int64_t /*row*/, int64_t /*page*/) {}
  virtual void hideKeyboard_callback() {}
  virtual void prohibitScroll_callback() {}
  virtual void allowScroll_callback() {}
  virtual void in_edit_callback() {}
  virtual void leave_edit_callback() {}
};
