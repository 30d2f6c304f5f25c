// A TCP client or server socket that lives on one run loop and never blocks its caller: reads and
// writes are queued as packets and carried out from run-loop events, each with its own time-out,
// and every outcome reaches the delegate. Misuse raises "TcpSocketException"; failures close the
// socket with an error of "TcpSocketErrorDomain" or of the layer that failed.
//
// Sockets are shared objects (create()): an event handler keeps its socket alive while it runs, so
// a delegate may let go of the socket from inside a callback.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/RunLoop.h"
#include "platform/stream/NativeSocket.h"
#include "platform/stream/SocketStream.h"
#include "sockets/TcpError.h"
#include "sockets/TcpPackets.h"
#include "sockets/TcpSocketDelegate.h"

namespace sockets {

class TcpSocket : public std::enable_shared_from_this<TcpSocket> {
  struct Passkey {};

 public:
  // Flag bits of flags().
  enum : uint16_t {
    kEnablePreBuffering = 0x0001,
    kDidStartConnect = 0x0002,
    kDidCompleteOpenForRead = 0x0004,
    kDidCompleteOpenForWrite = 0x0008,
    kStartingReadTLS = 0x0010,
    kStartingWriteTLS = 0x0020,
    kForbidReadsWrites = 0x0040,
    kDisconnectAfterReads = 0x0080,
    kDisconnectAfterWrites = 0x0100,
    kClosingWithError = 0x0200,
    kDequeueReadScheduled = 0x0400,
    kDequeueWriteScheduled = 0x0800,
    kSocketCanAcceptBytes = 0x1000,
    kSocketHasBytesAvailable = 0x2000,
  };

  static std::shared_ptr<TcpSocket> create(TcpSocketDelegate* delegate = nullptr,
                                           int64_t userData = 0);
  TcpSocket(Passkey, TcpSocketDelegate* delegate, int64_t userData);
  ~TcpSocket();
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  // ---- Accessors
  TcpSocketDelegate* delegate() const { return theDelegate; }
  void setDelegate(TcpSocketDelegate* delegate) { theDelegate = delegate; }
  int64_t userData() const { return theUserData; }
  void setUserData(int64_t userData) { theUserData = userData; }
  bool canSafelySetDelegate() const;
  uint16_t flags() const { return theFlags; }
  std::shared_ptr<plat::stream::NativeSocket> getCFSocket() const {
    return theSocket4 ? theSocket4 : theSocket6;
  }
  std::shared_ptr<plat::stream::ReadStream> getCFReadStream() const { return theReadStream; }
  std::shared_ptr<plat::stream::WriteStream> getCFWriteStream() const { return theWriteStream; }
  void enablePreBuffering() { theFlags |= kEnablePreBuffering; }
  // For the owner: raises when called from a thread other than the socket's run loop's.
  void checkForThreadSafety() const;

  // ---- Progress: NaN and zeros without a current read or write.
  float progressOfReadReturningTag(int64_t* tag, uint64_t* done, uint64_t* total) const;
  float progressOfWriteReturningTag(int64_t* tag, uint64_t* done, uint64_t* total) const;

  // ---- Queries
  bool isDisconnected() const;
  bool isConnected() const;
  bool isIPv4() const;
  bool isIPv6() const;
  std::string connectedHost() const;
  uint16_t connectedPort() const;
  std::string localHost() const;
  uint16_t localPort() const;
  std::string connectedHost4() const { return hostOf(address4(true)); }
  std::string connectedHost6() const { return hostOf(address6(true)); }
  uint16_t connectedPort4() const { return portOf(address4(true)); }
  uint16_t connectedPort6() const { return portOf(address6(true)); }
  std::string localHost4() const { return hostOf(address4(false)); }
  std::string localHost6() const { return hostOf(address6(false)); }
  uint16_t localPort4() const { return portOf(address4(false)); }
  uint16_t localPort6() const { return portOf(address6(false)); }
  std::optional<TcpData> connectedAddress() const;
  std::optional<TcpData> localAddress() const;
  static std::string hostFromAddress4(const TcpData& address);
  static std::string hostFromAddress6(const TcpData& address);
  static uint16_t portFromAddress4(const TcpData& address);
  static uint16_t portFromAddress6(const TcpData& address);
  std::string description() const;

