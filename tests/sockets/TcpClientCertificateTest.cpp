// Client certificates both ways against openssl: our client presents its certificate to an
// s_server that insists on one, and our listener that requires one refuses an s_client without.
#include <gtest/gtest.h>

#include "sockets/TcpSocket.h"
#include "tests/sockets/TcpTestDelegate.h"
#include "tests/support/OutsidePeer.h"
#include "tests/support/TestCertificate.h"
#include "tests/support/VirtualTime.h"

namespace sockets {
namespace {

using testing::bytes;
using testing::Recorder;
using testing::run;
using testsupport::OutsidePeer;

TEST(TcpClientCertificate, OpensslServerThatInsistsTakesOnlyAClientThatPresentsOne) {
  testsupport::VirtualTime time;
  testsupport::TestCertificate certificate;
  OutsidePeer server({"openssl", "s_server", "-cert", certificate.certificatePath(), "-key",
                      certificate.keyPath(), "-CAfile", certificate.caPath(), "-Verify", "1",
                      "-verify_return_error", "-accept", "127.0.0.1:0", "-rev"});
  uint16_t port = OutsidePeer::portAtEnd(server.waitForLine("ACCEPT"));
  ASSERT_NE(port, 0) << server.output();
  for (bool presents : {true, false}) {
    SCOPED_TRACE(presents ? "with a certificate" : "without one");
    Recorder log;
    auto client = TcpSocket::create(&log);
    ASSERT_TRUE(client->connectToHost("127.0.0.1", port, nullptr));
    TcpTlsSettings settings;
    settings.caFile = certificate.caPath();
    if (presents) {
      settings.certificateFile = certificate.clientCertificatePath();
      settings.keyFile = certificate.clientKeyPath();
    }
    client->startTLS(settings);
    client->writeData(bytes("hello\n"), -1, 1);
    client->readDataToData(TcpSocket::LFData(), -1, 1);
    ASSERT_TRUE(run([&] { return !log.reads.empty() || log.didDisconnect; })) << server.output();
    if (presents) {
      ASSERT_EQ(log.reads.size(), 1u) << log.disconnectError.value_or(TcpError()).description;
      EXPECT_EQ(log.reads[0].second, "olleh\n");
    } else {
      EXPECT_TRUE(log.reads.empty());
      EXPECT_TRUE(log.disconnectError);
    }
  }
}

TEST(TcpClientCertificate, ListenerThatRequiresOneRefusesAnOpensslClientWithout) {
  testsupport::VirtualTime time;
  testsupport::TestCertificate certificate;
  for (bool presents : {false, true}) {
    SCOPED_TRACE(presents ? "with a certificate" : "without one");
    Recorder listenerLog;
    auto listener = TcpSocket::create(&listenerLog);
    ASSERT_TRUE(listener->acceptOnInterface("127.0.0.1", 0));
    listenerLog.onAccept = [&](TcpSocket& socket) {
      TcpTlsSettings settings;
      settings.isServer = true;
      settings.certificateFile = certificate.certificatePath();
      settings.keyFile = certificate.keyPath();
      settings.requiresClientCertificate = true;
      settings.caFile = certificate.caPath();
      socket.startTLS(settings);
      socket.readDataToData(TcpSocket::LFData(), -1, 1);
      socket.writeData(bytes("pong\n"), -1, 1);
    };
    std::vector<std::string> argv = {
        "openssl",  "s_client",
        "-connect", "127.0.0.1:" + std::to_string(listener->localPort()),
        "-CAfile",  certificate.caPath(),
        "-quiet"};
    if (presents) {
      argv.insert(argv.end(), {"-cert", certificate.clientCertificatePath(), "-key",
                               certificate.clientKeyPath()});
    }
    OutsidePeer client(argv);
    client.send("ping\n");
    ASSERT_TRUE(run([&] { return !listenerLog.reads.empty() || listenerLog.didDisconnect; }))
        << client.output();
    if (presents) {
      ASSERT_EQ(listenerLog.reads.size(), 1u);
      EXPECT_EQ(listenerLog.reads[0].second, "ping\n");
      EXPECT_TRUE(run([&] { return client.output().find("pong") != std::string::npos; }));
    } else {
      EXPECT_TRUE(listenerLog.reads.empty());
      ASSERT_TRUE(listenerLog.disconnectError);
      EXPECT_EQ(listenerLog.disconnectError->domain, "kCFStreamErrorDomainSSL");
    }
  }
}

// A certificate and key that do not belong together are refused when TLS is asked for, before
// anything goes out.
TEST(TcpClientCertificate, MismatchedKeyIsRefusedAtOnce) {
  testsupport::VirtualTime time;
  testsupport::TestCertificate certificate;
  OutsidePeer server({"openssl", "s_server", "-cert", certificate.certificatePath(), "-key",
                      certificate.keyPath(), "-accept", "127.0.0.1:0", "-rev"});
  uint16_t port = OutsidePeer::portAtEnd(server.waitForLine("ACCEPT"));
  ASSERT_NE(port, 0) << server.output();
  Recorder log;
  auto client = TcpSocket::create(&log);
  ASSERT_TRUE(client->connectToHost("127.0.0.1", port, nullptr));
  TcpTlsSettings settings;
  settings.caFile = certificate.caPath();
  settings.certificateFile = certificate.clientCertificatePath();
  settings.keyFile = certificate.keyPath();  // the server's key
  client->startTLS(settings);
  client->writeData(bytes("hello\n"), -1, 1);
  ASSERT_TRUE(run([&] { return log.didDisconnect > 0; }));
  EXPECT_TRUE(log.disconnectError);
  EXPECT_EQ(log.secured, 0);
}

}  // namespace
}  // namespace sockets
