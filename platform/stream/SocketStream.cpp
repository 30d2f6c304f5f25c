#include "platform/stream/SocketStream.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cstring>
#include <vector>

#include "platform/stream/Connection.h"
#include "platform/stream/Resolver.h"
#include "platform/stream/TlsTrust.h"

namespace plat::stream {
namespace {

// The text of the peer's address, which a client's certificate check holds the server to when it
// was given no name.
std::string peerAddressText(int fd) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&storage), &length) != 0) return "";
  char text[INET6_ADDRSTRLEN] = "";
  if (storage.ss_family == AF_INET)
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&storage)->sin_addr, text, sizeof text);
  else if (storage.ss_family == AF_INET6)
    inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(&storage)->sin6_addr, text, sizeof text);
  return text;
}

}  // namespace

// What both streams of a pair share: the connection, the connect in progress and the TLS to start.
struct PairConnection {
  enum class State { Idle, Resolving, Connecting, Connected, Failed };

  std::unique_ptr<Connection> connection;
  std::string host;  // what a pair made to a host connects to
  uint16_t port = 0;
  std::shared_ptr<HostLookup> lookup;    // while the host's name is looked up
  std::vector<SocketAddress> addresses;  // the host's, in order
  size_t nextAddress = 0;
  StreamError lastError;
  bool closesNative = false;
  State state = State::Idle;
  StreamError error;
  std::optional<TlsSettings> tls;  // asked for; started once connected
  std::shared_ptr<SSL_CTX> tlsContext;
  ClientCertificate clientCertificate;  // what a client presents, when it was given one
  int openStreams = 2;
  std::weak_ptr<SocketStream> readStream, writeStream;

  ~PairConnection() { release(); }

  int fd() const { return connection ? connection->fd() : -1; }
  // What the opening streams wait on: the lookup, then the connection.
  int watchedFd() const { return state == State::Resolving && lookup ? lookup->fd() : fd(); }

  void release() {
    if (connection) connection->setOwnsDescriptor(closesNative);
    connection.reset();
  }

  void failWith(StreamError why) {
    state = State::Failed;
    error = std::move(why);
  }

  // Starts a non-blocking connect to a literal address at once; a name is looked up on its own
  // thread first (lookupDone() goes on from there), so the caller's run loop never waits for it.
  bool startConnect() {
    if (state != State::Idle) return state != State::Failed;
    if (connection) {
      state = State::Connected;
      return startPendingTls();
    }
    Resolution literal;
    if (resolveLiteral(host, port, literal)) {
      addresses = std::move(literal.addresses);
      return connectNext();
    }
    lookup = HostLookup::start(host, port);
    state = State::Resolving;
    if (lookup->fd() >= 0) return true;
    // Without a descriptor to wait on the lookup has failed already.
    failWith(lookup->takeResult().error);
    lookup.reset();
    return false;
  }

  // Once the lookup's descriptor is readable: connects to the first address, or fails with the
  // resolver's error.
  void lookupDone() {
    if (state != State::Resolving || !lookup->isDone()) return;
    Resolution result = lookup->takeResult();
    // The streams stop watching the lookup's descriptor before it closes.
    armOpeningStreams(0);
    lookup.reset();
    if (result.error) {
      failWith(result.error);
      return;
    }
    addresses = std::move(result.addresses);
    if (connectNext()) armOpeningStreams(kFdWritable);
  }

  // Starts a connect to the next address of the host (a name can stand for an IPv6 address
  // nobody listens on and an IPv4 one that answers); false when none is left.
  bool connectNext() {
    connection.reset();
    while (nextAddress < addresses.size()) {
      const SocketAddress& address = addresses[nextAddress++];
      connection = Connection::startConnect(reinterpret_cast<const sockaddr*>(&address.storage),
                                            address.length, lastError);
      if (!connection) continue;
      if (connection->isConnecting()) {
        state = State::Connecting;
        return true;
      }
      state = State::Connected;
      return startPendingTls();
    }
    failWith(lastError);
    return false;
  }

  void armOpeningStreams(unsigned events) {
    for (const auto& weak : {readStream, writeStream})
      if (auto stream = weak.lock(); stream && stream->status_ == StreamStatus::Opening)
        stream->arm(events);
  }

