// A process that exits while the network thread is opening secure connections: what every new
// connection asks for (the client TLS context, made on the first one) is still there until the
// network thread stops. Each round is a process of its own, raced against its exit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "net/HttpNetworkQueue.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/ExitRounds.h"
#include "tests/support/TestCertificate.h"

using namespace nettest;

namespace {

constexpr int kRounds = 20;

TEST(HttpSecureExit, ConnectionsStillBeingSetUpAsTheProcessExitsDoNoHarm) {
  testsupport::TestCertificate certificate;  // made here: its folder goes when the test ends
  const testsupport::ExitRounds rounds = testsupport::exitRounds(kRounds, [&] {
    plat::RunLoop::setMainThread();
    // Every exchange on a connection of its own, so that new handshakes go on until the end.
    static LoopbackHttpServer* server = new LoopbackHttpServer(
        [](const ServerRequest&) { return ServerReply::text("ok").header("Connection", "close"); },
        certificate);
    // The server's threads end before OpenSSL's clean-up at exit (registered earlier, so run
    // later), and after the network thread (registered at the first request).
    std::atexit([] { server->stop(); });
    auto queue = HttpNetworkQueue::queue();
    queue->setMaxConcurrentOperationCount(16);
    for (int i = 0; i < 400; ++i) {
      auto request = HttpRequest::requestWithURL(server->url("/" + std::to_string(i)));
      // Half check the server's certificate (and refuse it), half take it as it is.
      request->setValidatesSecureCertificate(i % 2 == 0);
      queue->addOperation(request);
    }
    queue->go();
    runUntil([&] { return server->requestCount() >= 4; });
    std::exit(0);
  });
  EXPECT_EQ(rounds.failed, 0) << "of " << kRounds << " exits; first: " << rounds.firstFailure;
}

}  // namespace
