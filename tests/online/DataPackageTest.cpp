// The study data's dump, its archive and sync flags, and applying a dump back to the store.
#include <signal.h>
#include <sys/resource.h>

#include <functional>

#include "online/Data_BackupSpace.h"
#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "store/MyDate.h"
#include "store/SqlMgrController.h"
#include "tests/online/OnlineFixture.h"
#include "util/ZipException.h"
#include "util/ZipFile.h"

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
  for (const auto& [part, carried] : {std::pair{"delete_words", false},
                                      {"account", false},
                                      {"url\t", false},
                                      {"Study_List\t1\n3\t500\n", true},
                                      {"Words_MyYuFa\t1\n3\tmine\n", true},
                                      {"rememberNum\t17\n", true}})
    EXPECT_EQ(dump.find(part) != std::string::npos, carried) << part;
  // The settings come last.
  const size_t settings = dump.find("Var_Config\t");
  ASSERT_NE(settings, std::string::npos);
  EXPECT_GT(settings, dump.find("Words_MyYuFa\t"));
  EXPECT_GT(dump.find("rememberNum\t17\n"), settings);
  EXPECT_EQ(dump.back(), '\n');
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

// Once the upload is accepted, the archive goes and what it carried is marked in step.
TEST_F(DumpTest, AcceptedUploadMarksWhatWasSentInStepAndRemovesTheArchive) {
  setLocalTime(2023, 11, 15, 10, 0, 0);
  exec("insert into Study_List values (3, 500, 0)");
  exec("insert into Words_Mnemonic values (3, 'm', 0)");
  exec("insert into ForgetWords_Log values (8000, 5, 1, 0)");
  exec("insert into delete_words values (5)");
  db_->UpdatePersonalValue_isNeed("alarm_setting", "1");
  const std::string path = package_.getDataZipPath();
  EXPECT_EQ(package_.getDataZipPath(), path) << "a second dump replaces the first archive";
  EXPECT_EQ(path, join(plat::AppHome::cachesDir(), "backup_data.zip"));
  EXPECT_EQ(readArchive(path).at(0).first, "backup_data.scv");
  // Changed while the upload was on its way: the server never saw these.
  exec("insert into Study_Note values (3, 'late', 0)");
  exec("update Words_Mnemonic set wm_tMnemonic = 'changed' where wm_uWordID = 3");
  exec("insert into delete_words values (6)");

  package_.updateSqlState();
  EXPECT_FALSE(exists(path));
  EXPECT_EQ(rowsText("select sl_uNeedSync from Study_List", "n"), "1");
  EXPECT_EQ(rowsText("select fl_uNeedSync from ForgetWords_Log", "n"), "1");
  EXPECT_EQ(
      rowsText("select vc_uNeedSync from Var_Config where vc_tVarName = 'alarm_setting'", "n"),
      "1");
  EXPECT_EQ(rowsText("select dw_uWordID from delete_words", "n"), "6");
  EXPECT_EQ(rowsText("select sn_uNeedSync from Study_Note", "n"), "0");
  EXPECT_EQ(rowsText("select wm_uNeedSync from Words_Mnemonic", "n"), "0");
  EXPECT_TRUE(Data_Package::check_isSyn());
  EXPECT_EQ(db_->getPersonalValue("nLastSynTime"),
            std::to_string(MyDate::storedTime(MyDate::localDateTime())));
}

// Clearing the study data keeps the account; leaving it keeps only the device's settings.
TEST_F(DumpTest, WipesKeepTheAccountOrOnlyTheDeviceSettings) {
  exec("insert into Study_Log (sl_uWordID) values (3)");
  exec("insert into review_list values ('apple', 0, 0)");
  db_->UpdatePersonalValue("account", "someone");
  db_->UpdatePersonalValue("nLastSynId", "44");
  db_->UpdatePersonalValue_isNeed("LastReviewDay", "8000");
  db_->UpdatePersonalValue_isNeed("show_eg", "0");
  Data_Package::delete_UserData();
  EXPECT_EQ(rowsText("select count(*) from Study_Log", "n"), "0");
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
  EXPECT_EQ(rowsText("select count(*) from review_list", "n"), "0");
  EXPECT_EQ(rowsText("select count(*) from delete_words", "n"), "0");
  EXPECT_EQ(db_->getPersonalValue("rememberNum"), "");
  EXPECT_EQ(db_->getPersonalValue("show_eg"), "0");
  EXPECT_FALSE(Data_Package::check_isSyn());
}