  // Called when the descriptor became writable while connecting (readable while resolving).
  void checkConnected() {
    if (state == State::Resolving) return lookupDone();
    if (state != State::Connecting) return;
    pollfd ready{fd(), POLLOUT, 0};
    if (::poll(&ready, 1, 0) != 1) return;  // still connecting
    if (StreamError problem = connection->finishConnect()) {
      lastError = problem;
      // The streams still opening leave this attempt's descriptor before it closes, and wait on
      // the next attempt's.
      armOpeningStreams(0);
      if (connectNext()) armOpeningStreams(kFdWritable);
      return;
    }
    state = State::Connected;
    startPendingTls();
  }

  // Takes the settings; the handshake begins now when connected, else once the connect completes.
  bool takeTlsSettings(const TlsSettings& settings) {
    if (tls) return true;  // the other stream of the pair asked first
    if (!settings.isServer && !settings.certificateFile.empty()) {
      clientCertificate.identity =
          TlsIdentity::fromPemFiles(settings.certificateFile, settings.keyFile);
      if (!clientCertificate.identity) return false;
    }
    if (settings.isServer)
      tlsContext = serverTlsContext(settings.certificateFile, settings.keyFile,
                                    settings.requiresClientCertificate, settings.caFile);
    else if (!settings.validatesCertificateChain)
      tlsContext = clientTlsContext(false);
    else
      tlsContext =
          settings.caFile.empty() ? clientTlsContext(true) : clientTlsContext(settings.caFile);
    if (!tlsContext) return false;
    tls = settings;
    return state != State::Connected || startPendingTls();
  }

  bool startPendingTls() {
    if (!tls || connection->isTls()) return true;
    if (tls->isServer) {
      connection->startServerTls(tlsContext);
      return true;
    }
    std::string name = tls->peerName.empty() ? host : tls->peerName;
    if (name.empty()) name = peerAddressText(connection->fd());
    if (connection->startTls(tlsContext, name, tls->validatesCertificateChain, &clientCertificate))
      return true;
    failWith({StreamError::Domain::Tls, -1, "the client certificate can't be presented"});
    return false;
  }

  // One handshake step; afterwards each stream waits for what the handshake needs next.
  void driveHandshake() {
    auto reader = readStream.lock();
    auto writer = writeStream.lock();
    auto io = connection->continueHandshake();
    if (io.error) {
      failWith(io.error);
      if (writer) writer->arm(0);
      if (reader) reader->fail();
      return;
    }
    bool done = !io.wantRead && !io.wantWrite;
    if (reader) reader->arm(kFdReadable);
    if (writer) writer->arm(done || io.wantWrite ? unsigned(kFdWritable) : 0u);
  }
};

SocketStream::SocketStream(std::shared_ptr<PairConnection> connection, bool reads)
    : connection_(std::move(connection)), reads_(reads) {}

void SocketStream::setClient(unsigned events, Client client) {
  clientEvents_ = client ? events : 0;
  client_ = std::move(client);
}

void SocketStream::scheduleInRunLoop(RunLoop& loop, const std::string& mode) {
  if (sources_.empty()) {
    std::weak_ptr<SocketStream> weak = weak_from_this();
    sources_.setHandler([weak] {
      if (auto self = weak.lock()) self->onDescriptorEvent();
    });
  }
  sources_.schedule(loop, mode);
}

void SocketStream::unscheduleFromRunLoop(RunLoop& loop, const std::string& mode) {
  if (sources_.loop() == &loop) sources_.unschedule(mode);
}

// Watches the descriptor for `events` in every scheduled mode (none: not at all).
void SocketStream::arm(unsigned events) {
  sources_.watch(connection_->watchedFd(), events);
}

bool SocketStream::open() {
  if (status_ != StreamStatus::NotOpen) return false;
  if (!connection_->startConnect()) {
    status_ = StreamStatus::Error;
    return false;
  }
  status_ = StreamStatus::Opening;
  // Open completes once the connection takes bytes; a lookup first signals its answer.
  arm(connection_->state == PairConnection::State::Resolving ? kFdReadable : kFdWritable);
  return true;
}

void SocketStream::close() {
  if (status_ == StreamStatus::Closed) return;
  status_ = StreamStatus::Closed;
  sources_.clear();
  if (--connection_->openStreams == 0) connection_->release();
}

StreamError SocketStream::error() const {
  return status_ == StreamStatus::Error ? connection_->error : StreamError{};
}

int SocketStream::nativeHandle() const {
  return connection_->fd();
}

void SocketStream::setClosesNativeSocket(bool closes) {
  connection_->closesNative = closes;
}

bool SocketStream::setTlsSettings(const TlsSettings& settings) {
  if (status_ != StreamStatus::NotOpen && status_ != StreamStatus::Opening &&
      status_ != StreamStatus::Open)
    return false;
  if (!connection_->takeTlsSettings(settings)) return false;
  if (status_ == StreamStatus::Open) arm(reads_ ? kFdReadable : kFdWritable);
  return true;
}

