// What valid input decodes to: number kinds, strings and escapes, duplicate keys, the options.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "tests/json/DecodeHelpers.h"

namespace {

using plat::Value;

Value decodeOk(const std::string& text, JsonParseOptionFlags options = JsonParseStrict) {
  Decoded decoded = decodeJson(text, options);
  EXPECT_FALSE(decoded.failed()) << text << ": " << decoded.error.localizedDescription;
  return decoded.value;
}

TEST(DecoderValues, NumberKinds) {
  Value numbers = decodeOk(
      "[-0, -1, 0, 9223372036854775807, 9223372036854775808, 18446744073709551615, "
      "-9223372036854775808, 1.5, 2e3, -0.0, 1e-310, 0.1]");
  ASSERT_EQ(numbers.size(), 12u);
  EXPECT_EQ(numbers.at(0).type(), Value::Type::Double);  // minus zero keeps its sign
  EXPECT_TRUE(std::signbit(numbers.at(0).asDouble()));
  EXPECT_EQ(numbers[1].type(), Value::Type::Int);
  EXPECT_EQ(numbers[1].asInt(), -1);
  EXPECT_EQ(numbers[2].type(), Value::Type::Int);
  EXPECT_EQ(numbers[3].type(), Value::Type::Int);
  EXPECT_EQ(numbers[3].asInt(), INT64_MAX);
  EXPECT_EQ(numbers[4].type(), Value::Type::UInt);  // 2^63 only fits unsigned
  EXPECT_EQ(numbers[4].asUInt(), uint64_t{1} << 63);
  EXPECT_EQ(numbers[5].asUInt(), UINT64_MAX);
  EXPECT_EQ(numbers[6].asInt(), INT64_MIN);
  EXPECT_EQ(numbers[7].type(), Value::Type::Double);
  EXPECT_EQ(numbers[7].asDouble(), 1.5);
  EXPECT_EQ(numbers[8].type(), Value::Type::Double);
  EXPECT_EQ(numbers[8].asDouble(), 2000.0);
  EXPECT_TRUE(std::signbit(numbers[9].asDouble()));
  EXPECT_GT(numbers[10].asDouble(), 0.0);  // subnormal, but representable
  EXPECT_EQ(numbers[11].asDouble(), 0.1);
  // Short numbers take quicker roads than long ones and than those near the end of the input;
  // all give what the C library gives.
  const std::string room(48, ' ');
  for (const char* text :
       {"123.456", "-9.87654321e-5", "1234567890.12345", "3.14159e22", "7e-22", "0.000001",
        "1.7976931348623157e308", "2.2250738585072014e-308", "9007199254740993.0",
        "0.30000000000000004", "9115118410333565E02", "-12345678901234.5", "1E+22", "0.5"}) {
    Value decoded = decodeOk(std::string("[") + text + room + "," + text + "]");
    for (size_t i : {0, 1}) EXPECT_EQ(decoded.at(i).asDouble(), std::strtod(text, nullptr)) << text;
  }
  Value integers = decodeOk("[1234567890123456, -7" + room + "]");
  EXPECT_EQ(integers.at(0).asInt(), 1234567890123456);
  EXPECT_EQ(integers.at(1).type(), Value::Type::Int);
  EXPECT_EQ(integers.at(1).asInt(), -7);
}

TEST(DecoderValues, StringsAndEscapes) {
  Value strings = decodeOk(
      "[\"plain\", \"\", \"\\\"\\\\\\/\\b\\f\\n\\r\\t\", \"\\u00e9\\u4E2D\", \"\\ud83d\\ude00\", "
      "\"中文 text\", \"a\\u0001b\"]");
  EXPECT_EQ(strings.at(0).asString(), "plain");
  EXPECT_EQ(strings[1].asString(), "");
  EXPECT_EQ(strings[2].asString(), "\"\\/\b\f\n\r\t");
  EXPECT_EQ(strings[3].asString(), "\xC3\xA9\xE4\xB8\xAD");
  EXPECT_EQ(strings[4].asString(), "\xF0\x9F\x98\x80");  // one 4-byte character
  EXPECT_EQ(strings[5].asString(), "中文 text");
  EXPECT_EQ(strings[6].asString(), std::string("a\x01"
                                               "b"));
}

TEST(DecoderValues, LongStringsWithEscapesFarInside) {
  std::string chinese;
  for (int i = 0; i < 3000; ++i) chinese += "记忆";
  Value value = decodeOk("{\"text\":\"" + chinese + "\\n" + chinese + "\"}");
  EXPECT_EQ(value["text"].asString(), chinese + "\n" + chinese);
}

TEST(DecoderValues, LongChineseTextKeepsEveryCheck) {
  // Long stretches are checked many bytes at a time; whatever the position, a bad sequence among
  // them must still be found and a good one kept.
  const std::string chinese = "记忆单词，联想词根。";
  std::string run;
  for (int i = 0; i < 8; ++i) run += chinese;
  for (size_t at = 0; at <= 48; at += 3) {
    for (const char* bad :
         {"\xEF\xB7\x90", "\xEF\xBF\xBE", "\xED\xA0\x80", "\xE0\x80\x80", "\xE4\xB8"}) {
      std::string text = run.substr(0, at) + bad + run.substr(at);
      Decoded decoded = decodeJson("[\"" + text + "\"]");
      EXPECT_EQ(decoded.error.localizedDescription, "Illegal UTF8 sequence found in \"\" string.")
          << "at " << at;
    }
    for (const char* good : {"\xEF\xBF\xBD", "\xEE\x80\x80", "\xE1\x80\x80", "a"}) {
      std::string text = run.substr(0, at) + good + run.substr(at);
      EXPECT_EQ(decodeOk("[\"" + text + "\"]").at(0).asString(), text) << "at " << at;
    }
  }
}

TEST(DecoderValues, LiteralsAndNesting) {
  Value value = decodeOk(" {\"t\":true,\"f\":false,\"n\":null,\"a\":[[],{}],\"o\":{\"x\":[1]}}\n");
  EXPECT_TRUE(value["t"].asBool());
  EXPECT_EQ(value["f"].type(), Value::Type::Bool);
  EXPECT_FALSE(value["f"].asBool());
  EXPECT_TRUE(value.has("n"));
  EXPECT_TRUE(value["n"].isNull());
  EXPECT_EQ(value["a"].size(), 2u);
  EXPECT_TRUE(value["a"][1].isDictionary());
  EXPECT_EQ(value["o"]["x"].at(0).asInt(), 1);
}

TEST(DecoderValues, RepeatedKeyKeepsTheLaterValue) {
  Value value = decodeOk("{\"a\":1,\"b\":2,\"a\":3}");
  EXPECT_EQ(value.size(), 2u);
  EXPECT_EQ(value["a"].asInt(), 3);
  EXPECT_EQ(value["b"].asInt(), 2);
}

TEST(DecoderValues, CommentsOption) {
  Value value = decodeOk("/* head */ [1, // one\n 2 /*/ ,3 /**/]// tail", JsonParseFlagComments);
  EXPECT_EQ(value.debugString(), "[1, 2, 3]");
}

TEST(DecoderValues, UnicodeNewlinesOption) {
  Value value = decodeOk("[1,\xE2\x80\xA8 2,\xE2\x80\xA9\xC2\x85 3]", JsonParseFlagUnicodeNewlines);
  EXPECT_EQ(value.debugString(), "[1, 2, 3]");
}

TEST(DecoderValues, ReplaceInvalidUnicodeOption) {
  const JsonParseOptionFlags replace = JsonParseFlagReplaceInvalidUnicode;
  const std::string fffd = "\xEF\xBF\xBD";
  EXPECT_EQ(decodeOk("[\"a\xC0\x80z\"]", replace).at(0).asString(), "a" + fffd + "z");
  EXPECT_EQ(decodeOk("[\"a\xE4\xB8z\"]", replace).at(0).asString(), "a" + fffd + "z");
  EXPECT_EQ(decodeOk("[\"\x80\x80\"]", replace).at(0).asString(), fffd + fffd);
  EXPECT_EQ(decodeOk("[\"\xEF\xB7\x90!\"]", replace).at(0).asString(), fffd + "!");
  EXPECT_EQ(decodeOk("[\"\\u0000\\uFFFF\"]", replace).at(0).asString(), fffd + fffd);
  EXPECT_EQ(decodeOk("[\"\\udc00x\"]", replace).at(0).asString(), fffd + "x");
  // A high surrogate without its pair: the next byte is read again as itself.
  EXPECT_EQ(decodeOk("[\"\\ud800x\"]", replace).at(0).asString(), fffd + "x");
  EXPECT_EQ(decodeOk("[\"\\ud800\\n\"]", replace).at(0).asString(), fffd + "\n");
  // A failed pair is one replacement for both escapes.
  EXPECT_EQ(decodeOk("[\"\\ud800\\u0041\"]", replace).at(0).asString(), fffd);
}

TEST(DecoderValues, TrailingTextOption) {
  EXPECT_EQ(decodeOk("[] x", JsonParseFlagTrailingText).size(), 0u);
  EXPECT_TRUE(decodeOk("[] x", JsonParseFlagTrailingText).isArray());
  EXPECT_TRUE(decodeOk("[]  \r\n\t").isArray());  // trailing white space alone is fine
}

TEST(DecoderValues, TextAndDataEntryPointsAgree) {
  std::string text = "{\"result\":1,\"msg\":\"成功\"}";
  Value fromText = objectFromJSONString(text);
  Value fromData = objectFromJSONData(plat::Value::Bytes(text.begin(), text.end()));
  EXPECT_EQ(fromText, fromData);
  EXPECT_EQ(fromText["msg"].asString(), "成功");
  EXPECT_TRUE(objectFromJSONString("").isNull());
  EXPECT_TRUE(objectFromJSONData({}).isNull());
  EXPECT_TRUE(objectFromJSONString("not json").isNull());
}

// Repeated short strings are one shared string, within a parse and across a decoder's parses; a
// long one is its own.
TEST(DecoderValues, RepeatedStringsAreSharedAndPartsOutliveTheirDocument) {
  auto decoder = JSONDecoder::decoder();
  std::string text = "[{\"k\":\"v\"},{\"k\":\"v\"}]";
  Value first = decoder->objectWithUTF8String(text.data(), text.size());
  Value second = decoder->parseUTF8String(text.data(), text.size());
  EXPECT_EQ(first, second);
  EXPECT_EQ(&first.at(0)["k"].asString(), &first.at(1)["k"].asString());
  std::string longText = "[\"" + std::string(100, 'x') + "\",\"" + std::string(100, 'x') + "\"]";
  Value longOnes = decoder->parseUTF8String(longText.data(), longText.size());
  EXPECT_EQ(longOnes.at(0), longOnes.at(1));
  EXPECT_NE(&longOnes.at(0).asString(), &longOnes.at(1).asString());

  // What is taken out of a tree stays whole after the tree is gone and the decoder moved on.
  Value part = first.at(1);
  Value key = first.at(0)["k"];
  Value longString = longOnes.at(1);
  first = second = longOnes = Value();
  decoder->parseUTF8String(text.data(), text.size());
  EXPECT_EQ(part.debugString(), "{\"k\": \"v\"}");
  EXPECT_EQ(key.asString(), "v");
  EXPECT_EQ(longString.asString(), std::string(100, 'x'));
}

}  // namespace
