#include "json/JsonParser.h"

#include <string>

#include "json/JsonArray.h"
#include "json/JsonDictionary.h"
#include "json/JsonTokenizer.h"

namespace {

bool isValueToken(JsonTokenKind kind) {
  constexpr unsigned kValueKinds = 1u << JsonTokenKindNumber | 1u << JsonTokenKindString |
                                   1u << JsonTokenKindObjectBegin | 1u << JsonTokenKindArrayBegin |
                                   1u << JsonTokenKindTrue | 1u << JsonTokenKindFalse |
                                   1u << JsonTokenKindNull;
  return kValueKinds >> kind & 1;
}

}  // namespace

plat::Value JsonParser::parse() {
  plat::Value result;
  bool built = false;
  Marks start = marks();
  if (state_.length > 0 && jsonNextToken(state_)) {
    JsonTokenKind kind = state_.token.kind;
    if (kind == JsonTokenKindArrayBegin || kind == JsonTokenKindObjectBegin) {
      built = kind == JsonTokenKindArrayBegin ? parseArray(1) : parseDictionary(1);
      if (built) {
        // A copy: the stack holds the tree as a member of its group, the caller needs a count.
        result = state_.stack.values.back();
        jsonSkipWhitespace(state_);
        if (state_.atIndex < state_.length && !(state_.options & JsonParseFlagTrailingText)) {
          jsonRecordError(state_,
                          "A valid JSON object was parsed but there were additional "
                          "non-white-space characters remaining.");
          built = false;
        }
      }
    } else {
      jsonRecordError(state_, "Expected either '[' or '{'.");
    }
  }
  rewind(start);
  if (!built) {
    if (state_.atIndex == state_.length) jsonRecordError(state_, "Reached the end of the buffer.");
    jsonRecordError(state_, "Unable to parse JSON.");
    return plat::Value();
  }
  return result;
}

bool JsonParser::unexpected(const char* message) {
  jsonRecordError(state_, message);
  return false;
}

bool JsonParser::expectedSet(unsigned expect, const char* valueWord, const char* closeWord) {
  const char* words[3];
  size_t count = 0;
  if (expect & ExpectValue) words[count++] = valueWord;
  if (expect & ExpectComma) words[count++] = "a comma";
  if (expect & ExpectClose) words[count++] = closeWord;
  std::string message = "Expected ";
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) message += " or ";
    message += words[i];
  }
  message += ", not '";
  message.append(reinterpret_cast<const char*>(state_.token.text), state_.token.textLength);
  message += "'";
  jsonRecordError(state_, std::move(message));
  return false;
}

JsonParser::Marks JsonParser::marks() const {
  return {state_.stack.values.size(), state_.stack.keys.size()};
}

void JsonParser::rewind(const Marks& marks) {
  state_.stack.values.shrinkTo(marks.values);
  state_.stack.keys.resize(marks.keys);
}

template <typename Stack>
[[gnu::noinline]] void JsonParser::growStack(Stack& stack) {
  stack.reserve(stack.capacity() + stack.capacity() / 2 + 16);
}

inline void JsonParser::pushWithRoom(JsonValueStack& stack, plat::Value&& value) {
  if (stack.size() == stack.capacity()) [[unlikely]]
    growStack(stack);
  stack.pushWithin(std::move(value));
}

inline void JsonParser::pushWithRoom(std::vector<JsonPendingKey>& stack, JsonPendingKey&& key) {
  if (stack.size() == stack.capacity()) [[unlikely]]
    growStack(stack);
  stack.push_back(std::move(key));
}

plat::Value JsonParser::makeString(std::string_view bytes) {
  if (bytes.size() > JsonTokenCache::kLongestCached)
    return state_.group ? plat::Value::groupString(*state_.group, bytes)
                        : plat::Value(std::string(bytes));
  return state_.cache.string(bytes, JsonDictionary::keyHash(bytes));
}

