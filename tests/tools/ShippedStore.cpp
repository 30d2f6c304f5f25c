#include "tests/tools/ShippedStore.h"

#include <algorithm>

#include "extract/ExtractWord.h"
#include "store/WordText.h"

namespace toolstest {

using plat::Value;

void ShippedStoreTest::SetUp() {
  home_ = std::make_unique<testsupport::TempHome>();
  clock_ = std::make_shared<plat::VirtualClock>(1700013600.0);  // 2023-11-15 10:00 in UTC+8
  clock_->setZone(plat::TimeZone::fixed(8 * 3600));
  plat::Clock::install(clock_);
}

void ShippedStoreTest::TearDown() {
  CallDB::Release_CallDB();
  plat::Clock::install(nullptr);
  home_.reset();
}

int64_t ShippedStoreTest::number(const std::string& sql) {
  return CallDB::callDB()->sql_select(sql, "N", "", Value()).at(0).asInt();
}

std::string ShippedStoreTest::firstMeaning(const std::string& word) {
  Value rows = CallDB::callDB()->sql_select(
      "select wmc.wmc_tData, wl.wl_uWordID from Words_Meaning_Ch as wmc, Words_Library as wl "
      "where wmc.f_wl_uWordID = wl.wl_uWordID and wl.wl_tWord = ? order by wmc.wmc_uMeaingID "
      "limit 1",
      "sN", "s", Value::array({word}));
  if (rows.size() == 0) return "";
  return WordText::rekey(rows.at(0).at(0).asString(), static_cast<int>(rows.at(0).at(1).asInt()));
}

std::string ShippedStoreTest::firstRow(const std::string& table, const std::string& column,
                                       const std::string& word) {
  const Value rows = CallDB::callDB()->sql_select(
      "select t." + column + ", wl.wl_uWordID from " + table +
          " as t, Words_Library as wl where t.f_wl_uWordID = wl.wl_uWordID and wl.wl_tWord = ?",
      "sN", "s", Value::array({word}));
  if (rows.size() == 0) return "";
  return WordText::rekey(rows.at(0).at(0).asString(), static_cast<int>(rows.at(0).at(1).asInt()));
}

std::string ShippedStoreTest::meanings(const std::string& word) {
  Value rows = CallDB::callDB()->sql_select(
      "select wmc.wmc_tData, wl.wl_uWordID from Words_Meaning_Ch as wmc, Words_Library as wl "
      "where wmc.f_wl_uWordID = wl.wl_uWordID and wl.wl_tWord = ? order by wmc.wmc_uMeaingID",
      "sN", "s", Value::array({word}));
  std::string text;
  for (size_t i = 0; i < rows.size(); ++i)
    text += (i ? " | " : "") + WordText::rekey(rows.at(i).at(0).asString(),
                                               static_cast<int>(rows.at(i).at(1).asInt()));
  return text;
}

std::vector<int64_t> ShippedStoreTest::booksOf(const std::string& word) {
  Value rows = CallDB::callDB()->sql_select(
      "select bw.f_b_uId from book_words as bw, Words_Library as wl where bw.f_wl_uId = "
      "wl.wl_uWordID and wl.wl_tWord = ? order by bw.f_b_uId",
      "N", "s", Value::array({word}));
  std::vector<int64_t> books;
  for (size_t i = 0; i < rows.size(); ++i) books.push_back(rows.at(i).asInt());
  return books;
}

std::vector<std::string> ShippedStoreTest::extract(const std::string& text) {
  Value words = Value::array(), learned = Value::array(), none = Value::array();
  ExtractWord().extractWord(text, words, learned, none);
  std::vector<std::string> found;
  for (size_t i = 0; i < words.size(); ++i) found.push_back(words.at(i).asString());
  return found;
}

bool ShippedStoreTest::holds(const std::vector<std::string>& words, const std::string& word) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

}  // namespace toolstest
