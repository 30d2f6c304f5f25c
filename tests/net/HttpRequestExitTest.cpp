// Requests failing while the process exits, on the network thread and on threads that run their
// own (the backup's, the analytics queues): what a failure is made of (its error's domain, the
// shared errors, the modes its loop runs in) needs no destruction, and the network thread's stop
// is registered before the thread starts. Each round is a process of its own, raced against its
// exit.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "net/HttpNetworkQueue.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/ExitRounds.h"

using namespace nettest;

namespace {

constexpr int kRounds = 20;

// A loopback address where no one listens: every connection is refused at once.
const std::string& refusedAddress() {
  static const auto& address = *new std::string([] {
    LoopbackHttpServer server([](const ServerRequest&) { return ServerReply(); });
    const int port = server.port();
    server.stop();
    return "http://127.0.0.1:" + std::to_string(port) + "/";
  }());
  return address;
}

TEST(HttpRequestExit, RequestsFailingAsTheProcessExitsFindWhatTheirFailureIsMadeOf) {
  const testsupport::ExitRounds rounds = testsupport::exitRounds(kRounds, [] {
    plat::RunLoop::setMainThread();
    static std::atomic<int> failed{0};
    std::thread([] {
      for (;;) {
        auto request = HttpRequest::requestWithURL(refusedAddress());
        request->startSynchronous();
        if (!request->error()) std::abort();
        ++failed;
      }
    }).detach();
    auto queue = HttpNetworkQueue::queue();
    for (int i = 0; i < 400; ++i)
      queue->addOperation(HttpRequest::requestWithURL(refusedAddress()));
    queue->go();
    runUntil([] { return failed >= 3; });
    std::exit(0);
  });
  EXPECT_EQ(rounds.failed, 0) << "of " << kRounds << " exits; first: " << rounds.firstFailure;
}

}  // namespace
