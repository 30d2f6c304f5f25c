// A process that exits while threads of ours still run: a thread that used OpenSSL and ends
// during the exit leaves none of OpenSSL's state of it behind (the leak checker would fail the
// process), and a thread still opening connections finds the socket layer's shared state alive.
#include <gtest/gtest.h>
#include <openssl/err.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/base/Clock.h"
#include "platform/base/OperationQueue.h"
#include "platform/http/CookieStore.h"
#include "platform/http/MimeTypes.h"
#include "platform/stream/TlsTrust.h"
#include "platform/stream/Transport.h"
#include "tests/support/ExitRounds.h"

namespace {

// Longer than an idle worker waits for more work (two seconds): the worker ends meanwhile.
void outwaitIdleWorkers() {
  std::this_thread::sleep_for(std::chrono::milliseconds(2600));
}

// The thread here is an operation queue's worker, which waits a while for more work before it
// ends; its operation starts the socket layer, as the first request of an application does.
TEST(ThreadsAtExit, AWorkerThatUsedOpenSslAndEndsAsTheProcessExitsLeavesNothingBehind) {
  const testsupport::ExitRounds rounds = testsupport::exitRounds(1, [] {
    // Runs last among the exit handlers: the worker ends meanwhile.
    std::atexit(outwaitIdleWorkers);
    plat::OperationQueue queue;
    queue.setMaxConcurrentOperationCount(1);
    queue.addOperation([] {
      plat::stream::prepareTransport();
      ERR_clear_error();  // what every connection does: the thread gets its error queue
    });
    queue.waitUntilAllOperationsAreFinished();
    std::exit(0);  // the leak checker runs last and fails the exit when something leaked
  });
  EXPECT_EQ(rounds.failed, 0) << rounds.firstFailure << " (see its leak report above)";
}

// The network thread asks for a client context at every secure connection it opens, and may be
// opening one while the process runs its exit handlers.
TEST(ThreadsAtExit, AThreadOpeningSecureConnectionsAsTheProcessExitsFindsItsContext) {
  const testsupport::ExitRounds rounds = testsupport::exitRounds(20, [] {
    static std::atomic<bool> asked{false};
    plat::stream::prepareTransport();
    std::thread([] {
      for (;;) {
        if (!plat::stream::clientTlsContext(false)) std::abort();
        asked = true;
      }
    }).detach();
    while (!asked) std::this_thread::yield();
  });
  EXPECT_EQ(rounds.failed, 0) << "of 20 exits; first: " << rounds.firstFailure;
}

// The backup's thread names the type of the archive it uploads, and may be doing so while the
// process exits.
TEST(ThreadsAtExit, AThreadNamingFileTypesAsTheProcessExitsFindsTheTables) {
  const testsupport::ExitRounds rounds = testsupport::exitRounds(20, [] {
    static std::atomic<bool> named{false};
    std::thread([] {
      for (;;) {
        // One the system's table names and one only our own list has.
        if (plat::http::mimeTypeForExtension("zip") != "application/zip" ||
            !plat::http::mimeTypeForExtension("caf"))
          std::abort();
        named = true;
      }
    }).detach();
    while (!named) std::this_thread::yield();
  });
  EXPECT_EQ(rounds.failed, 0) << "of 20 exits; first: " << rounds.firstFailure;
}

// The network thread stores the cookies of each reply and reads those the next request carries,
// and may be doing so while the process exits.
TEST(ThreadsAtExit, AThreadKeepingCookiesAsTheProcessExitsFindsTheStore) {
  const testsupport::ExitRounds rounds = testsupport::exitRounds(20, [] {
    static std::atomic<bool> kept{false};
    std::thread([] {
      const plat::http::Url url = *plat::http::Url::parse("http://127.0.0.1:8080/api/login.php");
      const std::string session = "a session token longer than a short string holds";
      for (;;) {
        plat::http::CookieStore::shared().setCookies(plat::http::Cookie::parseSetCookieValues(
            {"session=" + session + "; Path=/api"}, url, plat::Clock::current().now()));
        const auto carried = plat::http::CookieStore::shared().cookiesForUrl(url);
        if (carried.size() != 1 || carried[0].value != session) std::abort();
        kept = true;
      }
    }).detach();
    while (!kept) std::this_thread::yield();
  });
  EXPECT_EQ(rounds.failed, 0) << "of 20 exits; first: " << rounds.firstFailure;
}

}  // namespace
