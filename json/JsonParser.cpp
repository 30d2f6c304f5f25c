#include "json/JsonParser.h"

#include <iterator>

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
  if (state_.length > 0 && jsonNextToken(state_)) {
    JsonTokenKind kind = state_.token.kind;
    if (kind == JsonTokenKindArrayBegin || kind == JsonTokenKindObjectBegin) {
      built = kind == JsonTokenKindArrayBegin ? parseArray(result, 1) : parseDictionary(result, 1);
      if (built) {
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

void JsonParser::pushScalar() {
  // Each value is made in its place on the stack.
  std::vector<plat::Value>& values = state_.stack.values;
  const JsonTokenValue& value = state_.token.value;
  switch (state_.token.kind) {
    case JsonTokenKindTrue:
      values.emplace_back(true);
      return;
    case JsonTokenKindFalse:
      values.emplace_back(false);
      return;
    case JsonTokenKindNull:
      values.emplace_back();
      return;
    case JsonTokenKindString:
      values.emplace_back(std::string(value.bytes));
      return;
    default:
      break;
  }
  switch (value.kind) {
    case JsonValueKindLongLong:
      values.emplace_back(static_cast<long long>(value.number.longLongValue));
      return;
    case JsonValueKindUnsignedLongLong:
      // Only what a signed number cannot hold stays unsigned.
      if (value.number.unsignedLongLongValue <= static_cast<uint64_t>(INT64_MAX))
        values.emplace_back(static_cast<long long>(value.number.unsignedLongLongValue));
      else
        values.emplace_back(static_cast<unsigned long long>(value.number.unsignedLongLongValue));
      return;
    default:
      values.emplace_back(value.number.doubleValue);
      return;
  }
}

bool JsonParser::pushValue(size_t depth) {
  std::vector<plat::Value>& values = state_.stack.values;
  JsonTokenKind kind = state_.token.kind;
  if (kind != JsonTokenKindArrayBegin && kind != JsonTokenKindObjectBegin) {
    pushScalar();
    return true;
  }
  if (depth >= kMaxDepth) {
    jsonRecordError(state_, "Maximum nesting depth (512) of arrays and objects exceeded.");
    return false;
  }
  // Built aside: the nested items grow the stack, which may move it.
  plat::Value container;
  bool built = kind == JsonTokenKindArrayBegin ? parseArray(container, depth + 1)
                                               : parseDictionary(container, depth + 1);
  if (built) values.push_back(std::move(container));
  return built;
}

bool JsonParser::parseArray(plat::Value& out, size_t depth) {
  std::vector<plat::Value>& values = state_.stack.values;
  size_t start = values.size();
  unsigned expect = ExpectValue | ExpectClose;
  bool ok = false;
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
      out = plat::Value(std::shared_ptr<plat::ArrayStorage>(JsonArray::make(
          values.data() + start, values.size() - start, state_.mutableCollections)));
      ok = true;
      break;
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
  values.resize(start);
  return ok;
}

bool JsonParser::parseDictionary(plat::Value& out, size_t depth) {
  JsonObjectStack& stack = state_.stack;
  size_t valuesStart = stack.values.size(), keysStart = stack.keys.size();
  size_t decodedKeysStart = stack.decodedKeys.size();
  unsigned expect = ExpectValue | ExpectClose;  // a key or the closing brace
  bool ok = false;
  while (state_.atIndex < state_.length) {
    if (!jsonNextToken(state_)) break;
    JsonTokenKind kind = state_.token.kind;
    if (kind == JsonTokenKindObjectEnd) {
      if (!(expect & ExpectClose)) {
        unexpected("Unexpected '}'.");
        break;
      }
      size_t count = stack.keys.size() - keysStart;
      auto dictionary = JsonDictionary::make(count, state_.mutableCollections);
      for (size_t i = 0; i < count; ++i) {
        const JsonKeyRef& key = stack.keys[keysStart + i];
        const char* base =
            key.decoded ? stack.decodedKeys.data() : reinterpret_cast<const char*>(state_.input);
        dictionary->insertEntry(key.hash, std::string_view(base + key.offset, key.length),
                                std::move(stack.values[valuesStart + i]));
      }
      out = plat::Value(std::shared_ptr<plat::DictionaryStorage>(std::move(dictionary)));
      ok = true;
      break;
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
    // The scratch buffer is reused by the next string, so a decoded key is kept aside.
    const char* input = reinterpret_cast<const char*>(state_.input);
    bool decoded = keyBytes.data() < input || keyBytes.data() >= input + state_.length;
    size_t offset = static_cast<size_t>(keyBytes.data() - input);
    if (decoded) {
      offset = stack.decodedKeys.size();
      stack.decodedKeys.append(keyBytes);
    }
    stack.keys.push_back({offset, keyBytes.size(), JsonDictionary::keyHash(keyBytes), decoded});
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
  stack.values.resize(valuesStart);
  stack.keys.resize(keysStart);
  stack.decodedKeys.resize(decodedKeysStart);
  return ok;
}
