#include "tests/support/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "tests/support/LoopbackListener.h"
#include "tests/support/TestCertificate.h"

namespace testsupport {
namespace {

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
  return ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

const std::string* findHeader(const HeaderList& headers, const std::string& name) {
  for (const auto& [key, value] : headers)
    if (equalsIgnoringCase(key, name)) return &value;
  return nullptr;
}

std::string headerIn(const HeaderList& headers, const std::string& name) {
  const std::string* value = findHeader(headers, name);
  return value ? *value : "";
}

std::string reasonFor(int status) {
  // A view of a literal: nothing to destroy at exit while a serving thread still reads it.
  static constexpr std::string_view reasons =
      "|200 OK|201 Created|202 Accepted|204 No Content|206 Partial Content|300 Multiple Choices"
      "|301 Moved Permanently|302 Found|303 See Other|304 Not Modified|307 Temporary Redirect"
      "|308 Permanent Redirect|400 Bad Request|401 Unauthorized|403 Forbidden|404 Not Found"
      "|407 Proxy Authentication Required|500 Internal Server Error|503 Service Unavailable|";
  std::string key = "|";
  key += std::to_string(status);
  key += ' ';
  size_t at = reasons.find(key);
  if (at == std::string_view::npos) return "Status";
  return std::string(reasons.substr(at + 5, reasons.find('|', at + 1) - at - 5));
}

std::string gzipOf(const std::string& data) {
  z_stream s{};
  deflateInit2(&s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&s, data.size()) + 64, '\0');
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  s.avail_in = data.size();
  s.next_out = reinterpret_cast<Bytef*>(out.data());
  s.avail_out = out.size();
  deflate(&s, Z_FINISH);
  out.resize(s.total_out);
  deflateEnd(&s);
  return out;
}

}  // namespace

// ---- Requests and replies

std::string ServerRequest::header(const std::string& name) const {
  return headerIn(headers, name);
}
bool ServerRequest::hasHeader(const std::string& name) const {
  return findHeader(headers, name);
}

std::string ServerRequest::path() const {
  return target.substr(0, target.find('?'));
}

std::string ServerRequest::query() const {
  size_t question = target.find('?');
  return question == std::string::npos ? "" : target.substr(question + 1);
}

ServerReply ServerReply::text(std::string body, int status) {
  ServerReply reply;
  reply.status = status;
  reply.body = std::move(body);
  reply.header("Content-Type", "text/plain; charset=utf-8");
  return reply;
}

ServerReply ServerReply::redirect(int status, std::string location) {
  ServerReply reply;
  reply.status = status;
  reply.header("Location", std::move(location));
  return reply;
}

// ---- One accepted connection, with its buffered reads

struct LoopbackHttpServer::Connection {
  int fd = -1;
  SSL* ssl = nullptr;
  int number = 0;
  std::string clientCertificateName;
  std::string buffer;  // bytes read and not yet parsed

  ~Connection() {
    if (ssl) SSL_free(ssl);
    if (fd >= 0) ::close(fd);
  }

  bool fill() {
    char chunk[65536];
    ssize_t n;
    do {
      n = ssl ? SSL_read(ssl, chunk, sizeof chunk) : ::recv(fd, chunk, sizeof chunk, 0);
    } while (!ssl && n < 0 && errno == EINTR);
    if (n <= 0) return false;
    buffer.append(chunk, static_cast<size_t>(n));
    return true;
  }

