// Register, study and back up on one device; log in on a second and find every study row back.
#include "online/AccountText.h"
#include "online/Data_Backup.h"
#include "online/LoginUIWindow.h"
#include "online/LoginViewController.h"
#include "store/CallDB.h"
#include "tests/online/AccountUiTest.h"

namespace onlinetest {
namespace {

// The study tables and settings a backup carries, but the day logs an import computes afresh.
std::string studyData() {
  return studySnapshot(
      "select * from Var_Config where vc_tVarName in ('StudyLimitCount','remind_time1',"
      "'review_list_sort','show_wi','show_yufa') order by 1",
      false);
}

class AccountRoundTripTest : public AccountUiTest, public DataBackupDelegate {
 protected:
  void updateDateFinish_callback() override { ++backedUp_; }
  LoginViewController& form() { return LoginUIWindow::shown()->form(); }
  int backedUp_ = 0;
};

TEST_F(AccountRoundTripTest, ABackupComesBackOnASecondDevice) {
  // Device one: register, study, back up.
  LoginUIWindow::show();
  host_->runUntilIdle();
  typeInto(form().nameText(), "Traveller");
  typeInto(form().pwdText(), "journey1");
  typeInto(form().rePwdText(), "journey1");
  ASSERT_TRUE(host_->tap(&form().loginBtn()));
  ASSERT_TRUE(waitFor([] { return LoginUIWindow::shown() == nullptr; }));
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("account"), "traveller");
  studyWords(20);
  // The card's own order and switches, as the order screen and the card save them.
  CallDB::callDB()->UpdatePersonalValue_isNeed("review_list_sort", "11:13:16:17:18:19:2:14:15");
  CallDB::callDB()->UpdatePersonalValue_isNeed("show_wi", "0");
  CallDB::callDB()->UpdatePersonalValue_isNeed("show_yufa", "0");
  ASSERT_TRUE(Data_Package::check_isSyn());

  auto backup = std::make_unique<Data_Backup>();
  backup->setDelegate(this);
  accounttext::panelList({accounttext::text("data_backup")});
  backup->upData();  // the server has no backup yet and asks for everything
  ASSERT_TRUE(waitFor([&] { return backedUp_ == 1; }));
  EXPECT_EQ(server_->count("synchronize_up.php"), 1);
  EXPECT_EQ(server_->count("synchronize_all_up.php"), 1);
  EXPECT_NE(server_->lastRequest("synchronize_all_up.php").body.find("backup_alldata.zip"),
            std::string::npos);
  EXPECT_FALSE(Data_Package::check_isSyn());
  const std::string studied = studyData();
  EXPECT_NE(studied.find("Study_Note:"), std::string::npos);
  backup.reset();

  // Device two: an empty app home; logging in takes the backup without a question.
  startDevice();
  ASSERT_EQ(CallDB::callDB()->LearnWordCount(), 0);
  LoginUIWindow::show();
  host_->runUntilIdle();
  ASSERT_TRUE(host_->tap(&form().switchLoginBtn()));
  host_->advance(0.5);
  typeInto(form().nameText(), "TRAVELLER");
  typeInto(form().pwdText(), "journey1");
  ASSERT_TRUE(host_->tap(&form().loginBtn()));
  ASSERT_TRUE(waitFor([] { return LoginUIWindow::shown() == nullptr; }, 60));
  EXPECT_NE(server_->lastRequest("account_login.php").query().find("&account=TRAVELLER&"),
            std::string::npos)
      << "the name as typed";
  EXPECT_EQ(server_->count("synchronize_all_down.php"), 1);
  const auto asked = server_->lastRequest("synchronize_all_down.php");
  EXPECT_EQ(asked.header("Content-Type").find("application/x-www-form-urlencoded"), 0u);
  EXPECT_EQ(asked.body.find("client_check_code"), std::string::npos);
  EXPECT_EQ(CallDB::callDB()->LearnWordCount(), 20);
  EXPECT_EQ(studyData(), studied) << "every row, setting and flag as the first device left it";
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("review_list_sort"), "11:13:16:17:18:19:2:14:15");
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("show_wi"), "0");
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("account"), "traveller");
  EXPECT_TRUE(told("downDataFinish"));
}

}  // namespace
}  // namespace onlinetest
