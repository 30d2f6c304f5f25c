// The server program's HTTP side over real loopback sockets: requests kept on one connection,
// bodies framed by length or chunked, a broken request refused, and a stop that ends the listener.
#include "server/HttpListener.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "tests/support/Patience.h"

namespace servertest {
namespace {

// One client connection that sends raw bytes and reads until the server closes or `replies`
// replies have come.
class RawClient {
 public:
  explicit RawClient(uint16_t port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    timeval wait{static_cast<time_t>(testsupport::kPatience), 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  }
  ~RawClient() { ::close(fd_); }
  bool connected() const { return connected_; }
  void send(const std::string& bytes) {
    ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
  }
  std::string readReplies(int replies) {
    std::string got;
    char buffer[4096];
    while (count(got, "HTTP/1.1 ") < replies || !complete(got)) {
      ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      got.append(buffer, size_t(n));
    }
    return got;
  }

 private:
  static int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
  // The last reply's body has come whole (bodies here are short and end with ".").
  static bool complete(const std::string& text) { return !text.empty() && text.back() == '.'; }

  int fd_;
  bool connected_ = false;
};

class HttpListenerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    listener_ = std::make_unique<standin::HttpListener>(0, [](const standin::Request& r) {
      return standin::Reply::text(r.method + " " + r.target + " [" + r.body + "] " +
                                  r.header("x-note") + ".");
    });
    ASSERT_EQ(listener_->error(), "");
    thread_ = std::thread([this] { listener_->run(); });
  }
  void TearDown() override {
    listener_->stop();
    thread_.join();  // run() returned
  }

  std::unique_ptr<standin::HttpListener> listener_;
  std::thread thread_;
};

TEST_F(HttpListenerTest, RequestsShareAConnectionWithBodiesByLengthOrChunks) {
  RawClient client(listener_->port());
  ASSERT_TRUE(client.connected());
  client.send(
      "POST /api/a.php?x=1 HTTP/1.1\r\nHost: h\r\nX-Note:  kept \r\nContent-Length: 5\r\n\r\nhello"
      "POST /api/b.php HTTP/1.1\r\nTransfer-Encoding: "
      "chunked\r\n\r\n3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n");
  const std::string replies = client.readReplies(2);
  EXPECT_NE(replies.find("Content-Length: 33\r\n"), std::string::npos) << replies;
  EXPECT_NE(replies.find("\r\n\r\nPOST /api/a.php?x=1 [hello] kept."), std::string::npos)
      << replies;
  EXPECT_NE(replies.find("POST /api/b.php [abcde] ."), std::string::npos) << replies;
  EXPECT_NE(replies.find("Connection: keep-alive"), std::string::npos);

  // Asked to close, the server answers and closes.
  client.send("GET /last HTTP/1.1\r\nConnection: close\r\n\r\n");
  const std::string last = client.readReplies(1);
  EXPECT_NE(last.find("Connection: close"), std::string::npos) << last;
  EXPECT_NE(last.find("GET /last [] ."), std::string::npos) << last;
}

TEST_F(HttpListenerTest, ABrokenRequestIsRefusedAndTheConnectionClosed) {
  const char* broken[] = {"NONSENSE\r\n\r\n", "GET /x HTTP/1.1\r\nno colon here\r\n\r\n",
                          "GET /x SPDY/3\r\n\r\n"};
  for (const char* request : broken) {
    RawClient client(listener_->port());
    client.send(request);
    const std::string reply = client.readReplies(1);
    EXPECT_EQ(reply.rfind("HTTP/1.1 400 Bad Request\r\n", 0), 0u) << request << "\n" << reply;
  }
  RawClient huge(listener_->port());
  huge.send("POST /x HTTP/1.1\r\nContent-Length: 99999999999\r\n\r\n");
  EXPECT_EQ(huge.readReplies(1).rfind("HTTP/1.1 413 ", 0), 0u);
}

}  // namespace
}  // namespace servertest
