// The word card as the screens that push it from a word list see it. The card itself lives with
// the review screen, in a folder those screens may not include; the application installs the maker
// at start-up (see BookScreens).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/view/ViewController.h"

class WordCard {
 public:
  virtual ~WordCard() = default;

  // The card's screen, to be pushed.
  virtual std::shared_ptr<plat::ViewController> screen() = 0;

  // The list page of the owner the card walks through (a WordListPage).
  virtual int64_t currPage() const = 0;
  virtual void setCurrPage(int64_t page) = 0;
  virtual const std::string& wordName() const = 0;
  virtual void setWordName(const std::string& word) = 0;
  // The selection as it was when the card opened on the selected page.
  virtual const std::vector<std::string>& tempSelArr() const = 0;
  virtual void setTempSelArr(std::vector<std::string> words) = 0;
  virtual void setShowSprcialText(bool on) = 0;

  // The right-hand plan button from the word's state in the owner's lists.
  virtual void addRightItemBtn() = 0;
  // Shows a word: content, head, box and the nine pages.
  virtual void refreshView(const std::string& word) = 0;
};
