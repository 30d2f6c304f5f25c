// Dumping the study data: which rows each mode carries, the text format, the archive in Caches and
// the sync-flag bookkeeping around an upload.
#include <signal.h>
#include <sys/resource.h>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "store/MyDate.h"
#include "tests/online/OnlineFixture.h"
#include "util/ZipException.h"

namespace onlinetest {
namespace {

using plat::files::exists;
using plat::files::join;

TEST_F(DumpTest, ModeOneCarriesDeletedWordsFirstAndChangedSettingsLast) {
  exec("insert into delete_words values (7)");
  exec("insert into delete_words values (9)");
  exec("insert into Study_List values (3, 500, 0)");
  exec("insert into Study_List values (4, 600, 1)");
  exec("insert into Study_Log values (3, -5, 9000000000, 1, 2, 3, 4, 5, 6, 0)");
  exec("insert into Study_Note values (12, 'first\tsecond\nthird\rend', 0)");
  db_->UpdatePersonalValue_isNeed("time_setting", "21:30");
  EXPECT_EQ(package_.getsqlData(1),
            "delete_words\t2\n7\n9\n"
            "Study_List\t1\n3\t500\n"
            "Study_Log\t1\n3\t-5\t9000000000\t1\t2\t3\t4\t5\t6\n"
            "Study_Note\t1\n12\tfirst second third\rend\n"
            "Var_Config\t1\ntime_setting\t21:30\n");
}

// Nothing changed means no dump and no file; each kind of changed row makes one.
TEST_F(DumpTest, CheckSeesEachKindOfPendingRow) {
  EXPECT_FALSE(Data_Package::check_isSyn());
  EXPECT_EQ(package_.getsqlData(1), "");
  EXPECT_EQ(package_.getDataZipPath(), "");
  EXPECT_FALSE(exists(join(plat::AppHome::cachesDir(), "backup_data.zip")));
  for (const char* change : {"insert into delete_words values (1)",
                             "insert into Familiarity_Log values (9, 1, 2, 3, 1, 0)",
                             "insert into Words_YuFa values (2, 'x', 0)",
                             "update Var_Config set vc_uNeedSync = 0 where "
                             "vc_tVarName = 'url'"}) {
    exec(change);
    EXPECT_TRUE(Data_Package::check_isSyn()) << change;
    EXPECT_NE(package_.getsqlData(1), "") << change;
    package_.updateSqlState();
    EXPECT_FALSE(Data_Package::check_isSyn()) << change;
  }
}

TEST_F(DumpTest, ModeTwoCarriesEveryStudyRowAndOnlyTheListedSettings) {
  exec("insert into delete_words values (7)");
  exec("insert into Study_List values (3, 500, 1)");
  exec("insert into Words_MyYuFa values (3, 'mine', 1)");
  db_->UpdatePersonalValue("account", "someone");
  db_->UpdatePersonalValue("rememberNum", "17");
  std::string dump = package_.getsqlData(2);
  EXPECT_EQ(dump.find("delete_words"), std::string::npos);
  EXPECT_NE(dump.find("Study_List\t1\n3\t500\n"), std::string::npos);
  EXPECT_NE(dump.find("Words_MyYuFa\t1\n3\tmine\n"), std::string::npos);
  EXPECT_EQ(dump.find("account"), std::string::npos);
  EXPECT_NE(dump.find("rememberNum\t17\n"), std::string::npos);
  EXPECT_EQ(dump.find("url\t"), std::string::npos);
  // The settings come last.
  const size_t settings = dump.find("Var_Config\t");
  ASSERT_NE(settings, std::string::npos);
  EXPECT_GT(settings, dump.find("Words_MyYuFa\t"));
  EXPECT_GT(dump.find("rememberNum\t17\n"), settings);
  EXPECT_EQ(dump.back(), '\n');
}

TEST_F(DumpTest, ArchiveHoldsTheDumpUnderTheScvNameAndReplacesAnEarlierOne) {
  exec("insert into Study_Note values (1, 'old', 0)");
  std::string first = package_.getDataZipPath();
  EXPECT_EQ(first, join(plat::AppHome::cachesDir(), "backup_data.zip"));
  exec("update Study_Note set sn_tNote = 'new'");
  EXPECT_EQ(package_.getDataZipPath(), first);
  auto entries = readArchive(first);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].first, "backup_data.scv");
  EXPECT_EQ(entries[0].second, "Study_Note\t1\n1\tnew\n");
}

