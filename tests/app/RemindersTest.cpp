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
  // The stubborn-word reminders scheduled afresh at a time of the 15th within a window.
  std::vector<LocalNotification> stubbornFires(const std::string& from, const std::string& to,
                                               int hour, int minute, int second = 0) {
    db_->sql_delete("delete from remind_words", "", Value::array());
    plat::Application::shared().cancelAllLocalNotifications();
    stubbornRemindersOn(from, to);
    setLocalTime(2023, 11, 15, hour, minute, second);
    Reminders::forgetWord_Remind();
    return scheduled();
  }
};

// ---- Review reminders

TEST_F(RemindersTest, ReviewReminderStartsWithTheNextReminderTimeOfTheStudyDay) {
  testedDue("apple", daysFromNow(-1));  // overdue: due on every candidate day
  reviewReminderAt("09:30");
  // At 10:00 today's 09:30 has passed; at 02:00 it is still the study day of the 15th, whose
  // 09:30 has passed; at 08:00 today's reminder is still to come. The last is 14 days on.
  for (auto [hour, count, firstDay] :
       {std::tuple{10, 14u, 16}, std::tuple{26, 14u, 16}, std::tuple{8, 15u, 15}}) {
    SCOPED_TRACE(hour);
    plat::Application::shared().cancelAllLocalNotifications();
    setLocalTime(2023, 11, 15 + hour / 24, hour % 24, 0);
    Reminders::postLocalNotification();
    const std::vector<LocalNotification> all = scheduled();
    ASSERT_EQ(all.size(), count);
    EXPECT_EQ(all.front().fireDate, wallClock(11, firstDay, 9, 30));
    EXPECT_EQ(all.back().fireDate, wallClock(11, 29, 9, 30));
    EXPECT_EQ(all.front().timeZoneName, "GMT");
    EXPECT_EQ(all.front().alertBody, "1 words to review");
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
  EXPECT_EQ(all[1].alertBody, "1 words to review");
  EXPECT_EQ(all[2].fireDate, wallClock(11, 20, 20, 15));
  EXPECT_EQ(all[2].alertBody, "2 words to review");
  EXPECT_EQ(all.back().alertBody, "2 words to review");
}

TEST_F(RemindersTest, NothingIsScheduledWithoutItsSwitchTimeAndAccount) {
  testedDue("apple", daysFromNow(-1));
  stubborn("book");
  db_->UpdatePersonalValue_isNeed("alarm_setting", "0");
  db_->UpdatePersonalValue_isNeed("time_setting", "09:30");
  Reminders::postLocalNotification();
  reviewReminderAt("");
  Reminders::postLocalNotification();
  stubbornRemindersOn();
  db_->UpdatePersonalValue("account", "");
  Reminders::forgetWord_Remind();
  db_->UpdatePersonalValue("account", "learner");
  db_->UpdatePersonalValue_isNeed("forgetword_remind", "0");
  Reminders::forgetWord_Remind();
  EXPECT_TRUE(scheduled().empty());
  EXPECT_EQ(records().size(), 0u);

  reviewReminderAt("7:5");  // read as 07:05
  setLocalTime(2023, 11, 15, 6, 0);
  Reminders::postLocalNotification();
  ASSERT_FALSE(scheduled().empty());
  EXPECT_EQ(scheduled().front().fireDate, wallClock(11, 15, 7, 5));

  // A store that cannot answer schedules nothing and raises nothing.
  plat::Application::shared().cancelAllLocalNotifications();
  db_->UpdatePersonalValue_isNeed("forgetword_remind", "1");
  db_->sqlMgr().RecordExec("drop table remind_words");
  EXPECT_NO_THROW(Reminders::forgetWord_Remind());
  EXPECT_TRUE(scheduled().empty());
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

TEST_F(RemindersTest, ThreeStubbornWordsANightInsideTheWindow) {
  for (const char* word : {"apple", "book", "cafe", "run"}) stubborn(word);
  struct Case {
    const char *from, *to;
    int hour, minute;
    double firstFrom;  // the first fires within the hour after this
    const char* why;
  } cases[] = {
      {"", "", 22, 30, wallClock(11, 16, 9, 0), "the default window opens at 08:00 tomorrow"},
      {"08:00", "21:00", 20, 50, wallClock(11, 16, 8, 50), "after 21:00: moved by the quiet hours"},
      {"22:00", "06:00", 12, 0, wallClock(11, 15, 23, 0), "over midnight: the window opens"},
      {"10:00", "10:00", 3, 0, wallClock(11, 15, 4, 0), "no quiet time: from now"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const std::vector<LocalNotification> all = stubbornFires(c.from, c.to, c.hour, c.minute);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_GE(all[0].fireDate, c.firstFrom);
    EXPECT_LT(all[0].fireDate, c.firstFrom + 3600);
  }
  // One to two hours apart, each recorded at its fire time; the fourth word, the only one left
  // without a record, comes next time.
  const std::vector<LocalNotification> all = stubbornFires("", "", 22, 30);
  ASSERT_EQ(all.size(), 3u);
  for (size_t i = 1; i < all.size(); ++i) {
    EXPECT_GE(all[i].fireDate - all[i - 1].fireDate, 3600.0);
    EXPECT_LT(all[i].fireDate - all[i - 1].fireDate, 7200.0);
  }
  EXPECT_EQ(all[0].alertBody.rfind("[顽固词]", 0), 0u);
  const Value recorded = records();
  ASSERT_EQ(recorded.size(), 3u);
  EXPECT_EQ(recorded.at(0).at(1).asInt(),
            static_cast<int64_t>(all[0].fireDate - plat::kReferenceDateOffset));
  plat::Application::shared().cancelAllLocalNotifications();
  Reminders::forgetWord_Remind();
  ASSERT_EQ(scheduled().size(), 1u);
  EXPECT_EQ(records().size(), 4u);

  // A window shorter than the spacing: every reminder still lands inside it.
  for (unsigned seed = 1; seed <= 20; ++seed) {
    plat::seedRand(seed);
    for (const LocalNotification& n : stubbornFires("08:00", "09:00", 7, 0)) {
      EXPECT_GE(minuteOfDay(n), 8 * 60) << seed;
      EXPECT_LE(minuteOfDay(n), 9 * 60) << seed;
    }
  }
  // The bounds are minutes: all of 08:00 and of 21:00 lies inside. With the same draws, the
  // first reminders of two times differ as the times do: 07:59:30 waits for 08:00, 08:00:30
  // counts from itself, and so do 20:59:30 and 21:00:30 (moved on by the quiet hours).
  auto firstFire = [&](int hour, int minute, int second) {
    plat::seedRand(5);
    return stubbornFires("08:00", "21:00", hour, minute, second).at(0).fireDate;
  };
  EXPECT_EQ(firstFire(8, 0, 30) - firstFire(7, 59, 30), 30.0);
  EXPECT_EQ(firstFire(21, 0, 30) - firstFire(20, 59, 30), 60.0);
}

}  // namespace
