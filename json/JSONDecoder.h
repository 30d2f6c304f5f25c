// Decodes UTF-8 JSON text into plat::Value trees: JsonDictionary for objects, JsonArray for arrays,
// strings, signed or unsigned 64-bit integers, doubles, booleans and null. The top level must be an
// object or an array. Bad input gives a null value and, if asked, the first error with its byte
// index and line number; exceptions are raised only for programming errors. A decoder belongs to
// one thread at a time.
#pragma once

#include <cstddef>
#include <memory>

#include "json/JsonError.h"
#include "json/JsonParseOptions.h"
#include "platform/base/Value.h"

struct JsonParseState;

class JSONDecoder {
 public:
  static std::unique_ptr<JSONDecoder> decoder();
  static std::unique_ptr<JSONDecoder> decoderWithParseOptions(JsonParseOptionFlags options);

  // Options of 16 or more raise "Invalid parse options.".
  explicit JSONDecoder(JsonParseOptionFlags options = JsonParseStrict);
  ~JSONDecoder();
  JSONDecoder(const JSONDecoder&) = delete;
  JSONDecoder& operator=(const JSONDecoder&) = delete;

  // A null `bytes` raises "The string argument is NULL."; `error` is written only on failure.
  plat::Value objectWithUTF8String(const char* bytes, size_t length, JsonError* error = nullptr);
  plat::Value mutableObjectWithUTF8String(const char* bytes, size_t length,
                                          JsonError* error = nullptr);
  plat::Value objectWithData(const plat::Value::Bytes& data, JsonError* error = nullptr);
  plat::Value mutableObjectWithData(const plat::Value::Bytes& data, JsonError* error = nullptr);
  plat::Value parseUTF8String(const char* bytes, size_t length, JsonError* error = nullptr) {
    return objectWithUTF8String(bytes, length, error);
  }
  plat::Value parseJSONData(const plat::Value::Bytes& data, JsonError* error = nullptr) {
    return objectWithData(data, error);
  }

  // Forgets the strings kept for reuse across parses; later parses make them anew. Does nothing
  // once the parse state is released.
  void clearCache();

  // Frees the parse state at once; decoding afterwards raises "parseState is NULL.".
  void releaseParseState();

 private:
  plat::Value decode(const unsigned char* bytes, size_t length, bool mutableCollections,
                     JsonError* error);

  std::unique_ptr<JsonParseState> parseState_;
};
