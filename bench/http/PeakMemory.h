// How much more memory the process held at its peak while some work ran than before it: the
// resident set's high-water mark, reset before the work. Every thread counts, so the loopback
// server's share is in each client's figure alike.
#pragma once

#include <cstddef>
#include <functional>

// Bytes the peak resident set rose by while `work` ran; 0 where the system can't tell.
size_t peakMemoryGrowth(const std::function<void()>& work);
