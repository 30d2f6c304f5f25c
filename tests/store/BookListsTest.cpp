#include <atomic>
#include <set>
#include <thread>

#include "platform/base/Utf.h"
#include "tests/store/StudyFixture.h"

namespace {

using plat::Value;
using Words = std::vector<std::string>;

class BookListsTest : public storetest::StudyTest {
 protected:
  // Puts words into a book at the given places (the book need not be listed in `books`).
  void placeInBook(int bookId, const std::vector<std::pair<std::string, int>>& placed) {
    for (const auto& [word, place] : placed)
      db_->sql_insert(
          "insert into book_words (bw_uId, f_b_uId, f_wl_uId) select ?, ?, wl_uWordID from "
          "Words_Library where wl_tWord = ?",
          "nns", Value::array({place, bookId, word}));
  }
  static Words firstColumn(const Value& rows) {
    Words words;
    for (size_t i = 0; i < rows.size(); ++i) words.push_back(rows.at(i).at(0).asString());
    return words;
  }
  void addWord(int id, const std::string& word) {
    db_->sql_insert("insert into Words_Library (wl_uWordID, wl_tWord) values (?, ?)", "ns",
                    Value::array({id, word}));
  }
};

TEST_F(BookListsTest, LibraryHeadersAndCountsFollowThePlan) {
  plan("apple", now());
  plan("run", now());
  EXPECT_VALUE(db_->getBookData(101), Value::array({"初中词汇", 1, 3}));
  EXPECT_VALUE(db_->getBookLibData(CallDB::WholeLibraryBookID), Value::array({"总词库", "(2/6)"}));
  db_->sql_insert("insert into excellent_mnemonic (em_uWordID) values (1), (2)", "",
                  Value::array());
  EXPECT_VALUE(db_->getBookLibData(CallDB::SpecialBookID), Value::array({"优秀助记词汇", "(1/2)"}));
  EXPECT_VALUE(db_->getBookLibData(1), Value::array({"中学", "(2)"}));
  EXPECT_VALUE(db_->getBookLibData(555), Value::array({"", "(0)"}));  // a class since removed
  EXPECT_EQ(db_->getNoneWordNum(CallDB::WholeLibraryBookID), 4);

  db_->delete_StudyWord("apple");
  EXPECT_EQ(db_->getStudyWordNum(101), 0);
  EXPECT_EQ(db_->getNoneWordNum(101), 3);
  EXPECT_VALUE(db_->getWordsFromBook(101, true).at(0), Value::array({"apple", 0}));
}

// The whole library's own windows are driven by the word lists' screen tests.
TEST_F(BookListsTest, WindowsOfThePlannedAndUnplannedWords) {
  Words extra = addWords("w", 150, 1000);  // after the six fixture words alphabetically
  EXPECT_EQ(db_->getWordsFromBook(-3, 40, false).size(), 0u);  // never "limit -n": everything

  for (int i = 0; i < 50; ++i) plan(extra[i], daysFromNow(-1) + i);
  setRecord("w000", now(), daysFromNow(5), 2);
  Value planned = db_->GetStudyWords(0, 40, true);
  ASSERT_EQ(planned.size(), 40u);
  EXPECT_EQ(planned.at(0).asString(), "w001");
  EXPECT_EQ(strings(db_->GetStudyWords(49, 3, false)), (Words{"w048", "w049", "w000"}));
  Value unplanned = db_->GetNoneWords(0, 40, true);
  EXPECT_EQ(strings(unplanned).front(), "apple");
  EXPECT_EQ(strings(unplanned).at(6), "w050");
  EXPECT_EQ(db_->GetNoneWords(100, 40, true).size(), 6u);  // 106 unplanned words
}

TEST_F(BookListsTest, AlphabeticalAndBookOrderPositions) {
  const int64_t whole = CallDB::WholeLibraryBookID;
  EXPECT_EQ(db_->getwordPos_sortABC("a", whole, 1), 0);
  EXPECT_EQ(db_->getwordPos_sortABC("zzz", whole, 1), 6);
  EXPECT_EQ(db_->getwordPos_sortABC("c", whole, 1), 2);
  EXPECT_EQ(db_->getwordPos_sortABC("c", 101, 1), 2);
  plan("book", now());
  plan("run", now());
  EXPECT_EQ(db_->getwordPos_sortABC("c", whole, 2), 1);  // apple
  EXPECT_EQ(db_->getwordPos_sortABC("s", whole, 4), 2);  // book, run
  EXPECT_EQ(db_->getwordPos_sortABC("c", 101, 2), 1);
  EXPECT_EQ(db_->getwordPos_sortABC("c", 101, 4), 1);
  EXPECT_EQ(db_->getwordPos_sortABC("c", 101, 3), 0);

  addWord(60, "catalog");
  addWord(61, "cat");
  addWord(62, "axb");
  placeInBook(301, {{"catalog", 1}, {"axb", 2}, {"cat", 3}, {"apple", 4}});
  EXPECT_EQ(db_->getwordPos_sortBook("cat", 301, 1), 2);  // the word itself, not "catalog"
  EXPECT_EQ(db_->getwordPos_sortBook("ca", 301, 1), 0);
  EXPECT_EQ(db_->getwordPos_sortBook("ap", 301, 1), 3);
  EXPECT_EQ(db_->getwordPos_sortBook("dog", 301, 1), -1);
  // The learner's wildcard characters match only themselves.
  EXPECT_EQ(db_->getwordPos_sortBook("a_", 301, 1), -1);
  EXPECT_EQ(db_->getwordPos_sortBook("%", 301, 1), -1);
  EXPECT_EQ(db_->getwordPos_sortBook("a%b", 301, 1), -1);

  plan("catalog", now());
  plan("apple", now());
  EXPECT_EQ(db_->getwordPos_sortBook("apple", 301, 4), 1);  // second planned word
  EXPECT_EQ(db_->getwordPos_sortBook("cat", 301, 4), 0);    // prefix of "catalog"
  EXPECT_EQ(db_->getwordPos_sortBook("cat", 301, 2), 1);    // unplanned: axb, cat
  EXPECT_EQ(db_->getwordPos_sortBook("catalog", 301, 2), -1);
  EXPECT_EQ(db_->getwordPos_sortBook("cat", 301, 3), 0);
}

// Capitalised headwords stand among their letters, and a word that differs from another only in
// case has one fixed place: the lists, the row a typed word jumps to and the whole library's
// windows of rows agree on every row.
TEST_F(BookListsTest, CapitalisedWordsStandAmongTheirLettersInListsJumpsAndWindows) {
  const Words added = {"Christmas", "China", "March", "march", "ability", "Monday", "English"};
  for (size_t i = 0; i < added.size(); ++i) addWord(60 + static_cast<int>(i), added[i]);
  const int64_t whole = CallDB::WholeLibraryBookID;
  const Words library = {"ability", "apple", "book",  "cafe",  "China",  "Christmas", "English",
                         "good",    "happy", "March", "march", "Monday", "run"};
  // Windows of three rows, downwards and upwards, read the same list without a repeat or a gap.
  auto wholeList = [&](auto window, int length) {
    Words down, up;
    for (int pos = 0; pos < length; pos += 3) {
      const Words next = window(pos, 3, true);
      down.insert(down.end(), next.begin(), next.end());
      const Words before = window(length - 1 - pos, 3, false);
      up.insert(up.begin(), before.begin(), before.end());
    }
    EXPECT_EQ(down, up);
    return down;
  };
  auto allWords = [&](int pos, int count, bool isDown) {
    return firstColumn(db_->getWordsFromBook(pos, count, isDown));
  };
  auto noneWords = [&](int pos, int count, bool isDown) {
    return strings(db_->GetNoneWords(pos, count, isDown));
  };
  EXPECT_EQ(wholeList(allWords, 13), library);
  // Each word jumps to its own row, typed in lower case as the search field passes it; a word
  // that differs only in case jumps to the first of the two.
  for (size_t row = 0; row < library.size(); ++row) {
    const std::string typed = plat::utf::asciiLowercase(library[row]);
    EXPECT_EQ(db_->getwordPos_sortABC(typed, whole, 1), row == 10 ? 9 : int64_t(row)) << typed;
  }
  EXPECT_EQ(db_->getwordPos_sortABC("chr", whole, 1), 5);
  EXPECT_EQ(db_->getwordPos_sortABC("d", whole, 1), 6);
  EXPECT_EQ(db_->getwordPos_sortABC("a", whole, 1), 0);

  plan("China", now());
  plan("march", now());
  plan("apple", now());
  const Words unplanned = {"ability", "book",  "cafe",  "Christmas", "English",
                           "good",    "happy", "March", "Monday",    "run"};
  EXPECT_EQ(wholeList(noneWords, 10), unplanned);
  EXPECT_EQ(db_->getwordPos_sortABC("march", whole, 2), 7);
  EXPECT_EQ(db_->getwordPos_sortABC("monday", whole, 2), 8);
  EXPECT_EQ(db_->getwordPos_sortABC("m", whole, 4), 2);  // apple, China
  EXPECT_EQ(strings(db_->GetStudyWords(0, 40, true)), (Words{"apple", "China", "march"}))
      << "planned at one time, they go A-Z too";
  db_->UpdatePersonalValue("StudyLimitCount", "7");  // 3 planned today: 4 to pick
  EXPECT_EQ(strings(db_->getOrderWords()), (Words{"ability", "book", "cafe", "Christmas"}))
      << "the automatic pick takes the first unplanned words of the same list";

  // A book's lists loaded whole, and the jump within them.
  placeInBook(301, {{"march", 1}, {"Christmas", 2}, {"apple", 3}, {"China", 4}, {"March", 5}});
  EXPECT_EQ(firstColumn(db_->getWordsFromBook(301, true)),
            (Words{"apple", "China", "Christmas", "March", "march"}));
  EXPECT_EQ(strings(db_->GetNoneWords(301, true)), (Words{"Christmas", "March"}));
  EXPECT_EQ(db_->getwordPos_sortABC("christmas", 301, 1), 2);
  EXPECT_EQ(db_->getwordPos_sortABC("march", 301, 2), 1);
  EXPECT_EQ(db_->getwordPos_sortABC("march", 301, 4), 2);  // apple, China
  EXPECT_EQ(db_->getwordPos_sortBook("christmas", 301, 1), 1) << "book order finds it too";
}

TEST_F(BookListsTest, TheDaysNewWordQuota) {
  Words words = addWords("n", 40, 1000);
  db_->UpdatePersonalValue_isNeed("StudyLimitCount", "20");
  for (int i = 0; i < 5; ++i) plan(words[i], daysFromNow(-1));  // never answered
  for (int i = 5; i < 13; ++i) {                                // first answered today
    plan(words[i], daysFromNow(-1));
    setRecord(words[i], now() - 100, daysFromNow(1), 3);
  }
  plan(words[13], daysFromNow(-2));
  setRecord(words[13], daysFromNow(-1), daysFromNow(1), 2);  // first answered yesterday
  plan(words[14], daysFromNow(-3));
  setRecord(words[14], now() - 50, daysFromNow(1), 2, 3);  // answered before
  EXPECT_EQ(db_->getTodayLearnNum(), 13);
  EXPECT_EQ(db_->getNeedLearnNum(), 7);

  Value picked = db_->getOrderWords();
  EXPECT_EQ(strings(picked), (Words{"apple", "book", "cafe", "good", "happy", "n015", "n016"}));
  std::set<std::string> random;
  for (const auto& w : strings(db_->getRandomWords())) {
    EXPECT_TRUE(db_->IsWordStudy(w).size() == 0) << w;
    random.insert(w);
  }
  EXPECT_EQ(random.size(), 7u);

  for (int i = 15; i < 32; ++i) plan(words[i], now());
  EXPECT_EQ(db_->getNeedLearnNum(), 0);
  db_->UpdatePersonalValue_isNeed("StudyLimitCount", "");
  EXPECT_EQ(db_->getNeedLearnNum(), 0);
  db_->UpdatePersonalValue_isNeed("StudyLimitCount", "-99999999999");
  EXPECT_EQ(db_->getNeedLearnNum(), 0);
  EXPECT_VALUE(db_->getOrderWords(), Value::array());
  EXPECT_VALUE(db_->getRandomWords(), Value::array());
}

TEST_F(BookListsTest, WordsDueOnComingDays) {
  plan("apple", now());
  plan("book", now());
  plan("run", now());
  setRecord("apple", now(), daysFromNow(1), 2);                       // tomorrow 10:00
  setRecord("book", now(), daysFromNow(1) + 16 * 3600 + 59 * 60, 2);  // the day after, 02:59
  setRecord("run", now(), daysFromNow(2) + 17 * 3600, 2);             // the day after at 03:00
  EXPECT_EQ(db_->GetNeedTestNum(0), 0);
  EXPECT_EQ(db_->GetNeedTestNum(1), 2);
  EXPECT_EQ(db_->GetNeedTestNum(2), 0);
  EXPECT_EQ(db_->GetNeedTestNum(3), 1);
}

TEST_F(BookListsTest, LoaderThreadsNeverSeeAnotherThreadsUnfinishedPlan) {
  Words words = addWords("t", 200, 1000, 401);
  std::atomic<bool> reading{false};
  std::atomic<bool> done{false};
  std::vector<size_t> seen;
  std::thread loader([&] {
    // The last read starts after the last plan was committed: one that started before may
    // rightly see the plans before it.
    for (bool last = false; !last;) {
      last = done;
      reading = true;
      Value rows = db_->getWordsFromBook(401, false);
      size_t planned = 0;
      for (size_t i = 0; i < rows.size(); ++i) planned += rows.at(i).at(1).asInt() > 0;
      seen.push_back(planned);
      if (rows.size() != 200u) seen.push_back(999);
    }
  });
  while (!reading) std::this_thread::yield();
  // Plans of 20 words each, one rolled back: a reader may see only whole committed plans.
  for (int unit = 0; unit < 5; ++unit) {
    db_->sqlMgr().beginTransaction();
    for (int i = 0; i < 20; ++i) plan(words[unit * 20 + i], now());
    if (unit == 2)
      db_->sqlMgr().rollbackTransaction();
    else
      db_->sqlMgr().commitTransaction();
    std::this_thread::yield();
  }
  done = true;
  loader.join();
  ASSERT_FALSE(seen.empty());
  for (size_t planned : seen) EXPECT_TRUE(planned % 20 == 0 && planned <= 80) << planned;
  EXPECT_EQ(seen.back(), 80u);
}

}  // namespace
