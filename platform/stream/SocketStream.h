// A socket stream pair: one connection (a descriptor, TLS once it is asked for) seen as a read
// stream and a write stream, each scheduled on a run loop in modes and reporting open, bytes
// available, room to write, error and end to its client. "Bytes available" and "can accept bytes"
// are reported once and again only after the client read or wrote, so a client that leaves the
// bytes alone is not called in a loop. TLS settings given while the pair is still opening apply
// as soon as the connection is made.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/base/RunLoop.h"
#include "platform/stream/FdSources.h"
#include "platform/stream/StreamError.h"

namespace plat::stream {

enum StreamEvent : unsigned {
  kStreamOpenCompleted = 1,
  kStreamHasBytesAvailable = 2,
  kStreamCanAcceptBytes = 4,
  kStreamErrorOccurred = 8,
  kStreamEndEncountered = 16,
};

enum class StreamStatus { NotOpen, Opening, Open, Reading, Writing, AtEnd, Closed, Error };

// TLS over a stream pair. A server presents its certificate chain and key; a client checks the
// server's chain against the trusted roots (and the authorities of caFile) and its name against
// peerName, or against the host the pair connected to when peerName is empty. A client given a
// certificate and key presents them when the server asks. A server that requires a client
// certificate refuses clients without one, or with one that its authorities (caFile, else the
// trusted roots) did not issue.
struct TlsSettings {
  bool isServer = false;
  std::string certificateFile;  // PEM chain
  std::string keyFile;          // PEM key
  std::string caFile;           // further PEM authorities a client trusts, or that issue clients
  std::string peerName;         // name the server certificate must carry
  bool validatesCertificateChain = true;
  bool requiresClientCertificate = false;  // servers only
};

struct PairConnection;

class SocketStream : public std::enable_shared_from_this<SocketStream> {
 public:
  using Client = std::function<void(unsigned event)>;
  virtual ~SocketStream() = default;

  // An empty client detaches it.
  void setClient(unsigned events, Client client);
  void scheduleInRunLoop(RunLoop& loop, const std::string& mode);
  void unscheduleFromRunLoop(RunLoop& loop, const std::string& mode);
  // Starts connecting (when the pair was made to a host); false when that cannot start.
  bool open();
  void close();
  StreamStatus status() const { return status_; }
  // The pair's error once this stream failed; none otherwise.
  StreamError error() const;
  int nativeHandle() const;
  // The descriptor is closed with the last stream of the pair.
  void setClosesNativeSocket(bool closes);
  // Switches the connection to TLS (now, or once it opens); the handshake runs on the streams'
  // events. False when the settings cannot be used or the stream is past opening.
  bool setTlsSettings(const TlsSettings& settings);

 protected:
  SocketStream(std::shared_ptr<PairConnection> connection, bool reads);
  friend struct PairConnection;

  void onDescriptorEvent();
  void fail();
  void notify(unsigned event);
  void arm(unsigned events);
  void afterIo(bool failed);

  std::shared_ptr<PairConnection> connection_;
  bool reads_;
  StreamStatus status_ = StreamStatus::NotOpen;
  unsigned clientEvents_ = 0;
  Client client_;
  FdSources sources_;
  bool endReported_ = false;
};

class ReadStream : public SocketStream {
 public:
  // Bytes read; 0 at the end or when none are there yet; -1 on error.
  long read(uint8_t* buffer, size_t maxLength);
  bool hasBytesAvailable();

 private:
  friend struct StreamPair;
  using SocketStream::SocketStream;
};

class WriteStream : public SocketStream {
 public:
  // Bytes written (0 when the connection takes none now); -1 on error.
  long write(const uint8_t* buffer, size_t length);
  bool canAcceptBytes();

 private:
  friend struct StreamPair;
  using SocketStream::SocketStream;
};

struct StreamPair {
  std::shared_ptr<ReadStream> read;
  std::shared_ptr<WriteStream> write;

  // A pair that connects to host:port when opened.
  static StreamPair toHost(const std::string& host, uint16_t port);
  // A pair over a connected descriptor.
  static StreamPair withSocket(int fd);

 private:
  static StreamPair make(std::shared_ptr<PairConnection> connection);
};

}  // namespace plat::stream
