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
  // Only what a signed number cannot hold is unsigned; minus zero is a double, keeping its sign.
  const Value expected[] = {-0.0,       -1,        0,   INT64_MAX, uint64_t{1} << 63,
                            UINT64_MAX, INT64_MIN, 1.5, 2e3,       -0.0,
                            1e-310,     0.1};
  ASSERT_EQ(numbers.size(), std::size(expected));
  for (size_t i = 0; i < numbers.size(); ++i) {
    EXPECT_EQ(numbers.at(i).type(), expected[i].type()) << i;
    EXPECT_EQ(numbers.at(i), expected[i]) << i;
  }
  EXPECT_TRUE(std::signbit(numbers.at(0).asDouble()));
  EXPECT_TRUE(std::signbit(numbers.at(9).asDouble()));
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
  // Right after commas, numbers of every form read as the number token reads each alone.
  const char* const compact[] = {"0",
                                 "-0",
                                 "-1",
                                 "123.456",
                                 "-9.87654321e-5",
                                 "1234567890123456",
                                 "12345678901234567",
                                 "1E+22",
                                 "7e-22",
                                 "-12345678901234.5",
                                 "0.30000000000000004",
                                 "5e-1"};
  std::string array = "[0";
  for (const char* text : compact) array += std::string(",") + text;
  Value decodedCompact = decodeOk(array + room + "]");
  ASSERT_EQ(decodedCompact.size(), std::size(compact) + 1);
  for (size_t i = 0; i < std::size(compact); ++i) {
    Value alone = decodeOk(std::string("[") + compact[i] + "]").at(0);
    EXPECT_EQ(decodedCompact.at(i + 1).type(), alone.type()) << compact[i];
    EXPECT_EQ(decodedCompact.at(i + 1), alone) << compact[i];
  }
  EXPECT_TRUE(std::signbit(decodedCompact.at(2).asDouble()));
  Value integers = decodeOk("[1234567890123456, -7" + room + "]");
  EXPECT_EQ(integers.at(0).asInt(), 1234567890123456);
  EXPECT_EQ(integers.at(1).type(), Value::Type::Int);
  EXPECT_EQ(integers.at(1).asInt(), -7);
}

// Values and pairs right after commas, as machine-written JSON has them, take a quicker road than
// those after a space; both give the same document.
TEST(DecoderValues, CompactAndSpacedTextsDecodeAlike) {
  const std::string items[] = {"\"id\":7",
                               "\"word\":\"abandon\"",
                               "\"n\":-1.5e3",
                               "\"empty\":\"\"",
                               "\"flag\":true",
                               "\"note\":null",
                               "\"text\":\"a\\nb\"",
                               "\"name\":\"学习者\"",
                               "\"tags\":[\"x\",2,\"y\"]",
                               "\"k\\u00e9y\":3",
                               "\"long\":\"" + std::string(40, 'z') + "\"",
                               "\"big\":12345678901234567890",
                               "\"id\":8"};
  std::string compact = "{", spaced = "{";
  for (const std::string& item : items) {
    compact += (compact.size() > 1 ? "," : "") + item;
    spaced += (spaced.size() > 1 ? ", " : "") + item;
  }
  const std::string room(48, ' ');
  for (const std::string& tail : {room + "}", std::string("}")}) {
    Value fromCompact = decodeOk(compact + tail);
    Value fromSpaced = decodeOk(spaced + tail);
    EXPECT_EQ(fromCompact, fromSpaced);
    EXPECT_EQ(fromCompact.keys(), fromSpaced.keys());
    EXPECT_EQ(fromCompact["id"].asInt(), 8);  // the repeated key keeps its later value
    EXPECT_EQ(fromCompact["tags"], Value::array({"x", 2, "y"}));
  }
}

