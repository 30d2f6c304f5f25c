// One parse of a decoder: reads the top-level container and builds the tree of values, arrays and
// dictionaries through the object stack, with the fixed error texts of each misplaced token.
// Values are made as they are read and wait on the stack until their container closes.
#pragma once

#include <cstddef>
#include <string_view>

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

  // The tops of the stack's parts when a container starts; it leaves them as it found them.
  struct Marks {
    size_t values, keys;
  };

  // A container's parse ends, when it succeeds, with the container pending on the stack.
  bool parseArray(size_t depth);
  bool parseDictionary(size_t depth);
  // Numbers, strings and commas, the bulk of a document, are read straight from their first byte
  // where the grammar allows them; everything else, and every error message, takes the token path.
  enum class Step { Taken, NotTaken, Failed };
  Step plainValueStep();  // a number or a string where a value may come, pushed
  // After an array's value, the numbers and short plain strings that follow as ",123" or ",\"a\""
  // with no space, as machine-written JSON has them, pushed; after a dictionary's pair, the pairs
  // of a short plain key and such a value that follow as ",\"k\":1". The position stays in a
  // register instead of in the parse state, which every value stored on the stack might alias.
  void takeCompactValues();
  void takeCompactPairs();
  size_t compactValueAt(size_t start, plat::Value& value);
  bool takeByte(unsigned char byte);  // the byte after plain white space, consumed
  // A key that starts with a quote where the grammar allows one, and its value, pushed.
  Step plainPairStep(size_t depth, unsigned expect);
  // After a dictionary's key: the ':' and the value, pushed.
  bool pairAfterKey(size_t depth, unsigned expect);
  void pushKey(std::string_view keyBytes);
  // Pushes the value that starts with the current token onto the stack.
  bool pushValue(size_t depth);
  bool pushContainer(size_t depth);  // the same for '[' or '{'
  template <typename Stack>
  static void growStack(Stack& stack);
  plat::Value scalarValue();  // of the current token, not a container
  // The string value of decoded bytes, shared through the cache when short.
  plat::Value makeString(std::string_view bytes);
  // Pushes with room grown by half, not doubled: the stack is part of the peak of a large decode.
  static void pushWithRoom(JsonValueStack& stack, plat::Value&& value);
  static void pushWithRoom(std::vector<JsonPendingKey>& stack, JsonPendingKey&& key);
  Marks marks() const;
  void rewind(const Marks& marks);
  bool unexpected(const char* message);
  bool expectedSet(unsigned expect, const char* valueWord, const char* closeWord);

  JsonParseState& state_;
};
