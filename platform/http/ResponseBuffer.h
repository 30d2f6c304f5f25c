// Large response bodies kept in memory: asks the system to back the buffer with huge pages where
// it allows, so that filling tens of megabytes costs a few page faults rather than thousands.
#pragma once

#include <cstddef>

namespace plat::http {

// For the whole 2 MiB pages inside [data, data + size); a hint only, ignored where unsupported.
void adviseLargeBuffer(void* data, size_t size);

}  // namespace plat::http