TEST_F(DumpTest, FullDiskRaisesAndLeavesNoHalfArchive) {
  std::string path = package_.getAllDataZipPath();  // an earlier, good archive
  auto before = readArchive(path);
  // A dump that does not compress: the file limit stops the archive half-way.
  std::string noise;
  uint32_t x = 12345;
  for (int i = 0; i < 200000; ++i) {
    x = x * 1103515245 + 12345;
    noise += static_cast<char>('!' + (x >> 16) % 90);
  }
  struct sigaction ignore {
  }, previous{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 16384;
  setrlimit(RLIMIT_FSIZE, &small);
  bool raised = false;
  try {
    package_.zipPath("backup_alldata", "Study_Note\t1\n1\t" + noise + "\n");
  } catch (const plat::NamedException&) {
    raised = true;
  }
  setrlimit(RLIMIT_FSIZE, &old);
  sigaction(SIGXFSZ, &previous, nullptr);
  EXPECT_TRUE(raised);
  EXPECT_EQ(package_.upfileZipPath(), "");
  EXPECT_FALSE(exists(path + ".partial"));
  EXPECT_EQ(readArchive(path), before);
}

TEST_F(DumpTest, AcceptedUploadMarksWhatWasSentInStepAndRemovesTheArchive) {
  setLocalTime(2023, 11, 15, 10, 0, 0);
  exec("insert into Study_List values (3, 500, 0)");
  exec("insert into Words_Mnemonic values (3, 'm', 0)");
  exec("insert into ForgetWords_Log values (8000, 5, 1, 0)");
  exec("insert into delete_words values (5)");
  db_->UpdatePersonalValue_isNeed("alarm_setting", "1");
  std::string path = package_.getDataZipPath();
  ASSERT_TRUE(exists(path));
  // Changed while the upload was on its way: the server never saw these.
  exec("insert into Study_Note values (3, 'late', 0)");
  exec("update Words_Mnemonic set wm_tMnemonic = 'changed' where wm_uWordID = 3");
  exec("insert into delete_words values (6)");

  package_.updateSqlState();
  EXPECT_FALSE(exists(path));
  EXPECT_EQ(table("select sl_uNeedSync from Study_List", "n"), "1");
  EXPECT_EQ(table("select fl_uNeedSync from ForgetWords_Log", "n"), "1");
  EXPECT_EQ(table("select vc_uNeedSync from Var_Config where vc_tVarName = 'alarm_setting'", "n"),
            "1");
  EXPECT_EQ(table("select dw_uWordID from delete_words", "n"), "6");
  EXPECT_EQ(table("select sn_uNeedSync from Study_Note", "n"), "0");
  EXPECT_EQ(table("select wm_uNeedSync from Words_Mnemonic", "n"), "0");
  EXPECT_TRUE(Data_Package::check_isSyn());
  EXPECT_EQ(db_->getPersonalValue("nLastSynTime"),
            std::to_string(MyDate::storedTime(MyDate::localDateTime())));
}

// Clearing the study data keeps the account; leaving the account keeps only the device's settings
// (the logout test checks the account's values).
TEST_F(DumpTest, WipesKeepTheAccountOrOnlyTheDeviceSettings) {
  exec("insert into Study_Log (sl_uWordID) values (3)");
  exec("insert into review_list values ('apple', 0, 0)");
  db_->UpdatePersonalValue("account", "someone");
  db_->UpdatePersonalValue("nLastSynId", "44");
  db_->UpdatePersonalValue_isNeed("LastReviewDay", "8000");
  db_->UpdatePersonalValue_isNeed("show_eg", "0");
  Data_Package::delete_UserData();
  EXPECT_EQ(table("select count(*) from Study_Log", "n"), "0");
  EXPECT_EQ(db_->getPersonalValue("account"), "someone");
  EXPECT_EQ(db_->getPersonalValue("nLastSynId"), "");
  EXPECT_EQ(db_->getPersonalValue("LastReviewDay"), "");
  EXPECT_TRUE(Data_Package::check_isSyn());  // the changed setting still awaits upload

  exec("insert into review_list values ('apple', 0, 0)");
  exec("insert into delete_words values (5)");
  db_->UpdatePersonalValue_isNeed("rememberNum", "4");
  db_->sqlMgr().beginTransaction();
  Data_Package::delete_isSyn();
  db_->sqlMgr().commitTransaction();
  EXPECT_EQ(table("select count(*) from review_list", "n"), "0");
  EXPECT_EQ(table("select count(*) from delete_words", "n"), "0");
  EXPECT_EQ(db_->getPersonalValue("rememberNum"), "");
  EXPECT_EQ(db_->getPersonalValue("show_eg"), "0");
  EXPECT_FALSE(Data_Package::check_isSyn());
}

}  // namespace
}  // namespace onlinetest
