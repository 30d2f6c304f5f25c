// Upload progress of a body sent again after a 307, a time-out retry or a login: what an attempt
// counted is taken back when the next one starts, so each figure ends at all of the body once.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "net/HttpNetworkQueue.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/LoopbackListener.h"
#include "tests/support/Patience.h"
#include "tests/support/VirtualTime.h"

using namespace nettest;

namespace {

enum class Restart { Redirect, TimeOut, Login };

const char* name(Restart restart) {
  switch (restart) {
    case Restart::Redirect:
      return "307";
    case Restart::TimeOut:
      return "time-out";
    case Restart::Login:
      return "login";
  }
  return "";
}

struct UploadRecorder : Recorder {
  void request_incrementUploadSizeBy(HttpRequest&, int64_t bytes) override { uploadSize += bytes; }
  int64_t uploadSize = 0;
};

// Makes each POST start over `restarts` times, then answers "done".
class RestartingServer {
 public:
  RestartingServer(Restart restart, int restarts)
      : server_([this, restart, restarts](const ServerRequest& r) {
          const int call = calls_++;
          if (call >= restarts) return ServerReply::text("done");
          switch (restart) {
            case Restart::Redirect:
              return ServerReply::redirect(307, "/again" + std::to_string(call));
            case Restart::TimeOut: {
              ServerReply reply = ServerReply::text("late");
              reply.hang = true;
              return reply;
            }
            case Restart::Login:
              // A new realm each time: the request's own credentials go again unasked.
              return ServerReply::text("log in", 401)
                  .header("WWW-Authenticate", "Basic realm=\"r" + std::to_string(call) + "\"");
          }
          (void)r;
          return ServerReply::text("unknown");
        }) {}
  std::string url() const { return server_.url("/post"); }
  int calls() const { return calls_; }

 private:
  std::atomic<int> calls_{0};
  LoopbackHttpServer server_;
};

void prepare(HttpRequest& request, Restart restart, size_t size) {
  request.appendPostData(std::string(size, 'u'));
  if (restart == Restart::TimeOut) {
    request.setTimeOutSeconds(0.5);
    request.setNumberOfTimesToRetryOnTimeout(5);
  }
  if (restart == Restart::Login) {
    request.setUsername("lin");
    request.setPassword("right");
  }
}

// Calls `start`, then runs until `request` is done. Time-outs run on virtual time, set up before
// the start so that the first attempt's silence is measured on it too; it moves on in steps of
// 0.1 s only while the server holds the attempt under way, so a loaded machine retries no more.
template <class Server>
bool runRestarting(Restart restart, const Server& server, int restarts,
                   const std::function<void()>& start, const Recorder& request) {
  const auto done = [&] { return request.done(); };
  if (restart != Restart::TimeOut) {
    start();
    return runUntil(done, testsupport::kPatience);
  }
  testsupport::VirtualTime time;
  start();
  for (int step = 0; step < 3000 && !done(); ++step) {
    const auto attempt = std::count(request.events.begin(), request.events.end(), "started") - 1;
    if (attempt < restarts && server.calls() > attempt) time.clock().advance(0.1);
    runUntil(done, 0.01);
  }
  return done();
}

// Takes the head of each of the first `stalls` requests and then reads nothing more, so the body
// fills the connection's buffers and stops part-way; the next request is read whole and answered.
class StallingServer {
 public:
  explicit StallingServer(int stalls) : stalls_(stalls) {
    listener_ = testsupport::listenOnLoopback(port_, 8);
    thread_ = std::thread([this] { serve(); });
  }
  ~StallingServer() {
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    for (int fd : held_) ::close(fd);
    ::close(listener_);
  }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/post"; }
  int calls() const { return calls_; }

 private:
  void serve() {
    for (int fd; (fd = ::accept(listener_, nullptr, nullptr)) >= 0;) {
      std::string head;
      char c;
      while (!head.ends_with("\r\n\r\n") && ::recv(fd, &c, 1, 0) == 1) head += c;
      if (calls_++ < stalls_) {
        held_.push_back(fd);
        continue;
      }
      const size_t at = head.find("Content-Length: ");
      size_t left = at == std::string::npos ? 0 : std::stoull(head.substr(at + 16));
      std::vector<char> chunk(65536);
      for (ssize_t n; left > 0 && (n = ::recv(fd, chunk.data(), chunk.size(), 0)) > 0;)
        left -= static_cast<size_t>(n);
      const std::string reply =
          "HTTP/1.1 200 OK\r\nContent-Length: 4\r\nConnection: close\r\n\r\ndone";
      ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
      ::close(fd);
    }
  }

