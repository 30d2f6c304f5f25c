// Malformed input: the first problem's text, byte index and line; programming errors raise.
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

// Enough bytes after a number for the quick road to read it.
const std::string kRoom(48, ' ');

const std::string kTrailing =
    "A valid JSON object was parsed but there were additional non-white-space characters "
    "remaining.";
const char* const kIllegalEscape = "Illegal \\u Unicode escape sequence.";
const char* const kIllegalUtf8 = "Illegal UTF8 sequence found in \"\" string.";
const char* const kUtf8Cut = "End of buffer reached while parsing UTF8 in \"\" string.";
const char* const kSecondEscape =
    "Required a second \\u Unicode escape sequence following a surrogate \\u Unicode escape "
    "sequence.";

const ErrorCase kCases[] = {
    // The top level
    {"Empty", "", "Reached the end of the buffer.", 0},
    {"OnlySpaces", "   ", kUnexpectedToken, 3},
    {"String", "\"abc\"", "Expected either '[' or '{'.", 5},
    {"NumberToEnd", "123", "Invalid number.", 3},
    {"LiteralEndingInput", "true", kUnexpectedToken, 0},
    {"ByteOrderMark", "\xEF\xBB\xBF[]", kUnexpectedToken, 0},
    {"TrailingText", "[] x", kTrailing, 3},
    // Containers
    {"TrailingCommaInArray", "[1,]", "Unexpected ']'.", 4},
    {"TrailingCommaInObject", "{\"a\":1,}", "Unexpected '}'.", 8},
    {"LeadingComma", "[,1]", "Unexpected ','.", 2},
    {"DoubleCommaInObject", "{\"a\":1,,}", "Unexpected ','.", 8},
    {"ValuesWithoutComma", "[1 2]", "Unexpected value.", 4},
    {"LeadingZero", "[01]", "Unexpected value.", 3},
    {"NumberAsKey", "{1:2}", "Expected a \"STRING\" or a '}', not '1'", 2},
    {"KeyAfterValue", "{\"a\":1 \"b\":2}", "Unexpected string.", 10},
    {"MissingColon", "{\"a\" 1}", "Expected ':'.", 6},
    {"ColonInArray", "[1:2]", "Expected a comma or a ']', not ':'", 3},
    {"ArrayCloseInObject", "{\"a\":1]", "Expected a comma or a '}', not ']'", 7},
    {"NoValueAfterColon", "{\"a\":]", "Expected a value or a '}', not ']'", 6},
    {"NoValueAfterSecondKey", "{\"a\":1,\"b\":}", "Expected a value, not '}'", 12},
    {"EndsAfterString", "[\"abc\"", "Reached the end of the buffer.", 6},
    {"TwoOpenBrackets", "[[", "Internal error: Object == NULL", 2},
    {"OpenObjectInObject", "{\"a\":{", "Internal error: Object == NULL.", 6},
    {"BracketAndNumber", "[1", "Invalid number.", 2},
    {"LiteralEndsInput", "[true", kUnexpectedToken, 1},
    // A reply cut off inside a container: right after a value or a comma the end of the input
    // is the news; after white space, the token that should have come.
    {"CutAfterArrayComma", "[1,", "Reached the end of the buffer.", 3},
    {"CutAfterSecondStringInArray", "[\"a\",\"b\"", "Reached the end of the buffer.", 8},
    {"CutAfterSpaceInArray", "[1,2 ", kUnexpectedToken, 5},
    {"CutAfterObjectComma", "{\"a\":1,", "Reached the end of the buffer.", 7},
    {"CutAfterSecondPair", "{\"a\":1,\"b\":\"c\"", "Reached the end of the buffer.", 14},
    {"CutAfterSpaceInObject", "{\"a\":1 ", kUnexpectedToken, 7},
    {"CutAfterNewlineInObject", "{ \"a\"\n:  null  ", kUnexpectedToken, 15, 2},
    {"MisspeltLiteral", "[nul]", kUnexpectedToken, 1},
    // Strings
    {"RawTab", "[\"a\tb\"]", "Invalid character < 0x20 found in string: 0x09.", 1},
    {"Unterminated", "[\"abc", "Invalid string.", 1},
    {"EndInsideEscape", "[\"ab\\u12", "Invalid string.", 1},
    {"BadEscape", "[\"a\\x\"]", "Invalid escape sequence found in \"\" string.", 1},
    {"BadHexDigit", "[\"\\u12g4\"]",
     "Unexpected character found in \\u Unicode escape sequence.  Found 'g', "
     "expected [0-9a-fA-F].",
     1},
    {"EscapedZero", "[\"\\u0000\"]", kIllegalEscape, 1},
    {"EscapedNoncharacter", "[\"\\uFDD0\"]", kIllegalEscape, 1},
    {"EscapedPairEndingFFFE", "[\"\\uD83F\\uDFFE\"]", kIllegalEscape, 1},
    {"LoneHighSurrogate", "[\"\\ud800\"]", kSecondEscape, 1},
    {"HighSurrogateThenOtherEscape", "[\"\\ud800\\n\"]", kSecondEscape, 1},
    {"LoneLowSurrogate", "[\"\\udc00\"]", kIllegalEscape, 1},
    {"HighSurrogateThenLetter", "[\"\\ud800\\u0041\"]", kIllegalEscape, 1},
    {"OverlongUtf8", "[\"\xC0\x80\"]", kIllegalUtf8, 1},
    {"RawFFFF", "[\"\xEF\xBF\xBF\"]", kIllegalUtf8, 1},
    {"Raw1FFFE", "[\"\xF0\x9F\xBF\xBE\"]", kIllegalUtf8, 1},
    {"AboveUnicode", "[\"\xF4\x90\x80\x80\"]", kIllegalUtf8, 1},
    {"StrayContinuation", "[\"a\x80\"]", kIllegalUtf8, 1},
    {"Utf8CutByEndOfInput", "[\"\xE4\xB8", kUtf8Cut, 1},
    {"Utf8CutEvenWhenReplacing", "[\"\xE4\xB8", kUtf8Cut, 1, 1, JsonParseFlagReplaceInvalidUnicode},
    // Cut off before its second byte could be judged: the end of the input is the news.
    {"OverlongCutByEndOfInput", "[\"\xE0\x80", kUtf8Cut, 1},
    {"BadLeadCutEvenWhenReplacing", "[\"\xC0", kUtf8Cut, 1, 1, JsonParseFlagReplaceInvalidUnicode},
    {"NoContinuationBeforeEnd", "[\"\xE4\x41", kIllegalUtf8, 1},
    {"ErrorOnThirdLine", "[\r\n\r\n\"a\\x\"]", "Invalid escape sequence found in \"\" string.", 5,
     3},
    {"LoneCarriageReturnsCountAsNewlines", "[\r\r\n\n\"\t\"]",
     "Invalid character < 0x20 found in string: 0x09.", 5, 4},
    // Numbers
    {"AboveUnsigned64", "[18446744073709551616]",
     "The value '18446744073709551616' exceeded the maximum value that could be "
     "represented: 18446744073709551615.",
     21},
    {"BelowSigned64", "[-9223372036854775809]",
     "The value '-9223372036854775809' exceeded the minimum value that could be "
     "represented: -9223372036854775808.",
     21},
    {"DoubleOverflow", "[1e400]",
     "The value '1e400' could not be represented as a 'double' due to overflow.", 6},
    {"DoubleUnderflow", "[1e-400]",
     "The value '1e-400' could not be represented as a 'double' due to underflow.", 7},
    {"MinusAlone", "[-]", "Invalid number.", 3},
    {"DotWithoutDigits", "[1.]", "Invalid number.", 4},
    {"ExponentWithoutDigits", "[1e+]", "Invalid number.", 5},
    {"LeadingPlus", "[+1]", kUnexpectedToken, 1},
    // Numbers right after a comma, with room after them, take a quicker road; where it declines,
    // the number token reports what it always has.
    {"CompactLeadingZero", "[1,01" + kRoom + "]", "Unexpected value.", 5},
    {"CompactMinusAlone", "[1,-" + kRoom + "]", "Invalid number.", 5},
    {"CompactDotWithoutDigits", "[1,1." + kRoom + "]", "Invalid number.", 6},
    {"CompactExponentWithoutDigits", "[1,1e+" + kRoom + "]", "Invalid number.", 7},
    {"CompactNumberRunningIntoALetter", "[1,2,3x" + kRoom + "]", kUnexpectedToken, 6},
    {"CompactPairWithLeadingZero", "{\"a\":1,\"b\":01" + kRoom + "}",
     "Expected a comma or a '}', not '1'", 13},
    {"CompactPairWithoutColon", "{\"a\":1,\"b\"1" + kRoom + "}", "Expected ':'.", 11},
    {"CompactPairWithBadEscape", "{\"a\":1,\"b\":\"\\q\"" + kRoom + "}",
     "Invalid escape sequence found in \"\" string.", 11},
    {"CompactStringWithControlByte", "[\"a\",\"b\x01\"" + kRoom + "]",
     "Invalid character < 0x20 found in string: 0x01.", 5},
    {"CompactAboveUnsigned64", "[7,18446744073709551616" + kRoom + "]",
     "The value '18446744073709551616' exceeded the maximum value that could be "
     "represented: 18446744073709551615.",
     23},
    // Options
    {"CommentWithoutOption", "// hi\n[]", kUnexpectedToken, 0},
    {"LinesCountedInComments", "// a\n/* b\n */\n[x]", kUnexpectedToken, 15, 4,
     JsonParseFlagComments},
    {"CommentToEndOfInput", "[1, /* open", kUnexpectedToken, 11, 1, JsonParseFlagComments},
    {"UnicodeNewlineWithoutOption", "[1,\xE2\x80\xA8 2]", kUnexpectedToken, 3},
    {"UnicodeNewlinesCounted", "[\xE2\x80\xA8\xC2\x85 x]", kUnexpectedToken, 7, 3,
     JsonParseFlagUnicodeNewlines},
    {"OtherE2ByteIsNoSpace", "[\xE2\x80\xA0]", kUnexpectedToken, 1, 1,
     JsonParseFlagUnicodeNewlines},
};

