// The backup upload and the sync down against a loopback server: what they change, and that a
// failure of any kind loses and changes nothing.
#include "online/Data_Backup.h"

#include <algorithm>
#include <cstdio>

#include "net/HttpDataCompressor.h"
#include "online/Data_BackupSpace.h"

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/base/RunLoop.h"
#include "store/CallDB.h"
#include "tests/online/OnlineFixture.h"
#include "tests/support/Patience.h"
#include "tests/support/SmallFilesystem.h"
#include "tests/support/StandInServer.h"

namespace onlinetest {
namespace {

using testsupport::ServerReply;
using testsupport::ServerRequest;

const std::string kUploading = "panel:data_backup=data_backup_progress";
const std::string kSyncing = "panel:data_syn=data_syn_progress";

class BackupTest : public ApiTest, public DataBackupDelegate {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    db_->UpdatePersonalValue("account", "learner");
    db_->UpdatePersonalValue("v_lexicon", "3.5");
    exec("insert into Study_List values (1, 100, 0)");
    exec("insert into Study_Note values (1, 'device note', 0)");
    exec("insert into delete_words values (6)");
    backup_ = std::make_unique<Data_Backup>(recordingHooks());
    backup_->setDelegate(this);
  }
  void TearDown() override {
    backup_.reset();
    ApiTest::TearDown();
  }
  void updateDateFinish_callback() override { events_.push_back("finished"); }
  void updateFaild_callback() override { events_.push_back("failed"); }

  DataBackupHooks recordingHooks() {
    DataBackupHooks hooks;
    auto record = [this](std::string event) { events_.push_back(std::move(event)); };
    hooks.panelShowList = [record](const std::vector<std::string>& titles) {
      std::string all;
      for (const auto& title : titles) all += (all.empty() ? "" : ",") + title;
      record("list:" + all);
    };
    hooks.panelChange = [record](const std::string& title, const std::string& value) {
      record("panel:" + title + "=" + value);
    };
    hooks.panelHide = [record] { record("hide"); };
    hooks.showMessage = [record](const std::string& text) { record("message:" + text); };
    hooks.showAlert = [record](const std::string& title, const std::string& message,
                               const std::string&) { record("alert:" + title + "|" + message); };
    hooks.showConfirmation = [this, record](const std::shared_ptr<plat::AlertView>& alert) {
      confirmation_ = alert;
      record("confirm");
    };
    hooks.relogin = [record] { record("relogin"); };
    hooks.closeProgram = [record] { record("closeProgram"); };
    hooks.downDataFinish = [record] { record("downDataFinish"); };
    hooks.cleardata_learn = [record] { record("cleardata_learn"); };
    return hooks;
  }
  bool recorded(const std::string& event) const {
    return std::find(events_.begin(), events_.end(), event) != events_.end();
  }
  bool waitFor(const std::string& event) {
    return plat::RunLoop::main().runUntil([&] { return recorded(event); }, testsupport::kPatience);
  }
  void quietly() {
    plat::RunLoop::main().runUntil([] { return false; }, 0.05);
  }
  // The events so far, joined by ";"; an expected text ending in "*" is a beginning.
  void expectEvents(const std::string& expected) {
    std::string seen;
    for (const std::string& event : events_) seen += (seen.empty() ? "" : ";") + event;
    if (!expected.empty() && expected.back() == '*')
      EXPECT_EQ(seen.rfind(expected.substr(0, expected.size() - 1), 0), 0u) << seen;
    else
      EXPECT_EQ(seen, expected);
  }
  // Every request answered with `reply`.
  void answer(const ServerReply& reply) {
    serve([reply](const ServerRequest&) { return reply; });
  }
  // The sync-down script answers `reply`; the archive address serves `archive` with `status`.
  void serveDump(const std::string& reply, const std::string& archive, int status = 200) {
    serve([reply, archive, status](const ServerRequest& request) {
      if (request.path() == "/api/synchronize_all_down.php") return ServerReply::text(reply);
      if (request.path() == "/files/acct.zip") return ServerReply::text(archive, status);
      return ServerReply::text("", 404);
    });
  }
  std::string accepted(const std::string& version = "3.5") {
    return R"({"result":1,"syn_file":")" + server_->url("/files/acct.zip") +
           R"(","syn_var":{"sLastSynVersion":")" + version +
           R"(","nLastSynTime":"1700000000","nNewMsgCount":"4"}})";
  }
  // The study tables with their flags, without the settings that a reply may change.
  std::string studyRows() { return studySnapshot().substr(0, studySnapshot().find("Var_Config:")); }
  std::string restored() {
    return rowsText("select * from Study_List order by 1", "sss") + "/" +
           rowsText("select * from Study_Note order by 1", "sss") + "/" +
           rowsText("select * from delete_words order by 1", "s");
  }
  static std::string archiveOf(const std::string& dump) {
    return testsupport::zipOneEntry("alldata.scv", dump);
  }

  std::unique_ptr<testsupport::SmallFilesystem> homeOnAVolumeOfItsOwn(size_t spareKilobytes) {
    auto disk = onlinetest::homeOnAVolumeOfItsOwn(spareKilobytes);
    db_ = CallDB::callDB();
    return disk;
  }

  std::unique_ptr<Data_Backup> backup_;
  std::vector<std::string> events_;
  std::shared_ptr<plat::AlertView> confirmation_;
  const std::string dump_ = "Study_List\t2\n2\t200\n3\t300\nStudy_Note\t1\n3\tserver note\n";
};

