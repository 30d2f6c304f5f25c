#include "platform/http/HttpStream.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/http/ConnectionPool.h"
#include "platform/http/HttpAuthentication.h"
#include "platform/http/ProxyTunnel.h"
#include "platform/http/ResponseParser.h"
#include "platform/stream/FdSources.h"
#include "platform/stream/Resolver.h"
#include "platform/stream/TlsTrust.h"

namespace plat::http {

using stream::HostLookup;
using stream::Resolution;
using stream::resolveLiteral;
using stream::SocketAddress;

namespace {

constexpr size_t kSendChunk = 262144;
constexpr size_t kReadChunk = 65536;
constexpr int kReceiveBuffer = 4 << 20;  // the system caps it at its own maximum

enum class Phase {
  Idle,
  Resolving,
  Connecting,
  Tunnel,
  Handshake,
  Sending,
  Receiving,
  Finished,
  Failed,
  Closed
};

}  // namespace

struct HttpStream::Impl {
  std::weak_ptr<HttpStream> owner;
  RequestMessage message;
  std::unique_ptr<BodySource> body;
  bool validates = true;
  stream::ClientCertificate clientCertificate;
  std::optional<ProxyServer> proxy;
  std::optional<int64_t> identity;
  std::string login;
  std::optional<size_t> readLimit;
  Client client;

  RunLoop* loop = nullptr;
  std::string mode;
  stream::FdSources sources;  // readiness of the connection's (or the lookup's) descriptor

  Phase phase = Phase::Idle;
  std::shared_ptr<HostLookup> lookup;
  std::vector<SocketAddress> addresses;
  size_t nextAddress = 0;
  StreamError lastConnectError;
  std::unique_ptr<Connection> connection;
  const Connection* pooledConnection = nullptr;  // ours, handed back to the pool
  ConnectionKey poolKey;  // see key(); emptied when what it is made of changes
  bool reused = false;
  bool reuseForbidden = false;
  bool tunnelRefused = false;                // the proxy's refusal of the tunnel is the response
  bool tunnelOpened = false;
  bool wantRead = false, wantWrite = false;  // what TLS asked for last
  std::unique_ptr<ProxyTunnel> tunnel;

  // Sending.
  std::string sendBuffer;
  size_t sendOffset = 0;
  size_t bodyBegin = 0, bodyEnd = 0;  // payload bytes within sendBuffer
  bool headQueued = false;
  bool bodyChunked = false;
  bool bodyDone = true;
  uint64_t bodyWritten = 0;

  // Receiving.
  std::unique_ptr<ResponseParser> parser;
  std::vector<uint8_t> pending;  // decoded body bytes not yet read
  size_t pendingOffset = 0;
  bool readCalled = false;
  bool lastReadGotBytes = false;
  bool readingPaused = false;
  bool endDelivered = false;
  bool errorDelivered = false;
  bool drivePosted = false;
  StreamError error;

  // ---- Run-loop plumbing

  void watch(int fd, unsigned events) { sources.watch(fd, events); }

  void stopWatching() { watch(-1, 0); }

  // Continues later on the loop: events are never delivered from inside a call of the client.
  void postDrive() {
    if (!loop || drivePosted) return;
    drivePosted = true;
    std::weak_ptr<HttpStream> weak = owner;
    loop->perform(
        [weak] {
          if (auto self = weak.lock()) {
            self->impl_->drivePosted = false;
            self->impl_->drive();
          }
        },
        mode);
  }

  void deliver(Event event) {
    if (!client || !loop) return;
    auto self = owner.lock();  // the client may drop its last reference
    Client call = client;
    call(event);
  }

  // ---- State machine

  std::string endpointText() const {
    std::string text = message.url.scheme();
    text += "://";
    text += message.url.host();
    text += ':';
    text += std::to_string(message.url.effectivePort());
    if (proxy) text += " via " + proxy->description();
    text += validates ? " checked" : " unchecked";
    // By content, not by object: an identity loaded again is the same client to the server, and
    // another one loaded where a freed one lay is not.
    if (clientCertificate.identity) text += " as " + clientCertificate.identity->fingerprint();
    return text;
  }