// Every malformed input ends in no value and the first problem's text, byte index and line.
TEST(DecoderErrors, ReportFirstProblemWithIndexAndLine) {
  for (const ErrorCase& c : kCases) {
    SCOPED_TRACE(c.name);
    Decoded decoded = decodeJson(c.input, c.options);
    EXPECT_TRUE(decoded.failed()) << decoded.value.debugString();
    EXPECT_EQ(decoded.error.localizedDescription, c.message);
    EXPECT_EQ(decoded.error.atIndex, c.atIndex);
    EXPECT_EQ(decoded.error.lineNumber, c.lineNumber);
  }
  JsonError error;
  objectFromJSONStringWithParseOptions("[", JsonParseStrict, &error);
  EXPECT_EQ(error.domain, "JsonErrorDomain");
  EXPECT_EQ(error.code, -1);
}

TEST(DecoderErrors, TooDeepNestingIsAnErrorNotACrash) {
  EXPECT_FALSE(decodeJson(std::string(512, '[') + std::string(512, ']')).failed());
  Decoded tooDeep = decodeJson(std::string(513, '[') + std::string(513, ']'));
  EXPECT_EQ(tooDeep.error.localizedDescription,
            "Maximum nesting depth (512) of arrays and objects exceeded.");
  EXPECT_EQ(tooDeep.error.atIndex, 513u);
  std::string hostile;
  for (int i = 0; i < 200000; ++i) hostile += "{\"a\":[";
  EXPECT_TRUE(decodeJson(hostile).failed());
}

