// Base64 over bytes and text: the standard alphabet of RFC 4648 section 4 (always padded) and the
// URL- and file-name-safe alphabet of section 5 (padding optional). Output has no line breaks;
// decoding skips white space and refuses anything else out of place, including stray low bits in
// the last character. Empty input and failures give no result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class Base64Codec {
 public:
  using Bytes = std::vector<uint8_t>;

  static std::optional<Bytes> encodeData(const Bytes& data);
  static std::optional<Bytes> encodeBytes(const void* bytes, size_t length);
  static std::optional<std::string> stringByEncodingData(const Bytes& data);
  static std::optional<std::string> stringByEncodingBytes(const void* bytes, size_t length);
  // Padding required.
  static std::optional<Bytes> decodeData(const Bytes& data);
  static std::optional<Bytes> decodeBytes(const void* bytes, size_t length);
  static std::optional<Bytes> decodeString(const std::string& text);  // ASCII text only

  static std::optional<Bytes> webSafeEncodeData(const Bytes& data, bool padded);
  static std::optional<Bytes> webSafeEncodeBytes(const void* bytes, size_t length, bool padded);
  static std::optional<std::string> stringByWebSafeEncodingData(const Bytes& data, bool padded);
  static std::optional<std::string> stringByWebSafeEncodingBytes(const void* bytes, size_t length,
                                                                 bool padded);
  // Padding not required.
  static std::optional<Bytes> webSafeDecodeData(const Bytes& data);
  static std::optional<Bytes> webSafeDecodeBytes(const void* bytes, size_t length);
  static std::optional<Bytes> webSafeDecodeString(const std::string& text);

 private:
  static std::optional<Bytes> baseEncode(const void* bytes, size_t length, const char* charset,
                                         bool padded);
  static std::optional<Bytes> baseDecode(const void* bytes, size_t length,
                                         const uint8_t* decodeTable, bool requirePadding);
  // The workers: the number of bytes written, 0 on failure.
  static size_t baseEncode(const uint8_t* src, size_t srcLen, uint8_t* destBytes, size_t destLen,
                           const char* charset, bool padded);
  static size_t baseDecode(const uint8_t* src, size_t srcLen, uint8_t* destBytes, size_t destLen,
                           const uint8_t* decodeTable, bool requirePadding);
};
