#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "app/Reminders.h"
#include "platform/base/Bundle.h"
#include "platform/base/Calendar.h"
#include "platform/base/Random.h"
#include "platform/view/Application.h"
#include "store/WordText.h"
#include "tests/store/StudyFixture.h"
#include "tests/support/FixtureWords.h"
#include "tests/support/VirtualTime.h"

namespace {

using plat::LocalNotification;
using plat::Value;

// Fire dates are local wall-clock times read as GMT; this is the fire date of one.
double wallClock(int month, int day, int hour, int minute) {
  return testsupport::wallClockTime(2023, month, day, hour, minute, 0, 0);
}

int64_t minuteOfDay(const LocalNotification& n) {
  const plat::DateTime t = plat::calendar::breakDown(n.fireDate, 0);
  return t.hour * 60 + t.minute;
}

class RemindersTest : public storetest::StudyTest {
 protected:
  void SetUp() override {
    StudyTest::SetUp();
    testsupport::writeTextFile(
        storetest::fixtureBundle() + "/InfoPlist.strings",
        "\"appdelegate_eg1\" = \"%i words to review\";\n\"打开\" = \"Go\";\n");
    plat::Bundle::setMainPath(storetest::fixtureBundle());
    plat::Application::shared().reset();
  }
  void TearDown() override {
    plat::Application::shared().reset();
    StudyTest::TearDown();
  }

