// Threads that still digest, cipher and draw random bytes while the process exits (the backup's
// thread making a device identifier and its check code, the analytics queue sealing an upload)
// find OpenSSL's state as it was: the process never tears it down. Each round is a process of its
// own, raced against its exit.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/crypto/Aes.h"
#include "platform/crypto/Digest.h"
#include "platform/crypto/Uuid.h"
#include "tests/support/ExitRounds.h"

namespace {

constexpr int kRounds = 10;

TEST(CryptoAtExit, ThreadsStillUsingTheCryptoLibraryAsTheProcessExitsFindItsState) {
  const testsupport::ExitRounds rounds = testsupport::exitRounds(kRounds, [] {
    static std::atomic<int> passes{0};
    std::thread([] {
      const std::array<uint8_t, 16> key{}, iv{};
      const std::vector<uint8_t> data(64, 'x');
      for (;;) {
        const bool done = plat::crypto::randomUuidString().size() == 36 &&
                          plat::crypto::md5("device").size() == 16 &&
                          plat::crypto::sha1("record").size() == 20 &&
                          plat::crypto::aes128CbcEncrypt(data, key, iv).has_value();
        if (!done) std::abort();
        ++passes;
      }
    }).detach();
    while (passes < 3) std::this_thread::yield();
  });
  EXPECT_EQ(rounds.failed, 0) << "of " << kRounds << " exits; first: " << rounds.firstFailure;
}

}  // namespace
