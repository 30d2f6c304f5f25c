#include "platform/http/Connection.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/http/Transport.h"

namespace plat::http {
namespace {

bool isIpLiteral(const std::string& host) {
  unsigned char buffer[16];
  return inet_pton(AF_INET, host.c_str(), buffer) == 1 ||
         inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

std::string openSslErrorText() {
  unsigned long code = ERR_get_error();
  ERR_clear_error();
  if (code == 0) return "TLS handshake failed";
  char text[256];
  ERR_error_string_n(code, text, sizeof text);
  return text;
}

}  // namespace

Connection::Connection(int fd) : fd_(fd) {
  prepareTransport();
}

Connection::~Connection() {
  if (ssl_) SSL_free(ssl_);
  if (fd_ >= 0) ::close(fd_);
}

void Connection::startTls(const std::shared_ptr<SSL_CTX>& context, const std::string& host,
                          bool validate) {
  validate_ = validate;
  ssl_ = SSL_new(context.get());
  SSL_set_fd(ssl_, fd_);
  SSL_set_connect_state(ssl_);
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
}

Connection::Io Connection::continueHandshake() {
  Io io;
  ERR_clear_error();
  int result = SSL_do_handshake(ssl_);
  if (result == 1) return io;
  int reason = SSL_get_error(ssl_, result);
  if (reason == SSL_ERROR_WANT_READ) {
    io.wantRead = true;
  } else if (reason == SSL_ERROR_WANT_WRITE) {
    io.wantWrite = true;
  } else {
    long verify = SSL_get_verify_result(ssl_);
    if (validate_ && verify != X509_V_OK) {
      io.error = {StreamError::Domain::Tls, static_cast<int>(verify),
                  X509_verify_cert_error_string(verify)};
      ERR_clear_error();
    } else if (reason == SSL_ERROR_SYSCALL && errno != 0 && ERR_peek_error() == 0) {
      io.error = StreamError::posix(errno);
    } else {
      io.error = {StreamError::Domain::Tls, -1, openSslErrorText()};
    }
  }
  return io;
}

// What an SSL_read or SSL_write that returned `n` did, or what it waits for.
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
    io.closed = true;
  } else if (reason == SSL_ERROR_SYSCALL && errno != 0) {
    io.error = StreamError::posix(errno);
  } else {
    io.error = {StreamError::Domain::Tls, -1, openSslErrorText()};
  }
  return io;
}

Connection::Io Connection::read(uint8_t* into, size_t length) {
  if (ssl_) {
    ERR_clear_error();
    errno = 0;
    return tlsResult(SSL_read(ssl_, into, static_cast<int>(std::min<size_t>(length, 1 << 30))),
                     true);
  }
  Io io;
  ssize_t n;
  do {
    n = ::recv(fd_, into, length, 0);
  } while (n < 0 && errno == EINTR);
  if (n > 0) {
    io.count = n;
  } else if (n == 0) {
    io.closed = true;
  } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
    io.wantRead = true;
  } else {
    io.error = StreamError::posix(errno);
  }
  return io;
}

Connection::Io Connection::write(const uint8_t* bytes, size_t length) {
  if (ssl_) {
    ERR_clear_error();
    errno = 0;
    return tlsResult(SSL_write(ssl_, bytes, static_cast<int>(std::min<size_t>(length, 1 << 30))),
                     false);
  }
  Io io;
  ssize_t n;
  do {
    n = ::send(fd_, bytes, length, MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  if (n >= 0) {
    io.count = n;
  } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
    io.wantWrite = true;
  } else {
    io.error = StreamError::posix(errno);
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

}  // namespace plat::http
