// The listening socket of the tests' own small servers: TCP on 127.0.0.1 only.
#pragma once

#include <cstdint>

namespace testsupport {

// Listens on 127.0.0.1 at `port` (0 lets the system choose a free one) with room for `backlog`
// waiting connections, and sets `port` to the port taken. Returns the descriptor, which the
// caller closes; throws std::runtime_error when nothing can listen there.
int listenOnLoopback(uint16_t& port, int backlog);

}  // namespace testsupport
