// The network test client against a loopback HTTP server: what its background fetch keeps, and
// which alert buttons start another.
#include "sockets/NetManage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/base/RunLoop.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/OutsidePeer.h"
#include "tests/support/Patience.h"
#include "tests/support/TempHome.h"

using sockets::NetManage;
using testsupport::LoopbackHttpServer;
using testsupport::OutsidePeer;
using testsupport::ServerReply;
using testsupport::ServerRequest;

namespace {

class NetManageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::RunLoop::setMainThread();
    testsupport::clearProxyEnvironment();
    NetManage::setTestPageHost(server.url(""));
  }
  void TearDown() override { NetManage::setTestPageHost(original); }

  std::string savedPage() const {
    std::string path = plat::AppHome::cachesDir() + "/url.txt";
    if (!std::filesystem::exists(path)) return "(none)";
    return plat::files::readFile(path).value_or("(unreadable)");
  }

  testsupport::TempHome home;
  ServerReply reply = ServerReply::text("page body");
  LoopbackHttpServer server{[this](const ServerRequest&) { return reply; }};
  std::string original = NetManage::testPageHost();
};

}  // namespace

TEST_F(NetManageTest, OnlyAFetchOfAnnouncedLengthIsSavedInCaches) {
  reply.framing = ServerReply::Framing::Chunked;
  { NetManage manage; }  // waits for its fetch
  ASSERT_EQ(server.requestCount(), 1);
  EXPECT_EQ(server.lastRequest().target, "/bbs");
  EXPECT_EQ(savedPage(), "(none)");

  reply.framing = ServerReply::Framing::Length;
  { NetManage manage; }
  EXPECT_EQ(savedPage(), "page body");

  server.stop();  // refused connection: ignored, the page stays
  { NetManage manage; }
  EXPECT_EQ(savedPage(), "page body");
}

TEST_F(NetManageTest, OnlyTheSecondButtonOfItsAlertsFetchesAgain) {
  {
    NetManage manage;
    auto alert = plat::AlertView::create("t", "m", &manage, "cancel", {"retry"});
    alert->setTag(1);
    manage.clickedButtonAtIndex(*alert, 0);
    alert->setTag(3);
    manage.clickedButtonAtIndex(*alert, 1);
    alert->setTag(2);
    manage.clickedButtonAtIndex(*alert, 1);
  }
  EXPECT_EQ(server.requestCount(), 2);
}

TEST_F(NetManageTest, SharedInstanceIsMadeOnceUntilDestroyed) {
  NetManage& shared = NetManage::sharedNet();
  EXPECT_EQ(&NetManage::sharedNet(), &shared);
  delete &shared;  // joins its fetch and forgets the shared instance
  EXPECT_EQ(server.requestCount(), 1);
  delete &NetManage::sharedNet();
  EXPECT_EQ(server.requestCount(), 2);
}

TEST_F(NetManageTest, ConnectedSocketSendsItsRequestLineAndIsReleasedOnDisconnect) {
  // socat keeps the request up to its blank line, answers 100 bytes and hangs up.
  const std::string request = home.path() + "/request";
  OutsidePeer socat({"socat", "-d", "-d", "TCP4-LISTEN:0,bind=127.0.0.1",
                     "SYSTEM:sed '/^$/q' > " + request + "; head -c 100 /dev/zero"});
  const uint16_t port = OutsidePeer::portAtEnd(socat.waitForLine("listening on"));
  ASSERT_NE(port, 0) << socat.output();

  NetManage manage;
  auto sock = sockets::TcpSocket::create(&manage);
  manage.setClientSock(sock);
  ASSERT_TRUE(sock->connectToHost("127.0.0.1", port));
  std::weak_ptr<sockets::TcpSocket> watched = sock;
  sock.reset();
  EXPECT_TRUE(
      plat::RunLoop::main().runUntil([&] { return !manage.clientSock(); }, testsupport::kPatience));
  EXPECT_EQ(plat::files::readFile(request), "GET / HTTP/1.1\n\n");
  EXPECT_TRUE(watched.expired());
}
