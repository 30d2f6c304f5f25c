// The app closed just as a backup or a restore starts: the backup's thread, still running while
// the process exits (the screens that own a Data_Backup live until the end), finds what it uses
// (OpenSSL for the device identifier and its check code, the server scripts' table, the file
// types, the study store's statements and hooks) as it was. Each round is a process of its own;
// the sanitizers fail a round that touched destroyed state. The first test exits 0-30 ms after
// the start; the second holds the thread until the exit has destroyed the static objects, so
// that it reads all it reads after their destructors, every time.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

#include "net/HttpSharedQueue.h"
#include "online/ApiRequest.h"
#include "online/Data_Backup.h"
#include "platform/base/RunLoop.h"
#include "store/CallDB.h"
#include "store/StoreHooks.h"
#include "tests/online/OnlineFixture.h"
#include "tests/support/ExitRounds.h"
#include "tests/support/Patience.h"

namespace onlinetest {
namespace {

using testsupport::ServerReply;
using testsupport::ServerRequest;

constexpr int kRounds = 24;
constexpr int kHeldRounds = 8;

class BackupExitTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    db_->UpdatePersonalValue("account", "learner");
    db_->UpdatePersonalValue("v_lexicon", "3.5");
    // Enough rows that the dump and its archive take a few milliseconds.
    const std::string ids = "with recursive ids(n) as (select 1 union all select n + 1 from ids "
                            "where n < 400) ";
    exec(ids + "insert into Study_List select n, n, 0 from ids");
    exec(ids + "insert into Study_Note select n, 'note ' || n, 0 from ids");
    const std::string archive = server_->url("/files/acct.zip");
    const std::string dump = "Study_List\t1\n2\t200\nStudy_Note\t1\n2\tserver note\n";
    serve([archive, dump](const ServerRequest& request) {
      if (request.path() == "/api/synchronize_all_down.php")
        return ServerReply::text(R"({"result":1,"syn_file":")" + archive +
                                 R"(","syn_var":{"nLastSynId":"3","nNewMsgCount":"4"}})");
      if (request.path() == "/files/acct.zip")
        return ServerReply::text(testsupport::zipOneEntry("alldata.scv", dump));
      return ServerReply::text(R"({"result":1,"syn_var":{"nNewMsgCount":"3"}})");
    });
  }

  // Hooks that show nothing and note when the restore's thread is about to start (and, when
  // asked, when a backup has finished).
  static DataBackupHooks quietHooks(bool* applying, bool* backedUp = nullptr) {
    DataBackupHooks hooks;
    hooks.panelShowList = [](const std::vector<std::string>&) {};
    hooks.panelChange = [applying, backedUp](const std::string&, const std::string& value) {
      if (value == "data_syn_write") *applying = true;
      if (value == "data_backup_finish" && backedUp) *backedUp = true;
    };
    hooks.panelHide = [] {};
    hooks.showMessage = [](const std::string&) {};
    hooks.showAlert = [](const std::string&, const std::string&, const std::string&) {};
    hooks.showConfirmation = [](const std::shared_ptr<plat::AlertView>&) {};
    hooks.relogin = [] {};
    hooks.closeProgram = [] {};
    hooks.downDataFinish = [] {};
    hooks.cleardata_learn = [] {};
    return hooks;
  }

  // The loopback server stops at exit after the network thread, whose stop is registered at the
  // round's first request.
  void stopServerAtExit() {
    static testsupport::LoopbackHttpServer* server = server_.get();
    std::atexit([] { server->stop(); });
  }

  // A restore, started and waited for until its thread is about to apply the archive, or a backup.
  static void startBackupOrRestore(Data_Backup& backup, bool restore, const bool& applying) {
    if (restore) {
      backup.downData(Data_Backup::kModeAfterLogin);
      if (!plat::RunLoop::main().runUntil([&applying] { return applying; }, testsupport::kPatience))
        std::_Exit(2);
    } else {
      backup.upData();
    }
  }
};

// In an exit handler: waits until `arrived` (a minute at most, far beyond what the work takes);
// a round that never gets there fails.
void awaitOrFail(const std::function<bool()>& arrived) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!arrived()) {
    if (std::chrono::steady_clock::now() > deadline) std::_Exit(3);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// Rounds alternate a backup and a restore; every other pair finds the device identifier already
// stored (the thread then only digests it), and the exit comes 0 to 30 ms after the start.
TEST_F(BackupExitTest, AnExitJustAfterABackupOrARestoreStartedDoesNoHarm) {
  const testsupport::ExitRounds rounds = testsupport::exitRounds(kRounds, [this] {
    const int round = testsupport::exitRoundNumber();
    const bool restore = round % 2 == 0;
    if (round % 4 >= 2) ApiRequest::identifie();
    stopServerAtExit();
    static bool applying = false;
    // As the app's screens do, the backup lives until the process ends.
    static auto* backup = new Data_Backup(quietHooks(&applying));
    startBackupOrRestore(*backup, restore, applying);
    std::this_thread::sleep_for(std::chrono::milliseconds(round * 13 % 31));
    std::exit(0);
  });
  EXPECT_EQ(rounds.failed, 0) << "of " << kRounds << " exits; first: " << rounds.firstFailure;
}

// The thread's first statement waits on a transaction that the main thread holds until the exit
// has destroyed the static objects; then the thread does its whole work while the process ends:
// a backup dumps the changed rows (statements with no arguments), archives them and names the
// archive's type for the form (the file types were read by an earlier backup of the same run); a
// restore empties and fills the tables and stores the server's values, which tells the store's
// hook (set at start-up, as the app sets its own, holding state of its own). The exit handler
// waits for the form's request or for the hook, so that each round gets that far.
TEST_F(BackupExitTest, ABackupOrARestoreThatGoesOnOnceTheStaticObjectsAreGoneFindsWhatItReads) {
  const testsupport::ExitRounds rounds = testsupport::exitRounds(kHeldRounds, [this] {
    const bool restore = testsupport::exitRoundNumber() % 2 == 0;
    stopServerAtExit();
    static std::atomic<int> badges{0};
    StoreHooks::shared().refreshMsgNum = [shown = std::make_shared<int>(0)](int count) {
      *shown = count;
      ++badges;
    };
    static bool applying = false;
    static bool backedUp = false;
    static auto* backup = new Data_Backup(quietHooks(&applying, &backedUp));
    backup->upData();
    if (!plat::RunLoop::main().runUntil([] { return backedUp; }, testsupport::kPatience))
      std::_Exit(2);
    exec("insert into Study_Note values (401, 'written since', 0)");
    const auto queueEmpty = [] { return HttpRequest::sharedQueue().operationCount() == 0; };
    if (!plat::RunLoop::main().runUntil(queueEmpty, testsupport::kPatience)) std::_Exit(2);

    static SqlMgrController& sql = CallDB::callDB()->sqlMgr();
    sql.beginTransaction();
    static const int badgesBefore = badges;
    testsupport::onceStaticObjectsAreGone([restore] {
      sql.commitTransaction();
      awaitOrFail([restore] {
        return restore ? badges > badgesBefore : HttpRequest::sharedQueue().operationCount() > 0;
      });
    });
    startBackupOrRestore(*backup, restore, applying);
    std::exit(0);
  });
  EXPECT_EQ(rounds.failed, 0) << "of " << kHeldRounds << " exits; first: " << rounds.firstFailure;
}

}  // namespace
}  // namespace onlinetest
