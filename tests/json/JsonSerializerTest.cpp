// The encoder: plain and pretty output, escapes and their options, numbers, its errors, and that
// what it writes decodes back to the same tree.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "json/JsonSerializer.h"
#include "tests/json/DecodeHelpers.h"

namespace {

using plat::Value;

std::string encode(const Value& value, JsonSerializeOptionFlags options = 0) {
  JsonError error;
  std::optional<std::string> text = JSONStringWithOptions(value, options, &error);
  EXPECT_TRUE(text.has_value()) << error.localizedDescription;
  return text.value_or("");
}

std::string encodeError(const Value& value, JsonSerializeOptionFlags options = 0) {
  JsonError error;
  EXPECT_FALSE(JSONStringWithOptions(value, options, &error).has_value());
  EXPECT_EQ(error.domain, "JsonErrorDomain");
  EXPECT_EQ(error.code, -1);
  return error.localizedDescription;
}

TEST(JsonSerializer, PlainAndPrettyOutput) {
  EXPECT_EQ(encode(Value::dictionary()), "{}");
  EXPECT_EQ(encode(Value::dictionary(), JsonSerializeFlagPretty), "{\n  \n}");
  EXPECT_EQ(encode(Value::array({Value::array()}), JsonSerializeFlagPretty),
            "[\n  [\n    \n  ]\n]");
  // Plain output keeps the dictionary's own order; pretty output sorts the keys.
  Value value = Value::dictionary({{"b", Value::array({1, 2})}, {"a", "x"}});
  EXPECT_EQ(encode(value), "{\"b\":[1,2],\"a\":\"x\"}");
  EXPECT_EQ(encode(value, JsonSerializeFlagPretty),
            "{\n  \"a\": \"x\",\n  \"b\": [\n    1,\n    2\n  ]\n}");
}

TEST(JsonSerializer, StringEscapes) {
  Value value = Value::array({"q\"b\\s/ \b\t\n\f\r\x01\x0b\x1f 中"});
  EXPECT_EQ(encode(value), "[\"q\\\"b\\\\s/ \\b\\t\\n\\f\\r\\u0001\\u000b\\u001f 中\"]");
  EXPECT_EQ(encode(Value::array({"a/b"}), JsonSerializeFlagEscapeSlash), "[\"a\\/b\"]");
  EXPECT_EQ(encode(Value::array({"\xF0\x9F\x98\x80 é"}), JsonSerializeFlagEscapeUnicode),
            "[\"\\ud83d\\ude00 \\u00e9\"]");
}

TEST(JsonSerializer, TextThatIsNotUtf8Fails) {
  EXPECT_EQ(encodeError(Value::array({"bad \xC0\x80"})),
            "An error occurred converting the contents of a NSString to UTF8.");
  EXPECT_EQ(encodeError(Value::dictionary({{"key \xE4", 1}})),
            "An error occurred converting the contents of a NSString to UTF8.");
  EXPECT_EQ(encode(Value::dictionary({{"\"k/\n", 1}}), JsonSerializeFlagEscapeSlash),
            "{\"\\\"k\\/\\n\":1}");
  // Noncharacters are text, but not under the strict rule of the escaping option.
  EXPECT_EQ(encode(Value::array({"\xEF\xB7\x90"})), "[\"\xEF\xB7\x90\"]");
  EXPECT_EQ(encodeError(Value::array({"\xEF\xB7\x90"}), JsonSerializeFlagEscapeUnicode),
            "Error converting UTF8.");
}

TEST(JsonSerializer, Numbers) {
  Value value =
      Value::array({true, false, -5, uint64_t{18446744073709551615u}, 0.1, 1.0, -0.0, INT64_MIN});
  EXPECT_EQ(encode(value),
            "[true,false,-5,18446744073709551615,0.10000000000000001,1,-0,-9223372036854775808]");
  const char* finite =
      "Floating point values must be finite.  JSON does not support NaN or Infinity.";
  EXPECT_EQ(encodeError(Value::array({std::nan("")})), finite);
  EXPECT_EQ(encodeError(Value::array({std::numeric_limits<double>::infinity()})), finite);
}

TEST(JsonSerializer, RootKindsAndTextEntryPoints) {
  EXPECT_EQ(encodeError(Value("text")),
            "Unable to serialize object class String, expected a NSArray or NSDictionary.");
  EXPECT_EQ(JSONString(std::string("say \"hi\"")).value(), "\"say \\\"hi\\\"\"");
  EXPECT_EQ(JSONStringWithOptions(std::string("a/b"), JsonSerializeFlagEscapeSlash, false).value(),
            "a\\/b");
  EXPECT_EQ(JSONStringWithOptions(std::string(""), 0, false).value(), "");
  auto bytes = JSONData(Value::array({1}));
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "[1]");
  // A success clears what an earlier call left in the error slot.
  JsonError error;
  error.localizedDescription = "stale";
  EXPECT_TRUE(JSONStringWithOptions(Value::array(), 0, &error).has_value());
  EXPECT_EQ(error.localizedDescription, "");
}

TEST(JsonSerializer, UnsupportedValuesGoThroughTheFormatter) {
  Value value = Value::dictionary({{"blob", Value(Value::Bytes{1, 2})}});
  EXPECT_EQ(encodeError(value), "Unable to serialize object class Bytes.");

  auto asCount = [](const Value& v) -> std::optional<Value> {
    return Value(static_cast<int>(v.asBytes().size()));
  };
  EXPECT_EQ(JSONStringWithOptions(value, 0, asCount).value(), "{\"blob\":2}");

  auto none = [](const Value&) -> std::optional<Value> { return std::nullopt; };
  JsonError error;
  EXPECT_FALSE(JSONStringWithOptions(value, 0, none, &error).has_value());
  EXPECT_EQ(error.localizedDescription, "Unable to serialize object class Bytes.");

  auto same = [](const Value& v) -> std::optional<Value> { return v; };
  EXPECT_FALSE(JSONStringWithOptions(value, 0, same, &error).has_value());
  EXPECT_EQ(error.localizedDescription,
            "Unable to serialize object class Bytes that was returned by the unsupported class "
            "formatter.  Original object class was Bytes.");
}

TEST(JsonSerializer, OutputDecodesToTheSameTree) {
  std::string text =
      "{\"result\":1,\"msg\":\"成功\\n\",\"list\":[[1,\"助记 \\\"a\\\"\",3.25,-7,true,null],"
      "{\"x\":{\"y\":[]},\"z\":\"\\ud83d\\ude00\"}],\"big\":18446744073709551615}";
  Value tree = objectFromJSONString(text);
  ASSERT_FALSE(tree.isNull());
  for (JsonSerializeOptionFlags options : {0, 1, 2, 3, 16, 19}) {
    std::string encoded = encode(tree, options);
    EXPECT_EQ(objectFromJSONString(encoded), tree) << encoded;
  }
}

}  // namespace
