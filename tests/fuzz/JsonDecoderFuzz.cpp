// Feeds arbitrary bytes to the JSON decoder; the first byte picks the parse options. A decode must
// end in a tree or an error with an index inside the input, never in a crash or a sanitizer report.
// A decoded tree must survive the encoder and decode again, strictly, to an equal tree; every key
// of a decoded dictionary must be found again. The mutable form, and a second decode with the
// cache warm, must give the same tree with its keys in the same order, and the sorted text of a
// tree must come back unchanged from a decode of itself.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "json/JSONDecoder.h"
#include "json/JsonCodec.h"
#include "json/JsonSerializer.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

void checkKeys(const plat::Value& value) {
  if (value.isDictionary()) {
    size_t seen = 0;
    value.forEach([&](const std::string& key, const plat::Value& item) {
      check(value.has(key));
      check(value.get(key) == item);
      checkKeys(item);
      ++seen;
    });
    check(seen == value.size());
  } else if (value.isArray()) {
    for (size_t i = 0; i < value.size(); ++i) checkKeys(value.at(i));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  JsonParseOptionFlags options = data[0] & JsonParseFlagValidMask;
  const char* text = reinterpret_cast<const char*>(data + 1);
  size_t length = size - 1;

  JSONDecoder decoder(options);
  JsonError error;
  plat::Value tree = decoder.objectWithUTF8String(text, length, &error);
  if (tree.isNull()) {
    check(!error.localizedDescription.empty());
    check(error.atIndex.has_value() && *error.atIndex <= length);
    check(error.lineNumber.has_value() && *error.lineNumber >= 1);
    return 0;
  }
  check(tree.isArray() || tree.isDictionary());
  checkKeys(tree);

  // Unsorted text follows each dictionary's own order, so equal texts mean equal key orders.
  std::optional<std::string> plain = JSONStringWithOptions(tree, JsonSerializeOptionNone);
  check(plain.has_value());
  plat::Value mutableTree = decoder.mutableObjectWithUTF8String(text, length);
  check(mutableTree == tree);
  check(JSONStringWithOptions(mutableTree, JsonSerializeOptionNone) == plain);
  check(JSONStringWithOptions(decoder.objectWithUTF8String(text, length),
                              JsonSerializeOptionNone) == plain);

  const JsonSerializeOptionFlags encodings[] = {
      JsonSerializeOptionNone, JsonSerializeFlagPretty | JsonSerializeFlagEscapeUnicode};
  for (JsonSerializeOptionFlags encodeOptions : encodings) {
    std::optional<std::string> encoded = JSONStringWithOptions(tree, encodeOptions);
    check(encoded.has_value());
    plat::Value again = objectFromJSONString(*encoded);
    check(again == tree);
    if (encodeOptions & JsonSerializeFlagPretty)
      check(JSONStringWithOptions(again, encodeOptions) == encoded);
  }
  return 0;
}
