#include <gtest/gtest.h>

#include "net/HttpRequest.h"
#include "platform/stream/TlsTrust.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/TestCertificate.h"

using namespace nettest;

using HttpSecureTest = NetTest;

TEST_F(HttpSecureTest, CertificatesAreCheckedUnlessTurnedOff) {
  testsupport::TestCertificate certificate;
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("secure"); },
                            certificate);
  plat::stream::removeAddedTrustedCertificates();

  Exchange rejected(server.url("/"));
  ASSERT_EQ(rejected.run().failed, 1);
  EXPECT_EQ(rejected.lastError->code(), 1);
  EXPECT_EQ(rejected.lastError->localizedDescription(),
            "A connection failure occurred: SSL problem (Possible causes may include a "
            "bad/expired/self-signed certificate, clock set to wrong date)");

  Exchange unchecked(server.url("/"));
  unchecked->setValidatesSecureCertificate(false);
  EXPECT_EQ(unchecked.run()->responseString(), "secure");

  ASSERT_TRUE(plat::stream::addTrustedCertificates(certificate.caPem()));
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(Exchange(server.url("/")).run()->responseString(), "secure");
  // The connection made without checking is never lent to a checked request.
  EXPECT_EQ(server.connectionCount(), 3);
  plat::stream::removeAddedTrustedCertificates();
}
