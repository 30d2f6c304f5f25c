// The error object a TcpSocket hands its delegate: a domain, a code and a description. Socket
// failures use "TcpSocketErrorDomain" with texts from the "TcpSocket" table; stream failures keep
// the domain of the layer that failed.
#pragma once

#include <optional>
#include <string>

namespace sockets {

inline const std::string kTcpSocketErrorDomain = "TcpSocketErrorDomain";
inline const std::string kPosixErrorDomain = "NSPOSIXErrorDomain";

struct TcpError {
  std::string domain;
  long code = 0;
  std::string description;
};

// Where a stream's failure came from, with the code of that layer.
struct TcpStreamError {
  enum class Domain {
    None,
    Posix,
    MacOSStatus,
    Mach,
    NetDB,
    NetServices,
    SOCKS,
    SystemConfiguration,
    SSL,
    Other
  };
  Domain domain = Domain::None;
  long code = 0;
};

// Socket errors by code, the text looked up in the "TcpSocket" table with the default beside it.
TcpError tcpSocketError(long code, const std::string& key, const std::string& defaultText);
TcpError tcpErrnoError(int err);
// Nothing when the stream reports no error (domain and code both 0).
std::optional<TcpError> errorFromCFStreamError(const TcpStreamError& error);

}  // namespace sockets
