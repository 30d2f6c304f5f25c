// A learner's whole way through the account screens against the stand-in server: register on one
// device, study, back up, log in on a second device and find every study row and setting back.
#include "online/AccountText.h"
#include "online/Data_Backup.h"
#include "online/LoginUIWindow.h"
#include "online/LoginViewController.h"
#include "store/CallDB.h"
#include "tests/online/AccountUiTest.h"

namespace onlinetest {
namespace {

// The study data without the two day logs that an import computes afresh for the last 14 days.
std::string withoutRecomputedDayLogs(const std::string& data) {
  std::string kept;
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find('\n', start);
    if (end == std::string::npos) end = data.size();
    std::string line = data.substr(start, end - start);
    if (line.rfind("Familiarity_Log:", 0) != 0 && line.rfind("ForgetWords_Log:", 0) != 0) {
      kept += line + "\n";
    }
    start = end + 1;
  }
  return kept;
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
  studyWords(20);
  ASSERT_TRUE(Data_Package::check_isSyn());

  auto backup = std::make_unique<Data_Backup>();
  backup->setDelegate(this);
  accounttext::panelList({accounttext::text("data_backup")});
  backup->upData();  // the server has no backup yet and asks for everything
  ASSERT_TRUE(waitFor([&] { return backedUp_ == 1; }));
  EXPECT_EQ(server_->count("synchronize_up.php"), 1);
  EXPECT_EQ(server_->count("synchronize_all_up.php"), 1);
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
  typeInto(form().nameText(), "traveller");
  typeInto(form().pwdText(), "journey1");
  ASSERT_TRUE(host_->tap(&form().loginBtn()));
  ASSERT_TRUE(waitFor([] { return LoginUIWindow::shown() == nullptr; }, 60));
  EXPECT_EQ(server_->count("synchronize_all_down.php"), 1);
  EXPECT_EQ(CallDB::callDB()->LearnWordCount(), 20);
  EXPECT_EQ(withoutRecomputedDayLogs(studyData()), withoutRecomputedDayLogs(studied))
      << "every row, setting and flag as the first device left it";
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("account"), "traveller");
  EXPECT_TRUE(told("downDataFinish"));
}

}  // namespace
}  // namespace onlinetest
