#include "bench/json/AllocationCounter.h"

#include <malloc.h>

#include <atomic>
#include <cerrno>

// glibc's own entry points, which the stand-ins below hand every request to.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<bool> counting{false};
std::atomic<int64_t> held{0};
std::atomic<int64_t> peak{0};

void* counted(void* block) {
  if (block && counting.load(std::memory_order_relaxed)) {
    auto size = static_cast<int64_t>(malloc_usable_size(block));
    int64_t now = held.fetch_add(size, std::memory_order_relaxed) + size;
    int64_t seen = peak.load(std::memory_order_relaxed);
    while (now > seen && !peak.compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
    }
  }
  return block;
}

void uncount(void* block) {
  if (block && counting.load(std::memory_order_relaxed))
    held.fetch_sub(static_cast<int64_t>(malloc_usable_size(block)), std::memory_order_relaxed);
}

}  // namespace

extern "C" {

void* malloc(size_t size) {
  return counted(__libc_malloc(size));
}

void* calloc(size_t count, size_t size) {
  return counted(__libc_calloc(count, size));
}

void* realloc(void* block, size_t size) {
  uncount(block);
  void* moved = __libc_realloc(block, size);
  // A failed realloc keeps the old block.
  return counted(moved || size == 0 ? moved : block);
}

void free(void* block) {
  uncount(block);
  __libc_free(block);
}

void* memalign(size_t alignment, size_t size) {
  return counted(__libc_memalign(alignment, size));
}

void* aligned_alloc(size_t alignment, size_t size) {
  return counted(__libc_memalign(alignment, size));
}

int posix_memalign(void** out, size_t alignment, size_t size) {
  void* block = counted(__libc_memalign(alignment, size));
  if (!block) return ENOMEM;
  *out = block;
  return 0;
}

}  // extern "C"

namespace bench {

void startHeapCount() {
  held = 0;
  peak = 0;
  counting = true;
}

int64_t stopHeapCount() {
  counting = false;
  return peak.load();
}

}  // namespace bench