  // Where the connection is filed in the pool; made once, when first asked for.
  const ConnectionKey& key() {
    if (poolKey.endpoint.empty()) poolKey = {identity.value_or(0), endpointText(), login};
    return poolKey;
  }
  // A connection to the proxy whose tunnel was refused (a 407 the client may answer with a login
  // on the same connection: NTLM needs that), filed apart from connections with a tunnel.
  ConnectionKey untunnelledKey() { return {identity.value_or(0), key().endpoint + " bare", login}; }
  bool needsTunnel() const {
    return proxy && proxy->type == ProxyServer::Type::Http && message.url.isSecure();
  }

  void fail(StreamError why) {
    if (phase == Phase::Failed || phase == Phase::Closed) return;
    error = std::move(why);
    phase = Phase::Failed;
    stopWatching();
    connection.reset();
    if (body) body->close();
    postDrive();
  }

  // The connection broke while receiving: before any response byte the connection was lost
  // (a kept connection the server dropped), after some the response was cut short. On a
  // connection secured for this exchange a TLS failure is the handshake's verdict, which a TLS 1.3
  // server gives (on a client certificate, say) after the client has finished its part.
  void failReceiving(const StreamError& cause) {
    if (parser && parser->receivedAnything()) {
      fail(StreamError::network(kNetworkResponseTruncated,
                                "the connection closed in the middle of the response"));
    } else if (cause.domain == StreamError::Domain::Tls && !reused) {
      fail(cause);
    } else if (cause.domain == StreamError::Domain::Posix && cause.code != ECONNRESET) {
      fail(cause);
    } else {
      fail(StreamError::network(kNetworkConnectionLost, "the network connection was lost"));
    }
  }

  void startConnecting() {
    const std::string& host = proxy ? proxy->host : message.url.host();
    const int port = proxy ? proxy->port : message.url.effectivePort();
    Resolution literal;
    if (resolveLiteral(host, port, literal)) {
      addresses = std::move(literal.addresses);
      connectNext();
      return;
    }
    phase = Phase::Resolving;
    lookup = HostLookup::start(host, port);
    if (lookup->isDone()) return onLookupDone();
    watch(lookup->fd(), kFdReadable);
  }

  void onLookupDone() {
    Resolution result = lookup->takeResult();
    lookup.reset();
    stopWatching();
    if (result.error) {
      fail(result.error);
      return;
    }
    addresses = std::move(result.addresses);
    connectNext();
  }

  void connectNext() {
    while (nextAddress < addresses.size()) {
      const SocketAddress& address = addresses[nextAddress++];
      // Room for the server to go on sending while the client takes in a large body.
      connection = Connection::startConnect(reinterpret_cast<const sockaddr*>(&address.storage),
                                            address.length, lastConnectError, kReceiveBuffer);
      if (!connection) continue;
      if (!connection->isConnecting()) {
        connected();
        return;
      }
      phase = Phase::Connecting;
      watch(connection->fd(), kFdWritable);
      return;
    }
    fail(lastConnectError ? lastConnectError : StreamError::posix(EHOSTUNREACH));
  }

  void onConnectReady() {
    if (StreamError problem = connection->finishConnect()) {
      lastConnectError = problem;
      stopWatching();
      connection.reset();
      connectNext();
      return;
    }
    connected();
  }

  void connected() {
    if (proxy && proxy->type == ProxyServer::Type::Socks) {
      tunnel = ProxyTunnel::socks5(message.url.host(), message.url.effectivePort());
    } else if (proxy && message.url.isSecure()) {
      std::string hostAndPort = message.url.host().find(':') != std::string::npos
                                    ? "[" + message.url.host() + "]"
                                    : message.url.host();
      hostAndPort += ':';
      hostAndPort += std::to_string(message.url.effectivePort());
      tunnel = ProxyTunnel::httpConnect(hostAndPort, message.headers.value("Proxy-Authorization"));
    }
    if (tunnel) {
      phase = Phase::Tunnel;
      pumpTunnel();
      return;
    }
    afterTunnel();
  }

  void afterTunnel() {
    // The proxy answered on a kept connection and opened the tunnel: the connection was alive,
    // and what fails from here (a refused handshake) is the tunnel's, never a stale connection's.
    if (tunnel) {
      reused = false;
      tunnelOpened = true;
    }
    tunnel.reset();
    if (message.url.isSecure()) {
      auto context = stream::clientTlsContext(validates);
      if (!context) {
        fail({StreamError::Domain::Tls, -1, "no TLS context"});
        return;
      }
      if (!connection->startTls(context, message.url.host(), validates, &clientCertificate)) {
        fail({StreamError::Domain::Tls, -1, "the client certificate can't be presented"});
        return;
      }
      phase = Phase::Handshake;
      pumpHandshake();
      return;
    }
    startSending();
  }

