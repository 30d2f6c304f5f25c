// One TCP connection, plain or wrapped in TLS (as client or server), with a non-blocking connect,
// reads and writes that say what the connection waits for. The HTTP transport keeps these in its
// connection pool between exchanges; the socket streams carry one each.
#pragma once

#include <sys/socket.h>
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/stream/StreamError.h"
#include "platform/stream/TlsIdentity.h"

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace plat::stream {

// The outcome of a non-blocking connect once its descriptor became writable: no error on success.
StreamError connectOutcome(int fd);

class Connection {
 public:
  explicit Connection(int fd);  // takes a connected non-blocking socket
  ~Connection();
  // A new non-blocking socket connecting to `address` (isConnecting() until finishConnect());
  // null, with `error` set, when the connect cannot start. A receive buffer above 0 is asked for
  // before connecting, so the window can grow to it.
  static std::unique_ptr<Connection> startConnect(const sockaddr* address, socklen_t length,
                                                  StreamError& error, int receiveBuffer = 0);
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  int fd() const { return fd_; }
  bool isTls() const { return ssl_ != nullptr; }
  bool isConnecting() const { return connecting_; }
  bool isHandshaking() const { return handshaking_; }
  // Once the descriptor is writable while connecting: no error when the connect succeeded.
  StreamError finishConnect();
  // Leaves the descriptor open when the connection goes (its owner closes it).
  void setOwnsDescriptor(bool owns) { ownsFd_ = owns; }

  struct Io {
    ssize_t count = 0;  // bytes moved
    bool wantRead = false;
    bool wantWrite = false;
    bool closed = false;  // the peer closed the connection (reads)
    StreamError error;
  };
  Io read(uint8_t* into, size_t length);
  // Looks at the next byte without taking it: count 1, closed, an error, or a wait.
  Io peek();
  Io write(const uint8_t* bytes, size_t length);

  // Starts TLS over the connection for `host`, checking its certificate when `validate`: its
  // chain against the context's roots and its name (or address) against `host`. A client
  // certificate, when given, is presented if the server asks; false when it can't be used.
  bool startTls(const std::shared_ptr<SSL_CTX>& context, const std::string& host, bool validate,
                const ClientCertificate* certificate = nullptr);
  // Starts TLS as the server, presenting the context's certificate.
  void startServerTls(const std::shared_ptr<SSL_CTX>& context);
  // One step of the handshake: done when the result has no wants and no error.
  Io continueHandshake();
  // Decrypted bytes waiting in the TLS layer (a readable socket says nothing about them).
  bool hasBufferedInput() const;

  // An idle kept connection that the server closed, or that holds unexpected bytes, is no use.
  bool isStillUsable();

 private:
  Io tlsResult(int n, bool reading);
  // A receive on the plain socket, with recv's flags (MSG_PEEK to look ahead).
  Io plainReceive(uint8_t* into, size_t length, int flags);
  StreamError tlsError(int reason);
  void attachTls(const std::shared_ptr<SSL_CTX>& context);

  int fd_;
  bool ownsFd_ = true;
  bool connecting_ = false;
  bool handshaking_ = false;
  bool failed_ = false;  // a fatal TLS error: no orderly TLS close afterwards
  StreamError broken_;   // a reset or failure: every later read and write reports it again
  std::shared_ptr<SSL_CTX> context_;
  SSL* ssl_ = nullptr;
  bool validate_ = false;
};

}  // namespace plat::stream
