#include "tests/online/DataBackupTest.h"

#include <algorithm>

#include "platform/base/Files.h"
#include "platform/base/RunLoop.h"
#include "store/CallDB.h"

namespace onlinetest {

void BackupTest::SetUp() {
  ApiTest::SetUp();
  reply_ = testsupport::ServerReply::text("", 404);
  db_->UpdatePersonalValue("account", "learner");
  db_->UpdatePersonalValue("v_lexicon", "3.5");
  backup_ = std::make_unique<Data_Backup>(recordingHooks());
  backup_->setDelegate(this);
}

void BackupTest::TearDown() {
  backup_.reset();
  ApiTest::TearDown();
}

DataBackupHooks BackupTest::recordingHooks() {
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

bool BackupTest::recorded(const std::string& event) const {
  return std::find(events_.begin(), events_.end(), event) != events_.end();
}

bool BackupTest::waitFor(const std::string& event) {
  return plat::RunLoop::main().runUntil([&] { return recorded(event); });
}

}  // namespace onlinetest
