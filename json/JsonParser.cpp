#include "json/JsonParser.h"

#include <string>

#include "json/JsonArray.h"
#include "json/JsonDictionary.h"
#include "json/JsonTokenizer.h"

namespace {

bool isValueToken(JsonTokenKind kind) {
  switch (kind) {
    case JsonTokenKindNumber:
    case JsonTokenKindString:
    case JsonTokenKindObjectBegin:
    case JsonTokenKindArrayBegin:
    case JsonTokenKindTrue:
    case JsonTokenKindFalse:
    case JsonTokenKindNull:
      return true;
    default:
      return false;
  }
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
        result = make(state_.stack.values.back());
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
  const JsonObjectStack& stack = state_.stack;
  return {stack.values.size(), stack.keys.size(), stack.decodedText.size(), stack.arrays.size(),
          stack.dictionaries.size()};
}

void JsonParser::rewind(const Marks& marks) {
  JsonObjectStack& stack = state_.stack;
  stack.values.resize(marks.values);
  stack.keys.resize(marks.keys);
  stack.decodedText.resize(marks.decodedText);
  stack.arrays.resize(marks.arrays);
  stack.dictionaries.resize(marks.dictionaries);
}

void JsonParser::keepText(std::string_view bytes, JsonTextRef& text) {
  const char* input = reinterpret_cast<const char*>(state_.input);
  text.length = bytes.size();
  text.decoded = bytes.data() < input || bytes.data() >= input + state_.length;
  if (!text.decoded) {
    text.offset = static_cast<size_t>(bytes.data() - input);
    return;
  }
  // Decoded into the scratch buffer, which the next string reuses.
  std::string& decoded = state_.stack.decodedText;
  text.offset = decoded.size();
  decoded.append(bytes);
}

std::string_view JsonParser::textOf(const JsonTextRef& text) const {
  const char* base =
      text.decoded ? state_.stack.decodedText.data() : reinterpret_cast<const char*>(state_.input);
  return std::string_view(base + text.offset, text.length);
}

void JsonParser::pushScalar() {
  // Filled in its place: a copy made on the side would be stored in parts and read back whole.
  JsonPendingValue& pending = state_.stack.values.emplace_back();
  const JsonTokenValue& value = state_.token.value;
  switch (state_.token.kind) {
    case JsonTokenKindTrue:
      pending.kind = JsonPendingValue::True;
      break;
    case JsonTokenKindFalse:
      pending.kind = JsonPendingValue::False;
      break;
    case JsonTokenKindNull:
      pending.kind = JsonPendingValue::Null;
      break;
    case JsonTokenKindString:
      pending.kind = JsonPendingValue::String;
      keepText(value.bytes, pending.text);
      break;
    default:
      switch (value.kind) {
        case JsonValueKindLongLong:
          pending.kind = JsonPendingValue::LongLong;
          pending.longLongValue = value.number.longLongValue;
          break;
        case JsonValueKindUnsignedLongLong:
          pending.kind = JsonPendingValue::UnsignedLongLong;
          pending.unsignedLongLongValue = value.number.unsignedLongLongValue;
          break;
        default:
          pending.kind = JsonPendingValue::Double;
          pending.doubleValue = value.number.doubleValue;
      }
  }
}

void JsonParser::pushContainer(JsonPendingValue::Kind kind, size_t index) {
  JsonPendingValue& pending = state_.stack.values.emplace_back();
  pending.kind = kind;
  pending.index = index;
}

plat::Value JsonParser::make(const JsonPendingValue& pending) {
  switch (pending.kind) {
    case JsonPendingValue::Null:
      return plat::Value();
    case JsonPendingValue::True:
      return plat::Value(true);
    case JsonPendingValue::False:
      return plat::Value(false);
    case JsonPendingValue::LongLong:
      return plat::Value(static_cast<long long>(pending.longLongValue));
    case JsonPendingValue::UnsignedLongLong:
      // Only what a signed number cannot hold stays unsigned.
      if (pending.unsignedLongLongValue <= static_cast<uint64_t>(INT64_MAX))
        return plat::Value(static_cast<long long>(pending.unsignedLongLongValue));
      return plat::Value(static_cast<unsigned long long>(pending.unsignedLongLongValue));
    case JsonPendingValue::Double:
      return plat::Value(pending.doubleValue);
    case JsonPendingValue::String:
      return plat::Value(std::string(textOf(pending.text)));
    case JsonPendingValue::Array:
      return plat::Value(std::move(state_.stack.arrays[pending.index]));
    case JsonPendingValue::Dictionary:
      return plat::Value(std::move(state_.stack.dictionaries[pending.index]));
  }
  return plat::Value();
}

bool JsonParser::pushValue(size_t depth) {
  JsonTokenKind kind = state_.token.kind;
  if (kind != JsonTokenKindArrayBegin && kind != JsonTokenKindObjectBegin) {
    pushScalar();
    return true;
  }
  if (depth >= kMaxDepth) {
    jsonRecordError(state_, "Maximum nesting depth (512) of arrays and objects exceeded.");
    return false;
  }
  return kind == JsonTokenKindArrayBegin ? parseArray(depth + 1) : parseDictionary(depth + 1);
}

bool JsonParser::parseArray(size_t depth) {
  JsonObjectStack& stack = state_.stack;
  Marks start = marks();
  unsigned expect = ExpectValue | ExpectClose;
  while (state_.atIndex < state_.length) {
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
      auto array = JsonArray::make(count, state_.mutableCollections);
      for (size_t i = 0; i < count; ++i)
        array->makeNext([&] { return make(stack.values[start.values + i]); });
      rewind(start);
      stack.arrays.push_back(std::move(array));
      pushContainer(JsonPendingValue::Array, stack.arrays.size() - 1);
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
    if (!jsonNextToken(state_)) break;
    JsonTokenKind kind = state_.token.kind;
    if (kind == JsonTokenKindObjectEnd) {
      if (!(expect & ExpectClose)) {
        unexpected("Unexpected '}'.");
        break;
      }
      size_t count = stack.keys.size() - start.keys;
      auto dictionary = JsonDictionary::make(count, state_.mutableCollections);
      for (size_t i = 0; i < count; ++i) {
        const JsonKeyRef& key = stack.keys[start.keys + i];
        dictionary->insertMade(key.hash, textOf(key.text),
                               [&] { return make(stack.values[start.values + i]); });
      }
      rewind(start);
      stack.dictionaries.push_back(std::move(dictionary));
      pushContainer(JsonPendingValue::Dictionary, stack.dictionaries.size() - 1);
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
    std::string_view keyBytes = state_.token.value.bytes;
    JsonKeyRef& key = stack.keys.emplace_back();
    keepText(keyBytes, key.text);
    key.hash = JsonDictionary::keyHash(keyBytes);
    if (!jsonNextToken(state_)) break;
    if (state_.token.kind != JsonTokenKindSeparator) {
      unexpected("Expected ':'.");
      break;
    }
    if (!jsonNextToken(state_)) break;
    if (!isValueToken(state_.token.kind)) {
      expectedSet(expect, "a value", "a '}'");
      break;
    }
    if (!pushValue(depth)) {
      unexpected("Internal error: Object == NULL.");
      break;
    }
    expect = ExpectComma | ExpectClose;
  }
  rewind(start);
  return false;
}
