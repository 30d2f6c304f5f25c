#include "json/JsonSerializer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <vector>

#include "json/JsonRaise.h"
#include "json/Utf8Sequence.h"

std::string jsonClassName(const plat::Value& value) {
  switch (value.type()) {
    case plat::Value::Type::Null:
      return "Null";
    case plat::Value::Type::Bool:
      return "Boolean";
    case plat::Value::Type::Int:
    case plat::Value::Type::UInt:
    case plat::Value::Type::Double:
    case plat::Value::Type::Decimal:
      return "Number";
    case plat::Value::Type::String:
      return "String";
    case plat::Value::Type::Bytes:
      return "Bytes";
    case plat::Value::Type::Array:
      return "Array";
    case plat::Value::Type::Dictionary:
      return "Dictionary";
  }
  return "Unknown";
}

std::optional<std::string> JsonSerializer::serializeObject(
    const plat::Value& object, JsonSerializeOptionFlags options, unsigned encodeOption,
    const JsonUnsupportedFormatter& formatter, JsonError* error) {
  if (error) *error = JsonError();
  options_ = options;
  encodeOption_ = encodeOption;
  formatter_ = formatter ? &formatter : nullptr;
  out_.clear();
  depth_ = 0;
  error_.reset();

  try {
    if ((encodeOption & JsonEncodeRootCollection) && !object.isArray() && !object.isDictionary()) {
      fail(jsonFormat("Unable to serialize object class %s, expected a NSArray or NSDictionary.",
                      jsonClassName(object).c_str()));
    } else if ((encodeOption & JsonEncodeRootString) && !object.isString()) {
      fail(jsonFormat("Unable to serialize object class %s, expected a NSString.",
                      jsonClassName(object).c_str()));
    } else if (write(object, true)) {
      unsigned asType = encodeOption & JsonEncodeAsTypeMask;
      if (asType != JsonEncodeAsData && asType != JsonEncodeAsString)
        fail("Unknown encode as type.");
    }
  } catch (const std::bad_alloc&) {
    fail("Unable to resize temporary buffer.");
  }
  if (error_) {
    if (error) error->localizedDescription = *error_;
    return std::nullopt;
  }
  return std::move(out_);
}

bool JsonSerializer::fail(std::string message) {
  if (!error_) error_ = std::move(message);
  return false;
}

bool JsonSerializer::write(const plat::Value& value, bool isRoot) {
  switch (value.type()) {
    case plat::Value::Type::String:
      return writeString(value.asString(), !(isRoot && (encodeOption_ & JsonEncodeWithoutQuotes)));
    case plat::Value::Type::Bool:
    case plat::Value::Type::Int:
    case plat::Value::Type::UInt:
    case plat::Value::Type::Double:
    case plat::Value::Type::Decimal:
      return writeNumber(value);
    case plat::Value::Type::Null:
      out_ += "null";
      return true;
    case plat::Value::Type::Array:
      return writeArray(value);
    case plat::Value::Type::Dictionary:
      return writeDictionary(value);
    case plat::Value::Type::Bytes:
      return writeUnsupported(value);
  }
  return fail(jsonFormat("Unable to serialize object class %s.", jsonClassName(value).c_str()));
}

bool JsonSerializer::writeString(const std::string& text, bool quoted) {
  if (quoted) out_ += '"';
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      if (!writeNonAscii(text, i)) return false;
      continue;
    }
    switch (c) {
      case '"':
        out_ += "\\\"";
        break;
      case '\\':
        out_ += "\\\\";
        break;
      case '/':
        out_ += (options_ & JsonSerializeFlagEscapeSlash) ? "\\/" : "/";
        break;
      case '\b':
        out_ += "\\b";
        break;
      case '\t':
        out_ += "\\t";
        break;
      case '\n':
        out_ += "\\n";
        break;
      case '\f':
        out_ += "\\f";
        break;
      case '\r':
        out_ += "\\r";
        break;
      default:
        if (c < 0x20)
          out_ += jsonFormat("\\u%4.4x", c);
        else
          out_ += static_cast<char>(c);
    }
    ++i;
  }
  if (quoted) out_ += '"';
  return true;
}

// The character at `i` is not ASCII: copied as UTF-8, or written as \u escapes with the option.
bool JsonSerializer::writeNonAscii(const std::string& text, size_t& i) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data()) + i;
  Utf8Sequence sequence = readUtf8Sequence(bytes, text.size() - i, false);
  if (sequence.status != Utf8Status::Valid)
    return fail("An error occurred converting the contents of a NSString to UTF8.");
  if (!(options_ & JsonSerializeFlagEscapeUnicode)) {
    out_.append(text, i, sequence.length);
  } else {
    if (isUnicodeNoncharacter(sequence.codePoint)) return fail("Error converting UTF8.");
    uint32_t code = sequence.codePoint;
    if (code > 0xFFFF) {
      code -= 0x10000;
      out_ += jsonFormat("\\u%4.4x\\u%4.4x", 0xD800 + (code >> 10), 0xDC00 + (code & 0x3FF));
    } else {
      out_ += jsonFormat("\\u%4.4x", code);
    }
  }
  i += sequence.length;
  return true;
}

bool JsonSerializer::writeNumber(const plat::Value& number) {
  char buffer[32];
  switch (number.type()) {
    case plat::Value::Type::Bool:
      out_ += number.asBool() ? "true" : "false";
      return true;
    case plat::Value::Type::Int:
      std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(number.asInt()));
      break;
    case plat::Value::Type::UInt:
      std::snprintf(buffer, sizeof buffer, "%llu",
                    static_cast<unsigned long long>(number.asUInt()));
      break;
    case plat::Value::Type::Decimal:  // kept as exact text, whatever its size
      out_ += number.decimalText();
      return true;
    default: {
      double value = number.asDouble();
      if (!std::isfinite(value))
        return fail(
            "Floating point values must be finite.  JSON does not support NaN or Infinity.");
      std::snprintf(buffer, sizeof buffer, "%.17g", value);
    }
  }
  out_ += buffer;
  return true;
}