TEST_F(BackupTest, AcceptedUploadMarksEverythingInStepAndStoresTheServerValues) {
  answer(ServerReply::text(R"({"result":1,"syn_var":{"nNewMsgCount":"3"}})"));
  backup_->upData();
  ASSERT_TRUE(waitFor("finished"));
  EXPECT_FALSE(Data_Package::check_isSyn());
  EXPECT_EQ(rowsText("select * from Study_List", "sss"), "1|100|1");
  EXPECT_EQ(rowsText("select * from delete_words", "s"), "");
  EXPECT_EQ(db_->getPersonalValue("nNewMsgCount"), "3");
  EXPECT_FALSE(db_->getPersonalValue("nLastSynTime").empty());
  EXPECT_FALSE(plat::files::exists(backup_->dataPackage().upfileZipPath()));
  expectEvents(kUploading + ";panel:data_backup=data_backup_finish;finished");

  ServerRequest sent = server_->lastRequest();
  EXPECT_EQ(sent.path(), "/api/synchronize_up.php");
  EXPECT_NE(sent.header("Content-Type").find("multipart/form-data"), std::string::npos);
  EXPECT_NE(sent.body.find("name=\"syn_file\"; filename=\"backup_data.zip\""), std::string::npos);
}

TEST_F(BackupTest, RefusedDroppedOrFailingUploadsMarkNothing) {
  ServerReply dropped;
  dropped.dropRequest = true;
  const std::pair<ServerReply, std::string> cases[] = {
      {ServerReply::text(
           R"({"result":0,"relogin":1,"msg":"wrong password","syn_var":{"nNewMsgCount":"5"}})"),
       kUploading + ";hide;relogin;message:wrong password"},
      {dropped, kUploading + ";hide;message:*"},
      {ServerReply::text(R"({"result":1})", 500), kUploading + ";hide"},
      {ServerReply::text("<html>busy</html>"), kUploading + ";hide"},
  };
  for (const auto& [reply, expected] : cases) {
    SCOPED_TRACE(reply.body);
    events_.clear();
    answer(reply);
    const std::string before = studyRows();
    backup_->upData();
    ASSERT_TRUE(waitFor("hide"));
    quietly();
    expectEvents(expected);
    EXPECT_EQ(studyRows(), before);
    EXPECT_TRUE(Data_Package::check_isSyn());
  }
  EXPECT_EQ(db_->getPersonalValue("nNewMsgCount"), "5");
}

