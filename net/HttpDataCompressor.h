// Writes gzip streams for request bodies: chunk by chunk, all bytes at once, or file to file.
#pragma once

#include <memory>

#include "net/HttpZlibStream.h"

class HttpDataCompressor : public HttpZlibStream {
 public:
  HttpDataCompressor() : HttpZlibStream("Compression") {}
  ~HttpDataCompressor() override;

  // A compressor whose stream is set up.
  static std::unique_ptr<HttpDataCompressor> compressor();

  HttpErrorPtr setupStream() override;
  HttpErrorPtr closeStream() override;

  // The compressed bytes this call produced; with shouldFinish the gzip trailer too. An empty input
  // gives nothing and no error; a zlib failure gives nothing and sets *error.
  std::optional<std::vector<uint8_t>> compressBytes(const uint8_t* bytes, size_t length,
                                                    HttpErrorPtr* error, bool shouldFinish);

  static std::optional<std::vector<uint8_t>> compressData(const std::vector<uint8_t>& data,
                                                          HttpErrorPtr* error);
  static bool compressDataFromFile(const std::string& source, const std::string& destination,
                                   HttpErrorPtr* error);
  static HttpErrorPtr deflateErrorWithCode(int zlibCode);

 protected:
  std::optional<std::vector<uint8_t>> transformChunk(const uint8_t* bytes, size_t length,
                                                     bool isLast, HttpErrorPtr* error) override;
  std::optional<std::vector<uint8_t>> finishTransform(HttpErrorPtr* error) override;

 private:
  std::optional<std::vector<uint8_t>> deflateInput(size_t length, int flush, HttpErrorPtr* error);
  bool finished_ = false;
};