  bool writeAll(const char* data, size_t length) {
    while (length > 0) {
      ssize_t n;
      if (ssl) {
        n = SSL_write(ssl, data, static_cast<int>(std::min<size_t>(length, 1 << 30)));
      } else {
        n = ::send(fd, data, length, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
      }
      if (n <= 0) return false;
      data += n;
      length -= static_cast<size_t>(n);
    }
    return true;
  }
  bool writeAll(const std::string& data) { return writeAll(data.data(), data.size()); }

  std::optional<std::string> readLine() {
    size_t end;
    while ((end = buffer.find("\r\n")) == std::string::npos)
      if (!fill()) return std::nullopt;
    std::string line = buffer.substr(0, end);
    buffer.erase(0, end + 2);
    return line;
  }

  bool readExactly(size_t length, std::string& into) {
    while (buffer.size() < length)
      if (!fill()) return false;
    into.append(buffer, 0, length);
    buffer.erase(0, length);
    return true;
  }

  // The next request on this connection; nullopt when the client closed it or sent garbage.
  std::optional<ServerRequest> readRequest() {
    auto requestLine = readLine();
    if (!requestLine) return std::nullopt;
    ServerRequest request;
    size_t first = requestLine->find(' '), second = requestLine->rfind(' ');
    if (first == std::string::npos || second == first) return std::nullopt;
    request.method = requestLine->substr(0, first);
    request.target = requestLine->substr(first + 1, second - first - 1);
    request.version = requestLine->substr(second + 1);
    for (;;) {
      auto line = readLine();
      if (!line) return std::nullopt;
      if (line->empty()) break;
      size_t colon = line->find(':');
      if (colon == std::string::npos) return std::nullopt;
      std::string value = line->substr(colon + 1);
      value.erase(0, value.find_first_not_of(" \t"));
      request.headers.emplace_back(line->substr(0, colon), value);
    }
    if (equalsIgnoringCase(request.header("Transfer-Encoding"), "chunked")) {
      for (;;) {
        auto sizeLine = readLine();
        if (!sizeLine) return std::nullopt;
        size_t size = std::stoul(*sizeLine, nullptr, 16);
        if (size == 0) {
          while (auto trailer = readLine())
            if (trailer->empty()) break;
          break;
        }
        std::string crlf;
        if (!readExactly(size, request.body) || !readExactly(2, crlf)) return std::nullopt;
      }
    } else if (request.hasHeader("Content-Length")) {
      if (!readExactly(std::stoull(request.header("Content-Length")), request.body))
        return std::nullopt;
    }
    return request;
  }
};

// ---- Server

LoopbackHttpServer::LoopbackHttpServer(ServerHandler handler) : handler_(std::move(handler)) {
  start(nullptr);
}

LoopbackHttpServer::LoopbackHttpServer(ServerHandler handler, uint16_t port)
    : handler_(std::move(handler)) {
  start(nullptr, port);
}

LoopbackHttpServer::LoopbackHttpServer(ServerHandler handler, const TestCertificate& certificate)
    : handler_(std::move(handler)) {
  start(&certificate);
}

LoopbackHttpServer::~LoopbackHttpServer() {
  stop();
}

void LoopbackHttpServer::start(const TestCertificate* certificate, uint16_t port) {
  if (certificate) {
    SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
    if (!ctx ||
        SSL_CTX_use_certificate_chain_file(ctx, certificate->certificatePath().c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(ctx, certificate->keyPath().c_str(), SSL_FILETYPE_PEM) != 1)
      throw std::runtime_error("cannot load the test certificate");
    tlsContext_ = ctx;
  }
  port_ = port;
  listenFd_ = listenOnLoopback(port_, 64);
  acceptThread_ = std::thread([this] { acceptLoop(); });
}

void LoopbackHttpServer::askForClientCertificates() {
  SSL_CTX_set_verify(static_cast<SSL_CTX*>(tlsContext_), SSL_VERIFY_PEER,
                     [](int, X509_STORE_CTX*) { return 1; });
}

std::string LoopbackHttpServer::url(const std::string& pathAndQuery) const {
  return std::string(tlsContext_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) +
         pathAndQuery;
}

void LoopbackHttpServer::setHandler(ServerHandler handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  handler_ = std::move(handler);
}

int LoopbackHttpServer::connectionCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connectionCount_;
}

int LoopbackHttpServer::requestCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(requests_.size());
}

std::vector<ServerRequest> LoopbackHttpServer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

ServerRequest LoopbackHttpServer::lastRequest() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_.empty() ? ServerRequest() : requests_.back();
}

bool LoopbackHttpServer::waitForRequests(int count, double timeoutSeconds) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::duration<double>(timeoutSeconds),
                           [&] { return static_cast<int>(requests_.size()) >= count; });
}

void LoopbackHttpServer::stop() {
  if (stopping_.exchange(true)) return;
  ::shutdown(listenFd_, SHUT_RDWR);
  if (acceptThread_.joinable()) acceptThread_.join();
  ::close(listenFd_);
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& connection : connections_) ::shutdown(connection->fd, SHUT_RDWR);
    threads.swap(threads_);
  }
  changed_.notify_all();
  for (auto& thread : threads) thread.join();
  connections_.clear();
  if (tlsContext_) SSL_CTX_free(static_cast<SSL_CTX*>(tlsContext_));
}

void LoopbackHttpServer::acceptLoop() {
  while (!stopping_) {
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    auto connection = std::make_shared<Connection>();
    connection->fd = fd;
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return;  // the connection closes with its object
    connection->number = ++connectionCount_;
    connections_.push_back(connection);
    threads_.emplace_back([this, connection] { serve(connection); });
  }
}

bool LoopbackHttpServer::sleepUnlessStopped(double seconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  return !changed_.wait_for(lock, std::chrono::duration<double>(seconds),
                            [&] { return stopping_.load(); });
}

