// Counts the heap bytes this process takes while asked to, by standing in for malloc and its kin
// (C++ new and RapidJSON's allocator both end there), so that memory is compared by what each
// decoder really asks of the heap. Sizes are the allocator's usable sizes, as the heap itself pays
// for them. Outside a count, the stand-ins only pass requests on, so timings are not disturbed.
#pragma once

#include <cstdint>

namespace bench {

void startHeapCount();
// The most bytes held beyond those held at the start, at any moment since then.
int64_t stopHeapCount();

}  // namespace bench
