#include "server/HttpListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

namespace standin {
namespace {

constexpr size_t kMaxHead = 64 * 1024;
constexpr size_t kMaxBody = 256 * 1024 * 1024;  // a whole study dump, with room to spare
constexpr int kIdleSeconds = 120;               // a kept connection left idle this long is closed

// A connection's bytes as they come, read as far as the current request needs.
class Reader {
 public:
  explicit Reader(int fd) : fd_(fd) {}

  // The bytes up to (not including) `delimiter`, consumed with it; nothing when the peer closed
  // or sent more than `limit` bytes without it.
  std::optional<std::string> until(const std::string& delimiter, size_t limit) {
    for (;;) {
      if (size_t at = buffer_.find(delimiter); at != std::string::npos) {
        std::string out = buffer_.substr(0, at);
        buffer_.erase(0, at + delimiter.size());
        return out;
      }
      if (buffer_.size() > limit || !fill()) return std::nullopt;
    }
  }
  std::optional<std::string> exactly(size_t size) {
    // Room for all of it at once: grown step by step, a large body was copied over and over.
    buffer_.reserve(size);
    while (buffer_.size() < size)
      if (!fill()) return std::nullopt;
    // A body is most often all there is: handed over, not copied, since it may be hundreds of
    // megabytes.
    if (buffer_.size() == size) return std::exchange(buffer_, std::string());
    std::string out = buffer_.substr(0, size);
    buffer_.erase(0, size);
    return out;
  }

 private:
  bool fill() {
    char chunk[16384];
    ssize_t got;
    do {
      got = ::recv(fd_, chunk, sizeof chunk, 0);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) return false;
    buffer_.append(chunk, static_cast<size_t>(got));
    return true;
  }
  int fd_;
  std::string buffer_;
};

bool sendAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t wrote = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    sent += static_cast<size_t>(wrote);
  }
  return true;
}

std::string reasonOf(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 400:
      return "Bad Request";
    case 404:
      return "Not Found";
    case 413:
      return "Payload Too Large";
    case 500:
      return "Internal Server Error";
    default:
      return "Status";
  }
}

std::string trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The request line and headers; nothing when they make no request.
std::optional<Request> parseHead(const std::string& head, std::string& version) {
  Request request;
  size_t lineEnd = head.find("\r\n");
  std::string line = head.substr(0, lineEnd);
  size_t space1 = line.find(' '), space2 = line.rfind(' ');
  if (space1 == std::string::npos || space2 == space1) return std::nullopt;
  request.method = line.substr(0, space1);
  request.target = line.substr(space1 + 1, space2 - space1 - 1);
  version = line.substr(space2 + 1);
  if (version.rfind("HTTP/1.", 0) != 0 || request.target.empty()) return std::nullopt;
  while (lineEnd != std::string::npos) {
    size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    std::string field =
        head.substr(start, lineEnd == std::string::npos ? lineEnd : lineEnd - start);
    size_t colon = field.find(':');
    if (colon == std::string::npos) return std::nullopt;
    request.headers.emplace_back(trimmed(field.substr(0, colon)), trimmed(field.substr(colon + 1)));
  }
  return request;
}

std::optional<std::string> chunkedBody(Reader& reader) {
  std::string body;
  for (;;) {
    std::optional<std::string> sizeLine = reader.until("\r\n", kMaxHead);
    if (!sizeLine) return std::nullopt;
    char* end = nullptr;
    const unsigned long long size = std::strtoull(sizeLine->c_str(), &end, 16);
    if (end == sizeLine->c_str() || body.size() + size > kMaxBody) return std::nullopt;
    if (size == 0) {
      // Trailer fields, if any, up to the empty line.
      while (std::optional<std::string> trailer = reader.until("\r\n", kMaxHead))
        if (trailer->empty()) return body;
      return std::nullopt;
    }
    std::optional<std::string> chunk = reader.exactly(size);
    if (!chunk || !reader.exactly(2)) return std::nullopt;
    body += *chunk;
  }
}

// The reply on the wire; the answer to a HEAD has the head a GET would have, body left out.
std::string replyBytes(const Reply& reply, bool keepAlive, bool withBody = true) {
  std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " " + reasonOf(reply.status) +
                    "\r\nContent-Type: " + reply.contentType +
                    "\r\nContent-Length: " + std::to_string(reply.body.size()) +
                    "\r\nConnection: " + (keepAlive ? "keep-alive" : "close") + "\r\n\r\n";
  return withBody ? out + reply.body : out;
}

void serve(int fd, const HttpListener::Handler& handler) {
  timeval idle{kIdleSeconds, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &idle, sizeof idle);
  Reader reader(fd);
  for (;;) {
    std::optional<std::string> head = reader.until("\r\n\r\n", kMaxHead);
    if (!head) break;
    std::string version;
    std::optional<Request> request = parseHead(*head, version);
    if (!request) {
      sendAll(fd, replyBytes(Reply::text("bad request", 400), false));
      break;
    }
    std::optional<std::string> body = std::string();
    if (::strcasecmp(request->header("Transfer-Encoding").c_str(), "chunked") == 0) {
      body = chunkedBody(reader);
    } else if (std::string length = request->header("Content-Length"); !length.empty()) {
      const unsigned long long size = std::strtoull(length.c_str(), nullptr, 10);
      if (size > kMaxBody) {
        sendAll(fd, replyBytes(Reply::text("request too large", 413), false));
        break;
      }
      body = reader.exactly(size);
    }
    if (!body) break;
    request->body = std::move(*body);
    const std::string connection = request->header("Connection");
    const bool keepAlive = version == "HTTP/1.1"
                               ? ::strcasecmp(connection.c_str(), "close") != 0
                               : ::strcasecmp(connection.c_str(), "keep-alive") == 0;
    const bool withBody = request->method != "HEAD";
    if (!sendAll(fd, replyBytes(handler(std::move(*request)), keepAlive, withBody)) || !keepAlive)
      break;
  }
  ::close(fd);
}

}  // namespace

HttpListener::HttpListener(uint16_t port, Handler handler)
    : handler_(std::make_shared<const Handler>(std::move(handler))) {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int yes = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      ::listen(listenFd_, 64) != 0 ||
      ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    error_ = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
    return;
  }
  port_ = ntohs(address.sin_port);
}

HttpListener::~HttpListener() {
  if (listenFd_ >= 0) ::close(listenFd_);
}

void HttpListener::run() {
  for (;;) {
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EMFILE || errno == ENFILE) {
        // Out of descriptors: open connections will end and free some.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        continue;
      }
      return;  // stopped
    }
    // Connections end by themselves; nothing waits for them.
    std::thread([fd, handler = handler_] { serve(fd, *handler); }).detach();
  }
}

void HttpListener::stop() {
  if (listenFd_ >= 0) ::shutdown(listenFd_, SHUT_RDWR);
}

}  // namespace standin
