// The class-wide defaults every request starts from, and the shared queue that runs requests
// started on their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "net/HttpRequest.h"
#include "net/HttpSharedQueue.h"
#include "platform/base/Bundle.h"
#include "platform/base/Device.h"
#include "tests/net/NetTestSupport.h"

using namespace nettest;

namespace {

class HttpRequestDefaultsTest : public NetTest {};

TEST_F(HttpRequestDefaultsTest, UserAgentAndBasicHeaderGoOutAsBuilt) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  HttpRequest::setDefaultUserAgentString("");  // made again from the bundle and the device
  Exchange plain(server.url("/"));
  plain.run();
  const plat::Bundle& bundle = plat::Bundle::main();
  const plat::DeviceInfo device = plat::Device::current();
  std::string name = bundle.infoValue("CFBundleDisplayName");
  ASSERT_FALSE(name.empty());
  std::string agent = server.lastRequest().header("User-Agent");
  EXPECT_EQ(agent.rfind(name + " ", 0), 0u) << agent;
  EXPECT_NE(agent.find(" (" + device.model + "; " + device.systemName + " " + device.systemVersion +
                       "; " + device.localeIdentifier + ")"),
            std::string::npos)
      << agent;

  // The user name followed by a colon, when the password is empty.
  Exchange tagged(server.url("/"));
  tagged->setUserAgent("Vocab/2");
  tagged->addBasicAuthenticationHeaderWithUsername("user", "");
  tagged.run();
  EXPECT_EQ(server.lastRequest().header("User-Agent"), "Vocab/2");
  EXPECT_EQ(server.lastRequest().header("Authorization"), "Basic dXNlcjo=");
}

TEST_F(HttpRequestDefaultsTest, ADefaultTimeOutReachesOnlyLaterRequests) {
  LoopbackHttpServer server([](const ServerRequest&) {
    ServerReply reply = ServerReply::text("slow");
    reply.delayBeforeHeaders = 1.0;
    return reply;
  });
  const double before = HttpRequest::defaultTimeOutSeconds();
  auto earlier = HttpRequest::requestWithURL(server.url("/"));
  HttpRequest::setDefaultTimeOutSeconds(0.3);
  Exchange later(server.url("/"));
  EXPECT_EQ(later.run().failureCode(), 2);  // timed out
  Exchange kept(earlier);
  EXPECT_EQ(kept.run().finished, 1);
  EXPECT_EQ(earlier->timeOutSeconds(), before);
  HttpRequest::setDefaultTimeOutSeconds(before);
}

TEST_F(HttpRequestDefaultsTest, TheSharedQueueRunsFourAtOnce) {
  std::atomic<int> running{0}, most{0};
  LoopbackHttpServer server([&](const ServerRequest&) {
    int now = ++running;
    int seen = most.load();
    while (now > seen && !most.compare_exchange_weak(seen, now)) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    --running;
    return ServerReply::text("ok");
  });
  EXPECT_EQ(HttpRequest::sharedQueue().maxConcurrentOperationCount(), 4);
  std::vector<std::unique_ptr<Exchange>> exchanges;
  for (int i = 0; i < 5; ++i) {
    exchanges.push_back(std::make_unique<Exchange>(server.url("/" + std::to_string(i))));
    exchanges.back()->start();
  }
  EXPECT_TRUE(runUntil([&] {
    return std::all_of(exchanges.begin(), exchanges.end(), [](auto& e) { return e->done(); });
  }));
  for (auto& exchange : exchanges) EXPECT_EQ(exchange->finished, 1);
  EXPECT_EQ(most.load(), 4);
}

}  // namespace
