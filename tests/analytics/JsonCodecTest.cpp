#include <gtest/gtest.h>

#include "analytics/ANJson.h"
#include "analytics/ANUtils.h"
#include "platform/base/ValueCoding.h"
#include "tests/analytics/AnalyticsFixture.h"

namespace {

struct Failure {
  const char* text;
  int code;
  const char* message;  // of the innermost error
};

TEST(AnalyticsJsonReader, RefusesBadTextWithItsCodeAndMessage) {
  const Failure cases[] = {
      {"[1,2,]", 9, "Trailing comma disallowed in array"},
      {"{\"a\":1,}", 9, "Trailing comma disallowed in object"},
      {"[1,2] x", 10, "Garbage after JSON"},
      {"[01]", 2, "Leading 0 disallowed in number"},
      {"[-]", 2, "No digits after initial minus"},
      {"[1.]", 2, "No digits after decimal point"},
      {"[1e]", 2, "No digits after exponent"},
      {"[+1]", 2, "Leading + disallowed in number"},
      {"[\"a\tb\"]", 5, "Unescaped control character '0x9'"},
      {"[\"\\udc00\"]", 6, "Invalid high character in surrogate pair"},
      {"[\"\\ud834x\"]", 6, "Missing low character in surrogate pair"},
      {"[\"\\ud834\\u0041\"]", 6, "Invalid low surrogate char"},
      {"[\"\\u12\"]", 6, "Missing hex digit in quad"},
      {"[\"\\q\"]", 8, "Illegal escape sequence '0x71'"},
      {"[tru]", 3, "Expected 'true'"},
      {"[1 2]", 3, "Expected value while parsing array"},
      {"{\"a\":1 \"b\":2}", 3, "Object key string expected"},
      {"{\"a\" 1}", 3, "Expected ':' separating key and value"},
      {"{1:2}", 3, "Object key string expected"},
      {"[1,2", 11, "End of input while parsing array"},
      {"{", 11, "End of input while parsing object"},
      {"[\"ab", 11, "Unexpected EOF while parsing string"},
      {"", 11, "Unexpected end of string"},
      {"\"just text\"", 4, "Valid fragment, but not JSON"},
      {"[\"\xff\"]", 6, "Broken unicode character"},
  };
  for (const Failure& failure : cases) {
    ANJsonParser parser;
    EXPECT_FALSE(parser.objectWithString(failure.text)) << failure.text;
    ASSERT_FALSE(parser.errorTrace().empty()) << failure.text;
    EXPECT_EQ(parser.errorTrace().front().code, failure.code) << failure.text;
    EXPECT_EQ(parser.errorTrace().front().message, failure.message) << failure.text;
  }
  ANJsonParser parser;
  EXPECT_FALSE(parser.fragmentWithString(nullptr));
  EXPECT_EQ(parser.errorTrace().front().code, 12);
  // A bad element leaves the array's own error after the element's.
  EXPECT_FALSE(parser.objectWithString("[\"\\u12\"]"));
  ASSERT_EQ(parser.errorTrace().size(), 4u);
  EXPECT_EQ(parser.errorTrace()[3].message, "Expected value while parsing array");
}

TEST(AnalyticsJsonReader, ReadsValuesNestingAndUnicode) {
  ANJsonParser parser;
  auto value = parser.objectWithString(
      " {\"a\":1, \"a\":2, \"n\":[-0, 0.5e+3, 1E5, true, false, null, 18446744073709551615],"
      " \"s\":\"\\u00e9\\ud834\\udd1e\\/\\n\"} \t\n");
  ASSERT_TRUE(value) << parser.traceDescription();
  EXPECT_TRUE(parser.errorTrace().empty());
  EXPECT_EQ((*value)["a"].asInt(), 2);
  const plat::Value& n = (*value)["n"];
  EXPECT_EQ(n.at(0).asInt(), 0);
  EXPECT_DOUBLE_EQ(n[1].asDouble(), 500);
  EXPECT_DOUBLE_EQ(n[2].asDouble(), 100000);
  EXPECT_TRUE(n[3].isBool() && n[3].asBool());
  EXPECT_TRUE(n[5].isNull());
  EXPECT_EQ(n[6].asUInt(), 18446744073709551615ull);
  EXPECT_EQ((*value)["s"].asString(), "\xC3\xA9\xF0\x9D\x84\x9E/\n");

  EXPECT_TRUE(parser.fragmentWithString("\"x\""));
  EXPECT_TRUE(parser.fragmentWithString("-12"));

  std::string deep(512, '[');
  deep += std::string(512, ']');
  EXPECT_TRUE(parser.objectWithString(deep));
  EXPECT_FALSE(parser.objectWithString("[" + deep + "]"));
  EXPECT_EQ(parser.errorTrace().front().code, 7);
}

TEST(AnalyticsJsonReader, KeepsNumbersOfAnySizeAndPrecisionExactly) {
  ANJsonParser parser;
  ANJsonWriter writer;
  const std::string texts[] = {"[1e400,-1e-400]", "[1234567890123456789012345678901234567890]",
                               "[0.12345678901234567890,-0.5,3,2.75]"};
  for (const std::string& text : texts) {
    auto value = parser.objectWithString(text);
    ASSERT_TRUE(value) << parser.traceDescription();
    EXPECT_EQ(writer.stringWithObject(*value), text);
    // A kept file of the values reads back the same, still exact.
    auto kept = plat::decodeValue(plat::encodeValue(*value));
    ASSERT_TRUE(kept);
    EXPECT_EQ(writer.stringWithObject(*kept), text);
  }
  auto big = parser.objectWithString("[1e400, 1234567890123456789012345678901234567890, 0.5]");
  EXPECT_TRUE(big->at(0).isDecimal() && big->at(0).isNumber());
  EXPECT_EQ(big->at(1).decimalText(), "1234567890123456789012345678901234567890");
  EXPECT_EQ(big->at(1).asInt(), INT64_MAX);  // the nearest a 64-bit reader can get
  EXPECT_EQ(big->at(2).type(), plat::Value::Type::Double);
}

TEST(AnalyticsJsonWriter, EscapesAndRefusesWhatJsonCannotHold) {
  ANJsonWriter writer;
  plat::Value doc = plat::Value::dictionary(
      {{"s", "line\nslash/quote\"back\\\x1f"}, {"a", plat::Value::array({1, 2.5, true, nullptr})}});
  auto text = writer.stringWithObject(doc);
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, "{\"s\":\"line\\nslash/quote\\\"back\\\\\\u001f\",\"a\":[1,2.5,true,null]}");
  ANJsonParser parser;
  EXPECT_EQ(*parser.objectWithString(*text), doc);

