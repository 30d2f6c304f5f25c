// Decoding in one line for the tests (the value and the error of one call), and raised errors.
#pragma once

#include <gtest/gtest.h>

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

// Runs `fn`, which must raise the named exception with the reason.
template <typename Fn>
void expectRaise(Fn fn, const std::string& name, const std::string& reason) {
  try {
    fn();
    ADD_FAILURE() << "no exception, expected: " << reason;
  } catch (const plat::NamedException& e) {
    EXPECT_EQ(e.name(), name);
    EXPECT_EQ(e.reason(), reason);
  }
}

inline const char* kUnexpectedToken =
    "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', "
    "'\"STRING\"', 'NUMBER'.";