void JsonSerializer::newlineAndIndent() {
  out_ += '\n';
  out_.append(2 * depth_, ' ');
}

// Brackets, items separated by commas and, when pretty, newlines and indentation around them.
template <typename WriteItem>
bool JsonSerializer::writeContainer(char open, char close, size_t count, WriteItem writeItem) {
  bool pretty = options_ & JsonSerializeFlagPretty;
  out_ += open;
  if (pretty) {
    ++depth_;
    newlineAndIndent();
  }
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) {
      out_ += ',';
      if (pretty) newlineAndIndent();
    }
    if (!writeItem(i)) return false;
  }
  if (pretty) {
    --depth_;
    newlineAndIndent();
  }
  out_ += close;
  return true;
}

bool JsonSerializer::writeArray(const plat::Value& array) {
  return writeContainer('[', ']', array.size(),
                        [&](size_t i) { return write(array.at(i), false); });
}

bool JsonSerializer::writeDictionary(const plat::Value& dictionary) {
  bool pretty = options_ & JsonSerializeFlagPretty;
  std::vector<std::string> keys = dictionary.keys();
  if (pretty) std::sort(keys.begin(), keys.end());
  return writeContainer('{', '}', keys.size(), [&](size_t i) {
    if (!writeString(keys[i], true)) return false;
    out_ += pretty ? ": " : ":";
    return write(dictionary.get(keys[i]), false);
  });
}

bool JsonSerializer::writeUnsupported(const plat::Value& value) {
  std::optional<plat::Value> replacement;
  if (formatter_) replacement = (*formatter_)(value);
  if (!replacement)
    return fail(jsonFormat("Unable to serialize object class %s.", jsonClassName(value).c_str()));
  if (replacement->isBytes())
    return fail(
        jsonFormat("Unable to serialize object class %s that was returned by the "
                   "unsupported class formatter.  Original object class was %s.",
                   jsonClassName(*replacement).c_str(), jsonClassName(value).c_str()));
  return write(*replacement, false);
}

// ---- entry points

namespace {

std::optional<std::string> serialize(const plat::Value& object, JsonSerializeOptionFlags options,
                                     unsigned encodeOption,
                                     const JsonUnsupportedFormatter& formatter, JsonError* error) {
  return JsonSerializer().serializeObject(object, options, encodeOption, formatter, error);
}

std::optional<plat::Value::Bytes> asData(std::optional<std::string> text) {
  if (!text) return std::nullopt;
  return plat::Value::Bytes(text->begin(), text->end());
}

unsigned textEncodeOption(unsigned asType, bool includeQuotes) {
  return asType | JsonEncodeRootString | (includeQuotes ? 0u : unsigned{JsonEncodeWithoutQuotes});
}

}  // namespace

std::optional<plat::Value::Bytes> JSONData(const plat::Value& collection) {
  return JSONDataWithOptions(collection, JsonSerializeOptionNone);
}

std::optional<std::string> JSONString(const plat::Value& collection) {
  return JSONStringWithOptions(collection, JsonSerializeOptionNone);
}

std::optional<plat::Value::Bytes> JSONDataWithOptions(const plat::Value& collection,
                                                      JsonSerializeOptionFlags options,
                                                      JsonError* error) {
  return JSONDataWithOptions(collection, options, JsonUnsupportedFormatter(), error);
}

std::optional<std::string> JSONStringWithOptions(const plat::Value& collection,
                                                 JsonSerializeOptionFlags options,
                                                 JsonError* error) {
  return JSONStringWithOptions(collection, options, JsonUnsupportedFormatter(), error);
}

std::optional<plat::Value::Bytes> JSONDataWithOptions(const plat::Value& collection,
                                                      JsonSerializeOptionFlags options,
                                                      const JsonUnsupportedFormatter& formatter,
                                                      JsonError* error) {
  return asData(serialize(collection, options, JsonEncodeAsData | JsonEncodeRootCollection,
                          formatter, error));
}

std::optional<std::string> JSONStringWithOptions(const plat::Value& collection,
                                                 JsonSerializeOptionFlags options,
                                                 const JsonUnsupportedFormatter& formatter,
                                                 JsonError* error) {
  return serialize(collection, options, JsonEncodeAsString | JsonEncodeRootCollection, formatter,
                   error);
}

std::optional<plat::Value::Bytes> JSONData(const std::string& text) {
  return JSONDataWithOptions(text, JsonSerializeOptionNone, true);
}

std::optional<std::string> JSONString(const std::string& text) {
  return JSONStringWithOptions(text, JsonSerializeOptionNone, true);
}

std::optional<plat::Value::Bytes> JSONDataWithOptions(const std::string& text,
                                                      JsonSerializeOptionFlags options,
                                                      bool includeQuotes, JsonError* error) {
  return asData(serialize(plat::Value(text), options,
                          textEncodeOption(JsonEncodeAsData, includeQuotes),
                          JsonUnsupportedFormatter(), error));
}

std::optional<std::string> JSONStringWithOptions(const std::string& text,
                                                 JsonSerializeOptionFlags options,
                                                 bool includeQuotes, JsonError* error) {
  return serialize(plat::Value(text), options, textEncodeOption(JsonEncodeAsString, includeQuotes),
                   JsonUnsupportedFormatter(), error);
}