inline plat::Value JsonParser::scalarValue() {
  const JsonTokenValue& value = state_.token.value;
  switch (state_.token.kind) {
    case JsonTokenKindTrue:
      return plat::Value(true);
    case JsonTokenKindFalse:
      return plat::Value(false);
    case JsonTokenKindNull:
      return plat::Value();
    case JsonTokenKindString:
      return makeString(value.bytes);
    default:
      switch (value.kind) {
        case JsonValueKindLongLong:
          return plat::Value(static_cast<long long>(value.number.longLongValue));
        case JsonValueKindUnsignedLongLong:
          // Only what a signed number cannot hold stays unsigned.
          if (value.number.unsignedLongLongValue <= static_cast<uint64_t>(INT64_MAX))
            return plat::Value(static_cast<long long>(value.number.unsignedLongLongValue));
          return plat::Value(static_cast<unsigned long long>(value.number.unsignedLongLongValue));
        default:
          return plat::Value(value.number.doubleValue);
      }
  }
}

inline bool JsonParser::pushValue(size_t depth) {
  JsonTokenKind kind = state_.token.kind;
  if (kind != JsonTokenKindArrayBegin && kind != JsonTokenKindObjectBegin) [[likely]] {
    pushWithRoom(state_.stack.values, scalarValue());
    return true;
  }
  return pushContainer(depth);
}

bool JsonParser::pushContainer(size_t depth) {
  JsonTokenKind kind = state_.token.kind;
  if (depth >= kMaxDepth) {
    jsonRecordError(state_, "Maximum nesting depth (512) of arrays and objects exceeded.");
    return false;
  }
  return kind == JsonTokenKindArrayBegin ? parseArray(depth + 1) : parseDictionary(depth + 1);
}

[[gnu::always_inline]] inline JsonParser::Step JsonParser::plainValueStep() {
  size_t i = jsonSkipPlainSpace(state_);
  if (i >= state_.length) return Step::NotTaken;
  unsigned char c = state_.input[i];
  bool numeric = (c >= '0' && c <= '9') || c == '-';
  if (!numeric && c != '"') return Step::NotTaken;
  if (plat::Value number; numeric && jsonShortNumber(state_, i, number)) {
    pushWithRoom(state_.stack.values, std::move(number));
    return Step::Taken;
  }
  if (std::string_view bytes; !numeric && jsonShortPlainString(state_, i, bytes)) {
    pushWithRoom(state_.stack.values, makeString(bytes));
    return Step::Taken;
  }
  state_.token.kind = JsonTokenKindInvalid;
  if (!(numeric ? jsonScanNumber(state_, i) : jsonScanString(state_, i))) return Step::Failed;
  pushWithRoom(state_.stack.values, scalarValue());
  return Step::Taken;
}

inline bool JsonParser::takeByte(unsigned char byte) {
  size_t i = jsonSkipPlainSpace(state_);
  if (i >= state_.length || state_.input[i] != byte) return false;
  state_.atIndex = i + 1;
  return true;
}

inline void JsonParser::pushKey(std::string_view keyBytes) {
  // Made now: an escaped key's bytes are in the scratch buffer, which the next string reuses.
  uint64_t hash = JsonDictionary::keyHash(keyBytes);
  JsonTokenCache::Key key = state_.cache.key(keyBytes, hash);
  pushWithRoom(state_.stack.keys, JsonPendingKey{std::move(key.value), key.text, hash});
}

inline bool JsonParser::pairAfterKey(size_t depth, unsigned expect) {
  if (!takeByte(':')) {
    if (!jsonNextToken(state_)) return false;
    if (state_.token.kind != JsonTokenKindSeparator) return unexpected("Expected ':'.");
  }
  Step step = plainValueStep();
  if (step != Step::NotTaken) return step == Step::Taken;
  if (!jsonNextToken(state_)) return false;
  if (!isValueToken(state_.token.kind)) return expectedSet(expect, "a value", "a '}'");
  if (!pushValue(depth)) return unexpected("Internal error: Object == NULL.");
  return true;
}