  // ---- Run loop
  const std::vector<std::string>& runLoopModes() const { return theRunLoopModes; }
  bool moveToRunLoop(plat::RunLoop* runLoop);
  bool setRunLoopModes(const std::vector<std::string>& modes);
  bool addRunLoopMode(const std::string& mode);
  bool removeRunLoopMode(const std::string& mode);

  // ---- Connect and accept (error, when given, receives the reason of a false result)
  bool acceptOnPort(uint16_t port, TcpError* error = nullptr);
  bool acceptOnInterface(const std::string& interface, uint16_t port, TcpError* error = nullptr);
  bool connectToHost(const std::string& host, uint16_t port, TcpError* error = nullptr);
  bool connectToHost(const std::string& host, uint16_t port, double timeout, TcpError* error);
  bool connectToAddress(const TcpData& remoteAddr, TcpError* error = nullptr);
  bool connectToAddress(const TcpData& remoteAddr, double timeout, TcpError* error);
  bool connectToAddress(const TcpData& remoteAddr, const TcpData* interfaceAddr, double timeout,
                        TcpError* error);

  // ---- Reads (refused silently when the arguments make no read, or after a disconnect-after)
  void readDataWithTimeout(double timeout, int64_t tag);
  void readDataWithTimeout(double timeout, std::shared_ptr<TcpData> buffer, uint64_t offset,
                           int64_t tag);
  void readDataWithTimeout(double timeout, std::shared_ptr<TcpData> buffer, uint64_t offset,
                           uint64_t maxLength, int64_t tag);
  void readDataToLength(uint64_t length, double timeout, int64_t tag);
  void readDataToLength(uint64_t length, double timeout, std::shared_ptr<TcpData> buffer,
                        uint64_t offset, int64_t tag);
  void readDataToData(const TcpData& data, double timeout, int64_t tag);
  void readDataToData(const TcpData& data, double timeout, std::shared_ptr<TcpData> buffer,
                      uint64_t offset, int64_t tag);
  void readDataToData(const TcpData& data, double timeout, uint64_t maxLength, int64_t tag);
  void readDataToData(const TcpData& data, double timeout, std::shared_ptr<TcpData> buffer,
                      uint64_t offset, uint64_t maxLength, int64_t tag);

  // ---- Writes, TLS, closing
  void writeData(const TcpData& data, double timeout, int64_t tag);
  void startTLS(const std::optional<TcpTlsSettings>& settings);
  void closeWithError(const std::optional<TcpError>& error);
  void close();
  void disconnect() { close(); }
  void disconnectAfterReading();
  void disconnectAfterWriting();
  void disconnectAfterReadingAndWriting();
  // While closing with an error: the bytes read so far and what the stream still holds.
  std::optional<TcpData> unreadData();

  static TcpData CRLFData() { return {0x0D, 0x0A}; }
  static TcpData CRData() { return {0x0D}; }
  static TcpData LFData() { return {0x0A}; }
  static TcpData ZeroData() { return {0x00}; }

  // ---- Errors
  static TcpError getSocketError();
  static TcpError getAbortError();
  static TcpError getConnectTimeoutError();
  static TcpError getReadMaxedOutError();
  static TcpError getReadTimeoutError();
  static TcpError getWriteTimeoutError();
  static TcpError getErrnoError();
  std::optional<TcpError> getStreamError() const;

 private:
  // Addresses and their texts.
  std::optional<TcpData> address4(bool peer) const;
  std::optional<TcpData> address6(bool peer) const;
  static std::string hostOf(const std::optional<TcpData>& address);
  static uint16_t portOf(const std::optional<TcpData>& address);

