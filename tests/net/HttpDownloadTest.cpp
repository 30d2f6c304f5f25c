#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <string>

#include "net/HttpDataCompressor.h"
#include "net/HttpRequest.h"
#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/SmallFilesystem.h"
#include "tests/support/TempHome.h"

using namespace nettest;

namespace {

class HttpDownloadTest : public NetTest {
 protected:
  // A body of `size` bytes that no shifted copy of itself matches.
  static std::string bodyOf(size_t size) {
    std::string body;
    for (int i = 0; body.size() < size; ++i) body += std::to_string(i * 7919 % 100003) + ",";
    body.resize(size);
    return body;
  }
  static std::string gzipped(const std::string& text) {
    auto bytes =
        HttpDataCompressor::compressData(std::vector<uint8_t>(text.begin(), text.end()), nullptr);
    return std::string(bytes->begin(), bytes->end());
  }
  // A resumable download of `url` to download.txt, continuing the part in `partPath`.
  std::unique_ptr<Exchange> resumed(const std::string& url, const std::string& partPath) {
    auto get = std::make_unique<Exchange>(url);
    (*get)->setDownloadDestinationPath(destination());
    (*get)->setTemporaryFileDownloadPath(partPath);
    (*get)->setAllowResumeForFileDownloads(true);
    return get;
  }
  std::string destination() const { return home.path() + "/download.txt"; }

  testsupport::TempHome home;
};

// Answers a range request the way `mode` says, for `content`.
ServerReply rangeReply(const std::string& content, const ServerRequest& request,
                       const std::string& mode) {
  const std::string range = request.header("Range");
  const size_t asked = range.empty() ? 0 : std::stoul(range.substr(6));
  if (mode == "whole" || range.empty()) return ServerReply::text(content);
  size_t from = asked;
  if (mode == "from zero") from = 0;
  if (mode == "early") from = asked - 100;
  ServerReply reply = ServerReply::text(content.substr(from), 206);
  if (mode != "no range")
    reply.header("Content-Range", "bytes " + std::to_string(from) + "-" +
                                      std::to_string(content.size() - 1) + "/" +
                                      std::to_string(content.size()));
  return reply;
}

}  // namespace

TEST_F(HttpDownloadTest, AResumedDownloadAppendsOnlyToTheRangeItAskedFor) {
  const std::string body = bodyOf(100000);
  std::mutex modeLock;
  std::string mode;
  LoopbackHttpServer server([&](const ServerRequest& r) {
    std::lock_guard<std::mutex> lock(modeLock);
    return rangeReply(body, r, mode);
  });
  const std::string part = home.path() + "/part";
  for (const char* answer : {"exact", "from zero", "whole", "early", "no range"}) {
    SCOPED_TRACE(answer);
    {
      std::lock_guard<std::mutex> lock(modeLock);
      mode = answer;
    }
    ASSERT_TRUE(plat::files::writeFileAtomically(part, body.substr(0, 5000)));
    auto get = resumed(server.url("/file"), part);
    get->run();
    EXPECT_EQ(server.lastRequest().header("Range"), "bytes=5000-");
    if (mode == "early" || mode == "no range") {
      // Another range than asked for is no continuation: the part stays for a later try.
      EXPECT_EQ(get->failureCode(), 1);
      EXPECT_EQ(plat::files::readFile(part), body.substr(0, 5000));
      EXPECT_FALSE(plat::files::exists(destination()));
    } else {
      EXPECT_EQ(get->finished, 1);
      EXPECT_EQ(plat::files::readFile(destination()), body);
    }
    plat::files::remove(destination());
  }
}

