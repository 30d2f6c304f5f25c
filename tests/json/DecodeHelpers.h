// Decoding in one line for the tests: the value and the error of one call.
#pragma once

#include <string>

#include "json/JsonCodec.h"
#include "platform/base/NamedException.h"

struct Decoded {
  plat::Value value;
  JsonError error;
  bool failed() const { return value.isNull(); }
};

inline Decoded decodeJson(const std::string& text, JsonParseOptionFlags options = JsonParseStrict) {
  Decoded result;
  result.value = objectFromJSONStringWithParseOptions(text, options, &result.error);
  return result;
}

inline const char* kUnexpectedToken =
    "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', "
    "'\"STRING\"', 'NUMBER'.";
