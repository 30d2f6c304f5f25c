// Fixture of the study-record tests: the store fixture with the store open, and helpers that put
// words, books and study records straight into the database, so that each test states its data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/Value.h"
#include "store/CallDB.h"
#include "tests/store/StoreFixture.h"

// Compares two values and shows both readably when they differ.
#define EXPECT_VALUE(actual, expected) \
  EXPECT_PRED_FORMAT2(::storetest::valuesEqual, actual, expected)

namespace storetest {

::testing::AssertionResult valuesEqual(const char* actualText, const char* expectedText,
                                       const plat::Value& actual, const plat::Value& expected);

class StudyTest : public StoreTest {
 protected:
  void SetUp() override;

  // Adds `count` headwords "<prefix>000", "<prefix>001", ... with ids from `firstId`; with a book
  // id they also become that book's words, placed from `firstPlace` on in the same order.
  std::vector<std::string> addWords(const std::string& prefix, int count, int firstId,
                                    int bookId = 0, int firstPlace = 1);
  // The stored time of now, and of now moved by whole days.
  int64_t now() const;
  int64_t daysFromNow(double days) const { return now() + static_cast<int64_t>(days * 86400); }
  // Plans a word at `addTime`, then sets its record as answered: last test, next study, grades.
  void plan(const std::string& word, int64_t addTime);
  void setRecord(const std::string& word, int64_t lastTest, int64_t nextStudy, int g1, int g2 = 0,
                 int g3 = 0);
  // New words planned three days ago, answered two days ago and due `dueInDays` from now.
  std::vector<std::string> studied(const std::string& prefix, int count, int firstId,
                                   double dueInDays);
  // [value, sync flag] of a personal value, or an empty array.
  plat::Value setting(const std::string& key);
  // One integer or text from an unbound query.
  int64_t number(const std::string& sql);
  plat::Value rows(const std::string& sql, const std::string& retType);
  static std::vector<std::string> strings(const plat::Value& flat);

  CallDB* db_ = nullptr;
};

}  // namespace storetest
