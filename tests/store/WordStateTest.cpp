#include "store/MyDate.h"
#include "tests/store/StudyFixture.h"

namespace {

using plat::Value;
using Words = std::vector<std::string>;

constexpr int64_t kDay = 86400;

class WordStateTest : public storetest::StudyTest {
 protected:
  void dueToday(const std::string& prefix, int count, int firstId) {
    studied(prefix, count, firstId, -60.0 / kDay);
  }
};

TEST_F(WordStateTest, UpdateCheckEveryThreeCalendarDays) {
  EXPECT_TRUE(db_->isCheckUpdate_Program());
  db_->saveCheckUpdateTime();
  EXPECT_VALUE(setting("CheckUpdateTime"),
               Value::array({Value::array({std::to_string(MyDate::calendarDayId()), 1})}));
  EXPECT_FALSE(db_->isCheckUpdate_Program());
  clock_->advance(2 * kDay);
  EXPECT_FALSE(db_->isCheckUpdate_Program());
  setLocalTime(2023, 11, 18, 0, 0);  // three calendar days on, though still the 17th's study day
  EXPECT_TRUE(db_->isCheckUpdate_Program());
}

TEST_F(WordStateTest, BacklogAdviceOncePerStudyDay) {
  db_->UpdatePersonalValue_isNeed("ReviewLimitCount", "100");
  dueToday("d", 100, 1000);
  EXPECT_VALUE(db_->openMaxLearnView(), Value());  // 100 due, 100 a day
  dueToday("e", 1, 2000);
  EXPECT_VALUE(db_->openMaxLearnView(), Value::array({101, 100, 2}));
  EXPECT_VALUE(setting("run_machine"),
               Value::array({Value::array({std::to_string(MyDate::studyDayId()), 0})}));
  EXPECT_VALUE(db_->openMaxLearnView(), Value());
  clock_->advance(kDay);
  EXPECT_VALUE(db_->openMaxLearnView(), Value::array({101, 100, 2}));

  clock_->advance(kDay);
  db_->UpdatePersonalValue_isNeed("ReviewLimitCount", "0");
  EXPECT_VALUE(db_->openMaxLearnView(), Value());
}

TEST_F(WordStateTest, BacklogSimulationCountsTheComingDays) {
  db_->UpdatePersonalValue_isNeed("ReviewLimitCount", "100");
  dueToday("d", 150, 1000);
  EXPECT_VALUE(db_->openMaxLearnView(), Value::array({150, 100, 2}));  // 35 + 50 fits

  // 70 more words fall due tomorrow: 35 + 50 + 70 = 155, then 35 + 55 = 90.
  studied("t", 70, 3000, 1);
  db_->UpdatePersonalValue_isNeed("run_machine", "1");  // as if not advised today yet
  EXPECT_VALUE(db_->openMaxLearnView(), Value::array({150, 100, 3}));

  // It stops after twenty-nine days.
  db_->UpdatePersonalValue_isNeed("ReviewLimitCount", "1");
  db_->UpdatePersonalValue_isNeed("run_machine", "1");
  EXPECT_VALUE(db_->openMaxLearnView(), Value::array({150, 1, 30}));
}

TEST_F(WordStateTest, MemoryLevelsAndTheirPictures) {
  const std::pair<double, int> cases[] = {{2, 4},   {0.1, 1}, {-3, 1},  {4.99, 9},
                                          {5, 10},  {10, 13}, {20, 20}, {30, 25},
                                          {40, 30}, {60, 30}, {1e6, 30}};
  for (const auto& [days, level] : cases)
    EXPECT_EQ(CallDB::forgetLevel(static_cast<int64_t>(days * kDay), true), level) << days;
  EXPECT_EQ(CallDB::forgetLevel(2 * kDay, false), 0);
  EXPECT_EQ(CallDB::forgetLevel(-kDay, false), 0);
  EXPECT_EQ(CallDB::forgetLevel(10 * kDay, false), 13);
  EXPECT_EQ(CallDB::forgetLevel(INT64_MIN, true), 1);
  EXPECT_EQ(CallDB::forgetLevel(INT64_MAX, true), 30);

  // A word's picture: the ring, then its level's mark once it was answered.
  EXPECT_FALSE(db_->getWordForgetState("apple").has_value());
  plan("apple", now());
  auto fresh = db_->getWordForgetState("apple");
  ASSERT_TRUE(fresh.has_value());
  EXPECT_EQ(fresh->level, 0);
  EXPECT_EQ(fresh->images, (Words{"gui/schedule/s_bg.png"}));

  setRecord("apple", now(), daysFromNow(2), 2);
  auto tested = db_->getWordForgetState("apple");
  ASSERT_TRUE(tested.has_value());
  EXPECT_EQ(tested->level, 4);
  EXPECT_EQ(tested->images, (Words{"gui/schedule/s_bg.png", "gui/schedule/04.png"}));
  setRecord("apple", now(), daysFromNow(45), 2);
  EXPECT_EQ(db_->getWordForgetState("apple")->images.back(), "gui/schedule/30.png");
}

TEST_F(WordStateTest, SpecialBookOfExcellentMnemonics) {
  Value all = Value::array({"kept"}), planned = Value::array(), none = Value::array();
  db_->haveSpecialBook(all, planned, none);
  EXPECT_VALUE(all, Value::array({"kept"}));
  EXPECT_VALUE(planned, Value::array());

  db_->updateSpecialMnemonic(Value::array(
      {Value::array({1, 71, "ap + ple", "li", 3}), Value::array({2, 72, "b-oo-k", "wang", 9}),
       Value::array({4, 73, "r-un", "zhao", 5}), Value::array({5, 74, "hap-py", "qian", 7}),
       Value::array({6, 75, "go-od", "sun", 1})}));
  EXPECT_VALUE(
      db_->getSpecialBookList(),
      Value::array({Value::array({2, "book"}), Value::array({5, "happy"}), Value::array({4, "run"}),
                    Value::array({1, "apple"}), Value::array({6, "good"})}));
  plan("run", daysFromNow(-3));
  plan("apple", daysFromNow(-2));
  plan("good", daysFromNow(-4));
  setRecord("good", daysFromNow(-1), daysFromNow(1), 2);  // tested: after the untested ones
  all = Value::array();
  db_->haveSpecialBook(all, planned, none);
  EXPECT_VALUE(all, Value::array({"book", "happy", "run", "apple", "good"}));
  EXPECT_VALUE(none, Value::array({"book", "happy"}));
  EXPECT_VALUE(planned, Value::array({"run", "apple", "good"}));

  EXPECT_VALUE(db_->getSpecialMnemonicInfo("happy"), Value::array({"qian", "hap-py"}));
  EXPECT_EQ(db_->getSpecialMnemonicID("happy"), 74);
  db_->updateSpecialMnemonic(Value::array({Value::array({5, 80, "happy!", "zhou", 10})}));
  EXPECT_VALUE(db_->getSpecialMnemonicInfo("happy"), Value::array({"zhou", "happy!"}));
  EXPECT_EQ(db_->getSpecialMnemonicID("happy"), 80);
  EXPECT_EQ(number("select count(*) from excellent_mnemonic"), 5);
  EXPECT_VALUE(db_->getSpecialMnemonicInfo("cafe"), Value::array());
  EXPECT_EQ(db_->getSpecialMnemonicID("cafe"), 0);
}

}  // namespace
