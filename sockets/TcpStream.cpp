#include "sockets/TcpStream.h"

#include <fcntl.h>
#include <netdb.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace sockets {

// What both streams of a pair share: the descriptor, the connect in progress and the TLS session.
struct TcpConnection {
  enum class State { Idle, Connecting, Connected, Failed };

  int fd = -1;
  std::string host;
  uint16_t port = 0;
  bool closesNative = false;
  State state = State::Idle;
  TcpStreamError error;
  SSL_CTX* ctx = nullptr;
  SSL* ssl = nullptr;
  bool handshaking = false;
  int openStreams = 2;
  std::weak_ptr<TcpStream> readStream, writeStream;

  ~TcpConnection() { release(); }

  void release() {
    if (ssl) {
      if (!handshaking) SSL_shutdown(ssl);
      SSL_free(ssl);
      ssl = nullptr;
    }
    if (ctx) SSL_CTX_free(ctx);
    ctx = nullptr;
    if (closesNative && fd >= 0) ::close(fd);
    fd = -1;
  }

  void failPosix(int err) {
    state = State::Failed;
    error = {TcpStreamError::Domain::Posix, err};
  }

  void failTls() {
    unsigned long code = ERR_get_error();
    if (ssl && SSL_get_verify_result(ssl) != X509_V_OK) code = SSL_get_verify_result(ssl);
    ERR_clear_error();
    error = {TcpStreamError::Domain::SSL, code ? static_cast<long>(code) : -1};
    state = State::Failed;
  }

  // Resolves the host and starts a non-blocking connect to its first address.
  bool startConnect() {
    if (state != State::Idle) return state != State::Failed;
    if (fd >= 0) {
      state = State::Connected;
      return true;
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (rc != 0 || !found) {
      state = State::Failed;
      error = {TcpStreamError::Domain::NetDB, rc};
      return false;
    }
    fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) {
      failPosix(errno);
      freeaddrinfo(found);
      return false;
    }
    rc = ::connect(fd, found->ai_addr, found->ai_addrlen);
    freeaddrinfo(found);
    if (rc != 0 && errno != EINPROGRESS) {
      failPosix(errno);
      return false;
    }
    state = rc == 0 ? State::Connected : State::Connecting;
    return true;
  }

  // Called when the descriptor became writable while connecting.
  void checkConnected() {
    if (state != State::Connecting) return;
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
    if (err == 0)
      state = State::Connected;
    else
      failPosix(err);
  }

