// The daily refresh at each activation: the study day's first does the day's work, later ones only
// the clean-up and the day logs, and a failing statement leaves nothing of the refresh behind.
#include <gtest/gtest.h>

#include "online/CheckVersion.h"
#include "platform/base/RunLoop.h"
#include "store/MyDate.h"
#include "tests/app/AppFixture.h"
#include "tests/support/Patience.h"

namespace apptest {
namespace {

class DailyRefresh : public AppTest {
 protected:
  int64_t lastReviewDay() {
    return number("select vc_tValue from Var_Config where vc_tVarName = 'LastReviewDay'");
  }
  void reactivate() {
    host_->resignActive();
    host_->becomeActive();
  }
  int64_t reminderRecords() { return number("select count(*) from remind_words"); }
  size_t versionLookups() const { return requestsFor("/lookup").size(); }
};

TEST_F(DailyRefresh, OnlyTheFirstActivationOfAStudyDayRebuildsChecksAndRefreshes) {
  db_->UpdatePersonalValue("CheckUpdateTime", "");  // the version check is due every day
  launch();                                         // 2023-11-15 10:00
  EXPECT_EQ(calls("downDataFinish"), 1);
  EXPECT_EQ(lastReviewDay(), MyDate::studyDayId());
  ASSERT_TRUE(server_->waitForRequests(1));
  EXPECT_EQ(versionLookups(), 1u);
  host_->advance(10);
  EXPECT_EQ(calls("getExcellentMnemonic"), 1) << "ten seconds later";
  EXPECT_TRUE(requestsFor("account_info.php").empty()) << "no account stored";

  // Reminder records: only those that fired today stay (one due this very second has not).
  setLocalTime(2023, 11, 15, 11, 0);
  db_->insertRemindWord(1, now() + 3600);
  db_->insertRemindWord(2, now() - 3600);
  db_->insertRemindWord(3, now());
  reactivate();
  EXPECT_EQ(number("select rw_uWordID from remind_words"), 2);
  EXPECT_EQ(reminderRecords(), 1);
  setLocalTime(2023, 11, 16, 2, 30);  // still the study day of the 15th
  reactivate();
  host_->advance(10);
  EXPECT_EQ(calls("downDataFinish"), 1);
  EXPECT_EQ(calls("getExcellentMnemonic"), 1);
  EXPECT_EQ(reminderRecords(), 0) << "yesterday's by the calendar";

  setLocalTime(2023, 11, 16, 3, 0);
  reactivate();
  EXPECT_EQ(calls("downDataFinish"), 2);
  EXPECT_EQ(lastReviewDay(), MyDate::studyDayId());
  ASSERT_TRUE(server_->waitForRequests(2));
  EXPECT_EQ(versionLookups(), 2u);
  EXPECT_TRUE(plat::RunLoop::main().runUntil(
      [this] { return app_->checkVersion()->networkQueue()->operations().empty(); },
      testsupport::kPatience));
}

TEST_F(DailyRefresh, AFailedStatementRollsTheWholeRefreshBack) {
  plan("apple", daysFromNow(-3));
  setRecord("apple", daysFromNow(-2), daysFromNow(1), 2);
  launch();
  const int64_t yesterday = lastReviewDay();
  // The queue rebuild writes its mirror, then a statement of it fails.
  bool failing = true;
  app_->screenHooks().reviewDownDataFinish = [&] {
    hookCalls_.push_back("downDataFinish");
    db_->initReviewWords_tempData(plat::Value::array({"apple"}), 0);
    if (failing) db_->sql_insert("insert into review_list_gone (x) values (1)", "", {});
  };
  setLocalTime(2023, 11, 17, 10, 0);
  db_->insertRemindWord(1, now() + 3600);
  const int64_t dayLogRows = number("select count(*) from Familiarity_Log");
  const int64_t queueRows = number("select count(*) from review_list");

  reactivate();
  EXPECT_EQ(calls("downDataFinish"), 2);
  EXPECT_EQ(lastReviewDay(), yesterday);
  EXPECT_EQ(reminderRecords(), 1);
  EXPECT_EQ(number("select count(*) from review_list"), queueRows);
  EXPECT_EQ(number("select count(*) from Familiarity_Log"), dayLogRows);
  EXPECT_FALSE(db_->sqlMgr().inTransaction());

  failing = false;
  reactivate();
  EXPECT_EQ(calls("downDataFinish"), 3) << "the next activation tries again";
  EXPECT_EQ(lastReviewDay(), MyDate::studyDayId());
  EXPECT_EQ(reminderRecords(), 0);
  EXPECT_EQ(number("select count(*) from review_list"), 1);
  EXPECT_GT(number("select count(*) from Familiarity_Log"), dayLogRows);
}

}  // namespace
}  // namespace apptest