TEST(DecoderValues, StringsAndEscapes) {
  Value strings = decodeOk(
      "[\"plain\", \"\", \"\\\"\\\\\\/\\b\\f\\n\\r\\t\", \"\\u00e9\\u4E2D\", \"\\ud83d\\ude00\", "
      "\"中文 text\", \"a\\u0001b\"]");
  EXPECT_EQ(strings, Value::array({"plain", "", "\"\\/\b\f\n\r\t", "\xC3\xA9\xE4\xB8\xAD",
                                   "\xF0\x9F\x98\x80", "中文 text",
                                   "a\x01"
                                   "b"}))
      << strings.debugString();
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
  // An escape far inside a long string: the text before it is copied whole.
  std::string longText;
  for (int i = 0; i < 3000; ++i) longText += "记忆";
  EXPECT_EQ(decodeOk("[\"" + longText + "\\n" + longText + "\"]").at(0).asString(),
            longText + "\n" + longText);
}

TEST(DecoderValues, LiteralsNestingAndRepeatedKeys) {
  Value value = decodeOk(" {\"t\":true,\"f\":false,\"n\":null,\"a\":[[],{}],\"o\":{\"x\":[1]}}\n");
  EXPECT_EQ(value, Value::dictionary({{"t", true},
                                      {"f", false},
                                      {"n", Value()},
                                      {"a", Value::array({Value::array(), Value::dictionary()})},
                                      {"o", Value::dictionary({{"x", Value::array({1})}})}}));
  EXPECT_TRUE(value.has("n"));
  // A repeated key keeps the later value.
  EXPECT_EQ(decodeOk("{\"a\":1,\"b\":2,\"a\":3}"), Value::dictionary({{"a", 3}, {"b", 2}}));
}

TEST(DecoderValues, WhiteSpaceOptions) {
  const std::pair<const char*, JsonParseOptionFlags> cases[] = {
      {"/* head */ [1, // one\n 2 /*/ ,3 /**/]// tail", JsonParseFlagComments},
      {"[1,\xE2\x80\xA8 2,\xE2\x80\xA9\xC2\x85 3]", JsonParseFlagUnicodeNewlines},
      {"[1, 2, 3]  \r\n\t", JsonParseStrict},  // trailing white space alone is fine
      {"[1, 2, 3] x", JsonParseFlagTrailingText}};
  for (auto [text, options] : cases) EXPECT_EQ(decodeOk(text, options).debugString(), "[1, 2, 3]");
}

TEST(DecoderValues, ReplaceInvalidUnicodeOption) {
  const std::string fffd = "\xEF\xBF\xBD";
  const std::pair<std::string, std::string> cases[] = {
      {"a\xC0\x80z", "a" + fffd + "z"},
      {"a\xE4\xB8z", "a" + fffd + "z"},
      {"\x80\x80", fffd + fffd},
      {"\xEF\xB7\x90!", fffd + "!"},
      {"\\u0000\\uFFFF", fffd + fffd},
      {"\\udc00x", fffd + "x"},
      // A high surrogate without its pair: the next byte is read again as itself.
      {"\\ud800x", fffd + "x"},
      {"\\ud800\\n", fffd + "\n"},
      // A failed pair is one replacement for both escapes.
      {"\\ud800\\u0041", fffd}};
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(decodeOk("[\"" + text + "\"]", JsonParseFlagReplaceInvalidUnicode).at(0).asString(),
              expected);
}

TEST(DecoderValues, TextAndDataEntryPointsAgree) {
  std::string text = "{\"result\":1,\"msg\":\"成功\"}";
  EXPECT_EQ(objectFromJSONString(text), objectFromJSONData(Value::Bytes(text.begin(), text.end())));
  EXPECT_TRUE(objectFromJSONData({}).isNull());
}

// Repeated short strings are one shared string within a document; a long one is its own.
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

  // Mutable results share their strings across parses until the cache is cleared.
  Value kept = decoder->mutableObjectWithUTF8String(text.data(), text.size());
  Value again = decoder->mutableObjectWithUTF8String(text.data(), text.size());
  EXPECT_EQ(&kept.at(0)["k"].asString(), &again.at(0)["k"].asString());
  decoder->clearCache();
  Value fresh = decoder->mutableObjectWithUTF8String(text.data(), text.size());
  EXPECT_EQ(fresh, kept);
  EXPECT_NE(&fresh.at(0)["k"].asString(), &kept.at(0)["k"].asString());
  decoder->releaseParseState();
  decoder->clearCache();  // nothing left to clear
}

}  // namespace
