// The network test client against a loopback HTTP server: what its background fetch keeps, and
// which alert buttons start another.
#include "sockets/NetManage.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/base/RunLoop.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"

using sockets::NetManage;
using testsupport::LoopbackHttpServer;
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
  std::unique_ptr<NetManage> again(&NetManage::sharedNet());
  again.reset();
  EXPECT_EQ(server.requestCount(), 2);
}

// A one-shot TCP peer on 127.0.0.1: takes what comes up to a blank line, answers 100 bytes and
// hangs up.
TEST_F(NetManageTest, ConnectedSocketSendsItsRequestLineAndIsReleasedOnDisconnect) {
  int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  socklen_t length = sizeof address;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  std::string request;
  std::thread peer([&] {
    int connection = ::accept(listener, nullptr, nullptr);
    char buffer[64];
    while (request.find("\n\n") == std::string::npos) {
      ssize_t n = ::read(connection, buffer, sizeof buffer);
      if (n <= 0) break;
      request.append(buffer, static_cast<size_t>(n));
    }
    const std::string answer(100, 'x');
    [[maybe_unused]] ssize_t sent = ::write(connection, answer.data(), answer.size());
    ::close(connection);
  });

  NetManage manage;
  auto sock = sockets::TcpSocket::create(&manage);
  manage.setClientSock(sock);
  ASSERT_TRUE(sock->connectToHost("127.0.0.1", ntohs(address.sin_port)));
  std::weak_ptr<sockets::TcpSocket> watched = sock;
  sock.reset();
  EXPECT_TRUE(plat::RunLoop::main().runUntil([&] { return !manage.clientSock(); }, 5.0));
  peer.join();
  ::close(listener);
  EXPECT_EQ(request, "GET / HTTP/1.1\n\n");
  EXPECT_TRUE(watched.expired());
}
