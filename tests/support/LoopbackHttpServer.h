// A scriptable HTTP/1.1 server on 127.0.0.1 with an ephemeral port, for tests of anything that
// talks HTTP: a handler turns each request into a reply (framed by length, chunked or until close,
// gzipped, paced, delayed, cut off, dropped or raw bytes). The server records every request with
// the number of its connection, so tests can check reuse; with a TestCertificate it speaks TLS.
// Each connection is served by its own thread; handlers may run on several threads at once.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/Patience.h"

namespace testsupport {

class TestCertificate;

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct ServerRequest {
  std::string method;
  std::string target;         // as in the request line: "/path?query"
  std::string version;        // "HTTP/1.1"
  HeaderList headers;         // in the order received
  std::string body;           // after removing a chunked transfer coding
  int connection = 0;         // 1 for the first connection the server accepted, and so on
  int indexOnConnection = 0;  // 1 for the first request on its connection
  // The common name of the certificate the client presented on this connection; "" for none.
  std::string clientCertificateName;

  std::string header(const std::string& name) const;  // letter case ignored; "" when absent
  bool hasHeader(const std::string& name) const;
  std::string path() const;   // target before "?"
  std::string query() const;  // target after "?", "" when none
};

struct ServerReply {
  enum class Framing { Length, Chunked, UntilClose };

  int status = 200;
  std::string reason;  // "" for the usual text of the status
  std::string version = "HTTP/1.1";
  HeaderList headers;
  std::string body;
  std::shared_ptr<const std::string> sharedBody;  // when set, sent instead of body, uncopied
  Framing framing = Framing::Length;  // UntilClose sends no length and closes after the body
  size_t chunkSize = 4096;            // bytes per chunk when chunked
  bool gzip = false;                  // gzip the body and say so in "Content-Encoding"

  double delayBeforeHeaders = 0;  // seconds
  size_t pieceSize = 0;           // with pieceDelay: the body goes out in pieces of this size
  double pieceDelay = 0;          // seconds before each piece after the first
  std::optional<size_t> closeAfterBodyBytes;  // send the head and this many body bytes, then close
  bool dropRequest = false;                   // close the connection without replying
  bool hang = false;                          // never reply (until the server stops)
  std::string raw;                            // when set, sent verbatim instead of the above

  ServerReply& header(std::string name, std::string value) {
    headers.emplace_back(std::move(name), std::move(value));
    return *this;
  }
  static ServerReply text(std::string body, int status = 200);
  static ServerReply redirect(int status, std::string location);
};

using ServerHandler = std::function<ServerReply(const ServerRequest&)>;

class LoopbackHttpServer {
 public:
  explicit LoopbackHttpServer(ServerHandler handler);
  // On `port`, which a stopped server had: a server that came back where kept connections led.
  LoopbackHttpServer(ServerHandler handler, uint16_t port);
  // A TLS server presenting `certificate` (which must outlive the server).
  LoopbackHttpServer(ServerHandler handler, const TestCertificate& certificate);
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  uint16_t port() const { return port_; }
  // "http://127.0.0.1:<port>" (or https) followed by `pathAndQuery`.
  std::string url(const std::string& pathAndQuery = "/") const;

  void setHandler(ServerHandler handler);
  // A TLS server asks each new connection for a client certificate (any is taken, none too) and
  // tells its requests whose it was.
  void askForClientCertificates();
  int connectionCount() const;  // connections accepted so far
  int requestCount() const;
  std::vector<ServerRequest> requests() const;
  ServerRequest lastRequest() const;  // an empty request when none came
  // Blocks until `count` requests have come in or `timeoutSeconds` passed; true when they came.
  bool waitForRequests(int count, double timeoutSeconds = kPatience) const;
  // Closes every connection and joins the threads; called by the destructor.
  void stop();

 private:
  struct Connection;
  void start(const TestCertificate* certificate, uint16_t port = 0);
  void acceptLoop();
  void serve(std::shared_ptr<Connection> connection);
  bool sendReply(Connection& connection, const ServerRequest& request, ServerReply reply);
  bool sleepUnlessStopped(double seconds);

  ServerHandler handler_;
  int listenFd_ = -1;
  uint16_t port_ = 0;
  void* tlsContext_ = nullptr;  // SSL_CTX when serving TLS
  std::atomic<bool> stopping_{false};
  std::thread acceptThread_;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<std::shared_ptr<Connection>> connections_;
  std::vector<std::thread> threads_;
  std::vector<ServerRequest> requests_;
  int connectionCount_ = 0;
};

// Unsets the proxy variables that HTTP requests honour, so that a developer's proxy cannot carry
// a test's requests off loopback. Call before each test that makes requests.
void clearProxyEnvironment();

}  // namespace testsupport