  void pumpTunnel() {
    while (phase == Phase::Tunnel) {
      if (tunnel->status() == ProxyTunnel::Status::Writing) {
        const std::string& out = tunnel->output();
        auto io = connection->write(reinterpret_cast<const uint8_t*>(out.data()), out.size());
        if (io.error) return fail(io.error);
        if (io.wantWrite) return watch(connection->fd(), kFdWritable);
        tunnel->wrote(static_cast<size_t>(io.count));
        continue;
      }
      if (tunnel->status() == ProxyTunnel::Status::Reading) {
        uint8_t buffer[4096];
        auto io = connection->read(buffer, sizeof buffer);
        if (io.error) return fail(io.error);
        if (io.closed) {
          return fail(
              StreamError::network(kNetworkProxyFailure, "the proxy closed the connection"));
        }
        if (io.wantRead) return watch(connection->fd(), kFdReadable);
        size_t used = tunnel->consume(buffer, static_cast<size_t>(io.count));
        if (tunnel->status() == ProxyTunnel::Status::Refused) {
          // The proxy's answer stands in for the server's: the client reads it as the response.
          parser = tunnel->takeRefusal();
          pending = tunnel->takeRefusalBody();
          tunnelRefused = true;
          phase = Phase::Receiving;
          takeResponseBytes(buffer + used, static_cast<size_t>(io.count) - used);
          // A kept connection pumps its tunnel straight from connected(), not from onReady():
          // a refusal read at once must still reach the client, or the request waits for ever.
          postDrive();
          return;
        }
        if (used < static_cast<size_t>(io.count) && tunnel->status() == ProxyTunnel::Status::Open) {
          return fail(StreamError::network(kNetworkProxyFailure, "the proxy sent stray bytes"));
        }
        continue;
      }
      if (tunnel->status() == ProxyTunnel::Status::Failed) return fail(tunnel->error());
      afterTunnel();
      return;
    }
  }

  void pumpHandshake() {
    auto io = connection->continueHandshake();
    if (io.error) return fail(io.error);
    if (io.wantRead) return watch(connection->fd(), kFdReadable);
    if (io.wantWrite) return watch(connection->fd(), kFdWritable);
    startSending();
  }

  void startSending() {
    phase = Phase::Sending;
    headQueued = false;
    sendBuffer.clear();
    sendOffset = 0;
    bodyChunked = body && !message.headers.contains("Content-Length");
    bodyDone = !body;
    if (body && !body->open()) {
      return fail(StreamError::network(kNetworkBodyUnreadable, "the request body can't be read"));
    }
    pumpSending();
  }

  // Fills the send buffer with the head and the next piece of the body; false when all is sent.
  bool refillSendBuffer() {
    sendBuffer.clear();
    sendOffset = bodyBegin = bodyEnd = 0;
    if (!headQueued) {
      headQueued = true;
      const bool throughHttpProxy =
          proxy && proxy->type == ProxyServer::Type::Http && !message.url.isSecure();
      const bool dropProxyCredentials =
          !throughHttpProxy && message.headers.contains("Proxy-Authorization");
      if (dropProxyCredentials || bodyChunked) {
        RequestMessage sent = message;
        if (dropProxyCredentials) sent.headers.remove("Proxy-Authorization");
        if (bodyChunked) sent.headers.set("Transfer-Encoding", "chunked");
        sendBuffer = sent.serializeHead(throughHttpProxy);
      } else {
        sendBuffer = message.serializeHead(throughHttpProxy);
      }
    }
    if (!bodyDone) {
      const size_t room = kSendChunk;
      std::string chunk(room, '\0');
      ssize_t n = body->read(reinterpret_cast<uint8_t*>(chunk.data()), room);
      if (n < 0) {
        fail(StreamError::network(kNetworkBodyUnreadable, "the request body can't be read"));
        return false;
      }
      chunk.resize(static_cast<size_t>(n));
      if (n == 0) bodyDone = true;
      if (bodyChunked && n > 0) {
        char size[24];
        snprintf(size, sizeof size, "%zx\r\n", chunk.size());
        sendBuffer += size;
      }
      bodyBegin = sendBuffer.size();
      sendBuffer += chunk;
      bodyEnd = sendBuffer.size();
      if (bodyChunked && n > 0) sendBuffer += "\r\n";
      if (bodyChunked && bodyDone) sendBuffer += "0\r\n\r\n";
      if (bodyDone) body->close();
    }
    return !sendBuffer.empty();
  }

