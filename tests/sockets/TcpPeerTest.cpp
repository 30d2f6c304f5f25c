// TcpSocket against programs that are not ours, on loopback: socat as server and as client, a peer
// that resets the connection, openssl s_server and s_client with good and bad certificates, and
// many connections that must leave no descriptor behind.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <tuple>

#include "sockets/TcpSocket.h"
#include "tests/support/OutsidePeer.h"
#include "tests/sockets/TcpTestDelegate.h"
#include "tests/support/TestCertificate.h"

namespace sockets {
namespace {

using testing::bytes;
using testing::Recorder;
using testing::run;
using testing::runWhileBytesMove;
using testsupport::OutsidePeer;

size_t openDescriptors() {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
    ++count;
  return count;
}

struct Family {
  const char* socatListen;  // socat's listening address, to port 0
  const char* socatConnect;
  const char* loopback;
  const char* name;  // what the client connects to
  size_t lineLength;
};
// "localhost" can stand for ::1 too, where nobody listens: the client goes on to 127.0.0.1.
const Family kIPv4{"TCP4-LISTEN:0,bind=127.0.0.1", "TCP4:127.0.0.1:", "127.0.0.1", "localhost",
                   10 * 1024 * 1024};
const Family kIPv6{"TCP6-LISTEN:0,bind=[::1]", "TCP6:[::1]:", "::1", "::1", 1000};

// Reads to a length, to a terminator across a long line, and of any size, echoed by socat.
void exchangeWithSocatServer(const Family& family) {
  OutsidePeer socat({"socat", "-d", "-d", family.socatListen, "EXEC:cat"});
  uint16_t port = OutsidePeer::portAtEnd(socat.waitForLine("listening on"));
  ASSERT_NE(port, 0) << socat.output();

  Recorder log;
  auto client = TcpSocket::create(&log);
  ASSERT_TRUE(client->connectToHost(family.name, port, 5.0, nullptr));
  std::string line(family.lineLength, 'w');
  line.back() = '\n';
  client->writeData(bytes("head" + line + "tail"), -1, 1);
  client->readDataToLength(4, -1, 1);
  client->readDataToData(TcpSocket::LFData(), -1, 2);
  client->readDataWithTimeout(-1, 3);
  ASSERT_TRUE(runWhileBytesMove(log, [&] { return log.reads.size() == 3 || log.didDisconnect; }));
  EXPECT_EQ(log.connectedHost, family.loopback);
  EXPECT_EQ(log.reads[0].second, "head");
  EXPECT_TRUE(log.reads[1].second == line) << log.reads[1].second.size();
  EXPECT_FALSE(log.reads[2].second.empty());
  EXPECT_EQ(std::string("tail").find(log.reads[2].second), 0u);
  EXPECT_EQ(log.writes, std::vector<int64_t>{1});
  if (family.lineLength > 1'000'000) {
    EXPECT_FALSE(log.partialWrites.empty());  // the peer held it back
  }
  EXPECT_EQ(log.didDisconnect, 0);
}

void acceptSocatClient(const Family& family) {
  Recorder listenerLog;
  auto listener = TcpSocket::create(&listenerLog);
  ASSERT_TRUE(listener->acceptOnInterface(family.loopback, 0));
  OutsidePeer socat({"socat",
                     std::string(family.socatConnect) + std::to_string(listener->localPort()),
                     "EXEC:cat"});
  ASSERT_TRUE(run([&] { return listenerLog.connected; })) << socat.output();
  auto server = listenerLog.accepted.at(0);
  EXPECT_EQ(server->connectedHost(), family.loopback);
  server->writeData(bytes("ping\n"), -1, 1);
  server->readDataToData(TcpSocket::LFData(), 5.0, 1);
  ASSERT_TRUE(run([&] { return !listenerLog.reads.empty(); }));
  EXPECT_EQ(listenerLog.reads[0].second, "ping\n");
}

TEST(TcpPeers, ClientReadsEveryKindFromSocatAndListenerAcceptsIt) {
  testsupport::VirtualTime time;
  for (const Family* family : {&kIPv4, &kIPv6}) {
    SCOPED_TRACE(family->loopback);
    if (family == &kIPv6 && !OutsidePeer::hasIPv6Loopback()) GTEST_SKIP() << "no IPv6 here";
    exchangeWithSocatServer(*family);
    acceptSocatClient(*family);
  }
}

TEST(TcpPeers, ResetMidReadClosesWithTheReset) {
  testsupport::VirtualTime time;
  int listening = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(::listen(listening, 1), 0);
  getsockname(listening, reinterpret_cast<sockaddr*>(&address), &length);

  Recorder log;
  auto client = TcpSocket::create(&log);
  ASSERT_TRUE(client->connectToHost("127.0.0.1", ntohs(address.sin_port), nullptr));
  int peer = ::accept(listening, nullptr, nullptr);
  ::close(listening);
  ASSERT_GE(peer, 0);
  ASSERT_EQ(::send(peer, "abc", 3, 0), 3);
  client->readDataToLength(3, -1, 1);
  client->readDataToLength(10, -1, 2);
  ASSERT_TRUE(run([&] { return log.reads.size() == 1; }));
  linger hard{1, 0};  // closing now sends a reset
  setsockopt(peer, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  ::close(peer);
  ASSERT_TRUE(run([&] { return log.didDisconnect == 1; }));
  ASSERT_TRUE(log.disconnectError);
  EXPECT_EQ(log.disconnectError->domain, kPosixErrorDomain);
  EXPECT_EQ(log.disconnectError->code, ECONNRESET);
}

TEST(TcpPeers, AThousandConnectionsLeaveNoDescriptorOpen) {
  testsupport::VirtualTime time;
  size_t before = openDescriptors();
  for (int batch = 0; batch < 10; ++batch) {
    Recorder listenerLog, clientLog;
    auto listener = TcpSocket::create(&listenerLog);
    ASSERT_TRUE(listener->acceptOnInterface("localhost", 0));
    std::vector<std::shared_ptr<TcpSocket>> clients;
    int connected = 0;
    clientLog.onConnect = [&](TcpSocket&) { ++connected; };
    for (int i = 0; i < 100; ++i) {
      clients.push_back(TcpSocket::create(&clientLog));
      ASSERT_TRUE(clients.back()->connectToHost("127.0.0.1", listener->localPort(), nullptr));
    }
    ASSERT_TRUE(run([&] { return connected == 100 && listenerLog.accepted.size() == 100; }));
    // Half close from the client's end, half from the server's.
    for (int i = 0; i < 100; ++i) (i % 2 ? clients[i] : listenerLog.accepted[i])->disconnect();
    ASSERT_TRUE(run([&] { return listenerLog.didDisconnect + clientLog.didDisconnect >= 200; }));
    listener->close();
    listenerLog.accepted.clear();
  }
  EXPECT_EQ(openDescriptors(), before);
}

// ---- TLS against openssl

// Our client against openssl s_server, which reverses each line: the certificate must name the
// peer name, or the connected address when none is given. The client secures the connection
// before it is made or from its connect callback.
TEST(TcpPeers, TlsClientChecksTheNameOfOpensslServers) {
  testsupport::VirtualTime time;
  testsupport::TestCertificate certificate;  // names 127.0.0.1 and localhost
  OutsidePeer server({"openssl", "s_server", "-cert", certificate.certificatePath(), "-key",
                      certificate.keyPath(), "-accept", "127.0.0.1:0", "-rev"});
  uint16_t port = OutsidePeer::portAtEnd(server.waitForLine("ACCEPT"));
  ASSERT_NE(port, 0) << server.output();
  for (auto [peerName, fromConnectCallback, accepted] :
       {std::tuple{"", false, true}, {"localhost", true, true}, {"elsewhere.invalid", false, false}}) {
    SCOPED_TRACE(peerName);
    Recorder log;
    auto secure = [&, peerName = peerName](TcpSocket& socket) {
      TcpTlsSettings settings;
      settings.caFile = certificate.caPath();
      settings.peerName = peerName;
      socket.startTLS(settings);
      socket.writeData(bytes("hello\n"), -1, 1);
      socket.readDataToData(TcpSocket::LFData(), -1, 1);
    };
    if (fromConnectCallback) log.onConnect = secure;
    auto client = TcpSocket::create(&log);
    ASSERT_TRUE(client->connectToHost("127.0.0.1", port, nullptr));
    if (!fromConnectCallback) secure(*client);
    ASSERT_TRUE(run([&] { return !log.reads.empty() || log.didDisconnect; })) << server.output();
    EXPECT_EQ(log.secured, accepted ? 1 : 0);
    if (accepted) {
      ASSERT_EQ(log.reads.size(), 1u) << log.disconnectError.value_or(TcpError()).description;
      EXPECT_EQ(log.reads[0].second, "olleh\n");
    } else {
      ASSERT_TRUE(log.disconnectError);
      EXPECT_EQ(log.disconnectError->domain, "kCFStreamErrorDomainSSL");
    }
  }
}

// Our listener secures each connection from its accept callback; s_client checks the certificate
// against `authorities` and sends one line.
void serveOpensslClient(const std::string& authorities, Recorder& listenerLog,
                        testsupport::TestCertificate& certificate) {
  auto listener = TcpSocket::create(&listenerLog);
  ASSERT_TRUE(listener->acceptOnInterface("127.0.0.1", 0));
  listenerLog.onAccept = [&](TcpSocket& socket) {
    TcpTlsSettings settings;
    settings.isServer = true;
    settings.certificateFile = certificate.certificatePath();
    settings.keyFile = certificate.keyPath();
    socket.startTLS(settings);
    socket.readDataToData(TcpSocket::LFData(), -1, 1);
    socket.writeData(bytes("pong\n"), -1, 1);
  };
  OutsidePeer client({"openssl", "s_client", "-connect",
                      "127.0.0.1:" + std::to_string(listener->localPort()), "-CAfile", authorities,
                      "-verify_return_error", "-verify_ip", "127.0.0.1", "-quiet"});
  client.send("ping\n");
  ASSERT_TRUE(run([&] { return !listenerLog.reads.empty() || listenerLog.didDisconnect; }))
      << client.output();
  if (!listenerLog.reads.empty()) {
    EXPECT_TRUE(run([&] { return client.output().find("pong") != std::string::npos; }));
  }
}

TEST(TcpPeers, TlsServerIsCheckedByOpensslClient) {
  testsupport::VirtualTime time;
  testsupport::TestCertificate certificate, otherAuthority;
  Recorder good;
  serveOpensslClient(certificate.caPath(), good, certificate);
  EXPECT_EQ(good.secured, 1);
  ASSERT_EQ(good.reads.size(), 1u);
  EXPECT_EQ(good.reads[0].second, "ping\n");

  // A client that trusts another authority aborts the handshake; the server hears why.
  Recorder bad;
  serveOpensslClient(otherAuthority.caPath(), bad, certificate);
  EXPECT_EQ(bad.secured, 0);
  EXPECT_TRUE(bad.reads.empty());
  ASSERT_TRUE(bad.disconnectError);
  EXPECT_EQ(bad.disconnectError->domain, "kCFStreamErrorDomainSSL");
}

}  // namespace
}  // namespace sockets