  EXPECT_FALSE(writer.stringWithObject("bare"));
  EXPECT_EQ(writer.errorTrace().front().code, 4);
  EXPECT_EQ(*writer.stringWithFragment("bare"), "\"bare\"");

  plat::Value bad = plat::Value::dictionary({{"k", plat::Value(plat::Value::Bytes{1, 2})}});
  EXPECT_FALSE(writer.stringWithFragment(bad));
  ASSERT_EQ(writer.errorTrace().size(), 2u);
  EXPECT_EQ(writer.errorTrace()[0].code, 1);
  EXPECT_EQ(writer.errorTrace()[1].message, "Unsupported value for key k in object");

  writer.setSortKeys(true);
  writer.setHumanReadable(true);
  EXPECT_EQ(
      *writer.stringWithObject(plat::Value::dictionary({{"b", 1}, {"a", plat::Value::array({})}})),
      "{\n  \"a\" : [],\n  \"b\" : 1\n}");
}

class AnalyticsJsonEntryPoints : public AnalyticsFixture {};

TEST_F(AnalyticsJsonEntryPoints, PrintTheTraceOnFailure) {
  EXPECT_FALSE(ANUtils::JSONValue("[1, 2"));
  ASSERT_EQ(printed().size(), 1u);
  EXPECT_EQ(printed()[0].rfind("-JSONValue failed. Error trace is: ", 0), 0u);
  EXPECT_NE(printed()[0].find("Code=11"), std::string::npos);
}

}  // namespace