  void pumpSending() {
    bool refilled = false;
    while (phase == Phase::Sending) {
      if (sendOffset == sendBuffer.size()) {
        // One piece of the body per turn of the loop: the owner may unschedule the stream in
        // between (bandwidth throttling) and it then sends nothing until scheduled again. With
        // everything sent there is nothing to wait for: the reply is waited for at once.
        if (refilled && headQueued && bodyDone) return startReceiving();
        if (refilled) return watch(connection->fd(), kFdWritable);
        refilled = true;
        if (!refillSendBuffer()) {
          if (phase != Phase::Sending) return;
          startReceiving();
          return;
        }
      }
      auto io = connection->write(reinterpret_cast<const uint8_t*>(sendBuffer.data()) + sendOffset,
                                  sendBuffer.size() - sendOffset);
      if (io.error) {
        const int code = io.error.code;
        if (io.error.domain == StreamError::Domain::Posix && code == ECONNRESET) {
          return fail(
              StreamError::network(kNetworkConnectionLost, "the network connection was lost"));
        }
        return fail(io.error);
      }
      if (io.wantWrite) return watch(connection->fd(), kFdWritable);
      if (io.wantRead) return watch(connection->fd(), kFdReadable);
      size_t from = sendOffset, to = sendOffset + static_cast<size_t>(io.count);
      size_t overlapBegin = std::max(from, bodyBegin), overlapEnd = std::min(to, bodyEnd);
      if (overlapEnd > overlapBegin) bodyWritten += overlapEnd - overlapBegin;
      sendOffset = to;
    }
  }

  void startReceiving() {
    phase = Phase::Receiving;
    parser = std::make_unique<ResponseParser>(message.method == "HEAD");
    watch(connection->fd(), kFdReadable);
    if (connection->hasBufferedInput()) postDrive();
  }

  // Feeds bytes that came from the connection to the parser.
  void takeResponseBytes(const uint8_t* bytes, size_t length) {
    parser->feed(bytes, length, pending);
    if (parser->state() == ResponseParser::State::Failed) {
      return fail(StreamError::network(kNetworkBadResponse, parser->failure()));
    }
    if (parser->state() == ResponseParser::State::Done) finishResponse();
  }

  // Reads up to `most` bytes from the connection into the parser; false when nothing more can
  // come now.
  bool receiveSome(size_t most) {
    uint8_t buffer[kReadChunk];
    auto io = connection->read(buffer, std::min(most, sizeof buffer));
    if (io.error) {
      failReceiving(io.error);
      return false;
    }
    if (io.closed) {
      connectionClosed();
      return false;
    }
    if (io.wantRead || io.wantWrite) {
      watch(connection->fd(), io.wantWrite ? kFdWritable : kFdReadable);
      return false;
    }
    takeResponseBytes(buffer, static_cast<size_t>(io.count));
    return true;
  }

  void connectionClosed() {
    parser->endOfInput();
    if (parser->state() == ResponseParser::State::Done) {
      finishResponse();
    } else {
      failReceiving(StreamError::posix(ECONNRESET));
    }
  }

  // The whole response has come: the connection goes back to the pool or closes.
  void finishResponse() {
    phase = Phase::Finished;
    stopWatching();
    const bool keep = identity && !reuseForbidden && parser->keepAliveAllowed() &&
                      !equalsIgnoringCase(message.headers.value("Connection"), "close") &&
                      !connection->hasBufferedInput();
    if (keep) {
      pooledConnection = connection.get();
      ConnectionPool::shared().put(tunnelRefused ? untunnelledKey() : key(), std::move(connection));
    }
    connection.reset();
  }

  size_t pendingSize() const { return pending.size() - pendingOffset; }

  void onReady() {
    switch (phase) {
      case Phase::Resolving:
        if (lookup && lookup->isDone()) onLookupDone();
        break;
      case Phase::Connecting:
        onConnectReady();
        break;
      case Phase::Tunnel:
        pumpTunnel();
        break;
      case Phase::Handshake:
        pumpHandshake();
        break;
      case Phase::Sending:
        pumpSending();
        break;
      case Phase::Receiving:
        if (!parser->headComplete()) {
          const size_t most = readLimit.value_or(kReadChunk);
          while (phase == Phase::Receiving && !parser->headComplete() && receiveSome(most)) {
          }
        }
        break;
      default:
        break;
    }
    drive();
  }

