// The word books of the shipped learn.db: exam books beside the frequency books, books a learner
// can trust (no swearing, no names, no doubles), the words every learner expects and their
// everyday meanings.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>

#include "store/CallDB.h"
#include "tests/tools/ShippedStore.h"
#include "tools/TsvFile.h"

namespace toolstest {
namespace {

using plat::Value;

class ShippedWordBooksTest : public ShippedStoreTest {
 protected:
  // The book ids of one class.
  std::set<int64_t> booksOfClass(int64_t classId) {
    Value ids = CallDB::callDB()->getBooksID(static_cast<int>(classId));
    std::set<int64_t> books;
    for (size_t i = 0; i < ids.size(); ++i) books.insert(ids.at(i).asInt());
    return books;
  }
  bool inClass(const std::string& word, int64_t classId) {
    const std::set<int64_t> books = booksOfClass(classId);
    for (int64_t book : booksOf(word))
      if (books.count(book)) return true;
    return false;
  }
};

TEST_F(ShippedWordBooksTest, EachExamHasItsClassOfBooksOrderedByFrequency) {
  // Class, name, a word of its list, and how many words the list brings at the least.
  const struct {
    int64_t classId;
    const char* name;
    const char* word;
    int64_t least;
  } exams[] = {{5, "中考词汇", "Monday", 1550},      {6, "高考词汇", "trousers", 3550},
               {7, "四级词汇", "whereas", 3700},     {8, "六级词汇", "ministry", 5200},
               {9, "考研词汇", "surname", 4650},     {10, "托福词汇", "tutorial", 6600},
               {11, "雅思词汇", "parliament", 4550}, {12, "GRE词汇", "junction", 7150}};
  for (const auto& exam : exams) {
    SCOPED_TRACE(exam.name);
    EXPECT_EQ(CallDB::callDB()->getBookLibData(static_cast<int>(exam.classId)).at(0).asString(),
              exam.name);
    EXPECT_TRUE(inClass(exam.word, exam.classId));
    const std::set<int64_t> books = booksOfClass(exam.classId);
    ASSERT_GE(books.size(), 3u);
    int64_t words = 0;
    for (int64_t book : books) {
      const int64_t count = number("select count(*) from book_words where f_b_uId = " +
                                   std::to_string(book));
      EXPECT_LE(count, 500) << book;
      words += count;
    }
    EXPECT_GE(words, exam.least);
  }
  // In order of frequency: the everyday word in the class's first book, the rarer one later.
  auto holds = [&](const std::string& word, int64_t book) {
    const std::vector<int64_t> books = booksOf(word);
    return std::find(books.begin(), books.end(), book) != books.end();
  };
  EXPECT_TRUE(holds("water", 601));
  EXPECT_FALSE(holds("parliament", 1201));
  EXPECT_TRUE(holds("parliament", 1201) || inClass("parliament", 11));
}

TEST_F(ShippedWordBooksTest, BooksHoldNoExcludedWordNameDoubleOrSecondSpelling) {
  const std::string words = std::string(VOCAB_SOURCE_DIR) + "/resources/words/";
  size_t listed = 0;
  for (const char* list : {"excluded_words.txt", "unfit_words.txt"}) {
    const tools::TsvFile excluded = tools::TsvFile::read(words + list, true);
    listed += excluded.records().size();
    for (const tools::TsvRecord& r : excluded.records())
      EXPECT_EQ(
          number("select count(*) from Words_Library where wl_tWord = '" + r.fields[0] + "'"), 0)
          << r.fields[0];
  }
  EXPECT_GE(listed, 180u);
  // Swearing that WordNet marks, first names and artefacts of folding, whatever they also mean.
  for (const char* word : {"nigger", "jap", "fucker", "faggot", "hooker", "matt", "harry", "jimmy",
                           "bob", "nick", "em", "specie", "takin", "cooky", "pantie", "physic"}) {
    EXPECT_FALSE(inClass(word, 1) || inClass(word, 2) || inClass(word, 3) || inClass(word, 4))
        << word;
  }
  // A plural or comparative stands in no book beside its headword; of a British/American pair
  // one spelling stands in a book, the other shown beside it.
  for (const auto& [form, base] : std::map<std::string, std::string>{
           {"words", "word"}, {"eggs", "egg"}, {"bigger", "big"}, {"color", "colour"},
           {"program", "programme"}, {"center", "centre"}}) {
    for (int64_t book : booksOf(form)) {
      const std::vector<int64_t> others = booksOf(base);
      EXPECT_EQ(std::find(others.begin(), others.end(), book), others.end())
          << form << " and " << base << " in book " << book;
    }
  }
  EXPECT_EQ(CallDB::callDB()->getWord_ShowName("colour"), "colour (color)");
  // Words with their own meaning keep their place: "clothes" beside "cloth", "better".
  for (const char* word : {"clothes", "better", "best", "news", "data"})
    EXPECT_TRUE(inClass(word, 1) || inClass(word, 2)) << word;
}

TEST_F(ShippedWordBooksTest, NoBookTeachesSwearingAHiddenSenseATypoOrAnArtefact) {
  // Swearing and slurs; words whose common sense the dictionary hides (horny 角的, sucker 乳儿,
  // rape 掠夺); the exam lists' misspellings; forms and capitals given a meaning of their own.
  for (const char* word :
       {"shithead", "titty", "porno", "schmuck", "booby", "masturbate", "orgasm", "negro", "horny",
        "sucker", "rape", "reservior", "uptodate", "vitamine", "os", "lied", "States", "sunglass"})
    EXPECT_EQ(booksOf(word), std::vector<int64_t>{}) << word;
  // Their everyday neighbours stay: the verb lie, the state, data, sunglasses, vitamin.
  for (const char* word : {"lie", "state", "data", "sunglasses", "vitamin", "reservoir"})
    EXPECT_FALSE(booksOf(word).empty()) << word;
  // "the United States" still finds its word in a learner's text.
  EXPECT_EQ(number("select count(*) from Words_Library where wl_tWord = 'States'"), 1);
}

TEST_F(ShippedWordBooksTest, ACapitalisedWordNeverTakesItsLowerCaseWordsPlace) {
  // The dictionary writes these everyday words only with a capital: the lower-case word stands
  // in the books, at its rank and with the exam lists of the capital's line.
  for (const char* word : {"north", "conservative", "god", "saint"})
    EXPECT_TRUE(inClass(word, 1) || inClass(word, 2) || inClass(word, 3)) << word;
  EXPECT_TRUE(inClass("north", 5));          // 中考
  EXPECT_TRUE(inClass("conservative", 7));   // 四级
  for (const char* word : {"North", "Conservative", "God", "Saint"})
    EXPECT_EQ(booksOf(word), std::vector<int64_t>{}) << word;
  auto inFrequencyBooks = [&](const char* word) {
    return inClass(word, 1) || inClass(word, 2) || inClass(word, 3);
  };
  EXPECT_FALSE(inFrequencyBooks("minimise") && inFrequencyBooks("minimize"));
  // No book holds a word twice, in two cases or in two spellings of one word.
  const Value rows = CallDB::callDB()->sql_select(
      "select bw.f_b_uId, wl.wl_tWord from book_words as bw, Words_Library as wl "
      "where bw.f_wl_uId = wl.wl_uWordID",
      "Ns", "", Value());
  std::map<int64_t, std::set<std::string>> books;
  for (size_t i = 0; i < rows.size(); ++i)
    books[rows.at(i).at(0).asInt()].insert(rows.at(i).at(1).asString());
  // A word's first sense: "n. 上帝；神" gives 上帝.
  auto firstSense = [&](const std::string& word) {
    const std::string meaning = firstMeaning(word);
    const size_t from = meaning.find(' ') + 1;
    return meaning.substr(from, meaning.find("；", from) - from);
  };
  for (const auto& [book, words] : books) {
    std::map<std::string, std::string> lowered;
    for (const std::string& word : words) {
      std::string lower = word;
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      auto [other, added] = lowered.emplace(lower, word);
      // "May" 五月 and "may" 可以, "China" 中国 and "china" 瓷器 are two words; "God" and
      // "god" are one.
      if (!added) {
        EXPECT_NE(firstSense(word), firstSense(other->second))
            << word << " and " << other->second << " in book " << book;
      }
    }
    for (const auto& [british, american] : std::map<std::string, std::string>{
             {"minimise", "minimize"}, {"organise", "organize"}, {"realise", "realize"},
             {"recognise", "recognize"}, {"colour", "color"}, {"centre", "center"},
             {"theatre", "theater"}, {"analyse", "analyze"}, {"criticise", "criticize"}})
      EXPECT_FALSE(words.count(british) && words.count(american))
          << british << " and " << american << " in book " << book;
  }
}

TEST_F(ShippedWordBooksTest, WordsEveryLearnerExpectsAreThereWithTheirEverydayMeaning) {
  const std::map<std::string, std::string> expected = {
      {"Monday", "n. 星期一"},   {"Tuesday", "n. 星期二"},  {"Wednesday", "n. 星期三"},
      {"Thursday", "n. 星期四"}, {"Friday", "n. 星期五"},   {"Saturday", "n. 星期六"},
      {"Sunday", "n. 星期日"},   {"January", "n. 一月"},    {"March", "n. 三月"},
      {"May", "n. 五月"},        {"August", "n. 八月"},     {"December", "n. 十二月"},
      {"English", "n. 英语"},    {"Chinese", "n. 中文"},    {"French", "n. 法语"},
      {"American", "n. 美国人"}, {"British", "adj. 英国的"}, {"Christmas", "n. 圣诞节"},
      {"Mr", "n. 先生"},         {"Mrs", "n. 太太"},        {"Ms", "n. 女士"},
      {"Dr", "n. 博士"},         {"China", "n. 中国"},      {"ministry", "n. 部"},
      {"parliament", "n. 国会"}, {"agriculture", "n. 农业"}, {"whereas", "conj. 然而"},
      {"surname", "n. 姓"},      {"junction", "n. 连接"},   {"tutorial", "n. 个别指导"},
      {"seed", "n. 种子"},       {"trousers", "n. 裤子"},   {"meeting", "n. 会议"},
      {"boring", "adj. "},       {"interested", "adj. "},   {"lot", "n. 许多"},
      {"mess", "n. 混乱"},       {"miss", "v. 错过；想念"}, {"tense", "adj. 紧张的"},
      {"charge", "n. 费用；收费"}, {"stay", "v. 停留"},     {"despite", "prep. 尽管"},
      {"beyond", "prep. 超出"},  {"ok", "adj. 好的"},       {"march", "v. 行军"}};
  for (const auto& [word, start] : expected)
    EXPECT_EQ(firstMeaning(word).rfind(start, 0), 0u) << word << ": " << meanings(word);
  // "boring" and "interested" are the feelings, not a drill's or a share's.
  EXPECT_NE(meanings("boring").find("无聊"), std::string::npos) << meanings("boring");
  EXPECT_NE(meanings("interested").find("感兴趣"), std::string::npos) << meanings("interested");
  // Whole dictionary lines: "lot" keeps its later senses too.
  EXPECT_NE(meanings("mess").find("弄乱"), std::string::npos);
  // No meaning made up by reverse lookup of a word the English-Chinese dictionary lacks.
  const std::string shown = meanings("ok") + meanings("imaging") + meanings("teen") +
                            meanings("cope") + meanings("corp") + meanings("scotch");
  for (const char* wrong : {"罚金", "异食癖", "比分", "军团", "想象力", "愤怒", "竞争"})
    EXPECT_EQ(shown.find(wrong), std::string::npos) << wrong << " in " << shown;
}

// Our own check, kept from reading book words one by one against a learner's dictionary: words
// of several books whose first meaning a learner must meet first.
TEST_F(ShippedWordBooksTest, HeldOutBookWordsShowTheirEverydayMeaning) {
  const std::map<std::string, std::string> expected = {
      {"antique", "n. 古董"},   {"abrasive", "adj. 粗鲁的"}, {"vase", "n. 花瓶"},
      {"flu", "n. 流感"},       {"borrow", "v. 借"},         {"handkerchief", "n. 手帕"},
      {"sunset", "n. 日落"},    {"goose", "n. 鹅"},          {"hypothesis", "n. 假设"},
      {"whichever", "pron. 无论哪个"}, {"teen", "n. 青少年"}, {"cope", "v. 应付"}};
  for (const auto& [word, start] : expected) {
    EXPECT_EQ(firstMeaning(word).rfind(start, 0), 0u) << word << ": " << meanings(word);
    EXPECT_FALSE(booksOf(word).empty()) << word;
  }
}

TEST_F(ShippedWordBooksTest, ExamListsMeanTheEverydayWordOfACapitalisedAndALowerCasePair) {
  // "august" 威严的 takes neither the month's exam books nor its count of the letters.
  EXPECT_EQ(booksOf("august"), std::vector<int64_t>{}) << meanings("august");
  for (int64_t exam : {5, 6, 11}) EXPECT_TRUE(inClass("August", exam)) << exam;
  // Everyday lower-case words keep their own books beside their months'.
  for (const char* word : {"march", "may", "March", "May"})
    for (int64_t exam : {5, 6}) EXPECT_TRUE(inClass(word, exam)) << word << " " << exam;
  // The dictionary's line "Polish" mixes in the verb: its exam lists are the verb's.
  for (int64_t exam : {6, 7, 11}) {
    EXPECT_TRUE(inClass("polish", exam)) << exam;
    EXPECT_FALSE(inClass("Polish", exam)) << exam;
  }
}

}  // namespace
}  // namespace toolstest