// The full upload the server asks for is the round trip's; refused, it only shows the message.
TEST_F(BackupTest, ARefusedFullUploadOnlyShowsTheMessage) {
  answer(ServerReply::text(R"({"result":0,"err_type":2,"relogin":1,"msg":"refused"})"));
  backup_->upAllData();
  ASSERT_TRUE(waitFor("message:refused"));
  expectEvents(kUploading + ";hide;message:refused");
  EXPECT_TRUE(Data_Package::check_isSyn());
}

TEST_F(BackupTest, BackupGoneBeforeTheReplyIsNotCalledBack) {
  ServerReply late = ServerReply::text(R"({"result":1})");
  late.delayBeforeHeaders = 0.3;
  answer(late);
  backup_->upData();
  ASSERT_TRUE(server_->waitForRequests(1));
  backup_.reset();
  plat::RunLoop::main().runUntil([] { return false; }, 0.5);
  EXPECT_FALSE(recorded("finished"));
  EXPECT_TRUE(Data_Package::check_isSyn());
}

// Refused, too new for the word database, or a missing or broken archive: nothing changes.
TEST_F(BackupTest, ARestoreThatCannotBeAppliedChangesNothing) {
  const int afterLogin = Data_Backup::kModeAfterLogin;
  struct Case {
    std::string reply, archive;
    int status, mode;
    std::string until;     // the event that ends the attempt
    std::string messages;  // the new-message count stored
    int requests;
    std::string events;  // "*" where the download's progress is not known
  };
  const std::string refusal =
      R"({"result":0,"relogin":1,"msg":"no backup","syn_var":{"nNewMsgCount":"7"}})";
  const Case cases[] = {
      {refusal, "", 200, afterLogin, "failed", "7", 1, kSyncing + ";hide;failed;message:no backup"},
      {refusal, "", 200, Data_Backup::kModeSettings, "failed", "7", 1,
       kSyncing + ";hide;failed;relogin;message:no backup"},
      {accepted("3.6"), archiveOf(dump_), 200, afterLogin, "failed", "", 1,
       kSyncing + ";hide;message:alermsg_eg6;failed"},
      {accepted(), "gone", 404, afterLogin, "hide", "", 2, "*"},
      {R"({"result":1,"syn_var":{"nNewMsgCount":"9"}})", "", 200, afterLogin, "failed", "", 1, "*"},
      {accepted(), archiveOf(dump_).substr(0, 40), 200, afterLogin, "failed", "", 2, "*"},
      {accepted(), archiveOf("Study_List\t3\n2\t200\n3\t300"), 200, afterLogin, "failed", "", 2,
       "*"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply + " / archive of " + std::to_string(c.archive.size()));
    events_.clear();
    db_->UpdatePersonalValue("nNewMsgCount", "");
    const std::string before = studyRows();
    const int served = server_->requestCount();
    serveDump(c.reply, c.archive, c.status);
    backup_->downData(c.mode);
    ASSERT_TRUE(waitFor(c.until));
    quietly();
    expectEvents(c.events);
    EXPECT_EQ(recorded("failed"), c.until == "failed");
    EXPECT_FALSE(recorded("downDataFinish"));
    EXPECT_TRUE(recorded("hide"));
    EXPECT_EQ(studyRows(), before);
    EXPECT_EQ(db_->getPersonalValue("nNewMsgCount"), c.messages);
    EXPECT_EQ(server_->requestCount() - served, c.requests);
    EXPECT_FALSE(db_->sqlMgr().inTransaction());
  }
}