TEST_F(HttpDownloadTest, AGzipPartLeftByAnEarlierRequestResumesAndADamagedOneStartsOver) {
  const std::string body = bodyOf(200000);
  const std::string packed = gzipped(body);
  LoopbackHttpServer server([&](const ServerRequest& r) {
    ServerReply reply = rangeReply(packed, r, "exact");
    reply.header("Content-Encoding", "gzip");
    return reply;
  });
  const std::string part = home.path() + "/part";
  for (const bool damaged : {false, true}) {
    SCOPED_TRACE(damaged ? "damaged part" : "good part");
    std::string left = packed.substr(0, packed.size() / 2);
    if (damaged) left.replace(0, 10, std::string(10, 'x'));  // no gzip header
    ASSERT_TRUE(plat::files::writeFileAtomically(part, left));
    auto get = resumed(server.url("/file"), part);
    (*get)->setShouldWaitToInflateCompressedResponses(false);
    get->run();
    if (!damaged) {
      EXPECT_EQ(get->finished, 1);
      EXPECT_EQ(plat::files::readFile(destination()), body);
      continue;
    }
    // The part cannot be continued: it goes, and the next try starts over and succeeds.
    EXPECT_EQ(get->failureCode(), kHttpCompressionFailure);
    EXPECT_FALSE(plat::files::exists(part));
    auto again = resumed(server.url("/file"), part);
    (*again)->setShouldWaitToInflateCompressedResponses(false);
    again->run();
    EXPECT_FALSE(server.lastRequest().hasHeader("Range"));
    EXPECT_EQ(again->finished, 1);
    EXPECT_EQ(plat::files::readFile(destination()), body);
  }
}

TEST_F(HttpDownloadTest, AFullDiskFailsTheDownloadAndLeavesNoPartOfIt) {
  testsupport::SmallFilesystem disk(64);
  if (!disk.available()) GTEST_SKIP() << disk.skipReason();
  plat::AppHome::setHome(disk.path());
  const std::string body = bodyOf(1 << 20);
  LoopbackHttpServer server([&](const ServerRequest&) { return ServerReply::text(body); });
  for (const bool inflating : {false, true}) {
    SCOPED_TRACE(inflating ? "inflated on the way" : "plain");
    Exchange get(server.url(inflating ? "/gz" : "/plain"));
    if (inflating) {
      server.setHandler([&](const ServerRequest&) {
        ServerReply reply = ServerReply::text(body);
        reply.gzip = true;
        return reply;
      });
      get->setShouldWaitToInflateCompressedResponses(false);
    }
    get->setDownloadDestinationPath(disk.path() + "/download.txt");
    get.run();
    ASSERT_EQ(get.failureCode(), kHttpFileHandlingFailure);
    ASSERT_TRUE(get.lastError->underlyingError());
    EXPECT_EQ(get.lastError->underlyingError()->code(), ENOSPC);
    EXPECT_FALSE(plat::files::exists(disk.path() + "/download.txt"));
    EXPECT_TRUE(plat::files::list(plat::AppHome::tmpDir()).empty());
  }
  plat::AppHome::setHome(home.path());
}

TEST_F(HttpDownloadTest, ARedirectOrLoginPageNeverTakesTheFilesPlace) {
  const std::string body = bodyOf(30000);
  LoopbackHttpServer server([&](const ServerRequest& r) {
    if (r.path() == "/moved" || r.path() == "/moved-away") {
      ServerReply reply = ServerReply::redirect(302, r.path() == "/moved" ? "/file" : "/gone");
      reply.body = "<html>moved</html>";
      return reply;
    }
    if (!r.hasHeader("Authorization") && r.query() == "login")
      return ServerReply::text("<html>log in</html>", 401)
          .header("WWW-Authenticate", "Basic realm=\"files\"");
    if (r.path() == "/gone") {
      ServerReply dropped;
      dropped.dropRequest = true;
      return dropped;
    }
    return ServerReply::text(body);
  });
  struct Case {
    const char* path;
    bool password;
    bool succeeds;
  };
  for (Case c : {Case{"/moved", false, true}, Case{"/moved-away", false, false},
                 Case{"/file?login", true, true}, Case{"/file?login", false, false}}) {
    SCOPED_TRACE(::testing::Message() << c.path << " password " << c.password);
    HttpRequest::clearSessionCredentials();
    ASSERT_TRUE(plat::files::writeFileAtomically(destination(), "the learner's words"));
    Exchange get(server.url(c.path));
    get->setDownloadDestinationPath(destination());
    if (c.password) {
      get->setUsername("lin");
      get->setPassword("pw");
    }
    get.run();
    EXPECT_EQ(get.finished, c.succeeds ? 1 : 0);
    EXPECT_TRUE(plat::files::readFile(destination()) ==
                (c.succeeds ? body : "the learner's words"));
  }
  HttpRequest::clearSessionCredentials();
}