// A number or a short plain string at `start`, read without the parse state: the position after
// it, or 0. Always inline: as a call of its own, the value and the position go through memory
// again, which costs a long array of numbers about a tenth more.
[[gnu::always_inline]] inline size_t JsonParser::compactValueAt(size_t start, plat::Value& value) {
  const unsigned char* p = state_.input;
  unsigned char c = p[start];
  if ((c >= '0' && c <= '9') || c == '-') return jsonShortNumberAt(p, state_.length, start, value);
  std::string_view bytes;
  if (c != '"') return 0;
  size_t end = jsonShortPlainStringAt(p, state_.length, start, bytes);
  if (end != 0) value = makeString(bytes);
  return end;
}

inline void JsonParser::takeCompactValues() {
  const unsigned char* p = state_.input;
  size_t n = state_.length;
  size_t i = state_.atIndex;
  while (i + 1 < n && p[i] == ',') {
    plat::Value value;
    size_t end = compactValueAt(i + 1, value);
    if (end == 0) break;
    pushWithRoom(state_.stack.values, std::move(value));
    i = end;
  }
  state_.atIndex = i;
}

inline void JsonParser::takeCompactPairs() {
  const unsigned char* p = state_.input;
  size_t n = state_.length;
  size_t i = state_.atIndex;
  while (i + 2 < n && p[i] == ',' && p[i + 1] == '"') {
    std::string_view key;
    size_t colon = jsonShortPlainStringAt(p, n, i + 1, key);
    if (colon == 0 || colon + 1 >= n || p[colon] != ':') break;
    // The key is made before its value, as on the token path; a number is read first, so that
    // nothing is pushed for a pair this road leaves to the other.
    plat::Value value;
    size_t end;
    if (p[colon + 1] == '"') {
      std::string_view bytes;
      end = jsonShortPlainStringAt(p, n, colon + 1, bytes);
      if (end == 0) break;
      pushKey(key);
      value = makeString(bytes);
    } else {
      end = jsonShortNumberAt(p, n, colon + 1, value);
      if (end == 0) break;
      pushKey(key);
    }
    pushWithRoom(state_.stack.values, std::move(value));
    i = end;
  }
  state_.atIndex = i;
}

inline JsonParser::Step JsonParser::plainPairStep(size_t depth, unsigned expect) {
  size_t i = jsonSkipPlainSpace(state_);
  if (i >= state_.length || state_.input[i] != '"') return Step::NotTaken;
  std::string_view key;
  if (!jsonShortPlainString(state_, i, key)) {
    state_.token.kind = JsonTokenKindInvalid;
    if (!jsonScanString(state_, i)) return Step::Failed;
    key = state_.token.value.bytes;
  }
  pushKey(key);
  return pairAfterKey(depth, expect) ? Step::Taken : Step::Failed;
}

bool JsonParser::parseArray(size_t depth) {
  JsonObjectStack& stack = state_.stack;
  Marks start = marks();
  unsigned expect = ExpectValue | ExpectClose;
  while (state_.atIndex < state_.length) {
    if (expect & ExpectValue) {
      Step step = plainValueStep();
      // Then the plain values after plain commas, the bulk of a long array, in a loop of their
      // own. It leaves off where one value at a time through the outer loop would: at the end of
      // the input right after a value or a comma, which leaves the array open without a message
      // of its own, and at a byte other than a comma, which the token path reads.
      while (step == Step::Taken) {
        takeCompactValues();
        expect = ExpectComma | ExpectClose;
        if (state_.atIndex == state_.length) break;
        if (!takeByte(',')) {
          step = Step::NotTaken;
          break;
        }
        expect = ExpectValue;
        if (state_.atIndex == state_.length) break;
        step = plainValueStep();
      }
      if (step == Step::Failed) break;
      if (step == Step::Taken) continue;
    } else if (takeByte(',')) {
      expect = ExpectValue;
      continue;
    }
    if (!jsonNextToken(state_)) break;
    JsonTokenKind kind = state_.token.kind;
    if (isValueToken(kind)) {
      if (!(expect & ExpectValue)) {
        unexpected("Unexpected value.");
        break;
      }
      if (!pushValue(depth)) {
        unexpected("Internal error: Object == NULL");
        break;
      }
      expect = ExpectComma | ExpectClose;
    } else if (kind == JsonTokenKindArrayEnd) {
      if (!(expect & ExpectClose)) {
        unexpected("Unexpected ']'.");
        break;
      }
      size_t count = stack.values.size() - start.values;
      plat::Value* items = stack.values.data() + start.values;
      plat::Value made;
      if (state_.group) {
        made = plat::Value::groupArray(*state_.group,
                                       JsonArray::makeInGroup(items, count, *state_.group));
      } else {
        auto array = JsonArray::make(count, state_.mutableCollections);
        for (size_t i = 0; i < count; ++i) array->makeNext([&] { return std::move(items[i]); });
        made = plat::Value(std::unique_ptr<plat::ArrayStorage>(std::move(array)));
      }
      stack.values.dropMovedAbove(start.values);
      pushWithRoom(stack.values, std::move(made));
      return true;
    } else if (kind == JsonTokenKindComma) {
      if (!(expect & ExpectComma)) {
        unexpected("Unexpected ','.");
        break;
      }
      expect = ExpectValue;
    } else {
      expectedSet(expect, "a value", "a ']'");
      break;
    }
  }
  rewind(start);
  return false;
}

