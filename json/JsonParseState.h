// Everything one decoder keeps while it parses: the input, the position and line, the current
// token, the scratch buffer for strings that need decoding, the stacks of collected items and the
// first error. A decoder reuses it for every parse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "json/JsonError.h"
#include "json/JsonParseOptions.h"
#include "json/JsonTokenCache.h"
#include "json/JsonValueStack.h"
#include "platform/base/Value.h"

enum JsonTokenKind : uint8_t {
  JsonTokenKindInvalid = 0,
  JsonTokenKindNumber = 1,
  JsonTokenKindString = 2,
  JsonTokenKindObjectBegin = 3,
  JsonTokenKindObjectEnd = 4,
  JsonTokenKindArrayBegin = 5,
  JsonTokenKindArrayEnd = 6,
  JsonTokenKindSeparator = 7,  // ':'
  JsonTokenKindComma = 8,
  JsonTokenKindTrue = 9,
  JsonTokenKindFalse = 10,
  JsonTokenKindNull = 11,
};

// Kinds of a scalar token's value.
enum JsonValueKind : uint8_t {
  JsonValueKindString = 5,
  JsonValueKindLongLong = 7,
  JsonValueKindUnsignedLongLong = 11,
  JsonValueKindDouble = 13,
};

struct JsonTokenValue {
  std::string_view bytes;  // a string's decoded UTF-8 (into the input or the scratch buffer)
  JsonValueKind kind = JsonValueKindString;
  union {
    int64_t longLongValue;
    uint64_t unsignedLongLongValue;
    double doubleValue;
  } number{};
};

struct JsonParseToken {
  const unsigned char* text = nullptr;  // the token's bytes in the input
  size_t textLength = 0;
  JsonTokenKind kind = JsonTokenKindInvalid;
  JsonTokenValue value;
};

// A dictionary key waiting for its dictionary, with the hash that places it. The value keeps
// the text alive; the dictionary reads the text.
struct JsonPendingKey {
  plat::Value key;
  const std::string* text;
  uint64_t hash;
};

// The items of all open containers; each container remembers the tops at its start. Values are
// made as they are read and moved into their container when it closes.
struct JsonObjectStack {
  JsonValueStack values;
  std::vector<JsonPendingKey> keys;
};

struct JsonParseState {
  JsonParseOptionFlags options = 0;
  const unsigned char* input = nullptr;  // the caller's bytes, never copied
  size_t length = 0;
  size_t atIndex = 0;
  size_t lineNumber = 1;
  JsonParseToken token;
  std::string scratch;  // strings with escapes or replaced bytes are decoded here
  JsonObjectStack stack;
  JsonTokenCache cache;
  // The group an immutable result's strings and containers are made in, during its parse.
  plat::ValueGroup* group = nullptr;
  std::optional<JsonError> error;  // the first error of the parse
  bool mutableCollections = false;
};

// Keeps the first error of a parse and ignores later ones.
void jsonRecordError(JsonParseState& state, std::string message);

// Runs one parse over the bytes with the state's options and leaves the state ready for the next.
plat::Value jsonDecode(JsonParseState& state, const unsigned char* bytes, size_t length,
                       bool mutableCollections, JsonError* error);

// A parse state of the calling thread, for the one-call entry points: they hold no values between
// calls, so making a decoder for each call would only cost time. Raises for invalid options.
JsonParseState& jsonThreadParseState(JsonParseOptionFlags options);