void SocketStream::fail() {
  status_ = StreamStatus::Error;
  arm(0);
  notify(kStreamErrorOccurred);
}

void SocketStream::notify(unsigned event) {
  if (!(clientEvents_ & event) || !client_) return;
  auto keep = shared_from_this();
  Client client = client_;  // the client may detach itself while it runs
  client(event);
}

// After a read or write: a failed stream reports nothing more; an open one waits for the next
// readiness, and one that met the end reports it next.
void SocketStream::afterIo(bool failed) {
  if (failed) {
    status_ = StreamStatus::Error;
    arm(0);
  } else if (status_ == StreamStatus::Open || status_ == StreamStatus::AtEnd) {
    arm(reads_ ? kFdReadable : kFdWritable);
  }
}

void SocketStream::onDescriptorEvent() {
  auto keep = shared_from_this();
  PairConnection& c = *connection_;
  if (status_ == StreamStatus::Opening) {
    c.checkConnected();
    if (c.state == PairConnection::State::Failed) return fail();
    if (c.state != PairConnection::State::Connected) return;
    status_ = StreamStatus::Open;
    arm(reads_ ? kFdReadable : kFdWritable);
    return notify(kStreamOpenCompleted);
  }
  if (status_ == StreamStatus::AtEnd && !endReported_) {
    // A read met the end: report it as an event, as when a look ahead finds it.
    arm(0);
    endReported_ = true;
    return notify(kStreamEndEncountered);
  }
  if (status_ != StreamStatus::Open) return arm(0);
  if (c.connection->isHandshaking()) return c.driveHandshake();
  if (!reads_) {
    arm(0);
    return notify(kStreamCanAcceptBytes);
  }
  // Look at the next byte without taking it: data, the end, or an error.
  auto io = c.connection->peek();
  if (io.wantRead || io.wantWrite) return;
  if (io.error) {
    c.failWith(io.error);
    return fail();
  }
  arm(0);
  if (io.count > 0) return notify(kStreamHasBytesAvailable);
  status_ = StreamStatus::AtEnd;
  endReported_ = true;
  notify(kStreamEndEncountered);
}

long ReadStream::read(uint8_t* buffer, size_t maxLength) {
  if (status_ != StreamStatus::Open) return status_ == StreamStatus::AtEnd ? 0 : -1;
  PairConnection& c = *connection_;
  if (c.connection->isHandshaking()) return 0;
  auto io = c.connection->read(buffer, maxLength);
  if (io.error) c.failWith(io.error);
  if (io.closed) status_ = StreamStatus::AtEnd;
  afterIo(bool(io.error));
  return io.error ? -1 : static_cast<long>(io.count);
}

bool ReadStream::hasBytesAvailable() {
  if (status_ != StreamStatus::Open || connection_->connection->isHandshaking()) return false;
  return connection_->connection->peek().count > 0;
}

long WriteStream::write(const uint8_t* buffer, size_t length) {
  if (status_ != StreamStatus::Open) return -1;
  PairConnection& c = *connection_;
  if (c.connection->isHandshaking()) return 0;
  auto io = c.connection->write(buffer, length);
  if (io.error) c.failWith(io.error);
  afterIo(bool(io.error));
  return io.error ? -1 : static_cast<long>(io.count);
}

bool WriteStream::canAcceptBytes() {
  if (status_ != StreamStatus::Open || connection_->connection->isHandshaking()) return false;
  pollfd p{connection_->fd(), POLLOUT, 0};
  return ::poll(&p, 1, 0) == 1 && (p.revents & POLLOUT);
}

StreamPair StreamPair::make(std::shared_ptr<PairConnection> connection) {
  StreamPair pair;
  pair.read.reset(new ReadStream(connection, true));
  pair.write.reset(new WriteStream(connection, false));
  connection->readStream = pair.read;
  connection->writeStream = pair.write;
  return pair;
}

StreamPair StreamPair::toHost(const std::string& host, uint16_t port) {
  auto connection = std::make_shared<PairConnection>();
  connection->host = host;
  connection->port = port;
  return make(std::move(connection));
}

StreamPair StreamPair::withSocket(int fd) {
  auto connection = std::make_shared<PairConnection>();
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  connection->connection = std::make_unique<Connection>(fd);
  connection->connection->setOwnsDescriptor(false);
  return make(std::move(connection));
}

}  // namespace plat::stream