  static std::vector<LocalNotification> scheduled() {
    return plat::Application::shared().scheduledLocalNotifications();
  }
  // A tested word that falls due at the given stored time.
  void testedDue(const std::string& word, int64_t due) {
    plan(word, daysFromNow(-10));
    setRecord(word, daysFromNow(-5), due, 2);
  }
  void stubborn(const std::string& word) {
    plan(word, daysFromNow(-10));
    setRecord(word, daysFromNow(-1), daysFromNow(1), 4, 4, 4);
  }
  void reviewReminderAt(const std::string& time) {
    db_->UpdatePersonalValue_isNeed("alarm_setting", "1");
    db_->UpdatePersonalValue_isNeed("time_setting", time);
  }
  void stubbornRemindersOn(const std::string& from = "", const std::string& to = "") {
    db_->UpdatePersonalValue_isNeed("forgetword_remind", "1");
    db_->UpdatePersonalValue("account", "learner");
    db_->UpdatePersonalValue_isNeed("remind_time1", from);
    db_->UpdatePersonalValue_isNeed("remind_time2", to);
  }
  Value records() {
    return rows("select rw_uWordID, rw_uRunTime from remind_words order by rw_uRunTime", "NN");
  }
};

// ---- Review reminders

TEST_F(RemindersTest, ReviewReminderStartsWithTheNextReminderTimeOfTheStudyDay) {
  testedDue("apple", daysFromNow(-1));  // overdue: due on every candidate day

  reviewReminderAt("09:30");
  setLocalTime(2023, 11, 15, 10, 0);  // today's 09:30 has passed
  Reminders::postLocalNotification();
  std::vector<LocalNotification> all = scheduled();
  ASSERT_EQ(all.size(), 14u);  // 15 candidates, today's passed
  EXPECT_EQ(all.front().fireDate, wallClock(11, 16, 9, 30));
  EXPECT_EQ(all.back().fireDate, wallClock(11, 29, 9, 30));
  EXPECT_EQ(all.front().timeZoneName, "GMT");
  EXPECT_EQ(all.front().alertBody, "1 words to review");
  EXPECT_EQ(all.front().alertAction, "Go");
  EXPECT_FALSE(all.front().soundName.empty());

  // At 02:00 it is still the study day of the 15th, whose 09:30 has passed; at 08:00 today's
  // reminder is still to come.
  for (auto [hour, count, firstDay] : {std::tuple{26, 14u, 16}, std::tuple{8, 15u, 15}}) {
    plat::Application::shared().cancelAllLocalNotifications();
    setLocalTime(2023, 11, 15 + hour / 24, hour % 24, 0);
    Reminders::postLocalNotification();
    all = scheduled();
    ASSERT_EQ(all.size(), count) << hour;
    EXPECT_EQ(all.front().fireDate, wallClock(11, firstDay, 9, 30)) << hour;
  }
}

TEST_F(RemindersTest, ReviewReminderNamesTheTestedWordsDueByTheEndOfEachDay) {
  setLocalTime(2023, 11, 15, 10, 0);
  plan("happy", daysFromNow(-1));  // planned but never tested: never counts
  // Due at 12:00 on the 18th and at 02:00 on the 21st (the study day of the 20th).
  testedDue("apple", now() + 3 * 86400 + 2 * 3600);
  testedDue("book", now() + 5 * 86400 + 16 * 3600);
  testedDue("run", now() + 20 * 86400);  // past the 15 days
  reviewReminderAt("20:15");

  Reminders::postLocalNotification();
  const std::vector<LocalNotification> all = scheduled();
  ASSERT_EQ(all.size(), 12u);  // the 18th to the 29th
  EXPECT_EQ(all[0].fireDate, wallClock(11, 18, 20, 15));
  EXPECT_EQ(all[0].alertBody, "1 words to review");
  EXPECT_EQ(all[1].alertBody, "1 words to review");
  EXPECT_EQ(all[2].fireDate, wallClock(11, 20, 20, 15));
  EXPECT_EQ(all[2].alertBody, "2 words to review");
  EXPECT_EQ(all.back().fireDate, wallClock(11, 29, 20, 15));
  EXPECT_EQ(all.back().alertBody, "2 words to review");
}

TEST_F(RemindersTest, ReviewReminderNeedsItsSwitchAndTime) {
  testedDue("apple", daysFromNow(-1));
  db_->UpdatePersonalValue_isNeed("alarm_setting", "0");
  db_->UpdatePersonalValue_isNeed("time_setting", "09:30");
  Reminders::postLocalNotification();
  reviewReminderAt("");
  Reminders::postLocalNotification();
  EXPECT_TRUE(scheduled().empty());

  plan("good", daysFromNow(-1));
  reviewReminderAt("7:5");  // read as 07:05
  setLocalTime(2023, 11, 15, 6, 0);
  Reminders::postLocalNotification();
  ASSERT_FALSE(scheduled().empty());
  EXPECT_EQ(scheduled().front().fireDate, wallClock(11, 15, 7, 5));
}

// ---- Stubborn-word reminders

TEST_F(RemindersTest, StubbornWordTextsNameTheDisplayFormAndEveryMeaning) {
  stubborn("cafe");
  stubborn("book");
  stubborn("run");
  plan("apple", daysFromNow(-1));
  setRecord("apple", daysFromNow(-1), daysFromNow(1), 4, 4, 3);  // not three times in a row
  db_->sql_insert(
      "insert into Words_Meaning_Ch (wmc_uMeaingID, f_wl_uWordID, wmc_tData) "
      "values (900, 4, ?)",
      "s", Value::array({WordText::scramble("n. 奔跑\\nv. 运行", 4)}));
  db_->setWordID(2);

  Value rows = db_->GetRandomForgetWordInfo();
  ASSERT_EQ(rows.size(), 3u);
  std::map<int64_t, std::string> texts;
  for (size_t i = 0; i < rows.size(); ++i)
    texts[rows.at(i).at(0).asInt()] = rows.at(i).at(1).asString();
  EXPECT_EQ(texts[3], "[顽固词]café\nn. 咖啡馆\n");
  EXPECT_EQ(texts[2], "[顽固词]book\nn. 书；本子\nv. 预订\n");
  EXPECT_EQ(texts[4], "[顽固词]run\nv. 跑\nn. 奔跑\nv. 运行\n");
  EXPECT_EQ(db_->wordID(), 2);  // the card's word keeps its key
}

TEST_F(RemindersTest, ThreeStubbornWordsANightTheFourthWaitsForItsTurn) {
  for (const char* word : {"apple", "book", "cafe", "run"}) stubborn(word);
  stubbornRemindersOn();  // default window 08:00 to 21:00
  setLocalTime(2023, 11, 15, 22, 30);

  Reminders::forgetWord_Remind();
  std::vector<LocalNotification> all = scheduled();
  ASSERT_EQ(all.size(), 3u);
  // The window opens at 08:00 tomorrow; the first comes one to two hours after it.
  EXPECT_GE(all[0].fireDate, wallClock(11, 16, 9, 0));
  EXPECT_LT(all[0].fireDate, wallClock(11, 16, 10, 0));
  for (size_t i = 1; i < all.size(); ++i) {
    EXPECT_GE(all[i].fireDate - all[i - 1].fireDate, 3600.0);
    EXPECT_LT(all[i].fireDate - all[i - 1].fireDate, 7200.0);
  }
  EXPECT_EQ(all[0].alertBody.rfind("[顽固词]", 0), 0u);
  const Value recorded = records();
  ASSERT_EQ(recorded.size(), 3u);
  EXPECT_EQ(recorded.at(0).at(1).asInt(),
            static_cast<int64_t>(all[0].fireDate - plat::kReferenceDateOffset));

  // The fourth word is the only one left without a record.
  plat::Application::shared().cancelAllLocalNotifications();
  Reminders::forgetWord_Remind();
  ASSERT_EQ(scheduled().size(), 1u);
  EXPECT_EQ(records().size(), 4u);
}

TEST_F(RemindersTest, ClearingKeepsOnlyTheRemindersThatFiredToday) {
  setLocalTime(2023, 11, 16, 12, 0);
  const int64_t noon = now();
  db_->insertRemindWord(1, noon - 3600);       // fired this morning
  db_->insertRemindWord(2, noon + 3600);       // still pending
  db_->insertRemindWord(3, noon - 13 * 3600);  // fired yesterday
  db_->insertRemindWord(4, noon);              // due this very second
  db_->clearRemindWords();
  EXPECT_VALUE(records(), Value::array({Value::array({1, static_cast<long long>(noon - 3600)})}));

  setLocalTime(2023, 11, 17, 0, 30);  // the next calendar day, though still the same study day
  db_->clearRemindWords();
  EXPECT_EQ(records().size(), 0u);
}

TEST_F(RemindersTest, StubbornRemindersStayInsideTheWindow) {
  for (const char* word : {"apple", "book", "cafe"}) stubborn(word);
  auto firesFor = [&](const std::string& from, const std::string& to, int hour, int minute) {
    db_->sql_delete("delete from remind_words", "", Value::array());
    plat::Application::shared().cancelAllLocalNotifications();
    stubbornRemindersOn(from, to);
    setLocalTime(2023, 11, 15, hour, minute);
    Reminders::forgetWord_Remind();
    return scheduled();
  };

  // Resigning at 20:50: the first falls after 21:00 and moves on by the 11 quiet hours.
  std::vector<LocalNotification> all = firesFor("08:00", "21:00", 20, 50);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_GE(all[0].fireDate, wallClock(11, 16, 8, 50));
  EXPECT_LT(all[0].fireDate, wallClock(11, 16, 9, 50));

  // Over midnight, resigning at noon: the window opens at 22:00.
  all = firesFor("22:00", "06:00", 12, 0);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_GE(all[0].fireDate, wallClock(11, 15, 23, 0));
  EXPECT_LT(all[0].fireDate, wallClock(11, 16, 0, 0));

  // No quiet time: every one to two hours from now.
  all = firesFor("10:00", "10:00", 3, 0);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_GE(all[0].fireDate, wallClock(11, 15, 4, 0));
  EXPECT_LT(all[2].fireDate, wallClock(11, 15, 9, 0));

  // A window shorter than the spacing: every reminder still lands inside it.
  for (unsigned seed = 1; seed <= 20; ++seed) {
    plat::seedRand(seed);
    for (const LocalNotification& n : firesFor("08:00", "09:00", 7, 0)) {
      EXPECT_GE(minuteOfDay(n), 8 * 60) << seed;
      EXPECT_LE(minuteOfDay(n), 9 * 60) << seed;
    }
  }
}

// The window's bounds are minutes: all of 08:00 and of 21:00 lies inside 08:00 to 21:00. The same
// draws make the same steps, so the first reminders of two times differ as the times do.
TEST_F(RemindersTest, TheFirstAndLastMinutesOfTheWindowCountFromNow) {
  stubborn("apple");
  auto firstFire = [&](int hour, int minute, int second) {
    db_->sql_delete("delete from remind_words", "", Value::array());
    plat::Application::shared().cancelAllLocalNotifications();
    stubbornRemindersOn("08:00", "21:00");
    setLocalTime(2023, 11, 15, hour, minute, second);
    plat::seedRand(5);
    Reminders::forgetWord_Remind();
    return scheduled().empty() ? 0.0 : scheduled().front().fireDate;
  };
  // 07:59:30 waits for 08:00; 08:00:30 is inside and counts from itself.
  EXPECT_EQ(firstFire(8, 0, 30) - firstFire(7, 59, 30), 30.0);
  // 20:59:30 and 21:00:30 both count from themselves (their reminders move on by the quiet hours).
  EXPECT_EQ(firstFire(21, 0, 30) - firstFire(20, 59, 30), 60.0);
}

TEST_F(RemindersTest, StubbornRemindersNeedTheSwitchAndAnAccount) {
  stubborn("apple");
  stubbornRemindersOn();
  db_->UpdatePersonalValue("account", "");
  Reminders::forgetWord_Remind();
  db_->UpdatePersonalValue("account", "learner");
  db_->UpdatePersonalValue_isNeed("forgetword_remind", "0");
  Reminders::forgetWord_Remind();
  EXPECT_TRUE(scheduled().empty());
  EXPECT_EQ(records().size(), 0u);
}

TEST_F(RemindersTest, AStoreThatCannotAnswerSchedulesNothingAndRaisesNothing) {
  stubborn("apple");
  stubbornRemindersOn();
  db_->sqlMgr().RecordExec("drop table remind_words");
  EXPECT_NO_THROW(Reminders::forgetWord_Remind());
  EXPECT_TRUE(scheduled().empty());
}

}  // namespace
