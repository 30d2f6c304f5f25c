// Fixture of the account screens' tests: an app home with the shipped bundle, the application run
// by the headless host (a navigation stack over one screen), the stand-in server as the server
// base, and screens above that record what they are told.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "online/OnlineScreens.h"
#include "platform/host/HeadlessHost.h"
#include "store/StoreHooks.h"
#include "tests/online/ApiFixture.h"
#include "tests/online/DumpFixture.h"
#include "tests/support/NavApp.h"
#include "tests/support/StandInServer.h"
#include "tests/support/TempDeviceStore.h"
#include "tests/support/TempHome.h"
#include "ui/BaseViewController.h"

namespace onlinetest {

class AccountUiTest : public ::testing::Test, public OnlineScreens, public StoreHooks {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the application on a fresh app home (a second device, when called again).
  void startDevice();

  void downDataFinish() override { told_.push_back("downDataFinish"); }
  void cleardata_learn() override { told_.push_back("cleardata_learn"); }
  void refreshADInfo() override { told_.push_back("refreshADInfo"); }
  void closeProgram() override { told_.push_back("closeProgram"); }
  void refreshMsgNum(int count) override { told_.push_back("badge:" + std::to_string(count)); }

  // Runs the main loop for real until `done`, letting virtual time pass in small steps so that
  // delayed performs and animations run too.
  bool waitFor(const std::function<bool()>& done, double virtualSeconds = 30);
  // Lets a reply that should change nothing arrive and be handled.
  void settle();
  // The text shown by the message bubble now, or "".
  std::string bubble() const;
  bool told(const std::string& what) const;
  // Types into a field: it becomes first responder, its text is replaced.
  void typeInto(plat::View& field, const std::string& text);
  // Plans `count` library words into study with answers and notes, as a learner would leave them.
  void studyWords(int count);
  // Every study table and the settings that travel with a backup, in key order, flags included.
  static std::string studyData() {
    return studySnapshot(
        "select * from Var_Config where vc_tVarName in ('StudyLimitCount','remind_time1') "
        "order by 1");
  }

  std::unique_ptr<testsupport::StandInServer> server_;
  std::unique_ptr<testsupport::TempDeviceStore> device_;
  std::unique_ptr<testsupport::TempHome> home_;
  std::shared_ptr<testsupport::NavApp> app_;
  std::unique_ptr<plat::HeadlessHost> host_;
  std::vector<std::string> told_;
};

}  // namespace onlinetest
