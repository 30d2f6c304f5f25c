// One parse of a decoder: reads the top-level container and builds the tree of values, arrays and
// dictionaries through the object stack, with the fixed error texts of each misplaced token.
#pragma once

#include <cstddef>

#include "json/JsonParseState.h"
#include "platform/base/Value.h"

class JsonParser {
 public:
  // Deeper input is refused with an error instead of running the thread out of stack.
  static constexpr size_t kMaxDepth = 512;

  explicit JsonParser(JsonParseState& state) : state_(state) {}

  // The decoded tree, or null with the first error recorded in the state.
  plat::Value parse();

 private:
  enum Expect : unsigned { ExpectValue = 1, ExpectComma = 2, ExpectClose = 4 };

  // Pushes the value that starts with the current token onto the stack.
  bool pushValue(size_t depth);
  bool parseArray(plat::Value& out, size_t depth);
  bool parseDictionary(plat::Value& out, size_t depth);
  bool unexpected(const char* message);
  bool expectedSet(unsigned expect, const char* valueWord, const char* closeWord);
  void pushScalar();

  JsonParseState& state_;
};
