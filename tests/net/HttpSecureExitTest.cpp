// A process that exits while the network thread is opening secure connections: what every new
// connection asks for (the client TLS context, made on the first one) is still there until the
// network thread stops. Each round is a process of its own, raced against its exit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "net/HttpNetworkQueue.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/ExitRounds.h"
#include "tests/support/TestCertificate.h"

using namespace nettest;

namespace {

constexpr int kRounds = 20;

// A server of the certificate the test made, and requests that keep handshaking until the exit.
void exitWhileHandshaking() {
  plat::RunLoop::setMainThread();
  static auto* certificate =
      testsupport::TestCertificate::madeIn(testsupport::exitRoundGiven()).release();
  // Every exchange on a connection of its own, so that new handshakes go on until the end.
  static LoopbackHttpServer* server = new LoopbackHttpServer(
      [](const ServerRequest&) { return ServerReply::text("ok").header("Connection", "close"); },
      *certificate);
  // The server's threads end after the network thread (its stop is registered at the first
  // request, so it runs first).
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
}

TEST(HttpSecureExit, ConnectionsStillBeingSetUpAsTheProcessExitsDoNoHarm) {
  // Made once, by the test; the rounds read its files.
  std::unique_ptr<testsupport::TestCertificate> made;
  if (testsupport::exitRoundNumber() == 0) made = std::make_unique<testsupport::TestCertificate>();
  const testsupport::ExitRounds rounds =
      testsupport::exitRounds(kRounds, exitWhileHandshaking, made ? made->folder() : "");
  EXPECT_EQ(rounds.failed, 0) << "of " << kRounds << " exits; first: " << rounds.firstFailure;
}

}  // namespace