  int stalls_, listener_;
  uint16_t port_ = 0;
  std::atomic<int> calls_{0};
  std::vector<int> held_;
  std::thread thread_;
};

bool neverAboveOne(const std::vector<double>& progress) {
  return std::all_of(progress.begin(), progress.end(), [](double p) { return p <= 1.0; });
}

// One POST that starts over, alone with its own upload receiver, or in a queue that counts
// bytes; at its end the figures of the one or the other must hold the body once.
struct RestartedPost {
  RestartedPost(const std::string& url, Restart restart, size_t size, bool queued)
      : restart(restart), queued(queued), post(url) {
    prepare(*post.request, restart, size);
    if (!queued) {
      post->setUploadProgressDelegate(&post);
      return;
    }
    queue->setShowAccurateProgress(true);
    queue->setUploadProgressDelegate(&shown);
    post->setDelegate(&post);
    queue->addOperation(post.request);
  }
  template <class Server>
  bool run(const Server& server, int restarts) {
    const auto start = [this] {
      if (queued) {
        queue->go();
      } else {
        post.start();
      }
    };
    return runRestarting(restart, server, restarts, start, post);
  }
  void expectBodyCountedOnce() {
    ASSERT_EQ(post.finished, 1);
    runUntil([] { return false; }, 0.05);
    if (queued) {
      EXPECT_GT(queue->totalBytesToUpload(), 0u);
      EXPECT_EQ(queue->bytesUploadedSoFar(), queue->totalBytesToUpload());
    } else {
      EXPECT_GT(post.sent, 0);
      EXPECT_EQ(post.sent, post.uploadSize);
    }
    const std::vector<double>& progress = queued ? shown.progress : post.progress;
    ASSERT_FALSE(progress.empty());
    EXPECT_DOUBLE_EQ(progress.back(), 1.0);
    EXPECT_TRUE(neverAboveOne(progress));
  }

  Restart restart;
  bool queued;
  std::shared_ptr<HttpNetworkQueue> queue = HttpNetworkQueue::queue();
  Recorder shown;
  ExchangeWith<UploadRecorder> post;
};

class HttpUploadRestartTest : public NetTest {};

}  // namespace

TEST_F(HttpUploadRestartTest, ARestartedBodyIsCountedOnceByItsReceiverAndItsQueue) {
  for (Restart restart : {Restart::Redirect, Restart::TimeOut, Restart::Login}) {
    for (int restarts : {1, 3}) {
      for (bool queued : {false, true}) {
        SCOPED_TRACE(::testing::Message()
                     << name(restart) << " x" << restarts << " queued " << queued);
        RestartingServer server(restart, restarts);
        RestartedPost post(server.url(), restart, 3000, queued);
        ASSERT_TRUE(post.run(server, restarts));
        EXPECT_EQ(server.calls(), restarts + 1);
        post.expectBodyCountedOnce();
      }
    }
  }
}

// Counted in units, a restarted request still gives its queue one unit of upload and one of
// download, each once, however its earlier attempts ended.
TEST_F(HttpUploadRestartTest, AQueueCountingUnitsGetsEachUnitOnce) {
  for (Restart restart : {Restart::Redirect, Restart::TimeOut, Restart::Login}) {
    SCOPED_TRACE(name(restart));
    const int restarts = 2;
    RestartingServer server(restart, restarts);
    auto queue = HttpNetworkQueue::queue();
    Recorder uploadShown, downloadShown;
    queue->setUploadProgressDelegate(&uploadShown);
    queue->setDownloadProgressDelegate(&downloadShown);
    ExchangeWith<UploadRecorder> post(server.url());
    prepare(*post.request, restart, 3000);
    post->setDelegate(&post);
    queue->addOperation(post.request);
    ASSERT_TRUE(runRestarting(
        restart, server, restarts, [&] { queue->go(); }, post));
    ASSERT_EQ(post.finished, 1);
    runUntil([] { return false; }, 0.05);
    EXPECT_EQ(std::make_tuple(queue->bytesUploadedSoFar(), queue->totalBytesToUpload()),
              std::make_tuple(uint64_t{1}, uint64_t{1}));
    EXPECT_EQ(std::make_tuple(queue->bytesDownloadedSoFar(), queue->totalBytesToDownload()),
              std::make_tuple(uint64_t{1}, uint64_t{1}));
    ASSERT_FALSE(downloadShown.progress.empty());
    EXPECT_DOUBLE_EQ(downloadShown.progress.back(), 1.0);
  }
}

// A body that stopped part-way in the connection's buffers: the part the connection took at once
// comes out of the size at each attempt and goes back in when the next one starts.
TEST_F(HttpUploadRestartTest, ABodyStalledInTheConnectionsBuffersIsCountedOnceAfterTimeOuts) {
  for (int stalls : {1, 2}) {
    for (bool queued : {false, true}) {
      SCOPED_TRACE(::testing::Message() << stalls << " stalls, queued " << queued);
      StallingServer server(stalls);
      RestartedPost post(server.url(), Restart::TimeOut, size_t{32} << 20, queued);
      ASSERT_TRUE(post.run(server, stalls));
      EXPECT_EQ(server.calls(), stalls + 1);
      post.expectBodyCountedOnce();
    }
  }
}
