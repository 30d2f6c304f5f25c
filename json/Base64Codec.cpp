#include "json/Base64Codec.h"

#include <array>

namespace {

constexpr char kBase64EncodeChars[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kWebSafeBase64EncodeChars[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr uint8_t kPad = '=';
constexpr uint8_t kInvalid = 99;

constexpr std::array<uint8_t, 256> decodeTable(const char* alphabet) {
  std::array<uint8_t, 256> table{};
  for (auto& entry : table) entry = kInvalid;
  for (uint8_t i = 0; i < 64; ++i) table[static_cast<uint8_t>(alphabet[i])] = i;
  return table;
}

constexpr std::array<uint8_t, 256> kBase64DecodeChars = decodeTable(kBase64EncodeChars);
constexpr std::array<uint8_t, 256> kWebSafeBase64DecodeChars =
    decodeTable(kWebSafeBase64EncodeChars);

// Bytes skipped anywhere in the text: white space, and 0xA0 and 0xFF.
constexpr std::array<bool, 256> kSpaces = [] {
  std::array<bool, 256> table{};
  for (uint8_t c : {0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x20, 0xA0, 0xFF}) table[c] = true;
  return table;
}();

size_t encodedLength(size_t length, bool padded) {
  size_t characters = (length * 8 + 5) / 6;
  return padded ? (characters + 3) / 4 * 4 : characters;
}

std::optional<std::string> asString(std::optional<Base64Codec::Bytes> bytes) {
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

}  // namespace

size_t Base64Codec::baseEncode(const uint8_t* src, size_t srcLen, uint8_t* destBytes,
                               size_t destLen, const char* charset, bool padded) {
  if (srcLen == 0 || destLen < encodedLength(srcLen, padded)) return 0;
  size_t out = 0;
  size_t i = 0;
  for (; i + 3 <= srcLen; i += 3) {
    uint32_t group = src[i] << 16 | src[i + 1] << 8 | src[i + 2];
    destBytes[out++] = charset[group >> 18];
    destBytes[out++] = charset[(group >> 12) & 0x3F];
    destBytes[out++] = charset[(group >> 6) & 0x3F];
    destBytes[out++] = charset[group & 0x3F];
  }
  size_t left = srcLen - i;
  if (left > 0) {
    uint32_t group = src[i] << 16 | (left == 2 ? src[i + 1] << 8 : 0);
    destBytes[out++] = charset[group >> 18];
    destBytes[out++] = charset[(group >> 12) & 0x3F];
    if (left == 2) destBytes[out++] = charset[(group >> 6) & 0x3F];
    if (padded) {
      destBytes[out++] = kPad;
      if (left == 1) destBytes[out++] = kPad;
    }
  }
  return out;
}

size_t Base64Codec::baseDecode(const uint8_t* src, size_t srcLen, uint8_t* destBytes,
                               size_t destLen, const uint8_t* decodeTable, bool requirePadding) {
  size_t out = 0;
  uint32_t group = 0;
  size_t pending = 0;  // characters of the current group of four
  size_t i = 0;
  bool padded = false;
  for (; i < srcLen && src[i] != 0; ++i) {
    uint8_t c = src[i];
    if (kSpaces[c]) continue;
    if (c == kPad) {
      padded = true;
      break;
    }
    uint8_t value = decodeTable[c];
    if (c >= 0x80 || value == kInvalid) return 0;
    group = group << 6 | value;
    if (++pending == 4) {
      if (out + 3 > destLen) return 0;
      destBytes[out++] = static_cast<uint8_t>(group >> 16);
      destBytes[out++] = static_cast<uint8_t>(group >> 8);
      destBytes[out++] = static_cast<uint8_t>(group);
      group = 0;
      pending = 0;
    }
  }
  if (padded) {
    // One pad after three characters, two after two; then only skipped bytes.
    if (pending < 2) return 0;
    size_t pads = 4 - pending;
    for (++i; pads > 1 && i < srcLen && src[i] != 0; ++i) {
      if (kSpaces[src[i]]) continue;
      if (src[i] != kPad) return 0;
      --pads;
    }
    if (pads > 1) return 0;
    for (; i < srcLen && src[i] != 0; ++i)
      if (!kSpaces[src[i]]) return 0;
  } else if (pending == 1 || (requirePadding && pending != 0)) {
    return 0;
  }
  if (pending > 0) {
    // The leftover low bits of the last character must be zero.
    size_t bytes = pending - 1;
    size_t strayBits = pending * 6 - bytes * 8;
    if (group & ((1u << strayBits) - 1)) return 0;
    group >>= strayBits;
    if (out + bytes > destLen) return 0;
    for (size_t k = bytes; k > 0; --k)
      destBytes[out++] = static_cast<uint8_t>(group >> (8 * (k - 1)));
  }
  return out;
}

std::optional<Base64Codec::Bytes> Base64Codec::baseEncode(const void* bytes, size_t length,
                                                          const char* charset, bool padded) {
  Bytes out(encodedLength(length, padded));
  size_t written = baseEncode(static_cast<const uint8_t*>(bytes), length, out.data(), out.size(),
                              charset, padded);
  if (written == 0) return std::nullopt;
  out.resize(written);
  return out;
}

std::optional<Base64Codec::Bytes> Base64Codec::baseDecode(const void* bytes, size_t length,
                                                          const uint8_t* decodeTable,
                                                          bool requirePadding) {
  Bytes out((length + 3) / 4 * 3);
  size_t written = baseDecode(static_cast<const uint8_t*>(bytes), length, out.data(), out.size(),
                              decodeTable, requirePadding);
  if (written == 0) return std::nullopt;
  out.resize(written);
  return out;
}

std::optional<Base64Codec::Bytes> Base64Codec::encodeData(const Bytes& data) {
  return encodeBytes(data.data(), data.size());
}

std::optional<Base64Codec::Bytes> Base64Codec::encodeBytes(const void* bytes, size_t length) {
  return baseEncode(bytes, length, kBase64EncodeChars, true);
}

std::optional<std::string> Base64Codec::stringByEncodingData(const Bytes& data) {
  return asString(encodeData(data));
}

std::optional<std::string> Base64Codec::stringByEncodingBytes(const void* bytes, size_t length) {
  return asString(encodeBytes(bytes, length));
}

std::optional<Base64Codec::Bytes> Base64Codec::decodeData(const Bytes& data) {
  return decodeBytes(data.data(), data.size());
}

std::optional<Base64Codec::Bytes> Base64Codec::decodeBytes(const void* bytes, size_t length) {
  return baseDecode(bytes, length, kBase64DecodeChars.data(), true);
}

std::optional<Base64Codec::Bytes> Base64Codec::decodeString(const std::string& text) {
  for (unsigned char c : text)
    if (c >= 0x80) return std::nullopt;  // not ASCII text
  return decodeBytes(text.data(), text.size());
}

std::optional<Base64Codec::Bytes> Base64Codec::webSafeEncodeData(const Bytes& data, bool padded) {
  return webSafeEncodeBytes(data.data(), data.size(), padded);
}

std::optional<Base64Codec::Bytes> Base64Codec::webSafeEncodeBytes(const void* bytes, size_t length,
                                                                  bool padded) {
  return baseEncode(bytes, length, kWebSafeBase64EncodeChars, padded);
}

std::optional<std::string> Base64Codec::stringByWebSafeEncodingData(const Bytes& data,
                                                                    bool padded) {
  return asString(webSafeEncodeData(data, padded));
}

std::optional<std::string> Base64Codec::stringByWebSafeEncodingBytes(const void* bytes,
                                                                     size_t length, bool padded) {
  return asString(webSafeEncodeBytes(bytes, length, padded));
}

std::optional<Base64Codec::Bytes> Base64Codec::webSafeDecodeData(const Bytes& data) {
  return webSafeDecodeBytes(data.data(), data.size());
}

std::optional<Base64Codec::Bytes> Base64Codec::webSafeDecodeBytes(const void* bytes,
                                                                  size_t length) {
  return baseDecode(bytes, length, kWebSafeBase64DecodeChars.data(), false);
}

std::optional<Base64Codec::Bytes> Base64Codec::webSafeDecodeString(const std::string& text) {
  for (unsigned char c : text)
    if (c >= 0x80) return std::nullopt;
  return webSafeDecodeBytes(text.data(), text.size());
}
