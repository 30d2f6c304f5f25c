// Fixture of the application tests: the study store on the fixture words at 2023-11-15 10:00
// (UTC+8), a loopback server standing in for the account server and the store's lookup, and the
// real application delegate launched on the headless host with recorders in its screen hooks.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "platform/host/HeadlessHost.h"
#include "tests/store/StudyFixture.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempDeviceStore.h"

namespace apptest {

class AppTest : public storetest::StudyTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Makes the delegate and launches it; it becomes active, so the daily refresh has run.
  void launch();
  // Runs on the fresh host just before the launch, where main() sets up the program.
  virtual void beforeLaunch() {}
  // How often a screen hook ran ("downDataFinish", "closeProgram:review", ...).
  int calls(const std::string& hook) const;
  // Requests the server saw whose path ends with `script`.
  std::vector<testsupport::ServerRequest> requestsFor(const std::string& script) const;

  std::unique_ptr<testsupport::TempDeviceStore> deviceStore_;
  std::unique_ptr<testsupport::LoopbackHttpServer> server_;
  std::shared_ptr<AppDelegate> app_;
  std::unique_ptr<plat::HeadlessHost> host_;
  std::vector<std::string> hookCalls_;
};

}  // namespace apptest