// A wiped switch reads as on a fresh install, never as off because its row went.
TEST_F(DumpTest, WipedSwitchesReadAsShipped) {
  const char* const switches[] = {"specialBook", "show_wi", "show_yufa"};
  for (auto wipe : {&Data_Package::delete_UserData, &Data_Package::delete_isSyn}) {
    db_->UpdatePersonalValue_isNeed("show_wi", "0");  // the learner's own choice
    db_->sqlMgr().beginTransaction();
    wipe();
    db_->sqlMgr().commitTransaction();
    EXPECT_EQ(db_->getPersonalValue("specialBook"), "1");
    EXPECT_EQ(db_->getPersonalValue("show_yufa"), "1");
    EXPECT_EQ(db_->getPersonalValue("autoAccept"), "0");
    EXPECT_EQ(db_->getPersonalValue("review_list_sort"), "13:11:16:17:18:19:12:14:15");
  }
  EXPECT_EQ(db_->getPersonalValue("show_wi"), "1") << "leaving the account resets it";
  for (const char* key : switches)
    EXPECT_EQ(rowsText("select vc_uNeedSync from Var_Config where vc_tVarName = '" +
                           std::string(key) + "'",
                       "n"),
              "1")
        << key << " is no change of the learner's to back up";
}

// Growth of the process's peak memory while `work` runs, in MiB.
template <typename Work>
long peakGrowthMiB(Work work) {
  rusage before{}, after{};
  getrusage(RUSAGE_SELF, &before);
  work();
  getrusage(RUSAGE_SELF, &after);
  return (after.ru_maxrss - before.ru_maxrss) / 1024;
}

// A zip archive at `path` with the entries (name, content) in order.
void writeArchive(const std::string& path,
                  const std::vector<std::pair<std::string, std::string>>& entries) {
  ZipFile archive(path, ZipFileModeCreate);
  for (const auto& [name, content] : entries) {
    ZipWriteStream stream = archive.writeEntryWithName(name, 9);
    stream.writeData(std::string_view(content));
    stream.finishedWriting();
  }
  archive.close();
}

// Sets the uncompressed size of the archive's first entry, in its local and central headers.
void announceEntrySize(const std::string& path, uint32_t size) {
  std::string zip = plat::files::readFile(path).value();
  auto put = [&](size_t at) {
    for (int i = 0; i < 4; ++i) zip[at + i] = static_cast<char>(size >> (8 * i));
  };
  put(22);
  put(zip.find("PK\x01\x02") + 24);
  ASSERT_TRUE(plat::files::writeFileAtomically(path, zip));
}

class ImportTest : public DumpTest {
 protected:
  // Study rows only: the import refreshes the day logs of the last 14 days besides.
  std::string study() {
    return rowsText("select * from Study_List order by 1", "sss") + "/" +
           rowsText("select * from Study_Log order by 1", "ssssssssss") + "/" +
           rowsText("select * from Study_Note order by 1", "sss") + "/" +
           rowsText("select * from Words_YuFa order by 1", "sss") + "/" +
           rowsText("select * from delete_words order by 1", "s");
  }
  void SetUp() override {
    DumpTest::SetUp();
    path_ = join(plat::AppHome::tmpDir(), "down.zip");
  }
  void seedDeviceData() {
    exec("insert into Study_List values (1, 100, 0)");
    exec("insert into Study_Log values (1, 0, 100, 0, 0, 0, 0, 0, 0, 0)");
    exec("insert into Study_Note values (1, 'device note', 0)");
    exec("insert into delete_words values (6)");
  }
  // Writes the archive, lets `damage` spoil the file, and expects its import to throw and to
  // change nothing.
  template <typename Thrown>
  void expectArchiveRefused(const std::vector<std::pair<std::string, std::string>>& entries,
                            const std::function<void(const std::string&)>& damage = {}) {
    const std::string before = studySnapshot();
    writeArchive(path_, entries);
    if (damage) damage(path_);
    EXPECT_THROW(package_.backupDataToDB(path_), Thrown);
    EXPECT_EQ(studySnapshot(), before);
    EXPECT_FALSE(db_->sqlMgr().inTransaction());
  }

