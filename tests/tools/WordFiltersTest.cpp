// What keeps a word out of a book, and how an exam list is shared out into books.
#include <gtest/gtest.h>

#include <map>

#include "platform/base/Files.h"
#include "tests/support/FixtureWords.h"
#include "tests/support/TempHome.h"
#include "tools/TsvFile.h"
#include "tools/library/EnglishChinese.h"
#include "tools/library/ExamBooks.h"
#include "tools/library/WordFilters.h"

namespace toolstest {
namespace {

TEST(WordFilters, SpellingVariantsPairBritishAndAmericanEndings) {
  auto has = [](const std::string& word, const std::string& other) {
    std::vector<std::string> found = tools::spellingVariants(word);
    return std::find(found.begin(), found.end(), other) != found.end();
  };
  for (const auto& [british, american] :
       std::map<std::string, std::string>{{"colour", "color"},
                                          {"centre", "center"},
                                          {"programme", "program"},
                                          {"realise", "realize"},
                                          {"analyse", "analyze"},
                                          {"catalogue", "catalog"},
                                          {"defence", "defense"},
                                          {"travelled", "traveled"},
                                          {"grey", "gray"},
                                          {"favourite", "favorite"},
                                          {"neighbourhood", "neighborhood"},
                                          {"colourful", "colorful"},
                                          {"counsellor", "counselor"},
                                          {"aluminium", "aluminum"}}) {
    EXPECT_TRUE(has(british, american)) << british;
    EXPECT_TRUE(has(american, british)) << american;
  }
  EXPECT_TRUE(has("anaemia", "anemia"));
  // Too short to carry an ending of the other side.
  EXPECT_TRUE(tools::spellingVariants("or").empty());
  EXPECT_FALSE(has("four", "for"));
  EXPECT_FALSE(has("for", "four"));
}

TEST(WordFilters, DoublesStandOnceWhereverTheyStand) {
  const std::map<std::string, std::vector<std::string>> forms = {
      {"egg", {"eggs"}}, {"big", {"bigger", "biggest"}}, {"word", {"words"}}};
  const std::map<std::string, std::vector<std::string>> spellings = {
      {"colour", {"color"}}, {"color", {"colour"}}};
  auto lookup = [](const std::map<std::string, std::vector<std::string>>& table) {
    return [&table](const std::string& w) {
      auto it = table.find(w);
      return it == table.end() ? std::vector<std::string>{} : it->second;
    };
  };
  // The plural goes whether it stands before its base or after it; of two spellings the first.
  EXPECT_EQ(tools::withoutDoubles({"eggs", "colour", "big", "egg", "bigger", "color", "words"},
                                  lookup(forms), lookup(spellings)),
            (std::vector<std::string>{"colour", "big", "egg", "words"}));
}

TEST(WordFilters, ADictionaryLineInCapitalsIsTheLowerCaseWordsWhereItsSenseIsOne) {
  EXPECT_TRUE(tools::isTheLowerCaseWordsLine("北方", {"n. 北方；北部", "adj. 北方的；北部的"}));
  EXPECT_TRUE(tools::isTheLowerCaseWordsLine("上帝", {"n. 上帝；神"}));
  // "China" 中国 beside "china" 瓷器, "Pole" 波兰人 beside "pole" 杆: other words. A sense is
  // matched whole ("北" is not "北方").
  EXPECT_FALSE(tools::isTheLowerCaseWordsLine("中国", {"n. 瓷器；瓷"}));
  EXPECT_FALSE(tools::isTheLowerCaseWordsLine("波兰人", {"n. 杆；柱；极；磁极"}));
  EXPECT_FALSE(tools::isTheLowerCaseWordsLine("北", {"n. 北方；北部"}));
  EXPECT_FALSE(tools::isTheLowerCaseWordsLine("", {"n. 北方"}));
}

// The subtitles count "haven" 18,844 times, nearly all of them in "haven't".
TEST(WordFilters, ThePieceBeforeNotIsTheContractions) {
  for (const char* piece : {"haven", "didn", "don", "wasn", "couldn", "mustn"})
    EXPECT_TRUE(tools::isPieceBeforeNot(piece)) << piece;
  // "won" is win's past as often as will's "won't", and "can't" keeps the whole verb.
  for (const char* word : {"heaven", "won", "can", "open", "n", ""})
    EXPECT_FALSE(tools::isPieceBeforeNot(word)) << word;
}

TEST(ExamBooks, AListIsSharedOutEvenlyAndNamedByPosition) {
  std::vector<std::string> words;
  for (int i = 0; i < 1603; ++i) words.push_back("w" + std::to_string(i));
  const tools::ExamClass exam{5, "中考词汇", "zk", 501, 500};
  std::vector<tools::WordBook> books = tools::splitIntoBooks(exam, words);
  ASSERT_EQ(books.size(), 4u);
  EXPECT_EQ(books[0].name, "中考词汇 1-401");
  EXPECT_EQ(books[3].name, "中考词汇 1204-1603");
  EXPECT_EQ(books[3].id, 504);
  EXPECT_EQ(books[3].words.back(), "w1602");
  size_t total = 0;
  for (const tools::WordBook& b : books) {
    EXPECT_EQ(b.classId, 5);
    EXPECT_GE(b.words.size(), 400u);
    total += b.words.size();
  }
  EXPECT_EQ(total, words.size());
  EXPECT_TRUE(tools::splitIntoBooks(exam, {}).empty());

  const std::string folder = testsupport::makeTempDir("vocab-exams");
  testsupport::writeTextFile(folder + "/exam_books.tsv", "5\t中考词汇\tzk\t501\t0\n");
  EXPECT_THROW(tools::readExamClasses(folder + "/exam_books.tsv"), tools::BuildError);
  plat::files::remove(folder);
}

TEST(EnglishChinese, WholeLinesExamListsAndNotedForms) {
  const std::vector<tools::TranslatedPart> parts = tools::translatedParts(
      "n. 运气, 签, 抽签, 份额, 许多, 一堆\\nvt. 划分", tools::kNoSenseLimit);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0].senses.size(), 6u);  // the whole line, not its first three terms
  EXPECT_EQ(tools::formNoted("n. 言语；话语；字（word的复数）"), "word");
  EXPECT_EQ(tools::formNoted("a. 更大的（big的比较级）\\nad. 更"), "big");
  EXPECT_EQ(tools::formNoted("n. 衣服"), "");
  EXPECT_EQ(tools::formNoted("n. 衣服\\nn. (cloth的复数)"), "");  // only the first line

  const std::string folder = testsupport::makeTempDir("vocab-ecdict");
  testsupport::writeTextFile(folder + "/ecdict.txt",
                             "lot\tlɒt\tn. 许多\t374\t238\tzk gk gre\textra\n"
                             "Monday\t'mʌndi\tn. 星期一\t1679\t0\t\n");
  auto words = tools::loadEnglishChinese(folder + "/ecdict.txt", tools::kNoSenseLimit);
  EXPECT_EQ(words.at("lot").exams, (std::vector<std::string>{"zk", "gk", "gre"}));
  EXPECT_TRUE(words.at("Monday").exams.empty());
  EXPECT_EQ(words.at("Monday").corpusRank, 1679);
  testsupport::writeTextFile(folder + "/ecdict.txt", "lot\tlɒt\tn. 许多\t374\n");
  EXPECT_THROW(tools::loadEnglishChinese(folder + "/ecdict.txt", 3), tools::BuildError);
  plat::files::remove(folder);
}

}  // namespace
}  // namespace toolstest
