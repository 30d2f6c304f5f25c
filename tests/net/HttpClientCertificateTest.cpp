// An https request presents its client certificate to openssl s_server, which insists on one:
// the identity goes with copy() and with the HEAD request made for it, and a request without one
// is refused. (s_server serves one connection at a time, so each request waits for the last.)
#include <gtest/gtest.h>

#include "net/HttpRequest.h"
#include "platform/stream/TlsIdentity.h"
#include "platform/stream/TlsTrust.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/OutsidePeer.h"
#include "tests/support/TestCertificate.h"

using namespace nettest;

namespace {

class HttpClientCertificateTest : public NetTest {
 protected:
  void TearDown() override {
    plat::stream::removeAddedTrustedCertificates();
    NetTest::TearDown();
  }
};

TEST_F(HttpClientCertificateTest, OpensslServerThatInsistsServesOnlyRequestsThatPresentOne) {
  testsupport::TestCertificate certificate;
  ASSERT_TRUE(plat::stream::addTrustedCertificates(certificate.caPem()));
  testsupport::OutsidePeer server({"openssl", "s_server", "-cert", certificate.certificatePath(),
                                   "-key", certificate.keyPath(), "-CAfile", certificate.caPath(),
                                   "-Verify", "1", "-verify_return_error", "-accept", "127.0.0.1:0",
                                   "-www"});
  const uint16_t port = testsupport::OutsidePeer::portAtEnd(server.waitForLine("ACCEPT"));
  ASSERT_NE(port, 0) << server.output();
  const std::string url = "https://127.0.0.1:" + std::to_string(port) + "/";

  std::string problem;
  auto identity = plat::stream::TlsIdentity::fromPemFiles(certificate.clientCertificatePath(),
                                                          certificate.clientKeyPath(), &problem);
  ASSERT_TRUE(identity) << problem;
  auto authority = plat::stream::TlsCertificate::fromPemFile(certificate.caPath());
  ASSERT_TRUE(authority);

  Exchange presenting(url);
  presenting->setClientCertificateIdentity(identity);
  presenting->setClientCertificates({authority});
  ASSERT_EQ(presenting.run().finished, 1) << server.output();
  EXPECT_EQ(presenting->responseStatusCode(), 200);

  Exchange copied(presenting->copy());
  ASSERT_EQ(copied.run().finished, 1) << server.output();
  EXPECT_EQ(copied->responseStatusCode(), 200);

  Exchange anonymous(url);
  EXPECT_EQ(anonymous.run().failureCode(), kHttpConnectionFailure);

  // The server answers no HEAD, but takes the connection of one that presents the certificate:
  // the request waits for an answer until its time-out instead of being refused.
  // (A HEAD request made for another reports to nobody itself.)
  auto head = presenting->HEADRequest();
  head->setTimeOutSeconds(1);
  head->startAsynchronous();
  ASSERT_TRUE(runUntil([&] { return head->isFinished(); }));
  ASSERT_TRUE(head->error());
  EXPECT_EQ(head->error()->code(), kHttpRequestTimedOut) << server.output();
}

TEST_F(HttpClientCertificateTest, IdentitiesThatDoNotLoadSayWhichFileIsWrong) {
  testsupport::TestCertificate certificate;
  std::string problem;
  EXPECT_FALSE(plat::stream::TlsIdentity::fromPemFiles(certificate.clientCertificatePath(),
                                                       certificate.keyPath(), &problem));
  EXPECT_NE(problem.find("is not the key of"), std::string::npos) << problem;
  EXPECT_FALSE(plat::stream::TlsIdentity::fromPemFiles(certificate.clientKeyPath(),
                                                       certificate.clientKeyPath(), &problem));
  EXPECT_NE(problem.find("holds no PEM certificate"), std::string::npos) << problem;
  EXPECT_FALSE(plat::stream::TlsCertificate::fromPemFile("/nonexistent.pem", &problem));
  EXPECT_NE(problem.find("can't open"), std::string::npos) << problem;
}

}  // namespace
