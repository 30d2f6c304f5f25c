#include "tests/online/ApiFixture.h"

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/base/RunLoop.h"
#include "store/CallDB.h"
#include "util/DebugNSObject.h"

namespace onlinetest {

void ApiTest::SetUp() {
  DumpTest::SetUp();
  plat::RunLoop::setMainThread();
  testsupport::clearProxyEnvironment();
  deviceStore_ = std::make_unique<testsupport::TempDeviceStore>();
  server_ = std::make_unique<testsupport::LoopbackHttpServer>(
      [this](const testsupport::ServerRequest&) { return reply_; });
  CallDB::callDB()->UpdatePersonalValue("url", server_->url(""));
}

void ApiTest::TearDown() {
  server_.reset();
  deviceStore_.reset();
  DumpTest::TearDown();
}

void setTestMode(bool on) {
  std::string marker =
      plat::files::join(plat::AppHome::documentsDir(), std::string(kSharedClientKey) + ".txt");
  if (on) {
    plat::files::createDirectories(plat::AppHome::documentsDir());
    ASSERT_TRUE(plat::files::writeFileAtomically(marker, ""));
  } else {
    plat::files::remove(marker);
  }
}

std::shared_ptr<HttpRequest> ApiTest::run(std::shared_ptr<HttpRequest> request) {
  request->startSynchronous();
  return request;
}

ApiReplyHooks ApiTest::recordingHooks(bool honoursRelogin) {
  ApiReplyHooks hooks;
  hooks.hidePanel = [this] { shown_.push_back("panel"); };
  if (honoursRelogin) hooks.relogin = [this] { shown_.push_back("relogin"); };
  hooks.showMessage = [this](const std::string& text) { shown_.push_back("message:" + text); };
  hooks.showAlert = [this](const std::string& title, const std::string& message,
                           const std::string& button) {
    shown_.push_back("alert:" + title + "|" + message + "|" + button);
  };
  return hooks;
}

}  // namespace onlinetest