  // Set in SetUp(): the temporary home does not exist before it.
  std::string path_;
};

TEST_F(ImportTest, DumpReplacesTheStudyTablesWithRowsInStepInAnySectionOrder) {
  seedDeviceData();
  const std::string list = "Study_List\t2\n2\t200\n3\t300\n", note = "Study_Note\t1\n2\tnote\n",
                    log = "Study_Log\t1\n2\t10\t20\t1\t2\t3\t4\t5\t6\n";
  package_.DataToDB(bytes(list + note + log));
  EXPECT_EQ(study(), "2|200|1;3|300|1/2|10|20|1|2|3|4|5|6|1/2|note|1//");
  EXPECT_FALSE(db_->sqlMgr().inTransaction());
  package_.DataToDB(bytes(log + note + list));
  EXPECT_EQ(study(), "2|200|1;3|300|1/2|10|20|1|2|3|4|5|6|1/2|note|1//");
}

// Whole dumps come back in the account round trip; a changed-rows one but for deleted words.
TEST_F(ImportTest, AChangedRowsDumpReadsBackWithoutItsDeletedWords) {
  exec("insert into Study_Note values (2, 'a\tb\nc', 0)");
  exec("insert into delete_words values (4)");
  package_.DataToDB(bytes(package_.getsqlData(1)));
  EXPECT_EQ(study(), "//2|a b c|1//");
}

TEST_F(ImportTest, LinesOutsideKnownSectionsArePassedOver) {
  package_.DataToDB(
      bytes("Study_Note\t0\n"
            "Other_Table\t3\n"
            "5\tx\n"
            "Study_List\t3\n"  // looks like a header, so it is one
            "4\t400\n"
            "4\t999\n"
            "5\t500\n"
            "\n"
            "study_note\t1\n"  // names match exactly
            "9\tz\n"
            "Study_Note\t-2\n"
            "Study_Note\t1\n"
            "4\tkept\textra field\n"));
  EXPECT_EQ(study(), "4|400|1;5|500|1//4|kept|1//");
}

TEST_F(ImportTest, ArchiveEntriesApplyInTurnAndTheFileGoes) {
  db_->UpdatePersonalValue_isNeed("show_eg", "1");
  db_->UpdatePersonalValue("account", "someone");
  writeArchive(path_, {{"one.scv", "Study_List\t1\n2\t200\nVar_Config\t1\nshow_eg\t0\n"},
                       {"two.scv", "Study_List\t1\n3\t300\nVar_Config\t1\nshow_we\t0\n"}});
  package_.backupDataToDB(path_);
  EXPECT_FALSE(exists(path_));
  EXPECT_EQ(study(), "3|300|1////");
  EXPECT_EQ(db_->getPersonalValue("show_eg"), "0");
  EXPECT_EQ(db_->getPersonalValue("show_we"), "0");
  EXPECT_EQ(db_->getPersonalValue("account"), "someone");
}

