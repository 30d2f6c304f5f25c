#include "platform/http/HttpStream.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "platform/stream/TlsTrust.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TestCertificate.h"

using namespace plat::http;
using testsupport::LoopbackHttpServer;
using testsupport::ServerReply;
using testsupport::ServerRequest;

namespace {

struct Outcome {
  std::vector<HttpStream::Event> events;
  std::string body;
  ResponseHead head;
  StreamError error;
  bool ended = false;
  bool failed = false;
};

RequestMessage get(const std::string& url, const std::string& method = "GET") {
  RequestMessage message;
  message.method = method;
  message.url = *Url::parse(url);
  return message;
}

// Runs the stream on this thread's loop until it ends or fails.
Outcome run(const std::shared_ptr<HttpStream>& stream, double timeout = 10) {
  Outcome outcome;
  HttpStream* raw = stream.get();
  stream->setClient([&outcome, raw](HttpStream::Event event) {
    outcome.events.push_back(event);
    if (event == HttpStream::kEventBytesAvailable) {
      if (raw->responseHead()) outcome.head = *raw->responseHead();
      uint8_t buffer[16384];
      ssize_t n;
      while ((n = raw->read(buffer, sizeof buffer)) > 0)
        outcome.body.append(reinterpret_cast<char*>(buffer), static_cast<size_t>(n));
    } else if (event == HttpStream::kEventEndEncountered) {
      if (raw->responseHead()) outcome.head = *raw->responseHead();
      outcome.ended = true;
    } else {
      outcome.error = raw->error();
      outcome.failed = true;
    }
  });
  plat::RunLoop& loop = plat::RunLoop::current();
  stream->schedule(loop, plat::kDefaultRunLoopMode);
  EXPECT_TRUE(stream->open());
  EXPECT_TRUE(loop.runUntil([&] { return outcome.ended || outcome.failed; }, timeout));
  return outcome;
}

Outcome fetch(const std::string& url, std::optional<int64_t> identity = std::nullopt) {
  auto stream = HttpStream::create(get(url));
  stream->setPersistentConnectionId(identity);
  return run(stream);
}

std::string bigText(size_t size) {
  std::string text(size, '\0');
  for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + (i * 7 + i / 13) % 26);
  return text;
}

}  // namespace

TEST(HttpStream, ReadsLengthChunkedAndCloseFramedBodies) {
  const std::string big = bigText(700000);
  LoopbackHttpServer server([&](const ServerRequest& request) {
    ServerReply reply = ServerReply::text(big);
    if (request.path() == "/chunked") {
      reply.framing = ServerReply::Framing::Chunked;
      reply.chunkSize = 1000;
    } else if (request.path() == "/close") {
      reply.framing = ServerReply::Framing::UntilClose;
    }
    return reply.header("X-Twice", "1").header("X-Twice", "2");
  });
  for (const char* path : {"/length", "/chunked", "/close"}) {
    Outcome outcome = fetch(server.url(path));
    EXPECT_TRUE(outcome.ended) << path;
    EXPECT_EQ(outcome.head.statusCode, 200) << path;
    EXPECT_EQ(outcome.head.headers.value("x-twice"), "1, 2") << path;
    EXPECT_EQ(outcome.body.size(), big.size()) << path;
    EXPECT_TRUE(outcome.body == big) << path;
    EXPECT_EQ(outcome.events.back(), HttpStream::kEventEndEncountered);
  }
  EXPECT_EQ(server.lastRequest().header("Host"), "127.0.0.1:" + std::to_string(server.port()));
}

TEST(HttpStream, SendsBodiesWithLengthOrChunked) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    return ServerReply::text(std::to_string(r.body.size()) + " " + r.header("Transfer-Encoding"));
  });
  auto payload = std::make_shared<std::vector<uint8_t>>(600000, 'x');
  RequestMessage withLength = get(server.url("/upload"), "POST");
  withLength.headers.set("Content-Length", std::to_string(payload->size()));
  auto stream = HttpStream::create(withLength, BodySource::fromBytes(payload));
  Outcome outcome = run(stream);
  EXPECT_EQ(outcome.body, "600000 ");
  EXPECT_EQ(stream->bodyBytesWritten(), payload->size());
  EXPECT_EQ(server.lastRequest().body, std::string(payload->begin(), payload->end()));

  auto chunked =
      HttpStream::create(get(server.url("/upload"), "PUT"), BodySource::fromBytes(payload));
  EXPECT_EQ(run(chunked).body, "600000 chunked");
  EXPECT_EQ(chunked->bodyBytesWritten(), payload->size());
}

