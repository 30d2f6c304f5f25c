#include "tests/store/StudyFixture.h"

#include <cstdio>

#include "store/MyDate.h"

namespace storetest {

using plat::Value;

::testing::AssertionResult valuesEqual(const char* actualText, const char* expectedText,
                                       const Value& actual, const Value& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << actualText << " is " << actual.debugString() << "\n  expected " << expectedText << " = "
         << expected.debugString();
}

void StudyTest::SetUp() {
  StoreTest::SetUp();
  db_ = CallDB::callDB();
  ASSERT_TRUE(db_->isOpen());
}

std::vector<std::string> StudyTest::addWords(const std::string& prefix, int count, int firstId,
                                             int bookId, int firstPlace) {
  std::vector<std::string> words;
  db_->sqlMgr().beginTransaction();
  for (int i = 0; i < count; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%03d", prefix.c_str(), i);
    words.push_back(name);
    db_->sql_insert("insert into Words_Library (wl_uWordID, wl_tWord) values (?, ?)", "ns",
                    Value::array({firstId + i, name}));
    if (bookId)
      db_->sql_insert("insert into book_words (bw_uId, f_b_uId, f_wl_uId) values (?, ?, ?)", "nnn",
                      Value::array({firstPlace + i, bookId, firstId + i}));
  }
  db_->sqlMgr().commitTransaction();
  return words;
}

int64_t StudyTest::now() const {
  return MyDate::storedTime(MyDate::localDateTime());
}

void StudyTest::plan(const std::string& word, int64_t addTime) {
  db_->InsertStudyWord(word, addTime);
}

void StudyTest::setRecord(const std::string& word, int64_t lastTest, int64_t nextStudy, int g1,
                          int g2, int g3) {
  db_->sql_update(
      "update Study_Log set sl_uLastTestTime = ?, sl_uNextStudyTime = ?, sl_uFeedbackID1 = ?, "
      "sl_uFeedbackID2 = ?, sl_uFeedbackID3 = ? where sl_uWordID = (select wl_uWordID from "
      "Words_Library where wl_tWord = ?)",
      "NNnnns",
      Value::array(
          {static_cast<long long>(lastTest), static_cast<long long>(nextStudy), g1, g2, g3, word}));
}

std::vector<std::string> StudyTest::studied(const std::string& prefix, int count, int firstId,
                                            double dueInDays) {
  std::vector<std::string> words = addWords(prefix, count, firstId);
  db_->sqlMgr().beginTransaction();
  for (const auto& w : words) {
    plan(w, daysFromNow(-3));
    setRecord(w, daysFromNow(-2), daysFromNow(dueInDays), 2);
  }
  db_->sqlMgr().commitTransaction();
  return words;
}

Value StudyTest::setting(const std::string& key) {
  return db_->sql_select("select vc_tValue, vc_uNeedSync from Var_Config where vc_tVarName = ?",
                         "sn", "s", Value::array({key}));
}

int64_t StudyTest::number(const std::string& sql) {
  Value r = db_->sql_select(sql, "N", "", Value::array());
  return r.size() ? r.at(0).asInt() : -1;
}

Value StudyTest::rows(const std::string& sql, const std::string& retType) {
  return db_->sql_select(sql, retType, "", Value::array());
}

std::vector<std::string> StudyTest::strings(const Value& flat) {
  std::vector<std::string> out;
  for (size_t i = 0; i < flat.size(); ++i) out.push_back(flat.at(i).asString());
  return out;
}

}  // namespace storetest
