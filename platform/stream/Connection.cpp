#include "platform/stream/Connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/stream/Transport.h"

namespace plat::stream {
namespace {

bool isIpLiteral(const std::string& host) {
  unsigned char buffer[16];
  return inet_pton(AF_INET, host.c_str(), buffer) == 1 ||
         inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

std::string openSslErrorText(const char* fallback) {
  unsigned long code = ERR_get_error();
  ERR_clear_error();
  if (code == 0) return fallback;
  char text[256];
  ERR_error_string_n(code, text, sizeof text);
  return text;
}

}  // namespace

Connection::Connection(int fd) : fd_(fd) {
  prepareTransport();
}

Connection::~Connection() {
  if (ssl_) {
    // An orderly end tells the peer no bytes were cut off; after a failure there is none.
    if (!handshaking_ && !failed_) {
      ERR_clear_error();
      SSL_shutdown(ssl_);
      ERR_clear_error();
    }
    SSL_free(ssl_);
  }
  if (fd_ >= 0 && ownsFd_) ::close(fd_);
}

std::unique_ptr<Connection> Connection::startConnect(const sockaddr* address, socklen_t length,
                                                     StreamError& error, int receiveBuffer) {
  int fd = ::socket(address->sa_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) {
    error = StreamError::posix(errno);
    return nullptr;
  }
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (receiveBuffer > 0)
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  auto connection = std::make_unique<Connection>(fd);
  if (::connect(fd, address, length) != 0) {
    if (errno != EINPROGRESS) {
      error = StreamError::posix(errno);
      return nullptr;
    }
    connection->connecting_ = true;
  }
  return connection;
}

StreamError connectOutcome(int fd) {
  int problem = 0;
  socklen_t length = sizeof problem;
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &problem, &length) != 0) problem = errno;
  return problem ? StreamError::posix(problem) : StreamError{};
}

StreamError Connection::finishConnect() {
  connecting_ = false;
  return connectOutcome(fd_);
}

void Connection::attachTls(const std::shared_ptr<SSL_CTX>& context) {
  context_ = context;
  ssl_ = SSL_new(context.get());
  SSL_set_fd(ssl_, fd_);
  handshaking_ = true;
}

bool Connection::startTls(const std::shared_ptr<SSL_CTX>& context, const std::string& host,
                          bool validate, const ClientCertificate* certificate) {
  validate_ = validate;
  attachTls(context);
  SSL_set_connect_state(ssl_);
  if (certificate && certificate->identity &&
      !certificate->identity->presentOn(ssl_, certificate->chain)) {
    failed_ = true;
    return false;
  }
  if (!isIpLiteral(host)) SSL_set_tlsext_host_name(ssl_, host.c_str());
  if (validate) {
    X509_VERIFY_PARAM* param = SSL_get0_param(ssl_);
    if (isIpLiteral(host)) {
      X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str());
    } else {
      X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
      X509_VERIFY_PARAM_set1_host(param, host.c_str(), 0);
    }
  }
  return true;
}

void Connection::startServerTls(const std::shared_ptr<SSL_CTX>& context) {
  attachTls(context);
  SSL_set_accept_state(ssl_);
}

// The error of a TLS call that failed for `reason`, with the most telling description.
StreamError Connection::tlsError(int reason) {
  failed_ = true;
  long verify = SSL_get_verify_result(ssl_);
  if (validate_ && verify != X509_V_OK) {
    ERR_clear_error();
    return {StreamError::Domain::Tls, static_cast<int>(verify),
            X509_verify_cert_error_string(verify)};
  }
  if (reason == SSL_ERROR_SYSCALL && errno != 0 && ERR_peek_error() == 0)
    return StreamError::posix(errno);
  if (reason == SSL_ERROR_SYSCALL || reason == SSL_ERROR_ZERO_RETURN) {
    ERR_clear_error();
    return {StreamError::Domain::Tls, -1,
            "the peer closed the connection during the TLS handshake"};
  }
  return {StreamError::Domain::Tls, -1, openSslErrorText("TLS handshake failed")};
}

Connection::Io Connection::continueHandshake() {
  Io io;
  ERR_clear_error();
  errno = 0;
  int result = SSL_do_handshake(ssl_);
  if (result == 1) {
    handshaking_ = false;
    return io;
  }
  int reason = SSL_get_error(ssl_, result);
  if (reason == SSL_ERROR_WANT_READ) {
    io.wantRead = true;
  } else if (reason == SSL_ERROR_WANT_WRITE) {
    io.wantWrite = true;
  } else {
    io.error = tlsError(reason);
  }
  return io;
}

