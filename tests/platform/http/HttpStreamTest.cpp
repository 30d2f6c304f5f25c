#include "platform/http/HttpStream.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/LoopbackListener.h"
#include "tests/support/Patience.h"

using namespace plat::http;
using testsupport::LoopbackHttpServer;
using testsupport::ServerReply;
using testsupport::ServerRequest;

namespace {

struct Outcome {
  HttpStream::Event lastEvent{};
  std::string body;
  ResponseHead head;
  StreamError error;
  bool ended = false;
  bool failed = false;
  bool reused = false;
};

RequestMessage get(const std::string& url, const std::string& method = "GET") {
  RequestMessage message;
  message.method = method;
  message.url = *Url::parse(url);
  return message;
}

// Runs the stream on this thread's loop until it ends or fails. With `unscheduledAWhile` the stream
// is taken off the loop right after opening: nothing may arrive until it is scheduled again.
Outcome run(const std::shared_ptr<HttpStream>& stream, bool unscheduledAWhile = false) {
  Outcome outcome;
  HttpStream* raw = stream.get();
  stream->setClient([&outcome, raw](HttpStream::Event event) {
    outcome.lastEvent = event;
    if (raw->responseHead()) outcome.head = *raw->responseHead();
    if (event == HttpStream::kEventBytesAvailable) {
      uint8_t buffer[16384];
      ssize_t n;
      while ((n = raw->read(buffer, sizeof buffer)) > 0)
        outcome.body.append(reinterpret_cast<char*>(buffer), static_cast<size_t>(n));
    } else if (event == HttpStream::kEventEndEncountered) {
      outcome.ended = true;
    } else {
      outcome.error = raw->error();
      outcome.failed = true;
    }
  });
  plat::RunLoop& loop = plat::RunLoop::current();
  auto done = [&] { return outcome.ended || outcome.failed; };
  stream->schedule(loop, plat::kDefaultRunLoopMode);
  EXPECT_TRUE(stream->open());
  if (unscheduledAWhile) {
    stream->unschedule();
    EXPECT_FALSE(loop.runUntil(done, 0.2));
    stream->schedule(loop, plat::kDefaultRunLoopMode);
  }
  EXPECT_TRUE(loop.runUntil(done, testsupport::kPatience));
  outcome.reused = stream->reusedConnection();
  return outcome;
}

Outcome fetch(const std::string& url, std::optional<int64_t> identity = std::nullopt) {
  auto stream = HttpStream::create(get(url));
  stream->setPersistentConnectionId(identity);
  return run(stream);
}

}  // namespace

// Bodies framed by length or chunks are read through the HTTP client's tests.
TEST(HttpStream, ReadsABodyThatEndsWhenTheServerCloses) {
  std::string big(700000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + (i * 7 + i / 13) % 26);
  LoopbackHttpServer server([&](const ServerRequest&) {
    ServerReply reply = ServerReply::text(big);
    reply.framing = ServerReply::Framing::UntilClose;
    return reply;
  });
  Outcome outcome = fetch(server.url("/close"));
  EXPECT_TRUE(outcome.ended);
  EXPECT_EQ(outcome.head.statusCode, 200);
  EXPECT_TRUE(outcome.body == big);
  EXPECT_EQ(outcome.lastEvent, HttpStream::kEventEndEncountered);
  EXPECT_EQ(server.lastRequest().header("Host"), "127.0.0.1:" + std::to_string(server.port()));
}

TEST(HttpStream, SendsBodiesWithLengthOrChunkedAndHeadFieldsWithoutInjection) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    return ServerReply::text(std::to_string(r.body.size()) + " " + r.header("Transfer-Encoding"));
  });
  auto payload = std::make_shared<std::vector<uint8_t>>(600000, 'x');
  RequestMessage withLength = get(server.url("/upload"), "POST");
  withLength.headers.set("Content-Length", std::to_string(payload->size()));
  auto stream = HttpStream::create(withLength, BodySource::fromBytes(payload));
  EXPECT_EQ(run(stream).body, "600000 ");
  EXPECT_EQ(stream->bodyBytesWritten(), payload->size());
  EXPECT_EQ(server.lastRequest().body, std::string(payload->begin(), payload->end()));

  auto chunked =
      HttpStream::create(get(server.url("/upload"), "PUT"), BodySource::fromBytes(payload));
  EXPECT_EQ(run(chunked).body, "600000 chunked");
  EXPECT_EQ(chunked->bodyBytesWritten(), payload->size());

  RequestMessage message = get(server.url("/"));
  message.headers.set("X-Name", "value\r\nX-Injected: yes");
  run(HttpStream::create(message));
  EXPECT_FALSE(server.lastRequest().hasHeader("X-Injected"));
  EXPECT_EQ(server.lastRequest().header("X-Name"), "valueX-Injected: yes");
}

