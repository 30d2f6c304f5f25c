// One HTTP exchange over the network: sends a request message (and its body), then reads the
// response head and body, with events on the run loop it is scheduled on. Streams that carry the
// same persistent connection identity share kept-alive connections to the same endpoint; others
// never do. Secure connections check the server's certificate unless told not to; requests can go
// through an HTTP or SOCKS proxy.
//
// Use on one thread: schedule, set the client, open; on "bytes available" read the body, after
// the response head (responseHead()) has come; "end" follows the last body byte; "error" ends it
// with error(). close() (or dropping the stream) stops it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/base/RunLoop.h"
#include "platform/http/BodySource.h"
#include "platform/http/HttpMessage.h"
#include "platform/http/ProxySettings.h"
#include "platform/http/StreamError.h"
#include "platform/stream/TlsIdentity.h"

namespace plat::http {

class HttpStream : public std::enable_shared_from_this<HttpStream> {
 public:
  enum Event : unsigned {
    kEventBytesAvailable = 2,
    kEventErrorOccurred = 8,
    kEventEndEncountered = 16,
  };
  using Client = std::function<void(Event)>;

  // A stream for `message`, sending `body` (when given) after the head. Without a
  // "Content-Length" field a body goes out chunked.
  static std::shared_ptr<HttpStream> create(RequestMessage message,
                                            std::unique_ptr<BodySource> body = nullptr);
  ~HttpStream();
  HttpStream(const HttpStream&) = delete;
  HttpStream& operator=(const HttpStream&) = delete;

  // Settings, before open().
  void setValidatesCertificate(bool validates);
  // Presented on a secure connection when the server asks; connections that present one are kept
  // apart from those that present another or none.
  void setClientCertificate(stream::ClientCertificate certificate);
  void setProxy(std::optional<ProxyServer> proxy);
  // Reuse idle connections kept under this identity and keep this one afterwards when the server
  // allows it. Without an identity the connection closes after the exchange.
  void setPersistentConnectionId(std::optional<int64_t> identity);
  // The login that a server binds to its connection (NTLM: the user, the domain and a digest of
  // the password, as one text) this exchange speaks for; empty for none. The stream takes only a
  // kept connection filed under the same login, and its own connection is kept under it: a server
  // that remembers the login per connection never answers someone else, no one, or a wrong
  // password as this user.
  void setConnectionLogin(std::string login);
  // Takes at most `bytes` from the connection at a time, and no body bytes ahead of the client's
  // reads but those that came with the head: a client that keeps to a bandwidth budget gives its
  // share of one read, so the connection is not drained ahead of the budget.
  void setReadLimit(size_t bytes);

  void setClient(Client client);
  // Events (and all work) happen on `loop` while it runs in `mode`; unscheduled, the stream waits.
  void schedule(RunLoop& loop, const std::string& mode);
  void unschedule();
  bool isScheduled() const;

  // Starts the exchange; false when the stream was opened before or the URL has no host.
  bool open();
  // Stops the exchange; a connection that is not complete is closed.
  void close();
  // The connection of this exchange is not to be kept: closed now if it went back to the pool.
  void forbidConnectionReuse();

  // Body bytes of the response: the count, 0 when none are ready (or at the end), -1 on failure.
  ssize_t read(uint8_t* into, size_t length);
  bool hasBytesAvailable() const;
  const ResponseHead* responseHead() const;  // null until the whole head has come
  uint64_t bodyBytesWritten() const;         // request body bytes the connection took
  const StreamError& error() const;
  bool atEnd() const;
  // The exchange ran on a kept connection (one whose tunnel the proxy opened anew counts as new).
  bool reusedConnection() const;
  // The proxy opened a tunnel for this exchange: what follows (a failed handshake too) is the
  // server's, never the proxy's.
  bool tunnelOpened() const;
  const RequestMessage& message() const;

  struct Impl;

 private:
  HttpStream() = default;
  std::unique_ptr<Impl> impl_;
};

// Closes the idle kept connections of an identity (the client no longer wants them).
void closeIdleConnections(int64_t identity);
size_t idleConnectionCount();

}  // namespace plat::http
