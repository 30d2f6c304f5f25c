// The word card pushed from a row, and its walk through the list it was opened from.
#include "books/BookScreens.h"
#include "books/WordsUIViewController.h"
#include "platform/view/NavigationController.h"
#include "store/CallDB.h"

namespace {

std::vector<std::string> stringsOf(const plat::Value& flat) {
  std::vector<std::string> out;
  for (size_t i = 0; i < flat.size(); ++i) out.push_back(flat.at(i).asString());
  return out;
}

}  // namespace

std::shared_ptr<WordsUIViewController> WordsUIViewController::forExtractedWords(
    const std::string& navName, const std::string& parentName, const plat::Value& words,
    const plat::Value& learnedWords, const plat::Value& noneWords) {
  auto screen = std::make_shared<WordsUIViewController>();
  screen->setNavName(navName);
  screen->setParentName(parentName);
  screen->setWordsDic(stringsOf(words), stringsOf(learnedWords), stringsOf(noneWords));
  return screen;
}

void WordsUIViewController::pushNewView(int64_t row, int64_t page) {
  if (!baseWordViewCtrl_) baseWordViewCtrl_ = BookScreens::makeWordCard(this, "单词列表");
  if (!baseWordViewCtrl_) return;
  if (page == kPageSelected)
    baseWordViewCtrl_->setTempSelArr([this] {
      std::vector<std::string> words;
      for (const WordSlot& slot : *selWords_)
        if (slot) words.push_back(*slot);
      return words;
    }());
  const WordSlots* list = getCurrWords(page);
  if (!list || row < 0 || row >= static_cast<int64_t>(list->size())) return;
  baseWordViewCtrl_->setCurrPage(page);
  baseWordViewCtrl_->setWordName((*list)[static_cast<size_t>(row)].value_or(""));
  baseWordViewCtrl_->addRightItemBtn();
  if (bookID_ == CallDB::SpecialBookID) baseWordViewCtrl_->setShowSprcialText(true);
  currentWordLocal_ = row;
  if (auto* nav = navigationController())
    nav->pushViewController(baseWordViewCtrl_->screen(), true);
}

// The card's list: for the selection, the snapshot the card was given.
static WordSlots cardList(const WordsUIViewController& screen, const WordCard& card) {
  if (card.currPage() == kPageSelected) return slotsOf(card.tempSelArr());
  const WordSlots* list = screen.getCurrWords(card.currPage());
  return list ? *list : WordSlots();
}

void WordsUIViewController::showCardWord(bool isDown) {
  const int64_t page = baseWordViewCtrl_->currPage();
  WordSlots list = cardList(*this, *baseWordViewCtrl_);
  if (list.empty()) return;
  if (!list[static_cast<size_t>(currentWordLocal_)]) {
    loadNewWords_callback(page, currentWordLocal_, isDown);
    list = cardList(*this, *baseWordViewCtrl_);
  }
  const std::string word = list[static_cast<size_t>(currentWordLocal_)].value_or("");
  baseWordViewCtrl_->setWordName(word);
  baseWordViewCtrl_->refreshView(word);
  baseWordViewCtrl_->addRightItemBtn();
}

void WordsUIViewController::downBtn_Click_callback() {
  if (!baseWordViewCtrl_) return;
  const auto count = static_cast<int64_t>(cardList(*this, *baseWordViewCtrl_).size());
  if (count == 0) return;
  currentWordLocal_ = currentWordLocal_ + 1 >= count ? 0 : currentWordLocal_ + 1;
  showCardWord(true);
}

void WordsUIViewController::upBtn_Click_callback() {
  if (!baseWordViewCtrl_) return;
  const auto count = static_cast<int64_t>(cardList(*this, *baseWordViewCtrl_).size());
  if (count == 0) return;
  currentWordLocal_ = currentWordLocal_ - 1 < 0 ? count - 1 : currentWordLocal_ - 1;
  showCardWord(false);
}

void WordsUIViewController::currword_del_callback() {
  if (!baseWordViewCtrl_) return;
  const auto count = static_cast<int64_t>(cardList(*this, *baseWordViewCtrl_).size());
  if (count == 0) {
    if (auto* nav = navigationController()) nav->popViewController(false);
    return;
  }
  if (currentWordLocal_ >= count) currentWordLocal_ = 0;
  showCardWord(true);
}