  // Tells the client what there is to tell.
  void drive() {
    if (!loop || !client) return;
    if (phase == Phase::Failed) {
      if (!errorDelivered) {
        errorDelivered = true;
        deliver(kEventErrorOccurred);
      }
      return;
    }
    // Body bytes: offered while the client keeps reading them.
    for (int rounds = 0; rounds < 64; ++rounds) {
      const bool canRead =
          pendingSize() > 0 || (phase == Phase::Receiving && parser && parser->headComplete());
      if (!canRead || !client) break;
      readCalled = false;
      lastReadGotBytes = false;
      deliver(kEventBytesAvailable);
      if (phase == Phase::Closed || phase == Phase::Failed) break;
      if (!readCalled) {
        // The client did not read: wait until it does.
        if (phase == Phase::Receiving && !readingPaused) {
          readingPaused = true;
          stopWatching();
        }
        break;
      }
      if (!lastReadGotBytes && !(connection && connection->hasBufferedInput()))
        break;  // the connection has nothing more now
    }
    if (phase == Phase::Failed) {
      drive();
      return;
    }
    if (phase == Phase::Finished && pendingSize() == 0 && !endDelivered) {
      endDelivered = true;
      deliver(kEventEndEncountered);
    }
  }

  ssize_t read(uint8_t* into, size_t length) {
    ssize_t count = readBody(into, length);
    lastReadGotBytes = count > 0;
    return count;
  }

