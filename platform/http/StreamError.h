// Why an HTTP stream failed: the stream layer's error (socket, name lookup, TLS), or one of the
// HTTP transport's own codes below in its network domain. Callers map these to their own texts.
#pragma once

#include "platform/stream/StreamError.h"

namespace plat::http {

using stream::StreamError;

// The connection closed or was reset before any byte of the response came: a kept connection the
// server had dropped, or a server that went away.
inline constexpr int kNetworkConnectionLost = -1005;
// The connection closed in the middle of the response (its body cut short).
inline constexpr int kNetworkResponseTruncated = -1017;
// The response could not be read as HTTP.
inline constexpr int kNetworkBadResponse = -1011;
// A proxy refused to open the tunnel or answered its handshake wrongly.
inline constexpr int kNetworkProxyFailure = -1200;
// The request body could not be read.
inline constexpr int kNetworkBodyUnreadable = -1013;
// The message answers an NTLM challenge, and the connection that carried the challenge is no
// longer there: the answer goes on no other connection.
inline constexpr int kNetworkChallengedConnectionGone = -1210;

}  // namespace plat::http