TEST(HttpStream, KeptConnectionsAreSharedWithinOneIdentityUntilTakenOut) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  EXPECT_TRUE(fetch(server.url("/1"), 7).ended);
  EXPECT_TRUE(fetch(server.url("/2"), 7).reused);
  EXPECT_EQ(server.connectionCount(), 1);
  fetch(server.url("/3"), 8);  // another identity: a connection of its own
  EXPECT_EQ(server.connectionCount(), 2);
  fetch(server.url("/4"));  // no identity: fresh, and closed afterwards
  fetch(server.url("/5"));
  EXPECT_EQ(server.connectionCount(), 4);
  closeIdleConnections(7);
  fetch(server.url("/6"), 7);
  EXPECT_EQ(server.connectionCount(), 5);

  auto stream = HttpStream::create(get(server.url("/b")));
  stream->setPersistentConnectionId(7);
  EXPECT_TRUE(run(stream).reused);
  stream->forbidConnectionReuse();  // after the end: taken back out of the pool
  fetch(server.url("/c"), 7);
  EXPECT_EQ(server.connectionCount(), 6);
  closeIdleConnections(7);
  closeIdleConnections(8);
}

TEST(HttpStream, FailuresSayWhatBroke) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    ServerReply reply = ServerReply::text(std::string(5000, 'b'));
    if (r.path() == "/drop") reply.dropRequest = true;
    if (r.path() == "/cut") reply.closeAfterBodyBytes = 1000;
    if (r.path() == "/garbage") reply.raw = "SSH-2.0-OpenSSH\r\n\r\n";
    return reply;
  });
  Outcome dropped = fetch(server.url("/drop"));
  ASSERT_TRUE(dropped.failed);
  EXPECT_EQ(dropped.error.domain, StreamError::Domain::Network);
  EXPECT_EQ(dropped.error.code, kNetworkConnectionLost);

  Outcome cut = fetch(server.url("/cut"));
  ASSERT_TRUE(cut.failed);
  EXPECT_EQ(cut.error.code, kNetworkResponseTruncated);
  EXPECT_EQ(cut.head.statusCode, 200);

  Outcome garbage = fetch(server.url("/garbage"));
  ASSERT_TRUE(garbage.failed);
  EXPECT_EQ(garbage.error.code, kNetworkBadResponse);
}

TEST(HttpStream, WaitsWhileUnscheduledAndReadsNoBodyOfAHead) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("later"); });
  EXPECT_EQ(run(HttpStream::create(get(server.url("/"))), true).body, "later");
  Outcome head = run(HttpStream::create(get(server.url("/"), "HEAD")));
  EXPECT_TRUE(head.ended);
  EXPECT_EQ(head.head.headers.value("Content-Length"), "5");
  EXPECT_EQ(head.body, "");
}

TEST(HttpStream, ProxySettingsFromTheEnvironment) {
  auto parsed = parseProxySetting("socks5://Proxy.local");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->type, ProxyServer::Type::Socks);
  EXPECT_EQ(parsed->host, "proxy.local");
  EXPECT_EQ(parsed->port, 1080);
  EXPECT_EQ(parseProxySetting("10.0.0.1:3128")->port, 3128);
  EXPECT_FALSE(parseProxySetting("ftp://x"));
  EXPECT_TRUE(isExemptFromProxy("api.example.com", "localhost, .example.com"));
  EXPECT_TRUE(isExemptFromProxy("example.com", "example.com:8080"));
  EXPECT_FALSE(isExemptFromProxy("badexample.com", "example.com"));
  EXPECT_TRUE(isExemptFromProxy("anything", "*"));

  setenv("http_proxy", "http://127.0.0.1:3128", 1);
  setenv("no_proxy", "direct.test", 1);
  EXPECT_EQ(systemProxyForUrl(*Url::parse("http://server.test/"))->port, 3128);
  EXPECT_FALSE(systemProxyForUrl(*Url::parse("http://direct.test/")));
  EXPECT_FALSE(systemProxyForUrl(*Url::parse("https://server.test/")));
  unsetenv("http_proxy");
  unsetenv("no_proxy");
  EXPECT_FALSE(systemProxyForUrl(*Url::parse("http://server.test/")));
}