void LoopbackHttpServer::serve(std::shared_ptr<Connection> connection) {
  if (tlsContext_) {
    connection->ssl = SSL_new(static_cast<SSL_CTX*>(tlsContext_));
    SSL_set_fd(connection->ssl, connection->fd);
    if (SSL_accept(connection->ssl) != 1) {
      ERR_clear_error();
      ::shutdown(connection->fd, SHUT_RDWR);
      return;
    }
    if (X509* peer = SSL_get1_peer_certificate(connection->ssl)) {
      char name[256] = "";
      X509_NAME_get_text_by_NID(X509_get_subject_name(peer), NID_commonName, name, sizeof name);
      connection->clientCertificateName = name;
      X509_free(peer);
    }
  }
  int index = 0;
  while (!stopping_) {
    auto request = connection->readRequest();
    if (!request) break;
    request->connection = connection->number;
    request->clientCertificateName = connection->clientCertificateName;
    request->indexOnConnection = ++index;
    ServerHandler handler;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(*request);
      handler = handler_;
    }
    changed_.notify_all();
    if (!sendReply(*connection, *request, handler(*request))) break;
  }
  if (connection->ssl) SSL_shutdown(connection->ssl);
  ::shutdown(connection->fd, SHUT_RDWR);
}

bool LoopbackHttpServer::sendReply(Connection& connection, const ServerRequest& request,
                                   ServerReply reply) {
  if (!reply.raw.empty()) return connection.writeAll(reply.raw);
  if (reply.dropRequest) return false;
  if (reply.hang) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return stopping_.load(); });
    return false;
  }
  if (reply.delayBeforeHeaders > 0 && !sleepUnlessStopped(reply.delayBeforeHeaders)) return false;

  // The body as sent: gzipped or framed in chunks into a string of its own, else as it is.
  const std::string& source = reply.sharedBody ? *reply.sharedBody : reply.body;
  std::string owned;
  std::string_view body = source;
  if (reply.gzip) {
    owned = gzipOf(source);
    body = owned;
  }
  HeaderList headers = reply.headers;
  if (reply.gzip) headers.emplace_back("Content-Encoding", "gzip");
  const bool hasBody =
      request.method != "HEAD" && reply.status != 204 && reply.status != 304 && reply.status >= 200;
  std::string_view payload = hasBody ? body : std::string_view();
  if (reply.framing == ServerReply::Framing::Length && !findHeader(headers, "Content-Length"))
    headers.emplace_back("Content-Length", std::to_string(body.size()));
  if (reply.framing == ServerReply::Framing::UntilClose && !findHeader(headers, "Connection"))
    headers.emplace_back("Connection", "close");
  if (reply.framing == ServerReply::Framing::Chunked) {
    headers.emplace_back("Transfer-Encoding", "chunked");
    std::string chunked;
    for (size_t at = 0; at < body.size(); at += reply.chunkSize) {
      size_t size = std::min(reply.chunkSize, body.size() - at);
      char sizeText[32];
      snprintf(sizeText, sizeof sizeText, "%zx\r\n", size);
      chunked += sizeText;
      chunked.append(body.substr(at, size));
      chunked += "\r\n";
    }
    owned = chunked + "0\r\n\r\n";
    payload = hasBody ? owned : std::string_view();
  }

  bool keepAlive = reply.framing != ServerReply::Framing::UntilClose &&
                   !reply.closeAfterBodyBytes &&
                   !equalsIgnoringCase(headerIn(headers, "Connection"), "close") &&
                   !equalsIgnoringCase(request.header("Connection"), "close") &&
                   (request.version != "HTTP/1.0" ||
                    equalsIgnoringCase(request.header("Connection"), "keep-alive"));

  std::string head = reply.version + " " + std::to_string(reply.status) + " " +
                     (reply.reason.empty() ? reasonFor(reply.status) : reply.reason) + "\r\n";
  for (const auto& [name, value] : headers) head += name + ": " + value + "\r\n";
  head += "\r\n";

  if (reply.closeAfterBodyBytes) payload = payload.substr(0, *reply.closeAfterBodyBytes);
  const bool paced = reply.pieceSize > 0 && reply.pieceDelay > 0;
  if (!paced && payload.size() <= 65536) {
    head += payload;
    payload = {};
  }
  if (!connection.writeAll(head)) return false;
  if (paced) {
    for (size_t at = 0; at < payload.size(); at += reply.pieceSize) {
      if (at > 0 && !sleepUnlessStopped(reply.pieceDelay)) return false;
      if (!connection.writeAll(payload.data() + at, std::min(reply.pieceSize, payload.size() - at)))
        return false;
    }
  } else if (!connection.writeAll(payload.data(), payload.size())) {
    return false;
  }
  return keepAlive;
}

void clearProxyEnvironment() {
  for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                           "ALL_PROXY", "auto_proxy", "AUTO_PROXY"})
    unsetenv(name);
}

}  // namespace testsupport