  bool startTls(const TcpTlsSettings& settings) {
    if (ssl) return true;  // the other stream of the pair asked first
    ctx = SSL_CTX_new(settings.isServer ? TLS_server_method() : TLS_client_method());
    if (!ctx) return false;
    if (settings.isServer) {
      if (SSL_CTX_use_certificate_chain_file(ctx, settings.certificateFile.c_str()) != 1 ||
          SSL_CTX_use_PrivateKey_file(ctx, settings.keyFile.c_str(), SSL_FILETYPE_PEM) != 1)
        return failSetup();
    } else if (settings.validatesCertificateChain) {
      SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
      int loaded = settings.caFile.empty()
                       ? SSL_CTX_set_default_verify_paths(ctx)
                       : SSL_CTX_load_verify_locations(ctx, settings.caFile.c_str(), nullptr);
      if (loaded != 1) return failSetup();
    }
    ssl = SSL_new(ctx);
    if (!ssl) return failSetup();
    SSL_set_mode(ssl, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    SSL_set_fd(ssl, fd);
    if (settings.isServer) {
      SSL_set_accept_state(ssl);
    } else {
      if (!settings.peerName.empty()) {
        SSL_set_tlsext_host_name(ssl, settings.peerName.c_str());
        if (settings.validatesCertificateChain) SSL_set1_host(ssl, settings.peerName.c_str());
      }
      SSL_set_connect_state(ssl);
    }
    handshaking = true;
    return true;
  }

  bool failSetup() {
    ERR_clear_error();
    if (ctx) SSL_CTX_free(ctx);
    ctx = nullptr;
    return false;
  }

  // One handshake step; afterwards each stream waits for what the handshake needs next.
  void driveHandshake() {
    auto reader = readStream.lock();
    auto writer = writeStream.lock();
    int rc = SSL_do_handshake(ssl);
    if (rc == 1) {
      handshaking = false;
      if (reader) reader->arm(plat::kFdReadable);
      if (writer) writer->arm(plat::kFdWritable);
      return;
    }
    int err = SSL_get_error(ssl, rc);
    if (err == SSL_ERROR_WANT_READ || err == SSL_ERROR_WANT_WRITE) {
      if (reader) reader->arm(plat::kFdReadable);
      if (writer) writer->arm(err == SSL_ERROR_WANT_WRITE ? unsigned(plat::kFdWritable) : 0u);
      return;
    }
    failTls();
    if (writer) writer->arm(0);
    if (reader) reader->fail();
  }
};

TcpStream::TcpStream(std::shared_ptr<TcpConnection> connection, bool reads)
    : connection_(std::move(connection)), reads_(reads) {}

void TcpStream::setClient(unsigned events, Client client) {
  clientEvents_ = client ? events : 0;
  client_ = std::move(client);
}

void TcpStream::scheduleInRunLoop(plat::RunLoop& loop, const std::string& mode) {
  if (sources_.empty()) {
    std::weak_ptr<TcpStream> weak = weak_from_this();
    sources_.setHandler([weak] {
      if (auto self = weak.lock()) self->onDescriptorEvent();
    });
  }
  sources_.schedule(loop, mode, connection_->fd);
}

void TcpStream::unscheduleFromRunLoop(plat::RunLoop& loop, const std::string& mode) {
  if (sources_.loop() == &loop) sources_.unschedule(mode);
}

// Watches the descriptor for `events` in every scheduled mode (none: not at all).
void TcpStream::arm(unsigned events) {
  sources_.watch(connection_->fd, events);
}

bool TcpStream::open() {
  if (status_ != TcpStreamStatus::NotOpen) return false;
  if (!connection_->startConnect()) {
    status_ = TcpStreamStatus::Error;
    return false;
  }
  status_ = TcpStreamStatus::Opening;
  arm(plat::kFdWritable);  // open completes once the connection takes bytes
  return true;
}

void TcpStream::close() {
  if (status_ == TcpStreamStatus::Closed) return;
  status_ = TcpStreamStatus::Closed;
  arm(0);
  if (--connection_->openStreams == 0) connection_->release();
}

TcpStreamError TcpStream::error() const {
  return status_ == TcpStreamStatus::Error ? connection_->error : TcpStreamError{};
}

int TcpStream::nativeHandle() const {
  return connection_->fd;
}

void TcpStream::setClosesNativeSocket(bool closes) {
  connection_->closesNative = closes;
}

bool TcpStream::setTlsSettings(const TcpTlsSettings& settings) {
  if (status_ != TcpStreamStatus::Open || !connection_->startTls(settings)) return false;
  arm(reads_ ? plat::kFdReadable : plat::kFdWritable);
  return true;
}

void TcpStream::fail() {
  status_ = TcpStreamStatus::Error;
  arm(0);
  notify(kStreamErrorOccurred);
}

void TcpStream::notify(unsigned event) {
  if (!(clientEvents_ & event) || !client_) return;
  auto keep = shared_from_this();
  Client client = client_;  // the client may detach itself while it runs
  client(event);
}

void TcpStream::onDescriptorEvent() {
  auto keep = shared_from_this();
  TcpConnection& c = *connection_;
  if (status_ == TcpStreamStatus::Opening) {
    c.checkConnected();
    if (c.state == TcpConnection::State::Failed) return fail();
    if (c.state != TcpConnection::State::Connected) return;
    status_ = TcpStreamStatus::Open;
    arm(reads_ ? plat::kFdReadable : plat::kFdWritable);
    return notify(kStreamOpenCompleted);
  }
  if (status_ == TcpStreamStatus::AtEnd && !endReported_) {
    // A read met the end: report it as an event, as when a look ahead finds it.
    arm(0);
    endReported_ = true;
    return notify(kStreamEndEncountered);
  }
  if (status_ != TcpStreamStatus::Open) return arm(0);
  if (c.handshaking) return c.driveHandshake();
  if (!reads_) {
    arm(0);
    return notify(kStreamCanAcceptBytes);
  }
  // Look at the next byte without taking it: data, the end, or an error.
  char byte;
  long peeked;
  if (c.ssl) {
    peeked = SSL_peek(c.ssl, &byte, 1);
    if (peeked <= 0) {
      int err = SSL_get_error(c.ssl, static_cast<int>(peeked));
      if (err == SSL_ERROR_WANT_READ || err == SSL_ERROR_WANT_WRITE) return;
      if (err != SSL_ERROR_ZERO_RETURN && !(err == SSL_ERROR_SYSCALL && errno == 0)) {
        c.failTls();
        return fail();
      }
      peeked = 0;
    }
  } else {
    peeked = ::recv(c.fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (peeked < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
      c.failPosix(errno);
      return fail();
    }
  }
  arm(0);
  if (peeked > 0) return notify(kStreamHasBytesAvailable);
  status_ = TcpStreamStatus::AtEnd;
  endReported_ = true;
  notify(kStreamEndEncountered);
}

long TcpReadStream::read(uint8_t* buffer, size_t maxLength) {
  if (status_ != TcpStreamStatus::Open) return status_ == TcpStreamStatus::AtEnd ? 0 : -1;
  TcpConnection& c = *connection_;
  long n;
  if (c.ssl) {
    n = SSL_read(c.ssl, buffer, static_cast<int>(std::min<size_t>(maxLength, INT32_MAX)));
    if (n <= 0) {
      int err = SSL_get_error(c.ssl, static_cast<int>(n));
      if (err == SSL_ERROR_WANT_READ || err == SSL_ERROR_WANT_WRITE)
        n = 0;
      else if (err == SSL_ERROR_ZERO_RETURN || (err == SSL_ERROR_SYSCALL && errno == 0))
        status_ = TcpStreamStatus::AtEnd, n = 0;
      else
        c.failTls(), status_ = TcpStreamStatus::Error, n = -1;
    }
  } else {
    n = ::recv(c.fd, buffer, maxLength, MSG_DONTWAIT);
    if (n == 0) {
      status_ = TcpStreamStatus::AtEnd;
    } else if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        n = 0;
      } else {
        c.failPosix(errno);
        status_ = TcpStreamStatus::Error;
      }
    }
  }
  // An open stream waits for more bytes; one that met the end reports it next.
  if (status_ == TcpStreamStatus::Open || status_ == TcpStreamStatus::AtEnd) arm(plat::kFdReadable);
  return n;
}