// A bad second entry undoes the first; an entry announcing more than its archive holds is
// refused before it is read into memory.
TEST_F(ImportTest, DamagedDumpsAndArchivesChangeNothing) {
  seedDeviceData();
  for (const char* dump : {"Study_List\t1\n2\t200\nStudy_Log\t1\n2\t10\t20\t1\t2\t3\t4\t5\n",
                           "Study_List\t3\n2\t200\n3\t300", "Study_Note\t1\n2\t\xff\xfe\n"})
    expectArchiveRefused<plat::NamedException>({{"one.scv", dump}});
  const std::pair<std::string, std::string> good = {"one.scv", "Study_List\t1\n2\t200\n"};
  expectArchiveRefused<ZipException>({good}, [](const std::string& path) {
    std::string content = *plat::files::readFile(path);
    ASSERT_TRUE(plat::files::writeFileAtomically(path, content.substr(0, content.size() / 2)));
  });
  EXPECT_FALSE(exists(path_));
  expectArchiveRefused<DumpException>({good, {"two.scv", "Study_Log\t1\n2\t10\n"}});
  EXPECT_LT(peakGrowthMiB([&] {
              expectArchiveRefused<ZipException>(
                  {good}, [](const std::string& path) { announceEntrySize(path, 200u << 20); });
            }),
            32);
  const std::string before = studySnapshot();
  EXPECT_THROW(package_.backupDataToDB(join(plat::AppHome::tmpDir(), "missing.zip")), ZipException);
  EXPECT_EQ(studySnapshot(), before);
}

TEST_F(ImportTest, MillionsOfEmptyLinesArePassedOverWithoutAStringEach) {
  writeArchive(path_, {{"one.scv", "Study_List\t1\n2\t200\n" + std::string(4 << 20, '\n')}});
  EXPECT_LT(peakGrowthMiB([&] { package_.backupDataToDB(path_); }), 48);
  EXPECT_EQ(study(), "2|200|1////");
}

TEST_F(ImportTest, AHugeDumpIsReadAsItInflatesAndOneBeyondTheBoundIsRefused) {
  // 48 MB of lines no section claims, around rows that go in: never in memory at once. The lines
  // are long: a count of lines has a test of its own, and millions cost minutes in a checked build.
  std::string block;
  for (int i = 0; i < 100; ++i) block += "note " + std::to_string(i) + std::string(250, '.') + "\n";
  std::string filler;
  while (filler.size() < (24u << 20)) filler += block;
  writeArchive(path_, {{"one.scv", filler + "Study_List\t1\n2\t200\n" + filler}});
  filler = std::string();
  EXPECT_LT(peakGrowthMiB([&] { package_.backupDataToDB(path_); }), 40);
  EXPECT_EQ(study(), "2|200|1////");

  // An archive whose dump is past any honest size: refused before anything is applied.
  std::string noise;
  for (uint32_t x = 1; noise.size() < 300000; x = x * 1103515245 + 12345)
    noise += static_cast<char>(x >> 16);  // no deflate shrinks it
  expectArchiveRefused<DumpException>(
      {{"one.scv", "Study_List\t1\n3\t300\n" + noise}},
      [](const std::string& path) { announceEntrySize(path, 257u << 20); });
}

TEST_F(ImportTest, ALargeImportLeavesNoLargeLogAndNeedsRoomForTwiceItsSize) {
  std::string dump = "Study_List\t60000\n";
  for (int i = 1; i <= 60000; ++i) dump += std::to_string(i) + "\t" + std::to_string(i * 7) + "\n";
  writeArchive(path_, {{"one.scv", dump}});
  package_.backupDataToDB(path_);
  EXPECT_EQ(rowsText("select count(*) from Study_List", "n"), "60000");
  EXPECT_LT(plat::files::fileSize(userDatabasePath() + "-wal").value_or(0), 64u * 1024);

  const uint64_t reserve = Data_BackupSpace::kReserveBytes;
  EXPECT_TRUE(Data_BackupSpace::hasRoomForRestore(reserve + 2 * 1000, 1000));
  EXPECT_FALSE(Data_BackupSpace::hasRoomForRestore(reserve + 2 * 1000 - 1, 1000));
  EXPECT_FALSE(Data_BackupSpace::hasRoomForRestore(reserve - 1, 0));
}

}  // namespace
}  // namespace onlinetest