TEST_F(BackupTest, FailuresReachTheLearnerInTheAppsOwnWords) {
  ServerReply dropped;
  dropped.dropRequest = true;
  ServerReply damaged = ServerReply::text(archiveOf(dump_).substr(0, 60));
  // An archive that inflates past any dump's size from a few kilobytes.
  const std::vector<uint8_t> zeros(80u << 20, 0);
  const std::vector<uint8_t> packed = *HttpDataCompressor::compressData(zeros, nullptr);
  ServerReply bomb = ServerReply::text(std::string(packed.begin(), packed.end()));
  bomb.header("Content-Encoding", "gzip");
  std::string noise;
  for (uint32_t x = 1; noise.size() < 400000; x = x * 1103515245 + 12345)
    noise += static_cast<char>(x >> 16);
  const std::pair<ServerReply, std::string> cases[] = {
      {dropped, "data_err_network"},
      {damaged, "data_err_damaged"},
      {ServerReply::text("gone", 404), "data_err_refused"},
      {bomb, "data_err_damaged"},
      {ServerReply::text(noise), "data_err_disk_full"},
  };
  for (const auto& [archive, message] : cases) {
    SCOPED_TRACE(message);
    events_.clear();
    const std::string before = studyRows();
    serve([&, archive = archive](const ServerRequest& request) {
      if (request.path() == "/api/synchronize_all_down.php") return ServerReply::text(accepted());
      return archive;
    });
    // The download's part goes to tmp, on a volume with 64 KB free for the last case.
    std::unique_ptr<testsupport::SmallFilesystem> disk;
    if (message == "data_err_disk_full") {
      disk = std::make_unique<testsupport::SmallFilesystem>(64, plat::AppHome::tmpDir());
      if (!disk->available()) {
        std::printf("skipping the full disk: %s\n", disk->skipReason().c_str());
        continue;
      }
    }
    backup_->downData(Data_Backup::kModeAfterLogin);
    ASSERT_TRUE(waitFor("message:" + message));
    quietly();
    EXPECT_EQ(studyRows(), before);
    EXPECT_TRUE(plat::files::list(plat::AppHome::cachesDir()).empty());
  }
}

// The archive is applied, and as the server's values are stored the disk fills up (something
// else takes the last of it, here a table of the same database): the learner hears that the sync
// values were not kept, the screens show the restored data, and nothing says the restore is done.
TEST_F(BackupTest, ARestoreWhoseServerValuesCannotBeStoredSaysSo) {
  const std::unique_ptr<testsupport::SmallFilesystem> disk =
      homeOnAVolumeOfItsOwn(Data_BackupSpace::kReserveBytes / 1024 + 4096);
  if (!disk->available()) GTEST_SKIP() << disk->skipReason();
  exec("create table filler (bytes blob)");
  failAtTheWriteOf("nLastSynId", kFillTheDisk);
  serveDump(R"({"result":1,"syn_file":")" + server_->url("/files/acct.zip") +
                R"(","syn_var":{"nLastSynId":"3","nNewMsgCount":"4"}})",
            archiveOf(dump_));
  backup_->downData(Data_Backup::kModeAfterLogin);
  // The apply and a database filled to the brim take a while on a busy machine.
  ASSERT_TRUE(plat::RunLoop::main().runUntil(
      [&] { return recorded("failed") || recorded("finished"); }, 600));
  quietly();
  std::string seen;
  for (const std::string& event : events_) seen += event + ";";
  EXPECT_EQ(events_.back(), "failed") << seen;
  EXPECT_TRUE(recorded("message:data_err_values_disk_full"));
  EXPECT_TRUE(recorded("downDataFinish") && recorded("cleardata_learn"));
  EXPECT_FALSE(recorded("finished") || recorded("panel:data_syn=data_syn_finish"));
  EXPECT_EQ(restored(), "2|200|1;3|300|1/3|server note|1/");
  EXPECT_NE(db_->getPersonalValue("nLastSynId"), "3");
  EXPECT_FALSE(db_->sqlMgr().inTransaction());
}