// Whatever an earlier attempt, request or file left behind, the finished file is this reply's body.
TEST_F(HttpDownloadTest, TheFinishedFileIsExactlyTheLastRepliesBody) {
  const std::string body = bodyOf(100000);
  std::atomic<int> served{0};
  LoopbackHttpServer server([&](const ServerRequest& r) {
    ++served;
    if (r.path() == "/empty") return ServerReply::text("");
    if (r.path() == "/part") {
      return ServerReply::text(body.substr(0, 500), 206)
          .header("Content-Range", "bytes 0-499/" + std::to_string(body.size()));
    }
    if (r.path() == "/stalls-at-once") {
      // The whole file announced, none of it sent.
      if (r.hasHeader("Range"))
        return ServerReply::text("").header("Content-Length", std::to_string(body.size()));
      return ServerReply::text(body);
    }
    // The first try sends half its body and stalls; the retry gets an empty body.
    if (served == 1) {
      ServerReply stalled = ServerReply::text(body.substr(0, 10000));
      stalled.pieceSize = 5000;
      stalled.pieceDelay = 60;
      return stalled;
    }
    return ServerReply::text("");
  });
  const std::string part = home.path() + "/part";

  Exchange retried(server.url("/stalls"));
  retried->setDownloadDestinationPath(destination());
  retried->setTimeOutSeconds(0.5);
  retried->setNumberOfTimesToRetryOnTimeout(1);
  ASSERT_EQ(retried.run().finished, 1);
  EXPECT_EQ(server.requestCount(), 2);
  EXPECT_EQ(plat::files::readFile(destination()), "");

  // Resuming, the first try's reply starts the file over and stalls before its first byte: the
  // retry asks for the whole file again, not for the range the part had.
  ASSERT_TRUE(plat::files::writeFileAtomically(part, body.substr(0, 5000)));
  auto restarted = resumed(server.url("/stalls-at-once"), part);
  (*restarted)->setTimeOutSeconds(0.5);
  (*restarted)->setNumberOfTimesToRetryOnTimeout(1);
  ASSERT_EQ(restarted->run().finished, 1);
  EXPECT_EQ(server.lastRequest().header("Range"), "");
  EXPECT_EQ(plat::files::readFile(destination()), body);

  for (const bool resuming : {false, true}) {
    SCOPED_TRACE(resuming ? "resuming" : "whole file");
    ASSERT_TRUE(plat::files::writeFileAtomically(destination(), "the learner's words"));
    auto empty = resumed(server.url("/empty"), part);
    (*empty)->setAllowResumeForFileDownloads(resuming);
    ASSERT_TRUE(plat::files::writeFileAtomically(part, body.substr(0, 5000)));
    ASSERT_EQ(empty->run().finished, 1);
    EXPECT_EQ(plat::files::readFile(destination()), "");

    // A part from the start that stops short of the total is no file: the destination stays,
    // and a resumable part keeps what came for a later try.
    ASSERT_TRUE(plat::files::writeFileAtomically(destination(), "the learner's words"));
    ASSERT_TRUE(plat::files::writeFileAtomically(part, body.substr(0, 5000)));
    auto shortPart = resumed(server.url("/part"), part);
    (*shortPart)->setAllowResumeForFileDownloads(resuming);
    EXPECT_EQ(shortPart->run().failureCode(), kHttpConnectionFailure);
    EXPECT_EQ(plat::files::readFile(destination()), "the learner's words");
    if (resuming) {
      EXPECT_EQ(plat::files::readFile(part), body.substr(0, 500));
    }
  }
}
