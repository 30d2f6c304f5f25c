#include "bench/http/PeakMemory.h"

#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

// A "VmRSS:"-like line of /proc/self/status, in bytes.
size_t statusBytes(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const size_t keyLength = std::strlen(key);
  while (std::getline(status, line)) {
    if (line.compare(0, keyLength, key) == 0)
      return std::stoull(line.substr(keyLength)) * 1024;  // in kB
  }
  return 0;
}

}  // namespace

size_t peakMemoryGrowth(const std::function<void()>& work) {
  malloc_trim(0);  // what earlier work freed is not part of the figure
  const size_t before = statusBytes("VmRSS:");
  // Writing 5 resets the high-water mark to the current resident set.
  if (FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", refs);
    std::fclose(refs);
  }
  work();
  const size_t peak = statusBytes("VmHWM:");
  return peak > before ? peak - before : 0;
}