// The server accepts the backup, and as the device stores where it now stands (the rows marked
// as sent with the backup's time, and the server's sync id) the disk fills up: the learner hears
// that the backup is on the server but its record was not kept, the log says why, nothing says
// the backup is done, and the rows go again with the next backup, which keeps its record.
TEST_F(BackupTest, AnAcceptedBackupWhoseSyncRecordCannotBeStoredSaysSo) {
  answer(ServerReply::text(R"({"result":1,"syn_var":{"nLastSynId":"3","nNewMsgCount":"4"}})"));
  const std::string lastBackup = db_->getPersonalValue("nLastSynTime");
  const std::string before = studyRows();
  for (const std::string value : {"nLastSynId", "nLastSynTime"}) {
    SCOPED_TRACE(value);
    events_.clear();
    std::unique_ptr<testsupport::SmallFilesystem> disk =
        homeOnAVolumeOfItsOwn(Data_BackupSpace::kReserveBytes / 1024 + 4096);
    if (!disk->available()) GTEST_SKIP() << disk->skipReason();
    exec("create table filler (bytes blob)");
    failAtTheWriteOf(value, kFillTheDisk);
    testing::internal::CaptureStderr();
    backup_->upData();
    const bool ended = plat::RunLoop::main().runUntil(
        [&] { return recorded("hide") || recorded("finished"); }, testsupport::kPatience);
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(ended);
    quietly();
    expectEvents(kUploading + ";hide;message:data_err_up_record_disk_full;failed");
    EXPECT_NE(log.find("backup: storing the backup's sync record"), std::string::npos) << log;
    EXPECT_EQ(studyRows(), before);
    EXPECT_TRUE(Data_Package::check_isSyn());
    EXPECT_EQ(db_->getPersonalValue("nLastSynId"), "");
    EXPECT_EQ(db_->getPersonalValue("nLastSynTime"), lastBackup);
    EXPECT_FALSE(db_->sqlMgr().inTransaction());
    // The home as it was before the volume: the space the failed write held stays with it.
    CallDB::Release_CallDB();
    disk.reset();
    db_ = CallDB::callDB();
  }
  events_.clear();
  backup_->upData();
  ASSERT_TRUE(waitFor("finished"));
  EXPECT_FALSE(Data_Package::check_isSyn());
  EXPECT_EQ(db_->getPersonalValue("nLastSynId"), "3");
  EXPECT_NE(db_->getPersonalValue("nLastSynTime"), lastBackup);
}

// As above, but only the write of the server's sync id fails, after the rows were marked as sent:
// a full disk that fails a larger write makes SQLite roll the whole transaction back by itself,
// so here the volume is all but full and the sync id's statement alone fails. The marks and the
// backup's time go with the sync id, the learner hears so, and the next backup sends the same
// rows again and keeps all three.
TEST_F(BackupTest, AnAcceptedBackupWhoseSyncIdAloneCannotBeStoredKeepsNoMark) {
  const std::unique_ptr<testsupport::SmallFilesystem> disk = homeOnAVolumeOfItsOwn(256);
  if (!disk->available()) GTEST_SKIP() << disk->skipReason();
  const std::optional<uint64_t> free = plat::AppHome::freeBytes();
  ASSERT_TRUE(free && *free < (uint64_t{1} << 20)) << "a volume the app counts as full";
  answer(ServerReply::text(R"({"result":1,"syn_var":{"nLastSynId":"3","nNewMsgCount":"4"}})"));
  const std::string lastBackup = db_->getPersonalValue("nLastSynTime");
  const std::string before = studyRows();
  // The entries of the archive the last upload sent.
  auto sentDump = [&]() -> std::vector<std::pair<std::string, std::string>> {
    const auto form = testsupport::StandInForm::of(server_->lastRequest());
    const auto* archive = form.file("syn_file");
    return archive ? testsupport::unzipEntries(archive->bytes)
                   : std::vector<std::pair<std::string, std::string>>();
  };

  // Done or failed, whichever way the backup ends.
  auto backUp = [&] {
    events_.clear();
    backup_->upData();
    return plat::RunLoop::main().runUntil([&] { return recorded("hide") || recorded("finished"); },
                                          testsupport::kPatience);
  };

  failAtTheWriteOf("nLastSynId", kFailTheStatement);
  testing::internal::CaptureStderr();
  const bool ended = backUp();
  const std::string log = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(ended);
  quietly();
  expectEvents(kUploading + ";hide;message:data_err_up_record_disk_full;failed");
  EXPECT_NE(log.find("backup: storing the backup's sync record"), std::string::npos) << log;
  EXPECT_EQ(studyRows(), before) << "rows marked as sent without the sync id";
  EXPECT_TRUE(Data_Package::check_isSyn());
  EXPECT_EQ(db_->getPersonalValue("nLastSynId"), "");
  EXPECT_EQ(db_->getPersonalValue("nLastSynTime"), lastBackup);
  EXPECT_FALSE(db_->sqlMgr().inTransaction());
  const auto firstDump = sentDump();
  ASSERT_EQ(firstDump.size(), 1u);
  EXPECT_NE(firstDump[0].second.find("device note"), std::string::npos) << firstDump[0].second;

  stopFailingWrites();
  ASSERT_TRUE(backUp());
  expectEvents(kUploading + ";panel:data_backup=data_backup_finish;finished");
  EXPECT_EQ(sentDump(), firstDump) << "the same rows go again";
  EXPECT_FALSE(Data_Package::check_isSyn());
  EXPECT_EQ(db_->getPersonalValue("nLastSynId"), "3");
  EXPECT_NE(db_->getPersonalValue("nLastSynTime"), lastBackup);
}

