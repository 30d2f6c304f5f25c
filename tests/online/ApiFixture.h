// Fixture of the tests that talk to the server: the dump fixture's study store, a device secret
// store, a loopback server whose address is the server base, and hooks that record what a
// sender would show.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "online/ApiReply.h"
#include "tests/online/DumpFixture.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempDeviceStore.h"

namespace onlinetest {

// Puts the test-mode marker in Documents, or takes it away.
void setTestMode(bool on);

class ApiTest : public DumpTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the request on this thread and returns it.
  std::shared_ptr<HttpRequest> run(std::shared_ptr<HttpRequest> request);
  // Hooks that record into shown_ ("message:...", "alert:title|message|button", "panel",
  // "relogin"); with or without a relogin hook.
  ApiReplyHooks recordingHooks(bool honoursRelogin);
  // Answers every request by the handler instead of reply_.
  void serve(testsupport::ServerHandler handler) { server_->setHandler(std::move(handler)); }

  std::unique_ptr<testsupport::TempDeviceStore> deviceStore_;
  std::unique_ptr<testsupport::LoopbackHttpServer> server_;
  testsupport::ServerReply reply_ = testsupport::ServerReply::text("{\"result\":1}");
  std::vector<std::string> shown_;
};

}  // namespace onlinetest