bool JsonParser::parseDictionary(size_t depth) {
  JsonObjectStack& stack = state_.stack;
  Marks start = marks();
  unsigned expect = ExpectValue | ExpectClose;  // a key or the closing brace
  while (state_.atIndex < state_.length) {
    if (expect & ExpectValue) {
      Step step = plainPairStep(depth, expect);
      // Then the pairs after plain commas, in a loop of their own that leaves off as the array's
      // does.
      while (step == Step::Taken) {
        takeCompactPairs();
        expect = ExpectComma | ExpectClose;
        if (state_.atIndex == state_.length) break;
        if (!takeByte(',')) {
          step = Step::NotTaken;
          break;
        }
        expect = ExpectValue;
        if (state_.atIndex == state_.length) break;
        step = plainPairStep(depth, expect);
      }
      if (step == Step::Failed) break;
      if (step == Step::Taken) continue;
    } else if (takeByte(',')) {
      expect = ExpectValue;
      continue;
    }
    if (!jsonNextToken(state_)) break;
    JsonTokenKind kind = state_.token.kind;
    if (kind == JsonTokenKindObjectEnd) {
      if (!(expect & ExpectClose)) {
        unexpected("Unexpected '}'.");
        break;
      }
      size_t count = stack.keys.size() - start.keys;
      JsonPendingKey* keys = stack.keys.data() + start.keys;
      plat::Value* objects = stack.values.data() + start.values;
      plat::Value made;
      if (state_.group) {
        // The keys are the group's strings, which live as long as the dictionary.
        JsonDictionary* dictionary = JsonDictionary::makeInGroup(count, *state_.group);
        dictionary->insertDecoded(count, keys, objects);
        made = plat::Value::groupDictionary(*state_.group, dictionary);
      } else {
        auto dictionary = JsonDictionary::make(count, state_.mutableCollections);
        for (size_t i = 0; i < count; ++i)
          dictionary->insertCopyingKey(keys[i].hash, *keys[i].text, std::move(objects[i]));
        made = plat::Value(std::unique_ptr<plat::DictionaryStorage>(std::move(dictionary)));
      }
      // Every object went into the dictionary: a repeated key's pair is taken out first.
      stack.values.dropMovedAbove(start.values);
      stack.keys.resize(start.keys);
      pushWithRoom(stack.values, std::move(made));
      return true;
    }
    if (kind == JsonTokenKindComma) {
      if (!(expect & ExpectComma)) {
        unexpected("Unexpected ','.");
        break;
      }
      expect = ExpectValue;
      continue;
    }
    if (kind != JsonTokenKindString) {
      expectedSet(expect, "a \"STRING\"", "a '}'");
      break;
    }
    if (!(expect & ExpectValue)) {
      unexpected("Unexpected string.");
      break;
    }
    pushKey(state_.token.value.bytes);
    if (!pairAfterKey(depth, expect)) break;
    expect = ExpectComma | ExpectClose;
  }
  rewind(start);
  return false;
}
