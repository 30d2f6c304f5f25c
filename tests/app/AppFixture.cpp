#include "tests/app/AppFixture.h"

#include <algorithm>

#include "online/CheckVersion.h"
#include "platform/base/RunLoop.h"

namespace apptest {

void AppTest::SetUp() {
  StudyTest::SetUp();
  plat::RunLoop::setMainThread();
  testsupport::clearProxyEnvironment();
  deviceStore_ = std::make_unique<testsupport::TempDeviceStore>();
  server_ = std::make_unique<testsupport::LoopbackHttpServer>(
      [](const testsupport::ServerRequest&) { return testsupport::ServerReply::text("{}", 404); });
  db_->UpdatePersonalValue("url", server_->url(""));
  // The first-start guide over the review screen has been seen.
  db_->UpdatePersonalValue("run_machine", "1");
  CheckVersion::setLookupBase(server_->url(""));
  // The version check was done today: no lookup is on its way when a test ends.
  db_->saveCheckUpdateTime();
}

void AppTest::TearDown() {
  host_.reset();
  app_.reset();
  server_.reset();
  deviceStore_.reset();
  StudyTest::TearDown();
}

void AppTest::launch() {
  app_ = std::make_shared<AppDelegate>();
  ScreenHooks& hooks = app_->screenHooks();
  auto record = [this](const char* name) { return [this, name] { hookCalls_.push_back(name); }; };
  hooks.reviewCloseProgram = record("closeProgram:review");
  hooks.booksCloseProgram = record("closeProgram:books");
  hooks.reviewDownDataFinish = record("downDataFinish");
  hooks.reviewRefreshADInfo = record("refreshADInfo");
  hooks.getExcellentMnemonic = record("getExcellentMnemonic");
  plat::HeadlessHost::Options options;
  options.virtualClock = false;  // the store fixture's clock
  host_ = std::make_unique<plat::HeadlessHost>(app_, options);
  beforeLaunch();
  ASSERT_TRUE(host_->launch());
}

int AppTest::calls(const std::string& hook) const {
  return static_cast<int>(std::count(hookCalls_.begin(), hookCalls_.end(), hook));
}

std::vector<testsupport::ServerRequest> AppTest::requestsFor(const std::string& script) const {
  std::vector<testsupport::ServerRequest> found;
  for (const auto& request : server_->requests()) {
    if (request.path().ends_with(script)) found.push_back(request);
  }
  return found;
}

}  // namespace apptest
