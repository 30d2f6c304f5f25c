#include <gtest/gtest.h>

#include "net/HttpRequest.h"
#include "platform/stream/TlsTrust.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/TestCertificate.h"

using namespace nettest;

namespace {

class HttpSecureTest : public NetTest {};

}  // namespace

TEST_F(HttpSecureTest, CertificatesAreCheckedUnlessTurnedOff) {
  testsupport::TestCertificate certificate;
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("secure"); },
                            certificate);
  plat::stream::removeAddedTrustedCertificates();

  Recorder rejected;
  auto untrusted = HttpRequest::requestWithURL(server.url("/"));
  startAndWait(untrusted, rejected);
  ASSERT_EQ(rejected.failed, 1);
  EXPECT_EQ(rejected.lastError->code(), 1);
  EXPECT_EQ(rejected.lastError->localizedDescription(),
            "A connection failure occurred: SSL problem (Possible causes may include a "
            "bad/expired/self-signed certificate, clock set to wrong date)");

  Recorder unchecked;
  auto anyCertificate = HttpRequest::requestWithURL(server.url("/"));
  anyCertificate->setValidatesSecureCertificate(false);
  startAndWait(anyCertificate, unchecked);
  EXPECT_EQ(anyCertificate->responseString(), "secure");

  ASSERT_TRUE(plat::stream::addTrustedCertificates(certificate.caPem()));
  Recorder validated, again;
  auto trusted = HttpRequest::requestWithURL(server.url("/"));
  startAndWait(trusted, validated);
  EXPECT_EQ(trusted->responseString(), "secure");
  auto second = HttpRequest::requestWithURL(server.url("/"));
  startAndWait(second, again);
  EXPECT_EQ(second->responseString(), "secure");
  // The connection made without checking is never lent to a checked request.
  EXPECT_EQ(server.connectionCount(), 3);
  plat::stream::removeAddedTrustedCertificates();
}
