// The analytics' blocking exchange against a hostile server that never stops sending its reply:
// the exchange keeps no more than its ceiling, fails with an error and lets the connection go.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "analytics/AnalyticsHttp.h"
#include "platform/base/RunLoop.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/LoopbackListener.h"

namespace {

// Answers the first connection with a JSON head and then body bytes without end (up to a limit
// far past any ceiling, so that a client without one still comes to an end), counting them.
class EndlessReplyServer {
 public:
  static constexpr uint64_t kGivesUpAfter = uint64_t{256} << 20;

  EndlessReplyServer() {
    listen_ = testsupport::listenOnLoopback(port_, 4);
    thread_ = std::thread([this] { serve(); });
  }
  ~EndlessReplyServer() {
    ::shutdown(listen_, SHUT_RDWR);
    thread_.join();
    ::close(listen_);
  }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/config"; }
  uint64_t sent() const { return sent_; }

 private:
  void serve() {
    const int client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n\r\n";
    const std::string block(65536, ' ');
    bool open = ::send(client, head.data(), head.size(), MSG_NOSIGNAL) > 0;
    while (open && sent_ < kGivesUpAfter) {
      const ssize_t n = ::send(client, block.data(), block.size(), MSG_NOSIGNAL);
      open = n > 0;
      if (open) sent_ += static_cast<uint64_t>(n);
    }
    ::close(client);
  }

  int listen_ = -1;
  uint16_t port_ = 0;
  std::atomic<uint64_t> sent_{0};
  std::thread thread_;
};

TEST(AnalyticsHttp, AnEndlessReplyFailsTheExchangeAtTheCeiling) {
  plat::RunLoop::setMainThread();
  testsupport::clearProxyEnvironment();
  EndlessReplyServer server;
  const AnalyticsHttpReply reply = analyticsPost(server.url(), {}, "{}", /*timeoutSeconds=*/20);
  EXPECT_FALSE(reply.answered);
  EXPECT_NE(reply.error.find("larger than"), std::string::npos) << reply.error;
  EXPECT_TRUE(reply.body.empty());
  // The exchange stopped reading soon after the ceiling, long before the server gave up.
  EXPECT_GT(server.sent(), kAnalyticsMostReplyBytes);
  EXPECT_LT(server.sent(), EndlessReplyServer::kGivesUpAfter);
}

TEST(AnalyticsHttp, AReplyAtTheCeilingIsKeptWhole) {
  plat::RunLoop::setMainThread();
  testsupport::clearProxyEnvironment();
  const std::string body(4096, 'x');
  testsupport::LoopbackHttpServer server(
      [&](const testsupport::ServerRequest&) { return testsupport::ServerReply::text(body); });
  const AnalyticsHttpReply whole = analyticsPost(server.url("/"), {}, "{}", 20, body.size());
  EXPECT_TRUE(whole.answered);
  EXPECT_EQ(whole.body, body);
  const AnalyticsHttpReply over = analyticsPost(server.url("/"), {}, "{}", 20, body.size() - 1);
  EXPECT_FALSE(over.answered);
  EXPECT_FALSE(over.error.empty());
}

}  // namespace
