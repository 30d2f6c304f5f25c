#include "json/JsonCodec.h"

#include "json/JsonParseState.h"

// Text is already UTF-8 here, so the text and byte forms decode the same bytes. Each thread
// decodes with a parse state of its own.

namespace {

plat::Value decodeOnThread(const void* bytes, size_t length, JsonParseOptionFlags options,
                           bool mutableCollections, JsonError* error) {
  return jsonDecode(jsonThreadParseState(options), static_cast<const unsigned char*>(bytes), length,
                    mutableCollections, error);
}

}  // namespace

plat::Value objectFromJSONString(const std::string& text) {
  return objectFromJSONStringWithParseOptions(text, JsonParseStrict);
}

plat::Value objectFromJSONStringWithParseOptions(const std::string& text,
                                                 JsonParseOptionFlags options, JsonError* error) {
  return decodeOnThread(text.data(), text.size(), options, false, error);
}

plat::Value mutableObjectFromJSONString(const std::string& text) {
  return mutableObjectFromJSONStringWithParseOptions(text, JsonParseStrict);
}

plat::Value mutableObjectFromJSONStringWithParseOptions(const std::string& text,
                                                        JsonParseOptionFlags options,
                                                        JsonError* error) {
  return decodeOnThread(text.data(), text.size(), options, true, error);
}

plat::Value objectFromJSONData(const plat::Value::Bytes& data) {
  return objectFromJSONDataWithParseOptions(data, JsonParseStrict);
}

plat::Value objectFromJSONDataWithParseOptions(const plat::Value::Bytes& data,
                                               JsonParseOptionFlags options, JsonError* error) {
  return decodeOnThread(data.data(), data.size(), options, false, error);
}

plat::Value mutableObjectFromJSONData(const plat::Value::Bytes& data) {
  return mutableObjectFromJSONDataWithParseOptions(data, JsonParseStrict);
}

plat::Value mutableObjectFromJSONDataWithParseOptions(const plat::Value::Bytes& data,
                                                      JsonParseOptionFlags options,
                                                      JsonError* error) {
  return decodeOnThread(data.data(), data.size(), options, true, error);
}