TEST(HttpStream, HeadFieldsCannotBeInjectedThroughValues) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  RequestMessage message = get(server.url("/"));
  message.headers.set("X-Name", "value\r\nX-Injected: yes");
  run(HttpStream::create(message));
  EXPECT_FALSE(server.lastRequest().hasHeader("X-Injected"));
  EXPECT_EQ(server.lastRequest().header("X-Name"), "valueX-Injected: yes");
}

TEST(HttpStream, SharesKeptConnectionsOnlyWithinOneIdentity) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  EXPECT_TRUE(fetch(server.url("/1"), 7).ended);
  auto second = HttpStream::create(get(server.url("/2")));
  second->setPersistentConnectionId(7);
  run(second);
  EXPECT_TRUE(second->reusedConnection());
  EXPECT_EQ(server.connectionCount(), 1);

  fetch(server.url("/3"), 8);  // another identity: a connection of its own
  EXPECT_EQ(server.connectionCount(), 2);
  fetch(server.url("/4"));  // no identity: fresh, and closed afterwards
  fetch(server.url("/5"));
  EXPECT_EQ(server.connectionCount(), 4);

  closeIdleConnections(7);
  fetch(server.url("/6"), 7);
  EXPECT_EQ(server.connectionCount(), 5);
  closeIdleConnections(7);
  closeIdleConnections(8);
}

TEST(HttpStream, ConnectionsTheServerOrClientGiveUpAreNotReused) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    ServerReply reply = ServerReply::text("ok");
    if (r.path() == "/close") reply.header("Connection", "close");
    return reply;
  });
  fetch(server.url("/close"), 9);
  fetch(server.url("/a"), 9);
  EXPECT_EQ(server.connectionCount(), 2);

  auto stream = HttpStream::create(get(server.url("/b")));
  stream->setPersistentConnectionId(9);
  run(stream);
  EXPECT_TRUE(stream->reusedConnection());
  stream->forbidConnectionReuse();  // after the end: taken back out of the pool
  fetch(server.url("/c"), 9);
  EXPECT_EQ(server.connectionCount(), 3);
  closeIdleConnections(9);
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

  // A port nobody listens on.
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  Outcome refused = fetch("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/");
  ASSERT_TRUE(refused.failed);
  EXPECT_EQ(refused.error.domain, StreamError::Domain::Posix);
  EXPECT_EQ(refused.error.code, ECONNREFUSED);
}

TEST(HttpStream, ResolvesNamesOffTheLoop) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("named"); });
  Outcome outcome = fetch("http://localhost:" + std::to_string(server.port()) + "/");
  if (outcome.failed) GTEST_SKIP() << "localhost does not resolve to 127.0.0.1 here";
  EXPECT_EQ(outcome.body, "named");
}

TEST(HttpStream, WaitsWhileUnscheduled) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("later"); });
  auto stream = HttpStream::create(get(server.url("/")));
  bool ended = false;
  std::string body;
  stream->setClient([&](HttpStream::Event event) {
    uint8_t buffer[64];
    ssize_t n;
    while ((n = stream->read(buffer, sizeof buffer)) > 0) body.append((char*)buffer, n);
    if (event == HttpStream::kEventEndEncountered) ended = true;
  });
  plat::RunLoop& loop = plat::RunLoop::current();
  stream->schedule(loop, plat::kDefaultRunLoopMode);
  stream->open();
  stream->unschedule();
  EXPECT_FALSE(loop.runUntil([&] { return ended; }, 0.2));
  stream->schedule(loop, plat::kDefaultRunLoopMode);
  EXPECT_TRUE(loop.runUntil([&] { return ended; }, 5));
  EXPECT_EQ(body, "later");
  stream->setClient(nullptr);
}

TEST(HttpStream, InterimAndBodilessResponses) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    ServerReply reply = ServerReply::text("body");
    if (r.path() == "/interim")
      reply.raw = "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nyes";
    return reply;
  });
  EXPECT_EQ(fetch(server.url("/interim")).body, "yes");
  Outcome head = run(HttpStream::create(get(server.url("/"), "HEAD")));
  EXPECT_TRUE(head.ended);
  EXPECT_EQ(head.head.headers.value("Content-Length"), "4");
  EXPECT_EQ(head.body, "");
}

