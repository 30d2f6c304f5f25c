// Feeds arbitrary bytes to both Base64 decoders. What decodes must be the canonical text of its
// bytes: encoding the bytes again gives the input without its skipped bytes (and, for the web-safe
// alphabet, without padding), so no two texts decode to the same bytes by accident.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "json/Base64Codec.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

// The input as the decoder reads it: up to a 0x00 byte, without the skipped bytes.
std::string significant(const uint8_t* data, size_t size, bool dropPadding) {
  std::string kept;
  for (size_t i = 0; i < size && data[i] != 0; ++i) {
    uint8_t c = data[i];
    bool skipped = c == 0x09 || c == 0x0A || c == 0x0B || c == 0x0C || c == 0x0D || c == 0x20 ||
                   c == 0xA0 || c == 0xFF;
    if (skipped || (dropPadding && c == '=')) continue;
    kept += static_cast<char>(c);
  }
  return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (auto bytes = Base64Codec::decodeBytes(data, size)) {
    check(!bytes->empty());
    check(Base64Codec::stringByEncodingData(*bytes).value() == significant(data, size, false));
    check(Base64Codec::decodeData(Base64Codec::encodeData(*bytes).value()).value() == *bytes);
  }
  if (auto bytes = Base64Codec::webSafeDecodeBytes(data, size)) {
    check(!bytes->empty());
    check(Base64Codec::stringByWebSafeEncodingData(*bytes, false).value() ==
          significant(data, size, true));
    check(Base64Codec::webSafeDecodeData(Base64Codec::webSafeEncodeData(*bytes, true).value())
              .value() == *bytes);
  }
  // Encoding never fails on non-empty input and always decodes back.
  if (size > 0) {
    auto encoded = Base64Codec::webSafeEncodeBytes(data, size, size % 2 == 0);
    check(encoded.has_value());
    check(Base64Codec::webSafeDecodeData(*encoded).value() ==
          Base64Codec::Bytes(data, data + size));
  }
  return 0;
}
