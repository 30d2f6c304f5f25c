// One open TCP connection of an HTTP stream, plain or wrapped in TLS, with non-blocking reads and
// writes that say what the connection waits for. Kept in the connection pool between exchanges.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/http/StreamError.h"

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace plat::http {

class Connection {
 public:
  explicit Connection(int fd);  // takes a connected non-blocking socket
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  int fd() const { return fd_; }
  bool isTls() const { return ssl_ != nullptr; }

  struct Io {
    ssize_t count = 0;  // bytes moved
    bool wantRead = false;
    bool wantWrite = false;
    bool closed = false;  // the peer closed the connection (reads)
    StreamError error;
  };
  Io read(uint8_t* into, size_t length);
  Io write(const uint8_t* bytes, size_t length);

  // Starts TLS over the connection for `host`, checking its certificate when `validate`.
  void startTls(const std::shared_ptr<SSL_CTX>& context, const std::string& host, bool validate);
  // One step of the handshake: done when the result has no wants and no error.
  Io continueHandshake();
  // Decrypted bytes waiting in the TLS layer (a readable socket says nothing about them).
  bool hasBufferedInput() const;

  // An idle kept connection that the server closed, or that holds unexpected bytes, is no use.
  bool isStillUsable();

 private:
  Io tlsResult(int n, bool reading);

  int fd_;
  SSL* ssl_ = nullptr;
  bool validate_ = false;
};

}  // namespace plat::http
