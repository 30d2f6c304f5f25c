// NTLM logins against a loopback server and proxy that check the NTLMv2 proof: the handshake
// stays on one connection (a POST too), DOMAIN\user names the domain, the proxy takes the
// request's own account, and a second refusal ends the request.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/stream/TlsTrust.h"
#include "tests/net/NetTestSupport.h"
#include "tests/net/NtlmTestServer.h"
#include "tests/support/LoopbackListener.h"
#include "tests/support/Patience.h"
#include "tests/support/TestCertificate.h"

using namespace nettest;

namespace {

// Answers each question with the same password, counting the questions.
class Answerer : public Recorder {
 public:
  bool respondsTo(HttpDelegateCallback callback) const override {
    return callback == HttpDelegateCallback::AuthenticationNeeded;
  }
  void authenticationNeededForRequest(HttpRequest& request) override {
    ++asked;
    request.setPassword(password);
    request.retryUsingSuppliedCredentials();
  }
  std::string password;
  int asked = 0;
};

// An HTTP proxy that opens CONNECT tunnels once its NTLM login succeeded on the connection; a
// refusal keeps the connection open for the next CONNECT.
class NtlmConnectProxy {
 public:
  explicit NtlmConnectProxy(NtlmServer& ntlm) : ntlm_(ntlm) {
    listen_ = testsupport::listenOnLoopback(port_, 8);
    accepter_ = std::thread([this] { acceptLoop(); });
  }
  ~NtlmConnectProxy() {
    ::shutdown(listen_, SHUT_RDWR);
    accepter_.join();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (int fd : open_) ::shutdown(fd, SHUT_RDWR);
    }
    for (auto& thread : threads_) thread.join();
    ::close(listen_);
  }
  uint16_t port() const { return port_; }

 private:
  void acceptLoop() {
    for (int number = 1;; ++number) {
      const int client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) return;
      std::lock_guard<std::mutex> lock(mutex_);
      open_.push_back(client);
      threads_.emplace_back([this, client, number] {
        serve(client, number);
        ::close(client);
      });
    }
  }
  static bool sendAll(int fd, const std::string& bytes) {
    return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
  }
  void serve(int client, int number) {
    for (;;) {
      std::string head;
      char c;
      while (head.find("\r\n\r\n") == std::string::npos && ::recv(client, &c, 1, 0) == 1) head += c;
      if (head.find("\r\n\r\n") == std::string::npos) return;
      ServerRequest request;
      request.connection = number;
      request.method = head.substr(0, head.find(' '));
      request.target =
          head.substr(request.method.size() + 1,
                      head.find(' ', request.method.size() + 1) - request.method.size() - 1);
      for (size_t at = head.find("\r\n") + 2; at < head.size() - 2;) {
        const size_t end = head.find("\r\n", at), colon = head.find(':', at);
        if (colon < end)
          request.headers.emplace_back(head.substr(at, colon - at),
                                       head.substr(colon + 2, end - colon - 2));
        at = end + 2;
      }
      ServerReply reply = ntlm_.handle(request);
      if (reply.status != 200) {
        std::string out = "HTTP/1.1 407 Proxy Authentication Required\r\n";
        for (const auto& [name, value] : reply.headers) out += name + ": " + value + "\r\n";
        out += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n\r\n" + reply.body;
        if (!sendAll(client, out)) return;
        continue;
      }
      return tunnel(client, request.target);
    }
  }
  static void tunnel(int client, const std::string& target) {
    const int origin = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(std::stoi(target.substr(target.find(':') + 1))));
    inet_pton(AF_INET, target.substr(0, target.find(':')).c_str(), &address.sin_addr);
    if (::connect(origin, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        !sendAll(client, "HTTP/1.1 200 Connection established\r\n\r\n")) {
      ::close(origin);
      return;
    }
    pollfd both[2] = {{client, POLLIN, 0}, {origin, POLLIN, 0}};
    char buffer[16384];
    while (::poll(both, 2, 10000) > 0) {
      for (int side = 0; side < 2; ++side) {
        if (!both[side].revents) continue;
        const ssize_t n = ::recv(both[side].fd, buffer, sizeof buffer, 0);
        if (n <= 0 || !sendAll(both[1 - side].fd, std::string(buffer, static_cast<size_t>(n)))) {
          ::close(origin);
          return;
        }
      }
    }
    ::close(origin);
  }

  NtlmServer& ntlm_;
  int listen_ = -1;
  uint16_t port_ = 0;
  std::thread accepter_;
  std::mutex mutex_;
  std::vector<int> open_;
  std::vector<std::thread> threads_;
};

