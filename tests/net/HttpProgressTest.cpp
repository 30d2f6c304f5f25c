#include <gtest/gtest.h>

#include <cmath>

#include "net/HttpRequest.h"
#include "tests/net/NetTestSupport.h"

using namespace nettest;

namespace {

class HttpProgressTest : public NetTest {};

}  // namespace

TEST_F(HttpProgressTest, DownloadProgressRisesToOneAndCountsEveryByte) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    ServerReply reply = ServerReply::text(std::string(1000, 'z'));
    reply.pieceSize = 250;
    reply.pieceDelay = 0.3;  // long enough for status checks in between
    if (r.path() == "/unsized") reply.framing = ServerReply::Framing::UntilClose;
    return reply;
  });
  Recorder receiver, owner;
  auto request = HttpRequest::requestWithURL(server.url("/sized"));
  request->setDownloadProgressDelegate(&receiver);
  startAndWait(request, owner);
  ASSERT_GE(receiver.progress.size(), 3u);
  EXPECT_EQ(receiver.progress.front(), 0.0);
  EXPECT_EQ(receiver.progress.back(), 1.0);
  EXPECT_TRUE(std::is_sorted(receiver.progress.begin(), receiver.progress.end()));
  EXPECT_GT(std::count_if(receiver.progress.begin(), receiver.progress.end(),
                          [](double f) { return f > 0 && f < 1; }),
            0);
  EXPECT_EQ(receiver.received, 1000);

  Recorder unsizedReceiver, unsizedOwner;
  auto unsized = HttpRequest::requestWithURL(server.url("/unsized"));
  unsized->setDownloadProgressDelegate(&unsizedReceiver);
  startAndWait(unsized, unsizedOwner);
  EXPECT_EQ(unsizedReceiver.received, 1);
  EXPECT_EQ(unsizedReceiver.progress.back(), 1.0);
}

TEST_F(HttpProgressTest, AnEmptyReplyWithoutLengthEndsAtOneNotNaN) {
  LoopbackHttpServer server([](const ServerRequest&) {
    ServerReply reply;
    reply.framing = ServerReply::Framing::UntilClose;
    return reply;
  });
  Recorder receiver, owner;
  auto request = HttpRequest::requestWithURL(server.url("/"));
  request->setDownloadProgressDelegate(&receiver);
  request->setShowAccurateProgress(true);
  startAndWait(request, owner);
  ASSERT_FALSE(receiver.progress.empty());
  for (double f : receiver.progress) EXPECT_FALSE(std::isnan(f));
  EXPECT_EQ(receiver.progress.back(), 1.0);
}

TEST_F(HttpProgressTest, UploadProgressReachesOne) {
  LoopbackHttpServer server(
      [](const ServerRequest& r) { return ServerReply::text(std::to_string(r.body.size())); });
  Recorder receiver, owner;
  auto request = HttpRequest::requestWithURL(server.url("/upload"));
  request->setUploadProgressDelegate(&receiver);
  request->appendPostData(std::string(8 << 20, 'u'));
  startAndWait(request, owner);
  EXPECT_EQ(request->responseString(), std::to_string(8 << 20));
  ASSERT_FALSE(receiver.progress.empty());
  EXPECT_EQ(receiver.progress.front(), 0.0);
  EXPECT_DOUBLE_EQ(receiver.progress.back(), 1.0);
  EXPECT_EQ(request->totalBytesSent(), 8u << 20);
}

TEST_F(HttpProgressTest, OneUnitPerRequestWithoutAccurateProgress) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("abc"); });
  Recorder receiver, owner;
  auto request = HttpRequest::requestWithURL(server.url("/"));
  request->setShowAccurateProgress(false);
  request->setDownloadProgressDelegate(&receiver);
  request->setUploadProgressDelegate(&receiver);
  request->appendPostData(std::string("body"));
  startAndWait(request, owner);
  EXPECT_EQ(receiver.received, 1);
  EXPECT_EQ(receiver.sent, 1);
}

TEST_F(HttpProgressTest, DataTakenByTheOwnerStaysOutOfTheResponse) {
  LoopbackHttpServer server([](const ServerRequest&) {
    ServerReply reply = ServerReply::text(std::string(100000, 'w'));
    reply.framing = ServerReply::Framing::Chunked;
    return reply;
  });
  Recorder owner;
  size_t taken = 0;
  bool onMain = true;
  auto request = HttpRequest::requestWithURL(server.url("/"));
  request->setDataReceivedBlock([&](const std::vector<uint8_t>& data) {
    taken += data.size();
    onMain = onMain && std::this_thread::get_id() == plat::RunLoop::main().thread();
  });
  startAndWait(request, owner);
  EXPECT_EQ(taken, 100000u);
  EXPECT_TRUE(onMain);
  EXPECT_TRUE(request->rawResponseData()->empty());
}
