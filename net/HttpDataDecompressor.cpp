#include "net/HttpDataDecompressor.h"

#include <algorithm>

namespace {

// The two bytes every gzip member begins with.
constexpr uint8_t kGzipId1 = 0x1f, kGzipId2 = 0x8b;

}  // namespace

HttpDataDecompressor::~HttpDataDecompressor() {
  closeStream();
}

std::unique_ptr<HttpDataDecompressor> HttpDataDecompressor::decompressor() {
  auto decompressor = std::make_unique<HttpDataDecompressor>();
  decompressor->setupStream();
  return decompressor;
}

HttpErrorPtr HttpDataDecompressor::setupStream() {
  if (streamReady_) return nullptr;
  zStream_ = z_stream{};
  inflatedSoFar_ = 0;
  streamEnded_ = heldMemberByte_ = trailingIgnored_ = false;
  // Window bits 47: a 32 KiB window, gzip or zlib header detected.
  int status = inflateInit2(&zStream_, 47);
  if (status != Z_OK) return errorWithCode(status);
  streamReady_ = true;
  return nullptr;
}

HttpErrorPtr HttpDataDecompressor::closeStream() {
  if (!streamReady_) return nullptr;
  streamReady_ = false;
  int status = inflateEnd(&zStream_);
  if (status != Z_OK) return errorWithCode(status);
  return nullptr;
}

std::optional<std::vector<uint8_t>> HttpDataDecompressor::uncompressBytes(const uint8_t* bytes,
                                                                          size_t length,
                                                                          HttpErrorPtr* error) {
  if (length == 0 || !streamReady_) return std::nullopt;
  std::vector<uint8_t> joined;
  if (streamEnded_) {
    if (heldMemberByte_) {
      joined.reserve(length + 1);
      joined.push_back(kGzipId1);
      joined.insert(joined.end(), bytes, bytes + length);
      bytes = joined.data();
      length = joined.size();
      heldMemberByte_ = false;
    }
    if (!startNextMember(bytes, length)) return std::vector<uint8_t>();
  }
  zStream_.next_in = const_cast<Bytef*>(bytes);
  zStream_.avail_in = static_cast<uInt>(length);

  const size_t step = std::max(length / 2, kZlibMinimumBufferStep);
  std::vector<uint8_t> out(std::max(length + length / 2, kZlibMinimumBufferStep));
  size_t produced = 0;
  for (;;) {
    prepareOutput(out, produced, step);
    int status = inflate(&zStream_, Z_NO_FLUSH);
    const size_t madeNow = static_cast<size_t>(zStream_.next_out - out.data()) - produced;
    produced += madeNow;
    inflatedSoFar_ += madeNow;
    if (outputLimit_ > 0 && inflatedSoFar_ > outputLimit_) {
      if (error) {
        *error =
            HttpError::make(kHttpCompressionFailure, "Decompression gave more than " +
                                                         std::to_string(outputLimit_) + " bytes");
      }
      return std::nullopt;
    }
    if (status == Z_STREAM_END) {
      streamEnded_ = true;
      if (startNextMember(zStream_.next_in, zStream_.avail_in)) continue;
      break;
    }
    // No input left and no output possible: the stream waits for the next chunk.
    if (status == Z_BUF_ERROR && zStream_.avail_in == 0) break;
    if (status != Z_OK) {
      if (error) *error = errorWithCode(status);
      return std::nullopt;
    }
    // A filled buffer may hold back more output even when all input was taken.
    if (zStream_.avail_in == 0 && zStream_.avail_out != 0) break;
  }
  out.resize(produced);
  return out;
}

// Padding or junk after a body's end is ignored for good, even should it later look like a member.
bool HttpDataDecompressor::startNextMember(const uint8_t* bytes, size_t length) {
  if (length == 0 || trailingIgnored_) return false;
  if (bytes[0] != kGzipId1 || (length > 1 && bytes[1] != kGzipId2)) {
    trailingIgnored_ = true;
    return false;
  }
  if (length == 1) {
    heldMemberByte_ = true;  // the next chunk tells
    return false;
  }
  // A fresh member: inflateReset keeps the input and the window bits of the set-up.
  if (inflateReset(&zStream_) != Z_OK) return false;
  streamEnded_ = false;
  return true;
}

std::optional<std::vector<uint8_t>> HttpDataDecompressor::uncompressData(
    const std::vector<uint8_t>& data, HttpErrorPtr* error, uint64_t outputLimit) {
  auto decompressor = HttpDataDecompressor::decompressor();
  decompressor->setOutputLimit(outputLimit);
  if (!decompressor->streamReady()) {
    if (error) *error = decompressor->setupStream();
    return std::nullopt;
  }
  auto result = decompressor->uncompressBytes(data.data(), data.size(), error);
  if (!result) return std::nullopt;
  if (!decompressor->streamEnded()) {
    if (error) *error = truncatedStreamError();
    return std::nullopt;
  }
  HttpErrorPtr closeError = decompressor->closeStream();
  if (closeError) {
    if (error) *error = closeError;
    return std::nullopt;
  }
  return result;
}

bool HttpDataDecompressor::uncompressDataFromFile(const std::string& source,
                                                  const std::string& destination,
                                                  HttpErrorPtr* error, uint64_t outputLimit) {
  HttpDataDecompressor decompressor;
  decompressor.setOutputLimit(outputLimit);
  return decompressor.transformFile(source, destination, error);
}

HttpErrorPtr HttpDataDecompressor::inflateErrorWithCode(int zlibCode) {
  return HttpDataDecompressor().errorWithCode(zlibCode);
}

// zlib's word for input that stopped short of the end.
HttpErrorPtr HttpDataDecompressor::truncatedStreamError() {
  return inflateErrorWithCode(Z_BUF_ERROR);
}

// The source ran out: unless the stream ended on the way, what was written is a cut-off body.
std::optional<std::vector<uint8_t>> HttpDataDecompressor::finishTransform(HttpErrorPtr* error) {
  if (streamEnded_) return std::vector<uint8_t>();
  if (error) *error = truncatedStreamError();
  return std::nullopt;
}

std::optional<std::vector<uint8_t>> HttpDataDecompressor::transformChunk(const uint8_t* bytes,
                                                                         size_t length, bool,
                                                                         HttpErrorPtr* error) {
  return uncompressBytes(bytes, length, error);
}