// A TLS 1.3 server that refuses every client without a certificate: the refusal comes after the
// client has finished its part of the handshake, while it waits for the response.
class HandshakeRefuser {
 public:
  explicit HandshakeRefuser(const testsupport::TestCertificate& certificate) {
    context_ = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate_chain_file(context_, certificate.certificatePath().c_str());
    SSL_CTX_use_PrivateKey_file(context_, certificate.keyPath().c_str(), SSL_FILETYPE_PEM);
    SSL_CTX_set_verify(context_, SSL_VERIFY_PEER | SSL_VERIFY_FAIL_IF_NO_PEER_CERT,
                       [](int, X509_STORE_CTX*) { return 1; });
    listen_ = testsupport::listenOnLoopback(port_, 8);
    accepter_ = std::thread([this] {
      for (;;) {
        const int client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) return;
        ++connections_;
        timeval wait{static_cast<time_t>(testsupport::kPatience), 0};
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        SSL* ssl = SSL_new(context_);
        SSL_set_fd(ssl, client);
        SSL_accept(ssl);  // fails, and tells the client why
        SSL_free(ssl);
        ::close(client);
      }
    });
  }
  ~HandshakeRefuser() {
    ::shutdown(listen_, SHUT_RDWR);
    accepter_.join();
    ::close(listen_);
    SSL_CTX_free(context_);
  }
  std::string url() const { return "https://127.0.0.1:" + std::to_string(port_) + "/page"; }
  int connections() const { return connections_; }

 private:
  SSL_CTX* context_ = nullptr;
  int listen_ = -1;
  uint16_t port_ = 0;
  std::atomic<int> connections_{0};
  std::thread accepter_;
};

class HttpNtlmTest : public LoginTest {};

TEST_F(HttpNtlmTest, ServerLoginKeepsItsConnectionAndSplitsTheDomainOffTheUser) {
  NtlmServer ntlm;
  ntlm.addAccount("lin", "right");
  ntlm.addAccount("OTHER\\lin", "right");
  LoopbackHttpServer server([&](const ServerRequest& r) { return ntlm.handle(r); });

  Exchange get(server.url("/words"));
  get->setUsername("WORDS\\lin");
  get->setPassword("right");
  ASSERT_EQ(get.run().finished, 1);
  EXPECT_EQ(text(get->responseData()), "welcome lin GET ");
  EXPECT_EQ(get->authenticationScheme(), "NTLM");
  ASSERT_EQ(ntlm.answers().size(), 1u);
  EXPECT_EQ(ntlm.answers()[0].domain, "WORDS");
  EXPECT_TRUE(ntlm.answers()[0].sameConnection);

  // A POST keeps no connection of its own accord, but the handshake keeps one; the domain field
  // comes before the user name's prefix.
  HttpRequest::clearSessionCredentials();
  Exchange post(server.url("/save"));
  post->setUsername("OTHER\\lin");
  post->setDomain("WORDS");
  post->setPassword("right");
  post->appendPostData(std::string("word=apple"));
  ASSERT_EQ(post.run().finished, 1);
  EXPECT_EQ(text(post->responseData()), "welcome OTHER\\lin POST word=apple");
  ASSERT_EQ(ntlm.answers().size(), 2u);
  EXPECT_EQ(ntlm.answers()[1].domain, "WORDS");
  EXPECT_TRUE(ntlm.answers()[1].sameConnection);
  EXPECT_EQ(server.lastRequest().body, "word=apple");
}

