// gzip inflation over arbitrary bytes: inflated whole or chunk by chunk (the chunk size taken
// from the first byte), the result and the failure agree, and the output limit holds.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "net/HttpDataDecompressor.h"

namespace {

constexpr uint64_t kLimit = 1 << 22;

struct Outcome {
  bool failed = false;
  std::vector<uint8_t> out;
};

Outcome inflate(const uint8_t* data, size_t size, size_t chunk) {
  Outcome outcome;
  auto decompressor = HttpDataDecompressor::decompressor();
  decompressor->setOutputLimit(kLimit);
  for (size_t at = 0; at < size && !outcome.failed; at += chunk) {
    HttpErrorPtr error;
    auto part = decompressor->uncompressBytes(data + at, std::min(chunk, size - at), &error);
    if (error) {
      outcome.failed = true;
    } else if (part) {
      outcome.out.insert(outcome.out.end(), part->begin(), part->end());
    }
  }
  if (outcome.out.size() > kLimit) std::abort();
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t chunk = 1 + data[0] % 64;
  const Outcome whole = inflate(data + 1, size - 1, size);
  const Outcome chunks = inflate(data + 1, size - 1, chunk);
  if (whole.failed != chunks.failed) std::abort();
  if (!whole.failed && whole.out != chunks.out) std::abort();
  return 0;
}