// An empty lower-case variable gives way to the upper-case one, all_proxy serves a scheme without
// its own, and names that merely end like a proxy variable count for nothing.
TEST(HttpStream, ProxyVariablesByPrecedence) {
  testsupport::clearProxyEnvironment();
  setenv("https_proxy", "", 1);
  setenv("HTTPS_PROXY", "10.0.0.2:8443", 1);
  setenv("ftp_proxy", "10.0.0.9:21", 1);
  setenv("ALL_PROXY", "socks5://10.0.0.3", 1);
  setenv("AUTO_PROXY", " http://127.0.0.1/proxy.pac ", 1);
  EXPECT_EQ(systemProxyForUrl(*Url::parse("https://server.test/"))->port, 8443);
  auto plain = systemProxyForUrl(*Url::parse("http://server.test/"));
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->type, ProxyServer::Type::Socks);
  EXPECT_EQ(plain->host, "10.0.0.3");
  ASSERT_TRUE(systemAutoConfigurationUrl());
  EXPECT_EQ(systemAutoConfigurationUrl()->path(), "/proxy.pac");
  for (const char* name : {"https_proxy", "HTTPS_PROXY", "ftp_proxy", "ALL_PROXY", "AUTO_PROXY"})
    unsetenv(name);
  EXPECT_FALSE(systemProxyForUrl(*Url::parse("https://server.test/")));
  EXPECT_FALSE(systemAutoConfigurationUrl());
}

namespace {

// A SOCKS5 proxy for one connection: answers the greeting and the connect request, then answers
// the request sent through the tunnel with its own head.
class OneShotSocksProxy {
 public:
  OneShotSocksProxy() {
    uint16_t port = 0;
    listenFd_ = testsupport::listenOnLoopback(port, 1);
    port_ = port;
    thread_ = std::thread([this] { serve(); });
  }
  ~OneShotSocksProxy() {
    ::shutdown(listenFd_, SHUT_RDWR);
    thread_.join();
    ::close(listenFd_);
  }
  int port() const { return port_; }
  const std::string& requested() const { return requested_; }

 private:
  void serve() {
    int client = ::accept(listenFd_, nullptr, nullptr);
    if (client < 0) return;
    uint8_t greeting[3], head[5];
    if (::recv(client, greeting, 3, MSG_WAITALL) != 3 || greeting[0] != 5)
      return (void)::close(client);
    ::send(client, "\x05\x00", 2, MSG_NOSIGNAL);
    if (::recv(client, head, 5, MSG_WAITALL) != 5 || head[3] != 3) return (void)::close(client);
    std::vector<uint8_t> rest(head[4] + 2);
    ::recv(client, rest.data(), rest.size(), MSG_WAITALL);
    requested_ = std::string(rest.begin(), rest.end() - 2) + ":" +
                 std::to_string(rest[rest.size() - 2] << 8 | rest.back());
    ::send(client, "\x05\x00\x00\x01\x7f\x00\x00\x01\x00\x00", 10, MSG_NOSIGNAL);
    std::string request;
    char c;
    while (request.find("\r\n\r\n") == std::string::npos && ::recv(client, &c, 1, 0) == 1)
      request += c;
    const std::string reply =
        "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(request.size()) + "\r\n\r\n" +
        request;
    ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
    ::close(client);
  }

  int listenFd_ = -1;
  int port_ = 0;
  std::string requested_;
  std::thread thread_;
};

}  // namespace

TEST(HttpStream, GoesThroughASocksProxyByNameAndHearsARefusedTunnel) {
  OneShotSocksProxy proxy;
  auto stream = HttpStream::create(get("http://origin.test:8080/words"));
  stream->setProxy(ProxyServer{ProxyServer::Type::Socks, "127.0.0.1", proxy.port()});
  const std::string head = run(stream).body;
  EXPECT_EQ(head.rfind("GET /words HTTP/1.1\r\n", 0), 0u) << head;
  EXPECT_NE(head.find("\r\nHost: origin.test:8080\r\n"), std::string::npos) << head;
  EXPECT_EQ(proxy.requested(), "origin.test:8080");

  // An HTTP proxy that refuses the tunnel answers for the secure origin.
  LoopbackHttpServer refusing([](const ServerRequest&) { return ServerReply::text("who", 407); });
  auto secure = HttpStream::create(get("https://example.invalid/"));
  secure->setProxy(ProxyServer{ProxyServer::Type::Http, "127.0.0.1", refusing.port()});
  Outcome refused = run(secure);
  EXPECT_EQ(refused.head.statusCode, 407);
  EXPECT_EQ(refused.body, "who");
  EXPECT_EQ(refusing.lastRequest().method, "CONNECT");
  EXPECT_EQ(refusing.lastRequest().target, "example.invalid:443");
}
