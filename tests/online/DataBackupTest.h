// Fixture of the backup and sync-down tests: the server fixture with a learner's account, and
// hooks and a delegate that record what a backup shows and tells, in order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "online/Data_Backup.h"
#include "tests/online/ApiFixture.h"
#include "tests/support/StandInServer.h"

namespace onlinetest {

class BackupTest : public ApiTest, public DataBackupDelegate {
 protected:
  void SetUp() override;
  void TearDown() override;

  void updateDateFinish_callback() override { events_.push_back("finished"); }
  void updateFaild_callback() override { events_.push_back("failed"); }

  // Hooks recording "panel:<title>=<value>", "list:<titles>", "hide", "message:<text>",
  // "alert:<title>|<message>", "confirm", "relogin", "closeProgram", "downDataFinish",
  // "cleardata_learn".
  DataBackupHooks recordingHooks();
  // Runs the main loop until `event` is recorded; false when it did not come.
  bool waitFor(const std::string& event);
  bool recorded(const std::string& event) const;
  // A zip archive holding one dump entry.
  static std::string archiveOf(const std::string& dump) {
    return testsupport::zipOneEntry("alldata.scv", dump);
  }
  std::unique_ptr<Data_Backup> backup_;
  std::vector<std::string> events_;
  std::shared_ptr<plat::AlertView> confirmation_;
};

}  // namespace onlinetest
