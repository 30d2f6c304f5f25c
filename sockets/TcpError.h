// The error object a TcpSocket hands its delegate: a domain, a code and a description. Socket
// failures use "TcpSocketErrorDomain" with texts from the "TcpSocket" table; stream failures keep
// the domain of the layer that failed.
#pragma once

#include <optional>
#include <string>

#include "platform/stream/StreamError.h"

namespace sockets {

inline const std::string kTcpSocketErrorDomain = "TcpSocketErrorDomain";
inline const std::string kPosixErrorDomain = "NSPOSIXErrorDomain";

struct TcpError {
  std::string domain;
  long code = 0;
  std::string description;
};

// Socket errors by code, the text looked up in the "TcpSocket" table with the default beside it.
TcpError tcpSocketError(long code, const std::string& key, const std::string& defaultText);
TcpError tcpErrnoError(int err);
// The stream layer's error in the domain of the layer that failed, with its description; nothing
// when the stream reports no error.
std::optional<TcpError> errorFromCFStreamError(const plat::stream::StreamError& error);

}  // namespace sockets
