#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <thread>

#include "net/HttpSharedQueue.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/Patience.h"
#include "tests/support/TempHome.h"

using namespace nettest;

namespace {

class HttpProxyConfigurationTest : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    folder_ = testsupport::makeTempDir("vocab-pac");
  }
  void TearDown() override {
    unsetenv("auto_proxy");
    std::filesystem::remove_all(folder_);
    NetTest::TearDown();
  }
  std::string writeScript(const std::string& name, const std::string& text) {
    const std::string path = folder_ + "/" + name;
    std::ofstream(path) << text;
    return "file://" + path;
  }
  std::string folder_;
};

TEST_F(HttpProxyConfigurationTest, AScriptFromAFileOrTheEnvironmentChoosesTheProxyByAddress) {
  LoopbackHttpServer proxy(
      [](const ServerRequest& r) { return ServerReply::text("proxy " + r.target); });
  LoopbackHttpServer server([&](const ServerRequest& r) {
    if (r.target != "/proxy.pac") return ServerReply::text("direct " + r.target);
    return ServerReply::text("function FindProxyForURL(u, h) { return 'PROXY 127.0.0.1:" +
                             std::to_string(proxy.port()) + "'; }");
  });
  const std::string script = writeScript(
      "choose.pac",
      "function FindProxyForURL(url, host) {\n"
      "  if (shExpMatch(url, '*/shared/*') && isInNet(host, '127.0.0.0', '255.0.0.0'))\n"
      "    return 'PROXY 127.0.0.1:" +
          std::to_string(proxy.port()) +
          "; DIRECT';\n"
          "  return 'DIRECT';\n}\n");
  auto fetch = [&](const std::string& path) {
    Exchange get(server.url(path));
    get->setPACurl(*plat::http::Url::parse(script));
    return text(get.run()->responseData()) + " @" + get->proxyHost();
  };
  EXPECT_EQ(fetch("/shared/notes"), "proxy " + server.url("/shared/notes") + " @127.0.0.1");
  EXPECT_EQ(fetch("/mine"), "direct /mine @");

  // A script named by the environment is fetched over HTTP.
  setenv("auto_proxy", server.url("/proxy.pac").c_str(), 1);
  const int before = server.requestCount();
  EXPECT_EQ(text(Exchange("http://127.0.0.1:9/words").run()->responseData()),
            "proxy http://127.0.0.1:9/words");
  EXPECT_EQ(server.requestCount() - before, 1);
}

TEST_F(HttpProxyConfigurationTest, BrokenMissingOrUnreachableScriptsLeaveTheRequestDirect) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    return r.target == "/none.pac" ? ServerReply::text("gone", 404) : ServerReply::text("direct");
  });
  const int width = HttpRequest::sharedQueue().maxConcurrentOperationCount();
  for (const std::string& pac :
       {writeScript("cut.pac", "function FindProxyForURL(u, h) { return 'PROXY"),
        "file://" + folder_ + "/none.pac", server.url("/none.pac")}) {
    Exchange get(server.url("/"));
    get->setPACurl(*plat::http::Url::parse(pac));
    EXPECT_EQ(text(get.run()->responseData()), "direct") << pac;
  }
  // The failed download gave back the room it took in the shared queue.
  EXPECT_EQ(HttpRequest::sharedQueue().maxConcurrentOperationCount(), width);
}

TEST_F(HttpProxyConfigurationTest, LoopingEndlessOrCancelledScriptsHoldUpNoOtherRequest) {
  std::atomic<bool> release{false};
  LoopbackHttpServer server([&](const ServerRequest& r) {
    if (r.target != "/slow.pac") return ServerReply::text("direct");
    for (int i = 0; i < 500 && !release; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return ServerReply::text("gone", 404);
  });
  const int width = HttpRequest::sharedQueue().maxConcurrentOperationCount();
  // A script file that never ends: a pipe whose writer stays open.
  const std::string fifo = folder_ + "/endless.pac";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int writer = open(fifo.c_str(), O_RDWR);
  ASSERT_GE(writer, 0);
  const std::string pacs[] = {
      writeScript("loop.pac", "function FindProxyForURL(u, h) { while (true) {} }"),
      "file://" + fifo, server.url("/slow.pac")};
  std::deque<Exchange> waiting;
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& pac : pacs) {
    waiting.emplace_back(server.url("/"));
    waiting.back()->setPACurl(*plat::http::Url::parse(pac));
    waiting.back()->setTimeOutSeconds(1.5);
    waiting.back().start();
  }
  EXPECT_EQ(Exchange(server.url("/other")).run().finished, 1);
  // The network thread went on while the script ran, the pipe stayed silent and the download hung.
  EXPECT_FALSE(waiting[0].done() || waiting[1].done() || waiting[2].done());

  // Cancelled while its script downloads: it ends at once and the queue's room comes back.
  ASSERT_TRUE(server.waitForRequests(2));  // the other request and the script
  waiting[2]->cancel();
  EXPECT_TRUE(runUntil([&] { return waiting[2].done(); }, testsupport::kPatience));
  EXPECT_EQ(waiting[2].failureCode(), kHttpRequestCancelled);
  release = true;
  EXPECT_EQ(HttpRequest::sharedQueue().maxConcurrentOperationCount(), width);

  EXPECT_TRUE(runUntil([&] { return waiting[0].done() && waiting[1].done(); }));
  EXPECT_EQ(text(waiting[0]->responseData()), "direct");
  EXPECT_EQ(text(waiting[1]->responseData()), "direct");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
  close(writer);
}

}  // namespace
