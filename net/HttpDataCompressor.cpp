#include "net/HttpDataCompressor.h"

#include <algorithm>

HttpDataCompressor::~HttpDataCompressor() {
  closeStream();
}

std::unique_ptr<HttpDataCompressor> HttpDataCompressor::compressor() {
  auto compressor = std::make_unique<HttpDataCompressor>();
  compressor->setupStream();
  return compressor;
}

HttpErrorPtr HttpDataCompressor::setupStream() {
  if (streamReady_) return nullptr;
  zStream_ = z_stream{};
  // Window bits 31: a 32 KiB window with a gzip header and trailer.
  int status =
      deflateInit2(&zStream_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
  if (status != Z_OK) return errorWithCode(status);
  streamReady_ = true;
  finished_ = false;
  return nullptr;
}

HttpErrorPtr HttpDataCompressor::closeStream() {
  if (!streamReady_) return nullptr;
  streamReady_ = false;
  int status = deflateEnd(&zStream_);
  // A stream closed before its end reports Z_DATA_ERROR; that is no failure of closing.
  if (status != Z_OK && status != Z_DATA_ERROR) return errorWithCode(status);
  return nullptr;
}

std::optional<std::vector<uint8_t>> HttpDataCompressor::deflateInput(size_t length, int flush,
                                                                     HttpErrorPtr* error) {
  const size_t step = std::max(length / 2, kZlibMinimumBufferStep);
  std::vector<uint8_t> out(step);
  const uLong totalBefore = zStream_.total_out;
  for (;;) {
    prepareOutput(out, zStream_.total_out - totalBefore, step);
    int status = deflate(&zStream_, flush);
    if (status == Z_STREAM_END) {
      finished_ = true;
      break;
    }
    if (status != Z_OK && !(status == Z_BUF_ERROR && zStream_.avail_out > 0)) {
      if (error) *error = errorWithCode(status);
      return std::nullopt;
    }
    if (zStream_.avail_out != 0) break;
  }
  out.resize(zStream_.total_out - totalBefore);
  return out;
}

std::optional<std::vector<uint8_t>> HttpDataCompressor::compressBytes(const uint8_t* bytes,
                                                                      size_t length,
                                                                      HttpErrorPtr* error,
                                                                      bool shouldFinish) {
  if (length == 0 || !streamReady_) return std::nullopt;
  zStream_.next_in = const_cast<Bytef*>(bytes);
  zStream_.avail_in = static_cast<uInt>(length);
  return deflateInput(length, shouldFinish ? Z_FINISH : Z_NO_FLUSH, error);
}

std::optional<std::vector<uint8_t>> HttpDataCompressor::compressData(
    const std::vector<uint8_t>& data, HttpErrorPtr* error) {
  auto compressor = HttpDataCompressor::compressor();
  if (!compressor->streamReady()) {
    if (error) *error = compressor->setupStream();
    return std::nullopt;
  }
  auto result = compressor->compressBytes(data.data(), data.size(), error, true);
  if (!result) return std::nullopt;
  HttpErrorPtr closeError = compressor->closeStream();
  if (closeError) {
    if (error) *error = closeError;
    return std::nullopt;
  }
  return result;
}

bool HttpDataCompressor::compressDataFromFile(const std::string& source,
                                              const std::string& destination, HttpErrorPtr* error) {
  HttpDataCompressor compressor;
  return compressor.transformFile(source, destination, error);
}

HttpErrorPtr HttpDataCompressor::deflateErrorWithCode(int zlibCode) {
  return HttpDataCompressor().errorWithCode(zlibCode);
}

std::optional<std::vector<uint8_t>> HttpDataCompressor::transformChunk(const uint8_t* bytes,
                                                                       size_t length, bool isLast,
                                                                       HttpErrorPtr* error) {
  return compressBytes(bytes, length, error, isLast);
}

std::optional<std::vector<uint8_t>> HttpDataCompressor::finishTransform(HttpErrorPtr* error) {
  if (finished_) return std::vector<uint8_t>();
  zStream_.next_in = nullptr;
  zStream_.avail_in = 0;
  return deflateInput(0, Z_FINISH, error);
}
