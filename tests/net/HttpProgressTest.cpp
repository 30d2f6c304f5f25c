#include <gtest/gtest.h>

#include <cmath>

#include "net/HttpRequest.h"
#include "tests/net/NetTestSupport.h"

using namespace nettest;

using HttpProgressTest = NetTest;

TEST_F(HttpProgressTest, DownloadProgressRisesToOneAndCountsEveryByte) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    ServerReply reply = ServerReply::text(std::string(1000, 'z'));
    reply.pieceSize = 250;
    reply.pieceDelay = 0.3;  // long enough for status checks in between
    if (r.path() == "/unsized") reply.framing = ServerReply::Framing::UntilClose;
    return reply;
  });
  Exchange sized(server.url("/sized"));
  sized->setDownloadProgressDelegate(&sized);
  const std::vector<double>& progress = sized.run().progress;
  ASSERT_GE(progress.size(), 3u);
  EXPECT_EQ(progress.front(), 0.0);
  EXPECT_EQ(progress.back(), 1.0);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_GT(
      std::count_if(progress.begin(), progress.end(), [](double f) { return f > 0 && f < 1; }), 0);
  EXPECT_EQ(sized.received, 1000);

  Exchange unsized(server.url("/unsized"));
  unsized->setDownloadProgressDelegate(&unsized);
  EXPECT_EQ(unsized.run().received, 1);
  EXPECT_EQ(unsized.progress.back(), 1.0);
}

TEST_F(HttpProgressTest, AnEmptyReplyWithoutLengthEndsAtOneNotNaN) {
  LoopbackHttpServer server([](const ServerRequest&) {
    ServerReply reply;
    reply.framing = ServerReply::Framing::UntilClose;
    return reply;
  });
  Exchange get(server.url("/"));
  get->setDownloadProgressDelegate(&get);
  get->setShowAccurateProgress(true);
  ASSERT_FALSE(get.run().progress.empty());
  for (double f : get.progress) EXPECT_FALSE(std::isnan(f));
  EXPECT_EQ(get.progress.back(), 1.0);
}

TEST_F(HttpProgressTest, UploadProgressReachesOneOrCountsOneUnitWithoutAccurateProgress) {
  LoopbackHttpServer server(
      [](const ServerRequest& r) { return ServerReply::text(std::to_string(r.body.size())); });
  Exchange post(server.url("/upload"));
  post->setUploadProgressDelegate(&post);
  post->appendPostData(std::string(8 << 20, 'u'));
  EXPECT_EQ(post.run()->responseString(), std::to_string(8 << 20));
  ASSERT_FALSE(post.progress.empty());
  EXPECT_EQ(post.progress.front(), 0.0);
  EXPECT_DOUBLE_EQ(post.progress.back(), 1.0);
  EXPECT_EQ(post->totalBytesSent(), 8u << 20);

  Exchange rough(server.url("/"));
  rough->setShowAccurateProgress(false);
  rough->setDownloadProgressDelegate(&rough);
  rough->setUploadProgressDelegate(&rough);
  rough->appendPostData(std::string("body"));
  EXPECT_EQ(rough.run().received, 1);
  EXPECT_EQ(rough.sent, 1);
}

TEST_F(HttpProgressTest, DataTakenByTheOwnerStaysOutOfTheResponse) {
  LoopbackHttpServer server([](const ServerRequest&) {
    ServerReply reply = ServerReply::text(std::string(100000, 'w'));
    reply.framing = ServerReply::Framing::Chunked;
    return reply;
  });
  size_t taken = 0;
  bool onMain = true;
  Exchange get(server.url("/"));
  get->setDataReceivedBlock([&](const std::vector<uint8_t>& data) {
    taken += data.size();
    onMain = onMain && std::this_thread::get_id() == plat::RunLoop::main().thread();
  });
  get.run();
  EXPECT_EQ(taken, 100000u);
  EXPECT_TRUE(onMain);
  EXPECT_TRUE(get->rawResponseData()->empty());
}