// A restore stopped after its download left its archive; the next one, answered with nothing, must
// not restore that old archive and call it done.
TEST_F(BackupTest, AnArchiveLeftByAnEarlierRestoreIsNeverApplied) {
  const std::string left = plat::files::join(plat::AppHome::cachesDir(), "acct.zip");
  plat::files::createDirectories(plat::AppHome::cachesDir());
  ASSERT_TRUE(plat::files::writeFileAtomically(left, archiveOf(dump_)));
  const std::string before = studyRows();
  serveDump(accepted(), "");
  backup_->downData(Data_Backup::kModeAfterLogin);
  ASSERT_TRUE(waitFor("message:data_err_damaged"));
  quietly();
  EXPECT_FALSE(recorded("downDataFinish"));
  EXPECT_EQ(studyRows(), before);
  EXPECT_FALSE(plat::files::exists(left));
}

// After a login the restore runs at once (the account round trip); from the settings it asks.
TEST_F(BackupTest, RestoreFromTheSettingsAsksFirstAndCancelLeavesTheDataAlone) {
  db_->UpdatePersonalValue("v_lexicon", "3.1");  // read as a float on both sides: equal, passes
  serveDump(accepted("3.1"), archiveOf(dump_));
  const std::string before = studySnapshot();
  backup_->downData(Data_Backup::kModeSettings);
  ASSERT_TRUE(waitFor("confirm"));
  ASSERT_TRUE(confirmation_);
  EXPECT_EQ(confirmation_->tag(), Data_Backup::kConfirmTag);
  backup_->didDismissWithButtonIndex(*confirmation_, 0);
  quietly();
  expectEvents(kSyncing + ";hide;confirm");
  EXPECT_EQ(server_->requestCount(), 1);
  EXPECT_EQ(studySnapshot(), before);

  events_.clear();
  backup_->didDismissWithButtonIndex(*confirmation_, 1);
  ASSERT_TRUE(waitFor("finished"));
  EXPECT_EQ(events_[0], "closeProgram");
  EXPECT_EQ(events_[1], "list:data_syn");
  EXPECT_TRUE(recorded("downDataFinish"));
  EXPECT_EQ(restored(), "2|200|1;3|300|1/3|server note|1/");
  EXPECT_EQ(db_->getPersonalValue("nNewMsgCount"), "4");
  EXPECT_FALSE(db_->sqlMgr().inTransaction());
  EXPECT_FALSE(plat::files::exists(plat::files::join(plat::AppHome::cachesDir(), "acct.zip")));
  EXPECT_EQ(server_->lastRequest().method, "GET");
}

TEST_F(BackupTest, TheBackupTimeIsLocalAndTheArchiveNameNeverLeavesCaches) {
  // The fixture's zone is UTC+8: 2023-11-14 22:13:20 UTC.
  EXPECT_EQ(Data_Backup::backupTimeText(1700000000), "2023-11-15 06:13");
  EXPECT_EQ(Data_Backup::archiveFileName("http://h/dl/acct_12.zip?t=1"), "acct_12.zip");
  EXPECT_EQ(Data_Backup::archiveFileName("http://h/dl/.."), "syn_download.zip");
  EXPECT_EQ(Data_Backup::archiveFileName(""), "syn_download.zip");
}

}  // namespace
}  // namespace onlinetest