// What an SSL_read, SSL_peek or SSL_write that returned `n` did, or what it waits for.
Connection::Io Connection::tlsResult(int n, bool reading) {
  Io io;
  if (n > 0) {
    io.count = n;
    return io;
  }
  int reason = SSL_get_error(ssl_, n);
  if (reason == SSL_ERROR_WANT_READ) {
    io.wantRead = true;
  } else if (reason == SSL_ERROR_WANT_WRITE) {
    io.wantWrite = true;
  } else if (reading &&
             (reason == SSL_ERROR_ZERO_RETURN || (reason == SSL_ERROR_SYSCALL && errno == 0) ||
              (reason == SSL_ERROR_SSL &&
               ERR_GET_REASON(ERR_peek_error()) == SSL_R_UNEXPECTED_EOF_WHILE_READING))) {
    ERR_clear_error();
    failed_ = reason != SSL_ERROR_ZERO_RETURN;  // an end without the peer's orderly close
    io.closed = true;
  } else if (reason == SSL_ERROR_SYSCALL && errno != 0) {
    failed_ = true;
    io.error = broken_ = StreamError::posix(errno);
  } else {
    failed_ = true;
    io.error = broken_ = {StreamError::Domain::Tls, -1, openSslErrorText("TLS record failed")};
  }
  return io;
}

Connection::Io Connection::read(uint8_t* into, size_t length) {
  if (broken_) return Io{0, false, false, false, broken_};
  if (ssl_) {
    ERR_clear_error();
    errno = 0;
    return tlsResult(SSL_read(ssl_, into, static_cast<int>(std::min<size_t>(length, 1 << 30))),
                     true);
  }
  return plainReceive(into, length, 0);
}

Connection::Io Connection::plainReceive(uint8_t* into, size_t length, int flags) {
  Io io;
  ssize_t n;
  do {
    n = ::recv(fd_, into, length, flags | MSG_DONTWAIT);
  } while (n < 0 && errno == EINTR);
  if (n > 0) {
    io.count = n;
  } else if (n == 0) {
    io.closed = true;
  } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
    io.wantRead = true;
  } else {
    io.error = broken_ = StreamError::posix(errno);
  }
  return io;
}

Connection::Io Connection::peek() {
  if (broken_) return Io{0, false, false, false, broken_};
  uint8_t byte;
  if (ssl_) {
    if (SSL_pending(ssl_) > 0) {
      Io io;
      io.count = 1;
      return io;
    }
    ERR_clear_error();
    errno = 0;
    return tlsResult(SSL_peek(ssl_, &byte, 1), true);
  }
  return plainReceive(&byte, 1, MSG_PEEK);
}

Connection::Io Connection::write(const uint8_t* bytes, size_t length) {
  if (broken_) return Io{0, false, false, false, broken_};
  if (ssl_) {
    ERR_clear_error();
    errno = 0;
    return tlsResult(SSL_write(ssl_, bytes, static_cast<int>(std::min<size_t>(length, 1 << 30))),
                     false);
  }
  Io io;
  ssize_t n;
  do {
    n = ::send(fd_, bytes, length, MSG_NOSIGNAL | MSG_DONTWAIT);
  } while (n < 0 && errno == EINTR);
  if (n >= 0) {
    io.count = n;
  } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
    io.wantWrite = true;
  } else {
    io.error = broken_ = StreamError::posix(errno);
  }
  return io;
}

bool Connection::hasBufferedInput() const {
  return ssl_ && SSL_pending(ssl_) > 0;
}

bool Connection::isStillUsable() {
  if (hasBufferedInput()) return false;
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, 0) == 0) return true;
  if (!ssl_ || (p.revents & (POLLERR | POLLHUP))) return false;  // closed, reset or stray bytes
  // A TLS server may send session tickets after the handshake: taking them in leaves nothing.
  uint8_t byte;
  ERR_clear_error();
  int n = SSL_peek(ssl_, &byte, 1);
  bool usable = n <= 0 && SSL_get_error(ssl_, n) == SSL_ERROR_WANT_READ;
  ERR_clear_error();
  return usable;
}

}  // namespace plat::stream
