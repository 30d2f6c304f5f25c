// The study store over the learn.db that the build placed in the bundle, in a fresh app home for
// each test, with a virtual clock in UTC+8.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/base/Clock.h"
#include "store/CallDB.h"
#include "tests/support/TempHome.h"

namespace toolstest {

class ShippedStoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A number the store's query gives ("select count(*) ...").
  int64_t number(const std::string& sql);
  // The text of a word's first Chinese meaning, read back from its scrambled form.
  std::string firstMeaning(const std::string& word);
  // The first of a word's rows in `table` (Words_Transform, Words_Synonym, Words_Meaning_En ...),
  // its scrambled `column` read back; "" where it has none.
  static std::string firstRow(const std::string& table, const std::string& column,
                              const std::string& word);
  // All its Chinese meanings in the card's order, joined by " | ".
  std::string meanings(const std::string& word);
  // The ids of the books that hold the word.
  std::vector<int64_t> booksOf(const std::string& word);
  // The words extraction gives for a text that the learner has not learnt, in their order.
  static std::vector<std::string> extract(const std::string& text);
  static bool holds(const std::vector<std::string>& words, const std::string& word);

  std::unique_ptr<testsupport::TempHome> home_;
  std::shared_ptr<plat::VirtualClock> clock_;
};

}  // namespace toolstest