  // Deferred calls and timers in the socket's modes.
  void performDeferred(const std::string& key, void (TcpSocket::*method)());
  void cancelDeferred(const std::string& key);
  void cancelAllDeferred();
  std::shared_ptr<plat::Timer> makeTimer(double fireDate, void (TcpSocket::*method)());
  void rescheduleTimers();
  void askForDeferredWork();

  // Connect and accept.
  void checkPreconditions(bool accepting);
  std::shared_ptr<plat::stream::NativeSocket> newAcceptSocketForAddress(const TcpData& address);
  bool createSocketForAddress(const TcpData& remoteAddr, TcpError* error);
  bool bindSocketToAddress(const TcpData* interfaceAddr, TcpError* error);
  bool attachSocketsToRunLoop(plat::RunLoop* runLoop);
  bool configureSocketAndReturnError(TcpError* error);
  bool connectSocketToAddress(const TcpData& remoteAddr, TcpError* error);
  bool createStreamsFromNative(int native, TcpError* error);
  bool createStreamsToHost(const std::string& host, uint16_t port, TcpError* error);
  bool attachStreamsToRunLoop(plat::RunLoop* runLoop, TcpError* error);
  bool configureStreamsAndReturnError(TcpError* error);
  bool openStreamsAndReturnError(TcpError* error);
  bool setSocketFromStreamsAndReturnError(TcpError* error);
  void doAcceptFromSocket(plat::stream::NativeSocket& parent, int newNative);
  void doSocketOpen(plat::stream::NativeSocket& socket, int socketError);
  void doStreamOpen();
  void doNativeSocketCallback(plat::stream::NativeSocket::CallbackType type,
                              plat::stream::NativeSocket& socket, int value);
  void doCFReadStreamCallback(unsigned event);
  void doCFWriteStreamCallback(unsigned event);
  void startConnectTimeout(double timeout);
  void endConnectTimeout();
  void doConnectTimeout();
  plat::stream::NativeSocket::Callback socketCallback();

  // Reads, writes, TLS, closing.
  void queueRead(std::shared_ptr<TcpReadPacket> packet);
  void scheduleDequeueRead();
  void maybeDequeueRead();
  bool tlsMarkerIsNext() const;
  bool hasBytesAvailable();
  long readIntoBuffer(uint8_t* buffer, uint64_t maxLength);
  void doBytesAvailable();
  void completeCurrentRead();
  void endCurrentRead();
  void doReadTimeout();
  void scheduleDequeueWrite();
  void maybeDequeueWrite();
  bool canAcceptBytes();
  void doSendBytes();
  void completeCurrentWrite();
  void endCurrentWrite();
  void doWriteTimeout();
  void maybeStartTLS();
  void onTLSHandshakeSuccessful();
  void recoverUnreadData();
  void emptyQueues();
  void maybeScheduleDisconnect();
  bool directionBusy(bool reads) const;

  uint16_t theFlags = kEnablePreBuffering;
  TcpSocketDelegate* theDelegate;
  int64_t theUserData;
  int theNativeSocket4 = 0;
  int theNativeSocket6 = 0;
  std::shared_ptr<plat::stream::NativeSocket> theSocket4, theSocket6;
  plat::RunLoop* theRunLoop = nullptr;
  std::vector<std::string> theRunLoopModes;
  std::shared_ptr<plat::stream::ReadStream> theReadStream;
  std::shared_ptr<plat::stream::WriteStream> theWriteStream;
  std::shared_ptr<plat::Timer> theConnectTimer;
  std::deque<std::shared_ptr<TcpPacket>> theReadQueue, theWriteQueue;
  std::shared_ptr<TcpPacket> theCurrentRead, theCurrentWrite;
  std::shared_ptr<plat::Timer> theReadTimer, theWriteTimer;
  TcpData partialReadBuffer;

  uint64_t deferredGeneration_ = 0;
  std::map<std::string, uint64_t> deferredKeys_;
};

}  // namespace sockets
