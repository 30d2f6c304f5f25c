// Decoding while the process exits: any thread may decode (the analytics queues and the backup's
// threads do, and may still be at it as the process exits), so what every decoder shares, such as
// the empty string that all of them hand out, is still whole after the static objects are gone.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "json/JsonCodec.h"
#include "tests/support/ExitRounds.h"

namespace {

constexpr int kRounds = 20;

// Both kinds of result: a mutable one shares the decoders' empty string, an immutable one makes
// its strings in its own group.
bool decodesEmptyStrings() {
  const std::string reply = R"({"msg":"","syn_var":{"nNewMsgCount":"","list":["","x"]}})";
  for (const plat::Value& value :
       {mutableObjectFromJSONString(reply), objectFromJSONString(reply)}) {
    if (!value["msg"].isString() || !value["msg"].asString().empty()) return false;
    const plat::Value& list = value["syn_var"]["list"];
    if (list.size() != 2 || !list.at(0).isString() || list.at(1).asString() != "x") return false;
  }
  return true;
}

TEST(DecoderAtExit, AThreadDecodingEmptyStringsAsTheProcessExitsFindsThemWhole) {
  const testsupport::ExitRounds rounds = testsupport::exitRounds(kRounds, [] {
    static std::atomic<bool> decoded{false};
    std::thread([] {
      for (;;) {
        if (!decodesEmptyStrings()) std::abort();
        decoded = true;
      }
    }).detach();
    while (!decoded) std::this_thread::yield();
  });
  EXPECT_EQ(rounds.failed, 0) << "of " << kRounds << " exits; first: " << rounds.firstFailure;
}

}  // namespace
