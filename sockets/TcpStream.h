// The stream pair a TcpSocket reads and writes through: one connection (a descriptor, TLS once it
// is asked for) seen as a read stream and a write stream, each scheduled on a run loop in modes and
// reporting open, bytes available, room to write, error and end to its client. Like the phone's
// stream pairs, "bytes available" and "can accept bytes" are reported once and again only after the
// client read or wrote, so a client that leaves the bytes alone is not called in a loop.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/RunLoop.h"
#include "sockets/TcpError.h"
#include "sockets/TcpRunLoopSources.h"

namespace sockets {

enum TcpStreamEvent : unsigned {
  kStreamOpenCompleted = 1,
  kStreamHasBytesAvailable = 2,
  kStreamCanAcceptBytes = 4,
  kStreamErrorOccurred = 8,
  kStreamEndEncountered = 16,
};

enum class TcpStreamStatus { NotOpen, Opening, Open, Reading, Writing, AtEnd, Closed, Error };

// The TLS settings of startTLS. A server needs its certificate chain and key; a client checks the
// peer against caFile (or the system's authorities) and peerName unless validation is off.
struct TcpTlsSettings {
  bool isServer = false;
  std::string certificateFile;  // PEM chain
  std::string keyFile;          // PEM key
  std::string caFile;           // PEM authorities a client trusts; empty: the system's
  std::string peerName;         // name the server certificate must carry; empty: not checked
  bool validatesCertificateChain = true;
};

struct TcpConnection;
struct TcpStreamPair;

class TcpStream : public std::enable_shared_from_this<TcpStream> {
 public:
  using Client = std::function<void(unsigned event)>;
  virtual ~TcpStream() = default;

  // An empty client detaches it.
  void setClient(unsigned events, Client client);
  void scheduleInRunLoop(plat::RunLoop& loop, const std::string& mode);
  void unscheduleFromRunLoop(plat::RunLoop& loop, const std::string& mode);
  // Starts connecting (when the pair was made to a host); false when that cannot start.
  bool open();
  void close();
  TcpStreamStatus status() const { return status_; }
  TcpStreamError error() const;
  int nativeHandle() const;
  // The descriptor is closed with the last stream of the pair.
  void setClosesNativeSocket(bool closes);
  // Switches the connection to TLS; the handshake runs on the streams' events.
  bool setTlsSettings(const TcpTlsSettings& settings);

 protected:
  TcpStream(std::shared_ptr<TcpConnection> connection, bool reads);
  friend struct TcpConnection;

  void onDescriptorEvent();
  void fail();
  void notify(unsigned event);
  void arm(unsigned events);

  std::shared_ptr<TcpConnection> connection_;
  bool reads_;
  TcpStreamStatus status_ = TcpStreamStatus::NotOpen;
  unsigned clientEvents_ = 0;
  Client client_;
  TcpRunLoopSources sources_;
  bool endReported_ = false;
};

class TcpReadStream : public TcpStream {
 public:
  // Bytes read; 0 at the end or when none are there yet; -1 on error.
  long read(uint8_t* buffer, size_t maxLength);
  bool hasBytesAvailable();

 private:
  friend struct TcpStreamPair;
  using TcpStream::TcpStream;
};

class TcpWriteStream : public TcpStream {
 public:
  // Bytes written (0 when the connection takes none now); -1 on error.
  long write(const uint8_t* buffer, size_t length);
  bool canAcceptBytes();

 private:
  friend struct TcpStreamPair;
  using TcpStream::TcpStream;
};

struct TcpStreamPair {
  std::shared_ptr<TcpReadStream> read;
  std::shared_ptr<TcpWriteStream> write;

  // A pair that connects to host:port when opened.
  static TcpStreamPair toHost(const std::string& host, uint16_t port);
  // A pair over a connected descriptor.
  static TcpStreamPair withSocket(int fd);

 private:
  static TcpStreamPair make(std::shared_ptr<TcpConnection> connection);
};

}  // namespace sockets
