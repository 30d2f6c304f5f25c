// Reads gzip or zlib streams of response bodies: chunk by chunk as they arrive, all bytes at once,
// or file to file.
#pragma once

#include <memory>

#include "net/HttpZlibStream.h"

class HttpDataDecompressor : public HttpZlibStream {
 public:
  HttpDataDecompressor() : HttpZlibStream("Decompression") {}
  ~HttpDataDecompressor() override;

  // A decompressor whose stream is set up.
  static std::unique_ptr<HttpDataDecompressor> decompressor();

  HttpErrorPtr setupStream() override;
  HttpErrorPtr closeStream() override;

  // The inflated bytes this chunk gave. A stream that is not complete keeps its state for the
  // next chunk. A gzip body may be several members one after another: bytes after a member's end
  // that begin as a gzip member does are inflated as the next one; any other bytes after the end
  // are ignored. An empty input gives nothing and no error; a zlib failure gives nothing and sets
  // *error.
  std::optional<std::vector<uint8_t>> uncompressBytes(const uint8_t* bytes, size_t length,
                                                      HttpErrorPtr* error);
  // Inflating stops with an error once the stream gave more than `bytes` in all (0: no limit),
  // so a small hostile body cannot unfold into gigabytes.
  void setOutputLimit(uint64_t bytes) { outputLimit_ = bytes; }
  // The end of the last member begun (the gzip trailer with its check) has been read. A body
  // whose bytes ran out before it was cut short, however its framing ended: the one-call and file
  // forms fail then.
  bool streamEnded() const { return streamEnded_; }
  // The error of a stream that ran out before its end.
  static HttpErrorPtr truncatedStreamError();

  static std::optional<std::vector<uint8_t>> uncompressData(const std::vector<uint8_t>& data,
                                                            HttpErrorPtr* error,
                                                            uint64_t outputLimit = 0);
  static bool uncompressDataFromFile(const std::string& source, const std::string& destination,
                                     HttpErrorPtr* error, uint64_t outputLimit = 0);
  static HttpErrorPtr inflateErrorWithCode(int zlibCode);

 private:
  // After a member's end: true when `bytes` begin the next member, which is then set up.
  bool startNextMember(const uint8_t* bytes, size_t length);

  uint64_t outputLimit_ = 0;
  uint64_t inflatedSoFar_ = 0;  // over all members; zlib's own total starts again with each
  bool streamEnded_ = false;
  bool heldMemberByte_ = false;   // a chunk ended on the first byte of a member's gzip id
  bool trailingIgnored_ = false;  // what followed the end was no member: the rest is ignored

 protected:
  std::optional<std::vector<uint8_t>> transformChunk(const uint8_t* bytes, size_t length,
                                                     bool isLast, HttpErrorPtr* error) override;
  std::optional<std::vector<uint8_t>> finishTransform(HttpErrorPtr* error) override;
};