TEST_F(HttpNtlmTest, CredentialsAreTriedTwiceThenAuthenticationIsNeeded) {
  NtlmServer ntlm;
  ntlm.addAccount("lin", "right");
  LoopbackHttpServer server([&](const ServerRequest& r) { return ntlm.handle(r); });

  ExchangeWith<Answerer> wrong(server.url("/"));
  wrong->setUsername("lin");
  wrong->setPassword("wrong");
  wrong.password = "still wrong";
  ASSERT_EQ(wrong.run().failureCode(), kHttpAuthenticationFailure);
  EXPECT_EQ(wrong.asked, 1);
  EXPECT_EQ(ntlm.answers().size(), 2u);
  EXPECT_TRUE(HttpRequest::sessionCredentialsStore().empty());

  // The question answered right the first time round logs in.
  ExchangeWith<Answerer> corrected(server.url("/"));
  corrected->setUsername("lin");
  corrected->setPassword("wrong");
  corrected.password = "right";
  ASSERT_EQ(corrected.run().finished, 1);
  EXPECT_EQ(corrected.asked, 1);

  // Then the session store logs the next request in through a handshake of its own.
  const size_t before = ntlm.answers().size();
  Exchange next(server.url("/again"));
  ASSERT_EQ(next.run().finished, 1);
  ASSERT_EQ(ntlm.answers().size(), before + 1);
  EXPECT_TRUE(ntlm.answers().back().accepted);
}

TEST_F(HttpNtlmTest, ProxyLoginFallsBackToTheRequestsAccountAndDomain) {
  NtlmServer ntlm(/*proxy=*/true);
  ntlm.addAccount("lin", "right");
  LoopbackHttpServer proxy([&](const ServerRequest& r) { return ntlm.handle(r); });

  Exchange get("http://127.0.0.1:9/page");
  get->setProxyHost("127.0.0.1");
  get->setProxyPort(proxy.port());
  get->setShouldPresentProxyAuthenticationDialog(false);
  get->setUsername("lin");
  get->setPassword("right");
  get->setDomain("SERVER");
  get->setProxyDomain("GATE");
  ASSERT_EQ(get.run().finished, 1);
  EXPECT_EQ(text(get->responseData()), "via proxy lin GET ");
  EXPECT_EQ(get->proxyAuthenticationScheme(), "NTLM");
  ASSERT_EQ(ntlm.answers().size(), 1u);
  EXPECT_EQ(ntlm.answers()[0].domain, "GATE");
  EXPECT_TRUE(ntlm.answers()[0].sameConnection);
  // The proxy's login is not the server's business.
  EXPECT_FALSE(proxy.lastRequest().hasHeader("Authorization"));
}

// Through CONNECT: the proxy's refusals keep the connection, and the tunnel opens on the one
// that carried the handshake.
TEST_F(HttpNtlmTest, ProxyLoginBeforeATunnelToASecureServer) {
  testsupport::TestCertificate certificate;
  ASSERT_TRUE(plat::stream::addTrustedCertificates(certificate.caPem()));
  LoopbackHttpServer origin(
      [](const ServerRequest& r) { return ServerReply::text("secret " + r.target); }, certificate);
  NtlmServer ntlm(/*proxy=*/true);
  ntlm.addAccount("gate", "pass");
  NtlmConnectProxy proxy(ntlm);

  Exchange get(origin.url("/page"));
  get->setProxyHost("127.0.0.1");
  get->setProxyPort(proxy.port());
  get->setProxyUsername("gate");
  get->setProxyPassword("pass");
  get->setProxyDomain("GATE");
  ASSERT_EQ(get.run().finished, 1);
  EXPECT_EQ(text(get->responseData()), "secret /page");
  ASSERT_EQ(ntlm.answers().size(), 1u);
  EXPECT_TRUE(ntlm.answers()[0].accepted);
  EXPECT_TRUE(ntlm.answers()[0].sameConnection);
  plat::stream::removeAddedTrustedCertificates();
}