bool TcpReadStream::hasBytesAvailable() {
  if (status_ != TcpStreamStatus::Open) return false;
  TcpConnection& c = *connection_;
  char byte;
  if (c.ssl) {
    if (c.handshaking) return false;
    if (SSL_pending(c.ssl) > 0) return true;
    bool has = SSL_peek(c.ssl, &byte, 1) > 0;
    ERR_clear_error();
    return has;
  }
  return ::recv(c.fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
}

long TcpWriteStream::write(const uint8_t* buffer, size_t length) {
  if (status_ != TcpStreamStatus::Open) return -1;
  TcpConnection& c = *connection_;
  long n;
  if (c.ssl) {
    n = SSL_write(c.ssl, buffer, static_cast<int>(std::min<size_t>(length, INT32_MAX)));
    if (n <= 0) {
      int err = SSL_get_error(c.ssl, static_cast<int>(n));
      if (err == SSL_ERROR_WANT_READ || err == SSL_ERROR_WANT_WRITE) {
        n = 0;
      } else {
        c.failTls();
        status_ = TcpStreamStatus::Error;
        n = -1;
      }
    }
  } else {
    n = ::send(c.fd, buffer, length, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        n = 0;
      } else {
        c.failPosix(errno);
        status_ = TcpStreamStatus::Error;
      }
    }
  }
  if (status_ == TcpStreamStatus::Open) arm(plat::kFdWritable);
  return n;
}

bool TcpWriteStream::canAcceptBytes() {
  if (status_ != TcpStreamStatus::Open || connection_->handshaking) return false;
  pollfd p{connection_->fd, POLLOUT, 0};
  return ::poll(&p, 1, 0) == 1 && (p.revents & POLLOUT);
}

TcpStreamPair TcpStreamPair::make(std::shared_ptr<TcpConnection> connection) {
  TcpStreamPair pair;
  pair.read.reset(new TcpReadStream(connection, true));
  pair.write.reset(new TcpWriteStream(connection, false));
  connection->readStream = pair.read;
  connection->writeStream = pair.write;
  return pair;
}

TcpStreamPair TcpStreamPair::toHost(const std::string& host, uint16_t port) {
  auto connection = std::make_shared<TcpConnection>();
  connection->host = host;
  connection->port = port;
  return make(std::move(connection));
}

TcpStreamPair TcpStreamPair::withSocket(int fd) {
  auto connection = std::make_shared<TcpConnection>();
  connection->fd = fd;
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  return make(std::move(connection));
}

}  // namespace sockets
