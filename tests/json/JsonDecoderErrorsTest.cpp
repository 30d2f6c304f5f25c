// Every malformed input ends in no value and the first problem's text, byte index and line.
#include <gtest/gtest.h>

#include "tests/json/DecodeHelpers.h"

namespace {

struct ErrorCase {
  const char* name;
  std::string input;
  std::string message;
  uint64_t atIndex;
  uint64_t lineNumber = 1;
  JsonParseOptionFlags options = JsonParseStrict;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << c.name;
}

class DecoderErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(DecoderErrors, ReportFirstProblemWithIndexAndLine) {
  const ErrorCase& c = GetParam();
  Decoded decoded = decodeJson(c.input, c.options);
  EXPECT_TRUE(decoded.failed()) << decoded.value.debugString();
  EXPECT_EQ(decoded.error.domain, "JsonErrorDomain");
  EXPECT_EQ(decoded.error.code, -1);
  EXPECT_EQ(decoded.error.localizedDescription, c.message);
  EXPECT_EQ(decoded.error.atIndex, c.atIndex);
  EXPECT_EQ(decoded.error.lineNumber, c.lineNumber);
}

std::string caseName(const testing::TestParamInfo<ErrorCase>& info) {
  return info.param.name;
}

const std::string kTrailing =
    "A valid JSON object was parsed but there were additional non-white-space characters "
    "remaining.";

const char* const kIllegalEscape = "Illegal \\u Unicode escape sequence.";
const char* const kIllegalUtf8 = "Illegal UTF8 sequence found in \"\" string.";
const char* const kUtf8Cut = "End of buffer reached while parsing UTF8 in \"\" string.";
const char* const kSecondEscape =
    "Required a second \\u Unicode escape sequence following a surrogate \\u Unicode escape "
    "sequence.";

INSTANTIATE_TEST_SUITE_P(
    TopLevel, DecoderErrors,
    testing::Values(ErrorCase{"Empty", "", "Reached the end of the buffer.", 0},
                    ErrorCase{"OnlySpaces", "   ", kUnexpectedToken, 3},
                    ErrorCase{"String", "\"abc\"", "Expected either '[' or '{'.", 5},
                    ErrorCase{"LiteralThenSpace", "true ", "Expected either '[' or '{'.", 4},
                    ErrorCase{"NumberToEnd", "123", "Invalid number.", 3},
                    ErrorCase{"LiteralEndingInput", "true", kUnexpectedToken, 0},
                    ErrorCase{"ByteOrderMark", "\xEF\xBB\xBF[]", kUnexpectedToken, 0},
                    ErrorCase{"TrailingText", "[] x", kTrailing, 3},
                    ErrorCase{"SecondDocument", "{}{}", kTrailing, 2}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Containers, DecoderErrors,
    testing::Values(
        ErrorCase{"TrailingCommaInArray", "[1,]", "Unexpected ']'.", 4},
        ErrorCase{"TrailingCommaInObject", "{\"a\":1,}", "Unexpected '}'.", 8},
        ErrorCase{"LeadingComma", "[,1]", "Unexpected ','.", 2},
        ErrorCase{"DoubleCommaInObject", "{\"a\":1,,}", "Unexpected ','.", 8},
        ErrorCase{"ValuesWithoutComma", "[1 2]", "Unexpected value.", 4},
        ErrorCase{"LeadingZero", "[01]", "Unexpected value.", 3},
        ErrorCase{"NumberAsKey", "{1:2}", "Expected a \"STRING\" or a '}', not '1'", 2},
        ErrorCase{"KeyAfterValue", "{\"a\":1 \"b\":2}", "Unexpected string.", 10},
        ErrorCase{"MissingColon", "{\"a\" 1}", "Expected ':'.", 6},
        ErrorCase{"ColonInArray", "[1:2]", "Expected a comma or a ']', not ':'", 3},
        ErrorCase{"ArrayCloseInObject", "{\"a\":1]", "Expected a comma or a '}', not ']'", 7},
        ErrorCase{"NoValueAfterColon", "{\"a\":]", "Expected a value or a '}', not ']'", 6},
        ErrorCase{"NoValueAfterSecondKey", "{\"a\":1,\"b\":}", "Expected a value, not '}'", 12},
        ErrorCase{"EndsAfterString", "[\"abc\"", "Reached the end of the buffer.", 6},
        ErrorCase{"TwoOpenBrackets", "[[", "Internal error: Object == NULL", 2},
        ErrorCase{"OpenObjectInObject", "{\"a\":{", "Internal error: Object == NULL.", 6},
        ErrorCase{"BracketAndNumber", "[1", "Invalid number.", 2},
        ErrorCase{"LiteralEndsInput", "[true", kUnexpectedToken, 1},
        ErrorCase{"MisspeltLiteral", "[nul]", kUnexpectedToken, 1}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Strings, DecoderErrors,
    testing::Values(
        ErrorCase{"RawTab", "[\"a\tb\"]", "Invalid character < 0x20 found in string: 0x09.", 1},
        ErrorCase{"Unterminated", "[\"abc", "Invalid string.", 1},
        ErrorCase{"EndInsideEscape", "[\"ab\\u12", "Invalid string.", 1},
        ErrorCase{"BadEscape", "[\"a\\x\"]", "Invalid escape sequence found in \"\" string.", 1},
        ErrorCase{"BadHexDigit", "[\"\\u12g4\"]",
                  "Unexpected character found in \\u Unicode escape sequence.  Found 'g', "
                  "expected [0-9a-fA-F].",
                  1},
        ErrorCase{"EscapedZero", "[\"\\u0000\"]", kIllegalEscape, 1},
        ErrorCase{"EscapedNoncharacter", "[\"\\uFDD0\"]", kIllegalEscape, 1},
        ErrorCase{"EscapedFFFE", "[\"\\ufffe\"]", kIllegalEscape, 1},
        ErrorCase{"EscapedPairEndingFFFE", "[\"\\uD83F\\uDFFE\"]", kIllegalEscape, 1},
        ErrorCase{"LoneHighSurrogate", "[\"\\ud800\"]", kSecondEscape, 1},
        ErrorCase{"HighSurrogateThenOtherEscape", "[\"\\ud800\\n\"]", kSecondEscape, 1},
        ErrorCase{"LoneLowSurrogate", "[\"\\udc00\"]", kIllegalEscape, 1},
        ErrorCase{"HighSurrogateThenLetter", "[\"\\ud800\\u0041\"]", kIllegalEscape, 1},
        ErrorCase{"OverlongUtf8", "[\"\xC0\x80\"]", kIllegalUtf8, 1},
        ErrorCase{"RawFFFF", "[\"\xEF\xBF\xBF\"]", kIllegalUtf8, 1},
        ErrorCase{"Raw1FFFE", "[\"\xF0\x9F\xBF\xBE\"]", kIllegalUtf8, 1},
        ErrorCase{"AboveUnicode", "[\"\xF4\x90\x80\x80\"]", kIllegalUtf8, 1},
        ErrorCase{"StrayContinuation", "[\"a\x80\"]", kIllegalUtf8, 1},
        ErrorCase{"Utf8CutByEndOfInput", "[\"\xE4\xB8", kUtf8Cut, 1},
        ErrorCase{"Utf8CutEvenWhenReplacing", "[\"\xE4\xB8", kUtf8Cut, 1, 1,
                  JsonParseFlagReplaceInvalidUnicode},
        // Cut off before its second byte could be judged: the end of the input is the news.
        ErrorCase{"OverlongCutByEndOfInput", "[\"\xE0\x80", kUtf8Cut, 1},
        ErrorCase{"BadLeadCutEvenWhenReplacing", "[\"\xC0", kUtf8Cut, 1, 1,
                  JsonParseFlagReplaceInvalidUnicode},
        ErrorCase{"NoContinuationBeforeEnd", "[\"\xE4\x41", kIllegalUtf8, 1},
        ErrorCase{"ErrorOnThirdLine", "[\r\n\r\n\"a\\x\"]",
                  "Invalid escape sequence found in \"\" string.", 5, 3},
        ErrorCase{"LoneCarriageReturnsCountAsNewlines", "[\r\r\n\n\"\t\"]",
                  "Invalid character < 0x20 found in string: 0x09.", 5, 4}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Numbers, DecoderErrors,
    testing::Values(
        ErrorCase{"AboveUnsigned64", "[18446744073709551616]",
                  "The value '18446744073709551616' exceeded the maximum value that could be "
                  "represented: 18446744073709551615.",
                  21},
        ErrorCase{"BelowSigned64", "[-9223372036854775809]",
                  "The value '-9223372036854775809' exceeded the minimum value that could be "
                  "represented: -9223372036854775808.",
                  21},
        ErrorCase{"DoubleOverflow", "[1e400]",
                  "The value '1e400' could not be represented as a 'double' due to overflow.", 6},
        ErrorCase{"DoubleUnderflow", "[1e-400]",
                  "The value '1e-400' could not be represented as a 'double' due to underflow.", 7},
        ErrorCase{"MinusAlone", "[-]", "Invalid number.", 3},
        ErrorCase{"DotWithoutDigits", "[1.]", "Invalid number.", 4},
        ErrorCase{"ExponentWithoutDigits", "[1e+]", "Invalid number.", 5},
        ErrorCase{"LeadingPlus", "[+1]", kUnexpectedToken, 1}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Options, DecoderErrors,
    testing::Values(ErrorCase{"CommentWithoutOption", "// hi\n[]", kUnexpectedToken, 0},
                    ErrorCase{"LinesCountedInComments", "// a\n/* b\n */\n[x]", kUnexpectedToken,
                              15, 4, JsonParseFlagComments},
                    ErrorCase{"CommentToEndOfInput", "[1, /* open", kUnexpectedToken, 11, 1,
                              JsonParseFlagComments},
                    ErrorCase{"UnicodeNewlineWithoutOption", "[1,\xE2\x80\xA8 2]", kUnexpectedToken,
                              3},
                    ErrorCase{"UnicodeNewlinesCounted", "[\xE2\x80\xA8\xC2\x85 x]",
                              kUnexpectedToken, 7, 3, JsonParseFlagUnicodeNewlines},
                    ErrorCase{"OtherE2ByteIsNoSpace", "[\xE2\x80\xA0]", kUnexpectedToken, 1, 1,
                              JsonParseFlagUnicodeNewlines}),
    caseName);

TEST(DecoderErrors, TooDeepNestingIsAnErrorNotACrash) {
  std::string ok = std::string(512, '[') + std::string(512, ']');
  EXPECT_FALSE(decodeJson(ok).failed());

  std::string deep = std::string(513, '[') + std::string(513, ']');
  Decoded tooDeep = decodeJson(deep);
  EXPECT_TRUE(tooDeep.failed());
  EXPECT_EQ(tooDeep.error.localizedDescription,
            "Maximum nesting depth (512) of arrays and objects exceeded.");
  EXPECT_EQ(tooDeep.error.atIndex, 513u);

  std::string hostile;
  for (int i = 0; i < 200000; ++i) hostile += "{\"a\":[";
  EXPECT_TRUE(decodeJson(hostile).failed());
}

TEST(DecoderErrors, ProgrammingErrorsRaise) {
  try {
    objectFromJSONStringWithParseOptions("[]", 16);
    FAIL() << "options of 16 accepted";
  } catch (const plat::NamedException& e) {
    EXPECT_EQ(e.reason(), "Invalid parse options.");
  }
  JSONDecoder decoder;
  try {
    decoder.objectWithUTF8String(nullptr, 0);
    FAIL() << "null input accepted";
  } catch (const plat::NamedException& e) {
    EXPECT_EQ(e.reason(), "The string argument is NULL.");
  }
  decoder.releaseParseState();
  try {
    decoder.objectWithUTF8String("[]", 2);
    FAIL() << "released decoder decoded";
  } catch (const plat::NamedException& e) {
    EXPECT_EQ(e.reason(), "parseState is NULL.");
  }
}

TEST(DecoderErrors, AFailedParseLeavesNothingForTheNext) {
  JSONDecoder decoder;
  JsonError error;
  std::string bad = "{\"a\":[1,2,{\"b\":\"" + std::string(5000, 'x') + "\\q\"}]}";
  EXPECT_TRUE(decoder.objectWithUTF8String(bad.data(), bad.size(), &error).isNull());
  EXPECT_EQ(error.localizedDescription, "Invalid escape sequence found in \"\" string.");

  // The same decoder decodes the next text whole, and a success leaves the error slot alone.
  std::string good = "{\"a\":[1,2]}";
  JsonError untouched;
  untouched.localizedDescription = "untouched";
  plat::Value value = decoder.parseUTF8String(good.data(), good.size(), &untouched);
  EXPECT_EQ(value.debugString(), "{\"a\": [1, 2]}");
  EXPECT_EQ(untouched.localizedDescription, "untouched");
  EXPECT_FALSE(untouched.atIndex.has_value());
}

}  // namespace
