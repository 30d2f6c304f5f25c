// The zlib state shared by the gzip compressor and decompressor of the HTTP client, and the
// file-to-file loop both run. Output buffers start and grow by at least 1 KiB, so that one-byte
// inputs make progress.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "net/HttpError.h"

class HttpZlibStream {
 public:
  virtual ~HttpZlibStream() = default;
  HttpZlibStream(const HttpZlibStream&) = delete;
  HttpZlibStream& operator=(const HttpZlibStream&) = delete;

  bool streamReady() const { return streamReady_; }
  virtual HttpErrorPtr setupStream() = 0;
  virtual HttpErrorPtr closeStream() = 0;

 protected:
  // `verb` is "Compression" or "Decompression", the first word of every error text.
  explicit HttpZlibStream(const char* verb) : verb_(verb) {}

  // The error for a zlib result code.
  HttpErrorPtr errorWithCode(int zlibCode) const;

  // Grows `out` by `step` when the `produced` bytes fill it, then points zlib's output at the rest.
  void prepareOutput(std::vector<uint8_t>& out, size_t produced, size_t step);

  // One chunk of a file: `isLast` when the read gave less than a full chunk.
  virtual std::optional<std::vector<uint8_t>> transformChunk(const uint8_t* bytes, size_t length,
                                                             bool isLast, HttpErrorPtr* error) = 0;
  // Ends a stream that the chunks did not end (a source whose size is a multiple of the chunk).
  virtual std::optional<std::vector<uint8_t>> finishTransform(HttpErrorPtr* /*error*/) {
    return std::vector<uint8_t>();
  }

  // Source file to destination file through transformChunk, 256 KiB at a time.
  bool transformFile(const std::string& source, const std::string& destination,
                     HttpErrorPtr* error);

  z_stream zStream_{};
  bool streamReady_ = false;

 private:
  const char* verb_;
};

inline constexpr size_t kZlibMinimumBufferStep = 1024;
inline constexpr size_t kZlibFileChunkSize = 262144;