TEST(HttpStream, GoesThroughAnHttpProxyWithTheWholeUrl) {
  LoopbackHttpServer proxy([](const ServerRequest& r) {
    if (r.method == "CONNECT") return ServerReply::text("who are you", 407);
    return ServerReply::text("via proxy: " + r.target);
  });
  auto stream = HttpStream::create(get("http://example.invalid:81/x?y=1"));
  stream->setProxy(ProxyServer{ProxyServer::Type::Http, "127.0.0.1", proxy.port()});
  Outcome outcome = run(stream);
  EXPECT_EQ(outcome.body, "via proxy: http://example.invalid:81/x?y=1");
  EXPECT_EQ(proxy.lastRequest().header("Host"), "example.invalid:81");

  // A refused tunnel: the proxy's answer is the response.
  auto secure = HttpStream::create(get("https://example.invalid/"));
  secure->setProxy(ProxyServer{ProxyServer::Type::Http, "127.0.0.1", proxy.port()});
  Outcome refused = run(secure);
  EXPECT_EQ(refused.head.statusCode, 407);
  EXPECT_EQ(refused.body, "who are you");
  EXPECT_EQ(proxy.lastRequest().target, "example.invalid:443");
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

TEST(HttpStream, SecureConnectionsCheckTheCertificate) {
  testsupport::TestCertificate certificate;
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("secret"); },
                            certificate);
  plat::stream::removeAddedTrustedCertificates();
  Outcome untrusted = fetch(server.url("/"));
  ASSERT_TRUE(untrusted.failed);
  EXPECT_EQ(untrusted.error.domain, StreamError::Domain::Tls);

  auto unchecked = HttpStream::create(get(server.url("/")));
  unchecked->setValidatesCertificate(false);
  EXPECT_EQ(run(unchecked).body, "secret");

  ASSERT_TRUE(plat::stream::addTrustedCertificates(certificate.caPem()));
  EXPECT_EQ(fetch(server.url("/"), 11).body, "secret");
  auto again = HttpStream::create(get(server.url("/")));
  again->setPersistentConnectionId(11);
  EXPECT_EQ(run(again).body, "secret");
  EXPECT_TRUE(again->reusedConnection());
  plat::stream::removeAddedTrustedCertificates();
  closeIdleConnections(11);
}

namespace {

// A SOCKS5 proxy for one connection: answers the greeting and the connect request (to 127.0.0.1
// only), then relays bytes both ways until either side closes.
class OneShotSocksProxy {
 public:
  OneShotSocksProxy() {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listenFd_, 1);
    socklen_t length = sizeof address;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~OneShotSocksProxy() {
    ::shutdown(listenFd_, SHUT_RDWR);
    thread_.join();
    ::close(listenFd_);
  }
  int port() const { return port_; }
  const std::string& requestedHost() const { return requestedHost_; }

 private:
  static bool readExactly(int fd, uint8_t* into, size_t length) {
    while (length > 0) {
      ssize_t n = ::recv(fd, into, length, 0);
      if (n <= 0) return false;
      into += n;
      length -= static_cast<size_t>(n);
    }
    return true;
  }

  void serve() {
    int client = ::accept(listenFd_, nullptr, nullptr);
    if (client < 0) return;
    uint8_t greeting[3], head[5];
    if (!readExactly(client, greeting, 3) || greeting[0] != 5) return (void)::close(client);
    ::send(client, "\x05\x00", 2, MSG_NOSIGNAL);
    if (!readExactly(client, head, 5) || head[3] != 3) return (void)::close(client);
    std::vector<uint8_t> rest(head[4] + 2);
    readExactly(client, rest.data(), rest.size());
    requestedHost_.assign(rest.begin(), rest.end() - 2);
    int targetPort = rest[rest.size() - 2] << 8 | rest.back();
    int target = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(targetPort));
    ::connect(target, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::send(client, "\x05\x00\x00\x01\x7f\x00\x00\x01\x00\x00", 10, MSG_NOSIGNAL);
    pollfd fds[2] = {{client, POLLIN, 0}, {target, POLLIN, 0}};
    char buffer[16384];
    while (::poll(fds, 2, 5000) > 0) {
      int from = fds[0].revents ? 0 : 1;
      ssize_t n = ::recv(fds[from].fd, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      ::send(fds[1 - from].fd, buffer, static_cast<size_t>(n), MSG_NOSIGNAL);
    }
    ::close(target);
    ::close(client);
  }

  int listenFd_ = -1;
  int port_ = 0;
  std::string requestedHost_;
  std::thread thread_;
};

}  // namespace

TEST(HttpStream, GoesThroughASocksProxyByName) {
  LoopbackHttpServer server(
      [](const ServerRequest& r) { return ServerReply::text("via socks " + r.header("Host")); });
  OneShotSocksProxy proxy;
  const std::string url = "http://origin.test:" + std::to_string(server.port()) + "/";
  auto stream = HttpStream::create(get(url));
  stream->setProxy(ProxyServer{ProxyServer::Type::Socks, "127.0.0.1", proxy.port()});
  Outcome outcome = run(stream);
  EXPECT_EQ(outcome.body, "via socks origin.test:" + std::to_string(server.port()));
  EXPECT_EQ(proxy.requestedHost(), "origin.test");
}
