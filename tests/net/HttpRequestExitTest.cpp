// Requests failing while the process exits, on the network thread and on threads that run their
// own (the backup's, the analytics queues): what a failure is made of (its error's domain, the
// shared errors, the modes its loop runs in) needs no destruction, and the network thread's stop
// is registered before the thread starts, so that an exit while the first request starts it
// stops it all the same. Each round is a process of its own, raced against its exit.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// Whether a thread of this process goes by `name`, as the kernel keeps it (15 characters at most).
bool aThreadIsNamed(const std::string& name) {
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string line;
    if (std::getline(comm, line) && line == name) return true;
  }
  return false;
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

// The main thread exits while another thread sets up the process's first request, just after that
// thread has started the network thread: the starting thread is held there until the process
// ends, so the exit runs all its handlers before the request could go on. The network thread is
// stopped all the same: none runs once the handlers are through.
TEST(HttpRequestExit, AnExitWhileTheFirstRequestStartsTheNetworkThreadStillStopsIt) {
  const testsupport::ExitRounds rounds = testsupport::exitRounds(kRounds, [] {
    plat::RunLoop::setMainThread();
    static std::atomic<bool> started{false};
    HttpRequest::setNetworkThreadStartedHook([] {
      started = true;
      for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
    });
    std::thread([] {
      // Never sent: its thread is held as it starts the network thread.
      HttpRequest::requestWithURL("http://127.0.0.1:9/")->startAsynchronous();
    }).detach();
    while (!started) std::this_thread::yield();
    testsupport::onceStaticObjectsAreGone([] {
      // The network thread's name ("HttpRequest network") as the kernel keeps it.
      if (aThreadIsNamed("HttpRequest net")) std::_Exit(3);
    });
    std::exit(0);
  });
  EXPECT_EQ(rounds.failed, 0) << "of " << kRounds << " exits; first: " << rounds.firstFailure;
}

}  // namespace