  ssize_t readBody(uint8_t* into, size_t length) {
    readCalled = true;
    if (readingPaused && phase == Phase::Receiving) {
      readingPaused = false;
      watch(connection->fd(), kFdReadable);
    }
    if (pendingSize() > 0) {
      size_t count = std::min(length, pendingSize());
      std::memcpy(into, pending.data() + pendingOffset, count);
      pendingOffset += count;
      if (pendingOffset == pending.size()) {
        pending.clear();
        pendingOffset = 0;
      }
      return static_cast<ssize_t>(count);
    }
    if (phase == Phase::Failed) return -1;
    if (phase != Phase::Receiving || !parser->headComplete()) return 0;
    if (parser->acceptsDirectBody()) {
      size_t want = static_cast<size_t>(std::min<uint64_t>(length, parser->bytesWanted()));
      auto io = connection->read(into, want);
      if (io.count > 0) {
        parser->tookDirectBody(static_cast<size_t>(io.count));
        if (parser->state() == ResponseParser::State::Done) finishResponse();
        return io.count;
      }
      if (io.error) {
        failReceiving(io.error);
        return -1;
      }
      if (io.closed) {
        connectionClosed();
        return phase == Phase::Failed ? -1 : 0;
      }
      return 0;
    }
    // Chunked: decode what the connection has, then hand it out. Under a read limit no more is
    // taken than asked for: the framing only makes the decoded bytes fewer.
    const size_t most = readLimit ? std::min(length, *readLimit) : kReadChunk;
    while (phase == Phase::Receiving && pendingSize() == 0 && receiveSome(most)) {
    }
    if (pendingSize() > 0) return readBody(into, length);
    return phase == Phase::Failed ? -1 : 0;
  }
};

// ---- HttpStream

std::shared_ptr<HttpStream> HttpStream::create(RequestMessage message,
                                               std::unique_ptr<BodySource> body) {
  std::shared_ptr<HttpStream> stream(new HttpStream());
  stream->impl_ = std::make_unique<Impl>();
  stream->impl_->owner = stream;
  stream->impl_->message = std::move(message);
  stream->impl_->body = std::move(body);
  return stream;
}

HttpStream::~HttpStream() {
  if (impl_) close();
}

void HttpStream::setValidatesCertificate(bool validates) {
  impl_->validates = validates;
  impl_->poolKey = {};
}
void HttpStream::setClientCertificate(stream::ClientCertificate certificate) {
  impl_->clientCertificate = std::move(certificate);
  impl_->poolKey = {};
}
void HttpStream::setProxy(std::optional<ProxyServer> proxy) {
  impl_->proxy = std::move(proxy);
  impl_->poolKey = {};
}
void HttpStream::setPersistentConnectionId(std::optional<int64_t> identity) {
  impl_->identity = identity;
  impl_->poolKey = {};
}
void HttpStream::setConnectionLogin(std::string login) {
  impl_->login = std::move(login);
  impl_->poolKey = {};
}
void HttpStream::setReadLimit(size_t bytes) {
  impl_->readLimit = std::max<size_t>(bytes, 1);
}
void HttpStream::setClient(Client client) {
  impl_->client = std::move(client);
}

void HttpStream::schedule(RunLoop& loop, const std::string& mode) {
  if (impl_->loop) return;
  impl_->loop = &loop;
  impl_->mode = mode;
  std::weak_ptr<HttpStream> weak = impl_->owner;
  impl_->sources.setHandler([weak] {
    if (auto self = weak.lock()) self->impl_->onReady();
  });
  impl_->sources.schedule(loop, mode);
  // Whatever happened while unscheduled is told now.
  if (impl_->phase == Phase::Failed || impl_->phase == Phase::Finished ||
      impl_->pendingSize() > 0 || (impl_->connection && impl_->connection->hasBufferedInput()))
    impl_->postDrive();
}

void HttpStream::unschedule() {
  Impl& d = *impl_;
  if (!d.loop) return;
  d.sources.clear();
  d.loop = nullptr;
  d.drivePosted = false;  // a perform already posted finds the loop gone and does nothing
}

bool HttpStream::isScheduled() const {
  return impl_->loop != nullptr;
}

bool HttpStream::open() {
  Impl& d = *impl_;
  if (d.phase != Phase::Idle || d.message.url.host().empty()) return false;
  if (d.identity) {
    d.connection = ConnectionPool::shared().take(d.key());
    if (d.connection) {
      d.reused = true;
      d.startSending();
      return true;
    }
    // A proxy connection kept after a refused tunnel asks for the tunnel again.
    if (d.needsTunnel()) d.connection = ConnectionPool::shared().take(d.untunnelledKey());
    if (d.connection) {
      d.reused = true;
      d.connected();
      return true;
    }
  }
  // A server may count an answer on a connection it never challenged as a failed login.
  if (Authentication::answersNtlmChallenge(d.message)) {
    d.fail(StreamError::network(kNetworkChallengedConnectionGone,
                                "the connection that carried the login's challenge is gone"));
    return true;
  }
  d.startConnecting();
  return true;
}

void HttpStream::close() {
  Impl& d = *impl_;
  if (d.phase == Phase::Closed) return;
  d.stopWatching();
  d.lookup.reset();
  d.connection.reset();
  if (d.body) d.body->close();
  d.phase = d.phase == Phase::Finished ? Phase::Finished : Phase::Closed;
  d.client = nullptr;
  if (d.phase == Phase::Finished) d.endDelivered = true;
}

void HttpStream::forbidConnectionReuse() {
  Impl& d = *impl_;
  d.reuseForbidden = true;
  if (d.pooledConnection) {
    ConnectionPool::shared().discard(d.pooledConnection);
    d.pooledConnection = nullptr;
  }
}

ssize_t HttpStream::read(uint8_t* into, size_t length) {
  return impl_->read(into, length);
}

bool HttpStream::hasBytesAvailable() const {
  const Impl& d = *impl_;
  return d.pendingSize() > 0 ||
         (d.phase == Phase::Receiving && d.parser && d.parser->headComplete());
}

const ResponseHead* HttpStream::responseHead() const {
  const Impl& d = *impl_;
  return d.parser && d.parser->haveHead() ? &d.parser->head() : nullptr;
}

uint64_t HttpStream::bodyBytesWritten() const {
  return impl_->bodyWritten;
}
const StreamError& HttpStream::error() const {
  return impl_->error;
}
bool HttpStream::atEnd() const {
  return impl_->phase == Phase::Finished && impl_->pendingSize() == 0;
}
bool HttpStream::reusedConnection() const {
  return impl_->reused;
}
bool HttpStream::tunnelOpened() const {
  return impl_->tunnelOpened;
}
const RequestMessage& HttpStream::message() const {
  return impl_->message;
}

void closeIdleConnections(int64_t identity) {
  ConnectionPool::shared().closeIdle(identity);
}
size_t idleConnectionCount() {
  return ConnectionPool::shared().idleCount();
}

}  // namespace plat::http
