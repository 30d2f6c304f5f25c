// The HTTP transport's once-per-process set-up is the socket stream layer's (TLS library, no
// SIGPIPE); see platform/stream/Transport.h.
#pragma once

#include "platform/stream/Transport.h"

namespace plat::http {

using stream::prepareTransport;

}  // namespace plat::http
