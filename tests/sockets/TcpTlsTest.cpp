#include <gtest/gtest.h>

#include <cmath>

#include "sockets/TcpSocket.h"
#include "tests/sockets/TcpTestDelegate.h"
#include "tests/support/TestCertificate.h"

namespace sockets {
namespace {

using testing::bytes;
using testing::Recorder;
using testing::run;

class TcpTls : public testing::LoopbackPair {
 protected:
  testsupport::TestCertificate certificate;

  TcpTlsSettings serverSettings() const {
    TcpTlsSettings settings;
    settings.isServer = true;
    settings.certificateFile = certificate.certificatePath();
    settings.keyFile = certificate.keyPath();
    return settings;
  }
  TcpTlsSettings clientSettings(const std::string& peerName = "localhost") const {
    TcpTlsSettings settings;
    settings.caFile = certificate.caPath();
    settings.peerName = peerName;
    return settings;
  }
};

TEST_F(TcpTls, HandshakeSecuresBothEndsAndQueuedWorkFollowsIt) {
  // Work queued before and after the marker: the marker holds it until the handshake is done.
  client->writeData(bytes("plain\n"), -1, 1);
  server->readDataToData(TcpSocket::LFData(), -1, 1);
  server->startTLS(serverSettings());
  client->startTLS(clientSettings());
  client->writeData(bytes("secret\n"), -1, 2);
  server->readDataToData(TcpSocket::LFData(), -1, 2);
  server->writeData(bytes("answer"), -1, 3);
  client->readDataToLength(6, -1, 3);
  ASSERT_TRUE(run([&] { return serverLog.reads.size() == 2 && clientLog.reads.size() == 1; }));
  EXPECT_EQ(serverLog.secured, 1);
  EXPECT_EQ(clientLog.secured, 1);
  EXPECT_EQ(serverLog.reads[0].second, "plain\n");
  EXPECT_EQ(serverLog.reads[1].second, "secret\n");
  EXPECT_EQ(clientLog.reads[0].second, "answer");
  EXPECT_TRUE(std::isnan(client->progressOfReadReturningTag(nullptr, nullptr, nullptr)));

  // A large exchange goes through the TLS records whole.
  TcpData big(300 * 1024);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i % 253);
  client->writeData(big, -1, 4);
  server->readDataToLength(big.size(), -1, 4);
  ASSERT_TRUE(run([&] { return serverLog.reads.size() == 3; }));
  EXPECT_EQ(serverLog.reads[2].second, std::string(big.begin(), big.end()));
}

TEST_F(TcpTls, ServerWithoutItsCertificateIsRefused) {
  TcpTlsSettings missing = serverSettings();
  missing.keyFile = "/nonexistent/key.pem";
  server->startTLS(missing);
  ASSERT_TRUE(run([&] { return serverLog.didDisconnect == 1; }));
  EXPECT_EQ(serverLog.disconnectError->code, -1);
  EXPECT_EQ(serverLog.disconnectError->description, "General CFSocket error");
}

}  // namespace
}  // namespace sockets
