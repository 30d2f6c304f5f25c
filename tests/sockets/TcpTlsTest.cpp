#include <gtest/gtest.h>

#include <cmath>

#include "sockets/TcpSocket.h"
#include "tests/sockets/TcpTestDelegate.h"
#include "tests/support/TestCertificate.h"

namespace sockets {
namespace {

using testing::bytes;
using testing::LoopbackPair;
using testing::Recorder;

struct TlsPair : LoopbackPair {
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

TEST(TcpTls, HandshakeSecuresBothEndsAndQueuedWorkFollowsIt) {
  TlsPair pair;
  // Work queued before and after the marker: the marker holds it until the handshake is done.
  pair.client->writeData(bytes("plain\n"), -1, 1);
  pair.server->readDataToData(TcpSocket::LFData(), -1, 1);
  pair.server->startTLS(pair.serverSettings());
  pair.client->startTLS(pair.clientSettings());
  pair.client->writeData(bytes("secret\n"), -1, 2);
  pair.server->readDataToData(TcpSocket::LFData(), -1, 2);
  pair.server->writeData(bytes("answer"), -1, 3);
  pair.client->readDataToLength(6, -1, 3);
  ASSERT_TRUE(LoopbackPair::run([&] {
    return pair.listenerDelegate.reads.size() == 2 && pair.clientDelegate.reads.size() == 1;
  }));
  EXPECT_EQ(pair.listenerDelegate.secured, 1);
  EXPECT_EQ(pair.clientDelegate.secured, 1);
  EXPECT_EQ(pair.listenerDelegate.reads[0].second, "plain\n");
  EXPECT_EQ(pair.listenerDelegate.reads[1].second, "secret\n");
  EXPECT_EQ(pair.clientDelegate.reads[0].second, "answer");
  EXPECT_TRUE(std::isnan(pair.client->progressOfReadReturningTag(nullptr, nullptr, nullptr)));

  // A large exchange goes through the TLS records whole.
  TcpData big(300 * 1024);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i % 253);
  pair.client->writeData(big, -1, 4);
  pair.server->readDataToLength(big.size(), -1, 4);
  ASSERT_TRUE(LoopbackPair::run([&] { return pair.listenerDelegate.reads.size() == 3; }));
  EXPECT_EQ(pair.listenerDelegate.reads[2].second, std::string(big.begin(), big.end()));
}

TEST(TcpTls, ServerWithoutItsCertificateIsRefused) {
  TlsPair pair;
  TcpTlsSettings missing = pair.serverSettings();
  missing.keyFile = "/nonexistent/key.pem";
  pair.server->startTLS(missing);
  ASSERT_TRUE(LoopbackPair::run([&] { return pair.listenerDelegate.didDisconnect == 1; }));
  EXPECT_EQ(pair.listenerDelegate.disconnectError->code, -1);
  EXPECT_EQ(pair.listenerDelegate.disconnectError->description, "General CFSocket error");
}

}  // namespace
}  // namespace sockets
