// The listening socket of the tests' own small servers, and one plain exchange with such a
// server: TCP on 127.0.0.1 only.
#pragma once

#include <cstdint>
#include <string>

namespace testsupport {

// Listens on 127.0.0.1 at `port` (0 lets the system choose a free one) with room for `backlog`
// waiting connections, and sets `port` to the port taken. Returns the descriptor, which the
// caller closes; throws std::runtime_error when nothing can listen there.
int listenOnLoopback(uint16_t& port, int backlog);

// Sends `request` whole on a new connection to 127.0.0.1 at `port` and reads the reply until the
// server closes: the reply's whole text, "" when nothing answered.
std::string exchangeOnLoopback(int port, const std::string& request);

}  // namespace testsupport
