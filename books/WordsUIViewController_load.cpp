// The loader of a word book's lists: one thread at a time per screen. The thread reads each list
// into its own vectors and hands them to the main thread, which puts them in place just before
// redrawing that page, so no list is written while the main thread reads it. A load asked for
// while one runs waits for it.
#include <algorithm>
#include <exception>

#include "books/WordsUIViewController.h"
#include "platform/base/MainThread.h"
#include "platform/base/NotificationCenter.h"
#include "store/CallDB.h"

// Shared by the screen and its loader thread.
struct WordsUIViewController::LoaderControl {
  std::atomic<bool> isSort{true};
  std::atomic<bool> stop{false};
};

namespace {

struct ReadList {
  std::vector<std::string> words;
  std::vector<bool> inStudy;  // code "1" only: the word has a study-list id
};

ReadList readList(const std::string& code, int book, bool alphabetical) {
  CallDB* db = CallDB::callDB();
  ReadList list;
  if (code == "1") {
    const plat::Value rows = db->getWordsFromBook(book, alphabetical);
    for (size_t i = 0; i < rows.size(); ++i) {
      list.words.push_back(rows.at(i).at(0).asString());
      list.inStudy.push_back(rows.at(i).at(1).asInt() >= 1);
    }
    return list;
  }
  const plat::Value words =
      code == "2" ? db->GetStudyWords(book, alphabetical) : db->GetNoneWords(book, alphabetical);
  for (size_t i = 0; i < words.size(); ++i) list.words.push_back(words.at(i).asString());
  return list;
}

}  // namespace

WordsUIViewController::~WordsUIViewController() {
  if (loader_) loader_->stop = true;
  loaderWork_.wait();
  for (auto& page : viewControllers_)
    if (page) page->setDeleage(nullptr);
  if (ScrollView_) ScrollView_->setDelegate(nullptr);
  if (myTabbarView_) myTabbarView_->setDeleage(nullptr);
  plat::NotificationCenter::defaultCenter().removeObserver(this);
}

void WordsUIViewController::setLoaderSort(bool alphabetical) {
  if (loader_) loader_->isSort = alphabetical;
}

void WordsUIViewController::addNewThread(std::vector<std::string> codes) {
  if (isLoadData_) {
    pendingLoads_.push_back(std::move(codes));
    return;
  }
  startLoader(std::move(codes));
}

void WordsUIViewController::startLoader(std::vector<std::string> codes) {
  loaderWork_.wait();
  if (!loader_) loader_ = std::make_shared<LoaderControl>();
  loader_->isSort = isSort_;
  isLoadData_ = true;
  std::weak_ptr<WordsUIViewController> owner =
      std::static_pointer_cast<WordsUIViewController>(shared_from_this());
  loaderWork_.start(
      [control = loader_, owner, codes = std::move(codes), book = static_cast<int>(bookID_)] {
        // Every hand-over runs on the main thread and only while the screen still exists.
        auto post = [owner](std::function<void(WordsUIViewController&)> task) {
          plat::performOnMainThread([owner, task] {
            if (auto screen = owner.lock()) task(*screen);
          });
        };
        bool restart = true;
        bool alphabetical = control->isSort;
        while (restart && !control->stop) {
          restart = false;
          if (codes.size() > 1)
            post([codes](WordsUIViewController& s) { s.refillPlaceholders(codes); });
          alphabetical = control->isSort;
          for (const std::string& code : codes) {
            if (code != "1" && code != "2" && code != "3") continue;
            ReadList list;
            try {
              list = readList(code, book, alphabetical);
            } catch (const std::exception&) {
              break;  // the store failed: the lists keep their placeholders
            }
            if (control->stop) return;
            if (control->isSort != alphabetical) {  // the order changed under the read: start again
              restart = true;
              break;
            }
            post([code, list = std::move(list)](WordsUIViewController& s) mutable {
              s.takeLoadedList(code, std::move(list.words), std::move(list.inStudy));
            });
          }
        }
        post([codes, alphabetical](WordsUIViewController& s) {
          s.loaderFinished(codes, alphabetical);
        });
      });
}

void WordsUIViewController::refillPlaceholders(const std::vector<std::string>& codes) {
  auto has = [&](const char* code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
  };
  if (has("1")) allWords_->assign(static_cast<size_t>(allWordsNum_), placeholder());
  if (has("3")) noneWords_->assign(static_cast<size_t>(noneWordsNum_), placeholder());
}

void WordsUIViewController::takeLoadedList(const std::string& code, std::vector<std::string> words,
                                           std::vector<bool> inStudy) {
  WordSlots& list = code == "1" ? *allWords_ : code == "2" ? *learnedWords_ : *noneWords_;
  // Only the slots counted at set-up are filled; rows the tables gained since are ignored.
  const size_t count = std::min(list.size(), words.size());
  for (size_t i = 0; i < count; ++i) {
    const std::string& word = words[i];
    if (code == "2" || (code == "1" && inStudy[i]))
      (*allWordsState_)[word] = WordListState::kInStudy;
    else if (!allWordsState_->count(word))
      (*allWordsState_)[word] = WordListState::kNotSelected;
    list[i] = word;
  }
  refreshData(code == "1" ? 0 : code == "2" ? 3 : 1);
}

void WordsUIViewController::loaderFinished(const std::vector<std::string>& codes,
                                           bool alphabetical) {
  loaderWork_.wait();
  // The order changed after the run's last read: that run's lists are in the old order.
  if (parentType_ == kListsFromStore && alphabetical != isSort_ &&
      codes != std::vector<std::string>{"2"}) {
    startLoader(codes);
    return;
  }
  if (!pendingLoads_.empty()) {
    std::vector<std::string> next = std::move(pendingLoads_.front());
    pendingLoads_.pop_front();
    startLoader(std::move(next));
    return;
  }
  isLoadData_ = false;
}

bool WordsUIViewController::waitForLoader(double seconds) {
  return plat::RunLoop::main().runUntil([this] { return !isLoadData_; }, seconds);
}