TEST(DecoderErrors, ProgrammingErrorsRaise) {
  expectRaise([] { objectFromJSONStringWithParseOptions("[]", 16); }, "InvalidArgumentException",
              "Invalid parse options.");
  JSONDecoder decoder;
  expectRaise([&] { decoder.objectWithUTF8String(nullptr, 0); }, "InvalidArgumentException",
              "The string argument is NULL.");
  decoder.releaseParseState();
  expectRaise([&] { decoder.objectWithUTF8String("[]", 2); }, "InternalInconsistencyException",
              "parseState is NULL.");
}

TEST(DecoderErrors, AFailedParseLeavesNothingForTheNext) {
  JSONDecoder decoder;
  JsonError error;
  std::string bad = "{\"a\":[1,2,{\"b\":\"" + std::string(5000, 'x') + "\\q\"}]}";
  EXPECT_TRUE(decoder.objectWithUTF8String(bad.data(), bad.size(), &error).isNull());
  EXPECT_EQ(error.localizedDescription, "Invalid escape sequence found in \"\" string.");

  // The same decoder decodes the next text whole, and a success leaves the error slot alone.
  std::string good = "{\"a\":[1,2]}";
  plat::Value value = decoder.parseUTF8String(good.data(), good.size(), &error);
  EXPECT_EQ(value.debugString(), "{\"a\": [1, 2]}");
  EXPECT_EQ(error.localizedDescription, "Invalid escape sequence found in \"\" string.");
}

}  // namespace
