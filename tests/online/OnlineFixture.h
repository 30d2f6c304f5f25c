// Fixtures of the online tests: the study store with its rows read back (DumpTest), and a loopback
// server as the server base (ApiTest).
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "online/ApiReply.h"
#include "online/Data_Package.h"
#include "platform/base/Files.h"
#include "tests/store/StudyFixture.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/SmallFilesystem.h"
#include "tests/support/StandInServer.h"
#include "tests/support/TempDeviceStore.h"

namespace onlinetest {

// The text form of a query's rows: fields joined by "|", rows by ";".
std::string rowsText(const std::string& sql, const std::string& retType);
// Every study table (the two day logs only with `dayLogs`) and the settings rows selected, rows
// in key order with their flags: one "<table>:<rows>" line each.
std::string studySnapshot(const std::string& settings = "select * from Var_Config order by 1",
                          bool dayLogs = true);
// Puts the test-mode marker in Documents, or takes it away.
void setTestMode(bool on);
// Moves the app home onto a volume of its own with `spareKilobytes` free, the study store closed
// and opened again there; unavailable where nothing can be mounted.
std::unique_ptr<testsupport::SmallFilesystem> homeOnAVolumeOfItsOwn(size_t spareKilobytes);

// Makes the study store's write of the personal value `key` run `failure` first, in place of any
// failure set before.
void failAtTheWriteOf(const std::string& key, const std::string& failure);
void stopFailingWrites();
// Fails on its own ("integer overflow"): the transaction around the write goes on without it.
inline constexpr const char* kFailTheStatement = "select abs(-9223372036854775807 - 1)";
// Run at a write on a volume of its own, with the table `filler` made: the disk is full, and
// SQLite then rolls back the whole transaction the write was part of.
inline constexpr const char* kFillTheDisk =
    "insert into filler values (randomblob(64 * 1024 * 1024))";

class DumpTest : public storetest::StudyTest {
 protected:
  void SetUp() override;

  void exec(const std::string& sql) { db_->sql_update(sql, "", plat::Value::array()); }
  static Data_Package::Bytes bytes(const std::string& text) {
    return Data_Package::Bytes(text.begin(), text.end());
  }
  // The entries (name, content) of an archive.
  static std::vector<std::pair<std::string, std::string>> readArchive(const std::string& path) {
    return testsupport::unzipEntries(plat::files::readFile(path).value_or(""));
  }

  Data_Package package_;
};

class ApiTest : public DumpTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::shared_ptr<HttpRequest> run(std::shared_ptr<HttpRequest> request) {
    request->startSynchronous();
    return request;
  }
  // Hooks that record what they show into shown_; with or without a relogin hook.
  ApiReplyHooks recordingHooks(bool honoursRelogin);
  // Answers every request by the handler instead of reply_.
  void serve(testsupport::ServerHandler handler) { server_->setHandler(std::move(handler)); }

  std::unique_ptr<testsupport::TempDeviceStore> deviceStore_;
  std::unique_ptr<testsupport::LoopbackHttpServer> server_;
  testsupport::ServerReply reply_ = testsupport::ServerReply::text("{\"result\":1}");
  std::vector<std::string> shown_;
};

}  // namespace onlinetest
