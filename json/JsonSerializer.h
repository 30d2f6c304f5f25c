// Writes plat::Value trees (arrays, dictionaries, strings, numbers, booleans, null) as UTF-8 JSON
// text, plain or pretty-printed. Values JSON cannot hold (bytes) go through a formatter that may
// give a replacement. Errors use the decoder's domain "JsonErrorDomain"; only the first is kept.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "json/JsonError.h"
#include "platform/base/Value.h"

using JsonSerializeOptionFlags = uint64_t;

enum : JsonSerializeOptionFlags {
  JsonSerializeOptionNone = 0,
  JsonSerializeFlagPretty = 1,         // newlines, indentation, ": ", dictionary keys sorted
  JsonSerializeFlagEscapeUnicode = 2,  // every non-ASCII character as a \u escape
  JsonSerializeFlagEscapeSlash = 16,   // "/" written as "\/"
};

// What a call asks for: the result type in the low three bits, and what the root must be.
enum : unsigned {
  JsonEncodeAsData = 1,
  JsonEncodeAsString = 2,
  JsonEncodeAsTypeMask = 7,
  JsonEncodeRootCollection = 8,  // the root must be an array or a dictionary
  JsonEncodeRootString = 16,     // the root must be a string
  JsonEncodeWithoutQuotes = 32,  // a root string is written without its quotes
};

// Gives a writable replacement for a value JSON cannot hold, or nothing.
using JsonUnsupportedFormatter = std::function<std::optional<plat::Value>(const plat::Value&)>;

class JsonSerializer {
 public:
  // The text of `object`, or nothing with the error in `error` (which is reset first).
  std::optional<std::string> serializeObject(const plat::Value& object,
                                             JsonSerializeOptionFlags options,
                                             unsigned encodeOption,
                                             const JsonUnsupportedFormatter& formatter,
                                             JsonError* error);

 private:
  bool write(const plat::Value& value, bool isRoot);
  bool writeString(const std::string& text, bool quoted);
  bool writeNonAscii(const std::string& text, size_t& i);
  bool writeNumber(const plat::Value& number);
  template <typename WriteItem>
  bool writeContainer(char open, char close, size_t count, WriteItem writeItem);
  bool writeArray(const plat::Value& array);
  bool writeDictionary(const plat::Value& dictionary);
  bool writeUnsupported(const plat::Value& value);
  void newlineAndIndent();
  bool fail(std::string message);

  JsonSerializeOptionFlags options_ = 0;
  unsigned encodeOption_ = 0;
  const JsonUnsupportedFormatter* formatter_ = nullptr;
  std::string out_;
  size_t depth_ = 0;
  std::optional<std::string> error_;
};

// The text's class name in the error texts ("Array", "Dictionary", "String", "Number", ...).
std::string jsonClassName(const plat::Value& value);

// On arrays and dictionaries.
std::optional<plat::Value::Bytes> JSONData(const plat::Value& collection);
std::optional<std::string> JSONString(const plat::Value& collection);
std::optional<plat::Value::Bytes> JSONDataWithOptions(const plat::Value& collection,
                                                      JsonSerializeOptionFlags options,
                                                      JsonError* error = nullptr);
std::optional<std::string> JSONStringWithOptions(const plat::Value& collection,
                                                 JsonSerializeOptionFlags options,
                                                 JsonError* error = nullptr);
std::optional<plat::Value::Bytes> JSONDataWithOptions(const plat::Value& collection,
                                                      JsonSerializeOptionFlags options,
                                                      const JsonUnsupportedFormatter& formatter,
                                                      JsonError* error = nullptr);
std::optional<std::string> JSONStringWithOptions(const plat::Value& collection,
                                                 JsonSerializeOptionFlags options,
                                                 const JsonUnsupportedFormatter& formatter,
                                                 JsonError* error = nullptr);

// On text: the JSON string literal of the text, or with includeQuotes false its inside alone.
std::optional<plat::Value::Bytes> JSONData(const std::string& text);
std::optional<std::string> JSONString(const std::string& text);
std::optional<plat::Value::Bytes> JSONDataWithOptions(const std::string& text,
                                                      JsonSerializeOptionFlags options,
                                                      bool includeQuotes,
                                                      JsonError* error = nullptr);
std::optional<std::string> JSONStringWithOptions(const std::string& text,
                                                 JsonSerializeOptionFlags options,
                                                 bool includeQuotes, JsonError* error = nullptr);