// A tunnel opened after the proxy's login, to a server that refuses the handshake: the request
// fails with the connection failure a direct request reports, no longer saying that the proxy
// wants a login, and the proxy never sees an answer to a challenge it did not send on that
// connection.
TEST_F(HttpNtlmTest, AHandshakeRefusedThroughAnNtlmTunnelReportsTheConnectionFailure) {
  testsupport::TestCertificate certificate;
  ASSERT_TRUE(plat::stream::addTrustedCertificates(certificate.caPem()));
  HandshakeRefuser origin(certificate);
  NtlmServer ntlm(/*proxy=*/true);
  ntlm.addAccount("gate", "pass");
  NtlmConnectProxy proxy(ntlm);
  // As the same request straight to the server fails.
  Exchange direct(origin.url());
  direct.run();
  EXPECT_EQ(direct.failureCode(), kHttpConnectionFailure);

  for (const bool persistence : {true, false}) {
    SCOPED_TRACE(persistence ? "with stored logins" : "without stored logins");
    HttpRequest::clearSessionCredentials();
    const size_t answersBefore = ntlm.answers().size();
    Exchange get(origin.url());
    get->setUseSessionPersistence(persistence);
    get->setProxyHost("127.0.0.1");
    get->setProxyPort(proxy.port());
    get->setProxyUsername("gate");
    get->setProxyPassword("pass");
    get->setShouldPresentProxyAuthenticationDialog(false);
    get.run();
    EXPECT_EQ(get.failureCode(), kHttpConnectionFailure);
    EXPECT_EQ(get->responseStatusCode(), direct->responseStatusCode());
    EXPECT_EQ(get->responseStatusMessage(), "");
    EXPECT_EQ(get->authenticationNeeded(), 0);
    ASSERT_EQ(ntlm.answers().size(), answersBefore + 1);
    EXPECT_TRUE(ntlm.answers().back().sameConnection);
    EXPECT_TRUE(ntlm.answers().back().accepted);
  }
  EXPECT_EQ(origin.connections(), 3);
  plat::stream::removeAddedTrustedCertificates();
}

// The connection that carried the challenge drops the answer: the request starts the login over on
// a new connection with a negotiate message, instead of answering there a challenge it never got.
TEST_F(HttpNtlmTest, AnAnswerLostWithItsConnectionStartsTheLoginOverOnTheNext) {
  NtlmServer ntlm;
  ntlm.addAccount("lin", "right");
  std::atomic<bool> dropped{false};
  LoopbackHttpServer server([&](const ServerRequest& r) {
    const std::string field = r.header("Authorization");
    auto message = field.rfind("NTLM ", 0) == 0
                       ? plat::http::Authentication::fromBase64(field.substr(5))
                       : std::nullopt;
    if (message && message->size() > 8 && (*message)[8] == 3 && !dropped.exchange(true)) {
      ServerReply drop;
      drop.dropRequest = true;
      return drop;
    }
    return ntlm.handle(r);
  });

  Exchange get(server.url("/words"));
  get->setUsername("lin");
  get->setPassword("right");
  ASSERT_EQ(get.run().finished, 1);
  EXPECT_EQ(text(get->responseData()), "welcome lin GET ");
  EXPECT_TRUE(dropped);
  EXPECT_EQ(ntlm.negotiates(), 2);
  ASSERT_EQ(ntlm.answers().size(), 1u);
  EXPECT_TRUE(ntlm.answers()[0].sameConnection);
  EXPECT_EQ(server.connectionCount(), 2);
}

// A server that closes the connection its challenge went out on: the answer goes nowhere, and the
// login starts over on a new connection; a server that always does so is never logged into.
TEST_F(HttpNtlmTest, AChallengeWhoseConnectionClosesIsNeverAnsweredElsewhere) {
  NtlmServer ntlm;
  ntlm.addAccount("lin", "right");
  for (const int closingChallenges : {1, 1000}) {
    SCOPED_TRACE(std::to_string(closingChallenges) + " closing challenges");
    std::atomic<int> closed{0};
    LoopbackHttpServer server([&](const ServerRequest& r) {
      ServerReply reply = ntlm.handle(r);
      const bool challenge = reply.status == 401 && reply.headers.back().second.size() > 4;
      if (challenge && closed < closingChallenges) {
        ++closed;
        reply.header("Connection", "close");
      }
      return reply;
    });
    const size_t answersBefore = ntlm.answers().size();
    Exchange get(server.url("/words"));
    get->setUsername("lin");
    get->setPassword("right");
    get.run();
    if (closingChallenges == 1) {
      EXPECT_EQ(get.finished, 1);
      EXPECT_EQ(text(get->responseData()), "welcome lin GET ");
    } else {
      EXPECT_EQ(get.failureCode(), kHttpConnectionFailure);
    }
    for (size_t k = answersBefore; k < ntlm.answers().size(); ++k)
      EXPECT_TRUE(ntlm.answers()[k].sameConnection);
  }
}

}  // namespace
