// The app closed just as a backup or a restore starts: the backup's thread, still running while
// the process exits (the screens that own a Data_Backup live until the end), finds what it uses
// (OpenSSL for the device identifier and its check code, the server scripts' table, the file
// types, the study store's statements and hooks) as it was. Each round is a process of its own
// that exits 0-30 ms after the start; the sanitizers fail a round that touched destroyed state.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "online/ApiRequest.h"
#include "online/Data_Backup.h"
#include "platform/base/RunLoop.h"
#include "tests/online/OnlineFixture.h"
#include "tests/support/ExitRounds.h"
#include "tests/support/Patience.h"

namespace onlinetest {
namespace {

using testsupport::ServerReply;
using testsupport::ServerRequest;

constexpr int kRounds = 24;

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

  // Hooks that show nothing and note when the restore's thread is about to start.
  static DataBackupHooks quietHooks(bool* applying) {
    DataBackupHooks hooks;
    hooks.panelShowList = [](const std::vector<std::string>&) {};
    hooks.panelChange = [applying](const std::string&, const std::string& value) {
      if (value == "data_syn_write") *applying = true;
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
};

// Rounds alternate a backup and a restore; every other pair finds the device identifier already
// stored (the thread then only digests it), and the exit comes 0 to 30 ms after the start.
TEST_F(BackupExitTest, AnExitJustAfterABackupOrARestoreStartedDoesNoHarm) {
  const testsupport::ExitRounds rounds = testsupport::exitRounds(kRounds, [this] {
    const int round = testsupport::exitRoundNumber();
    const bool restore = round % 2 == 0;
    if (round % 4 >= 2) ApiRequest::identifie();
    // The loopback server stops after the network thread, whose stop is registered at the first
    // request, below.
    static testsupport::LoopbackHttpServer* server = server_.get();
    std::atexit([] { server->stop(); });
    static bool applying = false;
    // As the app's screens do, the backup lives until the process ends.
    static auto* backup = new Data_Backup(quietHooks(&applying));
    if (restore) {
      backup->downData(Data_Backup::kModeAfterLogin);
      if (!plat::RunLoop::main().runUntil([] { return applying; }, testsupport::kPatience))
        std::_Exit(2);
    } else {
      backup->upData();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(round * 13 % 31));
    std::exit(0);
  });
  EXPECT_EQ(rounds.failed, 0) << "of " << kRounds << " exits; first: " << rounds.firstFailure;
}

}  // namespace
}  // namespace onlinetest
